#include "app/domain/SaveFileStream.h"

#include "gfx/Errors.h"

#include <QSaveFile>
#include <QString>

TSaveFileStream::TSaveFileStream(const std::string& fileName)
    : fileName_(fileName), file_(std::make_unique<QSaveFile>(QString::fromStdString(fileName)))
{
    if (!file_->open(QIODevice::WriteOnly))
        throw EngineError("Could not open " + fileName + " for writing: " + file_->errorString().toStdString());
}

TSaveFileStream::~TSaveFileStream()
{
    // QSaveFile drops its temporary file when it is destroyed uncommitted;
    // cancelling first makes that explicit.
    if (file_->isOpen()) file_->cancelWriting();
}

int64_t TSaveFileStream::Read(void*, int64_t) { throw EngineError("Cannot read " + fileName_ + ": it is being written"); }

void TSaveFileStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0) return;
    const qint64 written = file_->write(static_cast<const char*>(buffer), count);
    if (written != count) Fail(file_->errorString().toStdString());
}

int64_t TSaveFileStream::Position() const { return file_->pos(); }

void TSaveFileStream::SetPosition(int64_t position)
{
    if (position < 0 || !file_->seek(position)) Fail("cannot seek to " + std::to_string(position));
}

int64_t TSaveFileStream::Size() const { return file_->size(); }

void TSaveFileStream::Commit()
{
    if (!file_->commit()) Fail(file_->errorString().toStdString());
}

QIODevice& TSaveFileStream::Device() { return *file_; }

void TSaveFileStream::Fail(const std::string& reason) const
{
    throw EngineError("Could not write " + fileName_ + (reason.empty() ? std::string() : ": " + reason));
}
