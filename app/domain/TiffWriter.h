// The TIFF writer of result images: one 32-bit bitmap becomes one RGB buffer
// (alpha dropped), written by libtiff as a single-page, single-strip, LZW
// compressed TIFF carrying the chosen resolution in dots per inch.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TBitmap32;
class TSaveFileStream;
struct tiff;

// The most pixel bytes one page may hold: a classic TIFF addresses its file
// with 32-bit offsets, so a larger strip cannot be stored (and could overflow
// the reader's strip size on the way back in).
inline constexpr int64_t MaxTiffBufferSize = 0xFFFFFFFFll;

// libtiff's buffer for the compressed bytes of the strip. By default it holds
// the whole strip and a tenth more before writing any; this small one is
// written out whenever the encoder fills it, which leaves the file's bytes
// as they were and spares another copy of the picture.
inline constexpr int64_t TiffOutputBufferSize = 1 << 20;

// The pixel bytes of one page: rows top to bottom without padding, three bytes
// per pixel (red, green, blue), the alpha byte dropped.
class TTiffBuff {
public:
    static constexpr int64_t BytesPerPixel = 3;

    std::vector<uint8_t> Data;
    int64_t Size = 0;
    int32_t Width = 0;
    int32_t Height = 0;

    // Takes size and pixels from the bitmap. Raises EngineError above
    // MaxTiffBufferSize.
    void Fill(const TBitmap32& bitmap);

    // Height x Width x BytesPerPixel, in 64 bits.
    static int64_t BufferSize(int32_t width, int32_t height);
    // Raises EngineError when a page of that size exceeds MaxTiffBufferSize.
    static void CheckSize(int32_t width, int32_t height);

private:
    static void CopyRow(const TBitmap32& bitmap, int32_t y, uint8_t* out);
};

class TMultiPageTiff {
public:
    TMultiPageTiff();
    ~TMultiPageTiff();
    TMultiPageTiff(const TMultiPageTiff&) = delete;
    TMultiPageTiff& operator=(const TMultiPageTiff&) = delete;

    double DPI = 200.0;
    void SetDPI(double value) { DPI = value; }

    // Writes the bitmap as the file's one page. The file appears complete or
    // not at all: an existing file of that name is only replaced once every
    // byte is written. Raises EngineError "Could not open <name> for writing:
    // <reason>" when the file cannot be created (the system's reason, or
    // libtiff's when it cannot start the file) and "Could not write <name>: <reason>"
    // for an empty or oversized bitmap and for any failure of the library.
    void SaveBitmap(const TBitmap32& bitmap, const std::string& fileName);
    // One directory with its twelve tags and the buffer as strip 0, flushed.
    void WritePage(const TTiffBuff& buffer);

private:
    void Open(const std::string& fileName);
    void Close();
    // Raises the output stream's failure when it had one (it carries the
    // system's reason), else "Could not write <name>" with libtiff's last
    // complaint.
    [[noreturn]] void Fail(const std::string& what) const;
    void Check(bool ok, const std::string& what) const;

    std::string fileName_;
    std::unique_ptr<TSaveFileStream> out_;
    struct tiff* handle_ = nullptr;
    // libtiff reports through a callback; the last message explains the failure.
    std::string lastError_;
    friend struct TTiffCallbacks;
};

// The entry point of the result-image save.
void SaveBitmapAsTiff(const TBitmap32& bitmap, const std::string& fileName, double dotsPerInch);
