#include "engine/GStates.h"

#include "engine/GTypes.h"
#include "engine/Progress.h"
#include "engine/TempManager.h"
#include "engine/Utils.h"
#include "gfx/Bitmap32.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <algorithm>
#include <climits>
#include <mutex>

namespace {

// Marked, Finished, Rect, two BMP headers and an empty stroke block.
constexpr int64_t MinStateSize = 1 + 1 + 16 + 54 + 54 + 4;

// The one lock around every store to a busy flag. Everything runs on one
// thread, so it never waits; it keeps the flag sound should that change.
std::mutex busyLock;

[[noreturn]] void InvalidStack(const char* why) { throw EngineError(std::string("Invalid project file: ") + why); }

bool Inside(const TRect& r, int32_t width, int32_t height)
{
    return r.Left >= 0 && r.Top >= 0 && r.Left < r.Right && r.Top < r.Bottom && r.Right <= width &&
           r.Bottom <= height;
}

std::unique_ptr<TCompressedBitmap> ReadBeforeImage(TStream& stream, int32_t width, int32_t height)
{
    auto image = TCompressedBitmap::CreateFromStream(stream);
    if (image->Width() != width || image->Height() != height)
        InvalidStack("a saved image does not fit its rectangle");
    return image;
}

// Exchanges the pixels of `picture` inside R with those of `saved`, whose
// top-left pixel belongs at (R.Left, R.Top); clipped to both bitmaps.
void SwapPixels(TBitmap32& picture, TBitmap32& saved, const TRect& r)
{
    const TRect area = IntersectRect(IntersectRect(r, picture.BoundsRect()),
                                     {r.Left, r.Top, r.Left + saved.Width(), r.Top + saved.Height()});
    if (area.IsEmpty()) return;
    for (int32_t y = area.Top; y < area.Bottom; ++y) {
        TColor32* row = picture.ScanLine(y) + area.Left;
        std::swap_ranges(row, row + area.Width(), saved.ScanLine(y - r.Top) + (area.Left - r.Left));
    }
}

// Runs `work` with the bitmap's change notifications held back, then
// signals one change, on every path.
template <typename Work>
void WithUpdatesHeld(TBitmap32& bmp, Work&& work)
{
    bmp.BeginUpdate();
    try {
        work();
    } catch (...) {
        bmp.EndUpdate();
        bmp.Changed();
        throw;
    }
    bmp.EndUpdate();
    bmp.Changed();
}

} // namespace

// --- TGState -----------------------------------------------------------------

TGState::TGState(const TBitmap32& featureMap, const TBitmap32& dest)
    : strokes_(std::make_unique<TStrokes>(TempManager().NewTempFileName("tsk"))),
      rect_{0, 0, featureMap.Width(), featureMap.Height()},
      beforeFeature_(TCompressedBitmap::CreateCopy(featureMap)),
      beforeDest_(TCompressedBitmap::CreateCopy(dest))
{
}

TGState::~TGState() = default;

std::unique_ptr<TGState> TGState::CreateFromStream(TStream& stream, int32_t width, int32_t height)
{
    std::unique_ptr<TGState> state(new TGState());
    stream.RequireBytes(MinStateSize, 1, "Invalid project file: the undo history ends early");
    state->marked_ = stream.ReadUInt8() != 0;
    state->finished_ = stream.ReadUInt8() != 0;
    TRect& r = state->rect_;
    r.Left = stream.ReadInt32();
    r.Top = stream.ReadInt32();
    r.Right = stream.ReadInt32();
    r.Bottom = stream.ReadInt32();
    // A state still being recorded holds whole images; a finished one holds
    // its rectangle, which lies inside the picture.
    if (state->finished_ ? !Inside(r, width, height) : !(r == TRect{0, 0, width, height}))
        InvalidStack("an undo step lies outside the picture");
    state->beforeFeature_ = ReadBeforeImage(stream, r.Width(), r.Height());
    state->beforeDest_ = ReadBeforeImage(stream, r.Width(), r.Height());
    state->strokes_ = TStrokes::CreateFromStream(stream, TempManager().NewTempFileName("tsk"));
    state->droppedCount_ = state->strokes_->Dropped();
    return state;
}

