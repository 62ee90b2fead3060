// The image view model: geometry and coordinate mapping at several scales and
// scroll offsets, repaint requests, painting order, and mouse routing to layers.
#include "gfx/ImageView.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

class TCountingHost : public TImageViewHost {
public:
    int Repaints = 0, Layouts = 0, Cursors = 0;
    void RepaintRequested() override { ++Repaints; }
    void LayoutChanged() override { ++Layouts; }
    void CursorChanged() override { ++Cursors; }
};

struct ImageViewTest : ::testing::Test {
    TBitmap32 bitmap{400, 300, clWhite32};
    TImageView view;
    TCountingHost host;
    void SetUp() override
    {
        view.SetHost(&host);
        view.SetViewportSize(200, 100);
        view.SetBitmap(&bitmap);
    }
};

} // namespace

// --- Geometry and mapping -----------------------------------------------------

TEST_F(ImageViewTest, LargeBitmapSitsAtTheCornerAndScrolls)
{
    EXPECT_EQ(view.GetBitmapRect(), Rect(0, 0, 400, 300));
    EXPECT_EQ(view.ScrollRange(), Point(200, 200));
    view.SetScrollPos(50, 30);
    EXPECT_EQ(view.GetBitmapRect(), Rect(-50, -30, 350, 270));
    EXPECT_EQ(view.ControlToBitmap({0, 0}), Point(50, 30));
    EXPECT_EQ(view.BitmapToControl({50, 30}), Point(0, 0));
}

TEST_F(ImageViewTest, ScrollIsClampedToTheRange)
{
    view.SetScrollPos(-5, 1000);
    EXPECT_EQ(view.ScrollPos(), Point(0, 200));
    view.Scroll(500, -50);
    EXPECT_EQ(view.ScrollPos(), Point(200, 150));
}

TEST_F(ImageViewTest, SmallBitmapIsCentredOrHeldAtTheCorner)
{
    view.SetViewportSize(501, 400);
    EXPECT_EQ(view.GetBitmapRect(), Rect(50, 50, 450, 350));
    EXPECT_EQ(view.ScrollRange(), Point(0, 0));
    EXPECT_EQ(view.ControlToBitmap({50, 50}), Point(0, 0));
    view.SetCentered(false);
    EXPECT_EQ(view.GetBitmapRect(), Rect(0, 0, 400, 300));
}

TEST_F(ImageViewTest, MappingAtSeveralScalesAndOffsets)
{
    view.SetScaleMode(TScaleMode::smScale);
    struct Case {
        float scale;
        TPoint scroll, control, bitmap;
    };
    const Case cases[] = {
        {2.0f, {0, 0}, {9, 9}, {4, 4}},        {2.0f, {100, 40}, {0, 0}, {50, 20}},
        {2.0f, {100, 40}, {1, 1}, {50, 20}},   {0.5f, {0, 0}, {199, 99}, {398, 198}},
        {4.0f, {300, 10}, {3, 3}, {75, 3}},    {1.5f, {30, 0}, {0, 0}, {20, 0}},
    };
    for (const Case& c : cases) {
        view.SetScale(c.scale);
        view.SetScrollPos(c.scroll.X, c.scroll.Y);
        const std::string where = "scale " + std::to_string(c.scale);
        EXPECT_EQ(view.ControlToBitmap(c.control), c.bitmap) << where;
        // A bitmap pixel's corner maps back into that pixel.
        EXPECT_EQ(view.ControlToBitmap(view.BitmapToControl(c.bitmap)), c.bitmap) << where;
    }
}

TEST_F(ImageViewTest, HalfScaleCentresTheSmallerPicture)
{
    view.SetScaleMode(TScaleMode::smScale);
    view.SetScale(0.5f);
    view.SetViewportSize(300, 200);
    EXPECT_EQ(view.GetBitmapRect(), Rect(50, 25, 250, 175));
    const TFloatPoint f = view.ControlToBitmapF(150, 100);
    EXPECT_DOUBLE_EQ(f.X, 200.0);
    EXPECT_DOUBLE_EQ(f.Y, 150.0);
}

