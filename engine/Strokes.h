// The recorded strokes of one undo step. Records never stay in memory: each
// goes straight to the list's own temporary file when it is placed, and every
// replay streams the file from the start. The list also reads and writes the
// stroke block of a project, leaving out consecutive repeats.
#pragma once

#include "gfx/Color32.h"
#include "gfx/Geometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TFileStream;
class TMemoryStream;
class TStream;

// One placed stroke: its two outline edges in destination pixels (the filled
// shape is Left first to last, then Right last to first), its colour, the
// style's opacity when it was placed and the renderer that drew it.
struct TStrokeRecord {
    TArrayOfFixedPoint Left, Right;
    TColor32 Color = 0;
    uint8_t Opacity = 255;
    int32_t RendererID = 0;
    friend bool operator==(const TStrokeRecord&, const TStrokeRecord&) = default;
};

// Same length and every point equal in X and Y.
bool ArraysEqual(const TArrayOfFixedPoint& a, const TArrayOfFixedPoint& b);

class TStrokes {
public:
    // Opens the empty file the temporary-file manager made under the name;
    // one that is gone, or is no longer a plain file, raises.
    explicit TStrokes(std::string fileName);
    // Closes the file and has the manager delete it.
    ~TStrokes();
    TStrokes(const TStrokes&) = delete;
    TStrokes& operator=(const TStrokes&) = delete;

    // A new list on `fileName` filled from one project stroke block. Counts
    // that the stream cannot hold raise EngineError, and no file is left.
    static std::unique_ptr<TStrokes> CreateFromStream(TStream& stream, std::string fileName);

    // Appends one record at the end of the file, whatever a read left behind,
    // and hands it to the system at once. A write the system refuses raises
    // EngineError naming the file and the reason; the record is not counted.
    void AddStroke(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, TColor32 color,
                   uint8_t opacity, int32_t rendererID);
    void AddStroke(const TStrokeRecord& stroke)
    {
        AddStroke(stroke.Left, stroke.Right, stroke.Color, stroke.Opacity, stroke.RendererID);
    }
    // Starts a replay from the first record. It covers the records written
    // so far: records appended while it runs (a list copied onto itself)
    // are not part of it.
    void Rewind();
    // The next record of the replay; false once every counted record is read
    // and the data written ends exactly there. Anything else means a record's
    // outline count no longer matches the bytes written (the file was changed
    // behind the list's back), and a replay that went on would draw, export,
    // merge or save a different number of strokes than the list holds: it
    // raises EngineError "Cannot read file "<name>". Damaged stroke record".
    // A file taken away or cut short raises naming the file and the reason.
    // Each error ends the replay.
    bool ReadStroke(TStrokeRecord& stroke);
    // The one way to replay a list: Rewind, then hands every record in order
    // to `visit`, which may change it. Raises where ReadStroke does, after
    // the records before the damage were visited.
    void ForEachStroke(const std::function<void(TStrokeRecord&)>& visit);

    // Writes one project stroke block, leaving out each record equal to the
    // one written before it; steps the progress window per record written.
    // Raises where ReadStroke does, so no block holds fewer strokes than the list.
    void SaveToStream(TStream& stream);
    // Copies the records of `other` in order; raises where ReadStroke does,
    // and then this list holds what it held before. The copies are flushed
    // when this list is released.
    void AppendFrom(TStrokes& other);
    // Closes the file handle until the list is next read or appended to.
    // A history of many steps must not hold a handle per step: desktop
    // sessions commonly allow only 1024 open files. Replays, saving and
    // merging release the handle when they are done; a finished step
    // releases it once. Raises when buffered records cannot be flushed.
    void Release();

    const std::string& FileName() const { return fileName_; }
    int32_t Count() const { return count_; }
    // Repeats left out when the list was read from a project.
    int32_t Dropped() const { return dropped_; }

private:
    // The file, opened again if it was released.
    TFileStream& File();
    // Appends one record; `flush` hands it to the system before returning.
    void Write(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, TColor32 color, uint8_t opacity,
               int32_t rendererID, bool flush);
    void Write(const TStrokeRecord& stroke, bool flush)
    {
        Write(stroke.Left, stroke.Right, stroke.Color, stroke.Opacity, stroke.RendererID, flush);
    }
    void ReadStrokeAt(TFileStream& file, TStrokeRecord& stroke);
    [[noreturn]] void Unreadable(const char* reason) const;
    [[noreturn]] void Damaged() const;

    std::string fileName_;
    std::unique_ptr<TFileStream> file_;  // none while released
    std::unique_ptr<TMemoryStream> buffer_;  // one record being encoded or decoded
    int32_t count_ = 0;
    int32_t dropped_ = 0;
    // Bytes of complete records. Writes start here, so a failed or partial
    // write is overwritten by the next record and never read back.
    int64_t end_ = 0;
    // Where the next ReadStroke starts; reads and appends may interleave.
    int64_t readPos_ = 0;
    // The replay's records still to read and where its data ends, both taken
    // at Rewind.
    int32_t readLeft_ = 0;
    int64_t readEnd_ = 0;
};
