// Byte streams with a position, and the little-endian readers and writers
// that every file of the program is built from. Files have no magic and no
// padding: each field is read and written explicitly, never as a struct dump.
#pragma once

#include "gfx/Errors.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to `count` bytes; returns how many were read.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes all bytes or raises EngineError.
    virtual void Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Position() const = 0;
    virtual void SetPosition(int64_t position) = 0;
    virtual int64_t Size() const = 0;

    int64_t Remaining() const { return Size() - Position(); }

    // Reads exactly `count` bytes or raises EngineError ("Stream read error").
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count) { Write(buffer, count); }

    // Little-endian fields.
    uint8_t ReadUInt8();
    int16_t ReadInt16();
    uint16_t ReadUInt16();
    int32_t ReadInt32();
    uint32_t ReadUInt32();
    int64_t ReadInt64();
    float ReadFloat();
    double ReadDouble();
    void WriteUInt8(uint8_t v);
    void WriteInt16(int16_t v);
    void WriteUInt16(uint16_t v);
    void WriteInt32(int32_t v);
    void WriteUInt32(uint32_t v);
    void WriteInt64(int64_t v);
    void WriteFloat(float v);
    void WriteDouble(double v);

    // A text: signed 32-bit length, then one Latin-1 byte per character. The
    // length is checked against the bytes left before anything is allocated.
    std::string ReadString();
    void WriteString(const std::string& latin1);

    // Raises EngineError unless `count` items of `itemSize` bytes fit in what is left.
    void RequireBytes(int64_t count, int64_t itemSize = 1, const char* what = "Invalid stream format") const;
};

// A growable stream in memory.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    void Write(const void* buffer, int64_t count) override;
    int64_t Position() const override { return pos_; }
    void SetPosition(int64_t position) override;
    int64_t Size() const override { return static_cast<int64_t>(data_.size()); }

    void SetSize(int64_t size);
    void Clear() { data_.clear(); pos_ = 0; }
    const std::vector<uint8_t>& Bytes() const { return data_; }
    std::vector<uint8_t>& Bytes() { return data_; }

private:
    std::vector<uint8_t> data_;
    int64_t pos_ = 0;
};

// A failure of one file stream (opening, reading, writing, seeking, closing),
// naming its file: a caller that works with several files at once can tell
// which of them failed.
class EFileStreamError : public EngineError {
public:
    EFileStreamError(std::string fileName, const std::string& message);
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

// Raises EFileStreamError reading `<what> "<file>". <reason>`, the form of
// every failure to open or make a file ("Cannot create file", "Cannot open
// file"), whoever opens it.
[[noreturn]] void RaiseFileError(const std::string& what, const std::string& fileName, const std::string& reason);

// Writes all of `text` to the descriptor, again after an interruption:
// 0, or the reason it could not (a file that takes no byte without saying
// why has no room left).
int WriteWhole(int fd, const std::string& text);
// Clears O_NONBLOCK once an open that must not wait (a FIFO would) is done,
// so the descriptor reads and writes as any other; false when it cannot.
bool EndNonBlocking(int fd);

// A stream over a file. Modes: open for reading, create (truncate) for
// writing, or open an existing file for reading and writing, never through a
// symbolic link, never one with a second name (a hard link) and never
// truncating it. Opening takes plain files only and never waits: a FIFO, a
// folder or a device (and a link, for reading and writing) is refused with
// "Cannot open file "<name>". Not a regular file".
// Failures raise EFileStreamError with the system's message.
class TFileStream : public TStream {
public:
    enum class Mode { OpenRead, Create, OpenReadWrite };

    TFileStream(const std::string& fileName, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    void Write(const void* buffer, int64_t count) override;
    int64_t Position() const override;
    void SetPosition(int64_t position) override;
    int64_t Size() const override;

    // Hands the buffered bytes to the system, raising with its reason when
    // it refuses them (a full disk); the file stays open.
    void Flush();
    // Flushes and closes, raising on a failed flush (the destructor never raises).
    void Close();
    const std::string& FileName() const { return fileName_; }

private:
    // stdio needs a seek between a read and a following write (and back).
    enum class LastOp { None, Read, Write };

    void Prepare(LastOp next);
    [[noreturn]] void Fail(const char* action) const;
    [[noreturn]] void Closed() const;

    std::string fileName_;
    std::FILE* file_ = nullptr;
    // Kept up to date by Write, so Size() costs no system call and never
    // disturbs stdio's read buffer.
    int64_t size_ = 0;
    // Kept by Read, Write and SetPosition: asking stdio (ftello) costs a
    // system call per field read or written.
    int64_t position_ = 0;
    LastOp lastOp_ = LastOp::None;
};
