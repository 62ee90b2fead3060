// Reading source pictures from files of every kind, and the clipboard's image
// conversions: pixels exact where the format keeps them, the target untouched
// by a failure, its view settings kept on success.
#include "app/domain/PictureReader.h"

#include "FileTestSupport.h"
#include "LargePictureFiles.h"
#include "app/domain/TiffWriter.h"
#include "common/FifoWatch.h"
#include "gfx/Bitmap32.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include <filesystem>

namespace {

// Every pixel its own colour and alpha.
TBitmap32 Pattern(int32_t w, int32_t h)
{
    TBitmap32 bmp(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            bmp.Pixel(x, y) = Color32(uint8_t(x * 9), uint8_t(y * 13), uint8_t(x * y), uint8_t(255 - x - y));
    return bmp;
}

TBitmap32 Opaque(TBitmap32 bmp)
{
    for (int32_t y = 0; y < bmp.Height(); ++y)
        for (int32_t x = 0; x < bmp.Width(); ++x) bmp.Pixel(x, y) |= 0xFF000000u;
    return bmp;
}

bool SamePixels(const TBitmap32& a, const TBitmap32& b)
{
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Bits(), a.Bits() + size_t(a.Width()) * a.Height(), b.Bits());
}

void SaveBmp32(const TBitmap32& bmp, const std::string& fileName)
{
    TFileStream out(fileName, TFileStream::Mode::Create);
    bmp.SaveToStream(out);
}

// A view's bitmap: its own draw settings and a change handler.
struct ViewBitmap {
    TBitmap32 bitmap{3, 2, Color32(1, 2, 3)};
    int changes = 0;
    ViewBitmap()
    {
        bitmap.DrawMode = TDrawMode::dmBlend;
        bitmap.MasterAlpha = 128;
        bitmap.StretchFilter = TStretchFilter::sfLinear;
        bitmap.OnChange = [this] { ++changes; };
    }
    void ExpectSettingsKept()
    {
        EXPECT_EQ(bitmap.DrawMode, TDrawMode::dmBlend);
        EXPECT_EQ(bitmap.MasterAlpha, 128);
        EXPECT_EQ(bitmap.StretchFilter, TStretchFilter::sfLinear);
        ASSERT_TRUE(bitmap.OnChange);
        bitmap.OnChange();
        EXPECT_EQ(changes, 1);
    }
    void ExpectUntouched() const { EXPECT_TRUE(SamePixels(bitmap, TBitmap32(3, 2, Color32(1, 2, 3)))); }
};

} // namespace

TEST(PictureReader, ReadsEveryKindOfFileWithItsPixels)
{
    TScratchFolder dir;
    const TBitmap32 picture = Pattern(19, 11);
    SaveBmp32(picture, dir.Path("own.bmp"));
    SaveBitmapAsTiff(picture, dir.Path("result.tif"), 200.0);
    ASSERT_TRUE(picture.ToImage().save(QString::fromStdString(dir.Path("alpha.png"))));
    ASSERT_TRUE(picture.ToImage().convertToFormat(QImage::Format_RGB32).save(
        QString::fromStdString(dir.Path("qt24.bmp"))));
    // A palette BMP: a depth our own reader leaves to Qt's.
    QImage indexed(4, 3, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 50)});
    indexed.fill(1);
    indexed.setPixel(0, 0, 0);
    ASSERT_TRUE(indexed.save(QString::fromStdString(dir.Path("palette.bmp"))));

    const struct {
        const char* name;
        TBitmap32 expected;
    } cases[] = {
        {"own.bmp", picture},               // 32 bits: alpha is data, kept exactly
        {"alpha.png", picture},             // straight alpha, no premultiplied detour
        {"qt24.bmp", Opaque(picture)},      // 24 bits: opaque
        {"result.tif", Opaque(picture)},    // our own TIFF through Qt's TIFF reader
    };
    for (const auto& c : cases) {
        ViewBitmap view;
        ReadPictureFile(dir.Path(c.name), view.bitmap);
        EXPECT_TRUE(SamePixels(view.bitmap, c.expected)) << c.name;
        view.ExpectSettingsKept();
    }
    ViewBitmap view;
    ReadPictureFile(dir.Path("palette.bmp"), view.bitmap);
    ASSERT_EQ(view.bitmap.Width(), 4);
    EXPECT_EQ(view.bitmap.Pixel(0, 0), Color32(10, 20, 30));
    EXPECT_EQ(view.bitmap.Pixel(3, 2), Color32(200, 100, 50));
}

