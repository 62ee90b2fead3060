// The curves over an image view: owns a list of poly-Bezier curves, paints
// them into the view through a positioned layer, answers the view's hit test
// by picking the curve point under the pointer, keeps the selected curve and
// reports every change of a curve through one OnChange event.
#pragma once

#include "engine/PolyBezier.h"
#include "gfx/ImageView.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TPolyBezierLayer {
public:
    using TNotifyEvent = std::function<void(TPolyBezierLayer& sender)>;

    static constexpr TColor32 SelectedColor = 0xFFFF0000u; // opaque red
    static constexpr TColor32 CurveColor = 0xFF808000u;    // opaque olive

    // Puts a positioned layer, taking the mouse, on the view's bitmap.
    explicit TPolyBezierLayer(TImageView& image);
    // Frees the curves and takes the positioned layer off its view.
    ~TPolyBezierLayer();
    TPolyBezierLayer(const TPolyBezierLayer&) = delete;
    TPolyBezierLayer& operator=(const TPolyBezierLayer&) = delete;

    // Appends the curve, selects it, gives it the curve mode and fires OnChange;
    // the layer owns it from now on.
    TPolyBezier& Add(std::unique_ptr<TPolyBezier> curve);
    // Outside 0..Count() - 1 raises the index error "TPolyBezierLayer.GetPolyBeziers".
    TPolyBezier& GetPolyBeziers(int32_t index) const;
    // nullptr when no curve is selected.
    TPolyBezier* GetSelectedCurve() const;
    int32_t Count() const { return static_cast<int32_t>(curves_.size()); }
    int32_t Selected() const { return selected_; }
    // Frees every curve and forgets the selection; fires no change event.
    void Clear();

    uint8_t CurveMode() const { return curveMode_; }
    // Hands the mode to every curve (each fires its change event).
    void SetCurveMode(uint8_t mode);
    void SetOnChange(TNotifyEvent handler) { onChange_ = std::move(handler); }

    // Whether a layer of the view (as handed to mouse events) is this one.
    bool IsLayer(const TPositionedLayer* layer) const { return layer && layer == layer_; }
    // While locked the hit test claims every point: the drag keeps the mouse.
    void Lock() { locked_ = true; }
    void Unlock() { locked_ = false; }
    bool Locked() const { return locked_; }
    // With mouse events off the curves are still painted but never clicked.
    void DisableMouseEvents() { SetMouseEvents(false); }
    void EnableMouseEvents() { SetMouseEvents(true); }
    // Moves the positioned layer to another view.
    void SetImage(TImageView& image);
    TImageView* Image() const { return image_; }
    TPositionedLayer* Layer() const { return layer_; }
    // The bitmap's top-left corner in view pixels, as of the last paint or hit test.
    const TPoint& Origin() const { return origin_; }

private:
    void CreateLayer(TImageView& image);
    void SetMouseEvents(bool on);
    void LayerHitTest(int32_t x, int32_t y, bool& passed);
    void LayerPaint(TBitmap32& buffer);
    void CurveChanged();
    void RequestRepaint();
    // Updates Origin: the bitmap's corner in view pixels.
    void PlaceOnView();

    bool locked_ = false;
    std::vector<std::unique_ptr<TPolyBezier>> curves_;
    TImageView* image_ = nullptr;
    TPositionedLayer* layer_ = nullptr; // belongs to image_'s layer list
    uint8_t curveMode_ = 0;
    int32_t selected_ = -1;
    TPoint origin_;
    TNotifyEvent onChange_;
    bool mouseEvents_ = true;
    bool painting_ = false;
};
