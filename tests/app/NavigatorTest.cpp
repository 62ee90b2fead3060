// The navigator: the overview's fit and background, the view rectangle over
// the destination view, and a drag of the rectangle scrolling that view.
#include "app/dialogs/Navigator.h"

#include "controls/ImageViewWidget.h"
#include "gfx/ImageView.h"

#include <gtest/gtest.h>

#include <QTimer>

namespace {

// The main window's destination view: a result of the given size shown in a
// 400 x 300 viewport at scale 1.
struct TDestination {
    TBitmap32 result;
    TImageView view;
    TDestination(int w, int h, TColor32 fill = 0xFF202020u) : result(w, h, fill)
    {
        view.SetBitmap(&result);
        view.SetViewportSize(400, 300);
    }
    ~TDestination() { view.SetBitmap(nullptr); }
};

// A navigator whose overview bitmap (the whole window, frame included) is
// exactly 261 x 251.
struct TShownNavigator {
    TFNavigator navigator;
    TShownNavigator(TImageView* dest)
    {
        navigator.SetDestView(dest);
        navigator.show();
        const QSize frame = navigator.frameGeometry().size() - navigator.size();
        navigator.resize(QSize(261, 251) - frame);
        navigator.UpdateView();
    }
};

} // namespace

TEST(NavigatorGeometry, FitsTheResultIntoTheOverviewCentred)
{
    struct Case {
        int ow, oh, w, h;
        float scale;
        TRect dest;
    };
    const Case cases[] = {
        // Wider than the overview: full width, centred vertically.
        {261, 251, 1000, 500, 0.261f, {0, 60, 261, 191}},
        // Taller: full height, centred horizontally; 0.251 in single
        // precision lies just below 0.251, so 500 * 0.251 rounds down to 125.
        {261, 251, 500, 1000, 0.251f, {68, 0, 193, 251}},
        // Smaller results are enlarged.
        {200, 100, 50, 50, 2.0f, {50, 0, 150, 100}},
    };
    for (const Case& c : cases) {
        const TNavigatorGeometry g = NavigatorGeometry(c.ow, c.oh, c.w, c.h);
        EXPECT_FLOAT_EQ(g.Scale, c.scale) << c.w << "x" << c.h;
        EXPECT_EQ(g.DestRect, c.dest) << c.w << "x" << c.h;
        EXPECT_EQ(g.SourceRect, (TRect{0, 0, c.w, c.h}));
    }
    const TNavigatorGeometry g = NavigatorGeometry(261, 251, 1000, 500);
    EXPECT_EQ(g.ScaledWidth, 261);
    EXPECT_EQ(g.ScaledHeight, 131);
    EXPECT_EQ(g.OffsetX, 0);
    EXPECT_EQ(g.OffsetY, 60);
}

TEST(NavigatorGeometry, EmptyResultOrOverviewHasNoScale)
{
    for (const auto& [ow, oh, w, h] : {std::array{261, 251, 0, 500}, std::array{261, 251, 500, 0},
                                       std::array{0, 251, 1000, 500}, std::array{261, 0, 1000, 500}}) {
        const TNavigatorGeometry g = NavigatorGeometry(ow, oh, w, h);
        EXPECT_EQ(g.Scale, 0.0f);
        EXPECT_TRUE(g.DestRect.IsEmpty());
    }
}

TEST(NavigatorGeometry, ViewRectFollowsTheDestinationScroll)
{
    TDestination dest(1000, 500);
    const TNavigatorGeometry g = NavigatorGeometry(261, 251, 1000, 500);
    // Viewport (0, 0)-(400, 300) on the bitmap: 400 * 0.261 = 104.4, 300 * 0.261 = 78.3.
    EXPECT_EQ(NavigatorViewRect(g, &dest.view), (TRect{0, 60, 104, 138}));
    // Scrolled to (100, 50): (26.1, 13.05) to (130.5 and a little, 91.35).
    dest.view.SetScrollPos(100, 50);
    EXPECT_EQ(NavigatorViewRect(g, &dest.view), (TRect{26, 73, 131, 151}));
    EXPECT_EQ(NavigatorViewRect(g, &dest.view, {5, -3}), (TRect{31, 70, 136, 148}));
    EXPECT_EQ(NavigatorViewRect(g, nullptr, {5, -3}), TRect{});
}

TEST(NavigatorGeometry, HitIncludesTheFrameLine)
{
    const TRect r{10, 20, 30, 40};
    for (const auto& [x, y, inside] : {std::tuple{10, 20, true}, std::tuple{30, 40, true}, std::tuple{20, 30, true},
                                       std::tuple{9, 30, false}, std::tuple{31, 30, false},
                                       std::tuple{20, 19, false}, std::tuple{20, 41, false}})
        EXPECT_EQ(NavigatorHit(r, x, y), inside) << x << "," << y;
}

