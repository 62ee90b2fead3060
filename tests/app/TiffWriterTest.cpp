// The TIFF writer: the pixel buffer's layout, the tags and pixels libtiff reads
// back, the resolution, and every refusal leaving no file (and an earlier file
// of the name untouched).
#include "app/domain/TiffWriter.h"

#include "FileTestSupport.h"
#include "gfx/Bitmap32.h"
#include "gfx/Errors.h"

#include <gtest/gtest.h>

#include <QImage>

#include <tiffio.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <random>

namespace {

TBitmap32 TwoPixels()
{
    TBitmap32 bmp(2, 1);
    bmp.Pixel(0, 0) = Color32(16, 32, 48, 255);
    bmp.Pixel(1, 0) = Color32(64, 80, 96, 128);
    return bmp;
}

// A picture whose every pixel differs from its neighbours, alpha varying too.
TBitmap32 Gradient(int32_t w, int32_t h)
{
    TBitmap32 bmp(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            bmp.Pixel(x, y) = Color32(uint8_t(x * 7 + y), uint8_t(y * 11 + 3), uint8_t(x ^ y), uint8_t(x * y));
    return bmp;
}

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

TiffPtr OpenTiff(const std::string& fileName) { return TiffPtr(TIFFOpen(fileName.c_str(), "r")); }

template <typename T>
T Tag(TIFF* tif, uint32_t tag)
{
    T value{};
    EXPECT_EQ(TIFFGetField(tif, tag, &value), 1) << "tag " << tag;
    return value;
}

std::vector<uint8_t> Strip0(TIFF* tif)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(TIFFStripSize(tif)));
    EXPECT_EQ(TIFFReadEncodedStrip(tif, 0, bytes.data(), tmsize_t(bytes.size())), tmsize_t(bytes.size()));
    return bytes;
}

} // namespace

TEST(TiffBuff, RowsOfRedGreenBlueWithoutAlphaOrPadding)
{
    TTiffBuff buffer;
    buffer.Fill(TwoPixels());
    EXPECT_EQ(buffer.Width, 2);
    EXPECT_EQ(buffer.Height, 1);
    EXPECT_EQ(buffer.Size, 6);
    EXPECT_EQ(buffer.Data, (std::vector<uint8_t>{16, 32, 48, 64, 80, 96}));

    // Odd widths: three bytes a pixel, the next row straight after.
    buffer.Fill(Gradient(3, 2));
    ASSERT_EQ(buffer.Size, 18);
    EXPECT_EQ(buffer.Data[9], 1);   // red of (0, 1)
    EXPECT_EQ(buffer.Data[10], 14); // its green
    EXPECT_EQ(buffer.Data[17], 3);  // blue of (2, 1)
}

TEST(TiffBuff, SizeIsCountedIn64BitsAndCappedAtTheClassicTiffLimit)
{
    // 50000 x 30000 x 3 wraps round in 32 bits.
    EXPECT_EQ(TTiffBuff::BufferSize(50000, 30000), 4500000000ll);
    EXPECT_NO_THROW(TTiffBuff::CheckSize(1431655765, 1)); // 4294967295 bytes exactly
    EXPECT_NO_THROW(TTiffBuff::CheckSize(0, 0));
    const std::string refused = ErrorOf([] { TTiffBuff::CheckSize(1431655766, 1); });
    EXPECT_NE(refused.find("4294967298 bytes"), std::string::npos) << refused;
    EXPECT_NE(ErrorOf([] { TTiffBuff::CheckSize(50000, 30000); }), "(no error)");
}

