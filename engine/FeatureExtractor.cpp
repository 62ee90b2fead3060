#include "engine/FeatureExtractor.h"

#include "engine/ImageFilters.h"
#include "engine/Progress.h"

int32_t GuideThreshold = 1;

namespace {

template <typename T>
void Release(std::vector<T>& v)
{
    std::vector<T>().swap(v);
}

} // namespace

std::unique_ptr<TBitmap32> TFeatureExtractor::Run(const TBitmap32& source)
{
    TFeatureExtractor extractor(source);
    return extractor.Analyze();
}

TFeatureExtractor::TFeatureExtractor(const TBitmap32& source)
    : source_(source), width_(source.Width()), height_(source.Height())
{
    SetBlockSize(16);
}

void TFeatureExtractor::ClearArrays()
{
    Release(rowDiff_);
    Release(colDiff_);
    Release(darkness_);
    Release(hueSat_);
    Release(strength_);
    Release(edges_);
    Release(directions_);
}

std::unique_ptr<TBitmap32> TFeatureExtractor::Analyze()
{
    // The scope finishes the progress window on every path, also when a step raises.
    TProgressScope progress("Analyzing Image...", 0, 100);
    progress.SetPosition(5);
    ClearArrays();
    const int32_t w = width_, h = height_;
    const size_t n = static_cast<size_t>(w) * h;

    darkness_.assign(n, 0);
    hueSat_.assign(n, 0);
    ExtractLightnessAndColor(source_, darkness_.data(), hueSat_.data());
    InvertBytes(darkness_.data(), w, h);

    rowDiff_.assign(n, 0);
    SobelRows(darkness_.data(), rowDiff_.data(), w, h);
    progress.SetPosition(8);
    colDiff_.assign(n, 0);
    SobelColumns(darkness_.data(), colDiff_.data(), w, h);
    progress.SetPosition(12);

    strength_.assign(n, 0);
    GradientMagnitude(rowDiff_.data(), colDiff_.data(), strength_.data(), w, h);
    progress.SetPosition(14);
    SmoothInPlace(strength_.data(), w, h, 10);
    progress.SetPosition(28);

    directions_.assign(n, 0);
    OrientationField(rowDiff_.data(), colDiff_.data(), directions_.data(), w, h, blockSize_);
    progress.SetPosition(35);
    // The differences are the largest arrays: free them before the edge pass.
    Release(rowDiff_);
    Release(colDiff_);

    edges_.assign(n, 0);
    DetectEdges(darkness_.data(), edges_.data(), w, h);
    progress.SetPosition(50);
    Binarize(edges_.data(), w, h);
    ThinEdges(edges_.data(), w, h);
    progress.SetPosition(90);

    auto map = std::make_unique<TBitmap32>();
    CombineStrengthAndEdges(strength_.data(), edges_.data(), w, h);
    Release(strength_);
    PackFeatureBitmap(darkness_.data(), hueSat_.data(), edges_.data(), directions_.data(), *map, w, h);
    progress.SetPosition(100);
    ClearArrays();
    return map;
}
