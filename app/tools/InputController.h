// The drawing tools. Each input controller turns the mouse, wheel and key
// events of a view into work on the document or on a curve layer: the
// pointer drags curve points, the add-curve tool draws a one-segment curve
// that follows the drag, the band (free-hand) tool lays strokes along a
// curve drawn as a band, and the pattern and auto tools spray strokes around
// the pointer. On the main views every tool also changes the brush radius:
// by the wheel, and by moving the mouse while Shift is held.
//
// Controllers made for a document get pixels of the source picture from the
// tool manager; those made for a bare curve layer (the pattern editor) get
// view pixels and skip every document call.
#pragma once

#include "app/tools/ToolDocument.h"
#include "gfx/ImageView.h"

#include <cstdint>
#include <functional>
#include <vector>

class TPolyBezier;
class TPolyBezierLayer;

// Where the mouse cursor is on the screen. The Shift radius measures the
// cursor's travel on the screen, not in the view that gets the events.
using TScreenCursor = std::function<TPoint()>;
TPoint SystemScreenCursor();

class TAbstractInputController;
// Hands the view's mouse events, unchanged (view pixels, the layer under the
// pointer), to the tool that Current names at that moment; used where no
// tool manager stands between (the pattern editor's curve view).
void RouteMouseToTool(TImageView& view, std::function<TAbstractInputController*()> current);

class TAbstractInputController {
public:
    virtual ~TAbstractInputController() = default;
    TAbstractInputController(const TAbstractInputController&) = delete;
    TAbstractInputController& operator=(const TAbstractInputController&) = delete;

    // The events, with X and Y already converted by whoever passes them on.
    // Every one may end in SilentAbort: the event then goes no further.
    virtual void MouseDown(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                           TPositionedLayer* layer);
    virtual void MouseMove(TImageView& sender, TShiftState shift, int32_t x, int32_t y, TPositionedLayer* layer);
    virtual void MouseUp(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                         TPositionedLayer* layer);
    virtual void KeyDown(TImageView& sender, int& key, TShiftState shift);
    virtual void KeyUp(TImageView& sender, int& key, TShiftState shift);
    void WheelDown(TImageView& sender, TShiftState shift, const TPoint& mousePos, bool& handled);
    void WheelUp(TImageView& sender, TShiftState shift, const TPoint& mousePos, bool& handled);

    // The tool becomes current, or stops being current. Either ends a drag
    // in progress (the base sets the document's cursor mode, then ends it);
    // a tool that stops being current also lets go of Shift, whose release
    // only the current tool hears.
    virtual void Activate();
    virtual void Deactivate();
    // As if Shift had been released: for a release that this program never
    // sees (it happened while another program was active).
    void ReleaseShift() { shiftDown_ = false; }

    // A drag started by a press has not been ended yet.
    virtual bool InDrag() const = 0;
    // An event of the drag failed: the drag ends as a tool change ends it
    // (an undo step it opened is closed over what it placed).
    void AbandonDrag() { CancelDrag(); }

    bool ShiftDown() const { return shiftDown_; }
    const TPoint& ShiftAnchor() const { return shiftAnchor_; }
    uint8_t CursorMode() const { return cursorMode_; }
    IToolDocument* Document() const { return document_; }
    TPolyBezierLayer& CurveLayer() const { return *curveLayer_; }
    bool CreatedForLayer() const { return createdForLayer_; }
    void SetScreenCursor(TScreenCursor source) { screenCursor_ = std::move(source); }

protected:
    TAbstractInputController(IToolDocument& document, uint8_t cursorMode);
    TAbstractInputController(TPolyBezierLayer& layer, uint8_t cursorMode);

    // Ends a drag in progress without finishing its work (no strokes laid);
    // an undo step it opened is closed. Does nothing when no drag is on.
    virtual void CancelDrag() {}
    // A press comes while a drag is still on, with no other button held: the
    // drag's release went elsewhere (to a message box that opened during
    // it), and the drag ended there.
    bool ReleaseWasLost(TMouseButton button, TShiftState shift) const;
    // The document's curve layer takes mouse events again (pointer, add curve).
    void EnableCurveEditing();

private:
    TPoint shiftAnchor_;
    bool shiftDown_ = false;
    uint8_t cursorMode_;
    IToolDocument* document_;
    TPolyBezierLayer* curveLayer_;
    bool createdForLayer_;
    TScreenCursor screenCursor_ = SystemScreenCursor;
};

