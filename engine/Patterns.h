// Patterns: hand-drawn curves that the pattern tool's strokes follow. A
// pattern holds up to six frames of alternative shapes; each placed stroke
// takes one curve of a random frame, scaled to the brush. Patterns live one
// per "stk" file in the program folder and are shown by picture only.
#pragma once

#include "engine/Bezier.h"
#include "engine/PersistentObject.h"
#include "gfx/Geometry.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class TBitmap32;
class TStream;

// One frame of a pattern: its curves in drawing order.
class TPatternFrame {
public:
    void AddCurve(const TBezier& b) { curves_.push_back(b); }
    // Raises the index error outside 0..Count - 1.
    TBezier GetCurves(int32_t index) const;
    int32_t Count() const { return static_cast<int32_t>(curves_.size()); }
    void Clear() { curves_.clear(); }
    // Every curve, for readers that walk them all.
    std::span<const TBezier> Curves() const { return curves_; }

    // Curve 0 when the frame holds one curve (no random draw), else curve
    // Random(Count). An empty frame raises the index error of GetCurves.
    TBezier RandomCurve() const;

    // The curve count (signed 32-bit), then the bare 32-byte records.
    void SaveToStream(TStream& stream) const;
    // Replaces the curves with the stream's. A negative count, one the bytes
    // left cannot hold, or a short read raises EngineError and keeps the frame.
    void LoadFromStream(TStream& stream);

private:
    std::vector<TBezier> curves_;
};

class TPattern : public TPersistentObject {
public:
    // A pattern takes at most this many frames through AddPatternFrame.
    static constexpr int32_t MaxFrames = 6;
    // The side of the square of curve units that a frame picture shows: the
    // pattern editor's 210-unit view with a small margin.
    static constexpr double DesignSquare = 214.0;

    static const TPersistentClass& StaticClass();
    const TPersistentClass& Class() const override { return StaticClass(); }

    // The frame count, then every frame, empty frames included.
    void SaveToStream(TStream& stream) override;
    // Keeps only the stored frames that hold curves, in file order, with no
    // limit on their number. A bad count or a stream that ends inside a frame
    // raises EngineError and leaves the pattern as it was.
    void LoadFromStream(TStream& stream) override;

    // Takes Frame and returns it. A seventh frame raises "AddPatternFrame:
    // MaxFrames reached" and Frame stays the caller's.
    TPatternFrame& AddPatternFrame(std::unique_ptr<TPatternFrame>&& frame);
    int32_t FrameCount() const { return static_cast<int32_t>(frames_.size()); }
    // Raise the index error outside 0..FrameCount - 1.
    TPatternFrame& GetFrames(int32_t index);
    const TPatternFrame& GetFrames(int32_t index) const;
    void ClearFrames() { frames_.clear(); }

    // A frame that holds curves, every such frame equally likely, drawn by
    // Random(FrameCount) until one holds curves; no draw when only one curve
    // exists or the pattern has one frame. Null, without a draw, when no
    // frame holds a curve.
    const TPatternFrame* GetRandomFrame() const;

    // The box of every point (control points too) of every curve of every
    // frame; (10000, 10000, -10000, -10000) without curves.
    void UpdateBounds();
    const TRect& Bounds() const { return bounds_; }

    // The bitmap that DrawFrame and RenderAll draw into; not owned.
    void SetPreview(TBitmap32* bitmap) { preview_ = bitmap; }
    TBitmap32* Preview() const { return preview_; }

    // Draws frame Index into Preview, the design square filling its shorter
    // side, in one-pixel black lines, on light grey when ClearFirst. Nothing
    // at all is drawn when the curves span no width or no height. An index
    // outside the frames raises the index error, a missing Preview EngineError.
    void DrawFrame(int32_t index, bool clearFirst);
    // Draws every frame over the others into Preview, then returns a new W x H
    // bitmap with Preview stretched onto it. A missing Preview raises.
    std::unique_ptr<TBitmap32> RenderAll(int32_t width, int32_t height);

private:
    TBitmap32& RequirePreview(const char* where) const;

    std::vector<std::unique_ptr<TPatternFrame>> frames_;
    TRect bounds_{10000, 10000, -10000, -10000};
    TBitmap32* preview_ = nullptr;
};
