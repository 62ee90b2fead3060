// Creation, settings, stroke placement, undo steps and the view painters of
// the document. Projects, re-rendering and export are in DualImageProject.cpp.
#include "engine/DualImage.h"

#include "engine/BusyCursor.h"
#include "engine/FeatureExtractor.h"
#include "engine/GTypes.h"
#include "engine/LineSampler.h"
#include "engine/Patterns.h"
#include "engine/PersistentObjectManager.h"
#include "engine/PolyBezier.h"
#include "engine/PolyBezierLayer.h"
#include "engine/StrokeRenderer.h"
#include "engine/Styles.h"
#include "gfx/Errors.h"
#include "gfx/ImageView.h"
#include "gfx/Random.h"
#include "gfx/Rounding.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// DirtyRect while a step has no stroke bounds yet: any union replaces it.
constexpr TRect EmptyDirtyRect{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
                               std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()};

constexpr TColor32 OverlayDirectionColor = 0xFF00FFFFu;
constexpr TColor32 OverlayEdgeColor = 0xFF7F007Fu;

// Whatever happens to a placement, the document has been drawn on.
class TMarkModified {
public:
    explicit TMarkModified(bool& modified) : modified_(modified) {}
    ~TMarkModified() { modified_ = true; }
    TMarkModified(const TMarkModified&) = delete;
    TMarkModified& operator=(const TMarkModified&) = delete;

private:
    bool& modified_;
};

} // namespace

// --- Creation -------------------------------------------------------------

TDualImage::TDualImage(TImageView& sourceView, TImageView& destView, float zoom)
{
    InitSettings(sourceView, destView, zoom);
    {
        TBusyCursorScope busy;
        featureMap_ = TFeatureExtractor::Run(Source());
    }
    CreateLayers();
    gradientFrom_ = clWhite32;
    gradientTo_ = clBlack32;
}

TDualImage::TDualImage(TFromStream, TImageView& sourceView, TImageView& destView, float zoom)
{
    InitSettings(sourceView, destView, zoom);
}

void TDualImage::InitSettings(TImageView& sourceView, TImageView& destView, float zoom)
{
    needsRender_ = false;
    stateNesting_ = 0;
    FileName.clear();
    colorMode_ = cmAuto;
    hueVariation_ = saturationVariation_ = brightnessVariation_ = 0.0f;
    Modified = false;
    cursorPos_ = {0, 0};
    zoom_ = zoom;
    sourceView_ = &sourceView;
    destView_ = &destView;
    if (!sourceView.Bitmap() || !destView.Bitmap()) throw EngineError("The document needs a picture in both views");
    density_ = 50;
    radius_ = 50;
    showEdges_ = showDirections_ = false;
    PatternManager = nullptr;
    states_ = std::make_unique<TGStates>();
}

void TDualImage::CreateLayers()
{
    curveLayer_ = std::make_unique<TPolyBezierLayer>(*sourceView_);
    curveLayer_->SetOnChange([](TPolyBezierLayer&) {});
    curveLayer_->SetCurveMode(1);

    auto setUp = [this](TPositionedLayer& layer, TPositionedLayer*& slot) {
        slot = &layer;
        layer.SetMouseEvents(false);
        layer.SetLocation(FloatRect(Source().BoundsRect()));
        layer.SetScaled(true);
        // The views own the layers; forget one the moment its view drops it.
        layer.OnDestroying = [&slot](TPositionedLayer&) { slot = nullptr; };
    };
    setUp(sourceView_->AddLayer(), overlayLayer_);
    overlayLayer_->OnPaint = [this](TPositionedLayer& layer, TBitmap32& buffer) { PaintOverlay(layer, buffer); };
    activeView_ = sourceView_;
    setUp(activeView_->AddLayer(), cursorLayer_);
    cursorLayer_->OnPaint = [this](TPositionedLayer&, TBitmap32& buffer) { PaintCursor(buffer); };
    openState_.reset();
    guideGrid_.clear();
}