TEST(NavigatorGeometry, DragScrollsByTheDistanceInResultPixels)
{
    // 26 / 0.261 = 99.6.
    EXPECT_EQ(NavigatorDragScroll(0.261f, {50, 100}, {76, 100}), (TPoint{100, 0}));
    EXPECT_EQ(NavigatorDragScroll(0.5f, {50, 100}, {40, 90}), (TPoint{-20, -20}));
    // Halves go to the even neighbour: 5 / 2 = 2.5 -> 2, 7 / 2 = 3.5 -> 4.
    EXPECT_EQ(NavigatorDragScroll(2.0f, {0, 0}, {5, 7}), (TPoint{2, 4}));
    EXPECT_FALSE(NavigatorDragScroll(0.0f, {0, 0}, {26, 0}));
    EXPECT_FALSE(NavigatorDragScroll(-1.0f, {0, 0}, {26, 0}));
}

TEST(Navigator, DrawsTheReducedResultOnTheBackground)
{
    TDestination dest(1000, 500, 0xFF123456u);
    TShownNavigator shown(&dest.view);
    const TFNavigator& nav = shown.navigator;
    ASSERT_EQ(nav.Overview().Width(), 261);
    ASSERT_EQ(nav.Overview().Height(), 251);
    EXPECT_FLOAT_EQ(nav.Geometry().Scale, 0.261f);
    EXPECT_EQ(nav.Geometry().OffsetY, 60);
    EXPECT_EQ(nav.Overview().Pixel(0, 0), 0xFFE0F4F4u);
    EXPECT_EQ(nav.Overview().Pixel(130, 59), 0xFFE0F4F4u);
    EXPECT_EQ(nav.Overview().Pixel(130, 60), 0xFF123456u);
    EXPECT_EQ(nav.Overview().Pixel(260, 190), 0xFF123456u);
    EXPECT_EQ(nav.Overview().Pixel(130, 191), 0xFFE0F4F4u);
}

TEST(Navigator, PaintsTheRedRectangleOverTheVisiblePart)
{
    TDestination dest(1000, 500);
    TShownNavigator shown(&dest.view);
    EXPECT_EQ(shown.navigator.GetViewRect(), (TRect{0, 60, 104, 138}));
    const TBitmap32& buffer = shown.navigator.ImgView().View().Render();
    for (const auto& [x, y] : {std::pair{0, 60}, std::pair{104, 60}, std::pair{104, 138}, std::pair{0, 138},
                               std::pair{50, 60}, std::pair{104, 100}, std::pair{50, 138}, std::pair{0, 100}})
        EXPECT_EQ(buffer.Pixel(x, y), 0xFFFF0000u) << x << "," << y;
    EXPECT_EQ(buffer.Pixel(50, 100), 0xFF202020u);
    EXPECT_EQ(buffer.Pixel(105, 100), 0xFF202020u);
    EXPECT_EQ(buffer.Pixel(50, 59), 0xFFE0F4F4u);
}

// A shown navigator over a 1000 x 500 result, with its view's input at hand.
class NavigatorOverAWideResult : public testing::Test {
protected:
    TDestination dest{1000, 500};
    TShownNavigator shown{&dest.view};
    TFNavigator& nav = shown.navigator;
    TImageView& view = nav.ImgView().View();
};

TEST_F(NavigatorOverAWideResult, DragScrollsTheDestinationOnRelease)
{
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 50, 100);
    EXPECT_TRUE(nav.Dragging());
    EXPECT_FALSE(nav.Timer().isActive());
    view.MouseMove(ssLeft, 76, 100);
    // The rectangle moves with the mouse; the destination has not scrolled yet.
    EXPECT_EQ(nav.GetViewRect(), (TRect{26, 60, 130, 138}));
    EXPECT_EQ(dest.view.ScrollPos(), (TPoint{0, 0}));
    view.MouseUp(TMouseButton::mbLeft, 0, 76, 100);
    EXPECT_FALSE(nav.Dragging());
    EXPECT_TRUE(nav.Timer().isActive());
    EXPECT_EQ(dest.view.ScrollPos(), (TPoint{100, 0}));
    // The rectangle now stands where the view went: 100 * 0.261 = 26.1 and
    // 500 * 0.261 = 130.5 and a little (0.261 in single precision lies above 0.261).
    EXPECT_EQ(nav.GetViewRect(), (TRect{26, 60, 131, 138}));
}

TEST_F(NavigatorOverAWideResult, PressOnTheFrameStartsADragAndOutsideDoesNothing)
{
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 150, 100);
    EXPECT_FALSE(nav.Dragging());
    view.MouseUp(TMouseButton::mbLeft, 0, 200, 100);
    EXPECT_TRUE(nav.Timer().isActive());
    EXPECT_EQ(dest.view.ScrollPos(), (TPoint{0, 0}));

    view.MouseDown(TMouseButton::mbLeft, ssLeft, 104, 138);
    EXPECT_TRUE(nav.Dragging());
    view.MouseUp(TMouseButton::mbLeft, 0, 104, 138);
    EXPECT_EQ(dest.view.ScrollPos(), (TPoint{0, 0}));
}

