// Reading a picture file of any format Qt's image plugins know (PNG, JPEG,
// BMP, TIFF, GIF, ...) into a TBitmap32, converted once to straight ARGB.
#pragma once

#include "gfx/Bitmap32.h"

#include <cstdint>
#include <optional>
#include <string>

struct TPictureSize {
    int32_t Width = 0;
    int32_t Height = 0;
    friend bool operator==(const TPictureSize&, const TPictureSize&) = default;
};

// The size that the file's header states, read without decoding a pixel;
// nothing when the file cannot be opened or its format does not say.
std::optional<TPictureSize> PictureFileSize(const std::string& fileName);

// Raises EngineError with the reader's own explanation when the file cannot
// be read (missing, unknown format, damaged data). Decoding allocates at
// most `maxPixels` 32-bit pixels, so a picture with more fails to read.
TBitmap32 LoadPictureFile(const std::string& fileName, int64_t maxPixels = MaxBitmapFilePixels);
