#include "engine/BufferedWriter.h"

#include "gfx/Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file a save replaces: a link's target, so that the link stays a link.
std::string FinalName(const std::string& fileName)
{
    std::error_code ec;
    if (!std::filesystem::is_symlink(fileName, ec)) return fileName;
    const std::filesystem::path target = std::filesystem::weakly_canonical(fileName, ec);
    return ec ? fileName : target.string();
}

// mkstemp makes the file private (0600); give it the mode of the file it
// replaces, or the one any new file gets.
void ApplyMode(int fd, const std::string& finalName)
{
    struct stat existing {};
    if (::stat(finalName.c_str(), &existing) == 0) {
        ::fchmod(fd, existing.st_mode & 0777);
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

} // namespace

TBufferedWriter::TBufferedWriter(const std::string& fileName, int32_t capacity)
    : fileName_(fileName), finalName_(FinalName(fileName)), capacity_(std::max(capacity, 0))
{
    // The rename would replace a file the user made read-only; refuse as a
    // direct write would.
    if (::access(finalName_.c_str(), F_OK) == 0 && ::access(finalName_.c_str(), W_OK) != 0)
        throw EngineError("Could not open " + fileName + " for writing: " + std::strerror(errno));
    std::string pattern = finalName_ + ".XXXXXX";
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0)
        throw EngineError("Could not open " + fileName + " for writing: " + std::strerror(errno));
    tempName_ = pattern;
    ApplyMode(fd_, finalName_);
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

void TBufferedWriter::Fail(int error) const
{
    throw EngineError("Could not write " + fileName_ + ": " + std::strerror(error));
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
    int error = 0;
    while (written < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + written, buffer_.size() - written);
        if (n > 0) {
            written += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // A file that takes no byte without saying why has no room left.
        error = n < 0 ? errno : ENOSPC;
        break;
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(written));
    filePos_ += static_cast<int64_t>(written);
    fileSize_ = std::max(fileSize_, filePos_);
    if (error) Fail(error);
}

void TBufferedWriter::Seek(int64_t position)
{
    Flush();
    if (position < 0) Fail(EINVAL);
    if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0) Fail(errno);
    filePos_ = position;
}

void TBufferedWriter::Close()
{
    Flush();
    // Some file systems report a full disk only when the data reaches it.
    if (::fsync(fd_) != 0) Fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || std::rename(tempName_.c_str(), finalName_.c_str()) != 0) {
        const int error = errno;
        ::unlink(tempName_.c_str());
        Fail(error);
    }
}
