// Saving the result image: the kind of file is chosen by the name's extension
// (JPEG, 24-bit BMP or TIFF); the file appears complete or not at all.
#pragma once

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
// supported ones; nothing is written), an empty bitmap or a failed write.
void SaveResultImage(const TBitmap32& bitmap, const std::string& fileName, double dotsPerInch);
