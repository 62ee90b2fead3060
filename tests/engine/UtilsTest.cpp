#include "CurrentFolderScope.h"
#include "engine/Utils.h"

#include "gfx/Bitmap32.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

class ScratchTest : public ::testing::Test {
protected:
    QTemporaryDir scratch;
    std::string Dir() const { return scratch.path().toStdString() + "/"; }
    std::string Touch(const std::string& name) const
    {
        std::ofstream(Dir() + name) << "x";
        return Dir() + name;
    }
};

std::string ReadAll(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// --- Numbers and names ------------------------------------------------------------

TEST(PadNumber, AppendsZerosUpToTheWidth)
{
    EXPECT_EQ(PadNumber(1, 4), "1000");
    EXPECT_EQ(PadNumber(12, 4), "1200");
    EXPECT_EQ(PadNumber(0, 4), "0000");
    EXPECT_EQ(PadNumber(5, 4), "5000");
    EXPECT_EQ(PadNumber(1234, 4), "1234");
    EXPECT_EQ(PadNumber(12345, 4), "12345");
}

TEST(FormatByteSize, LargestUnitReachedWithFiveSignificantDigits)
{
    EXPECT_EQ(FormatByteSize(0), "0 bytes");
    EXPECT_EQ(FormatByteSize(1023), "1023 bytes");
    EXPECT_EQ(FormatByteSize(-2048), "-2048 bytes");
    EXPECT_EQ(FormatByteSize(1024), "1 Kb");
    EXPECT_EQ(FormatByteSize(1536), "1.5 Kb");
    EXPECT_EQ(FormatByteSize(5000), "4.8828 Kb");
    EXPECT_EQ(FormatByteSize(1048576), "1 Mb");
    EXPECT_EQ(FormatByteSize(3 * 1073741824LL / 2), "1.5 Gb");
    EXPECT_EQ(FormatByteSize(5 * 1073741824LL), "5 Gb");
}

using MakeUniqueFileNameTest = ScratchTest;

TEST_F(MakeUniqueFileNameTest, CountsWithTheNumberPaddedAtTheEnd)
{
    EXPECT_EQ(MakeUniqueFileName(Dir(), "stroke", "stk"), Dir() + "stroke0000.stk");
    Touch("stroke0000.stk");
    EXPECT_EQ(MakeUniqueFileName(Dir(), "stroke", ".stk"), Dir() + "stroke1000.stk");
}

TEST_F(MakeUniqueFileNameTest, TenRepeatsOneSoTheSearchGoesOnToEleven)
{
    for (int n = 0; n < 10; ++n) Touch("style" + PadNumber(n, 4) + ".gst");
    EXPECT_EQ(MakeUniqueFileName(Dir(), "style", "gst"), Dir() + "style1100.gst");
}

TEST_F(MakeUniqueFileNameTest, AddsTheSlashAndCreatesOneMissingLevel)
{
    const std::string sub = Dir() + "new";
    EXPECT_EQ(MakeUniqueFileName(sub, "style", "gst"), sub + "/style0000.gst");
    EXPECT_TRUE(fs::is_directory(sub));
    EXPECT_FALSE(fs::exists(sub + "/style0000.gst"));  // naming creates no file
}

TEST_F(MakeUniqueFileNameTest, FolderThatCannotBeCreatedRaises)
{
    const std::string deep = Dir() + "a/b";
    try {
        MakeUniqueFileName(deep, "style", "gst");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot Create " + deep);
    }
}

// --- Folders ----------------------------------------------------------------------

TEST(MatchesMask, WildcardsIgnoringCase)
{
    EXPECT_TRUE(MatchesMask("a.GST", "*.gst"));
    EXPECT_TRUE(MatchesMask("noext", "*.*"));
    EXPECT_TRUE(MatchesMask("style0000.gst", "style?000.*"));
    EXPECT_TRUE(MatchesMask("a.b.gst", "*.gst"));
    EXPECT_FALSE(MatchesMask("a.gstx", "*.gst"));
    EXPECT_FALSE(MatchesMask("a.gs", "*.gst"));
    EXPECT_FALSE(MatchesMask("noext", "*.gst"));
}

using FolderTest = ScratchTest;

TEST_F(FolderTest, GetFilesListsMatchingFilesAndFoldersSortedByName)
{
    Touch("b.gst");
    Touch("a.GST");
    Touch("c.txt");
    Touch("noext");
    fs::create_directory(Dir() + "d.gst");
    EXPECT_EQ(GetFiles(Dir(), "*.gst"), (std::vector<std::string>{Dir() + "a.GST", Dir() + "b.gst", Dir() + "d.gst"}));
    EXPECT_EQ(GetFiles(Dir(), "*.*").size(), 5u);
    EXPECT_TRUE(GetFiles(Dir() + "missing/", "*.*").empty());
}

TEST_F(FolderTest, DeleteFilesLeavesFoldersAndOtherNames)
{
    Touch("one.bmp");
    Touch("two.BMP");
    Touch("keep.txt");
    fs::create_directory(Dir() + "sub.bmp");
    DeleteFiles(scratch.path().toStdString(), "*.bmp");  // no trailing slash
    EXPECT_EQ(GetFiles(Dir(), "*.*"), (std::vector<std::string>{Dir() + "keep.txt", Dir() + "sub.bmp"}));
    DeleteFiles(Dir() + "missing", "*.*");  // nothing to do, no error
}

TEST_F(FolderTest, DeleteFilesWithoutAFolderDeletesNothing)
{
    // "" must not become "/" (the root) nor the current folder.
    Touch("stay.tmpq");
    const fs::path saved = fs::current_path();
    fs::current_path(Dir());
    DeleteFiles("", "*.tmpq");
    fs::current_path(saved);
    EXPECT_TRUE(fs::exists(Dir() + "stay.tmpq"));
}

TEST_F(FolderTest, ProgramAndTemporaryFolders)
{
    const std::string program = GetProgramFolder();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program.back(), '/');
    EXPECT_TRUE(fs::is_directory(program));
    EXPECT_EQ(GetTempFolder(Dir()), Dir() + "tmp");
}