TEST(PictureReader, FailuresCarryTheReadersMessageAndLeaveTheTargetAlone)
{
    TScratchFolder dir;
    WriteFileBytes(dir.Path("depth.bmp"), std::string("BM") + std::string(60, '\x7F'));
    WriteFileBytes(dir.Path("short.bmp"), "BM0123456789");
    WriteFileBytes(dir.Path("noise.png"), "this is no picture at all");
    std::string truncated = ReadFileBytes([&] {
        SaveBmp32(Pattern(8, 8), dir.Path("whole.bmp"));
        return dir.Path("whole.bmp");
    }());
    WriteFileBytes(dir.Path("cut.bmp"), truncated.substr(0, truncated.size() - 10));

    const std::pair<const char*, const char*> cases[] = {
        {"short.bmp", "Invalid BMP image: header truncated"},
        {"depth.bmp", "depth.bmp"}, // a depth of its own: Qt's refusal
        {"cut.bmp", "Invalid BMP image: pixel data truncated"},
        {"noise.png", "noise.png"},
        {"missing.jpg", "missing.jpg"},
        // Chosen in the open dialog, a FIFO or a folder named like a picture
        // is refused at once: the readers would wait for a writer.
        {"pipe.jpg", "pipe.jpg\". Not a regular file"},
        {"pipe.bmp", "pipe.bmp\". Not a regular file"},
        {"folder.png", "folder.png\". Not a regular file"},
    };
    MakeFifo(dir.Path("pipe.jpg"));
    MakeFifo(dir.Path("pipe.bmp"));
    std::filesystem::create_directory(dir.Path("folder.png"));
    for (const auto& [name, expected] : cases) {
        ViewBitmap view;
        std::string error;
        WithoutWaitingFor(dir.Path(name), [&] { error = ErrorOf([&] { ReadPictureFile(dir.Path(name), view.bitmap); }); });
        EXPECT_NE(error.find(expected), std::string::npos) << name << ": " << error;
        view.ExpectUntouched();
    }
}

// A file of a few hundred kilobytes may state billions of pixels: it is
// refused by the size in its header, before any pixel is decoded.
TEST(PictureReader, PictureTooLargeToHoldIsRefusedByItsHeader)
{
    TScratchFolder dir;
    largepictures::WriteBlackPng(dir.Path("huge.png"), 50000, 50000);
    ViewBitmap view;
    EXPECT_EQ(ErrorOf([&] { ReadPictureFile(dir.Path("huge.png"), view.bitmap); }),
              "The picture of 50000 x 50000 pixels is too large");
    view.ExpectUntouched();
}

TEST(PictureReader, ClipboardImagesAreOpaqueAndComeBackAsTheyWent)
{
    const TBitmap32 picture = Pattern(7, 5);
    const QImage image = BitmapToImage(picture);
    ASSERT_EQ(image.size(), QSize(7, 5));
    EXPECT_FALSE(image.hasAlphaChannel());
    // The colour stays; the alpha byte (data to us) is not blended into it.
    EXPECT_EQ(image.pixel(6, 4), Opaque(picture).Pixel(6, 4));

    ViewBitmap view;
    ImageToBitmap(image, view.bitmap);
    EXPECT_TRUE(SamePixels(view.bitmap, Opaque(picture)));
    view.ExpectSettingsKept();

    // Through the system clipboard and back.
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setImage(BitmapToImage(picture));
    ViewBitmap pasted;
    ImageToBitmap(clipboard->image(), pasted.bitmap);
    EXPECT_TRUE(SamePixels(pasted.bitmap, Opaque(picture)));

    ViewBitmap empty;
    EXPECT_EQ(ErrorOf([&] { ImageToBitmap(QImage(), empty.bitmap); }), "The clipboard holds no picture");
    empty.ExpectUntouched();
    EXPECT_TRUE(BitmapToImage(TBitmap32()).isNull());
}
