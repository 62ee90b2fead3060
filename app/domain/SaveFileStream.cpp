#include "app/domain/SaveFileStream.h"

#include "gfx/Errors.h"

#include <QIODevice>

// Image writers and libtiff report a failed write by a return value only, and
// some carry on after it: the device keeps the stream's own failure, with the
// system's reason, for Fail and Commit.
class TSaveFileStream::TDevice final : public QIODevice {
public:
    explicit TDevice(TSaveFileStream& stream) : stream_(stream) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

    bool isSequential() const override { return false; }
    qint64 pos() const override { return stream_.Position(); }
    qint64 size() const override { return stream_.Size(); }
    bool seek(qint64 position) override
    {
        try {
            stream_.SetPosition(position);
        } catch (...) {
            return false;
        }
        return QIODevice::seek(position);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 count) override
    {
        try {
            stream_.Write(data, count);
        } catch (...) {
            return -1;
        }
        return count;
    }

private:
    TSaveFileStream& stream_;
};

TSaveFileStream::TSaveFileStream(const std::string& fileName, int32_t bufferSize)
    : fileName_(fileName), writer_(fileName, bufferSize)
{
}

TSaveFileStream::~TSaveFileStream() = default;

template <typename Action>
void TSaveFileStream::Guarded(Action&& action)
{
    try {
        action();
    } catch (const EngineError& e) {
        if (failure_.empty()) failure_ = e.what();
        throw;
    }
}

int64_t TSaveFileStream::Read(void*, int64_t) { throw EngineError("Cannot read " + fileName_ + ": it is being written"); }

void TSaveFileStream::Write(const void* buffer, int64_t count)
{
    if (count > 0) Guarded([&] { writer_.Write(buffer, static_cast<size_t>(count)); });
}

int64_t TSaveFileStream::Position() const { return writer_.Position(); }

void TSaveFileStream::SetPosition(int64_t position)
{
    Guarded([&] { writer_.Seek(position); });
}

int64_t TSaveFileStream::Size() const { return writer_.Size(); }

void TSaveFileStream::Commit()
{
    if (!failure_.empty()) throw EngineError(failure_);
    Guarded([&] { writer_.Close(); });
}

QIODevice& TSaveFileStream::Device()
{
    if (!device_) device_ = std::make_unique<TDevice>(*this);
    return *device_;
}

void TSaveFileStream::Fail(const std::string& reason) const
{
    if (!failure_.empty()) throw EngineError(failure_);
    throw EngineError("Could not write " + fileName_ + (reason.empty() ? std::string() : ": " + reason));
}
