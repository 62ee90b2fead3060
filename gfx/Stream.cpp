// Little-endian field helpers and the two stream kinds. Every multi-byte value
// is assembled byte by byte, so the files read the same on any host.
#include "gfx/Stream.h"

#include "gfx/Errors.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

uint64_t ReadLittleEndian(TStream& stream, int bytes)
{
    uint8_t b[8];
    stream.ReadBuffer(b, bytes);
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[i];
    return v;
}

void WriteLittleEndian(TStream& stream, uint64_t v, int bytes)
{
    uint8_t b[8];
    for (int i = 0; i < bytes; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
    stream.WriteBuffer(b, bytes);
}

} // namespace

// ---- TStream ---------------------------------------------------------------

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    if (count < 0 || (count > 0 && Read(buffer, count) != count)) throw EngineError("Stream read error");
}

uint8_t TStream::ReadUInt8() { return static_cast<uint8_t>(ReadLittleEndian(*this, 1)); }
int16_t TStream::ReadInt16() { return static_cast<int16_t>(ReadLittleEndian(*this, 2)); }
uint16_t TStream::ReadUInt16() { return static_cast<uint16_t>(ReadLittleEndian(*this, 2)); }
int32_t TStream::ReadInt32() { return static_cast<int32_t>(ReadLittleEndian(*this, 4)); }
uint32_t TStream::ReadUInt32() { return static_cast<uint32_t>(ReadLittleEndian(*this, 4)); }
int64_t TStream::ReadInt64() { return static_cast<int64_t>(ReadLittleEndian(*this, 8)); }
float TStream::ReadFloat() { return std::bit_cast<float>(ReadUInt32()); }
double TStream::ReadDouble() { return std::bit_cast<double>(ReadLittleEndian(*this, 8)); }

void TStream::WriteUInt8(uint8_t v) { WriteLittleEndian(*this, v, 1); }
void TStream::WriteInt16(int16_t v) { WriteLittleEndian(*this, static_cast<uint16_t>(v), 2); }
void TStream::WriteUInt16(uint16_t v) { WriteLittleEndian(*this, v, 2); }
void TStream::WriteInt32(int32_t v) { WriteLittleEndian(*this, static_cast<uint32_t>(v), 4); }
void TStream::WriteUInt32(uint32_t v) { WriteLittleEndian(*this, v, 4); }
void TStream::WriteInt64(int64_t v) { WriteLittleEndian(*this, static_cast<uint64_t>(v), 8); }
void TStream::WriteFloat(float v) { WriteUInt32(std::bit_cast<uint32_t>(v)); }
void TStream::WriteDouble(double v) { WriteLittleEndian(*this, std::bit_cast<uint64_t>(v), 8); }

std::string TStream::ReadString()
{
    const int32_t length = ReadInt32();
    // A damaged length must not turn into a huge allocation.
    if (length < 0 || length > Remaining()) throw EngineError("Invalid string length in stream");
    std::string text(static_cast<size_t>(length), '\0');
    ReadBuffer(text.data(), length);
    return text;
}

void TStream::WriteString(const std::string& latin1)
{
    if (latin1.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw EngineError("String too long to write");
    WriteInt32(static_cast<int32_t>(latin1.size()));
    WriteBuffer(latin1.data(), static_cast<int64_t>(latin1.size()));
}

void TStream::RequireBytes(int64_t count, int64_t itemSize, const char* what) const
{
    if (count < 0 || itemSize < 0) throw EngineError(what);
    // Divide rather than multiply: count * itemSize may not fit in 64 bits.
    const int64_t left = std::max<int64_t>(Remaining(), 0);
    if (itemSize > 0 && count > left / itemSize) throw EngineError(what);
}

// ---- TMemoryStream ---------------------------------------------------------

int64_t TMemoryStream::Read(void* buffer, int64_t count)
{
    const int64_t n = std::clamp<int64_t>(Size() - pos_, 0, std::max<int64_t>(count, 0));
    if (n > 0) std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, int64_t count)
{
    if (count < 0) throw EngineError("Stream write error");
    if (count == 0) return;
    if (pos_ + count > Size()) data_.resize(static_cast<size_t>(pos_ + count));
    std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ += count;
}

void TMemoryStream::SetPosition(int64_t position)
{
    if (position < 0) throw EngineError("Invalid stream position");
    pos_ = position;
}

void TMemoryStream::SetSize(int64_t size)
{
    if (size < 0) throw EngineError("Invalid stream size");
    data_.resize(static_cast<size_t>(size));
    pos_ = std::min(pos_, size);
}

// ---- TFileStream -----------------------------------------------------------

EFileStreamError::EFileStreamError(std::string fileName, const std::string& message)
    : EngineError(message), fileName_(std::move(fileName))
{
}

void RaiseFileError(const std::string& what, const std::string& fileName, const std::string& reason)
{
    throw EFileStreamError(fileName, what + " \"" + fileName + "\". " + reason);
}

int WriteWhole(int fd, const std::string& text)
{
    for (size_t written = 0; written < text.size();) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : ENOSPC;
        written += static_cast<size_t>(n);
    }
    return 0;
}

