// A bitmap that can be moved out to a temporary BMP file and brought back,
// so that old undo steps cost disk rather than memory. Nothing is compressed:
// "compressed" means "on disk". All four bytes of every pixel survive.
#pragma once

#include "gfx/Bitmap32.h"

#include <cstdint>
#include <memory>
#include <string>

class TStream;

class TCompressedBitmap {
public:
    // Takes the bitmap (in memory).
    explicit TCompressedBitmap(std::unique_ptr<TBitmap32> bitmap);
    // Deletes the swap file while on disk.
    ~TCompressedBitmap();
    TCompressedBitmap(const TCompressedBitmap&) = delete;
    TCompressedBitmap& operator=(const TCompressedBitmap&) = delete;

    // An in-memory copy of the pixels and size.
    static std::unique_ptr<TCompressedBitmap> CreateCopy(const TBitmap32& bitmap);
    // Reads exactly one BMP from the stream's position; the stream is left
    // at the next item.
    static std::unique_ptr<TCompressedBitmap> CreateFromStream(TStream& stream);

    // Brings the pixels into memory (they stay there) and writes one BMP.
    void SaveToStream(TStream& stream);
    // Replaces the pixels, taking ownership; the result is in memory.
    void SetBitmap(std::unique_ptr<TBitmap32> bitmap);
    // True moves the pixels to a new temporary file, False brings them back.
    // A failed move leaves everything as it was and raises; a swap file that
    // cannot be read back raises naming the file and the reason.
    void SetCompressed(bool value);

    bool Compressed() const { return compressed_; }
    // The bytes held in memory: the size as a 32-bit BMP file, 0 on disk.
    int64_t Size() const { return compressed_ ? 0 : memSize_; }
    // The pixels, brought into memory first if they are on disk.
    TBitmap32& Bitmap();
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // The swap file while on disk; empty while in memory.
    const std::string& FileName() const { return fileName_; }

private:
    void SwapOut();
    void SwapIn();
    void Take(std::unique_ptr<TBitmap32> bitmap);
    void DeleteStaleFile();
    [[noreturn]] void Unreadable(const std::string& reason) const;

    bool compressed_ = false;
    int64_t memSize_ = 0;
    int32_t width_ = 0, height_ = 0;
    std::unique_ptr<TBitmap32> bitmap_;
    std::string fileName_;
    // The file of the last swap-in: stale once the pixels are in use. It is
    // deleted at the next swap-out (idle time) rather than on the undo path.
    std::string staleFile_;
};
