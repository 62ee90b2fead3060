// TBitmap32's BMP stream: a writer of 32-bit BMPs that keep alpha, and a
// reader of one BMP from the middle of a stream (projects and undo files hold
// several back to back). The reader trusts no field: every size is checked
// against the bytes that are really there before anything is allocated.
#include "gfx/Bitmap32.h"

#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <bit>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr uint16_t BmpSignature = 0x4D42; // "BM"
constexpr uint32_t BiRgb = 0;
constexpr uint32_t BiBitfields = 3;
constexpr int64_t FileHeaderSize = 14;
constexpr int64_t InfoHeaderSize = 40;
// A side may be this long; the pixels are bounded by MaxBitmapFilePixels.
constexpr int64_t MaxBmpSide = int64_t(1) << 20;

struct TBmpLayout {
    int64_t Start = 0;      // stream position of the "BM"
    int64_t PixelStart = 0; // stream position of the first pixel row
    int32_t Width = 0;
    int32_t Height = 0;     // always positive
    bool TopDown = false;
    int BytesPerPixel = 0;
    int64_t Stride = 0;     // bytes per row, padded to 4

    int64_t End() const { return PixelStart + Stride * Height; }
};

[[noreturn]] void Invalid(const std::string& why) { throw EngineError("Invalid BMP image: " + why); }

void Skip(TStream& stream, int64_t count) { stream.SetPosition(stream.Position() + count); }

// Only the standard 8-bit channel layout is accepted as bit fields; it is the
// same as BI_RGB, so the pixels need no further decoding.
void CheckMasks(uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha)
{
    if (red != 0x00FF0000u || green != 0x0000FF00u || blue != 0x000000FFu || (alpha != 0 && alpha != 0xFF000000u))
        Invalid("unsupported colour masks");
}

// Reads the masks of a BI_BITFIELDS image: after a 40-byte header they follow
// it, in the larger headers they are part of it. Returns the extra bytes read.
int64_t ReadMasks(TStream& stream, uint32_t infoSize)
{
    const int64_t extra = infoSize == InfoHeaderSize ? 12 : 0;
    stream.RequireBytes(infoSize == InfoHeaderSize ? 12 : 16, 1, "Invalid BMP image: header truncated");
    const uint32_t red = stream.ReadUInt32(), green = stream.ReadUInt32(), blue = stream.ReadUInt32();
    const uint32_t alpha = infoSize == InfoHeaderSize ? 0 : stream.ReadUInt32();
    CheckMasks(red, green, blue, alpha);
    return extra;
}

TBmpLayout ReadLayout(TStream& stream)
{
    TBmpLayout bmp;
    bmp.Start = stream.Position();
    stream.RequireBytes(FileHeaderSize + InfoHeaderSize, 1, "Invalid BMP image: header truncated");
    if (stream.ReadUInt16() != BmpSignature) Invalid("wrong signature");
    stream.ReadUInt32(); // file size: too often wrong in the wild; the pixel data decides
    stream.ReadUInt32(); // reserved
    const uint32_t offBits = stream.ReadUInt32();
    const uint32_t infoSize = stream.ReadUInt32();
    if (infoSize != 40 && infoSize != 108 && infoSize != 124)
        Invalid("unsupported header size " + std::to_string(infoSize));
    stream.RequireBytes(infoSize - 4, 1, "Invalid BMP image: header truncated");
    const int32_t width = stream.ReadInt32();
    const int32_t height = stream.ReadInt32();
    stream.ReadUInt16(); // planes: always 1, and nobody checks it
    const uint16_t bitCount = stream.ReadUInt16();
    const uint32_t compression = stream.ReadUInt32();
    Skip(stream, 20); // image size, resolution, palette counts: unused for 24 and 32 bits

    if (bitCount != 24 && bitCount != 32) Invalid("unsupported bit depth " + std::to_string(bitCount));
    if (compression != BiRgb && !(compression == BiBitfields && bitCount == 32))
        Invalid("unsupported compression " + std::to_string(compression));
    int64_t headerEnd = FileHeaderSize + infoSize;
    if (compression == BiBitfields) headerEnd += ReadMasks(stream, infoSize);

    if (width <= 0 || height == 0 || height == std::numeric_limits<int32_t>::min()) Invalid("bad size");
    const int64_t rows = std::llabs(height);
    if (width > MaxBmpSide || rows > MaxBmpSide || width * rows > MaxBitmapFilePixels) Invalid("image too large");
    if (offBits < headerEnd) Invalid("pixel data overlaps the header");

    bmp.Width = width;
    bmp.Height = static_cast<int32_t>(rows);
    bmp.TopDown = height < 0;
    bmp.BytesPerPixel = bitCount / 8;
    bmp.Stride = (int64_t(width) * bitCount + 31) / 32 * 4;
    bmp.PixelStart = bmp.Start + offBits;
    if (bmp.End() > stream.Size()) Invalid("pixel data truncated");
    return bmp;
}

} // namespace

