// The array filters the feature map is built from. Every array holds one
// value per pixel, row after row, bottom-up: array row 0 is the picture's
// bottom row, so row r - 1 lies below row r in the picture and angles come
// out counter-clockwise with up positive. Filters never read or write
// outside their arrays, however small the picture.
#pragma once

#include "gfx/Bitmap32.h"

#include <cstdint>
#include <vector>

using TByteArray = std::vector<uint8_t>;
using TShortArray = std::vector<int16_t>;
using TSingleArray = std::vector<float>;

// Lightness Round(L * 255) and colour Round(H * 31) * 8 + Round(S * 7) of
// every picture pixel, array row r from picture row Height - 1 - r.
void ExtractLightnessAndColor(const TBitmap32& picture, uint8_t* lightness, uint8_t* color);
void InvertBytes(uint8_t* a, int32_t width, int32_t height);
// (a + 2b + c) - (g + 2h + i): the row below minus the row above, interior only.
void SobelRows(const uint8_t* src, int16_t* dst, int32_t width, int32_t height);
// (a + 2d + g) - (c + 2f + i): the left column minus the right, interior only.
void SobelColumns(const uint8_t* src, int16_t* dst, int32_t width, int32_t height);
void GradientMagnitude(const int16_t* p, const int16_t* q, uint8_t* dst, int32_t width, int32_t height);
void CopyBytes(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
void Binarize(uint8_t* a, int32_t width, int32_t height);
// (strength shr 1) or 128 where there is an edge, else strength shr 1; into edges.
void CombineStrengthAndEdges(const uint8_t* strength, uint8_t* edges, int32_t width, int32_t height);
// One 5 x 5 smoothing pass; writes the interior and two 2 x 2 corner blocks.
void GaussianSmooth5(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height);
void SmoothPasses(const uint8_t* src, uint8_t* target, int32_t width, int32_t height, int passes);
void SmoothInPlace(uint8_t* a, int32_t width, int32_t height, int passes);
// Smoothing, Sobel, non-maximum suppression and the threshold 128.
void DetectEdges(const uint8_t* darkness, uint8_t* edges, int32_t width, int32_t height);
// Two-step thinning of a 0/255 array until nothing changes.
void ThinEdges(uint8_t* e, int32_t width, int32_t height);
// Spreads a GW x GH grid over Width x Height elements; the margin stays untouched.
void BilinearUpsample(const float* grid, int32_t gw, int32_t gh, float* out, int32_t width, int32_t height);
// Block orientations of the two differences, spread and turned into direction bytes.
void OrientationField(const int16_t* rowDiff, const int16_t* colDiff, uint8_t* directions, int32_t width,
                      int32_t height, int32_t blockSize);
// Packs the four arrays into a Width x Height map, array row r to bitmap row Height - 1 - r.
void PackFeatureBitmap(const uint8_t* red, const uint8_t* green, const uint8_t* blue, const uint8_t* alpha,
                       TBitmap32& bmp, int32_t width, int32_t height);
