// Saving the result image: the kind of file is chosen by the name's extension
// (JPEG, 24-bit BMP or TIFF); the file appears complete or not at all.
#pragma once

#include <cstdint>
#include <string>

class TBitmap32;

enum class TResultKind { None, Jpeg, Bmp, Tiff };

// By the upper-cased extension with its dot: ".JPG" and ".JPEG" give Jpeg,
// ".BMP" Bmp, ".TIF" and ".TIFF" Tiff, anything else (none included) None.
TResultKind ResultKindOf(const std::string& fileName);

// The kinds the program writes, for the "Unsupported file type" message.
std::string SupportedResultTypesText();

// Quality of the JPEG result: the JPEG class's default.
inline constexpr int ResultJpegQuality = 90;

// Writes the bitmap as JPEG (quality 90, colour, baseline), as a 24-bit
// bottom-up BMP (alpha dropped) or as TIFF with the given resolution. The
// content goes to a temporary file beside the target that replaces it only
// when complete, so a failed write keeps the previous file. Raises
// EngineError for an unsupported kind ("Unsupported file type", then the
// supported ones; nothing is written), an empty bitmap, a picture too large
// for its kind (refused before anything is copied or written) or a failed
// write.
void SaveResultImage(const TBitmap32& bitmap, const std::string& fileName, double dotsPerInch);

// The most pixel bytes of a BMP that Qt's writer writes: it keeps the file's
// size in a signed 32-bit field and writes nothing of a file over 2^31 - 1
// bytes, its 54 bytes of headers included.
inline constexpr int64_t MaxBmpPixelBytes = 0x7FFFFFFFll - 54;
// The pixel bytes of a 24-bit BMP: rows of 3 bytes a pixel padded to a
// multiple of 4, in 64 bits.
int64_t BmpPixelBytes(int64_t width, int64_t height);
// libjpeg's widest and tallest picture.
inline constexpr int64_t MaxJpegSide = 65500;
// Raises EngineError for a picture its kind's writer cannot write: "Could not
// write <name>: the picture holds N bytes of pixels; a BMP file takes at most
// M" over MaxBmpPixelBytes, "... the picture is W x H pixels; a JPEG file
// takes at most 65500 pixels a side" over MaxJpegSide.
void CheckResultSize(TResultKind kind, const std::string& fileName, int64_t width, int64_t height);

// What the writers take while the bitmap is held, beyond its rows' per-pixel
// share: libtiff's output buffer, the file's buffer and the encoders' rows
// (libjpeg keeps a band of 16 rows at the widest a picture may be).
inline constexpr int64_t ResultWriterBuffersSize = 64ll << 20;
// Whether a result of that size can be rendered and then saved in any kind:
// the kind is chosen after rendering, so the costliest is counted, TIFF with
// its whole RGB buffer beside the bitmap. JPEG and BMP take no copy.
bool ResultFitsInMemory(int64_t width, int64_t height);
