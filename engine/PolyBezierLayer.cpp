#include "engine/PolyBezierLayer.h"

#include "engine/GTypes.h"
#include "gfx/Errors.h"
#include "gfx/Rounding.h"

TPolyBezierLayer::TPolyBezierLayer(TImageView& image) { CreateLayer(image); }

TPolyBezierLayer::~TPolyBezierLayer()
{
    if (!layer_) return;
    // Left in the view, the layer would paint and hit-test through a dead object.
    layer_->OnDestroying = nullptr;
    layer_->View().DeleteLayer(*layer_);
}

void TPolyBezierLayer::CreateLayer(TImageView& image)
{
    image_ = &image;
    layer_ = &image.AddLayer();
    // Curve points are bitmap pixels, so the layer's corner is the bitmap's
    // corner wherever the view scrolls or scales it.
    const TBitmap32* bitmap = image.Bitmap();
    layer_->SetLocation(FloatRect(bitmap ? bitmap->BoundsRect() : TRect{}));
    layer_->SetScaled(true);
    layer_->SetMouseEvents(mouseEvents_);
    layer_->OnHitTest = [this](TPositionedLayer&, int32_t x, int32_t y, bool& passed) { LayerHitTest(x, y, passed); };
    layer_->OnPaint = [this](TPositionedLayer&, TBitmap32& buffer) { LayerPaint(buffer); };
    layer_->OnDestroying = [this](TPositionedLayer&) {
        layer_ = nullptr;
        image_ = nullptr;
    };
}

// --- Curves ------------------------------------------------------------------------

TPolyBezier& TPolyBezierLayer::Add(std::unique_ptr<TPolyBezier> curve)
{
    if (!curve) throw EngineError("TPolyBezierLayer.Add: no curve");
    TPolyBezier& added = *curve;
    curves_.push_back(std::move(curve));
    selected_ = Count() - 1;
    added.SetMode(curveMode_);
    added.SetOnChange([this](TPolyBezier&) { CurveChanged(); });
    CurveChanged();
    return added;
}

TPolyBezier& TPolyBezierLayer::GetPolyBeziers(int32_t index) const
{
    if (index < 0 || index >= Count()) RaiseIndexError(index, "TPolyBezierLayer.GetPolyBeziers");
    return *curves_[static_cast<size_t>(index)];
}

TPolyBezier* TPolyBezierLayer::GetSelectedCurve() const
{
    if (selected_ < 0 || selected_ >= Count()) return nullptr;
    return curves_[static_cast<size_t>(selected_)].get();
}

void TPolyBezierLayer::Clear()
{
    curves_.clear();
    // An index into an empty list would select whatever curve comes next.
    selected_ = -1;
    RequestRepaint();
}

void TPolyBezierLayer::SetCurveMode(uint8_t mode)
{
    curveMode_ = mode;
    for (size_t i = 0; i < curves_.size(); ++i) curves_[i]->SetMode(mode);
}

void TPolyBezierLayer::CurveChanged()
{
    RequestRepaint();
    if (onChange_) onChange_(*this);
}

void TPolyBezierLayer::RequestRepaint()
{
    // A paint under way must not ask for another one.
    if (layer_ && !painting_) layer_->Changed();
}

// --- The view ----------------------------------------------------------------------

void TPolyBezierLayer::SetMouseEvents(bool on)
{
    mouseEvents_ = on;
    if (layer_) layer_->SetMouseEvents(on);
}

void TPolyBezierLayer::SetImage(TImageView& image)
{
    if (layer_)
        layer_->MoveTo(image);
    else
        CreateLayer(image); // the old view cleared its layers: start afresh on the new one
    image_ = &image;
}

// Curves are drawn and picked unscaled, offset to the bitmap's corner as the
// view shows it: every view that holds curves shows its picture at scale 1.
void TPolyBezierLayer::PlaceOnView()
{
    const TFloatRect r = layer_->GetAdjustedLocation();
    origin_ = {Round(r.Left), Round(r.Top)};
}

void TPolyBezierLayer::LayerPaint(TBitmap32& buffer)
{
    PlaceOnView();
    // Painting recolours curves, which reports back through CurveChanged.
    struct TPaintingScope {
        bool& flag;
        explicit TPaintingScope(bool& f) : flag(f) { flag = true; }
        ~TPaintingScope() { flag = false; }
    } scope(painting_);
    // Later curves lie over earlier ones. Recolouring runs the change handler,
    // which may edit the list: the curve is looked up again afterwards.
    for (int32_t i = 0; i < Count(); ++i) {
        curves_[static_cast<size_t>(i)]->SetColor(i == selected_ ? SelectedColor : CurveColor);
        if (i >= Count()) break;
        TPolyBezier& curve = *curves_[static_cast<size_t>(i)];
        curve.SetHighlighted(i == selected_);
        curve.Draw(origin_, buffer);
    }
}

void TPolyBezierLayer::LayerHitTest(int32_t x, int32_t y, bool& passed)
{
    if (locked_) {
        passed = true;
        return;
    }
    PlaceOnView();
    passed = false;
    // The oldest curve wins where curves overlap.
    for (int32_t i = 0; i < Count(); ++i) {
        if (curves_[static_cast<size_t>(i)]->HitTest(origin_, x, y)) {
            selected_ = i;
            passed = true;
            return;
        }
    }
}
