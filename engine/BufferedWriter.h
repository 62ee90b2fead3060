// TBufferedWriter: writes text lines (and raw bytes) to a file through a
// buffer of fixed capacity. Output goes to a temporary file beside the target,
// which Close renames over it: a failed or abandoned write never destroys
// the previous file. Every failure names the file and the system's reason.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

class TBufferedWriter {
public:
    // Creates the temporary output file; raises EngineError "Could not open
    // <name> for writing: <reason>" when it cannot, or when the target
    // exists but may not be written. A target that is a link is written
    // through; an existing target's permissions are kept.
    TBufferedWriter(const std::string& fileName, int32_t capacity);
    // Without a successful Close the output is dropped and the target kept.
    // Never raises.
    ~TBufferedWriter();
    TBufferedWriter(const TBufferedWriter&) = delete;
    TBufferedWriter& operator=(const TBufferedWriter&) = delete;

    // Adds Line followed by the bytes 10 and 13 (line feed, then carriage
    // return). A line that does not fit in what is left of the buffer flushes
    // it first; one longer than the whole buffer is written straight through.
    void WriteLine(const std::string& line);
    // Adds raw bytes under the same rules.
    void Write(const void* data, size_t size);
    // Writes the pending bytes. When the file takes only part of them, the
    // rest stays pending and "Could not write <name>: <reason>" is raised.
    void Flush();
    // Flushes, then moves to `position` for the bytes that follow.
    void Seek(int64_t position);
    // Where the next byte goes, and the size the file has when closed.
    int64_t Position() const { return filePos_ + Count(); }
    int64_t Size() const { return std::max(fileSize_, Position()); }
    // Flushes, closes and puts the file in place of the target; raises on any
    // failure, and the target is kept then.
    void Close();

    int32_t Capacity() const { return capacity_; }
    int32_t Count() const { return static_cast<int32_t>(buffer_.size()); }
    const std::string& FileName() const { return fileName_; }

private:
    void RequireOpen() const;
    void Discard() noexcept;
    [[noreturn]] void Fail(int error) const;

    std::string fileName_;
    // The file the rename replaces: the target, or what a link names.
    std::string finalName_;
    std::string tempName_;
    int fd_ = -1;
    int32_t capacity_;
    std::vector<char> buffer_;
    // Where the pending bytes go, and the furthest byte sent so far.
    int64_t filePos_ = 0;
    int64_t fileSize_ = 0;
};