// Tool 1: drags the curve point under the pointer.
class TPointerInputController : public TAbstractInputController {
public:
    explicit TPointerInputController(IToolDocument& document);
    explicit TPointerInputController(TPolyBezierLayer& layer);

    void MouseDown(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                   TPositionedLayer* layer) override;
    void MouseMove(TImageView& sender, TShiftState shift, int32_t x, int32_t y, TPositionedLayer* layer) override;
    void MouseUp(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                 TPositionedLayer* layer) override;
    void Activate() override;

    bool InDrag() const override { return dragging_; }
    bool Dragging() const { return dragging_; }
    TPolyBezier* Curve() const { return curve_; }

protected:
    void CancelDrag() override;

private:
    bool dragging_ = false;
    TPolyBezier* curve_ = nullptr;
};

// Tool 2: draws a new one-segment curve that follows the drag; the pattern
// editor's drawing tool.
class TAddCurveInputController : public TAbstractInputController {
public:
    explicit TAddCurveInputController(IToolDocument& document);
    explicit TAddCurveInputController(TPolyBezierLayer& layer);

    void MouseDown(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                   TPositionedLayer* layer) override;
    void MouseMove(TImageView& sender, TShiftState shift, int32_t x, int32_t y, TPositionedLayer* layer) override;
    void MouseUp(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                 TPositionedLayer* layer) override;
    void Activate() override;

    bool InDrag() const override { return drawing_; }
    bool Drawing() const { return drawing_; }
    // The pointer positions of the drag after the press.
    const std::vector<TPoint>& Points() const { return points_; }

protected:
    TAddCurveInputController(IToolDocument& document, uint8_t cursorMode);
    void CancelDrag() override;
    // Adds the curve of a new drag (a band when Width is above 1) and locks the layer.
    void StartCurve(int32_t x, int32_t y, float width);
    // Bends the drag's curve through the pointer's path so far.
    void FollowPointer(int32_t x, int32_t y);
    // The drag is over: Drawing off, the layer unlocked, the path forgotten.
    void StopDrawing();

private:
    bool drawing_ = false;
    std::vector<TPoint> points_;
};

// Tool 3, the free-hand tool: the add-curve drag drawn as a band of the
// brush's radius; on release strokes are laid along it and it is removed.
// One undo step per drag.
class TBandInputController : public TAddCurveInputController {
public:
    explicit TBandInputController(IToolDocument& document);

    void MouseDown(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                   TPositionedLayer* layer) override;
    void MouseUp(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                 TPositionedLayer* layer) override;

    bool InDrag() const override { return Drawing() || step_.IsOpen(); }

protected:
    void CancelDrag() override;

private:
    // Closes the step, removes the band and forgets the path.
    void FinishDrag();

    TDragStep step_;
};

// Tools 4 and 5: spray strokes around the pointer at the press and at every
// move while the button is held, all into one undo step. They differ only
// in the document's auto mode, which Activate sets.
class TSprayInputController : public TAbstractInputController {
public:
    void MouseDown(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                   TPositionedLayer* layer) override;
    void MouseMove(TImageView& sender, TShiftState shift, int32_t x, int32_t y, TPositionedLayer* layer) override;
    void MouseUp(TImageView& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y,
                 TPositionedLayer* layer) override;
    void Activate() override;

    bool InDrag() const override { return drawing_ || step_.IsOpen(); }
    bool Drawing() const { return drawing_; }

protected:
    TSprayInputController(IToolDocument& document, bool autoMode);
    void CancelDrag() override;

private:
    bool autoMode_;
    bool drawing_ = false;
    TDragStep step_;
};

// Tool 4: strokes shaped by the current pattern.
class TPatternInputController : public TSprayInputController {
public:
    explicit TPatternInputController(IToolDocument& document) : TSprayInputController(document, false) {}
};

// Tool 5: strokes that follow the picture's direction field.
class TAutoInputController : public TSprayInputController {
public:
    explicit TAutoInputController(IToolDocument& document) : TSprayInputController(document, true) {}
};
