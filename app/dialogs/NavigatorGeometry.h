// The navigator's arithmetic: where the reduced result lies in the overview,
// where the destination view's visible part lies over it, and how far a drag
// of that rectangle scrolls the view. Plain functions, so that the numbers
// are checked without a window.
#pragma once

#include "gfx/Color32.h"
#include "gfx/Geometry.h"

#include <cstdint>
#include <optional>

class TImageView;

// The overview's background around the reduced result.
inline constexpr TColor32 NavigatorBackground = 0xFFE0F4F4u;
// The view rectangle's colour.
inline constexpr TColor32 NavigatorFrameColor = 0xFFFF0000u;

struct TNavigatorGeometry {
    TRect SourceRect; // the whole result
    TRect DestRect;   // the reduced result inside the overview bitmap
    float Scale = 0;  // overview pixels per result pixel
    int32_t ScaledWidth = 0, ScaledHeight = 0;
    int32_t OffsetX = 0, OffsetY = 0;
};

// A W x H result fitted, proportions kept, into an overview bitmap. An empty
// result or overview gives scale 0 and an empty destination rectangle.
TNavigatorGeometry NavigatorGeometry(int32_t overviewWidth, int32_t overviewHeight, int32_t resultWidth,
                                     int32_t resultHeight);

// The destination view's visible part in overview pixels, moved by the drag
// offset; empty without a destination view.
TRect NavigatorViewRect(const TNavigatorGeometry& geometry, const TImageView* dest, TPoint dragOffset = {});

// Bounds included: a press on the frame line itself starts a drag.
bool NavigatorHit(const TRect& viewRect, int32_t x, int32_t y);

// How far the destination view scrolls when a drag that began at `down`
// ends at `up`, in result pixels; nothing while the scale is not positive.
std::optional<TPoint> NavigatorDragScroll(float scale, TPoint down, TPoint up);
