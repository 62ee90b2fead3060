// The thumbnail grid of 32-bit bitmaps: the highlight, drawing, selection,
// scrolling, mouse reports, and that it leaves list changes to its owner.
#include "controls/Bitmap32List.h"
#include "controls/ImageListViewer32.h"

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

const QColor Highlight(194, 219, 245);  // the main window's
const QColor Background(240, 240, 240);

TColor32 Strip(int i) { return Color32(100 + i * 20, 50 + i * 10, 5 + i * 30); }

QRgb Rgb(TColor32 c) { return qRgb(RedComponent(c), GreenComponent(c), BlueComponent(c)); }

class ImageListViewer32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 5; ++i) list.Add(TBitmap32(160, 35, Strip(i)));
        viewer.resize(150, 400);
        viewer.SetMargin(0);
        viewer.SetThumbWidth(160);
        viewer.SetThumbHeight(35);
        viewer.SetColor(Background);
        viewer.SetColorSelected(Highlight);
        viewer.SetImageList(&list);
        viewer.show();
        viewer.OnMouseDownThumb = [this](int32_t i, int32_t x, int32_t y) { downs.push_back({i, x, y}); };
        viewer.OnMouseUpThumb = [this](int32_t i, int32_t x, int32_t y) { ups.push_back({i, x, y}); };
    }

    QRgb At(int x, int y) const { return viewer.CanvasImage().pixel(x, y); }
    void Press(int x, int y) { QTest::mousePress(viewer.Canvas(), Qt::LeftButton, {}, QPoint(x, y)); }
    void Release(int x, int y) { QTest::mouseRelease(viewer.Canvas(), Qt::LeftButton, {}, QPoint(x, y)); }

    TBitmap32List list;
    TImageListViewer32 viewer;
    std::vector<TReport> downs, ups;
};

}  // namespace

TEST(HighlightThumb, LowersEachChannelByWhatTheHighlightLacksOfWhite)
{
    TBitmap32 bitmap(2, 1);
    bitmap.Pixel(0, 0) = Color32(100, 50, 5, 0);
    bitmap.Pixel(1, 0) = Color32(255, 255, 255, 128);
    HighlightThumb(bitmap, Color32(194, 219, 245));
    EXPECT_EQ(bitmap.Pixel(0, 0), Color32(39, 14, 0));  // blue: 5 - 10 stops at 0
    EXPECT_EQ(bitmap.Pixel(1, 0), Color32(194, 219, 245));

    TBitmap32 same(1, 1, Color32(12, 34, 56, 7));
    HighlightThumb(same, clWhite32);
    EXPECT_EQ(same.Pixel(0, 0), Color32(12, 34, 56));  // unchanged, made opaque
}

TEST_F(ImageListViewer32Test, StacksStripsInOneColumnWhenNarrowerThanOne)
{
    EXPECT_EQ(viewer.Layout().Columns, 1);
    EXPECT_EQ(viewer.CanvasImage().size(), QSize(160, 35 * 5));
    viewer.resize(400, 400);
    EXPECT_EQ(viewer.Layout().Columns, 2);
    EXPECT_EQ(viewer.CanvasImage().size(), QSize(320, 35 * 3));
}

TEST_F(ImageListViewer32Test, DarkensOnlyTheSelectedThumbnail)
{
    EXPECT_EQ(At(80, 10), qRgb(100 - 61, 50 - 36, 0));
    EXPECT_EQ(At(80, 45), Rgb(Strip(1)));
    Press(80, 80);
    EXPECT_EQ(viewer.Selected(), 2);
    EXPECT_EQ(At(80, 10), Rgb(Strip(0)));
    EXPECT_EQ(At(80, 80), qRgb(140 - 61, 70 - 36, 65 - 10));
}

TEST_F(ImageListViewer32Test, ThumbnailsLieOnTheGridColourWithMargins)
{
    viewer.SetMargin(2);
    viewer.resize(400, 400);  // (400 - 2) div 162: two columns
    EXPECT_EQ(viewer.Layout().Columns, 2);
    EXPECT_EQ(At(1, 1), Background.rgb());
    EXPECT_EQ(At(163, 20), Background.rgb());
    EXPECT_EQ(At(164, 2), Rgb(Strip(1)));
    // A bitmap that blends shows the grid colour through its clear pixels.
    TBitmap32& clear = list.Bitmap(1);
    clear.Clear(Color32(255, 0, 0, 0));
    clear.DrawMode = TDrawMode::dmBlend;
    viewer.Rebuild();
    EXPECT_EQ(At(200, 20), Background.rgb());
}

TEST_F(ImageListViewer32Test, TheRowWhereTwoStripsMeetSelectsTheUpperOne)
{
    Press(10, 35);
    EXPECT_EQ(viewer.Selected(), 0);
    Press(10, 36);
    EXPECT_EQ(viewer.Selected(), 1);
    Press(159, 70);
    EXPECT_EQ(viewer.Selected(), 1);
    ASSERT_EQ(downs.size(), 3u);
    EXPECT_EQ(downs[2], (TReport{1, 159, 70}));
}

TEST_F(ImageListViewer32Test, PressOffTheThumbnailsKeepsAndReportsTheSelection)
{
    viewer.resize(400, 400);  // two columns: the sixth cell is empty
    Press(200, 40);
    Press(200, 80);
    EXPECT_EQ(viewer.Selected(), 3);
    EXPECT_EQ(downs.back(), (TReport{3, 200, 80}));
    Release(1, 1);
    EXPECT_EQ(ups.back(), (TReport{3, 1, 1}));
}

