#include "engine/Patterns.h"

#include "engine/GTypes.h"
#include "engine/Utils.h"
#include "gfx/Bitmap32.h"
#include "gfx/Errors.h"
#include "gfx/Random.h"
#include "gfx/Stream.h"

#include <algorithm>
#include <utility>
#include <string>

namespace {

constexpr int64_t CountSize = 4;
constexpr TColor32 FrameBackground = 0xFFCCCCCC;
constexpr TColor32 FrameInk = 0xFF000000;

// Reads a signed 32-bit count and checks that the bytes left can hold that
// many items before anyone allocates for them.
int32_t ReadCount(TStream& stream, int64_t itemSize, const char* what)
{
    const int32_t n = stream.ReadInt32();
    if (n < 0) throw EngineError(std::string(what) + ": negative count (" + std::to_string(n) + ")");
    stream.RequireBytes(n, itemSize, what);
    return n;
}

} // namespace

// --- TPatternFrame ------------------------------------------------------------

TBezier TPatternFrame::GetCurves(int32_t index) const
{
    if (index < 0 || index >= Count()) RaiseIndexError(index, "TPatternFrame.GetCurves");
    return curves_[static_cast<size_t>(index)];
}

TBezier TPatternFrame::RandomCurve() const
{
    return GetCurves(Count() < 2 ? 0 : Random(Count()));
}

void TPatternFrame::SaveToStream(TStream& stream) const
{
    stream.WriteInt32(Count());
    WriteBeziers(stream, curves_);
}

void TPatternFrame::LoadFromStream(TStream& stream)
{
    std::vector<TBezier> curves(static_cast<size_t>(ReadCount(stream, BezierRecordSize, "Pattern frame is truncated")));
    ReadBeziers(stream, curves);
    curves_ = std::move(curves);
}

// --- TPattern: file -----------------------------------------------------------

const TPersistentClass& TPattern::StaticClass()
{
    static const TPersistentClass info = PersistentClassOf<TPattern>("stk", "stroke");
    return info;
}

void TPattern::SaveToStream(TStream& stream)
{
    stream.WriteInt32(FrameCount());
    for (const auto& frame : frames_) frame->SaveToStream(stream);
}

void TPattern::LoadFromStream(TStream& stream)
{
    // Every frame needs at least its own count, which bounds F.
    const int32_t stored = ReadCount(stream, CountSize, "Pattern file is truncated");
    std::vector<std::unique_ptr<TPatternFrame>> frames;
    for (int32_t i = 0; i < stored; ++i) {
        auto frame = std::make_unique<TPatternFrame>();
        frame->LoadFromStream(stream);
        // Empty frames are dropped so that picking a frame never lands on one.
        if (frame->Count() > 0) frames.push_back(std::move(frame));
    }
    frames_ = std::move(frames);
}

// --- TPattern: frames ---------------------------------------------------------

TPatternFrame& TPattern::AddPatternFrame(std::unique_ptr<TPatternFrame>&& frame)
{
    if (FrameCount() >= MaxFrames) throw EngineError("AddPatternFrame: MaxFrames reached");
    if (!frame) throw EngineError("AddPatternFrame: no frame");
    frames_.push_back(std::move(frame));
    return *frames_.back();
}

TPatternFrame& TPattern::GetFrames(int32_t index)
{
    return const_cast<TPatternFrame&>(std::as_const(*this).GetFrames(index));
}

const TPatternFrame& TPattern::GetFrames(int32_t index) const
{
    if (index < 0 || index >= FrameCount()) RaiseIndexError(index, "TPattern.GetFrames");
    return *frames_[static_cast<size_t>(index)];
}

const TPatternFrame* TPattern::GetRandomFrame() const
{
    int64_t total = 0;
    for (const auto& frame : frames_) total += frame->Count();
    // Without curves the draw below could never succeed.
    if (total == 0) return nullptr;
    if (total == 1) {
        auto last = std::find_if(frames_.rbegin(), frames_.rend(), [](const auto& f) { return f->Count() > 0; });
        return last->get();
    }
    for (;;) {
        const int32_t i = FrameCount() < 2 ? 0 : Random(FrameCount());
        if (frames_[static_cast<size_t>(i)]->Count() > 0) return frames_[static_cast<size_t>(i)].get();
    }
}

// --- TPattern: pictures -------------------------------------------------------

void TPattern::UpdateBounds()
{
    bounds_ = {10000, 10000, -10000, -10000};
    for (const auto& frame : frames_)
        for (const TBezier& b : frame->Curves())
            for (const TPoint& p : {b.P0, b.P1, b.P2, b.P3}) {
                if (p.X < bounds_.Left) bounds_.Left = p.X;
                if (p.X > bounds_.Right) bounds_.Right = p.X;
                if (p.Y < bounds_.Top) bounds_.Top = p.Y;
                if (p.Y > bounds_.Bottom) bounds_.Bottom = p.Y;
            }
}

TBitmap32& TPattern::RequirePreview(const char* where) const
{
    if (!preview_) throw EngineError(std::string(where) + ": no preview bitmap");
    return *preview_;
}

void TPattern::DrawFrame(int32_t index, bool clearFirst)
{
    const TPatternFrame& frame = GetFrames(index);
    TBitmap32& bmp = RequirePreview("TPattern.DrawFrame");
    UpdateBounds();
    if (bounds_.Right == bounds_.Left || bounds_.Bottom == bounds_.Top) return;
    if (clearFirst) bmp.Clear(FrameBackground);

    // Every point is moved by the bounds' top-left corner (added, not
    // taken away), then scaled from the design square to the bitmap; the
    // moved point of a file's far-out curve may need more than 32 bits.
    const double s = std::min(bmp.Width() / DesignSquare, bmp.Height() / DesignSquare);
    for (TBezier b : frame.Curves()) {
        OffsetAndScalePoints(BezierPoints(b), {bounds_.Left, bounds_.Top}, s);
        SubdivideBezier(b, [&bmp](const TBezier& q) {
            bmp.LineS(q.P0.X, q.P0.Y, q.P1.X, q.P1.Y, FrameInk);
            bmp.LineS(q.P1.X, q.P1.Y, q.P2.X, q.P2.Y, FrameInk);
            bmp.LineS(q.P2.X, q.P2.Y, q.P3.X, q.P3.Y, FrameInk);
        });
    }
    bmp.Changed();
}

std::unique_ptr<TBitmap32> TPattern::RenderAll(int32_t width, int32_t height)
{
    TBitmap32& preview = RequirePreview("TPattern.RenderAll");
    for (int32_t i = 0; i < FrameCount(); ++i) DrawFrame(i, false);

    auto result = std::make_unique<TBitmap32>(width, height);
    // The preview belongs to the caller: copy it with our own settings
    // rather than change its draw mode and filter.
    TBitmap32 source(preview);
    source.DrawMode = TDrawMode::dmOpaque;
    source.StretchFilter = TStretchFilter::sfSpline;
    result->Draw(result->BoundsRect(), source.BoundsRect(), source);
    return result;
}
