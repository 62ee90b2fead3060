#include "app/domain/BitmapMemory.h"

#include "gfx/Color32.h"

#include <limits>
#include <unistd.h>

int64_t MaxPixelsInMemory(int64_t extraBytesPerPixel, int64_t extraBytes)
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return std::numeric_limits<int64_t>::max();
    const int64_t limit = static_cast<int64_t>(pages) * pageSize / 2 - extraBytes;
    if (limit <= 0) return 0;
    return limit / (static_cast<int64_t>(sizeof(TColor32)) + extraBytesPerPixel);
}

bool BitmapFitsInMemory(int64_t width, int64_t height, int64_t extraBytesPerPixel, int64_t extraBytes)
{
    // Two sides of up to 2^31 multiply within 64 bits; the byte count might not.
    return width * height <= MaxPixelsInMemory(extraBytesPerPixel, extraBytes);
}

std::string TooLargePictureText(int64_t width, int64_t height)
{
    return "The picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large";
}