void TBitmap32::LoadFromStream(TStream& stream)
{
    const TBmpLayout bmp = ReadLayout(stream);
    std::vector<TColor32> pixels(static_cast<size_t>(int64_t(bmp.Width) * bmp.Height));
    std::vector<uint8_t> row(static_cast<size_t>(bmp.Stride));
    stream.SetPosition(bmp.PixelStart);
    // On a little-endian machine a 32-bit row is already our pixel layout.
    const bool direct = std::endian::native == std::endian::little && bmp.BytesPerPixel == 4;
    for (int32_t r = 0; r < bmp.Height; ++r) {
        const int32_t y = bmp.TopDown ? r : bmp.Height - 1 - r;
        TColor32* out = pixels.data() + static_cast<size_t>(y) * bmp.Width;
        if (direct) {
            stream.ReadBuffer(out, bmp.Stride);
            continue;
        }
        stream.ReadBuffer(row.data(), bmp.Stride);
        const uint8_t* in = row.data();
        for (int32_t x = 0; x < bmp.Width; ++x, in += bmp.BytesPerPixel) {
            // The fourth byte is data (directions in the feature map): kept as it is.
            const uint8_t alpha = bmp.BytesPerPixel == 4 ? in[3] : 255;
            out[x] = Color32(in[2], in[1], in[0], alpha);
        }
    }
    // Only now, with every byte read, does the bitmap change.
    pixels_.swap(pixels);
    width_ = bmp.Width;
    height_ = bmp.Height;
    stream.SetPosition(bmp.End());
}

void TBitmap32::SaveToStream(TStream& stream) const
{
    // A BMP needs at least one pixel; refusing here beats writing a file that
    // no reader (ours included) accepts.
    if (Empty()) throw EngineError("Cannot save an empty bitmap");
    const int64_t dataSize = int64_t(width_) * height_ * 4;
    if (int64_t(width_) * height_ > MaxBitmapFilePixels) throw EngineError("Bitmap too large to save");
    const int64_t headerSize = FileHeaderSize + InfoHeaderSize;

    stream.WriteUInt16(BmpSignature);
    stream.WriteUInt32(static_cast<uint32_t>(headerSize + dataSize));
    stream.WriteUInt32(0);
    stream.WriteUInt32(static_cast<uint32_t>(headerSize));
    stream.WriteUInt32(InfoHeaderSize);
    stream.WriteInt32(width_);
    stream.WriteInt32(height_); // positive: rows bottom-up
    stream.WriteUInt16(1);
    stream.WriteUInt16(32);
    stream.WriteUInt32(BiRgb);
    stream.WriteUInt32(static_cast<uint32_t>(dataSize));
    for (int i = 0; i < 4; ++i) stream.WriteUInt32(0); // resolution, palette counts

    std::vector<uint8_t> row(static_cast<size_t>(width_) * 4);
    for (int32_t y = height_ - 1; y >= 0; --y) {
        const TColor32* in = ScanLine(y);
        if constexpr (std::endian::native == std::endian::little) {
            stream.WriteBuffer(in, static_cast<int64_t>(row.size()));
            continue;
        }
        for (int32_t x = 0; x < width_; ++x) {
            row[4 * x] = BlueComponent(in[x]);
            row[4 * x + 1] = GreenComponent(in[x]);
            row[4 * x + 2] = RedComponent(in[x]);
            row[4 * x + 3] = AlphaComponent(in[x]);
        }
        stream.WriteBuffer(row.data(), static_cast<int64_t>(row.size()));
    }
}
