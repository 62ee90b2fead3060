#include "engine/CompressedBitmap.h"

#include "engine/TempManager.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

namespace {

// The size of the bitmap as a 32-bit BMP file: 54 bytes of headers, 4 per pixel.
int64_t BmpFileSize(const TBitmap32& bmp) { return int64_t(bmp.Width()) * bmp.Height() * 4 + 54; }

} // namespace

TCompressedBitmap::TCompressedBitmap(std::unique_ptr<TBitmap32> bitmap)
{
    Take(bitmap ? std::move(bitmap) : std::make_unique<TBitmap32>());
}

TCompressedBitmap::~TCompressedBitmap()
{
    if (compressed_ && !fileName_.empty()) DeleteTempFile(fileName_);
    DeleteStaleFile();
}

std::unique_ptr<TCompressedBitmap> TCompressedBitmap::CreateCopy(const TBitmap32& bitmap)
{
    return std::make_unique<TCompressedBitmap>(std::make_unique<TBitmap32>(bitmap));
}

std::unique_ptr<TCompressedBitmap> TCompressedBitmap::CreateFromStream(TStream& stream)
{
    auto bitmap = std::make_unique<TBitmap32>();
    bitmap->LoadFromStream(stream);
    return std::make_unique<TCompressedBitmap>(std::move(bitmap));
}

void TCompressedBitmap::SaveToStream(TStream& stream) { Bitmap().SaveToStream(stream); }

void TCompressedBitmap::SetBitmap(std::unique_ptr<TBitmap32> bitmap)
{
    if (compressed_) {
        DeleteTempFile(fileName_);
        compressed_ = false;
    }
    DeleteStaleFile();
    Take(bitmap ? std::move(bitmap) : std::make_unique<TBitmap32>());
}

void TCompressedBitmap::SetCompressed(bool value)
{
    if (value == compressed_) return;
    if (value)
        SwapOut();
    else
        SwapIn();
    compressed_ = value;
}

TBitmap32& TCompressedBitmap::Bitmap()
{
    SetCompressed(false);
    return *bitmap_;
}

void TCompressedBitmap::Take(std::unique_ptr<TBitmap32> bitmap)
{
    bitmap_ = std::move(bitmap);
    fileName_.clear();
    width_ = bitmap_->Width();
    height_ = bitmap_->Height();
    memSize_ = BmpFileSize(*bitmap_);
}

void TCompressedBitmap::DeleteStaleFile()
{
    if (staleFile_.empty()) return;
    DeleteTempFile(staleFile_);
    staleFile_.clear();
}

void TCompressedBitmap::Unreadable(const std::string& reason) const
{
    throw EngineError("Cannot read file \"" + fileName_ + "\". " + reason);
}

void TCompressedBitmap::SwapOut()
{
    DeleteStaleFile();
    const std::string name = TempManager().NewTempFileName("bmp");
    try {
        TFileStream file(name, TFileStream::Mode::OpenReadWrite);
        bitmap_->SaveToStream(file);
        file.Close();
    } catch (...) {
        // A half-written file is worth nothing; the pixels stay in memory.
        DeleteTempFile(name);
        throw;
    }
    fileName_ = name;
    bitmap_.reset();
}

void TCompressedBitmap::SwapIn()
{
    // A file taken away says so through the stream; one cut short or
    // overwritten is reported here, since the bitmap reader names no file.
    auto bitmap = std::make_unique<TBitmap32>();
    {
        // Never through a link put in the file's place.
        TFileStream file(fileName_, TFileStream::Mode::OpenReadWrite);
        if (file.Size() < memSize_) Unreadable("File shorter than the bitmap written to it");
        try {
            bitmap->LoadFromStream(file);
        } catch (const EngineError& e) {
            if (std::string(e.what()).find(fileName_) != std::string::npos) throw;
            Unreadable(e.what());
        }
    }
    if (bitmap->Width() != width_ || bitmap->Height() != height_)
        Unreadable("File does not hold the bitmap written to it");
    // The pixels change as soon as they are used, so the file is stale from
    // here on; keeping it until the program ends would leave a full copy on
    // disk for every swap.
    staleFile_ = fileName_;
    bitmap_ = std::move(bitmap);
    fileName_.clear();
}
