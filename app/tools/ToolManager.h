// TToolManager: connects the mouse, wheel and keys of the document's two
// views to the drawing tools. It owns one input controller per tool, takes
// over the views' input handlers (keeping the ones it replaced), converts
// pointer positions to pixels of the source picture and hands each event to
// the current tool, then to the view's previous handler. One per open
// document; it must go before the document does.
#pragma once

#include "app/tools/InputController.h"
#include "app/tools/ToolDocument.h"
#include "gfx/ImageView.h"

#include <array>
#include <cstdint>
#include <memory>

class TDualImage;

// Tool numbers shared by the commands, the main window and the tools.
enum TToolNumber : int32_t {
    tnNone = 0, // context help: events go nowhere
    tnPointer = 1,
    tnAddCurve = 2,
    tnFreeHand = 3,
    tnPattern = 4,
    tnAuto = 5,
};

class TToolManager {
public:
    explicit TToolManager(TDualImage& document);
    // Over any document the tools can work on (a test's fake); borrowed.
    explicit TToolManager(IToolDocument& document);
    // Gives the views that still exist their previous handlers back.
    ~TToolManager();
    TToolManager(const TToolManager&) = delete;
    TToolManager& operator=(const TToolManager&) = delete;

    // Selects tool N (TToolNumber). N is stored even when refused; a number
    // outside 0..5 raises "Tool not implemented" and keeps the current tool.
    void SetTool(int32_t n);
    int32_t Mode() const { return mode_; }
    // While false the mouse and wheel go nowhere (keys still reach the tool).
    void SetEnabled(bool value) { enabled_ = value; }
    bool Enabled() const { return enabled_; }

    TAbstractInputController* Current() const { return current_; }
    // The controller of tool N (1..5), nullptr for others.
    TAbstractInputController* Controller(int32_t n) const;
    // Where the tools read the screen position of the mouse (for the Shift radius).
    void SetScreenCursor(const TScreenCursor& source);

    // A view point of the active view in pixels of the source picture.
    TPoint ViewToBitmap(int32_t x, int32_t y) const;

private:
    struct TViewHandlers {
        TImageView::TMouseMoveEvent MouseMove;
        TImageView::TMouseButtonEvent MouseDown, MouseUp;
        TImageView::TWheelEvent WheelDown, WheelUp;
        TImageView::TKeyEvent KeyUp, KeyDown;
    };
    struct THookedView {
        TImageView* View = nullptr;
        TViewHandlers Saved;
    };

    void CreateControllers();
    void HookViews();
    void Hook(THookedView& hooked);
    void Unhook(THookedView& hooked);
    // The saved handlers of the sending view; nullptr for a view not hooked.
    const TViewHandlers* SavedFor(const TImageView& sender) const;
    // Mouse and wheel go on only while enabled and with a tool.
    bool Passes() const { return enabled_ && current_; }
    // The pointer is over this view: make it the document's active view.
    void TrackPointer(TImageView& sender, const TPoint& viewPoint, bool always);

    template <typename ToolEvent, typename ViewEvent, typename... Args>
    void ToToolThenView(TImageView& sender, ToolEvent toolEvent, ViewEvent TViewHandlers::*viewEvent, Args&... args);

    void ViewMouseDown(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                       TPositionedLayer* layer);
    void ViewMouseMove(TImageView& sender, TShiftState shift, int32_t x, int32_t y, TPositionedLayer* layer);
    void ViewMouseUp(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                     TPositionedLayer* layer);
    void ViewWheelDown(TImageView& sender, TShiftState shift, TPoint mousePos, bool& handled);
    void ViewWheelUp(TImageView& sender, TShiftState shift, TPoint mousePos, bool& handled);
    void ViewKeyDown(TImageView& sender, int& key, TShiftState shift);
    void ViewKeyUp(TImageView& sender, int& key, TShiftState shift);

    std::unique_ptr<IToolDocument> ownDocument_;
    int32_t mode_ = tnNone;
    IToolDocument& document_;
    TAbstractInputController* current_ = nullptr;
    std::unique_ptr<TPointerInputController> pointer_;
    std::unique_ptr<TAddCurveInputController> addCurve_;
    std::unique_ptr<TAutoInputController> auto_;
    std::unique_ptr<TPatternInputController> pattern_;
    std::unique_ptr<TBandInputController> band_;
    bool enabled_ = true;
    std::array<THookedView, 2> views_; // source, destination
};
