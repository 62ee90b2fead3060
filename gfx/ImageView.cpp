#include "gfx/ImageView.h"

#include "gfx/Rounding.h"

#include <algorithm>
#include <cmath>

TImageView::~TImageView()
{
    UnhookBitmap();
    capture_ = nullptr;
    // Layers announce their end while the view is still whole.
    while (!layers_.empty()) layers_.pop_back();
}

// --- Bitmap and geometry ---------------------------------------------------

void TImageView::SetBitmap(TBitmap32* bitmap)
{
    if (bitmap == bitmap_) return;
    UnhookBitmap();
    bitmap_ = bitmap;
    HookBitmap();
    GeometryChanged();
}

void TImageView::HookBitmap()
{
    if (!bitmap_) return;
    bitmapWidth_ = bitmap_->Width();
    bitmapHeight_ = bitmap_->Height();
    bitmap_->OnChange = [this] { Changed(); };
}

void TImageView::UnhookBitmap()
{
    if (bitmap_) bitmap_->OnChange = nullptr;
}

bool TImageView::NoticeBitmapResize()
{
    if (!bitmap_ || (bitmap_->Width() == bitmapWidth_ && bitmap_->Height() == bitmapHeight_)) return false;
    bitmapWidth_ = bitmap_->Width();
    bitmapHeight_ = bitmap_->Height();
    return true;
}

void TImageView::SetViewportSize(int32_t width, int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == viewportWidth_ && height == viewportHeight_) return;
    viewportWidth_ = width;
    viewportHeight_ = height;
    GeometryChanged();
}

void TImageView::SetScaleMode(TScaleMode mode)
{
    if (mode == scaleMode_) return;
    scaleMode_ = mode;
    GeometryChanged();
}

void TImageView::SetScale(float scale)
{
    if (!(scale > 0.0f) || !std::isfinite(scale) || scale == scale_) return;
    scale_ = scale;
    GeometryChanged();
}

double TImageView::EffectiveScale() const
{
    switch (scaleMode_) {
    case TScaleMode::smNormal: return 1.0;
    case TScaleMode::smScale: return scale_;
    case TScaleMode::smOptimal:
    case TScaleMode::smFit: break;
    }
    if (!bitmap_ || bitmap_->Empty() || viewportWidth_ <= 0 || viewportHeight_ <= 0) return 1.0;
    const double fit = std::min(double(viewportWidth_) / bitmap_->Width(), double(viewportHeight_) / bitmap_->Height());
    return scaleMode_ == TScaleMode::smOptimal ? std::min(fit, 1.0) : fit;
}

void TImageView::SetCentered(bool centered)
{
    if (centered == centered_) return;
    centered_ = centered;
    GeometryChanged();
}

void TImageView::SetBackground(TColor32 color)
{
    if (color == background_) return;
    background_ = color;
    Changed();
}

TRect TImageView::GetBitmapRect() const
{
    if (!bitmap_ || bitmap_->Empty()) return {};
    const double s = EffectiveScale();
    const int32_t w = Round(bitmap_->Width() * s);
    const int32_t h = Round(bitmap_->Height() * s);
    // A picture that fits is centred (or held at the corner); one that does
    // not is moved by the scroll position.
    const int32_t left = w <= viewportWidth_ ? (centered_ ? (viewportWidth_ - w) / 2 : 0) : -scroll_.X;
    const int32_t top = h <= viewportHeight_ ? (centered_ ? (viewportHeight_ - h) / 2 : 0) : -scroll_.Y;
    return {left, top, left + w, top + h};
}

// --- Scrolling ---------------------------------------------------------------

TPoint TImageView::ScrollRange() const
{
    if (!bitmap_ || bitmap_->Empty()) return {};
    const double s = EffectiveScale();
    return {std::max(Round(bitmap_->Width() * s) - viewportWidth_, 0),
            std::max(Round(bitmap_->Height() * s) - viewportHeight_, 0)};
}

