// The thumbnail grid of an image list: layout, drawing, selection, scrolling,
// mouse reports and following the list.
#include "controls/ImageList.h"
#include "controls/ImageListViewer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <QTest>

#include <memory>
#include <vector>

namespace {

struct TReport {
    int32_t Index, X, Y;
    friend bool operator==(const TReport&, const TReport&) = default;
};

QImage Solid(const QColor& color)
{
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

QColor Shade(int i) { return QColor::fromHsv((i * 47) % 360, 200, 230); }

class ImageListViewerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 7; ++i) list.Add(Solid(Shade(i)));
        viewer.resize(168, 400);
        viewer.SetColor(Qt::white);
        viewer.SetImageList(&list);
        viewer.show();
        viewer.OnMouseDownThumb = [this](int32_t i, int32_t x, int32_t y) { downs.push_back({i, x, y}); };
        viewer.OnMouseUpThumb = [this](int32_t i, int32_t x, int32_t y) { ups.push_back({i, x, y}); };
    }

    QRgb At(int x, int y) const { return viewer.CanvasImage().pixel(x, y); }
    void Press(int x, int y) { QTest::mousePress(viewer.Canvas(), Qt::LeftButton, {}, QPoint(x, y)); }
    void Release(int x, int y) { QTest::mouseRelease(viewer.Canvas(), Qt::LeftButton, {}, QPoint(x, y)); }

    TImageList list{40, 40};
    TImageListViewer viewer;
    std::vector<TReport> downs, ups;
};

const QRgb Blue = qRgb(0, 0, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb White = qRgb(255, 255, 255);

}  // namespace

TEST_F(ImageListViewerTest, TakesTheListSizeAndFillsTheWidth)
{
    EXPECT_EQ(viewer.ThumbWidth(), 40);
    EXPECT_EQ(viewer.ThumbHeight(), 40);
    EXPECT_EQ(viewer.Layout().Columns, 3);
    EXPECT_EQ(viewer.Layout().Rows, 3);
    EXPECT_EQ(viewer.CanvasImage().size(), QSize(128, 128));
    EXPECT_EQ(viewer.Canvas()->size(), QSize(128, 128));
}

TEST_F(ImageListViewerTest, LaysOutAgainAtEveryWidth)
{
    viewer.resize(90, 400);
    EXPECT_EQ(viewer.Layout().Columns, 2);
    EXPECT_EQ(viewer.CanvasImage().size(), QSize(86, 170));
    viewer.resize(400, 400);
    EXPECT_EQ(viewer.Layout().Columns, 7);
    EXPECT_EQ(viewer.CanvasImage().size(), QSize(296, 44));
}

TEST_F(ImageListViewerTest, DrawsOutlinedThumbnailsAndABlueFrameOneOutside)
{
    EXPECT_EQ(At(20, 20), Shade(0).rgb());
    EXPECT_EQ(At(100, 60), Shade(5).rgb());
    // Black outline on the thumbnail's own edge pixels: x .. x + TW - 1.
    EXPECT_EQ(At(2, 20), Black);
    EXPECT_EQ(At(41, 20), Black);
    EXPECT_EQ(At(20, 41), Black);
    // The selection frame of thumbnail 0 runs from 1 to 42.
    EXPECT_EQ(At(1, 20), Blue);
    EXPECT_EQ(At(42, 20), Blue);
    EXPECT_EQ(At(20, 42), Blue);
    EXPECT_EQ(At(0, 0), White);
    // No frame round the others.
    EXPECT_EQ(At(43, 20), White);
    EXPECT_EQ(At(84, 20), White);
}

TEST_F(ImageListViewerTest, PressSelectsAndMovesTheFrame)
{
    Press(60, 60);
    EXPECT_EQ(viewer.Selected(), 4);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0], (TReport{4, 60, 60}));
    EXPECT_EQ(At(1, 20), White);  // old frame gone
    EXPECT_EQ(At(43, 60), Blue);  // thumbnail 4 spans 44 to 83
    EXPECT_EQ(At(84, 60), Blue);
    EXPECT_EQ(At(60, 43), Blue);

    Release(5, 120);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0], (TReport{4, 5, 120}));
}

TEST_F(ImageListViewerTest, PressOnTheBackgroundKeepsAndReportsTheSelection)
{
    Press(50, 10);
    Press(43, 10);   // between two columns
    Press(60, 100);  // past the last thumbnail
    EXPECT_EQ(viewer.Selected(), 1);
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs[1], (TReport{1, 43, 10}));
    EXPECT_EQ(downs[2], (TReport{1, 60, 100}));
}

