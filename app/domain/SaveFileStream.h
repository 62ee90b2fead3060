// TSaveFileStream: a write-only TStream onto a file that only appears when the
// whole content is committed. It writes through the engine's buffered writer
// to a temporary file in the target's folder, which Commit renames over the
// target once every byte is written and flushed; a failed or abandoned write
// never destroys the previous file and leaves nothing half-written.
#pragma once

#include "engine/BufferedWriter.h"
#include "gfx/Stream.h"

#include <memory>
#include <string>

class QIODevice;

class TSaveFileStream : public TStream {
public:
    static constexpr int32_t DefaultBufferSize = 64 * 1024;

    // Raises EngineError "Could not open <name> for writing: <reason>".
    explicit TSaveFileStream(const std::string& fileName, int32_t bufferSize = DefaultBufferSize);
    // Without a successful Commit the temporary file is removed and the
    // target left as it was. Never raises.
    ~TSaveFileStream() override;
    TSaveFileStream(const TSaveFileStream&) = delete;
    TSaveFileStream& operator=(const TSaveFileStream&) = delete;

    // The stream is write-only: reading raises EngineError.
    int64_t Read(void* buffer, int64_t count) override;
    // Failures of these raise EngineError "Could not write <name>: <reason>",
    // the reason being the system's.
    void Write(const void* buffer, int64_t count) override;
    int64_t Position() const override;
    void SetPosition(int64_t position) override;
    int64_t Size() const override;

    // Puts the written content in place of the target. Raises the first
    // failure met on the way (one a writer of the device may have passed
    // over included), or that of the last bytes; the target is kept then.
    void Commit();

    // The stream as a device, for writers that want a QIODevice (image
    // writers, libtiff). Its failures are kept for Fail and Commit.
    QIODevice& Device();
    // Raises the first failure of the stream, or without one EngineError
    // "Could not write <name>: <reason>".
    [[noreturn]] void Fail(const std::string& reason) const;

    const std::string& FileName() const { return fileName_; }

private:
    class TDevice;
    template <typename Action>
    void Guarded(Action&& action);

    std::string fileName_;
    TBufferedWriter writer_;
    std::unique_ptr<TDevice> device_;
    std::string failure_;
};