bool EndNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

namespace {

// Opens `fileName` with `flags` without ever waiting: opening a FIFO blocks
// until a writer comes, so the file is opened without blocking and anything
// but a plain file (a FIFO, a folder, a device) is refused before a byte is
// read or written. No user of a file stream wants any of those: every file
// the program works on has a size and can seek.
std::FILE* OpenPlainFile(const std::string& fileName, int flags, const char* mode, bool soleName = false)
{
    const int fd = ::open(fileName.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    // A link where O_NOFOLLOW forbids one is no plain file of ours either.
    if (fd < 0) RaiseFileError("Cannot open file", fileName, errno == ELOOP ? "Not a regular file" : std::strerror(errno));
    const auto refuse = [&](const std::string& reason) {
        ::close(fd);
        RaiseFileError("Cannot open file", fileName, reason);
    };
    struct stat info {};
    if (fstat(fd, &info) != 0) refuse(std::strerror(errno));
    if (!S_ISREG(info.st_mode)) refuse("Not a regular file");
    // A hard link put in the file's place is a plain file too, but one that
    // is also someone else's.
    if (soleName && info.st_nlink != 1) refuse("File has another name");
    if (!EndNonBlocking(fd)) refuse(std::strerror(errno));
    std::FILE* file = fdopen(fd, mode);
    if (!file) refuse(std::strerror(errno));
    return file;
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, Mode mode) : fileName_(fileName)
{
    if (mode == Mode::OpenRead) {
        file_ = OpenPlainFile(fileName, O_RDONLY, "rb");
    } else if (mode == Mode::OpenReadWrite) {
        // Never through a link, never a file with another name, and never
        // truncated: the files opened so are made beforehand by their owner
        // (the temporary files), and cutting a file that has data makes the
        // file system write it out at close.
        file_ = OpenPlainFile(fileName, O_RDWR | O_NOFOLLOW, "r+b", true);
    } else {
        file_ = std::fopen(fileName.c_str(), "w+b");
        if (!file_) RaiseFileError("Cannot create file", fileName, std::strerror(errno));
    }
    struct stat info {};
    if (fstat(fileno(file_), &info) != 0) {
        const int err = errno;
        std::fclose(file_);
        file_ = nullptr;
        RaiseFileError("Cannot open file", fileName, std::strerror(err));
    }
    size_ = static_cast<int64_t>(info.st_size);
}

TFileStream::~TFileStream()
{
    if (file_) std::fclose(file_);
}

void TFileStream::Fail(const char* action) const
{
    const int err = errno;
    throw EFileStreamError(fileName_, std::string("Error ") + action + " file \"" + fileName_ + "\". " +
                                          (err ? std::strerror(err) : "Unknown error"));
}

void TFileStream::Closed() const { throw EFileStreamError(fileName_, "File \"" + fileName_ + "\" is closed"); }

void TFileStream::Prepare(LastOp next)
{
    if (!file_) Closed();
    if (lastOp_ != LastOp::None && lastOp_ != next && fseeko(file_, 0, SEEK_CUR) != 0) Fail("seeking in");
    lastOp_ = next;
}

int64_t TFileStream::Read(void* buffer, int64_t count)
{
    if (count <= 0) return 0;
    Prepare(LastOp::Read);
    errno = 0;
    const size_t n = std::fread(buffer, 1, static_cast<size_t>(count), file_);
    if (n < static_cast<size_t>(count) && std::ferror(file_)) Fail("reading");
    position_ += static_cast<int64_t>(n);
    return static_cast<int64_t>(n);
}

void TFileStream::Write(const void* buffer, int64_t count)
{
    if (count < 0) throw EngineError("Stream write error");
    if (count == 0) return;
    Prepare(LastOp::Write);
    errno = 0;
    if (std::fwrite(buffer, 1, static_cast<size_t>(count), file_) != static_cast<size_t>(count)) Fail("writing");
    position_ += count;
    size_ = std::max(size_, position_);
}

int64_t TFileStream::Position() const { return file_ ? position_ : 0; }

void TFileStream::SetPosition(int64_t position)
{
    if (!file_) Closed();
    if (position < 0) throw EngineError("Invalid stream position");
    if (fseeko(file_, static_cast<off_t>(position), SEEK_SET) != 0) Fail("seeking in");
    position_ = position;
    lastOp_ = LastOp::None;
}

int64_t TFileStream::Size() const { return size_; }

void TFileStream::Flush()
{
    if (!file_) Closed();
    errno = 0;
    if (std::fflush(file_) != 0) Fail("writing");
    // A flushed stream may turn from writing to reading without a seek.
    lastOp_ = LastOp::None;
}

void TFileStream::Close()
{
    if (!file_) return;
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    const bool flushed = std::fflush(file) == 0;
    const int flushErr = errno;
    const bool closed = std::fclose(file) == 0;
    if (!flushed) errno = flushErr;
    if (!flushed || !closed) Fail("closing");
}
