#include "app/domain/ResultImage.h"

#include "app/domain/BitmapMemory.h"
#include "app/domain/SaveFileStream.h"
#include "app/domain/TiffWriter.h"
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

// Qt's writers read the bitmap's own pixels and go straight to the file: a
// converted copy, or the JPEG encoded in memory first, would each hold the
// picture once more. A failure of the file still raises its own reason, as
// the stream keeps it for Fail.
void WriteWithQt(const TBitmap32& bitmap, TSaveFileStream& out, TResultKind kind)
{
    const bool jpeg = kind == TResultKind::Jpeg;
    // Qt writes opaque 32-bit images as 24-bit bottom-up BMPs.
    QImageWriter writer(&out.Device(), jpeg ? "jpeg" : "bmp");
    if (jpeg) writer.setQuality(ResultJpegQuality);
    if (!writer.write(bitmap.WrapAsOpaqueImage()))
        out.Fail((jpeg ? "JPEG error: " : "") + writer.errorString().toStdString());
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
    CheckResultSize(kind, fileName, bitmap.Width(), bitmap.Height());
    TSaveFileStream out(fileName);
    WriteWithQt(bitmap, out, kind);
    out.Commit();
}

int64_t BmpPixelBytes(int64_t width, int64_t height) { return (width * 3 + 3) / 4 * 4 * height; }

void CheckResultSize(TResultKind kind, const std::string& fileName, int64_t width, int64_t height)
{
    const std::string refused = "Could not write " + fileName + ": the picture ";
    if (const int64_t bytes = BmpPixelBytes(width, height); kind == TResultKind::Bmp && bytes > MaxBmpPixelBytes)
        throw EngineError(refused + "holds " + std::to_string(bytes) + " bytes of pixels; a BMP file takes at most " +
                          std::to_string(MaxBmpPixelBytes));
    if (kind == TResultKind::Jpeg && std::max(width, height) > MaxJpegSide)
        throw EngineError(refused + "is " + std::to_string(width) + " x " + std::to_string(height) +
                          " pixels; a JPEG file takes at most " + std::to_string(MaxJpegSide) + " pixels a side");
}

bool ResultFitsInMemory(int64_t width, int64_t height)
{
    return BitmapFitsInMemory(width, height, TTiffBuff::BytesPerPixel, ResultWriterBuffersSize);
}
