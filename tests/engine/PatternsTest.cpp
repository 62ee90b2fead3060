#include "CurrentFolderScope.h"
#include "engine/Patterns.h"

#include "engine/PersistentObjectManager.h"
#include "engine/Utils.h"
#include "gfx/Bitmap32.h"
#include "gfx/Errors.h"
#include "gfx/Random.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <string>

namespace {

constexpr TColor32 Grey = 0xFFCCCCCC;
constexpr TColor32 Black = 0xFF000000;
constexpr TColor32 White = 0xFFFFFFFF;

TBezier Curve(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3)
{
    return {{x0, y0}, {x1, y1}, {x2, y2}, {x3, y3}};
}

// A straight curve: every subdivision point lies on the line.
TBezier Line(int32_t x0, int32_t y0, int32_t x3, int32_t y3) { return Curve(x0, y0, x0, y0, x3, y3, x3, y3); }

// Distinct records, so that reading one in place of another shows.
TBezier Numbered(int32_t n) { return Curve(n, n + 1, n + 2, n + 3, n + 4, n + 5, n + 6, n + 7); }

// A pattern whose frames hold the given numbers of curves.
std::unique_ptr<TPattern> PatternWith(std::initializer_list<int> counts)
{
    auto pattern = std::make_unique<TPattern>();
    int32_t n = 0;
    for (int count : counts) {
        TPatternFrame& frame = pattern->AddPatternFrame(std::make_unique<TPatternFrame>());
        for (int i = 0; i < count; ++i) frame.AddCurve(Numbered(100 * n++));
    }
    return pattern;
}

void WriteCurve(TStream& s, const TBezier& b)
{
    for (const TPoint& p : {b.P0, b.P1, b.P2, b.P3}) {
        s.WriteInt32(p.X);
        s.WriteInt32(p.Y);
    }
}

TMemoryStream Saved(TPattern& pattern)
{
    TMemoryStream s;
    pattern.SaveToStream(s);
    s.SetPosition(0);
    return s;
}

// Frame 0 falls along the main diagonal, frame 1 rises across it.
std::unique_ptr<TPattern> CrossedFrames()
{
    auto pattern = PatternWith({0, 0});
    pattern->GetFrames(0).AddCurve(Line(10, 10, 100, 100));
    pattern->GetFrames(1).AddCurve(Line(10, 100, 100, 10));
    return pattern;
}

// Frame Index drawn into a new white W x H bitmap.
TBitmap32 Drawn(TPattern& pattern, int32_t w, int32_t h, int32_t index, bool clearFirst)
{
    TBitmap32 bmp(w, h, White);
    pattern.SetPreview(&bmp);
    pattern.DrawFrame(index, clearFirst);
    pattern.SetPreview(nullptr);
    return bmp;
}

int CountPixels(const TBitmap32& bmp, TColor32 color)
{
    int n = 0;
    for (int32_t y = 0; y < bmp.Height(); ++y)
        for (int32_t x = 0; x < bmp.Width(); ++x) n += bmp.Pixel(x, y) == color;
    return n;
}

template <class F>
std::string ErrorOf(F&& f)
{
    try {
        f();
    } catch (const EngineError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

// --- Files --------------------------------------------------------------------

TEST(PatternFile, WritesEveryFrameAndLoadsOnlyThoseWithCurves)
{
    auto pattern = PatternWith({1, 0, 2});
    TMemoryStream s = Saved(*pattern);
    ASSERT_EQ(s.Size(), 4 + (4 + 32) + 4 + (4 + 64));
    EXPECT_EQ(s.ReadInt32(), 3);
    EXPECT_EQ(s.ReadInt32(), 1);
    EXPECT_EQ(s.ReadInt32(), 0); // P0.X of the first record
    s.SetPosition(4 + 36);
    EXPECT_EQ(s.ReadInt32(), 0);
    EXPECT_EQ(s.ReadInt32(), 2);

    s.SetPosition(0);
    TPattern loaded;
    loaded.LoadFromStream(s);
    ASSERT_EQ(loaded.FrameCount(), 2);
    ASSERT_EQ(loaded.GetFrames(0).Count(), 1);
    ASSERT_EQ(loaded.GetFrames(1).Count(), 2);
    EXPECT_EQ(loaded.GetFrames(0).GetCurves(0), Numbered(0));
    EXPECT_EQ(loaded.GetFrames(1).GetCurves(0), Numbered(100));
    EXPECT_EQ(loaded.GetFrames(1).GetCurves(1), Numbered(200));
    EXPECT_EQ(s.Remaining(), 0);
}

TEST(PatternFile, NewPatternWithFiveEmptyFramesSavesFiveZeroCounts)
{
    auto pattern = PatternWith({0, 0, 0, 0, 0});
    TMemoryStream s = Saved(*pattern);
    ASSERT_EQ(s.Size(), 24);
    EXPECT_EQ(s.ReadInt32(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.ReadInt32(), 0);

    s.SetPosition(0);
    TPattern loaded;
    loaded.LoadFromStream(s);
    EXPECT_EQ(loaded.FrameCount(), 0);
    EXPECT_EQ(loaded.GetRandomFrame(), nullptr);
}

TEST(PatternFile, LoadingReplacesFramesAndIgnoresTheSixFrameLimit)
{
    auto seven = PatternWith({1, 1, 1, 1, 1, 1});
    TMemoryStream s;
    s.WriteInt32(7);
    for (int i = 0; i < 7; ++i) {
        s.WriteInt32(1);
        WriteCurve(s, Numbered(i));
    }
    s.SetPosition(0);
    seven->LoadFromStream(s);
    ASSERT_EQ(seven->FrameCount(), 7);
    EXPECT_EQ(seven->GetFrames(6).GetCurves(0), Numbered(6));
}

TEST(PatternFile, BadCountsAndShortStreamsFailAndKeepThePattern)
{
    const auto fails = [](const std::function<void(TStream&)>& write) {
        auto pattern = PatternWith({2});
        TMemoryStream s;
        write(s);
        s.SetPosition(0);
        EXPECT_THROW(pattern->LoadFromStream(s), EngineError);
        ASSERT_EQ(pattern->FrameCount(), 1);
        EXPECT_EQ(pattern->GetFrames(0).Count(), 2);
    };
    fails([](TStream&) {});                          // no frame count at all
    fails([](TStream& s) { s.WriteInt32(-1); });     // negative frame count
    fails([](TStream& s) { s.WriteInt32(1 << 30); }); // more frames than bytes
    fails([](TStream& s) {                           // negative curve count
        s.WriteInt32(1);
        s.WriteInt32(-5);
    });
    fails([](TStream& s) { // more curves than bytes
        s.WriteInt32(1);
        s.WriteInt32(0x7FFFFFFF);
        WriteCurve(s, Numbered(0));
    });
    fails([](TStream& s) { // ends inside a record
        s.WriteInt32(1);
        s.WriteInt32(1);
        s.WriteInt32(7);
        s.WriteInt32(8);
    });
    fails([](TStream& s) { // ends before the second frame's count
        s.WriteInt32(2);
        s.WriteInt32(1);
        WriteCurve(s, Numbered(0));
    });
}

TEST(PatternFile, FrameLoadReplacesItsCurvesOrFailsWithoutChange)
{
    TPatternFrame frame;
    frame.AddCurve(Numbered(9));
    TMemoryStream s;
    s.WriteInt32(1);
    WriteCurve(s, Numbered(1));
    s.SetPosition(0);
    frame.LoadFromStream(s);
    ASSERT_EQ(frame.Count(), 1);
    EXPECT_EQ(frame.GetCurves(0), Numbered(1));

    TMemoryStream bad;
    bad.WriteInt32(2);
    WriteCurve(bad, Numbered(2));
    bad.SetPosition(0);
    EXPECT_THROW(frame.LoadFromStream(bad), EngineError);
    EXPECT_EQ(frame.GetCurves(0), Numbered(1));
}

TEST(PatternFile, ManagerLoadsPatternFilesAndLogsTheBadOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString() + "/";
    auto pattern = PatternWith({1, 0, 2});
    pattern->SaveToFile(folder + "a.stk");
    {
        std::ofstream bad(folder + "b.stk", std::ios::binary);
        bad.write("\x03\x00\x00\x00\x01\x00", 6);
    }
    const TCurrentFolderScope cwd(folder);
    TPersistentObjectManager manager(TPattern::StaticClass(), folder);
    ASSERT_EQ(manager.Count(), 1);
    auto* loaded = manager.CurrentAs<TPattern>();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->FrameCount(), 2);
    EXPECT_EQ(loaded->GetKindName(), "stroke");
    EXPECT_EQ(loaded->GetFileExtension(), "stk");
    std::ifstream log(folder + LogFileName);
    std::string line;
    EXPECT_TRUE(std::getline(log, line));
}

// --- Frames -------------------------------------------------------------------

TEST(PatternFrames, SeventhFrameIsRefusedAndStaysTheCallers)
{
    auto pattern = PatternWith({0, 0, 0, 0, 0, 0});
    auto seventh = std::make_unique<TPatternFrame>();
    EXPECT_EQ(ErrorOf([&] { pattern->AddPatternFrame(std::move(seventh)); }), "AddPatternFrame: MaxFrames reached");
    EXPECT_NE(seventh, nullptr);
    EXPECT_EQ(pattern->FrameCount(), 6);
}

TEST(PatternFrames, IndexErrorsNameTheirMethod)
{
    auto pattern = PatternWith({1, 2});
    EXPECT_EQ(ErrorOf([&] { pattern->GetFrames(2); }), "TPattern.GetFrames: Index out of bounds(2)");
    EXPECT_EQ(ErrorOf([&] { pattern->GetFrames(-1); }), "TPattern.GetFrames: Index out of bounds(-1)");
    EXPECT_EQ(ErrorOf([&] { pattern->GetFrames(1).GetCurves(2); }), "TPatternFrame.GetCurves: Index out of bounds(2)");
    pattern->ClearFrames();
    EXPECT_EQ(pattern->FrameCount(), 0);
}

// --- Random picks -------------------------------------------------------------

TEST(PatternRandom, OnlyCurveIsFoundWithoutADraw)
{
    auto pattern = PatternWith({0, 0, 0, 1, 0});
    RandSeed = 77;
    EXPECT_EQ(pattern->GetRandomFrame(), &pattern->GetFrames(3));
    EXPECT_EQ(RandSeed, 77u);
}

TEST(PatternRandom, NoCurveGivesNoFrameWithoutADraw)
{
    RandSeed = 77;
    EXPECT_EQ(TPattern().GetRandomFrame(), nullptr);
    EXPECT_EQ(PatternWith({0, 0, 0, 0, 0})->GetRandomFrame(), nullptr);
    EXPECT_EQ(RandSeed, 77u);
}

TEST(PatternRandom, OneFrameIsTakenWithoutADraw)
{
    auto pattern = PatternWith({3});
    RandSeed = 77;
    EXPECT_EQ(pattern->GetRandomFrame(), &pattern->GetFrames(0));
    EXPECT_EQ(RandSeed, 77u);
}

TEST(PatternRandom, DrawsAgainPastEmptyFrames)
{
    auto pattern = PatternWith({2, 0, 1});
    // From seed 11, Random(3) gives 1 (the empty frame), then 0.
    RandSeed = 11;
    EXPECT_EQ(pattern->GetRandomFrame(), &pattern->GetFrames(0));
    EXPECT_EQ(RandSeed, 677461273u);
}

TEST(PatternRandom, FramesAreEquallyLikelyWhateverTheirCurves)
{
    auto pattern = PatternWith({1, 0, 9});
    RandSeed = 1;
    int first = 0;
    for (int i = 0; i < 4000; ++i) first += pattern->GetRandomFrame() == &pattern->GetFrames(0);
    EXPECT_NEAR(first, 2000, 150);
}

TEST(PatternRandom, CurvePicks)
{
    auto pattern = PatternWith({1, 3});
    RandSeed = 1234;
    EXPECT_EQ(pattern->GetFrames(0).RandomCurve(), Numbered(0));
    EXPECT_EQ(RandSeed, 1234u);
    // From seed 1234, Random(3) gives 2.
    EXPECT_EQ(pattern->GetFrames(1).RandomCurve(), Numbered(300));
    EXPECT_EQ(RandSeed, 3104595995u);
    EXPECT_EQ(ErrorOf([] { TPatternFrame().RandomCurve(); }), "TPatternFrame.GetCurves: Index out of bounds(0)");
}

// --- Bounds and pictures ------------------------------------------------------

TEST(PatternPictures, BoundsCountControlPoints)
{
    TPattern pattern;
    pattern.UpdateBounds();
    EXPECT_EQ(pattern.Bounds(), (TRect{10000, 10000, -10000, -10000}));
    pattern.AddPatternFrame(std::make_unique<TPatternFrame>()).AddCurve(Curve(0, 0, 5, -20, 5, 30, 10, 0));
    pattern.UpdateBounds();
    EXPECT_EQ(pattern.Bounds(), (TRect{0, -20, 10, 30}));
}

TEST(PatternPictures, FrameIsMovedByTheBoundsCornerThenScaled)
{
    // Bounds (10, 10, 100, 100): every point gains (10, 10), so the first
    // frame's line runs from (20, 20) to (110, 110).
    const TBitmap32 bmp = Drawn(*CrossedFrames(), 214, 214, 0, true);
    // One unit per pixel; the end point itself is left out.
    EXPECT_EQ(CountPixels(bmp, Black), 90);
    for (int k = 20; k < 110; ++k) EXPECT_EQ(bmp.Pixel(k, k), Black) << k;
    EXPECT_EQ(bmp.Pixel(10, 10), Grey);
    EXPECT_EQ(bmp.Pixel(110, 110), Grey);
    EXPECT_EQ(CountPixels(bmp, Grey), 214 * 214 - 90);
}

TEST(PatternPictures, DesignSquareFillsTheShorterSide)
{
    const TBitmap32 bmp = Drawn(*CrossedFrames(), 107, 300, 0, false);
    EXPECT_EQ(CountPixels(bmp, Black), 45);
    EXPECT_EQ(bmp.Pixel(10, 10), Black);
    EXPECT_EQ(bmp.Pixel(54, 54), Black);
    EXPECT_EQ(CountPixels(bmp, White), 107 * 300 - 45); // no grey without ClearFirst
}

TEST(PatternPictures, OnlyTheChosenFrameIsDrawn)
{
    const TBitmap32 bmp = Drawn(*CrossedFrames(), 214, 214, 1, true);
    EXPECT_EQ(bmp.Pixel(20, 110), Black);
    EXPECT_EQ(bmp.Pixel(30, 30), Grey);
}

TEST(PatternPictures, CurvesWithoutWidthDrawNothingAtAll)
{
    TPattern pattern;
    pattern.AddPatternFrame(std::make_unique<TPatternFrame>()).AddCurve(Line(7, 0, 7, 100));
    const TBitmap32 bmp = Drawn(pattern, 56, 56, 0, true);
    EXPECT_EQ(CountPixels(bmp, White), 56 * 56);
}

TEST(PatternPictures, EmptyFrameIsClearedToGrey)
{
    const TBitmap32 bmp = Drawn(*PatternWith({0, 1}), 56, 56, 0, true);
    EXPECT_EQ(CountPixels(bmp, Grey), 56 * 56);
}

TEST(PatternPictures, DrawingFaultsLeaveThePreviewAlone)
{
    auto pattern = PatternWith({1});
    EXPECT_THROW(pattern->DrawFrame(0, true), EngineError); // no preview yet
    EXPECT_THROW(pattern->RenderAll(40, 40), EngineError);
    TBitmap32 bmp(56, 56, White);
    pattern->SetPreview(&bmp);
    EXPECT_EQ(ErrorOf([&] { pattern->DrawFrame(1, true); }), "TPattern.GetFrames: Index out of bounds(1)");
    EXPECT_EQ(CountPixels(bmp, White), 56 * 56);
}

TEST(PatternPictures, RenderAllDrawsEveryFrameAndStretches)
{
    auto pattern = CrossedFrames();
    TBitmap32 preview(214, 214, White);
    preview.DrawMode = TDrawMode::dmBlend;
    pattern->SetPreview(&preview);

    auto same = pattern->RenderAll(214, 214);
    ASSERT_EQ(same->Width(), 214);
    EXPECT_EQ(same->Pixel(20, 20), Black);
    EXPECT_EQ(same->Pixel(40, 90), Black);
    EXPECT_EQ(same->Pixel(20, 21), White);
    EXPECT_EQ(preview.DrawMode, TDrawMode::dmBlend); // the caller's bitmap keeps its settings

    auto half = pattern->RenderAll(107, 53);
    ASSERT_EQ(half->Width(), 107);
    ASSERT_EQ(half->Height(), 53);
    EXPECT_LT(RedComponent(half->Pixel(32, 16)), 200); // where the diagonals cross, darkened
    EXPECT_EQ(half->Pixel(27, 40), White);
    EXPECT_EQ(AlphaComponent(half->Pixel(27, 40)), 255);
}

// A pattern file of one frame of one curve from p to p + 100 on both axes
// (control points on the line): 40 bytes.
std::vector<uint8_t> OneLineFile(int32_t p)
{
    TMemoryStream s;
    s.WriteInt32(1);
    s.WriteInt32(1);
    WriteCurve(s, Curve(p, p, p + 30, p + 30, p + 60, p + 60, p + 100, p + 100));
    return s.Bytes();
}

TEST(PatternPictures, CoordinatesAtTheEndsOfTheIntegerRangeAreDrawnWhereTheyLie)
{
    // The bounds' corner is added to every point, which doubles coordinates
    // like these beyond 32 bits: taken in 32 bits the sum wraps round onto
    // the thumbnail (and is undefined behaviour). Scaled from their true
    // place, the curves lie far off it, and only the background shows.
    const int32_t min = std::numeric_limits<int32_t>::min(), max = std::numeric_limits<int32_t>::max();
    for (const int32_t p : {min, min + 40, max - 100, -(1 << 30) - 50, 1 << 30}) {
        TMemoryStream in(OneLineFile(p));
        TPattern pattern;
        pattern.LoadFromStream(in);
        ASSERT_EQ(pattern.FrameCount(), 1) << p;
        const TBitmap32 frame = Drawn(pattern, 64, 64, 0, true);
        EXPECT_EQ(CountPixels(frame, Grey), 64 * 64) << p;
        TBitmap32 preview(64, 64, Grey);
        pattern.SetPreview(&preview);
        const auto all = pattern.RenderAll(32, 32);
        EXPECT_EQ(CountPixels(*all, Grey), 32 * 32) << p;
    }
}

// --- Default patterns ---------------------------------------------------------

// Made by the build's generator in a scratch folder, where a bad one is logged
// too: the build folder's files may be the user's, or older than the generator.
TEST(DefaultPatterns, FourPatternsOfFiveFramesInsideTheEditorView)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const std::string folder = scratch.path().toStdString() + "/";
    QProcess generator;
    generator.start(QStringLiteral(OCRA_GEN_PATTERNS), {QString::fromStdString(folder)});
    ASSERT_TRUE(generator.waitForFinished(-1));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
    const TCurrentFolderScope cwd(folder);
    TPersistentObjectManager manager(TPattern::StaticClass(), folder);
    ASSERT_EQ(manager.Count(), 4);
    EXPECT_FALSE(std::filesystem::exists(folder + LogFileName));
    for (int32_t i = 0; i < manager.Count(); ++i) {
        auto& pattern = dynamic_cast<TPattern&>(manager.GetObject(i));
        EXPECT_EQ(pattern.FrameCount(), 5) << pattern.FileName();
        pattern.UpdateBounds();
        EXPECT_GE(pattern.Bounds().Left, 0);
        EXPECT_GE(pattern.Bounds().Top, 0);
        EXPECT_LE(pattern.Bounds().Right, 210);
        EXPECT_LE(pattern.Bounds().Bottom, 210);
    }
}
