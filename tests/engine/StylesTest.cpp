#include "CurrentFolderScope.h"
#include "engine/Styles.h"

#include "engine/BusyCursor.h"
#include "engine/PersistentObjectManager.h"
#include "engine/StyleEnvironment.h"
#include "engine/Utils.h"
#include "gfx/Errors.h"
#include "gfx/Random.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <fstream>

namespace {

// The command module as the styles see it: an updating flag to set, the
// embedded sample picture and no renderer manager (previews fill polygons).
class TFakeEnvironment final : public IStyleEnvironment {
public:
    TFakeEnvironment() { SetStyleEnvironment(this); }
    ~TFakeEnvironment() override { SetStyleEnvironment(nullptr); }
    bool Updating() const override { return updating; }
    std::unique_ptr<TBitmap32> SamplePicture() const override { return LoadEmbeddedSamplePicture(); }
    TPersistentObjectManager* RendererManager() const override { return nullptr; }
    bool updating = false;
};

std::vector<uint8_t> JpegBytes(const TBitmap32& picture)
{
    TMemoryStream s;
    SaveJPEGToStream(picture, s, 25);
    return s.Bytes();
}

// A style file written field by field: "Inked", a block of unusual values
// (the unused pair too), then a preview.
std::vector<uint8_t> CraftedStyleFile(const std::vector<uint8_t>& jpeg)
{
    TMemoryStream s;
    s.WriteInt32(5);
    s.WriteBuffer("Inked", 5);
    s.WriteInt32(9);       // PolyStep
    s.WriteInt32(33);      // Length
    s.WriteFloat(7.5f);    // Gain
    s.WriteFloat(3.25f);   // ScanWidth
    for (const uint8_t b : {1, 30, 200, 11, 12, 13, 0xAB, 0xCD}) s.WriteUInt8(b);
    s.WriteInt32(4);       // Stroke
    s.WriteBuffer(jpeg.data(), static_cast<int64_t>(jpeg.size()));
    return s.Bytes();
}

constexpr size_t CraftedHead = 4 + 5 + 28;

// A style file "Hostile" with the given block and preview bytes.
std::vector<uint8_t> StyleFile(const TStyleParams& params, const std::vector<uint8_t>& jpeg)
{
    TMemoryStream s;
    s.WriteString("Hostile");
    params.Write(s);
    s.WriteBuffer(jpeg.data(), static_cast<int64_t>(jpeg.size()));
    return s.Bytes();
}

// The JPEG with the size in its frame header overwritten: a few hundred
// bytes that declare a picture of any size.
std::vector<uint8_t> WithDeclaredSize(std::vector<uint8_t> jpeg, uint16_t width, uint16_t height)
{
    for (size_t i = 2; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<uint8_t>(height);
            jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<uint8_t>(width);
            return jpeg;
        }
    ADD_FAILURE() << "no baseline frame header";
    return jpeg;
}

TBitmap32 PreviewPattern()
{
    TBitmap32 b(TGStyle::PreviewWidth, TGStyle::PreviewHeight, clWhite32);
    b.FillRect(20, 10, 120, 60, Color32(30, 60, 120));
    return b;
}

std::vector<uint8_t> Saved(TGStyle& style)
{
    TMemoryStream s;
    style.SaveToStream(s);
    return s.Bytes();
}

} // namespace

TEST(Styles, CraftedFileLoadsFieldByFieldAndSavesBackUpToItsJpeg)
{
    TFakeEnvironment env;
    const std::vector<uint8_t> bytes = CraftedStyleFile(JpegBytes(PreviewPattern()));
    TMemoryStream in(bytes);
    TGStyle style;
    style.LoadFromStream(in);
    EXPECT_EQ(style.Name(), "Inked");
    EXPECT_EQ(style.GetPolyStep(), 9);
    EXPECT_EQ(style.GetLength(), 33);
    EXPECT_EQ(style.GetGain(), 7.5f);
    EXPECT_EQ(style.GetScanWidth(), 3.25f);
    EXPECT_EQ(style.GetStopOnBorders(), 1);
    EXPECT_EQ(style.BorderLimitByte(), 30);
    EXPECT_EQ(style.GetBorderLimit(), 50);
    EXPECT_EQ(style.GetAlpha(), 200);
    EXPECT_EQ(style.GetSatVar(), 11);
    EXPECT_EQ(style.GetHueVar(), 12);
    EXPECT_EQ(style.GetLightVar(), 13);
    EXPECT_EQ(style.GetStroke(), 4);
    EXPECT_FALSE(style.Modified());
    EXPECT_FALSE(style.PreviewDirty());
    EXPECT_EQ(style.SavedCopy(), style.Params());

    // The stored preview is shown as it is: no stroke is drawn for it.
    RandSeed = 77;
    const TBitmap32& preview = style.GetPreview();
    EXPECT_EQ(RandSeed, 77u);
    ASSERT_EQ(preview.Width(), TGStyle::PreviewWidth);
    ASSERT_EQ(preview.Height(), TGStyle::PreviewHeight);
    EXPECT_LT(BlueComponent(preview.Pixel(60, 30)), 200);

    const std::vector<uint8_t> out = Saved(style);
    ASSERT_GT(out.size(), CraftedHead);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + CraftedHead, out.begin()));
    TMemoryStream jpeg(std::vector<uint8_t>(out.begin() + CraftedHead, out.end()));
    TBitmap32 decoded;
    LoadJPEGFromStream(decoded, jpeg);
    EXPECT_EQ(decoded.Width(), TGStyle::PreviewWidth);
}

