#include "gfx/ImageViewLayer.h"

#include "gfx/ImageView.h"

TPositionedLayer::~TPositionedLayer()
{
    if (OnDestroying) OnDestroying(*this);
}

void TPositionedLayer::MoveTo(TImageView& view)
{
    if (&view == view_) return;
    TImageView& old = *view_;
    view.InsertLayer(old.TakeLayer(*this));
    old.Changed();
    view.Changed();
}

int TPositionedLayer::Index() const { return view_->IndexOfLayer(this); }

void TPositionedLayer::SetLocation(const TFloatRect& location)
{
    if (location == location_) return;
    location_ = location;
    Changed();
}

void TPositionedLayer::SetScaled(bool scaled)
{
    if (scaled == scaled_) return;
    scaled_ = scaled;
    Changed();
}

void TPositionedLayer::SetVisible(bool visible)
{
    if (visible == visible_) return;
    visible_ = visible;
    Changed();
}

TFloatRect TPositionedLayer::GetAdjustedLocation() const
{
    if (!scaled_) return location_;
    const double s = view_->EffectiveScale();
    const TRect b = view_->GetBitmapRect();
    return {location_.Left * s + b.Left, location_.Top * s + b.Top, location_.Right * s + b.Left,
            location_.Bottom * s + b.Top};
}

bool TPositionedLayer::HitTest(int32_t x, int32_t y)
{
    const TFloatRect r = GetAdjustedLocation();
    bool passed = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
    if (OnHitTest) OnHitTest(*this, x, y, passed);
    return passed;
}

void TPositionedLayer::Changed() { view_->Changed(); }
