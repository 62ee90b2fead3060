// The undo stack. A state (TGState) is one step of drawing: its strokes and
// the earlier pixels of the destination and the feature map inside the
// rectangle those strokes covered. Undo and redo exchange those pixels with
// the images' current ones, so one state serves both directions. Old states
// move to disk while the program is idle; the stack reads and writes itself
// in a project stream.
#pragma once

#include "engine/CompressedBitmap.h"
#include "engine/Strokes.h"
#include "gfx/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TBitmap32;
class TStream;

class TGState {
public:
    // A state being recorded: full-size copies of both images, the whole
    // image as its rectangle, and an empty stroke list on a new "tsk" file.
    TGState(const TBitmap32& featureMap, const TBitmap32& dest);
    ~TGState();
    TGState(const TGState&) = delete;
    TGState& operator=(const TGState&) = delete;

    // Reads one state record of a project over a picture of the given size.
    // A rectangle outside the picture or a before-image of the wrong size
    // raises EngineError.
    static std::unique_ptr<TGState> CreateFromStream(TStream& stream, int32_t width, int32_t height);
    // Writes one state record; both before-images come into memory and stay.
    void SaveToStream(TStream& stream);

    // Cuts the before-images down to R clipped to the picture. A second
    // call, or an R that is empty (the document's sentinel for a step
    // without strokes is) or lies outside the picture, raises SilentAbort.
    void Finish(const TRect& r);
    void FinishWhole() { Finish(rect_); }

    // Moves both before-images to disk.
    void Compress();
    // Brings both before-images back into memory. A swap file that cannot
    // be read back raises, naming it; the pixels of the step stay as they were.
    void Decompress();
    bool IsCompressed() const;
    // Bytes of the before-images held in memory.
    int64_t MemorySize() const;

    void SetMarked(bool value) { marked_ = value; }
    bool Marked() const { return marked_; }
    bool Finished() const { return finished_; }
    const TRect& Rect() const { return rect_; }
    int32_t DroppedCount() const { return droppedCount_; }
    TStrokes& Strokes() { return *strokes_; }
    const TStrokes& Strokes() const { return *strokes_; }
    TCompressedBitmap& BeforeFeature() { return *beforeFeature_; }
    TCompressedBitmap& BeforeDest() { return *beforeDest_; }

private:
    TGState() = default;

    std::unique_ptr<TStrokes> strokes_;
    TRect rect_;
    bool finished_ = false;
    std::unique_ptr<TCompressedBitmap> beforeFeature_;
    std::unique_ptr<TCompressedBitmap> beforeDest_;
    bool marked_ = false;
    int32_t droppedCount_ = 0;
};

// The busy flag of a stack: set while one of its operations works, so that
// the idle swapping keeps away. Operations nest (undo swaps), so the flag is
// a count that only the outermost guard brings back to zero.
class TBusyFlag {
public:
    bool IsSet() const;
    void Enter();
    void Leave();

private:
    int depth_ = 0;
};

class TBusyGuard {
public:
    explicit TBusyGuard(TBusyFlag& flag) : flag_(flag) { flag_.Enter(); }
    ~TBusyGuard() { flag_.Leave(); }
    TBusyGuard(const TBusyGuard&) = delete;
    TBusyGuard& operator=(const TBusyGuard&) = delete;

private:
    TBusyFlag& flag_;
};

class TGStates {
public:
    TGStates() = default;
    ~TGStates();
    TGStates(const TGStates&) = delete;
    TGStates& operator=(const TGStates&) = delete;

    // Reads the undo-stack block of a project over a picture of the given
    // size. Counts the stream cannot hold raise EngineError; nothing is left.
    static std::unique_ptr<TGStates> CreateFromStream(TStream& stream, int32_t width, int32_t height);
    // Writes the block, redo states included, stepping the progress window per stroke.
    void SaveToStream(TStream& stream);

    // Adds a finished state on top, discarding every redo state.
    void Push(std::unique_ptr<TGState> state);
    // Raise EngineError at the bottom and at the top of the stack.
    void Undo(TBitmap32& featureMap, TBitmap32& dest);
    void Redo(TBitmap32& featureMap, TBitmap32& dest);
    // Exchanges the state's saved pixels with the images' pixels inside its
    // rectangle; applying it twice changes nothing.
    void ApplySwap(TBitmap32& featureMap, TBitmap32& dest, TGState& state);
    void DropTop();
    // The idle swapping: moves one old state to disk, keeping the newest
    // KeepInMemory states in memory; does nothing while the stack is busy.
    // A swap that fails raises and keeps the state in memory; swapping
    // then rests until the next Push.
    void CompressOne();

    // --- What the document forwards to -----------------------------------

    // Finishes the recorded state with the step's dirty rectangle and pushes
    // it; a step that cannot be finished is discarded. True when a step was added.
    bool CloseState(std::unique_ptr<TGState> state, const TRect& dirtyRect);
    // Undo, then a white destination when no state is left applied (a
    // compacted state holds the drawing itself, not a white image).
    void UndoStep(TBitmap32& featureMap, TBitmap32& dest);
    // Undoes down to the newest marked state, which stays applied; the
    // destination is signalled once. False when nothing was applied. A step
    // that cannot be read back raises before any is undone.
    bool UndoToLastSnapshot(TBitmap32& featureMap, TBitmap32& dest);
    void TakeSnapshot();
    bool CanTakeSnapshot() const;
    // Always the same as CanUndo: the bottom is a snapshot of its own.
    bool CanUndoToLastSnapshot() const { return CanUndo(); }

    // --- Counts -------------------------------------------------------------

    int32_t Count() const { return static_cast<int32_t>(states_.size()); }
    int32_t Current() const { return current_; }
    void SetCurrent(int32_t value);
    int32_t StateCount() const { return current_ < Count() ? current_ : Count(); }
    bool CanUndo() const { return current_ > 0; }
    bool CanRedo() const { return Count() > current_; }
    TGState* Top() { return current_ >= 1 ? states_[current_ - 1].get() : nullptr; }
    const TGState* Top() const { return current_ >= 1 ? states_[current_ - 1].get() : nullptr; }
    TGState& GetState(int32_t index);
    // Strokes of the applied states.
    int64_t TotalStrokeCount() const;
    // Bytes of before-images in memory, redo states included.
    int64_t MemorySize() const;
    // The same for the status bar: "24 Mb".
    std::string MemoryText() const;

    // Writes every stroke of the applied states as a filled PostScript path,
    // the W x H image shrunk by K and centred on an A4 page (PostScript.cpp).
    void ExportPostScript(const std::string& fileName, int32_t width, int32_t height, double k);
    int32_t KeepInMemory() const { return keepInMemory_; }
    bool Busy() const { return busy_.IsSet(); }
    // Set by reading when more than 1 % of the applied strokes were dropped.
    bool RenderNeeded() const { return renderNeeded_; }

private:
    std::vector<std::unique_ptr<TGState>> states_;
    int32_t current_ = 0;
    int32_t keepInMemory_ = 3;
    mutable TBusyFlag busy_;
    bool renderNeeded_ = false;
    // A swap-out failed (no room, tmp/ gone): trying again at every idle
    // turn would take a new name and rewrite the list of names each time.
    bool swapFailed_ = false;
};
