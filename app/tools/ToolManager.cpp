#include "app/tools/ToolManager.h"

#include "app/ui/FailureMessage.h"
#include "engine/Dialogs.h"
#include "engine/DualImage.h"
#include "gfx/Errors.h"
#include "gfx/Rounding.h"

namespace {

// A tool that aborts (Shift held) ends the event: the view's own handler
// does not see it either. A tool that fails (its strokes could not be
// recorded) ends its drag there, with the undo step closed over what it
// placed, so the moves still to come place nothing and the user is told once.
template <typename F>
bool RanToEnd(TAbstractInputController& tool, F&& toolEvent)
{
    try {
        toolEvent();
        return true;
    } catch (const SilentAbort&) {
        return false;
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        try {
            tool.AbandonDrag();
        } catch (...) {
            // The step is closed by the document whatever its change handlers do.
        }
        ShowFailure(Dialogs(), StrokeFailureCaption, error);
        return false;
    }
}

} // namespace

TToolManager::TToolManager(TDualImage& document)
    : ownDocument_(std::make_unique<TDualImageToolDocument>(document)), document_(*ownDocument_)
{
    CreateControllers();
    HookViews();
}

TToolManager::TToolManager(IToolDocument& document) : document_(document)
{
    CreateControllers();
    HookViews();
}

TToolManager::~TToolManager()
{
    // A view the document has let go of may be gone already.
    for (THookedView& hooked : views_) {
        if (hooked.View && (hooked.View == document_.SourceView() || hooked.View == document_.DestView()))
            Unhook(hooked);
    }
    // A drag still open closes its undo step now, while the document is whole.
    if (current_) {
        try {
            current_->Deactivate();
        } catch (...) {
        }
    }
}

void TToolManager::CreateControllers()
{
    pointer_ = std::make_unique<TPointerInputController>(document_);
    addCurve_ = std::make_unique<TAddCurveInputController>(document_);
    auto_ = std::make_unique<TAutoInputController>(document_);
    pattern_ = std::make_unique<TPatternInputController>(document_);
    band_ = std::make_unique<TBandInputController>(document_);
}

TAbstractInputController* TToolManager::Controller(int32_t n) const
{
    switch (n) {
    case tnPointer: return pointer_.get();
    case tnAddCurve: return addCurve_.get();
    case tnFreeHand: return band_.get();
    case tnPattern: return pattern_.get();
    case tnAuto: return auto_.get();
    default: return nullptr;
    }
}

void TToolManager::SetScreenCursor(const TScreenCursor& source)
{
    for (int32_t n = tnPointer; n <= tnAuto; ++n) Controller(n)->SetScreenCursor(source);
}

void TToolManager::SetTool(int32_t n)
{
    mode_ = n;
    if (n < tnNone || n > tnAuto) throw EngineError("Tool not implemented");
    TAbstractInputController* next = Controller(n);
    if (next == current_) return;
    if (current_) current_->Deactivate();
    if (next) next->Activate();
    current_ = next;
}

// --- Hooks -------------------------------------------------------------------------

void TToolManager::HookViews()
{
    views_[0].View = document_.SourceView();
    views_[1].View = document_.DestView();
    for (THookedView& hooked : views_)
        if (hooked.View) Hook(hooked);
}

void TToolManager::Hook(THookedView& hooked)
{
    TImageView& v = *hooked.View;
    hooked.Saved = {std::move(v.OnMouseMove), std::move(v.OnMouseDown), std::move(v.OnMouseUp),
                    std::move(v.OnMouseWheelDown), std::move(v.OnMouseWheelUp), std::move(v.OnKeyUp),
                    std::move(v.OnKeyDown)};
    v.OnMouseMove = [this](TImageView& s, TShiftState sh, int32_t x, int32_t y, TPositionedLayer* l) {
        ViewMouseMove(s, sh, x, y, l);
    };
    v.OnMouseDown = [this](TImageView& s, TMouseButton b, TShiftState sh, int32_t x, int32_t y, TPositionedLayer* l) {
        ViewMouseDown(s, b, sh, x, y, l);
    };
    v.OnMouseUp = [this](TImageView& s, TMouseButton b, TShiftState sh, int32_t x, int32_t y, TPositionedLayer* l) {
        ViewMouseUp(s, b, sh, x, y, l);
    };
    v.OnMouseWheelDown = [this](TImageView& s, TShiftState sh, TPoint p, bool& h) { ViewWheelDown(s, sh, p, h); };
    v.OnMouseWheelUp = [this](TImageView& s, TShiftState sh, TPoint p, bool& h) { ViewWheelUp(s, sh, p, h); };
    v.OnKeyDown = [this](TImageView& s, int& k, TShiftState sh) { ViewKeyDown(s, k, sh); };
    v.OnKeyUp = [this](TImageView& s, int& k, TShiftState sh) { ViewKeyUp(s, k, sh); };
}

