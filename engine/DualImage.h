// TDualImage: the open document. It holds the source picture's feature map,
// the undo stack of recorded strokes and the settings that decide where
// strokes go and which colour they get; the source picture and the white
// destination image belong to the two image views it is given. It places
// every stroke of the program: picks the point, tests it against the map,
// lets a line sampler trace it, colours it, records it in the open undo step
// and lets the current renderer draw it. It also paints the brush cursor and
// the feature-map overlay on the views.
#pragma once

#include "engine/Bezier.h"
#include "engine/GStates.h"
#include "engine/Turtle.h"
#include "gfx/Bitmap32.h"
#include "gfx/Geometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TAbstractStrokeRenderer;
class TGStyle;
class TImageView;
class TLineSampler;
class TPersistentObjectManager;
class TPolyBezierLayer;
class TPositionedLayer;
class TStream;

// The colour modes of the colour panel.
enum TColorMode : uint8_t { cmFixed = 0, cmAuto = 1, cmVariants = 2 };
// What the brush cursor looks like.
enum TCursorMode : uint8_t { cuNone = 0, cuCircle = 1, cuCross = 2 };

class TDualImage {
public:
    using TNotifyEvent = std::function<void(TDualImage& sender)>;

    static constexpr int32_t MinRadius = 8;
    static constexpr int32_t MaxRadius = 500;

    // A document over the picture in the source view; the destination view
    // already holds a white image of the same size. Analyses the picture.
    TDualImage(TImageView& sourceView, TImageView& destView, float zoom);
    // A document read from a project stream (no analysis is run).
    static std::unique_ptr<TDualImage> CreateFromStream(TStream& stream, TImageView& sourceView,
                                                        TImageView& destView, float zoom);
    ~TDualImage();
    TDualImage(const TDualImage&) = delete;
    TDualImage& operator=(const TDualImage&) = delete;

    // The views are about to go: forget them (and the layers they own).
    void DetachViews();

    // --- Stroke placement (between BeginState and EndState) ----------------

    void PlaceStrokeAt(int32_t x, int32_t y);
    void SprayAt(int32_t x, int32_t y);
    void FillAlongCurves();
    void StrokeAlongBezier(const TBezier& b);
    // Nested; the outermost pair is one undo step.
    void BeginState();
    void EndState();
    // The direction source of the auto tool where the map is too weak.
    void GuideDirection(int32_t x, int32_t y, TByteDirection& dir);

    // --- Settings --------------------------------------------------------

    int32_t Density() const { return density_; }
    void SetDensity(int32_t value) { density_ = value; }
    int32_t Radius() const { return radius_; }
    // Values outside MinRadius..MaxRadius are ignored.
    void SetRadius(int32_t value);
    bool AutoMode() const { return autoMode_; }
    void SetAutoMode(bool value) { autoMode_ = value; }
    TGStyle* Style() const { return style_; }
    void SetStyle(TGStyle* style) { style_ = style; }
    uint8_t ColorMode() const { return colorMode_; }
    void SetColorMode(uint8_t mode) { colorMode_ = mode; }
    TColor32 GradientFrom() const { return gradientFrom_; }
    TColor32 GradientTo() const { return gradientTo_; }
    void SetGradientFrom(TColor32 c) { gradientFrom_ = c; }
    void SetGradientTo(TColor32 c) { gradientTo_ = c; }
    int32_t AddPaletteColor(TColor32 c);
    void ClearPalette() { palette_.clear(); }
    // Raises the index error outside 0..PaletteCount - 1.
    TColor32 GetPaletteColor(int32_t index) const;
    int32_t PaletteCount() const { return static_cast<int32_t>(palette_.size()); }
    float HueVariation() const { return hueVariation_; }
    float SaturationVariation() const { return saturationVariation_; }
    float BrightnessVariation() const { return brightnessVariation_; }
    void SetHueVariation(float v) { hueVariation_ = v; }
    void SetSaturationVariation(float v) { saturationVariation_ = v; }
    void SetBrightnessVariation(float v) { brightnessVariation_ = v; }
    bool ShowEdges() const { return showEdges_; }
    bool ShowDirections() const { return showDirections_; }
    void SetShowEdges(bool value);
    void SetShowDirections(bool value);
    void SetOnChange(TNotifyEvent handler) { onChange_ = std::move(handler); }

    bool Modified = false;
    std::string FileName;
    // The command module's managers; not owned.
    TPersistentObjectManager* PatternManager = nullptr;
    TPersistentObjectManager* RendererManager = nullptr;

    // --- Views and cursor ------------------------------------------------

