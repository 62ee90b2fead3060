// The bitmap slider: its default looks, where the thumb is drawn, and what a
// drag does to the position and the three events.
#include "controls/OcraSlider.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {

// Counts the slider's three events.
struct TEventLog {
    int Begin = 0, Changed = 0, Stop = 0;
    explicit TEventLog(TOcraSlider& slider)
    {
        slider.OnBeginChange = [this] { ++Begin; };
        slider.OnChanged = [this] { ++Changed; };
        slider.OnStopChanged = [this] { ++Stop; };
    }
};

// The lightness slider's settings: default bitmaps, Maximum 255, so the
// scale is (191 - 26) / 255 pixels per step.
class SliderTest : public ::testing::Test {
protected:
    SliderTest() { slider.SetMaximum(255); }

    // Presses the left button on the thumb's band, moves to each x (at the
    // band's height y) and releases.
    void Drag(std::initializer_list<int> xs, int y = 4)
    {
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(13, y));
        for (int x : xs) QTest::mouseMove(&slider, QPoint(x, y));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(*(xs.end() - 1), y));
    }

    TOcraSlider slider;
};

QImage TwoLooks(int width, QColor normal, QColor pressed)
{
    QImage image(width, 4, QImage::Format_ARGB32);
    image.fill(pressed);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < width / 2; ++x) image.setPixelColor(x, y, normal);
    return image;
}

} // namespace

TEST(SliderDefaults, LooksComeFromTheEmbeddedBitmaps)
{
    TOcraSlider slider;
    EXPECT_EQ(slider.ImageThumb().size(), QSize(52, 8));
    EXPECT_EQ(slider.ImageRuler().size(), QSize(191, 11));
    EXPECT_EQ(slider.size(), QSize(191, 11)); // AutoSize takes the ruler's size
    EXPECT_TRUE(slider.AutoSize());
    EXPECT_TRUE(slider.Horizontal());
    EXPECT_EQ(slider.Maximum(), 100);
    EXPECT_EQ(slider.Position(), 0);
    EXPECT_EQ(slider.ShownThumb(), slider.ImageThumb().copy(0, 0, 26, 8));
}

TEST_F(SliderTest, ThumbIsPlacedByPositionTimesScale)
{
    EXPECT_DOUBLE_EQ(slider.Scale(), 165.0 / 255.0);
    slider.SetPosition(128);
    EXPECT_EQ(slider.ThumbAlongOffset(), 83);  // 128 * 165 / 255 = 82.82
    EXPECT_EQ(slider.ThumbAcrossOffset(), 1);  // (11 - 8) div 2
    slider.SetPosition(255);
    EXPECT_EQ(slider.ThumbAlongOffset(), 165); // flush with the right end
}

TEST_F(SliderTest, ThumbOffsetRoundsHalvesToEven)
{
    slider.SetAutoSize(false);
    slider.resize(126, 11); // 100 pixels of track
    slider.SetMaximum(200); // half a pixel per step
    const int expected[] = {0, 0, 1, 2, 2, 2}; // 0, .5, 1, 1.5, 2, 2.5
    for (int position = 0; position < 6; ++position) {
        slider.SetPosition(position);
        EXPECT_EQ(slider.ThumbAlongOffset(), expected[position]) << position;
    }
}

TEST_F(SliderTest, VerticalSliderRunsAlongY)
{
    slider.SetAutoSize(false);
    slider.SetHorizontal(false);
    slider.resize(11, 191);
    EXPECT_DOUBLE_EQ(slider.Scale(), (191.0 - 8.0) / 255.0);
    EXPECT_EQ(slider.ThumbAcrossOffset(), 0); // the 26-pixel thumb is wider than the control
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(5, 4));
    QTest::mouseMove(&slider, QPoint(5, 1000));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(5, 1000));
    EXPECT_EQ(slider.Position(), 255);
}

TEST_F(SliderTest, ClickFiresBeginAndStopAndShowsPressedLookMeanwhile)
{
    TEventLog log(slider);
    slider.SetPosition(40);
    const QImage pressed = slider.ImageThumb().copy(26, 0, 26, 8);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(150, 4));
    EXPECT_EQ(log.Begin, 1);
    EXPECT_EQ(slider.ShownThumb(), pressed);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(150, 4));
    EXPECT_EQ(log.Stop, 1);
    EXPECT_EQ(log.Changed, 0);
    EXPECT_EQ(slider.Position(), 40); // a press does not jump to the pointer
    EXPECT_EQ(slider.ShownThumb(), slider.ImageThumb().copy(0, 0, 26, 8));
}

TEST_F(SliderTest, EachDragStepSetsPositionAndFiresChanged)
{
    TEventLog log(slider);
    Drag({50, 100});
    // The pointer holds the thumb by its middle: (100 - 13) * 255 / 165 = 134.45.
    EXPECT_EQ(slider.Position(), 134);
    EXPECT_EQ(log.Begin, 1);
    EXPECT_EQ(log.Changed, 2);
    EXPECT_EQ(log.Stop, 1);
}