TEST_F(ImageViewTest, PointsLeftOfTheBitmapMapToNegativePixels)
{
    view.SetViewportSize(600, 400);
    EXPECT_EQ(view.ControlToBitmap({99, 49}), Point(-1, -1));
}

TEST_F(ImageViewTest, FitModesKeepProportions)
{
    view.SetViewportSize(800, 800);
    view.SetScaleMode(TScaleMode::smOptimal);
    EXPECT_DOUBLE_EQ(view.EffectiveScale(), 1.0); // never enlarged
    view.SetScaleMode(TScaleMode::smFit);
    EXPECT_DOUBLE_EQ(view.EffectiveScale(), 2.0);
    EXPECT_EQ(view.GetBitmapRect(), Rect(0, 100, 800, 700));
    view.SetViewportSize(200, 300);
    view.SetScaleMode(TScaleMode::smOptimal);
    EXPECT_DOUBLE_EQ(view.EffectiveScale(), 0.5);
    EXPECT_EQ(view.GetBitmapRect(), Rect(0, 75, 200, 225));
}

TEST_F(ImageViewTest, RefusesSenselessScales)
{
    view.SetScale(0.0f);
    view.SetScale(-2.0f);
    view.SetScale(std::numeric_limits<float>::infinity());
    EXPECT_EQ(view.Scale(), 1.0f);
}

TEST_F(ImageViewTest, ScrollToCenterPutsTheBitmapPointInTheMiddle)
{
    view.ScrollToCenter(200, 150);
    EXPECT_EQ(view.ScrollPos(), Point(100, 100));
    EXPECT_EQ(view.ControlToBitmap({100, 50}), Point(200, 150));
}

TEST_F(ImageViewTest, NoPictureHasAnEmptyRectAtTheOrigin)
{
    view.SetBitmap(nullptr);
    EXPECT_EQ(view.GetBitmapRect(), TRect{});
    EXPECT_EQ(view.ScrollRange(), Point(0, 0));
    EXPECT_EQ(view.ControlToBitmap({7, 8}), Point(7, 8));
}

// --- Scroll events and repaint requests ------------------------------------------

TEST_F(ImageViewTest, OnScrollFiresOnlyWhenThePositionMoves)
{
    int scrolls = 0;
    view.OnScroll = [&](TImageView&) { ++scrolls; };
    view.SetScrollPos(10, 10);
    view.SetScrollPos(10, 10);
    view.SetScrollPos(-4, -4);
    view.SetScrollPos(-9, -9);
    EXPECT_EQ(scrolls, 2);
}

TEST_F(ImageViewTest, GrowingTheViewportPullsTheScrollBack)
{
    int scrolls = 0;
    view.SetScrollPos(200, 200);
    view.OnScroll = [&](TImageView&) { ++scrolls; };
    view.SetViewportSize(350, 250);
    EXPECT_EQ(view.ScrollPos(), Point(50, 50));
    EXPECT_EQ(scrolls, 1);
}

TEST_F(ImageViewTest, UpdatesHoldRepaintsBackUntilTheLastEnd)
{
    host.Repaints = 0;
    view.BeginUpdate();
    view.BeginUpdate();
    view.Changed();
    bitmap.Changed(); // the bitmap reports through its view
    view.EndUpdate();
    EXPECT_EQ(host.Repaints, 0);
    view.EndUpdate();
    EXPECT_EQ(host.Repaints, 1);
    view.EndUpdate(); // unbalanced: ignored
    EXPECT_EQ(view.UpdateCount(), 0);
    view.BeginUpdate();
    view.EndUpdate(); // nothing changed, nothing to repaint
    EXPECT_EQ(host.Repaints, 1);
}

TEST_F(ImageViewTest, ResizedBitmapChangesTheLayout)
{
    host.Layouts = 0;
    bitmap.SetSize(100, 50);
    bitmap.Changed();
    EXPECT_EQ(host.Layouts, 1);
    EXPECT_EQ(view.ScrollRange(), Point(0, 0));
}

