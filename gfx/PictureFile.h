// Reading a picture file of any format Qt's image plugins know (PNG, JPEG,
// BMP, TIFF, GIF, ...) into a TBitmap32, converted once to straight ARGB.
#pragma once

#include "gfx/Bitmap32.h"

#include <string>

// Raises EngineError with the reader's own explanation when the file cannot
// be read (missing, unknown format, damaged data).
TBitmap32 LoadPictureFile(const std::string& fileName);