TEST_F(SliderTest, DragEndsExactlyAtTheLimits)
{
    Drag({1000});
    EXPECT_EQ(slider.Position(), 255);
    Drag({13}); // the thumb's middle on the start of the track
    EXPECT_EQ(slider.Position(), 0);
    slider.SetPosition(50);
    Drag({-40});
    EXPECT_EQ(slider.Position(), 0);
}

TEST_F(SliderTest, DragStartsOnlyFromTheThumbsBand)
{
    TEventLog log(slider);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(13, 4));
    QTest::mouseMove(&slider, QPoint(100, 9)); // more than the thumb's height down
    EXPECT_EQ(log.Changed, 0);
    EXPECT_EQ(slider.Position(), 0);
    QTest::mouseMove(&slider, QPoint(100, 8)); // the band's lower edge counts
    EXPECT_EQ(slider.Position(), 134);
    QTest::mouseMove(&slider, QPoint(1000, 40)); // once moving, the band no longer matters
    EXPECT_EQ(slider.Position(), 255);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(1000, 40));
    EXPECT_EQ(log.Changed, 2);
}

TEST_F(SliderTest, OnlyTheLeftButtonDrags)
{
    TEventLog log(slider);
    QTest::mousePress(&slider, Qt::RightButton, {}, QPoint(13, 4));
    QTest::mouseMove(&slider, QPoint(100, 4));
    QTest::mouseRelease(&slider, Qt::RightButton, {}, QPoint(100, 4));
    EXPECT_EQ(slider.Position(), 0);
    EXPECT_EQ(log.Begin, 1);
    EXPECT_EQ(log.Changed, 0);
    EXPECT_EQ(log.Stop, 1);
}

TEST_F(SliderTest, ControlNoWiderThanItsThumbIgnoresDrags)
{
    TEventLog log(slider);
    slider.SetAutoSize(false);
    for (int width : {20, 26}) {
        slider.resize(width, 11);
        slider.SetPosition(7);
        EXPECT_EQ(slider.ThumbAlongOffset(), 0);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(5, 4));
        QTest::mouseMove(&slider, QPoint(300, 4));
        QTest::mouseMove(&slider, QPoint(-300, 4));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(-300, 4));
        EXPECT_EQ(slider.Position(), 7) << width;
    }
    EXPECT_EQ(log.Changed, 0);
}

TEST_F(SliderTest, PositionAndMaximumAreClamped)
{
    TEventLog log(slider);
    slider.SetPosition(300);
    EXPECT_EQ(slider.Position(), 255);
    slider.SetPosition(-5);
    EXPECT_EQ(slider.Position(), 0);
    slider.SetPosition(200);
    slider.SetMaximum(150);
    EXPECT_EQ(slider.Position(), 150);
    for (int maximum : {0, -3}) {
        slider.SetMaximum(maximum);
        EXPECT_EQ(slider.Maximum(), 1);
        EXPECT_GT(slider.Scale(), 0);
    }
    EXPECT_EQ(slider.Position(), 1);
    EXPECT_EQ(log.Changed, 0); // writing the position is silent
}

TEST_F(SliderTest, RulerSizesTheControlOnlyWithAutoSize)
{
    slider.SetImageRuler(QImage(60, 20, QImage::Format_ARGB32));
    EXPECT_EQ(slider.size(), QSize(60, 20));
    slider.SetAutoSize(false);
    slider.SetImageRuler(QImage(80, 30, QImage::Format_ARGB32));
    EXPECT_EQ(slider.size(), QSize(60, 20));
    slider.SetAutoSize(true);
    slider.SetImageRuler(QImage());
    EXPECT_EQ(slider.size(), QSize(80, 30)); // an empty ruler leaves the size alone
}

TEST_F(SliderTest, NewThumbBitmapSplitsIntoTwoLooks)
{
    slider.SetImageThumb(TwoLooks(11, Qt::red, Qt::blue));
    EXPECT_EQ(slider.ShownThumb().size(), QSize(5, 4));
    EXPECT_EQ(slider.ShownThumb().pixelColor(4, 0), QColor(Qt::red));
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(3, 2));
    // The odd column goes to the pressed look, fitted to the same width.
    EXPECT_EQ(slider.ShownThumb().size(), QSize(5, 4));
    EXPECT_EQ(slider.ShownThumb().pixelColor(0, 0), QColor(Qt::blue));
    // A new bitmap during a drag keeps the pressed look up until the release
    // and leaves the normal one afterwards.
    slider.SetImageThumb(TwoLooks(8, Qt::green, Qt::yellow));
    EXPECT_EQ(slider.ShownThumb().pixelColor(0, 0), QColor(Qt::yellow));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(3, 2));
    EXPECT_EQ(slider.ShownThumb().pixelColor(0, 0), QColor(Qt::green));
}

TEST_F(SliderTest, PaintsRulerAndThumb)
{
    slider.SetPosition(255);
    const QImage shot = slider.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    // The groove runs from black to white; the clear strip above it takes the
    // window's colour; the thumb's notch sits at its middle, one pixel down.
    EXPECT_EQ(shot.pixelColor(2, 5), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(0, 0), slider.palette().window().color());
    EXPECT_EQ(shot.pixelColor(165 + 12, 1 + 3), slider.ShownThumb().pixelColor(12, 3));
}
