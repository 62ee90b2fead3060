// The colour selector: the map's colours at known points, picks by button,
// the lightness slider re-rendering the map, and releases off the map.
#include "controls/OcraSlider.h"
#include "controls/SimpleColorSelector.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {

// Known answers at the default lightness L = 128/255 (just above 0.5, so
// m2 = L + S - L*S and m1 = 2L - m2), away from rounding ties.
constexpr TColor32 Grey128 = 0xFF808080;

class SelectorTest : public ::testing::Test {
protected:
    SelectorTest()
    {
        selector.OnSelectColor = [this] { ++picks; };
        selector.show(); // a hidden widget hears of a resize only when shown
    }

    TOcraSlider& Slider() { return *selector.findChild<TOcraSlider*>(); }
    TColor32 MapAt(int x, int y) const { return selector.MapBitmap().Pixel(x, y); }

    void Click(Qt::MouseButton button, QPoint press, QPoint release)
    {
        QTest::mousePress(selector.Map(), button, {}, press);
        QTest::mouseRelease(selector.Map(), button, {}, release);
    }
    void Click(Qt::MouseButton button, QPoint at) { Click(button, at, at); }

    void DragSliderTo(int x)
    {
        QTest::mousePress(&Slider(), Qt::LeftButton, {}, QPoint(13, 4));
        QTest::mouseMove(&Slider(), QPoint(x, 4));
        QTest::mouseRelease(&Slider(), Qt::LeftButton, {}, QPoint(x, 4));
    }

    TSimpleColorSelector selector;
    int picks = 0;
};

} // namespace

TEST_F(SelectorTest, StartsWithTheLightnessSliderHalfWayAndBlackColours)
{
    EXPECT_EQ(selector.size(), QSize(119, 75));
    EXPECT_EQ(selector.Map()->geometry(), QRect(0, 0, 119, 64));
    EXPECT_EQ(Slider().geometry(), QRect(0, 64, 119, 11));
    EXPECT_EQ(Slider().Maximum(), 255);
    EXPECT_EQ(Slider().Position(), 128);
    EXPECT_EQ(selector.MapBitmap().Width(), 119);
    EXPECT_EQ(selector.MapBitmap().Height(), 64);
    EXPECT_EQ(selector.SelectedColor(), clBlack32);
    EXPECT_EQ(selector.SecondaryColor(), clBlack32);
}

TEST_F(SelectorTest, HueRunsDownAndSaturationRight)
{
    for (int y : {0, 10, 63}) EXPECT_EQ(MapAt(0, y), Grey128) << y; // saturation 0
    EXPECT_EQ(MapAt(60, 0), Color32(192, 64, 64));    // hue 0, S = 60/119
    EXPECT_EQ(MapAt(30, 10), Color32(160, 156, 96));  // hue 10/64: orange-yellow
    EXPECT_EQ(MapAt(118, 32), Color32(2, 254, 254));  // hue 1/2: cyan, nearly saturated
    EXPECT_EQ(MapAt(100, 50), Color32(168, 21, 235)); // hue 50/64: violet
}

TEST_F(SelectorTest, HorizontalLayoutSwapsTheAxesAtOnce)
{
    selector.SetHorizontalLayout(true);
    EXPECT_EQ(MapAt(60, 0), Grey128);                // saturation 0 along the top
    EXPECT_EQ(MapAt(0, 16), Color32(160, 96, 96));   // hue 0, S = 1/4
    EXPECT_EQ(MapAt(40, 63), Color32(3, 253, 7));    // hue 40/119: green
}

TEST_F(SelectorTest, DraggingTheSliderRendersTheMapAtEveryStep)
{
    DragSliderTo(-50);
    EXPECT_EQ(Slider().Position(), 0);
    for (int y = 0; y < 64; y += 9)
        for (int x = 0; x < 119; x += 13) ASSERT_EQ(MapAt(x, y), clBlack32) << x << "," << y;
    DragSliderTo(500);
    EXPECT_EQ(Slider().Position(), 255);
    for (int y = 0; y < 64; y += 9)
        for (int x = 0; x < 119; x += 13) ASSERT_EQ(MapAt(x, y), clWhite32) << x << "," << y;
}

