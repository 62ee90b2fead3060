#include "engine/Strokes.h"

#include "engine/Progress.h"
#include "engine/TempManager.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <cstdio>
#include <utility>

namespace {

constexpr int64_t PointSize = 8;
// Colour, opacity and renderer: 4 + 1 + 4 bytes.
constexpr int64_t TailSize = 9;
// A record with two empty outlines: the two counts and the tail.
constexpr int64_t MinRecordSize = 4 + 4 + TailSize;

[[noreturn]] void InvalidBlock() { throw EngineError("Invalid project file: damaged stroke list"); }

void WritePoints(TStream& s, const TArrayOfFixedPoint& points)
{
    s.WriteInt32(static_cast<int32_t>(points.size()));
    for (const TFixedPoint& p : points) {
        s.WriteInt32(p.X);
        s.WriteInt32(p.Y);
    }
}

void ReadPoints(TStream& s, int32_t count, TArrayOfFixedPoint& points)
{
    points.resize(static_cast<size_t>(count));
    for (TFixedPoint& p : points) {
        p.X = s.ReadInt32();
        p.Y = s.ReadInt32();
    }
}

void WriteTail(TStream& s, TColor32 color, uint8_t opacity, int32_t rendererID)
{
    s.WriteUInt32(color);
    s.WriteUInt8(opacity);
    s.WriteInt32(rendererID);
}

void ReadTail(TStream& s, TStrokeRecord& stroke)
{
    stroke.Color = s.ReadUInt32();
    stroke.Opacity = s.ReadUInt8();
    stroke.RendererID = s.ReadInt32();
}

// Loads `count` bytes of `from` into the scratch stream and rewinds it, so a
// record is decoded from memory rather than four bytes at a time from disk.
// False when fewer bytes were left.
bool Fill(TMemoryStream& scratch, TStream& from, int64_t count)
{
    scratch.Bytes().resize(static_cast<size_t>(count));
    scratch.SetPosition(0);
    return from.Read(scratch.Bytes().data(), count) == count;
}

// An outline count of a project record: it and what must follow it
// (`after` bytes at least) have to fit in the bytes left.
int32_t ReadBlockCount(TStream& s, int64_t after)
{
    if (s.Remaining() < 4) InvalidBlock();
    const int32_t n = s.ReadInt32();
    if (n < 0 || n * PointSize + after > s.Remaining()) InvalidBlock();
    return n;
}

// One record of a project stroke block: both outlines, then the tail.
void ReadBlockRecord(TStream& s, TMemoryStream& scratch, TStrokeRecord& stroke)
{
    int32_t n = ReadBlockCount(s, 4 + TailSize);
    if (!Fill(scratch, s, n * PointSize)) InvalidBlock();
    ReadPoints(scratch, n, stroke.Left);
    n = ReadBlockCount(s, TailSize);
    if (!Fill(scratch, s, n * PointSize + TailSize)) InvalidBlock();
    ReadPoints(scratch, n, stroke.Right);
    ReadTail(scratch, stroke);
}

void WriteBlockRecord(TStream& s, const TStrokeRecord& stroke)
{
    WritePoints(s, stroke.Left);
    WritePoints(s, stroke.Right);
    WriteTail(s, stroke.Color, stroke.Opacity, stroke.RendererID);
}

} // namespace

bool ArraysEqual(const TArrayOfFixedPoint& a, const TArrayOfFixedPoint& b) { return a == b; }

TStrokes::TStrokes(std::string fileName)
    : fileName_(std::move(fileName)),
      file_(std::make_unique<TFileStream>(fileName_, TFileStream::Mode::OpenReadWrite)),
      buffer_(std::make_unique<TMemoryStream>())
{
}

TStrokes::~TStrokes()
{
    file_.reset();
    DeleteTempFile(fileName_);
}

std::unique_ptr<TStrokes> TStrokes::CreateFromStream(TStream& stream, std::string fileName)
{
    // Made first: the file the name was handed out with goes with the list
    // when the block turns out damaged.
    auto list = std::make_unique<TStrokes>(std::move(fileName));
    stream.RequireBytes(1, 4, "Invalid project file: damaged stroke list");
    const int32_t n = stream.ReadInt32();
    if (n < 0 || n * MinRecordSize > stream.Remaining()) InvalidBlock();

    TProgressScope progress(WaitText, 0, n);
    TStrokeRecord stroke, kept;
    for (int32_t i = 0; i < n; ++i) {
        ReadBlockRecord(stream, *list->buffer_, stroke);
        // Consecutive repeats are left out; long outlines are kept, since the
        // program itself records them with long styles and high precision.
        if (i == 0 || !(stroke == kept)) {
            list->Write(stroke, false);
            std::swap(kept, stroke);
        } else {
            ++list->dropped_;
        }
        progress.Step();
    }
    // Nothing is drawn from these records before the load is done: they are
    // flushed once, and a refusal fails the load.
    list->Release();
    return list;
}