TDualImage::~TDualImage()
{
    // Layers left in live views would call back into a freed document.
    for (TPositionedLayer* layer : {cursorLayer_, overlayLayer_}) {
        if (!layer) continue;
        layer->OnDestroying = nullptr;
        layer->View().DeleteLayer(*layer);
    }
}

void TDualImage::DetachViews()
{
    for (TPositionedLayer*& layer : {std::ref(cursorLayer_), std::ref(overlayLayer_)}) {
        if (layer) layer->OnDestroying = nullptr;
        layer = nullptr;
    }
    sourceView_ = destView_ = activeView_ = nullptr;
}

TBitmap32& TDualImage::Destination() const
{
    if (!destView_ || !destView_->Bitmap()) throw EngineError("The document has no destination image");
    return *destView_->Bitmap();
}

TBitmap32& TDualImage::Source() const
{
    if (!sourceView_ || !sourceView_->Bitmap()) throw EngineError("The document has no source picture");
    return *sourceView_->Bitmap();
}

// --- Settings -------------------------------------------------------------

void TDualImage::SetRadius(int32_t value)
{
    if (value < MinRadius || value > MaxRadius) return;
    radius_ = value;
    RepaintView(sourceView_);
}

int32_t TDualImage::AddPaletteColor(TColor32 c)
{
    palette_.push_back(c);
    return PaletteCount() - 1;
}

TColor32 TDualImage::GetPaletteColor(int32_t index) const
{
    if (index < 0 || index >= PaletteCount()) RaiseIndexError(index, "TDualImage.GetPaletteColor");
    return palette_[static_cast<size_t>(index)];
}

void TDualImage::SetShowEdges(bool value)
{
    if (value == showEdges_) return;
    showEdges_ = value;
    RepaintView(sourceView_);
}

void TDualImage::SetShowDirections(bool value)
{
    if (value == showDirections_) return;
    showDirections_ = value;
    RepaintView(sourceView_);
}

// --- Views and cursor -----------------------------------------------------

void TDualImage::RepaintView(TImageView* view)
{
    if (view) view->Changed();
}

void TDualImage::SetActiveView(TImageView& view)
{
    activeView_ = &view;
    if (cursorLayer_) cursorLayer_->MoveTo(view);
    curveLayer_->SetImage(view);
    cursorPos_ = view.LastMousePos();
    RepaintView(sourceView_);
    RepaintView(destView_);
}

void TDualImage::SetCursorPos(const TPoint& p)
{
    cursorPos_ = p;
    RepaintView(activeView_);
}

void TDualImage::SetCursorMode(uint8_t mode)
{
    cursorMode_ = mode;
    if (cursorLayer_) cursorLayer_->SetVisible(mode != cuNone);
    if (sourceView_) sourceView_->SetCursor(mode == cuNone ? TCursorShape::crDefault : TCursorShape::crCross);
}

void TDualImage::DisableCurveEditing() { curveLayer_->DisableMouseEvents(); }

void TDualImage::EnableCurveEditing() { curveLayer_->EnableMouseEvents(); }

// --- Undo steps -----------------------------------------------------------

void TDualImage::BeginState()
{
    if (stateNesting_ == 0) {
        dirtyRect_ = EmptyDirtyRect;
        openState_ = std::make_unique<TGState>(*featureMap_, Destination());
    }
    ++stateNesting_;
}

void TDualImage::EndState()
{
    // An unmatched EndState must not close a step nobody opened.
    if (stateNesting_ == 0) return;
    if (--stateNesting_ > 0) return;
    // Once pushed, the step belongs to the stack, whatever a change handler does.
    const bool added = openState_ && states_->CloseState(std::move(openState_), dirtyRect_);
    openState_.reset();
    if (added) FireChange();
}

void TDualImage::FireChange()
{
    if (onChange_) onChange_(*this);
}