void TImageView::SetScrollPos(int32_t x, int32_t y)
{
    const TPoint range = ScrollRange();
    const TPoint clamped{std::clamp(x, 0, range.X), std::clamp(y, 0, range.Y)};
    if (clamped == scroll_) return;
    scroll_ = clamped;
    if (host_) host_->LayoutChanged();
    Changed();
    if (OnScroll) OnScroll(*this);
}

void TImageView::ScrollToCenter(double bitmapX, double bitmapY)
{
    const double s = EffectiveScale();
    SetScrollPos(Round(bitmapX * s - viewportWidth_ / 2), Round(bitmapY * s - viewportHeight_ / 2));
}

void TImageView::GeometryChanged()
{
    const TPoint range = ScrollRange();
    const TPoint clamped{std::min(scroll_.X, range.X), std::min(scroll_.Y, range.Y)};
    const bool moved = !(clamped == scroll_);
    scroll_ = clamped;
    if (host_) host_->LayoutChanged();
    Changed();
    if (moved && OnScroll) OnScroll(*this);
}

// --- Coordinate mapping ------------------------------------------------------

TFloatPoint TImageView::ControlToBitmapF(double x, double y) const
{
    const TRect r = GetBitmapRect();
    const double s = EffectiveScale();
    return {(x - r.Left) / s, (y - r.Top) / s};
}

TPoint TImageView::ControlToBitmap(const TPoint& p) const
{
    const TFloatPoint f = ControlToBitmapF(p.X, p.Y);
    return {Trunc(std::floor(f.X)), Trunc(std::floor(f.Y))};
}

TFloatPoint TImageView::BitmapToControlF(double x, double y) const
{
    const TRect r = GetBitmapRect();
    const double s = EffectiveScale();
    return {x * s + r.Left, y * s + r.Top};
}

TPoint TImageView::BitmapToControl(const TPoint& p) const
{
    const TFloatPoint f = BitmapToControlF(p.X, p.Y);
    return {Trunc(std::floor(f.X)), Trunc(std::floor(f.Y))};
}

// --- Layers ------------------------------------------------------------------

TPositionedLayer& TImageView::AddLayer()
{
    layers_.push_back(std::make_unique<TPositionedLayer>(*this));
    Changed();
    return *layers_.back();
}

int TImageView::IndexOfLayer(const TPositionedLayer* layer) const
{
    for (size_t i = 0; i < layers_.size(); ++i)
        if (layers_[i].get() == layer) return static_cast<int>(i);
    return -1;
}

std::unique_ptr<TPositionedLayer> TImageView::TakeLayer(TPositionedLayer& layer)
{
    const int index = IndexOfLayer(&layer);
    if (index < 0) return nullptr;
    if (capture_ == &layer) capture_ = nullptr;
    std::unique_ptr<TPositionedLayer> taken = std::move(layers_[static_cast<size_t>(index)]);
    layers_.erase(layers_.begin() + index);
    return taken;
}

void TImageView::InsertLayer(std::unique_ptr<TPositionedLayer> layer)
{
    if (!layer) return;
    layer->view_ = this;
    layers_.push_back(std::move(layer));
}

void TImageView::DeleteLayer(TPositionedLayer& layer)
{
    std::unique_ptr<TPositionedLayer> taken = TakeLayer(layer);
    if (!taken) return;
    taken.reset();
    Changed();
}

void TImageView::ClearLayers()
{
    capture_ = nullptr;
    // Take the list first: a layer's OnDestroying must not see a half-cleared one.
    std::vector<std::unique_ptr<TPositionedLayer>> old = std::move(layers_);
    layers_.clear();
    old.clear();
    Changed();
}

TPositionedLayer* TImageView::FindLayerAt(int32_t x, int32_t y)
{
    for (size_t i = layers_.size(); i-- > 0;) {
        TPositionedLayer& layer = *layers_[i];
        if (layer.Visible() && layer.MouseEvents() && layer.HitTest(x, y)) return &layer;
    }
    return nullptr;
}