TEST_F(ImageViewTest, BitmapResizedBehindTheViewsBackTakesEffectWhenTheViewIsToldOfIt)
{
    view.SetScrollPos(150, 150);
    int scrolls = 0;
    view.OnScroll = [&](TImageView&) { ++scrolls; };
    host.Layouts = 0;
    bitmap.SetSize(300, 150); // no change notice from the bitmap itself
    view.Changed();
    EXPECT_EQ(host.Layouts, 1);
    EXPECT_EQ(view.ScrollPos(), Point(100, 50));
    EXPECT_EQ(scrolls, 1);
    view.Changed(); // nothing moved since
    EXPECT_EQ(host.Layouts, 1);
    // Within an update the layout follows at once; only the repaint waits.
    view.BeginUpdate();
    host.Repaints = 0;
    bitmap.SetSize(250, 150);
    view.Changed();
    EXPECT_EQ(host.Layouts, 2);
    EXPECT_EQ(view.ScrollPos(), Point(50, 50));
    EXPECT_EQ(host.Repaints, 0);
    view.EndUpdate();
    EXPECT_EQ(host.Repaints, 1);
}

TEST_F(ImageViewTest, ReplacedBitmapIsLetGo)
{
    TBitmap32 other(10, 10);
    view.SetBitmap(&other);
    EXPECT_FALSE(bitmap.OnChange);
    EXPECT_TRUE(other.OnChange);
    {
        TImageView shortLived;
        shortLived.SetBitmap(&bitmap);
    }
    EXPECT_FALSE(bitmap.OnChange);
    view.SetBitmap(nullptr); // `other` goes before the view
    EXPECT_FALSE(other.OnChange);
}

TEST_F(ImageViewTest, CursorChangesReachTheHost)
{
    view.SetCursor(TCursorShape::crCross);
    view.SetCursor(TCursorShape::crCross);
    EXPECT_EQ(host.Cursors, 1);
    EXPECT_EQ(view.Cursor(), TCursorShape::crCross);
}

// --- Painting ----------------------------------------------------------------------

TEST_F(ImageViewTest, RenderDrawsBackgroundBitmapThenLayersInOrder)
{
    view.SetViewportSize(600, 400);
    view.SetBackground(clBlue32);
    std::vector<int> order;
    TPositionedLayer& a = view.AddLayer();
    TPositionedLayer& b = view.AddLayer();
    a.OnPaint = [&](TPositionedLayer&, TBitmap32& buf) { order.push_back(1); buf.SetPixelS(0, 0, clRed32); };
    b.OnPaint = [&](TPositionedLayer&, TBitmap32& buf) { order.push_back(2); buf.SetPixelS(0, 0, clGreen32); };
    const TBitmap32& out = view.Render();
    ASSERT_EQ(out.Width(), 600);
    EXPECT_EQ(out.Pixel(0, 0), clGreen32);
    EXPECT_EQ(out.Pixel(1, 1), clBlue32);
    EXPECT_EQ(out.Pixel(100, 50), clWhite32);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    b.SetVisible(false);
    EXPECT_EQ(view.Render().Pixel(0, 0), clRed32);
}

TEST_F(ImageViewTest, HalfTransparentBitmapBlendsOverTheBackground)
{
    bitmap.Clear(clBlack32);
    bitmap.DrawMode = TDrawMode::dmBlend;
    bitmap.MasterAlpha = 128;
    view.SetBackground(clWhite32);
    const TColor32 c = view.Render().Pixel(10, 10);
    EXPECT_EQ(c, BlendColor(clBlack32, clWhite32, 128));
    EXPECT_GT(RedComponent(c), 100);
    EXPECT_LT(RedComponent(c), 140);
}

TEST_F(ImageViewTest, ScaledBitmapIsStretched)
{
    TBitmap32 tiny(2, 2, clBlack32);
    tiny.Pixel(1, 1) = clRed32;
    view.SetBitmap(&tiny);
    view.SetScaleMode(TScaleMode::smScale);
    view.SetScale(10.0f);
    view.SetCentered(false);
    const TBitmap32& out = view.Render();
    EXPECT_EQ(out.Pixel(9, 9), clBlack32);
    EXPECT_EQ(out.Pixel(10, 10), clRed32);
    EXPECT_EQ(out.Pixel(19, 19), clRed32);
    EXPECT_EQ(out.Pixel(20, 20), view.Background());
    view.SetBitmap(nullptr); // `tiny` goes before the view
}

