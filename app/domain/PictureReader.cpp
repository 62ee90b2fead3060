#include "app/domain/PictureReader.h"

#include "app/domain/BitmapMemory.h"
#include "gfx/Bitmap32.h"
#include "gfx/Errors.h"
#include "gfx/PictureFile.h"
#include "gfx/Stream.h"

#include <QImage>

#include <algorithm>
#include <fstream>
#include <optional>

namespace {

enum class TPictureReader { OwnBmp, Qt };

// Files that start with "BM" are ours, except the palette and 16-bit depths
// our reader does not take (its depths carry alpha as data; those never do).
// A header too short to say is ours too, so that its damage is reported.
TPictureReader ReaderFor(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    unsigned char header[30] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    if (in.gcount() < 2 || header[0] != 'B' || header[1] != 'M') return TPictureReader::Qt;
    if (in.gcount() < std::streamsize(sizeof header)) return TPictureReader::OwnBmp;
    const int bitCount = header[28] | header[29] << 8;
    return bitCount == 24 || bitCount == 32 ? TPictureReader::OwnBmp : TPictureReader::Qt;
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

// A picture file of a few hundred kilobytes can state billions of pixels:
// it is refused by its header, before a reader allocates anything. Formats
// that do not state a size are held to the same bound while they decode.
void CheckPictureFileSize(const std::string& fileName, int64_t maxPixels)
{
    const std::optional<TPictureSize> size = PictureFileSize(fileName);
    if (size && int64_t(size->Width) * size->Height > maxPixels)
        throw EngineError(TooLargePictureText(size->Width, size->Height));
}

} // namespace

void ReadPictureFile(const std::string& fileName, TBitmap32& target)
{
    // The readers below would wait for a writer of a FIFO chosen in the open
    // dialog; the stream refuses anything but a plain file at once.
    TFileStream(fileName, TFileStream::Mode::OpenRead).Close();
    const int64_t maxPixels = std::min(MaxBitmapFilePixels, MaxPixelsInMemory());
    CheckPictureFileSize(fileName, maxPixels);
    const TBitmap32 picture =
        ReaderFor(fileName) == TPictureReader::OwnBmp ? ReadBmp(fileName) : LoadPictureFile(fileName, maxPixels);
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