TEST_F(ImageListViewerTest, WithoutMarginTheSharedBorderSelectsTheEarlierThumbnail)
{
    viewer.SetMargin(0);
    EXPECT_EQ(viewer.Layout().Columns, 4);
    Press(40, 5);
    EXPECT_EQ(viewer.Selected(), 0);
    Press(41, 5);
    EXPECT_EQ(viewer.Selected(), 1);
    // With no margin the frame lies under the thumbnail's own outline.
    EXPECT_EQ(At(40, 20), Black);
    const QImage& canvas = viewer.CanvasImage();
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) ASSERT_NE(canvas.pixel(x, y), Blue) << x << "," << y;
}

TEST_F(ImageListViewerTest, ScrollsWhenTheGridIsTallerThanTheView)
{
    viewer.resize(168, 60);
    QCoreApplication::processEvents();  // scroll bars show and hide on a queued signal
    QScrollBar* bar = viewer.verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    // The scroll bar takes width, and the grid is laid out for what is left.
    EXPECT_EQ(viewer.Layout().Columns, (viewer.viewport()->width() - 2) / 42);
    EXPECT_EQ(bar->maximum(), viewer.CanvasImage().height() - viewer.viewport()->height());
    bar->setValue(bar->maximum());
    EXPECT_EQ(viewer.Canvas()->y(), -bar->maximum());
    // Presses are in grid pixels, wherever the view has scrolled to.
    Press(10, 100);
    EXPECT_EQ(viewer.Selected(), 6);
}

TEST_F(ImageListViewerTest, FollowsTheListAndSelectsTheFirstThumbnailAgain)
{
    Press(60, 60);
    list.Add(Solid(Qt::black));
    list.Add(Solid(Qt::black));
    list.Add(Solid(Qt::black));
    EXPECT_EQ(viewer.Selected(), 0);
    EXPECT_EQ(viewer.Layout().Rows, 4);
    EXPECT_EQ(At(20, 140), Black);

    list.Replace(0, Solid(Qt::red));
    EXPECT_EQ(At(20, 20), qRgb(255, 0, 0));
}

TEST_F(ImageListViewerTest, AnEmptiedListShowsNothingAndReportsNothing)
{
    list.Clear();
    EXPECT_TRUE(viewer.Layout().IsEmpty());
    EXPECT_TRUE(viewer.CanvasImage().isNull());
    list.Add(Solid(Qt::red));
    Press(20, 20);
    list.Delete(0);
    Release(20, 20);
    EXPECT_EQ(downs.size(), 1u);
    EXPECT_TRUE(ups.empty());
}

TEST_F(ImageListViewerTest, RepointingDisconnectsTheOldList)
{
    TImageList other(20, 30);
    for (int i = 0; i < 4; ++i) other.Add(Solid(Shade(i)));
    viewer.SetImageList(&other);
    EXPECT_EQ(viewer.ThumbWidth(), 20);
    EXPECT_EQ(viewer.ThumbHeight(), 30);
    Press(30, 5);
    ASSERT_EQ(viewer.Selected(), 1);
    list.Add(Solid(Qt::black));  // the old list no longer reaches the grid
    EXPECT_EQ(viewer.Selected(), 1);
    EXPECT_EQ(viewer.Layout().Count, 4);
}

TEST_F(ImageListViewerTest, NoListOrADestroyedListCountsAsNoList)
{
    viewer.SetImageList(nullptr);
    EXPECT_EQ(viewer.ImageList(), nullptr);
    EXPECT_TRUE(viewer.Layout().IsEmpty());
    list.Add(Solid(Qt::black));
    EXPECT_TRUE(viewer.Layout().IsEmpty());

    auto doomed = std::make_unique<TImageList>(40, 40);
    doomed->Add(Solid(Qt::red));
    viewer.SetImageList(doomed.get());
    EXPECT_EQ(viewer.Layout().Count, 1);
    doomed.reset();
    EXPECT_EQ(viewer.ImageList(), nullptr);
    EXPECT_TRUE(viewer.Layout().IsEmpty());
    viewer.Relayout();
}

TEST_F(ImageListViewerTest, ImpossibleSizesShowNothingInsteadOfFailing)
{
    viewer.SetThumbWidth(0);
    EXPECT_TRUE(viewer.Layout().IsEmpty());
    viewer.SetThumbWidth(40);
    EXPECT_EQ(viewer.Layout().Count, 7);
    viewer.SetMargin(-2);
    EXPECT_TRUE(viewer.Layout().IsEmpty());
    viewer.SetMargin(2);
    viewer.SetThumbHeight(-1);
    EXPECT_TRUE(viewer.Layout().IsEmpty());

    TImageList zero(0, 0);
    zero.Add(QImage());
    viewer.SetImageList(&zero);
    EXPECT_TRUE(viewer.Layout().IsEmpty());
}