void TDualImage::IncludeInDirtyRect(const TRect& r)
{
    if (r.IsEmpty()) return;
    dirtyRect_ = BoundingRect(dirtyRect_, r);
}

// --- Stroke placement -----------------------------------------------------

std::unique_ptr<TLineSampler> TDualImage::NewSampler()
{
    return std::make_unique<TLineSampler>(featureMap_.get(), &Destination());
}

void TDualImage::ConfigureSampler(TLineSampler& sampler, int32_t x, int32_t y, bool startAfterBorders)
{
    const TGStyle& style = *style_;
    sampler.SetScale(zoom_);
    sampler.SetPolyStep(style.GetPolyStep());
    if (!startAfterBorders) sampler.SetStart({x, y});
    sampler.SetLength(JitteredLength(style.GetLength()));
    sampler.SetGain(style.GetGain());
    sampler.SetScanWidth(style.GetScanWidth());
    sampler.StopAtEdges = style.GetStopOnBorders() != 0;
    if (startAfterBorders) sampler.SetStart({x, y});
    sampler.SetThreshold(style.BorderLimitByte());
}

void TDualImage::PlaceStrokeAt(int32_t x, int32_t y)
{
    const TMarkModified mark(Modified);
    if (!openState_ || !style_) return;
    if (x < 0 || y < 0 || x >= featureMap_->Width() || y >= featureMap_->Height()) return;
    if (FeatureStrength(featureMap_->Pixel(x, y)) < style_->BorderLimitByte()) return;

    auto sampler = NewSampler();
    ConfigureSampler(*sampler, x, y, false);
    if (!autoMode_) {
        auto* pattern = PatternManager ? PatternManager->CurrentAs<TPattern>() : nullptr;
        const TPatternFrame* frame = pattern ? pattern->GetRandomFrame() : nullptr;
        // A pattern without curves places nothing.
        if (!frame) return;
        TBezier curve = frame->RandomCurve();
        ScalePoints(BezierPoints(curve), radius_ / 105.0);
        OffsetPoints(BezierPoints(curve), {x, y});
        sampler->SetBezier(curve);
    } else {
        sampler->SetOnGetDirection([this](int32_t gx, int32_t gy, TByteDirection& dir) { GuideDirection(gx, gy, dir); });
    }
    TraceAndRender(*sampler);
}

void TDualImage::StrokeAlongBezier(const TBezier& b)
{
    const TMarkModified mark(Modified);
    if (!openState_ || !style_) return;
    auto sampler = NewSampler();
    ConfigureSampler(*sampler, b.P0.X, b.P0.Y, true);
    sampler->SetBezier(b);
    TraceAndRender(*sampler);
}

void TDualImage::TraceAndRender(TLineSampler& sampler)
{
    if (sampler.Sample()) RenderStroke(sampler);
    IncludeInDirtyRect(sampler.GetBounds());
}

void TDualImage::SprayAt(int32_t x, int32_t y)
{
    if (!style_) return;
    const int32_t n = StrokeCountFormula(style_->GetLength(), density_, Round(style_->GetGain()));
    for (int32_t i = 0; i < n; ++i) {
        const double a = Random(6283) / 1000.0;
        const int32_t r = Random(radius_);
        PlaceStrokeAt(Round(x + std::cos(a) * r), Round(y + std::sin(a) * r));
    }
}