void TStrokes::AddStroke(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, TColor32 color,
                         uint8_t opacity, int32_t rendererID)
{
    // A placed stroke is drawn as soon as this returns: its record must be
    // with the system by then, or a disk that refuses the buffer later would
    // leave strokes on the picture that no replay or project holds.
    Write(left, right, color, opacity, rendererID, true);
}

void TStrokes::Write(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, TColor32 color,
                     uint8_t opacity, int32_t rendererID, bool flush)
{
    TMemoryStream& rec = *buffer_;
    rec.Clear();
    WriteTail(rec, color, opacity, rendererID);
    WritePoints(rec, left);
    WritePoints(rec, right);
    TFileStream& file = File();
    try {
        if (file.Position() != end_) file.SetPosition(end_);
        file.WriteBuffer(rec.Bytes().data(), rec.Size());
        if (flush) file.Flush();
    } catch (const EngineError&) {
        // After a refused write the stream's buffer is in no known state: the
        // next record opens the file afresh and goes after the last whole one.
        file_.reset();
        throw;
    }
    end_ += rec.Size();
    ++count_;
}

void TStrokes::Rewind()
{
    readPos_ = 0;
    readLeft_ = count_;
    readEnd_ = end_;
}

bool TStrokes::ReadStroke(TStrokeRecord& stroke)
{
    try {
        if (readLeft_ == 0) {
            // A record whose outline count was lowered leaves bytes behind
            // the last counted record.
            if (readPos_ != readEnd_) Damaged();
            // The replay is over: no handle is needed until the next one.
            try {
                Release();
            } catch (const EngineError&) {
                // Records already read stay valid; a replay reports no write errors.
            }
            return false;
        }
        TFileStream& file = File();
        if (file.Position() != readPos_) file.SetPosition(readPos_);
        ReadStrokeAt(file, stroke);
        readPos_ = file.Position();
        --readLeft_;
        return true;
    } catch (const EngineError&) {
        // The next replay starts with a new handle.
        readPos_ = readEnd_;
        readLeft_ = 0;
        file_.reset();
        throw;
    }
}

void TStrokes::ForEachStroke(const std::function<void(TStrokeRecord&)>& visit)
{
    TStrokeRecord stroke;
    Rewind();
    while (ReadStroke(stroke)) visit(stroke);
}

// Reads one record that must lie wholly before the replay's end: a record
// whose outline count was raised runs past it, or swallows the records
// after it so that the data ends before the count is reached.
void TStrokes::ReadStrokeAt(TFileStream& file, TStrokeRecord& stroke)
{
    TMemoryStream& rec = *buffer_;
    const auto fill = [&](int64_t count) {
        if (!Fill(rec, file, count)) Unreadable("File shorter than the strokes written to it");
    };
    const int64_t left = readEnd_ - file.Position();
    if (left < MinRecordSize) Damaged();
    fill(TailSize + 4);
    ReadTail(rec, stroke);
    const int32_t nLeft = rec.ReadInt32();
    if (nLeft < 0 || nLeft * PointSize + 4 > left - TailSize - 4) Damaged();
    fill(nLeft * PointSize + 4);
    ReadPoints(rec, nLeft, stroke.Left);
    const int32_t nRight = rec.ReadInt32();
    if (nRight < 0 || nRight * PointSize > readEnd_ - file.Position()) Damaged();
    fill(nRight * PointSize);
    ReadPoints(rec, nRight, stroke.Right);
}

void TStrokes::Unreadable(const char* reason) const
{
    throw EngineError("Cannot read file \"" + fileName_ + "\". " + reason);
}

void TStrokes::Damaged() const { Unreadable("Damaged stroke record"); }

void TStrokes::SaveToStream(TStream& stream)
{
    // N is known only once the repeats are found: write it last, in place.
    const int64_t countAt = stream.Position();
    stream.WriteInt32(0);
    int32_t written = 0;
    TStrokeRecord last;
    ForEachStroke([&](TStrokeRecord& stroke) {
        if (written > 0 && stroke == last) return;
        WriteBlockRecord(stream, stroke);
        std::swap(last, stroke);
        ++written;
        Progress().Step();
    });
    const int64_t endAt = stream.Position();
    stream.SetPosition(countAt);
    stream.WriteInt32(written);
    stream.SetPosition(endAt);
}

void TStrokes::AppendFrom(TStrokes& other)
{
    const int32_t count = count_;
    const int64_t end = end_;
    try {
        // Flushed once, by whoever closes this list; a merge draws nothing.
        other.ForEachStroke([this](TStrokeRecord& stroke) { Write(stroke, false); });
    } catch (...) {
        // The copies made so far are taken back: the next record goes over them.
        count_ = count;
        end_ = end;
        throw;
    }
}

void TStrokes::Release()
{
    if (!file_) return;
    const std::unique_ptr<TFileStream> file = std::move(file_);
    file->Close();
}

TFileStream& TStrokes::File()
{
    if (!file_) file_ = std::make_unique<TFileStream>(fileName_, TFileStream::Mode::OpenReadWrite);
    return *file_;
}