// --- Layers --------------------------------------------------------------------------

TEST_F(ImageViewTest, ScaledLayerFollowsScrollAndScale)
{
    TPositionedLayer& layer = view.AddLayer();
    layer.SetLocation({10, 20, 30, 40});
    EXPECT_EQ(layer.GetAdjustedLocation(), (TFloatRect{10, 20, 30, 40}));
    layer.SetScaled(true);
    view.SetScaleMode(TScaleMode::smScale);
    view.SetScale(2.0f);
    view.SetScrollPos(15, 5);
    EXPECT_EQ(layer.GetAdjustedLocation(), (TFloatRect{5, 35, 45, 75}));
    EXPECT_TRUE(layer.HitTest(5, 35));
    EXPECT_FALSE(layer.HitTest(45, 35));
}

TEST_F(ImageViewTest, LayerHitTestHandlerOverrules)
{
    TPositionedLayer& layer = view.AddLayer();
    layer.SetLocation({0, 0, 10, 10});
    layer.OnHitTest = [](TPositionedLayer&, int32_t x, int32_t, bool& passed) { passed = x > 100; };
    EXPECT_FALSE(layer.HitTest(5, 5));
    EXPECT_TRUE(layer.HitTest(150, 5));
}

TEST_F(ImageViewTest, TopmostLayerTakesTheMouseAndHidesOthers)
{
    TPositionedLayer& bottom = view.AddLayer();
    TPositionedLayer& top = view.AddLayer();
    bottom.SetLocation({0, 0, 100, 100});
    top.SetLocation({50, 50, 150, 150});
    EXPECT_EQ(view.FindLayerAt(60, 60), &top);
    EXPECT_EQ(view.FindLayerAt(10, 10), &bottom);
    top.SetMouseEvents(false);
    EXPECT_EQ(view.FindLayerAt(60, 60), &bottom);
    bottom.SetVisible(false);
    EXPECT_EQ(view.FindLayerAt(60, 60), nullptr);
}

TEST_F(ImageViewTest, MouseGoesToTheLayerThenTheViewWithTheLayer)
{
    TPositionedLayer& layer = view.AddLayer();
    layer.SetLocation({0, 0, 50, 50});
    std::vector<std::string> log;
    layer.OnMouseDown = [&](TPositionedLayer&, TMouseButton, TShiftState, int32_t x, int32_t y) {
        log.push_back("layer down " + std::to_string(x) + "," + std::to_string(y));
    };
    view.OnMouseDown = [&](TImageView&, TMouseButton b, TShiftState s, int32_t, int32_t, TPositionedLayer* l) {
        log.push_back(std::string("view down ") + (l == &layer ? "on layer" : "on nothing") +
                      (b == TMouseButton::mbRight ? " right" : "") + (s & ssShift ? " shift" : ""));
    };
    view.MouseDown(TMouseButton::mbRight, ssShift, 10, 20);
    view.MouseUp(TMouseButton::mbRight, 0, 10, 20);
    view.MouseDown(TMouseButton::mbLeft, 0, 70, 20);
    EXPECT_EQ(log, (std::vector<std::string>{"layer down 10,20", "view down on layer right shift",
                                             "view down on nothing"}));
    EXPECT_EQ(view.LastMousePos(), Point(70, 20));
}

TEST_F(ImageViewTest, PressCapturesTheLayerUntilRelease)
{
    TPositionedLayer& layer = view.AddLayer();
    layer.SetLocation({0, 0, 50, 50});
    int hitTests = 0, moves = 0;
    layer.OnHitTest = [&](TPositionedLayer&, int32_t, int32_t, bool&) { ++hitTests; };
    layer.OnMouseMove = [&](TPositionedLayer&, TShiftState, int32_t, int32_t) { ++moves; };
    TPositionedLayer* seen = nullptr;
    view.OnMouseMove = [&](TImageView&, TShiftState, int32_t, int32_t, TPositionedLayer* l) { seen = l; };

    view.MouseDown(TMouseButton::mbLeft, ssLeft, 10, 10);
    EXPECT_EQ(view.MouseCapture(), &layer);
    view.MouseMove(ssLeft, 300, 300); // far outside, still the layer's
    EXPECT_EQ(seen, &layer);
    EXPECT_EQ(hitTests, 1);
    view.MouseUp(TMouseButton::mbLeft, 0, 300, 300);
    EXPECT_EQ(view.MouseCapture(), nullptr);
    view.MouseMove(0, 300, 300);
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(hitTests, 2);
    EXPECT_EQ(moves, 1);
}