void TGState::SaveToStream(TStream& stream)
{
    stream.WriteUInt8(marked_ ? 1 : 0);
    stream.WriteUInt8(finished_ ? 1 : 0);
    stream.WriteInt32(rect_.Left);
    stream.WriteInt32(rect_.Top);
    stream.WriteInt32(rect_.Right);
    stream.WriteInt32(rect_.Bottom);
    beforeFeature_->SaveToStream(stream);
    beforeDest_->SaveToStream(stream);
    strokes_->SaveToStream(stream);
}

void TGState::Finish(const TRect& r)
{
    // Checked before anything changes: a second call must not leave a
    // finished state with a rectangle that its images do not match.
    if (finished_) throw SilentAbort();
    // Clipping also turns the document's sentinel (left and top at the
    // largest integer, right and bottom at the smallest) into an empty rectangle.
    const TRect clipped = IntersectRect(r, rect_);
    if (clipped.IsEmpty()) throw SilentAbort();
    auto feature = CopyBitmapRect(beforeFeature_->Bitmap(), clipped);
    auto dest = CopyBitmapRect(beforeDest_->Bitmap(), clipped);
    beforeFeature_->SetBitmap(std::move(feature));
    beforeDest_->SetBitmap(std::move(dest));
    rect_ = clipped;
    finished_ = true;
    // The step records nothing more: its list gives back its file handle.
    try {
        strokes_->Release();
    } catch (const EngineError&) {
        // Its records went to the system as they were placed; a close that
        // fails costs none of them, and the step is still worth undoing.
    }
}

void TGState::Compress()
{
    beforeFeature_->SetCompressed(true);
    beforeDest_->SetCompressed(true);
}

void TGState::Decompress()
{
    beforeFeature_->SetCompressed(false);
    beforeDest_->SetCompressed(false);
}

bool TGState::IsCompressed() const { return beforeFeature_->Compressed() && beforeDest_->Compressed(); }

int64_t TGState::MemorySize() const { return beforeFeature_->Size() + beforeDest_->Size(); }

// --- TBusyFlag ---------------------------------------------------------------

bool TBusyFlag::IsSet() const
{
    std::lock_guard lock(busyLock);
    return depth_ > 0;
}

void TBusyFlag::Enter()
{
    std::lock_guard lock(busyLock);
    ++depth_;
}

void TBusyFlag::Leave()
{
    std::lock_guard lock(busyLock);
    if (depth_ > 0) --depth_;
}

// --- TGStates ----------------------------------------------------------------

TGStates::~TGStates()
{
    // Every step's files go at once: the list of temporary files is
    // written once for all of them.
    TTempFileBatch batch;
    states_.clear();
}

std::unique_ptr<TGStates> TGStates::CreateFromStream(TStream& stream, int32_t width, int32_t height)
{
    stream.RequireBytes(2, 4, "Invalid project file: the undo history ends early");
    const int32_t current = stream.ReadInt32();
    const int32_t n = stream.ReadInt32();
    if (n < 0 || current < 0 || current > n || n * MinStateSize > stream.Remaining())
        InvalidStack("impossible number of undo steps");

    auto stack = std::make_unique<TGStates>();
    stack->states_.reserve(static_cast<size_t>(n));
    int64_t dropped = 0;
    for (int32_t i = 0; i < n; ++i) {
        stack->states_.push_back(TGState::CreateFromStream(stream, width, height));
        dropped += stack->states_.back()->DroppedCount();
    }
    stack->current_ = current;
    stack->keepInMemory_ = 3;
    // Dropped counts every state, the total only the applied ones.
    stack->renderNeeded_ = dropped > stack->TotalStrokeCount() / 100.0;
    return stack;
}

void TGStates::SaveToStream(TStream& stream)
{
    stream.WriteInt32(current_);
    stream.WriteInt32(Count());
    TProgressScope progress(WaitText, 0, static_cast<int>(std::min<int64_t>(TotalStrokeCount(), INT_MAX)));
    for (auto& state : states_) state->SaveToStream(stream);
}

void TGStates::Push(std::unique_ptr<TGState> state)
{
    TBusyGuard busy(busy_);
    TTempFileBatch batch;
    // Redo states die here, with their files. Capacity is kept, so the
    // append below cannot fail after they are gone.
    states_.resize(static_cast<size_t>(current_));
    states_.push_back(std::move(state));
    ++current_;
    swapFailed_ = false;
}

