// The pictures of the main window that need no widget: the size-and-density
// preview, the style preview and brush preview on the panel colour, and the
// thumbnails of the pattern and brush lists.
#pragma once

#include "gfx/Bitmap32.h"

#include <QImage>

#include <cstdint>

class TPattern;

// The window colour of the bottom bar's panels (red 218, green 229, blue
// 239); previews are burnt with it so that white becomes the panel.
constexpr TColor32 PanelColor32 = 0xFFDAE5EFu;

// Sizes of the list pictures.
constexpr int32_t PatternThumbSize = 40;
constexpr int32_t StrokeThumbWidth = 160;
constexpr int32_t StrokeThumbHeight = 35;

// Redraws the size-and-density preview into `bmp` (resized to W x H): a
// dashed circle of the brush radius (shrunk to fit, with a percentage label
// then) and Density + 1 random dots inside it, drawn from the program's one
// generator (two draws a dot).
void DrawSizePreview(TBitmap32& bmp, int32_t width, int32_t height, int32_t radius, int32_t density);

// `target` := `preview` stretched (Mitchell) to W x H, then burnt with the
// panel colour.
void BurnStylePreview(TBitmap32& target, int32_t width, int32_t height, const TBitmap32& preview);

// The brush preview: a copy of a brush thumbnail burnt with the panel colour,
// drawn in blend mode.
void BrushPreviewFromThumb(TBitmap32& target, const TBitmap32& thumb);

// A brush thumbnail: `source` stretched (Mitchell) over the whole thumbnail,
// then inverted so that white brush shapes show dark on a light ground.
void BuildStrokeThumb(TBitmap32& thumb, const TBitmap32& source);

// Every frame of the pattern drawn over the others on a W x H picture.
QImage PatternThumb(TPattern& pattern, int32_t width, int32_t height);

// The stand-in picture of the polygon stroke renderer among the brush
// thumbnails (131 x 31, white shape on black like a brush file).
TBitmap32 PolygonRendererPicture();

// The 8 x 8 glyph drawn on the handles of poly-Bezier curves (blend mode).
TBitmap32 HandleGlyphPicture();