TEST(Styles, DefaultStyleSavesTheDefaultBlockAndAFreshPreview)
{
    TFakeEnvironment env;
    TGStyle style;
    style.SetName("Default");
    EXPECT_FALSE(style.Modified());
    EXPECT_TRUE(style.PreviewDirty());
    const std::vector<uint8_t> out = Saved(style);
    TMemoryStream expected;
    expected.WriteString("Default");
    for (const int32_t v : {12, 40}) expected.WriteInt32(v);
    expected.WriteFloat(12.0f);
    expected.WriteFloat(2.0f);
    for (const uint8_t b : {0, 0, 255, 15, 15, 30, 0, 0}) expected.WriteUInt8(b);
    expected.WriteInt32(0);
    ASSERT_GT(out.size(), size_t(expected.Size()));
    EXPECT_TRUE(std::equal(expected.Bytes().begin(), expected.Bytes().end(), out.begin()));
    EXPECT_FALSE(style.PreviewDirty());

    TMemoryStream in(out);
    TGStyle copy;
    copy.LoadFromStream(in);
    EXPECT_EQ(copy.Params(), style.Params());
    EXPECT_EQ(copy.GetBorderLimit(), 100);
    EXPECT_EQ(copy.GetPreview().Width(), TGStyle::PreviewWidth);
}

TEST(Styles, EmptyNameIsFourZeroBytesBeforeTheBlock)
{
    TFakeEnvironment env;
    TGStyle style;
    style.UpdateLock = true;  // keep the white preview: the layout is what counts here
    const std::vector<uint8_t> out = Saved(style);
    ASSERT_GT(out.size(), 32u);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 8), (std::vector<uint8_t>{0, 0, 0, 0, 12, 0, 0, 0}));
    EXPECT_EQ(out[32], 0xFF);  // the JPEG starts right after the block
    EXPECT_EQ(out[33], 0xD8);
}

TEST(Styles, BorderLimitIsAPercentageOutsideAndAByteInside)
{
    TFakeEnvironment env;
    TGStyle style;
    const std::vector<std::tuple<int32_t, uint8_t, int32_t>> cases{
        {100, 0, 100}, {50, 30, 50}, {99, 1, 98}, {1, 59, 2}, {0, 60, 0}};
    for (const auto& [percent, stored, readBack] : cases) {
        style.SetBorderLimit(percent);
        EXPECT_EQ(style.BorderLimitByte(), stored) << percent;
        EXPECT_EQ(style.GetBorderLimit(), readBack) << percent;
    }
}

TEST(Styles, ByteSettersKeepTheLowEightBitsOfAnInteger)
{
    TFakeEnvironment env;
    TGStyle style;
    style.SetAlpha(300);
    EXPECT_EQ(style.GetAlpha(), 44);
    style.SetHueVar(-1);
    EXPECT_EQ(style.GetHueVar(), 255);
    style.SetSatVar(256);
    EXPECT_EQ(style.GetSatVar(), 0);
    style.SetLightVar(-256 + 7);
    EXPECT_EQ(style.GetLightVar(), 7);
    style.SetBorderLimit(-400);  // Round(5 * 60) = 300
    EXPECT_EQ(style.BorderLimitByte(), 44);
    style.SetBorderLimit(1000);  // Round(-9 * 60) = -540
    EXPECT_EQ(style.BorderLimitByte(), static_cast<uint8_t>(-540));
}