TEST(TiffWriter, TwoPixelKnownAnswerReadsBackWithTheDesignedTags)
{
    TScratchFolder dir;
    const std::string name = dir.Path("two.tif");
    SaveBitmapAsTiff(TwoPixels(), name, 200.0);

    EXPECT_EQ(ReadFileBytes(name).substr(0, 4), std::string("II*\0", 4));
    TiffPtr tif = OpenTiff(name);
    ASSERT_TRUE(tif);
    TIFF* t = tif.get();
    EXPECT_EQ(Tag<uint32_t>(t, TIFFTAG_IMAGEWIDTH), 2u);
    EXPECT_EQ(Tag<uint32_t>(t, TIFFTAG_IMAGELENGTH), 1u);
    EXPECT_EQ(Tag<uint16_t>(t, TIFFTAG_BITSPERSAMPLE), 8);
    EXPECT_EQ(Tag<uint16_t>(t, TIFFTAG_SAMPLESPERPIXEL), 3);
    EXPECT_EQ(Tag<uint32_t>(t, TIFFTAG_ROWSPERSTRIP), 1u);
    EXPECT_EQ(Tag<uint16_t>(t, TIFFTAG_COMPRESSION), COMPRESSION_LZW);
    EXPECT_EQ(Tag<uint16_t>(t, TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_RGB);
    EXPECT_EQ(Tag<uint16_t>(t, TIFFTAG_FILLORDER), FILLORDER_LSB2MSB);
    EXPECT_EQ(Tag<uint16_t>(t, TIFFTAG_PLANARCONFIG), PLANARCONFIG_CONTIG);
    EXPECT_EQ(Tag<float>(t, TIFFTAG_XRESOLUTION), 200.0f);
    EXPECT_EQ(Tag<float>(t, TIFFTAG_YRESOLUTION), 200.0f);
    EXPECT_EQ(Tag<uint16_t>(t, TIFFTAG_RESOLUTIONUNIT), RESUNIT_INCH);
    EXPECT_EQ(TIFFNumberOfStrips(t), 1u);
    EXPECT_EQ(Strip0(t), (std::vector<uint8_t>{16, 32, 48, 64, 80, 96}));
    EXPECT_EQ(TIFFReadDirectory(t), 0) << "one page only";
}

TEST(TiffWriter, ResolutionAndPixelsOfALargerPictureSurvive)
{
    TScratchFolder dir;
    const TBitmap32 picture = Gradient(37, 23);
    for (double dpi : {72.0, 300.5, 1200.0}) {
        const std::string name = dir.Path("grad.tiff");
        SaveBitmapAsTiff(picture, name, dpi);
        TiffPtr tif = OpenTiff(name);
        ASSERT_TRUE(tif);
        EXPECT_FLOAT_EQ(Tag<float>(tif.get(), TIFFTAG_XRESOLUTION), float(dpi));
        EXPECT_FLOAT_EQ(Tag<float>(tif.get(), TIFFTAG_YRESOLUTION), float(dpi));
        EXPECT_EQ(Tag<uint32_t>(tif.get(), TIFFTAG_ROWSPERSTRIP), 23u);
        TTiffBuff expected;
        expected.Fill(picture);
        EXPECT_EQ(Strip0(tif.get()), expected.Data) << dpi;
    }
    // Qt's reader (the picture registry of Open) takes the file as well.
    QImage image(QString::fromStdString(dir.Path("grad.tiff")));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(36, 22), picture.Pixel(36, 22) | 0xFF000000u);
    EXPECT_EQ(qRound(image.dotsPerMeterX() * 0.0254), 1200);

    // Noise whose strip compresses to more than libtiff's output buffer: the
    // encoder writes it out as it fills and the strip reads back whole.
    TBitmap32 noise(700, 700);
    std::mt19937 random(7);
    for (int32_t y = 0; y < 700; ++y)
        for (int32_t x = 0; x < 700; ++x) noise.Pixel(x, y) = TColor32(random());
    SaveBitmapAsTiff(noise, dir.Path("noise.tif"), 200.0);
    ASSERT_GT(int64_t(std::filesystem::file_size(dir.Path("noise.tif"))), TiffOutputBufferSize);
    TTiffBuff expected;
    expected.Fill(noise);
    EXPECT_EQ(Strip0(OpenTiff(dir.Path("noise.tif")).get()), expected.Data);
}

TEST(TiffWriter, RefusalsNameTheFileAndLeaveNothingBehind)
{
    TScratchFolder dir;
    const std::string missing = dir.Path("no/such/folder/x.tif");
    EXPECT_EQ(ErrorOf([&] { SaveBitmapAsTiff(TwoPixels(), missing, 200.0); }),
              "Could not open " + missing + " for writing: No such file or directory");

    const std::string kept = dir.Path("kept.tif");
    WriteFileBytes(kept, "earlier picture");
    for (const TBitmap32& empty : {TBitmap32(), TBitmap32(5, 0), TBitmap32(0, 5)})
        EXPECT_EQ(ErrorOf([&] { SaveBitmapAsTiff(empty, kept, 200.0); }),
                  "Could not write " + kept + ": the picture is empty");
    // libtiff refuses a resolution that is not a number.
    const std::string nan = ErrorOf([&] { SaveBitmapAsTiff(TwoPixels(), kept, std::nan("")); });
    EXPECT_EQ(nan.rfind("Could not write " + kept + ": cannot set XResolution", 0), 0u) << nan;

    EXPECT_EQ(ReadFileBytes(kept), "earlier picture");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"kept.tif"});
}

TEST(TiffWriter, AWriteThatFailsPartWayKeepsTheEarlierFile)
{
    TScratchFolder dir;
    const std::string name = dir.Path("big.tif");
    WriteFileBytes(name, "earlier picture");
    std::string error;
    {
        FileSizeLimit cap(4096);
        error = ErrorOf([&] { SaveBitmapAsTiff(Gradient(300, 200), name, 200.0); });
    }
    // The system's reason, not only libtiff's word for it.
    EXPECT_EQ(error, "Could not write " + name + ": File too large");
    EXPECT_EQ(ReadFileBytes(name), "earlier picture");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"big.tif"});

    // Without the cap the same save replaces it.
    SaveBitmapAsTiff(Gradient(300, 200), name, 200.0);
    EXPECT_TRUE(OpenTiff(name));
}