void TGStates::Undo(TBitmap32& featureMap, TBitmap32& dest)
{
    TBusyGuard busy(busy_);
    if (current_ < 1) throw EngineError("Imposible hacer undo, estamos al principio de la pila");
    --current_;
    try {
        ApplySwap(featureMap, dest, *states_[current_]);
    } catch (...) {
        // The images did not change (a swap file could not be read back).
        ++current_;
        throw;
    }
}

void TGStates::Redo(TBitmap32& featureMap, TBitmap32& dest)
{
    TBusyGuard busy(busy_);
    if (Count() <= current_) throw EngineError("Imposible hacer redo, estamos en el tope de la pila");
    ApplySwap(featureMap, dest, *states_[current_]);
    ++current_;
}

void TGStates::ApplySwap(TBitmap32& featureMap, TBitmap32& dest, TGState& state)
{
    TBusyGuard busy(busy_);
    // Both images come back from disk before any pixel moves, so a failed
    // read leaves the pictures and the state as they were.
    state.Decompress();
    SwapPixels(featureMap, state.BeforeFeature().Bitmap(), state.Rect());
    WithUpdatesHeld(dest, [&] { SwapPixels(dest, state.BeforeDest().Bitmap(), state.Rect()); });
}

void TGStates::DropTop()
{
    TBusyGuard busy(busy_);
    if (current_ > 0) --current_;
}

void TGStates::CompressOne()
{
    if (Busy() || swapFailed_) return;
    TBusyGuard busy(busy_);
    const int64_t last = std::min<int64_t>(int64_t(Count()) - 1 - keepInMemory_, current_);
    for (int64_t i = 0; i <= last; ++i) {
        if (!states_[i]->IsCompressed()) {
            try {
                states_[i]->Compress();
            } catch (...) {
                swapFailed_ = true;
                throw;
            }
            return;
        }
    }
}

bool TGStates::CloseState(std::unique_ptr<TGState> state, const TRect& dirtyRect)
{
    try {
        state->Finish(dirtyRect);
        Push(std::move(state));
        return true;
    } catch (const SilentAbort&) {
    } catch (const std::exception&) {
    }
    return false;
}

void TGStates::UndoStep(TBitmap32& featureMap, TBitmap32& dest)
{
    Undo(featureMap, dest);
    if (!Top()) WithUpdatesHeld(dest, [&] { dest.Clear(clWhite32); });
}

bool TGStates::UndoToLastSnapshot(TBitmap32& featureMap, TBitmap32& dest)
{
    if (current_ < 1) return false;
    // The roll-back stops on the first marked step it uncovers.
    int32_t bottom = current_ - 1;
    while (bottom > 0 && !states_[bottom - 1]->Marked()) --bottom;
    // Every step to undo comes back from disk first: one that cannot be read
    // back then stops the roll-back before any step is undone, rather than
    // halfway down, at a place no undo of the user's had made.
    {
        TBusyGuard busy(busy_);
        for (int32_t i = current_ - 1; i >= bottom; --i) states_[i]->Decompress();
    }
    WithUpdatesHeld(dest, [&] {
        while (current_ > bottom) Undo(featureMap, dest);
        // As Undo does: with nothing applied the page is blank, whatever the
        // bottom state saved.
        if (!Top()) dest.Clear(clWhite32);
    });
    return true;
}

void TGStates::TakeSnapshot()
{
    if (TGState* top = Top()) top->SetMarked(true);
}

bool TGStates::CanTakeSnapshot() const { return Top() && !Top()->Marked(); }

void TGStates::SetCurrent(int32_t value)
{
    if (value < 0 || value > Count()) RaiseIndexError(value, "TGStates.SetCurrent");
    current_ = value;
}

TGState& TGStates::GetState(int32_t index)
{
    if (index < 0 || index >= Count()) RaiseIndexError(index, "TGStates.GetState");
    return *states_[index];
}

int64_t TGStates::TotalStrokeCount() const
{
    int64_t total = 0;
    for (int32_t i = 0; i < StateCount(); ++i) total += states_[i]->Strokes().Count();
    return total;
}

int64_t TGStates::MemorySize() const
{
    TBusyGuard busy(busy_);
    int64_t total = 0;
    for (const auto& state : states_) total += state->MemorySize();
    return total;
}

std::string TGStates::MemoryText() const { return FormatByteSize(MemorySize()); }
