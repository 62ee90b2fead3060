#include "engine/BufferedWriter.h"

#include "gfx/Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void RaiseIOError(const std::string& what, const std::string& fileName)
{
    throw EngineError(what + " \"" + fileName + "\". " + std::strerror(errno));
}

// mkstemp makes the file private (0600); give it the mode any new file gets.
void ApplyDefaultMode(int fd)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

} // namespace

TBufferedWriter::TBufferedWriter(const std::string& fileName, int32_t capacity)
    : fileName_(fileName), capacity_(std::max(capacity, 0))
{
    std::string pattern = fileName + ".XXXXXX";
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) RaiseIOError("Cannot create file", fileName);
    tempName_ = pattern;
    ApplyDefaultMode(fd_);
    buffer_.reserve(static_cast<size_t>(capacity_));
}

TBufferedWriter::~TBufferedWriter() { Discard(); }

void TBufferedWriter::Discard() noexcept
{
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(tempName_.c_str());
    fd_ = -1;
}

void TBufferedWriter::RequireOpen() const
{
    if (fd_ < 0) throw EngineError("File not open \"" + fileName_ + "\"");
}

void TBufferedWriter::WriteLine(const std::string& line)
{
    std::string bytes = line;
    bytes += "\n\r";
    Write(bytes.data(), bytes.size());
}

void TBufferedWriter::Write(const void* data, size_t size)
{
    RequireOpen();
    if (buffer_.size() + size > static_cast<size_t>(capacity_)) Flush();
    const char* bytes = static_cast<const char*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    // Too long for the buffer even when empty: send it on at once.
    if (buffer_.size() > static_cast<size_t>(capacity_)) Flush();
}

void TBufferedWriter::Flush()
{
    RequireOpen();
    size_t written = 0;
    while (written < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + written, buffer_.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(written));
    if (!buffer_.empty()) throw EngineError("Disk full");
}

void TBufferedWriter::Close()
{
    Flush();
    if (::fsync(fd_) != 0) RaiseIOError("Cannot write file", fileName_);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        ::unlink(tempName_.c_str());
        RaiseIOError("Cannot write file", fileName_);
    }
    if (std::rename(tempName_.c_str(), fileName_.c_str()) != 0) {
        const int err = errno;
        ::unlink(tempName_.c_str());
        errno = err;
        RaiseIOError("Cannot replace file", fileName_);
    }
}