TEST_F(NavigatorOverAWideResult, HidingTheWindowEndsADragWithoutScrolling)
{
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 50, 100);
    view.MouseMove(ssLeft, 76, 100);
    ASSERT_FALSE(nav.Timer().isActive());
    nav.hide(); // a picture is loaded while the mouse is still down
    EXPECT_FALSE(nav.Dragging());
    EXPECT_TRUE(nav.Timer().isActive());
    view.MouseUp(TMouseButton::mbLeft, 0, 76, 100);
    EXPECT_EQ(dest.view.ScrollPos(), (TPoint{0, 0}));

    nav.show();
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 50, 100);
    nav.SetDestView(nullptr); // the main window's views go
    EXPECT_FALSE(nav.Dragging());
    EXPECT_TRUE(nav.Timer().isActive());
}

TEST(Navigator, WithoutAScaleADragScrollsNothing)
{
    // Never shown, so never measured: the scale is still 0 and the rectangle
    // collapses onto the corner.
    TDestination dest(1000, 500);
    TFNavigator nav;
    nav.SetDestView(&dest.view);
    ASSERT_EQ(nav.Geometry().Scale, 0.0f);
    TImageView& view = nav.ImgView().View();
    view.SetViewportSize(261, 251);
    nav.ImgView().View().Layer(0).SetLocation({0, 0, 261, 251});
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 0, 0);
    ASSERT_TRUE(nav.Dragging());
    view.MouseUp(TMouseButton::mbLeft, 0, 26, 0);
    EXPECT_EQ(dest.view.ScrollPos(), (TPoint{0, 0}));
}

TEST(Navigator, WithoutDestinationOrDocumentTheOverviewStays)
{
    TFNavigator nav;
    nav.resize(261, 251);
    nav.show();
    EXPECT_EQ(nav.GetViewRect(), TRect{});
    TImageView& view = nav.ImgView().View();
    view.MouseDown(TMouseButton::mbLeft, ssLeft, 0, 0);
    EXPECT_FALSE(nav.Dragging());
    // Nothing but the background is painted: no rectangle.
    const TBitmap32& buffer = view.Render();
    EXPECT_EQ(buffer.Pixel(0, 0), 0xFFE0F4F4u);

    TDestination dest(1000, 500);
    nav.SetDestView(&dest.view);
    nav.HasDocument = [] { return false; };
    nav.UpdateView();
    EXPECT_EQ(nav.Geometry().Scale, 0.0f);
    EXPECT_EQ(nav.Overview().Pixel(130, 125), 0xFFE0F4F4u);
    EXPECT_TRUE(nav.Timer().isActive());
    EXPECT_EQ(nav.Timer().interval(), 1000);
}

TEST(Navigator, HiddenWindowIsNotRedrawn)
{
    TDestination dest(1000, 500, 0xFF123456u);
    TFNavigator nav;
    nav.resize(261, 251);
    nav.SetDestView(&dest.view);
    nav.UpdateView();
    EXPECT_EQ(nav.Geometry().Scale, 0.0f);
    EXPECT_NE(nav.Overview().PixelS(130, 125), 0xFF123456u);
    nav.show();
    EXPECT_EQ(nav.Overview().Pixel(130, 125), 0xFF123456u);
}

TEST_F(NavigatorOverAWideResult, AGrownWindowTakesPressesEverywhere)
{
    dest.view.SetViewportSize(900, 450);
    nav.resize(600, 500);
    const QSize client = nav.ImgView().viewport()->size();
    EXPECT_EQ(view.Layer(0).Location(), (TFloatRect{0, 0, double(client.width()), double(client.height())}));
    // The overview grew with the window, and so did the rectangle.
    const TRect r = nav.GetViewRect();
    ASSERT_GT(r.Right, 300);
    view.MouseDown(TMouseButton::mbLeft, ssLeft, r.Right, r.Bottom);
    EXPECT_TRUE(nav.Dragging());
}

// The navigator stays on top of the main window; left where the window
// manager drops a new window (the screen's top-left corner) it lay over the
// main window's menu bar. It first opens in the main window's top-right
// corner, below the menu bar and clear of the result's scroll bar, and then
// stays where the user puts it.
TEST(Navigator, FirstOpensInTheMainWindowsTopRightCornerBelowTheMenu)
{
    const QRect main(100, 80, 1074, 770);
    const QPoint start = NavigatorStartPosition(main, QSize(261, 251));
    const QRect placed(start, QSize(261, 251));
    EXPECT_TRUE(main.contains(placed));
    EXPECT_GE(placed.top(), main.top() + 50);
    EXPECT_LE(main.right() - placed.right(), 40);
    EXPECT_GE(main.right() - placed.right(), 16);

    QWidget owner;
    owner.setGeometry(main);
    owner.show();
    TFNavigator navigator(&owner);
    navigator.show();
    EXPECT_EQ(navigator.pos(), NavigatorStartPosition(owner.frameGeometry(), navigator.frameGeometry().size()));
    navigator.hide();
    navigator.move(20, 30);
    navigator.show();
    EXPECT_EQ(navigator.pos(), QPoint(20, 30));
}
