#include "app/tools/InputController.h"

#include "engine/DualImage.h"
#include "engine/PolyBezier.h"
#include "engine/PolyBezierLayer.h"
#include "gfx/Errors.h"
#include "gfx/Rounding.h"

#include <QCursor>

#include <cmath>
#include <memory>

namespace {

// The wheel lowers the radius while it is above this (the document then
// refuses anything below 8) and raises it while below WheelMaxRadius.
constexpr int32_t WheelMinRadius = 5;
constexpr int32_t WheelMaxRadius = 400;

bool LayerHolds(const TPolyBezierLayer& layer, const TPolyBezier* curve)
{
    for (int32_t i = 0; i < layer.Count(); ++i)
        if (&layer.GetPolyBeziers(i) == curve) return true;
    return false;
}

} // namespace

TPoint SystemScreenCursor()
{
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

void RouteMouseToTool(TImageView& view, std::function<TAbstractInputController*()> current)
{
    view.OnMouseDown = [current](TImageView& s, TMouseButton b, TShiftState sh, int32_t x, int32_t y,
                                 TPositionedLayer* l) {
        if (TAbstractInputController* tool = current()) tool->MouseDown(s, b, sh, x, y, l);
    };
    view.OnMouseMove = [current](TImageView& s, TShiftState sh, int32_t x, int32_t y, TPositionedLayer* l) {
        if (TAbstractInputController* tool = current()) tool->MouseMove(s, sh, x, y, l);
    };
    view.OnMouseUp = [current](TImageView& s, TMouseButton b, TShiftState sh, int32_t x, int32_t y,
                               TPositionedLayer* l) {
        if (TAbstractInputController* tool = current()) tool->MouseUp(s, b, sh, x, y, l);
    };
}

// --- TAbstractInputController ---------------------------------------------------

TAbstractInputController::TAbstractInputController(IToolDocument& document, uint8_t cursorMode)
    : cursorMode_(cursorMode), document_(&document), curveLayer_(&document.CurveLayer()), createdForLayer_(false)
{
}

TAbstractInputController::TAbstractInputController(TPolyBezierLayer& layer, uint8_t cursorMode)
    : cursorMode_(cursorMode), document_(nullptr), curveLayer_(&layer), createdForLayer_(true)
{
}

void TAbstractInputController::MouseDown(TImageView&, TMouseButton, TShiftState, int32_t, int32_t, TPositionedLayer*)
{
    // No drag starts while Shift sizes the brush.
    if (shiftDown_) throw SilentAbort();
}

void TAbstractInputController::MouseMove(TImageView&, TShiftState, int32_t, int32_t, TPositionedLayer*)
{
    if (!shiftDown_ || !document_) return;
    const TPoint cursor = screenCursor_();
    const double dx = double(shiftAnchor_.X) - cursor.X;
    const double dy = double(shiftAnchor_.Y) - cursor.Y;
    document_->SetRadius(Round(std::sqrt(dx * dx + dy * dy)));
    throw SilentAbort();
}

void TAbstractInputController::MouseUp(TImageView&, TMouseButton, TShiftState, int32_t, int32_t, TPositionedLayer*)
{
    if (!shiftDown_) return;
    // The release still ends the drag that its press started: left open, its
    // undo step would swallow every later stroke and never be pushed.
    CancelDrag();
    throw SilentAbort();
}

bool TAbstractInputController::ReleaseWasLost(TMouseButton button, TShiftState shift) const
{
    const TShiftState pressed = button == TMouseButton::mbLeft    ? ssLeft
                                : button == TMouseButton::mbRight ? ssRight
                                                                  : ssMiddle;
    return InDrag() && (shift & (ssLeft | ssRight | ssMiddle) & ~pressed) == 0;
}

void TAbstractInputController::KeyDown(TImageView&, int& key, TShiftState)
{
    // Auto-repeat keeps the first anchor.
    if (shiftDown_ || key != VirtualKey::vkShift) return;
    shiftDown_ = true;
    shiftAnchor_ = screenCursor_();
}

void TAbstractInputController::KeyUp(TImageView&, int& key, TShiftState)
{
    if (key == VirtualKey::vkShift) ReleaseShift();
}

void TAbstractInputController::WheelDown(TImageView&, TShiftState, const TPoint&, bool&)
{
    if (document_ && document_->Radius() > WheelMinRadius) document_->SetRadius(document_->Radius() - 1);
}

void TAbstractInputController::WheelUp(TImageView&, TShiftState, const TPoint&, bool&)
{
    if (document_ && document_->Radius() < WheelMaxRadius) document_->SetRadius(document_->Radius() + 1);
}

void TAbstractInputController::Activate()
{
    if (document_) document_->SetCursorMode(cursorMode_);
    CancelDrag();
}

void TAbstractInputController::EnableCurveEditing()
{
    if (document_) document_->EnableCurveEditing();
}

void TAbstractInputController::Deactivate()
{
    ReleaseShift();
    CancelDrag();
}

// --- TPointerInputController ------------------------------------------------------

TPointerInputController::TPointerInputController(IToolDocument& document)
    : TAbstractInputController(document, cuNone)
{
}

TPointerInputController::TPointerInputController(TPolyBezierLayer& layer) : TAbstractInputController(layer, cuNone) {}

void TPointerInputController::MouseDown(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x,
                                        int32_t y, TPositionedLayer* layer)
{
    TAbstractInputController::MouseDown(sender, button, shift, x, y, layer);
    // The layer's hit test has just selected the curve and its point; a
    // layer emptied since then has no curve to give.
    curve_ = CurveLayer().IsLayer(layer) ? CurveLayer().GetSelectedCurve() : nullptr;
    dragging_ = curve_ != nullptr;
}

void TPointerInputController::MouseMove(TImageView& sender, TShiftState shift, int32_t x, int32_t y,
                                        TPositionedLayer* layer)
{
    TAbstractInputController::MouseMove(sender, shift, x, y, layer);
    if (!dragging_) return;
    // The curve may have gone with the layer's contents (a cleared layer).
    if (!LayerHolds(CurveLayer(), curve_)) {
        CancelDrag();
        return;
    }
    curve_->MoveSelectedPoint(x, y, false);
}

void TPointerInputController::MouseUp(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x,
                                      int32_t y, TPositionedLayer* layer)
{
    TAbstractInputController::MouseUp(sender, button, shift, x, y, layer);
    CancelDrag();
}

void TPointerInputController::Activate()
{
    TAbstractInputController::Activate();
    EnableCurveEditing();
}

void TPointerInputController::CancelDrag()
{
    dragging_ = false;
    curve_ = nullptr;
}

// --- TAddCurveInputController -------------------------------------------------------

TAddCurveInputController::TAddCurveInputController(IToolDocument& document)
    : TAbstractInputController(document, cuNone)
{
}

TAddCurveInputController::TAddCurveInputController(TPolyBezierLayer& layer)
    : TAbstractInputController(layer, cuNone)
{
}

TAddCurveInputController::TAddCurveInputController(IToolDocument& document, uint8_t cursorMode)
    : TAbstractInputController(document, cursorMode)
{
}

void TAddCurveInputController::MouseDown(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x,
                                         int32_t y, TPositionedLayer* layer)
{
    TAbstractInputController::MouseDown(sender, button, shift, x, y, layer);
    StartCurve(x, y, 1.0f);
}

void TAddCurveInputController::MouseMove(TImageView& sender, TShiftState shift, int32_t x, int32_t y,
                                         TPositionedLayer* layer)
{
    TAbstractInputController::MouseMove(sender, shift, x, y, layer);
    if (drawing_) FollowPointer(x, y);
}

void TAddCurveInputController::MouseUp(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x,
                                       int32_t y, TPositionedLayer* layer)
{
    TAbstractInputController::MouseUp(sender, button, shift, x, y, layer);
    StopDrawing();
}

void TAddCurveInputController::Activate()
{
    TAbstractInputController::Activate();
    EnableCurveEditing();
}

void TAddCurveInputController::CancelDrag()
{
    if (drawing_) StopDrawing();
}

void TAddCurveInputController::StartCurve(int32_t x, int32_t y, float width)
{
    points_.clear();
    const TPoint p{x, y};
    auto curve = std::make_unique<TPolyBezier>(p);
    curve->SetWidth(width);
    TPolyBezier& added = CurveLayer().Add(std::move(curve));
    added.AddCurveSegment(p, p, p);
    CurveLayer().Lock();
    drawing_ = true;
}

void TAddCurveInputController::FollowPointer(int32_t x, int32_t y)
{
    points_.push_back({x, y});
    TPolyBezier* curve = CurveLayer().GetSelectedCurve();
    if (!curve) return;
    if (points_.size() < 3) {
        // A straight line from the press point until the path can bend it.
        curve->MoveSelectedPoint(x, y, true);
        return;
    }
    const int32_t h = static_cast<int32_t>(points_.size()) - 1;
    const TPoint& c1 = points_[static_cast<size_t>(Round(h / 3.0))];
    const TPoint& c2 = points_[static_cast<size_t>(Round(2.0 * h / 3.0))];
    curve->SetSegmentPoint(c1.X, c1.Y, TPolyBezier::spControl1);
    curve->SetSegmentPoint(c2.X, c2.Y, TPolyBezier::spControl2);
    curve->SetSegmentPoint(x, y, TPolyBezier::spCurveEnd);
}

void TAddCurveInputController::StopDrawing()
{
    drawing_ = false;
    CurveLayer().Unlock();
    points_.clear();
}

// --- TBandInputController ----------------------------------------------------------

TBandInputController::TBandInputController(IToolDocument& document) : TAddCurveInputController(document, cuCross) {}

void TBandInputController::MouseDown(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x,
                                     int32_t y, TPositionedLayer* layer)
{
    TAbstractInputController::MouseDown(sender, button, shift, x, y, layer);
    // The unfinished band of a lost release goes without strokes: nobody
    // released it.
    if (ReleaseWasLost(button, shift)) CancelDrag();
    StartCurve(x, y, static_cast<float>(Document()->Radius()));
    // The step opens once the band stands; a band without its step would
    // lay strokes outside any step, so it goes again when the step fails.
    try {
        step_.Open(*Document());
    } catch (...) {
        StopDrawing();
        CurveLayer().Clear();
        throw;
    }
}

void TBandInputController::MouseUp(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x,
                                   int32_t y, TPositionedLayer* layer)
{
    TAbstractInputController::MouseUp(sender, button, shift, x, y, layer);
    // A release with no press before it (the second click of a double click
    // on another window) lays nothing and closes nothing.
    if (!Drawing()) {
        CancelDrag();
        return;
    }
    StopDrawing();
    try {
        Document()->FillAlongCurves();
    } catch (...) {
        FinishDrag();
        throw;
    }
    FinishDrag();
}

void TBandInputController::CancelDrag()
{
    if (!InDrag()) return;
    StopDrawing();
    FinishDrag();
}

void TBandInputController::FinishDrag()
{
    if (!step_.IsOpen()) return;
    // The band goes even when closing the step fails.
    struct TClearBand {
        TPolyBezierLayer& layer;
        ~TClearBand() { layer.Clear(); }
    } clear{CurveLayer()};
    step_.Close();
}

// --- TSprayInputController -------------------------------------------------------------

TSprayInputController::TSprayInputController(IToolDocument& document, bool autoMode)
    : TAbstractInputController(document, cuCircle), autoMode_(autoMode)
{
}

void TSprayInputController::MouseDown(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x,
                                      int32_t y, TPositionedLayer* layer)
{
    TAbstractInputController::MouseDown(sender, button, shift, x, y, layer);
    if (ReleaseWasLost(button, shift)) CancelDrag();
    step_.Open(*Document());
    Document()->SprayAt(x, y);
    drawing_ = true;
}

void TSprayInputController::MouseMove(TImageView& sender, TShiftState shift, int32_t x, int32_t y,
                                      TPositionedLayer* layer)
{
    TAbstractInputController::MouseMove(sender, shift, x, y, layer);
    if (drawing_) Document()->SprayAt(x, y);
}

void TSprayInputController::MouseUp(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x,
                                    int32_t y, TPositionedLayer* layer)
{
    TAbstractInputController::MouseUp(sender, button, shift, x, y, layer);
    CancelDrag();
}

void TSprayInputController::Activate()
{
    TAbstractInputController::Activate();
    Document()->SetAutoMode(autoMode_);
    Document()->DisableCurveEditing();
}

void TSprayInputController::CancelDrag()
{
    drawing_ = false;
    step_.Close();
}
