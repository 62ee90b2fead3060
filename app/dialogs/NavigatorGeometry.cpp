#include "app/dialogs/NavigatorGeometry.h"

#include "gfx/ImageView.h"
#include "gfx/Rounding.h"

#include <algorithm>

TNavigatorGeometry NavigatorGeometry(int32_t overviewWidth, int32_t overviewHeight, int32_t resultWidth,
                                     int32_t resultHeight)
{
    TNavigatorGeometry g;
    g.SourceRect = {0, 0, resultWidth, resultHeight};
    if (resultWidth <= 0 || resultHeight <= 0 || overviewWidth <= 0 || overviewHeight <= 0) return g;
    // The quotients are taken in double and stored once in single precision.
    g.Scale = static_cast<float>(std::min(double(overviewHeight) / resultHeight, double(overviewWidth) / resultWidth));
    g.ScaledWidth = Round(double(resultWidth) * g.Scale);
    g.ScaledHeight = Round(double(resultHeight) * g.Scale);
    g.OffsetX = (overviewWidth - g.ScaledWidth) / 2;
    g.OffsetY = (overviewHeight - g.ScaledHeight) / 2;
    g.DestRect = {g.OffsetX, g.OffsetY, g.OffsetX + g.ScaledWidth, g.OffsetY + g.ScaledHeight};
    return g;
}

TRect NavigatorViewRect(const TNavigatorGeometry& geometry, const TImageView* dest, TPoint dragOffset)
{
    if (!dest) return {};
    const TRect viewport = dest->GetViewportRect();
    const TPoint b1 = dest->ControlToBitmap({viewport.Left, viewport.Top});
    const TPoint b2 = dest->ControlToBitmap({viewport.Right, viewport.Bottom});
    const double s = geometry.Scale;
    return {Round(b1.X * s) + geometry.OffsetX + dragOffset.X, Round(b1.Y * s) + geometry.OffsetY + dragOffset.Y,
            Round(b2.X * s) + geometry.OffsetX + dragOffset.X, Round(b2.Y * s) + geometry.OffsetY + dragOffset.Y};
}

bool NavigatorHit(const TRect& viewRect, int32_t x, int32_t y)
{
    return viewRect.Left <= x && x <= viewRect.Right && viewRect.Top <= y && y <= viewRect.Bottom;
}

std::optional<TPoint> NavigatorDragScroll(float scale, TPoint down, TPoint up)
{
    if (!(scale > 0)) return std::nullopt;
    return TPoint{Round((up.X - down.X) / double(scale)), Round((up.Y - down.Y) / double(scale))};
}