TPositionedLayer* TImageView::LayerForMouse(int32_t x, int32_t y)
{
    if (!layerMouseEvents_) return nullptr;
    if (capture_) return capture_;
    return FindLayerAt(x, y);
}

// --- Updates and painting ----------------------------------------------------

void TImageView::EndUpdate()
{
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0 && repaintPending_) Changed();
}

void TImageView::Changed()
{
    // A bitmap resized without a word (SetSize tells no one) is noticed when
    // whoever resized it tells the view, as after drawing.
    if (NoticeBitmapResize()) {
        GeometryChanged(); // which comes back here for the repaint
        return;
    }
    if (updateCount_ > 0) {
        repaintPending_ = true;
        return;
    }
    repaintPending_ = false;
    if (host_) host_->RepaintRequested();
}

void TImageView::PaintBitmap()
{
    if (!bitmap_ || bitmap_->Empty()) return;
    const TRect r = GetBitmapRect();
    if (r.Width() == bitmap_->Width() && r.Height() == bitmap_->Height())
        buffer_.Draw(r.Left, r.Top, *bitmap_);
    else
        buffer_.Draw(r, bitmap_->BoundsRect(), *bitmap_);
}

const TBitmap32& TImageView::Render()
{
    buffer_.SetSize(viewportWidth_, viewportHeight_);
    buffer_.Clear(background_);
    PaintBitmap();
    // Index loop: a paint handler may not add layers, but must not crash us if it does.
    for (size_t i = 0; i < layers_.size(); ++i) {
        TPositionedLayer& layer = *layers_[i];
        if (layer.Visible() && layer.OnPaint) layer.OnPaint(layer, buffer_);
    }
    return buffer_;
}

void TImageView::SetCursor(TCursorShape cursor)
{
    if (cursor == cursor_) return;
    cursor_ = cursor;
    if (host_) host_->CursorChanged();
}

// --- Input -------------------------------------------------------------------

void TImageView::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    lastMouse_ = {x, y};
    TPositionedLayer* layer = LayerForMouse(x, y);
    capture_ = layer;
    if (layer && layer->OnMouseDown) layer->OnMouseDown(*layer, button, shift, x, y);
    // The layer's handler may have removed it; never hand on a dead layer.
    if (!Contains(layer)) layer = nullptr;
    if (OnMouseDown) OnMouseDown(*this, button, shift, x, y, layer);
}

void TImageView::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    lastMouse_ = {x, y};
    TPositionedLayer* layer = LayerForMouse(x, y);
    if (layer && layer->OnMouseMove) layer->OnMouseMove(*layer, shift, x, y);
    if (!Contains(layer)) layer = nullptr;
    if (OnMouseMove) OnMouseMove(*this, shift, x, y, layer);
}

void TImageView::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    lastMouse_ = {x, y};
    TPositionedLayer* layer = LayerForMouse(x, y);
    capture_ = nullptr;
    if (layer && layer->OnMouseUp) layer->OnMouseUp(*layer, button, shift, x, y);
    if (!Contains(layer)) layer = nullptr;
    if (OnMouseUp) OnMouseUp(*this, button, shift, x, y, layer);
}

bool TImageView::MouseWheel(int delta, TShiftState shift, const TPoint& mousePos)
{
    bool handled = false;
    const TWheelEvent& handler = delta < 0 ? OnMouseWheelDown : OnMouseWheelUp;
    if (delta != 0 && handler) handler(*this, shift, mousePos, handled);
    return handled;
}

void TImageView::KeyDown(int& key, TShiftState shift)
{
    if (OnKeyDown) OnKeyDown(*this, key, shift);
}

void TImageView::KeyUp(int& key, TShiftState shift)
{
    if (OnKeyUp) OnKeyUp(*this, key, shift);
}