void TDualImage::FillAlongCurves()
{
    if (!style_) return;
    const int32_t length = style_->GetLength();
    const int32_t n = StrokeCountFormula(length, density_, Round(style_->GetGain()));
    // A step of 0 or less cannot cut a curve into pieces.
    if (length <= 0) return;
    TBezierHelper helper;
    for (int32_t i = 0; i < n; ++i) {
        if (curveLayer_->Count() == 0) throw SilentAbort();
        const TPolyBezier& curve = curveLayer_->GetPolyBeziers(Random(curveLayer_->Count()));
        if (curve.SegmentCount() != 1) throw SilentAbort();
        helper.Split(curve.GetBezier(0), static_cast<int32_t>(std::min<int64_t>(2 * int64_t(length), INT32_MAX)));
        for (int32_t k = 0; k < helper.Count(); ++k) {
            TBezier piece = helper.GetBezier(k);
            JitterPoints(BezierPoints(piece), 2 * radius_, radius_ / 5);
            JitterEnds(BezierPoints(piece));
            if (ControlPolygonLength(piece) > 8.0) StrokeAlongBezier(piece);
        }
    }
}

void TDualImage::GuideDirection(int32_t x, int32_t y, TByteDirection& dir)
{
    if (guideGrid_.empty()) {
        cellsX_ = featureMap_->Width() / 10;
        cellsY_ = featureMap_->Height() / 10;
        guideGrid_.assign(static_cast<size_t>(int64_t(cellsX_) * cellsY_), 128);
    }
    const int64_t index = int64_t(Round(y / 10.0)) * cellsX_ + Round(x / 10.0);
    dir = (index >= 0 && index < int64_t(guideGrid_.size())) ? guideGrid_[static_cast<size_t>(index)] : 32;
}

// --- Colouring, recording and drawing one stroke -------------------------

TAbstractStrokeRenderer& TDualImage::CurrentRenderer()
{
    if (RendererManager) {
        if (auto* renderer = RendererManager->CurrentAs<TAbstractStrokeRenderer>()) return *renderer;
    }
    // Without a renderer list, identifier 0: the polygon renderer.
    static TPolygonStrokeRenderer fallback;
    return fallback;
}

TColor32 TDualImage::StrokeColor(TColor32 sampled)
{
    TColor32 c = sampled;
    const uint32_t lightness = (RedComponent(c) + GreenComponent(c) + BlueComponent(c)) / 3;
    auto scaled = [lightness](uint8_t channel) { return static_cast<uint8_t>(channel * lightness / 255); };
    if (colorMode_ == cmVariants) {
        c = palette_.empty() ? clBlack32 : palette_[static_cast<size_t>(Random(PaletteCount()))];
        c = Color32(scaled(RedComponent(c)), scaled(GreenComponent(c)), scaled(BlueComponent(c)));
    } else if (colorMode_ == cmFixed) {
        auto mix = [lightness](uint8_t to, uint8_t from) {
            return static_cast<uint8_t>((255 - lightness) * to / 255 + lightness * from / 255);
        };
        c = Color32(mix(RedComponent(gradientTo_), RedComponent(gradientFrom_)),
                    mix(GreenComponent(gradientTo_), GreenComponent(gradientFrom_)),
                    mix(BlueComponent(gradientTo_), BlueComponent(gradientFrom_)));
    }
    // Varied when the six values add up to more than zero: with no variation
    // in the style, shifts that add up to zero or less leave the colour (and
    // the random draws) alone.
    const TGStyle& style = *style_;
    const int32_t styleVariation = int32_t(style.GetHueVar()) + style.GetSatVar() + style.GetLightVar();
    if (styleVariation + double(hueVariation_) + double(saturationVariation_) + double(brightnessVariation_) > 0.0) {
        JitterColorHSL(c, style.GetHueVar(), style.GetSatVar(), style.GetLightVar(), hueVariation_,
                       saturationVariation_, brightnessVariation_);
    }
    return c;
}

void TDualImage::RenderStroke(TLineSampler& sampler)
{
    TAbstractStrokeRenderer& renderer = CurrentRenderer();
    const TColor32 color = StrokeColor(sampler.Color());
    const uint8_t alpha = style_->GetAlpha();
    openState_->Strokes().AddStroke(sampler.Left(), sampler.Right(), color, alpha, renderer.ID());
    renderer.SetColor(color);
    renderer.SetOpacity(alpha);
    // A brush can paint beyond the traced outline: undo must restore that too.
    IncludeInDirtyRect(renderer.Render(sampler.Left(), sampler.Right(), Destination()));
    DestinationChanged();
}

