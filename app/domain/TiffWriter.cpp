#include "app/domain/TiffWriter.h"

#include "app/domain/SaveFileStream.h"
#include "gfx/Bitmap32.h"
#include "gfx/Errors.h"

#include <QIODevice>

#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <new>

// --- TTiffBuff ----------------------------------------------------------------

int64_t TTiffBuff::BufferSize(int32_t width, int32_t height)
{
    return int64_t(height) * (int64_t(width) * BytesPerPixel);
}

void TTiffBuff::CheckSize(int32_t width, int32_t height)
{
    const int64_t size = BufferSize(width, height);
    if (size > MaxTiffBufferSize)
        throw EngineError("the picture holds " + std::to_string(size) + " bytes of pixels; a TIFF file takes at most " +
                          std::to_string(MaxTiffBufferSize));
}

void TTiffBuff::Fill(const TBitmap32& bitmap)
{
    CheckSize(bitmap.Width(), bitmap.Height());
    const int64_t size = BufferSize(bitmap.Width(), bitmap.Height());
    Data.assign(static_cast<size_t>(size), 0);
    Width = bitmap.Width();
    Height = bitmap.Height();
    Size = size;
    const size_t rowBytes = static_cast<size_t>(Width) * BytesPerPixel;
    for (int32_t y = 0; y < Height; ++y) CopyRow(bitmap, y, Data.data() + y * rowBytes);
}

void TTiffBuff::CopyRow(const TBitmap32& bitmap, int32_t y, uint8_t* out)
{
    const TColor32* in = bitmap.ScanLine(y);
    for (int32_t x = 0; x < bitmap.Width(); ++x, out += 3) {
        out[0] = RedComponent(in[x]);
        out[1] = GreenComponent(in[x]);
        out[2] = BlueComponent(in[x]);
    }
}

// --- libtiff's view of the output file ------------------------------------------

// libtiff is C: these callbacks never let an exception through, they report
// failure by their return values, which libtiff passes on to ours.
struct TTiffCallbacks {
    static QIODevice& Device(thandle_t handle) { return *static_cast<QIODevice*>(handle); }

    static tmsize_t Read(thandle_t, void*, tmsize_t) { return -1; }
    static tmsize_t Write(thandle_t handle, void* data, tmsize_t size)
    {
        return Device(handle).write(static_cast<const char*>(data), size);
    }
    static toff_t Seek(thandle_t handle, toff_t offset, int whence)
    {
        QIODevice& device = Device(handle);
        int64_t target = static_cast<int64_t>(offset);
        if (whence == SEEK_CUR) target += device.pos();
        else if (whence == SEEK_END) target += device.size();
        if (target < 0 || !device.seek(target)) return static_cast<toff_t>(-1);
        return static_cast<toff_t>(target);
    }
    // The file belongs to the writer, which commits or drops it.
    static int Close(thandle_t) { return 0; }
    static toff_t Size(thandle_t handle) { return static_cast<toff_t>(Device(handle).size()); }
    static int Map(thandle_t, void**, toff_t*) { return 0; }
    static void Unmap(thandle_t, void*, toff_t) {}

    static int Error(TIFF*, void* writer, const char* module, const char* format, va_list args)
    {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        auto& self = *static_cast<TMultiPageTiff*>(writer);
        self.lastError_ = module && *module ? std::string(module) + ": " + text : std::string(text);
        return 1;
    }
    // Warnings are no failures and need no console.
    static int Warning(TIFF*, void*, const char*, const char*, va_list) { return 1; }
};

// --- TMultiPageTiff -------------------------------------------------------------

TMultiPageTiff::TMultiPageTiff() = default;

TMultiPageTiff::~TMultiPageTiff() { Close(); }

void TMultiPageTiff::Fail(const std::string& what) const
{
    std::string reason = what;
    if (!lastError_.empty()) reason += " (" + lastError_ + ")";
    // libtiff's own words ("Write error at scanline 0") hide why the file
    // refused the bytes; the output stream knows, when it failed.
    if (out_) out_->Fail(reason);
    throw EngineError("Could not write " + fileName_ + ": " + reason);
}