TEST(Styles, ResetAndCommitMoveBetweenTheBlockAndItsSavedCopy)
{
    TFakeEnvironment env;
    // Until its first commit, load or save a style's saved copy is all zero.
    TGStyle fresh;
    fresh.SetGain(3.0f);
    fresh.Reset();
    const TStyleParams& zero = fresh.Params();
    EXPECT_EQ(fresh.SavedCopy(), zero);
    for (const int32_t v : {zero.PolyStep, zero.Length, zero.Stroke}) EXPECT_EQ(v, 0);
    for (const float v : {zero.Gain, zero.ScanWidth}) EXPECT_EQ(v, 0.0f);
    for (const uint8_t b : {zero.StopOnBorders, zero.BorderLimit, zero.Alpha, zero.SatVar, zero.HueVar, zero.LightVar,
                            zero.Unused[0], zero.Unused[1]})
        EXPECT_EQ(b, 0);
    EXPECT_FALSE(fresh.Modified());

    TGStyle style;
    style.SetLength(55);
    EXPECT_TRUE(style.Modified());
    style.Commit();
    EXPECT_FALSE(style.Modified());
    EXPECT_TRUE(style.PreviewDirty());
    style.SetLength(70);
    style.SetStroke(9);
    style.Reset();
    EXPECT_EQ(style.GetLength(), 55);
    EXPECT_EQ(style.GetStroke(), 0);
    EXPECT_FALSE(style.Modified());
    EXPECT_TRUE(style.PreviewDirty());
}

TEST(Styles, UpdatingFlagLeavesTheModifiedMarkAlone)
{
    TFakeEnvironment env;
    TGStyle style;
    style.UpdateLock = true;
    env.updating = true;
    style.SetAlpha(128);
    EXPECT_EQ(style.GetAlpha(), 128);
    EXPECT_TRUE(style.PreviewDirty());
    EXPECT_FALSE(style.Modified());
    env.updating = false;
    style.SetAlpha(128);  // the same value still counts as a change
    EXPECT_TRUE(style.Modified());
    // The check box's direct write changes neither mark.
    style.Commit();
    style.UpdatePreview();
    style.WriteStopOnBorders(true);
    EXPECT_EQ(style.GetStopOnBorders(), 1);
    EXPECT_FALSE(style.Modified());
}

TEST(Styles, UpdateLockOnlyFlagsThePreview)
{
    TFakeEnvironment env;
    TGStyle style;
    style.UpdateLock = true;
    RandSeed = 5;
    style.GetPreview();
    EXPECT_EQ(RandSeed, 5u);
    EXPECT_TRUE(style.PreviewDirty());
}

TEST(Styles, DamagedFilesFailQuicklyAndChangeNothing)
{
    TFakeEnvironment env;
    const std::vector<uint8_t> good = CraftedStyleFile(JpegBytes(PreviewPattern()));
    std::vector<std::vector<uint8_t>> damaged;
    std::vector<uint8_t> hugeName = good;
    const int32_t huge = 0x7FFFFFF0;
    std::memcpy(hugeName.data(), &huge, 4);
    damaged.push_back(hugeName);
    damaged.push_back(std::vector<uint8_t>(good.begin(), good.begin() + 3));           // no count
    damaged.push_back(std::vector<uint8_t>(good.begin(), good.begin() + 9 + 20));      // short block
    damaged.push_back(std::vector<uint8_t>(good.begin(), good.begin() + CraftedHead)); // no preview
    std::vector<uint8_t> badJpeg(good.begin(), good.begin() + CraftedHead);
    badJpeg.insert(badJpeg.end(), {1, 2, 3, 4, 5, 6});
    damaged.push_back(badJpeg);

    TGStyle style;
    style.SetName("kept");
    style.SetLength(21);
    for (const std::vector<uint8_t>& bytes : damaged) {
        TMemoryStream in(bytes);
        EXPECT_THROW(style.LoadFromStream(in), EngineError);
        EXPECT_EQ(style.Name(), "kept");
        EXPECT_EQ(style.GetLength(), 21);
        EXPECT_TRUE(style.Modified());
    }

    // A negative name length reads as an empty name.
    std::vector<uint8_t> negative = good;
    const int32_t minusOne = -1;
    std::memcpy(negative.data(), &minusOne, 4);
    negative.erase(negative.begin() + 4, negative.begin() + 9);
    TMemoryStream in(negative);
    style.LoadFromStream(in);
    EXPECT_EQ(style.Name(), "");
    EXPECT_EQ(style.GetLength(), 33);
}