TEST_F(FolderTest, LocalFoldersAreNotRemote)
{
    EXPECT_FALSE(IsRemoteDrive(Dir()));
    EXPECT_FALSE(IsRemoteDrive(Dir() + "not/yet/written.ovk"));
    EXPECT_FALSE(IsRemoteDrive("relative-name.ovk"));
    EXPECT_FALSE(IsRemoteDrive(""));
}

// --- Log --------------------------------------------------------------------------

using LogTest = ScratchTest;

TEST_F(LogTest, AppendLogCreatesThenAppendsOneLineEach)
{
    const std::string log = Dir() + "ocra.log";
    AppendLog(log, "first");
    EXPECT_EQ(ReadAll(log), "first\r\n");
    AppendLog(log, "second");
    EXPECT_EQ(ReadAll(log), "first\r\nsecond\r\n");
}

TEST_F(LogTest, LogThatCannotBeOpenedGivesUpWithAnError)
{
    fs::create_directory(Dir() + "ocra.log");  // a folder can never be opened for writing
    EXPECT_THROW(AppendLog(Dir() + "ocra.log", "line"), EngineError);
    EXPECT_THROW(AppendLog(Dir() + "missing/ocra.log", "line"), EngineError);
}

TEST_F(LogTest, LogExceptionAppendsTheFileAndTheMessageAsItStandsInTheCurrentFolder)
{
    const TCurrentFolderScope cwd(Dir());
    LogException("/opt/ocra/a.gst", EngineError("Stream read error"));
    LogException("/opt/ocra/b c.stk", EngineError("bad\ndata"));
    EXPECT_EQ(ReadAll(Dir() + LogFileName), "/opt/ocra/a.gst: Stream read error\r\n/opt/ocra/b c.stk: bad\ndata\r\n");
}

// --- Bezier arrays ------------------------------------------------------------------

TEST(Beziers, RoundTripAsBareLittleEndianRecords)
{
    const std::vector<TBezier> curves{{{1, -2}, {3, 4}, {5, 6}, {7, 8}},
                                      {{-100000, 2}, {0, 0}, {65536, -1}, {2147483647, -2147483647 - 1}}};
    TMemoryStream stream;
    WriteBeziers(stream, curves);
    ASSERT_EQ(stream.Size(), 64);
    const std::vector<uint8_t>& bytes = stream.Bytes();
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8),
              (std::vector<uint8_t>{1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}));

    stream.SetPosition(0);
    std::vector<TBezier> back(2);
    ReadBeziers(stream, back);
    EXPECT_EQ(back, curves);
    EXPECT_EQ(stream.Position(), 64);
}

TEST(Beziers, TruncatedArrayRaisesBeforeReading)
{
    TMemoryStream stream;
    WriteBeziers(stream, std::vector<TBezier>(2));
    stream.SetSize(63);
    stream.SetPosition(0);
    std::vector<TBezier> back(2, TBezier{{9, 9}, {9, 9}, {9, 9}, {9, 9}});
    EXPECT_THROW(ReadBeziers(stream, back), EngineError);
    EXPECT_EQ(stream.Position(), 0);

    std::vector<TBezier> none;
    ReadBeziers(stream, none);  // an empty array reads nothing
}

// --- JPEG -------------------------------------------------------------------------