void TToolManager::Unhook(THookedView& hooked)
{
    TImageView& v = *hooked.View;
    TViewHandlers& s = hooked.Saved;
    v.OnMouseMove = std::move(s.MouseMove);
    v.OnMouseDown = std::move(s.MouseDown);
    v.OnMouseUp = std::move(s.MouseUp);
    v.OnMouseWheelDown = std::move(s.WheelDown);
    v.OnMouseWheelUp = std::move(s.WheelUp);
    v.OnKeyUp = std::move(s.KeyUp);
    v.OnKeyDown = std::move(s.KeyDown);
    hooked.View = nullptr;
}

const TToolManager::TViewHandlers* TToolManager::SavedFor(const TImageView& sender) const
{
    for (const THookedView& hooked : views_)
        if (hooked.View == &sender) return &hooked.Saved;
    return nullptr;
}

void TToolManager::TrackPointer(TImageView& sender, const TPoint& viewPoint, bool always)
{
    const bool inactive = document_.ActiveView() != &sender;
    if (inactive) document_.SetActiveView(sender);
    if (always || inactive) document_.SetCursorPos(viewPoint);
}

TPoint TToolManager::ViewToBitmap(int32_t x, int32_t y) const
{
    const TImageView* active = document_.ActiveView();
    if (!active) return {x, y};
    TPoint p = active->ControlToBitmap({x, y});
    if (active != document_.DestView()) return p;
    const TImageView* source = document_.SourceView();
    const int32_t ws = source && source->Bitmap() ? source->Bitmap()->Width() : 0;
    const int32_t wd = active->Bitmap() ? active->Bitmap()->Width() : 0;
    // Both coordinates scale by the width ratio. An empty image (a damaged
    // project) would make it infinite: the point is then left as it is.
    if (ws < 1 || wd < 1) return p;
    const double ratio = double(ws) / double(wd);
    return {Round(ratio * p.X), Round(ratio * p.Y)};
}

// Steps 4 and 5 of every hook: the current tool gets the event, then the
// sending view's own handler, unless the tool aborted.
template <typename ToolEvent, typename ViewEvent, typename... Args>
void TToolManager::ToToolThenView(TImageView& sender, ToolEvent toolEvent, ViewEvent TViewHandlers::*viewEvent,
                                  Args&... args)
{
    TAbstractInputController& tool = *current_;
    if (!RanToEnd(tool, [&] { (tool.*toolEvent)(sender, args...); })) return;
    const TViewHandlers* saved = SavedFor(sender);
    if (saved && saved->*viewEvent) (saved->*viewEvent)(sender, args...);
}

void TToolManager::ViewMouseDown(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                                 TPositionedLayer* layer)
{
    if (!Passes()) return;
    // A press with no move before it (a tablet tap) lands where it is.
    TrackPointer(sender, {x, y}, false);
    TPoint p = ViewToBitmap(x, y);
    ToToolThenView(sender, &TAbstractInputController::MouseDown, &TViewHandlers::MouseDown, button, shift, p.X, p.Y,
                   layer);
}

void TToolManager::ViewMouseMove(TImageView& sender, TShiftState shift, int32_t x, int32_t y, TPositionedLayer* layer)
{
    if (!Passes()) return;
    TrackPointer(sender, {x, y}, true);
    TPoint p = ViewToBitmap(x, y);
    ToToolThenView(sender, &TAbstractInputController::MouseMove, &TViewHandlers::MouseMove, shift, p.X, p.Y, layer);
}

void TToolManager::ViewMouseUp(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                               TPositionedLayer* layer)
{
    if (!Passes()) return;
    TPoint p = ViewToBitmap(x, y);
    ToToolThenView(sender, &TAbstractInputController::MouseUp, &TViewHandlers::MouseUp, button, shift, p.X, p.Y,
                   layer);
}

void TToolManager::ViewWheelDown(TImageView& sender, TShiftState shift, TPoint mousePos, bool& handled)
{
    if (!Passes()) return;
    TrackPointer(sender, mousePos, false);
    TPoint p = ViewToBitmap(mousePos.X, mousePos.Y);
    ToToolThenView(sender, &TAbstractInputController::WheelDown, &TViewHandlers::WheelDown, shift, p, handled);
}

void TToolManager::ViewWheelUp(TImageView& sender, TShiftState shift, TPoint mousePos, bool& handled)
{
    if (!Passes()) return;
    TrackPointer(sender, mousePos, false);
    TPoint p = ViewToBitmap(mousePos.X, mousePos.Y);
    ToToolThenView(sender, &TAbstractInputController::WheelUp, &TViewHandlers::WheelUp, shift, p, handled);
}

// Keys reach the tool whether or not it is enabled: Shift must be followed
// even while the mouse goes nowhere.
void TToolManager::ViewKeyDown(TImageView& sender, int& key, TShiftState shift)
{
    if (current_) ToToolThenView(sender, &TAbstractInputController::KeyDown, &TViewHandlers::KeyDown, key, shift);
}

void TToolManager::ViewKeyUp(TImageView& sender, int& key, TShiftState shift)
{
    if (current_) ToToolThenView(sender, &TAbstractInputController::KeyUp, &TViewHandlers::KeyUp, key, shift);
}
