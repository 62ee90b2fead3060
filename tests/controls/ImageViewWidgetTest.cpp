// The image view widget on the offscreen platform: what it shows, how its
// scroll bars follow the model and back, and how mouse, wheel and key input
// reach the layers and the view's handlers.
#include "controls/ImageViewWidget.h"

#include "gfx/Errors.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ImageViewWidgetTest : ::testing::Test {
    TBitmap32 bitmap{600, 500, clWhite32};
    TImageViewWidget widget;
    void SetUp() override
    {
        widget.resize(300, 200);
        widget.View().SetBitmap(&bitmap);
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    }
    QWidget* Surface() { return widget.viewport(); }
    void Wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF at(20, 20);
        QWheelEvent event(at, Surface()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Surface(), &event);
    }
};

} // namespace

TEST_F(ImageViewWidgetTest, ViewportSizeAndScrollBarsFollowTheModel)
{
    const TRect vp = widget.View().GetViewportRect();
    EXPECT_EQ(vp.Width(), Surface()->width());
    EXPECT_EQ(vp.Height(), Surface()->height());
    EXPECT_EQ(widget.horizontalScrollBar()->maximum(), 600 - vp.Width());
    EXPECT_EQ(widget.verticalScrollBar()->maximum(), 500 - vp.Height());

    widget.View().ScrollToCenter(300, 250);
    EXPECT_EQ(widget.horizontalScrollBar()->value(), widget.View().ScrollPos().X);
    EXPECT_EQ(widget.verticalScrollBar()->value(), widget.View().ScrollPos().Y);
}

TEST_F(ImageViewWidgetTest, MovingAScrollBarScrollsTheModel)
{
    int scrolls = 0;
    widget.View().OnScroll = [&](TImageView&) { ++scrolls; };
    widget.horizontalScrollBar()->setValue(40);
    widget.verticalScrollBar()->setValue(30);
    EXPECT_EQ(widget.View().ScrollPos(), Point(40, 30));
    EXPECT_EQ(scrolls, 2);
    EXPECT_EQ(widget.View().ControlToBitmap({0, 0}), Point(40, 30));
}

TEST_F(ImageViewWidgetTest, ShowsTheRenderedBuffer)
{
    bitmap.FillRect(0, 0, 10, 10, clRed32);
    TPositionedLayer& layer = widget.View().AddLayer();
    layer.OnPaint = [](TPositionedLayer&, TBitmap32& buffer) { buffer.FillRect(20, 20, 30, 30, clBlue32); };
    bitmap.Changed();
    const QImage shot = Surface()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(shot.pixel(5, 5), clRed32);
    EXPECT_EQ(shot.pixel(25, 25), clBlue32);
    EXPECT_EQ(shot.pixel(50, 50), clWhite32);
}

TEST_F(ImageViewWidgetTest, MouseTrackingIsOnAndMovesReachTheLayer)
{
    EXPECT_TRUE(Surface()->hasMouseTracking());
    TPositionedLayer& layer = widget.View().AddLayer();
    layer.SetLocation({0, 0, 100, 100});
    std::vector<std::string> log;
    layer.OnMouseMove = [&](TPositionedLayer&, TShiftState, int32_t x, int32_t y) {
        log.push_back("layer move " + std::to_string(x) + "," + std::to_string(y));
    };
    widget.View().OnMouseMove = [&](TImageView&, TShiftState, int32_t, int32_t, TPositionedLayer* l) {
        log.push_back(l == &layer ? "view move on layer" : "view move");
    };
    QTest::mouseMove(Surface(), QPoint(30, 40));
    QTest::mouseMove(Surface(), QPoint(150, 40));
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "layer move 30,40");
    EXPECT_EQ(log[1], "view move on layer");
    EXPECT_EQ(log.back(), "view move");
}

TEST_F(ImageViewWidgetTest, PressDragAndReleaseAreRoutedThroughTheCapturingLayer)
{
    TPositionedLayer& layer = widget.View().AddLayer();
    layer.SetLocation({10, 10, 60, 60});
    layer.SetScaled(true);
    widget.horizontalScrollBar()->setValue(5); // the layer moves with the bitmap: x 5 .. 55
    std::vector<std::string> log;
    layer.OnMouseDown = [&](TPositionedLayer&, TMouseButton b, TShiftState s, int32_t x, int32_t y) {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y) + (b == TMouseButton::mbLeft ? " left" : "") +
                      ((s & ssCtrl) ? " ctrl" : ""));
    };
    layer.OnMouseUp = [&](TPositionedLayer&, TMouseButton, TShiftState, int32_t x, int32_t y) {
        log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    };
    TPositionedLayer* upLayer = nullptr;
    widget.View().OnMouseUp = [&](TImageView&, TMouseButton, TShiftState, int32_t, int32_t, TPositionedLayer* l) {
        upLayer = l;
    };
    QTest::mousePress(Surface(), Qt::LeftButton, Qt::ControlModifier, QPoint(6, 20));
    QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(250, 150));
    EXPECT_EQ(log, (std::vector<std::string>{"down 6,20 left ctrl", "up 250,150"}));
    EXPECT_EQ(upLayer, &layer);
    EXPECT_TRUE(widget.hasFocus());
}

