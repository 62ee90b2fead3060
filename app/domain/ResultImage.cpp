#include "app/domain/ResultImage.h"

#include "app/domain/PictureReader.h"
#include "app/domain/SaveFileStream.h"
#include "app/domain/TiffWriter.h"
#include "engine/Utils.h"
#include "gfx/Bitmap32.h"
#include "gfx/Errors.h"

#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

std::string UpperExtension(const std::string& fileName)
{
    std::string ext = std::filesystem::path(fileName).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return ext;
}

void WriteBmp(const TBitmap32& bitmap, TSaveFileStream& out)
{
    // Qt writes opaque 32-bit images as 24-bit bottom-up BMPs.
    QImageWriter writer(&out.Device(), "bmp");
    if (!writer.write(BitmapToImage(bitmap)))
        out.Fail(writer.errorString().toStdString());
}

void WriteJpeg(const TBitmap32& bitmap, TSaveFileStream& out)
{
    // Encoded in memory first, so that an encoder failure and a write
    // failure each get their own explanation.
    TMemoryStream encoded;
    try {
        SaveJPEGToStream(bitmap, encoded, ResultJpegQuality);
    } catch (const EngineError& e) {
        out.Fail(e.what());
    }
    out.WriteBuffer(encoded.Bytes().data(), encoded.Size());
}

} // namespace

TResultKind ResultKindOf(const std::string& fileName)
{
    const std::string ext = UpperExtension(fileName);
    if (ext == ".JPG" || ext == ".JPEG") return TResultKind::Jpeg;
    if (ext == ".BMP") return TResultKind::Bmp;
    if (ext == ".TIF" || ext == ".TIFF") return TResultKind::Tiff;
    return TResultKind::None;
}

std::string SupportedResultTypesText() { return "JPEG (*.jpg, *.jpeg), BMP (*.bmp), TIFF (*.tif, *.tiff)"; }

void SaveResultImage(const TBitmap32& bitmap, const std::string& fileName, double dotsPerInch)
{
    const TResultKind kind = ResultKindOf(fileName);
    if (kind == TResultKind::None)
        throw EngineError("Unsupported file type\n\nThe result can be saved as " + SupportedResultTypesText() + ".");
    if (kind == TResultKind::Tiff) {
        SaveBitmapAsTiff(bitmap, fileName, dotsPerInch);
        return;
    }
    if (bitmap.Empty()) throw EngineError("Could not write " + fileName + ": the picture is empty");
    TSaveFileStream out(fileName);
    if (kind == TResultKind::Jpeg) WriteJpeg(bitmap, out);
    else WriteBmp(bitmap, out);
    out.Commit();
}
