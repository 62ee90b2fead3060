#include "app/domain/PictureReader.h"

#include "gfx/Bitmap32.h"
#include "gfx/Errors.h"
#include "gfx/PictureFile.h"
#include "gfx/Stream.h"

#include <QImage>

#include <algorithm>
#include <fstream>

namespace {

bool StartsWithBM(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    char magic[2] = {};
    return in.read(magic, 2) && magic[0] == 'B' && magic[1] == 'M';
}

TBitmap32 ReadBmp(const std::string& fileName)
{
    TBitmap32 picture;
    TFileStream stream(fileName, TFileStream::Mode::OpenRead);
    picture.LoadFromStream(stream);
    return picture;
}

// Takes size and pixels only: the target is a view's bitmap whose draw
// settings and change handler belong to the view.
void TakePixels(const TBitmap32& picture, TBitmap32& target)
{
    target.SetSize(picture.Width(), picture.Height());
    std::copy_n(picture.Bits(), size_t(picture.Width()) * size_t(picture.Height()), target.Bits());
}

} // namespace

void ReadPictureFile(const std::string& fileName, TBitmap32& target)
{
    TBitmap32 picture;
    if (StartsWithBM(fileName)) {
        try {
            picture = ReadBmp(fileName);
        } catch (const EngineError& own) {
            // Our reader takes the 24- and 32-bit BMPs that carry data in
            // alpha; Qt reads the other depths. Its complaint about a file
            // neither can read says less than ours.
            try {
                picture = LoadPictureFile(fileName);
            } catch (const EngineError&) {
                throw own;
            }
        }
    } else {
        picture = LoadPictureFile(fileName);
    }
    TakePixels(picture, target);
}

QImage BitmapToImage(const TBitmap32& bitmap)
{
    // Qt's conversion to RGB32 sets alpha to 255 and keeps the colour as it
    // is (no blending over black).
    return bitmap.ToImage().convertToFormat(QImage::Format_RGB32);
}

void ImageToBitmap(const QImage& image, TBitmap32& target)
{
    if (image.isNull()) throw EngineError("The clipboard holds no picture");
    TakePixels(TBitmap32::FromImage(image), target);
}