    TImageView* SourceView() const { return sourceView_; }
    TImageView* DestView() const { return destView_; }
    TImageView* ActiveView() const { return activeView_; }
    void SetActiveView(TImageView& view);
    TPoint CursorPos() const { return cursorPos_; }
    void SetCursorPos(const TPoint& p);
    uint8_t CursorMode() const { return cursorMode_; }
    void SetCursorMode(uint8_t mode);
    void DisableCurveEditing();
    void EnableCurveEditing();
    TPolyBezierLayer& CurveLayer() const { return *curveLayer_; }

    // --- Images ----------------------------------------------------------

    TBitmap32& FeatureMap() const { return *featureMap_; }
    TBitmap32& Destination() const;
    TBitmap32& Source() const;
    float Zoom() const { return zoom_; }

    // --- Undo, redo, snapshots -------------------------------------------

    void Undo();
    void Redo();
    void UndoToLastSnapshot();
    void TakeSnapshot() { states_->TakeSnapshot(); }
    bool CanUndo() const { return states_->CanUndo(); }
    bool CanRedo() const { return states_->CanRedo(); }
    bool CanUndoToLastSnapshot() const { return states_->CanUndoToLastSnapshot(); }
    bool CanTakeSnapshot() const { return states_->CanTakeSnapshot(); }
    // The idle swapping: one old step to disk.
    void CompressOneState() { states_->CompressOne(); }
    std::string GetMemoryText() const { return states_->MemoryText(); }
    int64_t StrokeCount() const { return states_->TotalStrokeCount(); }
    int32_t StateCount() const { return states_->StateCount(); }
    TGStates& States() const { return *states_; }
    int32_t StateNesting() const { return stateNesting_; }
    const TRect& DirtyRect() const { return dirtyRect_; }

    // --- Project, re-rendering, export -----------------------------------

    void SaveToStream(TStream& stream);
    // Merges the applied history into one step.
    void Compact();
    // Draws every recorded stroke of the applied steps into Target, scaled.
    // A stroke list that cannot be read back raises part way through, with
    // Target drawn in part: callers draw into a bitmap they can drop.
    void RenderAll(TBitmap32& target, double scale);
    // White destination, then every stroke again at scale 1.
    void Rerender();
    void ExportPostScript(const std::string& fileName);
    // Set after reading a project whose dropped strokes ask for a Rerender.
    bool NeedsRender() const { return needsRender_; }

private:
    struct TFromStream {};
    TDualImage(TFromStream, TImageView& sourceView, TImageView& destView, float zoom);

    void InitSettings(TImageView& sourceView, TImageView& destView, float zoom);
    void CreateLayers();
    std::unique_ptr<TLineSampler> NewSampler();
    void ConfigureSampler(TLineSampler& sampler, int32_t x, int32_t y, bool startAfterBorders);
    void TraceAndRender(TLineSampler& sampler);
    void RenderStroke(TLineSampler& sampler);
    TColor32 StrokeColor(TColor32 sampled);
    TAbstractStrokeRenderer& CurrentRenderer();
    void IncludeInDirtyRect(const TRect& r);
    void PaintOverlay(TPositionedLayer& layer, TBitmap32& buffer);
    void PaintCursor(TBitmap32& buffer);
    void RepaintView(TImageView* view);
    void DestinationChanged();
    // Runs the work with the destination view's repaints held back, then repaints it.
    void WithDestinationHeld(const std::function<void()>& work);
    void FireChange();

    bool needsRender_ = false;
    int32_t cellsX_ = 0, cellsY_ = 0;
    TPositionedLayer* cursorLayer_ = nullptr;
    TPositionedLayer* overlayLayer_ = nullptr;
    std::unique_ptr<TGState> openState_;
    std::unique_ptr<TGStates> states_;
    TImageView* destView_ = nullptr;
    TImageView* sourceView_ = nullptr;
    std::unique_ptr<TBitmap32> featureMap_;
    std::unique_ptr<TPolyBezierLayer> curveLayer_;
    float zoom_ = 1.0f;
    int32_t density_ = 50;
    int32_t radius_ = 50;
    bool autoMode_ = false;
    TRect dirtyRect_;
    TPoint cursorPos_;
    uint8_t cursorMode_ = cuNone;
    std::vector<uint8_t> guideGrid_;
    bool showEdges_ = false, showDirections_ = false;
    TNotifyEvent onChange_;
    TColor32 gradientFrom_ = clWhite32, gradientTo_ = clBlack32;
    std::vector<TColor32> palette_;
    uint8_t colorMode_ = cmAuto;
    float hueVariation_ = 0, saturationVariation_ = 0, brightnessVariation_ = 0;
    TImageView* activeView_ = nullptr;
    TGStyle* style_ = nullptr;
    int32_t stateNesting_ = 0;
};
