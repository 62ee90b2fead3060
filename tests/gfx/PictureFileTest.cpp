// Picture files through Qt's readers.
#include "gfx/Errors.h"
#include "gfx/PictureFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

namespace {

using ::testing::HasSubstr;

// An opaque picture of one colour saved in the folder; its file name.
std::string SavedPicture(const QTemporaryDir& dir, const char* name, int width, int height, QRgb colour,
                         const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    const QString fileName = dir.filePath(name);
    EXPECT_TRUE(image.save(fileName, format, 50)) << name;
    return fileName.toStdString();
}

TEST(PictureFileTest, ReadsAPngWithStraightAlpha)
{
    QTemporaryDir dir;
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(0xFF102030u);
    image.setPixel(1, 0, 0x80FF8040u); // translucent: must not come back premultiplied
    image.setPixel(2, 1, 0x00000000u);
    const QString name = dir.filePath("picture.png");
    ASSERT_TRUE(image.save(name, "PNG"));

    const TBitmap32 b = LoadPictureFile(name.toStdString());
    ASSERT_EQ(b.Width(), 3);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(b.Pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(b.Pixel(1, 0), 0x80FF8040u);
    EXPECT_EQ(b.Pixel(2, 1), 0x00000000u);
}

TEST(PictureFileTest, ReadsAJpegAsOpaque)
{
    QTemporaryDir dir;
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(0xFF808080u);
    const QString name = dir.filePath("photo.jpg");
    ASSERT_TRUE(image.save(name, "JPEG", 100));
    const TBitmap32 b = LoadPictureFile(name.toStdString());
    EXPECT_EQ(AlphaComponent(b.Pixel(3, 3)), 255);
    EXPECT_NEAR(RedComponent(b.Pixel(3, 3)), 128, 2);
}

TEST(PictureFileTest, MissingAndDamagedFilesRaiseWithTheirName)
{
    QTemporaryDir dir;
    const std::string missing = dir.filePath("nothing.png").toStdString();
    try {
        LoadPictureFile(missing);
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_THAT(e.what(), HasSubstr(missing));
    }

    const QString damaged = dir.filePath("damaged.png");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG\r\n\x1a\nnot really");
    file.close();
    EXPECT_THROW(LoadPictureFile(damaged.toStdString()), EngineError);
}

// Qt's readers refuse by default to allocate more than 128 MB, 33,554,432
// 32-bit pixels: a photograph of 34 megapixels was not opened at all.
TEST(PictureFileTest, PhotographAboveQtsDefaultAllocationLimitIsRead)
{
    QTemporaryDir dir;
    const TBitmap32 b = LoadPictureFile(SavedPicture(dir, "photo.jpg", 8192, 4100, 0xFF3060A0u, "JPEG"));
    ASSERT_EQ(b.Width(), 8192);
    ASSERT_EQ(b.Height(), 4100);
    EXPECT_NEAR(BlueComponent(b.Pixel(8191, 4099)), 0xA0, 3);
}

TEST(PictureFileTest, DecodingAllocatesNoMoreThanTheBoundItIsGiven)
{
    QTemporaryDir dir;
    // 8 MB of 32-bit pixels.
    const std::string name = SavedPicture(dir, "picture.png", 2048, 1024, 0xFF808080u, "PNG");
    const int processLimit = QImageReader::allocationLimit();
    EXPECT_THROW(LoadPictureFile(name, 1 << 20), EngineError); // 4 MB
    EXPECT_EQ(LoadPictureFile(name, 1 << 21).Width(), 2048);  // 8 MB
    // The limit is Qt's for the whole process: other readers keep theirs.
    EXPECT_EQ(QImageReader::allocationLimit(), processLimit);
}

TEST(PictureFileTest, SizeIsReadFromTheHeader)
{
    QTemporaryDir dir;
    SavedPicture(dir, "p.png", 300, 200, 0xFF000000u, "PNG");
    SavedPicture(dir, "p.jpg", 300, 200, 0xFF000000u, "JPEG");
    QFile noise(dir.filePath("noise.png"));
    ASSERT_TRUE(noise.open(QIODevice::WriteOnly));
    noise.write("this is no picture at all");
    noise.close();
    const std::pair<const char*, std::optional<TPictureSize>> cases[] = {
        {"p.png", TPictureSize{300, 200}},
        {"p.jpg", TPictureSize{300, 200}},
        {"noise.png", std::nullopt},
        {"missing.png", std::nullopt},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(PictureFileSize(dir.filePath(name).toStdString()), expected) << name;
}

} // namespace