TEST(Styles, ManagerSkipsDamagedFilesAndDuplicatesKeepTheOriginalsResetPoint)
{
    TFakeEnvironment env;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    {
        const std::vector<uint8_t> good = CraftedStyleFile(JpegBytes(PreviewPattern()));
        std::ofstream(folder + "a.gst", std::ios::binary).write(reinterpret_cast<const char*>(good.data()), 
                                                                 std::streamsize(good.size()));
        std::ofstream(folder + "b.gst", std::ios::binary).write(reinterpret_cast<const char*>(good.data()), 20);
    }
    const TCurrentFolderScope cwd(folder);
    TPersistentObjectManager styles(TGStyle::StyleClass(), folder);
    ASSERT_EQ(styles.Count(), 1);
    std::ifstream log(folder + LogFileName);
    std::string line;
    std::getline(log, line);
    EXPECT_EQ(line, folder + "b.gst: Invalid style file: the parameter block is incomplete\r");

    auto& original = dynamic_cast<TGStyle&>(*styles.Current());
    original.UpdateLock = true;
    original.SetLength(90);
    styles.DuplicateCurrent("Inked copy");
    auto& copy = dynamic_cast<TGStyle&>(*styles.Current());
    EXPECT_EQ(copy.GetLength(), 90);
    EXPECT_EQ(copy.SavedCopy().Length, 90);
    EXPECT_EQ(original.SavedCopy().Length, 33);
    original.Reset();
    EXPECT_EQ(original.GetLength(), 33);

    // A save to the file is a save: its parameters become the reset point.
    original.SetLength(61);
    original.Save(folder);
    original.SetLength(62);
    original.Reset();
    EXPECT_EQ(original.GetLength(), 61);
}

TEST(Styles, SamplePictureIsAnalysedOnceUnderTheHourglass)
{
    struct TCountingCursor final : IBusyCursor {
        void Begin() override { ++begun, ++shown; }
        void End() override { --shown; }
        int begun = 0, shown = 0;
    } cursor;
    TFakeEnvironment env;
    SetBusyCursor(&cursor);
    TGStyle::FreeSampleMap();
    const TBitmap32* first = &TGStyle::SampleMap();
    EXPECT_EQ(cursor.begun, 1);
    EXPECT_EQ(cursor.shown, 0);
    // Later previews copy the kept map: no new analysis, no hourglass.
    EXPECT_EQ(&TGStyle::SampleMap(), first);
    EXPECT_EQ(cursor.begun, 1);
    SetBusyCursor(nullptr);
}

