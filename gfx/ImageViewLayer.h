// A layer of an image view: something drawn into the view's buffer after the
// bitmap, placed at a rectangle of the bitmap (or of the view when it is not
// scaled), that may take the mouse. The view owns its layers; the input types
// that views and layers share are here too.
#pragma once

#include "gfx/Bitmap32.h"
#include "gfx/Geometry.h"

#include <cstdint>
#include <functional>

class TImageView;

struct TFloatRect {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TFloatRect&, const TFloatRect&) = default;
};

inline TFloatRect FloatRect(const TRect& r) { return {double(r.Left), double(r.Top), double(r.Right), double(r.Bottom)}; }

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Modifier keys and mouse buttons held during an input event, as bit flags.
using TShiftState = uint8_t;
enum TShiftFlag : TShiftState { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };

class TPositionedLayer {
public:
    using TPaintEvent = std::function<void(TPositionedLayer& sender, TBitmap32& buffer)>;
    using THitTestEvent = std::function<void(TPositionedLayer& sender, int32_t x, int32_t y, bool& passed)>;
    using TMouseButtonEvent =
        std::function<void(TPositionedLayer& sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y)>;
    using TMouseMoveEvent = std::function<void(TPositionedLayer& sender, TShiftState shift, int32_t x, int32_t y)>;
    using TNotifyEvent = std::function<void(TPositionedLayer& sender)>;

    // Layers are made by TImageView::AddLayer and destroyed by their view.
    explicit TPositionedLayer(TImageView& view) : view_(&view) {}
    ~TPositionedLayer();
    TPositionedLayer(const TPositionedLayer&) = delete;
    TPositionedLayer& operator=(const TPositionedLayer&) = delete;

    TImageView& View() const { return *view_; }
    // Moves this layer to the top of another view's list (no-op for its own view).
    void MoveTo(TImageView& view);
    int Index() const;

    // Bitmap coordinates when Scaled, view coordinates otherwise.
    const TFloatRect& Location() const { return location_; }
    void SetLocation(const TFloatRect& location);
    bool Scaled() const { return scaled_; }
    void SetScaled(bool scaled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // With mouse events off the layer is still painted but never under the pointer.
    bool MouseEvents() const { return mouseEvents_; }
    void SetMouseEvents(bool on) { mouseEvents_ = on; }

    // Location in view coordinates: scroll and scale applied when Scaled.
    TFloatRect GetAdjustedLocation() const;
    // Inside the adjusted location (right and bottom edges excluded), then
    // OnHitTest may overrule the answer.
    bool HitTest(int32_t x, int32_t y);
    // Asks the view to repaint.
    void Changed();

    TPaintEvent OnPaint;
    THitTestEvent OnHitTest;
    TMouseButtonEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    // Fired from the destructor, so that whoever keeps a pointer to the layer
    // can forget it when the view clears its list.
    TNotifyEvent OnDestroying;

private:
    friend class TImageView;
    TImageView* view_;
    TFloatRect location_;
    bool scaled_ = false, visible_ = true, mouseEvents_ = true;
};