void TMultiPageTiff::Check(bool ok, const std::string& what) const
{
    if (!ok) Fail(what);
}

void TMultiPageTiff::Open(const std::string& fileName)
{
    // The stream's refusal carries the system's reason, as JPEG and BMP give it.
    out_ = std::make_unique<TSaveFileStream>(fileName);
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, &TTiffCallbacks::Error, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, &TTiffCallbacks::Warning, this);
    handle_ = TIFFClientOpenExt(fileName.c_str(), "w", &out_->Device(), &TTiffCallbacks::Read, &TTiffCallbacks::Write,
                                &TTiffCallbacks::Seek, &TTiffCallbacks::Close, &TTiffCallbacks::Size,
                                &TTiffCallbacks::Map, &TTiffCallbacks::Unmap, options);
    TIFFOpenOptionsFree(options);
    if (!handle_) {
        out_.reset();
        throw EngineError("Could not open " + fileName + " for writing: " +
                          (lastError_.empty() ? std::string("the TIFF library refused the file") : lastError_));
    }
}

void TMultiPageTiff::Close()
{
    if (handle_) TIFFClose(handle_);
    handle_ = nullptr;
    // Uncommitted, the output is dropped and an earlier file of the name kept.
    out_.reset();
}

void TMultiPageTiff::SaveBitmap(const TBitmap32& bitmap, const std::string& fileName)
{
    fileName_ = fileName;
    lastError_.clear();
    // Both refusals come before the file is opened, so nothing is created.
    if (bitmap.Empty())
        Fail("the picture is empty");
    TTiffBuff buffer;
    try {
        buffer.Fill(bitmap);
    } catch (const EngineError& e) {
        Fail(e.what());
    } catch (const std::bad_alloc&) {
        Fail("not enough memory for the picture's pixels");
    }
    Open(fileName);
    try {
        WritePage(buffer);
        TIFFClose(handle_);
        handle_ = nullptr;
        Check(lastError_.empty(), "closing the file failed");
        out_->Commit();
    } catch (...) {
        Close();
        throw;
    }
    out_.reset();
}

void TMultiPageTiff::WritePage(const TTiffBuff& buffer)
{
    TIFF* tif = handle_;
    Check(TIFFCreateDirectory(tif) == 0, "cannot create the directory");
    const auto set = [&](uint32_t tag, auto value, const char* name) {
        Check(TIFFSetField(tif, tag, value) == 1, std::string("cannot set ") + name);
    };
    set(TIFFTAG_IMAGEWIDTH, uint32_t(buffer.Width), "ImageWidth");
    set(TIFFTAG_IMAGELENGTH, uint32_t(buffer.Height), "ImageLength");
    set(TIFFTAG_BITSPERSAMPLE, uint16_t(8), "BitsPerSample");
    set(TIFFTAG_SAMPLESPERPIXEL, uint16_t(3), "SamplesPerPixel");
    set(TIFFTAG_ROWSPERSTRIP, uint32_t(buffer.Height), "RowsPerStrip");
    set(TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_LZW), "Compression");
    set(TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_RGB), "PhotometricInterpretation");
    set(TIFFTAG_FILLORDER, uint16_t(FILLORDER_LSB2MSB), "FillOrder");
    set(TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG), "PlanarConfiguration");
    set(TIFFTAG_XRESOLUTION, double(DPI), "XResolution");
    set(TIFFTAG_YRESOLUTION, double(DPI), "YResolution");
    set(TIFFTAG_RESOLUTIONUNIT, uint16_t(RESUNIT_INCH), "ResolutionUnit");
    Check(TIFFWriteBufferSetup(tif, nullptr, TiffOutputBufferSize) == 1, "not enough memory for the output buffer");
    Check(TIFFWriteEncodedStrip(tif, 0, const_cast<uint8_t*>(buffer.Data.data()), buffer.Size) != -1,
          "cannot write the pixels");
    Check(TIFFFlush(tif) == 1, "cannot write the directory");
}

void SaveBitmapAsTiff(const TBitmap32& bitmap, const std::string& fileName, double dotsPerInch)
{
    TMultiPageTiff writer;
    writer.SetDPI(dotsPerInch);
    writer.SaveBitmap(bitmap, fileName);
}
