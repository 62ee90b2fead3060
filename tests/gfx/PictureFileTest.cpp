// Picture files through Qt's readers.
#include "gfx/Errors.h"
#include "gfx/PictureFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace {

using ::testing::HasSubstr;

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

} // namespace