void TDualImage::DestinationChanged()
{
    if (destView_) destView_->Changed();
}

// --- Undo, redo, snapshots ------------------------------------------------

void TDualImage::WithDestinationHeld(const std::function<void()>& work)
{
    // The view repaints once, when the work is done, whether or not it succeeded.
    struct THeld {
        TDualImage& doc;
        explicit THeld(TDualImage& d) : doc(d)
        {
            if (doc.destView_) doc.destView_->BeginUpdate();
        }
        ~THeld()
        {
            if (doc.destView_) doc.destView_->EndUpdate();
            doc.DestinationChanged();
        }
    } held(*this);
    work();
}

// A step undone or redone makes the drawing differ from its project file, as
// a step drawn does: closing must ask, or the file keeps what was undone. A
// move that fails changes nothing, the mark included.
void TDualImage::Undo()
{
    const bool moves = CanUndo();
    WithDestinationHeld([this] { states_->UndoStep(*featureMap_, Destination()); });
    if (moves) Modified = true;
    RepaintView(sourceView_);
    FireChange();
}

void TDualImage::Redo()
{
    const bool moves = CanRedo();
    states_->Redo(*featureMap_, Destination());
    if (moves) Modified = true;
    DestinationChanged();
    RepaintView(sourceView_);
    FireChange();
}

void TDualImage::UndoToLastSnapshot()
{
    if (!states_->Top()) return;
    WithDestinationHeld([this] { states_->UndoToLastSnapshot(*featureMap_, Destination()); });
    Modified = true;
    RepaintView(sourceView_);
    FireChange();
}

// --- Painters -------------------------------------------------------------

void TDualImage::PaintOverlay(TPositionedLayer& layer, TBitmap32& buffer)
{
    const TFloatRect at = layer.GetAdjustedLocation();
    // Map pixels are drawn one to one from the picture's corner, unscaled:
    // the views that show the overlay show their pictures at scale 1.
    const int32_t ox = Round(at.Left), oy = Round(at.Top);
    const TBitmap32& map = *featureMap_;
    auto viewX = [&](int32_t x) { return x + ox; };
    auto viewY = [&](int32_t y) { return y + oy; };
    if (showDirections_) {
        for (int32_t x = 0; x < map.Width(); x += 10) {
            for (int32_t y = 0; y < map.Height(); y += 10) {
                const TColor32 p = map.Pixel(x, y);
                TByteDirection d = FeatureDirection(p);
                if (FeatureStrength(p) * 2 < GuideThreshold) GuideDirection(x, y, d);
                const double a = d / -255.0 * 2.0 * M_PI - M_PI;
                buffer.LineS(viewX(x), viewY(y), viewX(Round(x + std::cos(a) * 8)), viewY(Round(y + std::sin(a) * 8)),
                             OverlayDirectionColor);
            }
        }
    }
    if (showEdges_) {
        for (int32_t y = 0; y < map.Height(); ++y) {
            const TColor32* row = map.ScanLine(y);
            for (int32_t x = 0; x < map.Width(); ++x)
                if (FeatureIsEdge(row[x])) buffer.SetPixelS(viewX(x), viewY(y), OverlayEdgeColor);
        }
    }
}

void TDualImage::PaintCursor(TBitmap32& buffer)
{
    const int32_t r = radius_;
    const TPoint p = cursorPos_;
    if (cursorMode_ == cuCircle) {
        DrawDashedCircle(buffer, p, clWhite32, clBlack32, r);
    } else if (cursorMode_ == cuCross) {
        buffer.LineS(p.X - r, p.Y, p.X + r, p.Y, clWhite32);
        buffer.LineS(p.X, p.Y - r, p.X, p.Y + r, clWhite32);
    }
}