TEST_F(ImageViewWidgetTest, WheelNotchesReachTheHandlersAndUnhandledOnesScroll)
{
    std::vector<int> notches;
    widget.View().OnMouseWheelUp = [&](TImageView&, TShiftState, TPoint, bool& handled) {
        notches.push_back(1);
        handled = true;
    };
    widget.View().OnMouseWheelDown = [&](TImageView&, TShiftState s, TPoint p, bool&) {
        notches.push_back((s & ssShift) ? -2 : -1);
        EXPECT_EQ(p, Point(20, 20));
    };
    Wheel(240);
    Wheel(60); // half a notch: nothing yet
    Wheel(60);
    EXPECT_EQ(notches, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(widget.View().ScrollPos(), Point(0, 0));
    Wheel(-120, Qt::ShiftModifier);
    EXPECT_EQ(notches.back(), -2);
    notches.clear();
    Wheel(-120);
    EXPECT_EQ(notches, (std::vector<int>{-1}));
    EXPECT_GT(widget.View().ScrollPos().Y, 0); // not handled: the view scrolls
}

TEST_F(ImageViewWidgetTest, KeysArriveAsVirtualKeyCodes)
{
    std::vector<int> downs, ups;
    widget.View().OnKeyDown = [&](TImageView&, int& key, TShiftState) { downs.push_back(key); };
    widget.View().OnKeyUp = [&](TImageView&, int& key, TShiftState) { ups.push_back(key); };
    widget.setFocus();
    QTest::keyPress(&widget, Qt::Key_Shift);
    QTest::keyRelease(&widget, Qt::Key_Shift);
    QTest::keyClick(&widget, Qt::Key_A);
    QTest::keyClick(&widget, Qt::Key_F1);
    EXPECT_EQ(downs, (std::vector<int>{VirtualKey::vkShift, 'A', VirtualKey::vkF1}));
    EXPECT_EQ(ups, (std::vector<int>{VirtualKey::vkShift, 'A', VirtualKey::vkF1}));
}

TEST_F(ImageViewWidgetTest, EatenArrowKeyDoesNotScroll)
{
    widget.View().OnKeyDown = [&](TImageView&, int& key, TShiftState) {
        if (key == VirtualKey::vkDown) key = 0;
    };
    widget.setFocus();
    QTest::keyClick(&widget, Qt::Key_Down);
    EXPECT_EQ(widget.View().ScrollPos().Y, 0);
    QTest::keyClick(&widget, Qt::Key_Right); // not eaten: the scroll area scrolls
    EXPECT_GT(widget.View().ScrollPos().X, 0);
}

TEST_F(ImageViewWidgetTest, ErrorsOfHandlersStayInsideTheWidget)
{
    std::vector<std::string> errors;
    widget.OnError = [&](const std::exception& e) { errors.push_back(e.what()); };
    widget.View().OnMouseDown = [](TImageView&, TMouseButton, TShiftState, int32_t, int32_t, TPositionedLayer*) {
        throw SilentAbort();
    };
    widget.View().OnMouseUp = [](TImageView&, TMouseButton, TShiftState, int32_t, int32_t, TPositionedLayer*) {
        throw EngineError("bad drag");
    };
    QTest::mouseClick(Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(errors, (std::vector<std::string>{"bad drag"}));
}

TEST_F(ImageViewWidgetTest, CursorShapeFollowsTheModel)
{
    widget.View().SetCursor(TCursorShape::crCross);
    EXPECT_EQ(Surface()->cursor().shape(), Qt::CrossCursor);
    widget.View().SetCursor(TCursorShape::crDefault);
    EXPECT_EQ(Surface()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ImageViewWidgetTest, ErrorsWhilePaintingScrollingOrResizingStayInsideTheWidget)
{
    std::vector<std::string> errors;
    widget.OnError = [&](const std::exception& e) { errors.push_back(e.what()); };
    // A layer painted below the failing one still shows.
    widget.View().AddLayer().OnPaint = [](TPositionedLayer&, TBitmap32& buffer) {
        buffer.FillRect(20, 20, 30, 30, clBlue32);
    };
    widget.View().AddLayer().OnPaint = [](TPositionedLayer&, TBitmap32&) { throw EngineError("bad paint"); };
    const QImage shot = Surface()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(shot.pixel(25, 25), clBlue32);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.front(), "bad paint");

    widget.View().ClearLayers();
    errors.clear();
    widget.View().OnScroll = [](TImageView&) { throw EngineError("bad scroll"); };
    widget.horizontalScrollBar()->setValue(40);
    EXPECT_EQ(widget.View().ScrollPos().X, 40);
    widget.resize(700, 600); // the whole picture fits: the scroll position falls back to 0
    EXPECT_EQ(widget.View().ScrollPos().X, 0);
    EXPECT_EQ(errors, (std::vector<std::string>{"bad scroll", "bad scroll"}));
}
