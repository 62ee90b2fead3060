// Saving the result image: the kind chosen by the extension, the bytes of each
// kind (JPEG at quality 90, 24-bit bottom-up BMP, TIFF with its resolution),
// and failures that write nothing and keep an earlier file.
#include "app/domain/ResultImage.h"

#include "app/domain/BitmapMemory.h"

#include "FileTestSupport.h"
#include "gfx/Bitmap32.h"

#include <gtest/gtest.h>

#include <QImage>

#include <tiffio.h>

#include <cmath>
#include <cstdlib>

namespace {

// Opaque colours that a JPEG keeps roughly: four flat quadrants.
TBitmap32 Quadrants(int32_t w, int32_t h)
{
    TBitmap32 bmp(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            bmp.Pixel(x, y) = x < w / 2 ? (y < h / 2 ? Color32(200, 30, 30) : Color32(30, 200, 30))
                                        : (y < h / 2 ? Color32(30, 30, 200, 90) : Color32(250, 250, 250));
    return bmp;
}

// Detail that no encoder squeezes into a few kilobytes.
TBitmap32 Busy(int32_t w, int32_t h)
{
    TBitmap32 bmp(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) bmp.Pixel(x, y) = Color32(uint8_t(x * y), uint8_t(x * 31 ^ y * 17), uint8_t(x + y * y));
    return bmp;
}

uint32_t LittleEndian(const std::string& bytes, size_t at, int count)
{
    uint32_t v = 0;
    for (int i = count - 1; i >= 0; --i) v = v << 8 | uint8_t(bytes[at + i]);
    return v;
}

// The first value of the first quantisation table: libjpeg scales the standard
// luminance table's 16 by (200 - 2 x quality) percent, so quality 90 gives 3.
int FirstQuantValue(const std::string& jpeg)
{
    const size_t dqt = jpeg.find("\xFF\xDB");
    if (dqt == std::string::npos) return -1;
    return uint8_t(jpeg[dqt + 5]);
}

} // namespace

TEST(ResultImage, KindFollowsTheUpperCasedExtension)
{
    const std::vector<std::pair<std::string, TResultKind>> cases = {
        {"a.jpg", TResultKind::Jpeg},  {"a.JPEG", TResultKind::Jpeg},     {"a.Jpeg", TResultKind::Jpeg},
        {"a.bmp", TResultKind::Bmp},   {"a.BMP", TResultKind::Bmp},       {"a.Tif", TResultKind::Tiff},
        {"a.TIFF", TResultKind::Tiff}, {"/x/y.z/a.tif", TResultKind::Tiff}, {"a.png", TResultKind::None},
        {"a", TResultKind::None},      {"dir.jpg/a", TResultKind::None},  {"a.jpg.png", TResultKind::None},
        {"a.jpgx", TResultKind::None}, {"", TResultKind::None},
    };
    for (const auto& [name, kind] : cases) EXPECT_EQ(ResultKindOf(name), kind) << name;
}

TEST(ResultImage, EachKindWritesItsOwnFormat)
{
    TScratchFolder dir;
    const TBitmap32 picture = Quadrants(40, 30);
    for (const char* name : {"a.JPEG", "a.jpg", "a.Tif", "a.TIFF", "a.bmp"})
        SaveResultImage(picture, dir.Path(name), 200.0);

    for (const char* name : {"a.JPEG", "a.jpg"}) {
        const std::string bytes = ReadFileBytes(dir.Path(name));
        EXPECT_EQ(bytes.substr(0, 3), "\xFF\xD8\xFF") << name;
        EXPECT_EQ(FirstQuantValue(bytes), 3) << name << ": quality 90";
        const QImage image(QString::fromStdString(dir.Path(name)), "JPEG");
        ASSERT_EQ(image.size(), QSize(40, 30));
        const QRgb red = image.pixel(5, 5);
        EXPECT_NEAR(qRed(red), 200, 6);
        EXPECT_NEAR(qGreen(red), 30, 6);
        // Alpha is dropped, not blended: the 90-alpha blue stays blue.
        EXPECT_NEAR(qBlue(image.pixel(35, 5)), 200, 6);
    }
    for (const char* name : {"a.Tif", "a.TIFF"}) {
        EXPECT_EQ(ReadFileBytes(dir.Path(name)).substr(0, 4), std::string("II*\0", 4)) << name;
        TIFF* tif = TIFFOpen(dir.Path(name).c_str(), "r");
        ASSERT_TRUE(tif);
        float dpi = 0;
        TIFFGetField(tif, TIFFTAG_XRESOLUTION, &dpi);
        EXPECT_EQ(dpi, 200.0f);
        TIFFClose(tif);
    }
}

TEST(ResultImage, BmpIs24BitsBottomUpWithoutAlpha)
{
    TScratchFolder dir;
    const TBitmap32 picture = Quadrants(5, 4); // rows of 15 bytes, padded to 16
    SaveResultImage(picture, dir.Path("r.bmp"), 200.0);
    const std::string bmp = ReadFileBytes(dir.Path("r.bmp"));
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    const uint32_t offBits = LittleEndian(bmp, 10, 4);
    EXPECT_EQ(LittleEndian(bmp, 14, 4), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(LittleEndian(bmp, 18, 4), 5u);
    EXPECT_EQ(LittleEndian(bmp, 22, 4), 4u) << "positive height: bottom-up";
    EXPECT_EQ(LittleEndian(bmp, 28, 2), 24u);
    EXPECT_EQ(LittleEndian(bmp, 30, 4), 0u) << "uncompressed";
    ASSERT_EQ(bmp.size(), offBits + 4 * 16);
    // The first row in the file is the picture's bottom row, blue green red.
    const auto pixel = [&](int row, int x) { return bmp.substr(offBits + row * 16 + x * 3, 3); };
    EXPECT_EQ(pixel(0, 0), std::string("\x1E\xC8\x1E", 3));   // bottom-left green
    EXPECT_EQ(pixel(3, 0), std::string("\x1E\x1E\xC8", 3));   // top-left red
    EXPECT_EQ(pixel(3, 4), std::string("\xC8\x1E\x1E", 3));   // top-right blue, its alpha of 90 gone
    // Written from the bitmap's own pixels, not a copy of them.
    EXPECT_EQ(picture.WrapAsOpaqueImage().constBits(), reinterpret_cast<const uchar*>(picture.Bits()));
}

// Qt's BMP writer writes nothing of a file over 2^31 - 1 bytes, headers
// included: the rows around that edge, counted without a bitmap. libjpeg
// writes nothing of a picture over 65500 pixels a side.
TEST(ResultImage, SizesAreRefusedWhereTheWritersWouldFail)
{
    EXPECT_EQ(BmpPixelBytes(5, 4), 64); // rows of 15 bytes padded to 16
    const struct {
        int64_t Width, Height, PixelBytes;
        bool Written;
    } rows[] = {
        {1, 536870898, 2147483592, true},   // a file of 2^31 - 2 bytes, the largest Qt writes
        {1, 536870899, 2147483596, false},
        {65075260, 11, 2147483580, true},
        {65075261, 11, 2147483624, false},  // under 2^31 only without the headers
        {26700, 26700, 2138670000, true},
        {26800, 26800, 2154720000, false},
        {100000, 100000, 30000000000, false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(BmpPixelBytes(r.Width, r.Height), r.PixelBytes) << r.Width;
        const std::string error = ErrorOf([&] { CheckResultSize(TResultKind::Bmp, "r.bmp", r.Width, r.Height); });
        EXPECT_EQ(error, r.Written ? "(no error)"
                                   : "Could not write r.bmp: the picture holds " + std::to_string(r.PixelBytes) +
                                         " bytes of pixels; a BMP file takes at most 2147483593");
    }
    EXPECT_EQ(ErrorOf([] { CheckResultSize(TResultKind::Jpeg, "r.jpg", 65500, 65500); }), "(no error)");
    TScratchFolder dir;
    for (const auto& [width, height] : {std::pair{65501, 1}, {1, 65501}}) {
        const std::string file = dir.Path("r.jpg");
        EXPECT_EQ(ErrorOf([&] { SaveResultImage(TBitmap32(width, height), file, 200.0); }),
                  "Could not write " + file + ": the picture is " + std::to_string(width) + " x " +
                      std::to_string(height) + " pixels; a JPEG file takes at most 65500 pixels a side");
    }
    EXPECT_TRUE(dir.Entries().empty());
}

// Counted before the bitmap is made, as the file's kind is chosen after it.
TEST(ResultImage, ASizeMustLeaveRoomForTheBitmapAndTheCostliestWriter)
{
    // A square that opening a picture would hold leaves no room for TIFF's
    // RGB buffer, half its sides does.
    const int64_t held = int64_t(std::sqrt(double(MaxPixelsInMemory())));
    ASSERT_TRUE(BitmapFitsInMemory(held, held));
    EXPECT_FALSE(ResultFitsInMemory(held, held));
    EXPECT_TRUE(ResultFitsInMemory(held / 2, held / 2));
    EXPECT_EQ(MaxPixelsInMemory(4), MaxPixelsInMemory() / 2); // 4 bytes a pixel more: half the pixels
    EXPECT_EQ(MaxPixelsInMemory(0, int64_t(1) << 62), 0);     // more set aside than there is
}

TEST(ResultImage, UnsupportedTypeWritesNothingAndNamesTheSupportedOnes)
{
    TScratchFolder dir;
    const std::string error = ErrorOf([&] { SaveResultImage(Quadrants(4, 4), dir.Path("a.png"), 200.0); });
    EXPECT_EQ(error.rfind("Unsupported file type", 0), 0u) << error;
    for (const char* ext : {"*.jpg", "*.jpeg", "*.bmp", "*.tif", "*.tiff"}) {
        EXPECT_NE(SupportedResultTypesText().find(ext), std::string::npos) << ext;
        EXPECT_NE(error.find(ext), std::string::npos) << ext;
    }
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(ResultImage, FailedWritesKeepTheEarlierFile)
{
    TScratchFolder dir;
    for (const char* name : {"old.jpg", "old.bmp", "old.tif"}) {
        const std::string file = dir.Path(name);
        WriteFileBytes(file, "earlier result");
        EXPECT_EQ(ErrorOf([&] { SaveResultImage(TBitmap32(), file, 200.0); }),
                  "Could not write " + file + ": the picture is empty");
        std::string capped;
        {
            FileSizeLimit cap(1024);
            capped = ErrorOf([&] { SaveResultImage(Busy(400, 300), file, 200.0); });
        }
        EXPECT_EQ(capped, "Could not write " + file + ": File too large");
        EXPECT_EQ(ReadFileBytes(file), "earlier result") << name;
    }
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"old.bmp", "old.jpg", "old.tif"}));

    const std::string missing = dir.Path("gone/r.bmp");
    EXPECT_EQ(ErrorOf([&] { SaveResultImage(Quadrants(4, 4), missing, 200.0); }).rfind("Could not open " + missing, 0),
              0u);
}

TEST(ResultImage, ASuccessfulSaveReplacesTheEarlierFile)
{
    TScratchFolder dir;
    const std::string file = dir.Path("r.bmp");
    WriteFileBytes(file, "earlier result");
    SaveResultImage(Quadrants(6, 6), file, 200.0);
    EXPECT_EQ(QImage(QString::fromStdString(file)).size(), QSize(6, 6));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"r.bmp"});
}
