// Analyses a picture once into its feature map: per pixel a contour
// direction (alpha), darkness (red), coarse hue and saturation (green), edge
// strength and an edge mark (blue). Strokes are traced over this map, never
// over the picture itself.
#pragma once

#include "gfx/Bitmap32.h"

#include <cstdint>
#include <memory>
#include <vector>

// Where twice a map pixel's strength is below this, tracers take the
// direction from their guide source instead of the map. 1 at start; only the
// style previews change it, and they restore it.
extern int32_t GuideThreshold;

// Reading a feature-map pixel.
inline uint8_t FeatureDirection(TColor32 p) { return static_cast<uint8_t>(p >> 24); }
inline uint8_t FeatureDarkness(TColor32 p) { return static_cast<uint8_t>(p >> 16); }
inline uint8_t FeatureHueSat(TColor32 p) { return static_cast<uint8_t>(p >> 8); }
inline uint8_t FeatureStrength(TColor32 p) { return static_cast<uint8_t>(p & 127); }
inline bool FeatureIsEdge(TColor32 p) { return (p & 128) != 0; }
inline double FeatureLightness(TColor32 p) { return 1.0 - FeatureDarkness(p) / 255.0; }
inline double FeatureHue(TColor32 p) { return (FeatureHueSat(p) >> 3) / 31.0; }
inline double FeatureSaturation(TColor32 p) { return (FeatureHueSat(p) & 7) / 7.0; }

class TFeatureExtractor {
public:
    // Analyses Source and returns a new map of its size, owned by the caller.
    static std::unique_ptr<TBitmap32> Run(const TBitmap32& source);

    explicit TFeatureExtractor(const TBitmap32& source);
    std::unique_ptr<TBitmap32> Analyze();
    void SetBlockSize(int32_t blockSize) { blockSize_ = blockSize; }
    void ClearArrays();

private:
    const TBitmap32& source_;
    int32_t width_, height_;
    int32_t blockSize_ = 16;
    std::vector<int16_t> rowDiff_, colDiff_;
    std::vector<uint8_t> darkness_, hueSat_, strength_, edges_, directions_;
};
