// The image view model: a borrowed bitmap shown at a scale and scroll offset
// over a background, with an ordered list of layers painted over it and given
// the mouse. Headless: a widget (controls/ImageViewWidget) shows the buffer
// and feeds input in; the engine holds and draws on views through this class.
#pragma once

#include "gfx/Bitmap32.h"
#include "gfx/Geometry.h"
#include "gfx/ImageViewLayer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// How the bitmap's scale is chosen.
enum class TScaleMode {
    smNormal,  // 1.0
    smScale,   // the view's Scale
    smOptimal, // shrunk to fit the viewport with its proportions kept, never enlarged
    smFit,     // shrunk or enlarged to fit the viewport with its proportions kept
};

// Mouse cursor shapes; the widget maps them to the platform's cursors.
enum class TCursorShape { crDefault, crArrow, crCross, crHandPoint, crSizeAll, crHourGlass, crHelp, crNo };

// Key codes of key events: the virtual-key numbers the tools test (16 is Shift).
namespace VirtualKey {
constexpr int vkBack = 8, vkTab = 9, vkReturn = 13, vkShift = 16, vkControl = 17, vkMenu = 18, vkEscape = 27,
              vkSpace = 32, vkPrior = 33, vkNext = 34, vkEnd = 35, vkHome = 36, vkLeft = 37, vkUp = 38,
              vkRight = 39, vkDown = 40, vkInsert = 45, vkDelete = 46, vkF1 = 112;
} // namespace VirtualKey

// What a view asks of whatever shows it.
class TImageViewHost {
public:
    virtual ~TImageViewHost() = default;
    virtual void RepaintRequested() = 0;
    // The scroll range, scroll position or bitmap rectangle moved.
    virtual void LayoutChanged() = 0;
    virtual void CursorChanged() = 0;
};

class TImageView {
public:
    using TMouseButtonEvent = std::function<void(TImageView& sender, TMouseButton button, TShiftState shift,
                                                 int32_t x, int32_t y, TPositionedLayer* layer)>;
    using TMouseMoveEvent =
        std::function<void(TImageView& sender, TShiftState shift, int32_t x, int32_t y, TPositionedLayer* layer)>;
    using TWheelEvent = std::function<void(TImageView& sender, TShiftState shift, TPoint mousePos, bool& handled)>;
    using TKeyEvent = std::function<void(TImageView& sender, int& key, TShiftState shift)>;
    using TNotifyEvent = std::function<void(TImageView& sender)>;

    TImageView() = default;
    ~TImageView();
    TImageView(const TImageView&) = delete;
    TImageView& operator=(const TImageView&) = delete;

    void SetHost(TImageViewHost* host) { host_ = host; }

    // --- Bitmap and geometry ---------------------------------------------

    // Borrowed; nullptr shows no picture. The view takes the bitmap's OnChange
    // (and gives it back empty when the bitmap is replaced or the view goes),
    // so a bitmap must outlive the view or be replaced before it goes.
    TBitmap32* Bitmap() const { return bitmap_; }
    void SetBitmap(TBitmap32* bitmap);

    // The client area without scroll bars, in view (control) coordinates.
    void SetViewportSize(int32_t width, int32_t height);
    TRect GetViewportRect() const { return {0, 0, viewportWidth_, viewportHeight_}; }

    TScaleMode ScaleMode() const { return scaleMode_; }
    void SetScaleMode(TScaleMode mode);
    float Scale() const { return scale_; }
    // Non-positive or non-finite scales are refused.
    void SetScale(float scale);
    // The scale the bitmap is drawn at, after the scale mode.
    double EffectiveScale() const;
    // A bitmap smaller than the viewport is centred; otherwise it sits at the top left.
    bool Centered() const { return centered_; }
    void SetCentered(bool centered);
    TColor32 Background() const { return background_; }
    void SetBackground(TColor32 color);

    // The bitmap's rectangle in view coordinates; empty at (0, 0) without a picture.
    TRect GetBitmapRect() const;

    // --- Scrolling -------------------------------------------------------

    // Scroll position in view pixels, 0..ScrollRange() on each axis.
    TPoint ScrollPos() const { return scroll_; }
    TPoint ScrollRange() const;
    void SetScrollPos(int32_t x, int32_t y);
    void Scroll(int32_t dx, int32_t dy) { SetScrollPos(scroll_.X + dx, scroll_.Y + dy); }
    // Scrolls so that the bitmap point lies at the centre of the viewport.
    void ScrollToCenter(double bitmapX, double bitmapY);