TEST_F(SelectorTest, LeftPicksPrimaryAndOtherButtonsSecondary)
{
    Click(Qt::LeftButton, QPoint(60, 1));
    EXPECT_EQ(selector.SelectedColor(), MapAt(60, 1));
    EXPECT_EQ(selector.SecondaryColor(), clBlack32);
    EXPECT_EQ(picks, 1);

    Click(Qt::RightButton, QPoint(118, 32));
    EXPECT_EQ(selector.SecondaryColor(), Color32(2, 254, 254));
    EXPECT_EQ(selector.SelectedColor(), MapAt(60, 1));
    EXPECT_EQ(picks, 2);

    Click(Qt::MiddleButton, QPoint(5, 5));
    EXPECT_EQ(selector.SecondaryColor(), MapAt(5, 5));
    EXPECT_EQ(selector.SelectedColor(), MapAt(60, 1));
    EXPECT_EQ(picks, 3);
}

TEST_F(SelectorTest, PickIsTakenWhereTheButtonComesUp)
{
    Click(Qt::LeftButton, QPoint(5, 5), QPoint(60, 1));
    EXPECT_EQ(selector.SelectedColor(), MapAt(60, 1));
}

TEST_F(SelectorTest, ReleaseOffTheMapTakesTheNearestMapPixel)
{
    Click(Qt::LeftButton, QPoint(60, 5), QPoint(60, 70)); // over the slider strip
    EXPECT_EQ(selector.SelectedColor(), MapAt(60, 63));
    Click(Qt::LeftButton, QPoint(60, 5), QPoint(-20, -20));
    EXPECT_EQ(selector.SelectedColor(), MapAt(0, 0));
    Click(Qt::RightButton, QPoint(60, 5), QPoint(500, 10));
    EXPECT_EQ(selector.SecondaryColor(), MapAt(118, 10));
    EXPECT_EQ(picks, 3);
}

TEST_F(SelectorTest, ReleaseWithoutAPressOnTheMapPicksNothing)
{
    QTest::mouseRelease(selector.Map(), Qt::LeftButton, {}, QPoint(60, 5));
    EXPECT_EQ(selector.SelectedColor(), clBlack32);
    EXPECT_EQ(picks, 0);
}

TEST_F(SelectorTest, EmptyMapDrawsAndPicksNothing)
{
    selector.resize(119, 11); // the slider takes all the height
    EXPECT_EQ(selector.MapBitmap().Height(), 0);
    Click(Qt::LeftButton, QPoint(3, 3));
    selector.resize(0, 75);
    EXPECT_EQ(selector.MapBitmap().Width(), 0);
    Click(Qt::LeftButton, QPoint(3, 3));
    EXPECT_EQ(selector.SelectedColor(), clBlack32);
    EXPECT_EQ(picks, 0);
    selector.resize(40, 30); // and comes back when there is room
    EXPECT_EQ(selector.MapBitmap().Height(), 19);
    EXPECT_EQ(MapAt(0, 0), Grey128);
}

TEST_F(SelectorTest, ColourWritesChangeNothingOnScreen)
{
    const TBitmap32 before = selector.MapBitmap();
    selector.SetSelectedColor(clRed32);
    selector.SetSecondaryColor(clBlue32);
    EXPECT_EQ(selector.SelectedColor(), clRed32);
    EXPECT_EQ(selector.SecondaryColor(), clBlue32);
    EXPECT_TRUE(std::equal(before.Bits(), before.Bits() + 119 * 64, selector.MapBitmap().Bits()));
    EXPECT_EQ(picks, 0);
}

TEST_F(SelectorTest, SliderBitmapsAreTheSlidersOwn)
{
    QImage ruler(50, 20, QImage::Format_ARGB32);
    ruler.fill(Qt::darkGray);
    QImage thumb(12, 6, QImage::Format_ARGB32);
    thumb.fill(Qt::white);
    selector.SetBitmapSlider(ruler);
    selector.SetBitmapBtn(thumb);
    EXPECT_EQ(selector.BitmapSlider(), Slider().ImageRuler());
    EXPECT_EQ(selector.BitmapBtn(), Slider().ImageThumb());
    EXPECT_EQ(Slider().ShownThumb().size(), QSize(6, 6));
    // A taller ruler takes its height from the map; the slider still spans the width.
    EXPECT_EQ(Slider().geometry(), QRect(0, 55, 119, 20));
    EXPECT_EQ(selector.MapBitmap().Height(), 55);
}
