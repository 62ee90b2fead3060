// TSaveFileStream: a write-only TStream onto a file that only appears when the
// whole content is committed. It writes to a temporary file in the target's
// folder and renames it over the target on Commit, so a failed or abandoned
// write never destroys the previous file and leaves nothing half-written.
#pragma once

#include "gfx/Stream.h"

#include <memory>
#include <string>

class QIODevice;
class QSaveFile;

class TSaveFileStream : public TStream {
public:
    // Raises EngineError "Could not open <name> for writing: <reason>".
    explicit TSaveFileStream(const std::string& fileName);
    // Without a successful Commit the temporary file is removed and the
    // target left as it was. Never raises.
    ~TSaveFileStream() override;
    TSaveFileStream(const TSaveFileStream&) = delete;
    TSaveFileStream& operator=(const TSaveFileStream&) = delete;

    // The stream is write-only: reading raises EngineError.
    int64_t Read(void* buffer, int64_t count) override;
    // Raises EngineError "Could not write <name>: <reason>".
    void Write(const void* buffer, int64_t count) override;
    int64_t Position() const override;
    void SetPosition(int64_t position) override;
    int64_t Size() const override;

    // Puts the written content in place of the target; raises EngineError
    // "Could not write <name>: <reason>" when that fails (the target is kept).
    void Commit();

    // The underlying device, for writers that want a QIODevice (image
    // writers, libtiff). Failures they report go through Fail.
    QIODevice& Device();
    // Raises EngineError "Could not write <name>" with the reason appended.
    [[noreturn]] void Fail(const std::string& reason) const;

    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    std::unique_ptr<QSaveFile> file_;
};
