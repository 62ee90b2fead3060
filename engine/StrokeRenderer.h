// Stroke renderers: the user objects that paint one traced stroke, given as
// its two outline edges, into a bitmap. The base class holds the colour and
// opacity that callers set before each stroke; the polygon renderer fills
// the outline. The bitmap-brush renderer lives in BitmapBrushStrokeRenderer.h.
#pragma once

#include "engine/PersistentObject.h"
#include "gfx/Bitmap32.h"
#include "gfx/Color32.h"
#include "gfx/Geometry.h"

#include <cstdint>

class TAbstractStrokeRenderer : public TPersistentObject {
public:
    // Brush files: "srd", and "srend" names new files and objects.
    static constexpr const char* FileExtension = "srd";
    static constexpr const char* KindName = "srend";

    TColor32 GetColor() const { return color_; }
    uint8_t GetOpacity() const { return opacity_; }
    // Neither marks the renderer as modified: they set up the next stroke.
    void SetColor(TColor32 value) { color_ = value; }
    void SetOpacity(uint8_t value) { opacity_ = value; }

    // Paints the stroke whose edges are Left and Right (16.16, in Dest's
    // coordinates) and returns the rectangle of Dest that it may have
    // changed, clipped to Dest; an empty rectangle when nothing was painted.
    // The rectangle can reach beyond the outline (a brush wider than its
    // span), so the undo step that records the stroke widens to it.
    virtual TRect Render(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, TBitmap32& dest) = 0;

protected:
    TColor32 color_ = clBlack32;
    uint8_t opacity_ = 255;
};

// Closes the two edges into one polygon (Left forward, Right backward) and
// fills it anti-aliased, even-odd, in Color. Opacity is not applied: the
// colours that callers pass are opaque, so polygon strokes are opaque.
// Made in code, never read from or written to a file.
class TPolygonStrokeRenderer final : public TAbstractStrokeRenderer {
public:
    const TPersistentClass& Class() const override;
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) override {}
    TRect Render(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, TBitmap32& dest) override;
};

// The rectangle that an anti-aliased fill of Left and Right can touch: the
// points' bounds grown to whole pixels plus one, clipped to Dest.
TRect StrokePolygonBounds(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, const TBitmap32& dest);

// Fixed point to integer point: (v + 32767) shr 16 on each coordinate, so a
// half rounds down. Computed in 64 bits, so no coordinate overflows.
TPoint FixedToIntPoint(const TFixedPoint& p);