TEST_F(ImageListViewer32Test, ScrollsWhenTheStripsDoNotFit)
{
    viewer.resize(150, 70);
    QCoreApplication::processEvents();  // scroll bars show and hide on a queued signal
    QScrollBar* bar = viewer.verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    bar->setValue(bar->maximum());
    EXPECT_EQ(viewer.Canvas()->y(), -bar->maximum());
    Press(10, 170);
    EXPECT_EQ(viewer.Selected(), 4);
}

TEST_F(ImageListViewer32Test, LeavesListChangesToItsOwner)
{
    list.Add(TBitmap32(160, 35, clWhite32));
    list.Bitmap(0).Clear(clGreen32);
    EXPECT_EQ(viewer.Layout().Count, 5);
    EXPECT_EQ(At(80, 10), qRgb(100 - 61, 50 - 36, 0));

    viewer.Rebuild();
    EXPECT_EQ(viewer.Layout().Count, 6);
    EXPECT_EQ(At(80, 10), qRgb(0, 255 - 36, 0));
}

TEST_F(ImageListViewer32Test, WritingTheColourItHasDoesNotRebuild)
{
    list.Bitmap(1).Clear(clGreen32);
    viewer.SetColor(Background);
    viewer.SetColorSelected(Highlight);
    EXPECT_EQ(At(80, 45), Rgb(Strip(1)));
    EXPECT_EQ(viewer.Color(), Background);

    viewer.SetColor(QColor(250, 250, 250, 3));  // stored opaque
    EXPECT_EQ(viewer.Color(), QColor(250, 250, 250));
    EXPECT_EQ(At(80, 45), qRgb(0, 255, 0));
}

TEST(ImageListViewer32, BeforeItsColoursAreWrittenBothAreTransparentBlack)
{
    TBitmap32List list;
    list.Add(TBitmap32(20, 10, Strip(0)));
    list.Add(TBitmap32(20, 10, Strip(1)));
    TImageListViewer32 fresh;
    fresh.resize(100, 100);
    fresh.SetImageList(&list);
    fresh.show();
    EXPECT_EQ(fresh.Color(), QColor(0, 0, 0));
    EXPECT_EQ(fresh.ColorSelected(), QColor(0, 0, 0));
    // Opaque pictures still show; the selected one is highlighted down to black.
    EXPECT_EQ(fresh.CanvasImage().pixel(2 + 2 + 20 + 5, 2 + 5), Rgb(Strip(1)));
    EXPECT_EQ(fresh.CanvasImage().pixel(2 + 5, 2 + 5), qRgb(0, 0, 0));
    EXPECT_EQ(fresh.CanvasImage().pixel(0, 0), qRgb(0, 0, 0));
}

TEST_F(ImageListViewer32Test, TakesTheFirstBitmapSizeOnlyWhenNoSizeIsSet)
{
    TImageListViewer32 fresh;
    TBitmap32List small;
    fresh.SetImageList(&small);  // empty list, no size yet: nothing to take, nothing raised
    EXPECT_EQ(fresh.ThumbWidth(), -1);
    small.Add(TBitmap32(24, 12, clRed32));
    fresh.SetImageList(&small);
    EXPECT_EQ(fresh.ThumbWidth(), 24);
    EXPECT_EQ(fresh.ThumbHeight(), 12);

    viewer.SetImageList(&small);  // sizes already set: kept
    EXPECT_EQ(viewer.ThumbWidth(), 160);
    EXPECT_EQ(viewer.Layout().Count, 1);
}

TEST_F(ImageListViewer32Test, NoListEmptyListAndBadSizesShowNothing)
{
    viewer.SetThumbHeight(0);
    EXPECT_TRUE(viewer.Layout().IsEmpty());
    viewer.SetThumbHeight(35);
    viewer.SetMargin(-1);
    EXPECT_TRUE(viewer.Layout().IsEmpty());
    viewer.SetMargin(0);
    EXPECT_EQ(viewer.Layout().Count, 5);

    TBitmap32List empty;
    viewer.SetImageList(&empty);
    EXPECT_TRUE(viewer.Layout().IsEmpty());
    viewer.SetImageList(nullptr);
    EXPECT_TRUE(viewer.Layout().IsEmpty());
    Press(1, 1);
    EXPECT_TRUE(downs.empty());

    auto doomed = std::make_unique<TBitmap32List>();
    doomed->Add(TBitmap32(160, 35, clRed32));
    viewer.SetImageList(doomed.get());
    doomed.reset();
    EXPECT_EQ(viewer.ImageList(), nullptr);
    viewer.Rebuild();
    EXPECT_TRUE(viewer.Layout().IsEmpty());
}

TEST_F(ImageListViewer32Test, APressAfterTheListShrankReportsAThumbnailThatExists)
{
    Press(10, 150);
    ASSERT_EQ(viewer.Selected(), 4);
    list.Delete(4);
    list.Delete(3);
    Press(10, 150);  // the stale grid still shows the fifth strip
    EXPECT_EQ(viewer.Layout().Count, 3);
    EXPECT_EQ(downs.back().Index, 0);
}