    // --- Coordinate mapping ----------------------------------------------

    // The bitmap pixel under a view point (scroll and scale undone, rounded down).
    TPoint ControlToBitmap(const TPoint& p) const;
    TFloatPoint ControlToBitmapF(double x, double y) const;
    // The view point of a bitmap point's top-left corner (rounded down).
    TPoint BitmapToControl(const TPoint& p) const;
    TFloatPoint BitmapToControlF(double x, double y) const;

    // --- Layers ----------------------------------------------------------

    // A new layer at the top of the list, owned by the view.
    TPositionedLayer& AddLayer();
    int LayerCount() const { return static_cast<int>(layers_.size()); }
    TPositionedLayer& Layer(int index) const { return *layers_.at(static_cast<size_t>(index)); }
    int IndexOfLayer(const TPositionedLayer* layer) const;
    void DeleteLayer(TPositionedLayer& layer);
    void ClearLayers();
    // While false no layer takes the mouse (they are still painted).
    bool LayerMouseEvents() const { return layerMouseEvents_; }
    void SetLayerMouseEvents(bool on) { layerMouseEvents_ = on; }
    // The topmost visible layer that takes mouse events and passes its hit test.
    TPositionedLayer* FindLayerAt(int32_t x, int32_t y);
    // The layer that took the last press and receives the mouse until release.
    TPositionedLayer* MouseCapture() const { return capture_; }

    // --- Updates and painting -------------------------------------------

    // Nested; while held, Changed() only remembers that a repaint is due, and
    // the last EndUpdate asks for it.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    // Asks the host to repaint (call after drawing into the bitmap); a bitmap
    // that was resized since the view last looked also updates the layout.
    void Changed();

    // Paints background, bitmap and visible layers into Buffer() at the
    // viewport's size and returns it.
    const TBitmap32& Render();
    TBitmap32& Buffer() { return buffer_; }

    TCursorShape Cursor() const { return cursor_; }
    void SetCursor(TCursorShape cursor);

    // --- Input (from the widget; coordinates are view coordinates) ------

    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    void MouseMove(TShiftState shift, int32_t x, int32_t y);
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    // Positive delta turns the wheel up; returns whether a handler took it.
    bool MouseWheel(int delta, TShiftState shift, const TPoint& mousePos);
    void KeyDown(int& key, TShiftState shift);
    void KeyUp(int& key, TShiftState shift);
    // The pointer position of the latest mouse event, in view coordinates.
    TPoint LastMousePos() const { return lastMouse_; }

    // The view's own handlers, called after the layer's; whoever hooks them
    // may keep the previous handler and call it on.
    TMouseButtonEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TWheelEvent OnMouseWheelDown, OnMouseWheelUp;
    TKeyEvent OnKeyDown, OnKeyUp;
    // Fired when the scroll position actually moves.
    TNotifyEvent OnScroll;

private:
    friend class TPositionedLayer;
    std::unique_ptr<TPositionedLayer> TakeLayer(TPositionedLayer& layer);
    void InsertLayer(std::unique_ptr<TPositionedLayer> layer);
    TPositionedLayer* LayerForMouse(int32_t x, int32_t y);
    bool Contains(const TPositionedLayer* layer) const { return IndexOfLayer(layer) >= 0; }
    void HookBitmap();
    void UnhookBitmap();
    // Takes the bitmap's size when it differs from the last one seen.
    bool NoticeBitmapResize();
    // Re-clamps the scroll position after a change of size or scale and tells the host.
    void GeometryChanged();
    void PaintBitmap();

    TImageViewHost* host_ = nullptr;
    TBitmap32* bitmap_ = nullptr;
    int32_t bitmapWidth_ = 0, bitmapHeight_ = 0; // the size last seen, to notice resizes
    int32_t viewportWidth_ = 0, viewportHeight_ = 0;
    TScaleMode scaleMode_ = TScaleMode::smNormal;
    float scale_ = 1.0f;
    bool centered_ = true;
    TColor32 background_ = 0xFFF0F0F0u;
    TPoint scroll_;
    std::vector<std::unique_ptr<TPositionedLayer>> layers_;
    bool layerMouseEvents_ = true;
    TPositionedLayer* capture_ = nullptr;
    int updateCount_ = 0;
    bool repaintPending_ = false;
    TBitmap32 buffer_;
    TCursorShape cursor_ = TCursorShape::crDefault;
    TPoint lastMouse_;
};