TEST_F(ImageViewTest, LayerMouseEventsSwitchOffRouting)
{
    TPositionedLayer& layer = view.AddLayer();
    layer.SetLocation({0, 0, 50, 50});
    TPositionedLayer* seen = &layer;
    view.OnMouseDown = [&](TImageView&, TMouseButton, TShiftState, int32_t, int32_t, TPositionedLayer* l) { seen = l; };
    view.SetLayerMouseEvents(false);
    view.MouseDown(TMouseButton::mbLeft, 0, 10, 10);
    EXPECT_EQ(seen, nullptr);
}

TEST_F(ImageViewTest, LayerThatLeavesDuringItsHandlerIsNotHandedOn)
{
    TImageView other;
    TPositionedLayer& layer = view.AddLayer();
    layer.SetLocation({0, 0, 50, 50});
    layer.OnMouseDown = [&](TPositionedLayer& l, TMouseButton, TShiftState, int32_t, int32_t) { l.MoveTo(other); };
    TPositionedLayer* seen = reinterpret_cast<TPositionedLayer*>(1);
    view.OnMouseDown = [&](TImageView&, TMouseButton, TShiftState, int32_t, int32_t, TPositionedLayer* l) { seen = l; };
    view.MouseDown(TMouseButton::mbLeft, 0, 10, 10);
    EXPECT_EQ(seen, nullptr);
    EXPECT_EQ(view.LayerCount(), 0);
    EXPECT_EQ(view.MouseCapture(), nullptr);
    view.MouseUp(TMouseButton::mbLeft, 0, 10, 10); // nothing captured, nothing left to call
}

TEST_F(ImageViewTest, ClearingAnnouncesEveryLayersEnd)
{
    int gone = 0;
    for (int i = 0; i < 3; ++i) view.AddLayer().OnDestroying = [&](TPositionedLayer&) { ++gone; };
    view.ClearLayers();
    EXPECT_EQ(gone, 3);
    EXPECT_EQ(view.LayerCount(), 0);
}

TEST_F(ImageViewTest, LayerMovesToTheTopOfAnotherView)
{
    TImageView other;
    other.AddLayer();
    TPositionedLayer& layer = view.AddLayer();
    view.AddLayer();
    layer.MoveTo(other);
    EXPECT_EQ(view.LayerCount(), 1);
    EXPECT_EQ(other.LayerCount(), 2);
    EXPECT_EQ(&layer.View(), &other);
    EXPECT_EQ(layer.Index(), 1);
}

TEST_F(ImageViewTest, WheelAndKeysReachTheirHandlers)
{
    std::vector<std::string> log;
    view.OnMouseWheelDown = [&](TImageView&, TShiftState, TPoint, bool& handled) {
        log.push_back("down");
        handled = true;
    };
    view.OnMouseWheelUp = [&](TImageView&, TShiftState, TPoint, bool&) { log.push_back("up"); };
    view.OnKeyDown = [&](TImageView&, int& key, TShiftState) {
        log.push_back("key " + std::to_string(key));
        key = 0;
    };
    EXPECT_TRUE(view.MouseWheel(-120, 0, {1, 1}));
    EXPECT_FALSE(view.MouseWheel(120, 0, {1, 1}));
    int key = VirtualKey::vkShift;
    view.KeyDown(key, ssShift);
    EXPECT_EQ(key, 0);
    int up = VirtualKey::vkShift;
    view.KeyUp(up, 0); // no handler: nothing happens
    EXPECT_EQ(log, (std::vector<std::string>{"down", "up", "key 16"}));
}