TBitmap32 Gradient(int32_t w, int32_t h)
{
    TBitmap32 bmp(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            bmp.Pixel(x, y) = Color32(static_cast<uint8_t>(x * 255 / (w - 1)), 128,
                                      static_cast<uint8_t>(y * 255 / (h - 1)), static_cast<uint8_t>(x));
    return bmp;
}

int MaxChannelDifference(TColor32 a, TColor32 b)
{
    int d = 0;
    for (int shift = 0; shift < 24; shift += 8)
        d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return d;
}

TEST(Jpeg, RoundTripAtHighQualityKeepsTheColoursAndDropsAlpha)
{
    const TBitmap32 src = Gradient(40, 24);
    TMemoryStream stream;
    stream.WriteInt32(77);  // the image follows other data, as in a style file
    SaveJPEGToStream(src, stream, 100);
    stream.SetPosition(4);

    TBitmap32 back(3, 3);
    back.DrawMode = TDrawMode::dmBlend;
    LoadJPEGFromStream(back, stream);
    EXPECT_EQ(stream.Position(), stream.Size());
    ASSERT_EQ(back.Width(), 40);
    ASSERT_EQ(back.Height(), 24);
    EXPECT_EQ(back.DrawMode, TDrawMode::dmBlend);
    int worst = 0;
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            worst = std::max(worst, MaxChannelDifference(back.Pixel(x, y), src.Pixel(x, y)));
            EXPECT_EQ(back.Pixel(x, y) >> 24, 255u);
        }
    EXPECT_LE(worst, 12);
}

// Start-of-frame marker and its component count.
std::pair<int, int> FrameMarker(const std::vector<uint8_t>& bytes)
{
    for (size_t i = 2; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] >= 0xC0 && bytes[i + 1] <= 0xC2) return {bytes[i + 1], bytes[i + 9]};
    return {0, 0};
}

TEST(Jpeg, WritesABaselineColourImageWhoseSizeFollowsTheQuality)
{
    TBitmap32 grey(64, 64, Color32(90, 90, 90));
    for (int32_t i = 0; i < 64; ++i) grey.Pixel(i, (i * 37) % 64) = Color32(255, 255, 255);
    TMemoryStream low, high;
    SaveJPEGToStream(grey, low, 25);
    SaveJPEGToStream(grey, high, 95);
    ASSERT_GE(low.Size(), 2);
    EXPECT_EQ(low.Bytes()[0], 0xFF);
    EXPECT_EQ(low.Bytes()[1], 0xD8);
    EXPECT_EQ(FrameMarker(low.Bytes()), std::make_pair(0xC0, 3));
    EXPECT_LT(low.Size(), high.Size());
}

TEST(Jpeg, PictureOfAnotherDeclaredSizeIsPassedOverUndecoded)
{
    TMemoryStream encoded;
    SaveJPEGToStream(Gradient(40, 24), encoded, 25);
    const std::vector<uint8_t> good = encoded.Bytes();
    // The frame header's height and width, overwritten.
    const auto declaring = [&](uint16_t width, uint16_t height) {
        std::vector<uint8_t> bytes = good;
        for (size_t i = 2; i + 8 < bytes.size(); ++i)
            if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
                bytes[i + 5] = uint8_t(height >> 8), bytes[i + 6] = uint8_t(height);
                bytes[i + 7] = uint8_t(width >> 8), bytes[i + 8] = uint8_t(width);
                break;
            }
        return bytes;
    };
    std::vector<uint8_t> strayBytes = good;
    strayBytes.insert(strayBytes.begin() + 2, {0x00, 0x17});  // passed over by the decoder too
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool decoded;
    };
    const Case cases[] = {
        {"the expected size", good, true},
        {"stray bytes before the first segment", strayBytes, true},
        {"one row more", declaring(40, 25), false},
        {"8000 x 4000", declaring(8000, 4000), false},
        {"beyond the decoder's limit", declaring(65535, 65535), false},
    };
    for (const Case& c : cases) {
        TMemoryStream stream(c.bytes);
        TBitmap32 dest(2, 2, Color32(1, 2, 3));
        EXPECT_EQ(LoadJPEGOfSizeFromStream(dest, stream, 40, 24), c.decoded) << c.what;
        EXPECT_EQ(stream.Position(), stream.Size()) << c.what;
        EXPECT_EQ(dest.Width(), c.decoded ? 40 : 2) << c.what;
    }
    // Without a frame header before the image data there is no size to trust.
    std::vector<uint8_t> headless{0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02, 0x11, 0x22};
    TMemoryStream stream(headless);
    TBitmap32 dest;
    EXPECT_THROW(LoadJPEGOfSizeFromStream(dest, stream, 40, 24), EngineError);
}

TEST(Jpeg, DataThatIsNotAJpegRaisesAndLeavesTheBitmap)
{
    TMemoryStream stream(std::vector<uint8_t>{'B', 'M', 1, 2, 3, 4, 5, 6});
    TBitmap32 dest(2, 2, Color32(1, 2, 3));
    EXPECT_THROW(LoadJPEGFromStream(dest, stream), EngineError);
    EXPECT_EQ(dest.Width(), 2);
    EXPECT_EQ(dest.Pixel(1, 1), Color32(1, 2, 3));

    TMemoryStream empty;
    EXPECT_THROW(LoadJPEGFromStream(dest, empty), EngineError);
}

} // namespace