TEST(Styles, ParametersNoDrawingCanUseAreRefusedNamingTheValue)
{
    TFakeEnvironment env;
    const std::vector<uint8_t> jpeg = JpegBytes(PreviewPattern());
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    const std::vector<std::pair<std::function<void(TStyleParams&)>, std::string>> cases{
        // One past what the main window's gauges set: a preview of such a
        // style (with a poly step of 0) held the start for seconds to minutes.
        {[](TStyleParams& p) { p.Length = 301; }, "Length 301 is above 300"},
        {[](TStyleParams& p) { p.Length = 10000; }, "Length 10000 is above 300"},
        {[](TStyleParams& p) { p.Length = 2147483600; }, "Length 2147483600 is above 300"},
        {[](TStyleParams& p) { p.Length = -1; }, "Length -1 is negative"},
        {[](TStyleParams& p) { p.PolyStep = -12; }, "PolyStep -12 is negative"},
        {[](TStyleParams& p) { p.Gain = std::nextafter(40.0f, 41.0f); }, "Gain 40.0000038 is above 40"},
        {[](TStyleParams& p) { p.Gain = 1000.0f; }, "Gain 1000 is above 40"},
        {[](TStyleParams& p) { p.Gain = -0.5f; }, "Gain -0.5 is negative"},
        {[=](TStyleParams& p) { p.Gain = nan; }, "Gain is not a number"},
        {[=](TStyleParams& p) { p.Gain = inf; }, "Gain is not a number"},
        {[](TStyleParams& p) { p.ScanWidth = 12.5f; }, "ScanWidth 12.5 is above 12"},
        {[](TStyleParams& p) { p.ScanWidth = 1000.0f; }, "ScanWidth 1000 is above 12"},
        {[=](TStyleParams& p) { p.ScanWidth = -inf; }, "ScanWidth is not a number"},
        {[=](TStyleParams& p) { p.ScanWidth = nan; }, "ScanWidth is not a number"},
    };
    TGStyle style;
    style.SetLength(21);
    for (const auto& [damage, message] : cases) {
        TStyleParams params;
        damage(params);
        TMemoryStream in(StyleFile(params, jpeg));
        try {
            style.LoadFromStream(in);
            ADD_FAILURE() << message << " was read";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
        EXPECT_EQ(style.GetLength(), 21) << message;
        EXPECT_EQ(style.Name(), "") << message;
    }
}

TEST(Styles, ParametersUpToTheLimitsLoadAsTheyStand)
{
    TFakeEnvironment env;
    const std::vector<uint8_t> jpeg = JpegBytes(PreviewPattern());
    // Everything the main window's gauges set loads: their largest values
    // with the finest precision (poly step 0), their smallest with the
    // coarsest (94); below the gauges, zero is no fault either, nor is a
    // poly step no gauge writes.
    const std::vector<TStyleParams> cases{
        {.PolyStep = 0, .Length = 300, .Gain = 40.0f, .ScanWidth = 12.0f},
        {.PolyStep = 94, .Length = 5, .Gain = 2.0f, .ScanWidth = 0.5f},
        {.PolyStep = 0, .Length = 5, .Gain = 40.0f, .ScanWidth = 12.0f},
        {.PolyStep = 500, .Length = 0, .Gain = 0.0f, .ScanWidth = 0.0f},
        {.PolyStep = 1, .Length = 1, .Gain = -0.0f, .ScanWidth = 11.5f},
    };
    for (const TStyleParams& params : cases) {
        TMemoryStream in(StyleFile(params, jpeg));
        TGStyle style;
        style.LoadFromStream(in);
        EXPECT_EQ(style.Params(), params);
        EXPECT_FALSE(style.PreviewDirty());
    }
}

TEST(Styles, StoredPreviewOfAnotherSizeIsDrawnAgainNotDecoded)
{
    TFakeEnvironment env;
    const std::vector<uint8_t> jpeg = JpegBytes(PreviewPattern());
    TBitmap32 small(100, 50, clBlack32);
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> cases{
        {"8000 x 4000 declared", WithDeclaredSize(jpeg, 8000, 4000)},
        {"65535 x 65535 declared", WithDeclaredSize(jpeg, 65535, 65535)},
        {"one pixel narrower", WithDeclaredSize(jpeg, 234, 116)},
        {"a real 100 x 50", JpegBytes(small)},
    };
    for (const auto& [what, preview] : cases) {
        TStyleParams params;
        params.Length = 30;
        TMemoryStream in(StyleFile(params, preview));
        TGStyle style;
        style.LoadFromStream(in);
        EXPECT_EQ(style.GetLength(), 30) << what;
        EXPECT_FALSE(style.Modified()) << what;
        EXPECT_TRUE(style.PreviewDirty()) << what;
        // Nothing of the declared size was kept.
        EXPECT_EQ(style.Params(), params);
        RandSeed = 9;
        const TBitmap32& shown = style.GetPreview();
        EXPECT_NE(RandSeed, 9u) << what << ": the preview was drawn from the parameters";
        EXPECT_EQ(shown.Width(), TGStyle::PreviewWidth) << what;
        EXPECT_EQ(shown.Height(), TGStyle::PreviewHeight) << what;
    }
    // The right size is decoded, and a preview that then fails to decode
    // still fails the load.
    TMemoryStream in(StyleFile(TStyleParams{}, jpeg));
    TGStyle style;
    style.LoadFromStream(in);
    EXPECT_FALSE(style.PreviewDirty());
    TMemoryStream bad(StyleFile(TStyleParams{}, {0xFF, 0xD8, 0xFF, 0xE0, 0, 2}));
    EXPECT_THROW(style.LoadFromStream(bad), EngineError);
}

TEST(Styles, ManagerLogsAndSkipsAHostileStyleAndLoadsTheRest)
{
    TFakeEnvironment env;
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    const std::vector<uint8_t> jpeg = JpegBytes(PreviewPattern());
    const auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(folder + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                             std::streamsize(bytes.size()));
    };
    TStyleParams slow;
    slow.Gain = 1000.0f;
    write("a.gst", StyleFile(slow, jpeg));
    write("b.gst", StyleFile(TStyleParams{}, WithDeclaredSize(jpeg, 8000, 4000)));
    write("c.gst", StyleFile(TStyleParams{}, jpeg));
    const TCurrentFolderScope cwd(folder);
    TPersistentObjectManager styles(TGStyle::StyleClass(), folder);
    ASSERT_EQ(styles.Count(), 2);
    EXPECT_EQ(styles.GetObject(0).FileName(), folder + "b.gst");
    const auto& big = dynamic_cast<const TGStyle&>(styles.GetObject(0));
    EXPECT_TRUE(big.PreviewDirty());
    std::ifstream log(folder + LogFileName);
    std::string line;
    std::getline(log, line);
    EXPECT_NE(line.find("Gain 1000 is above 40"), std::string::npos) << line;
}
