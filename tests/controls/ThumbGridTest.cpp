// The grid arithmetic shared by both thumbnail grids, and the two lists they show.
#include "controls/Bitmap32List.h"
#include "controls/ImageList.h"
#include "controls/ThumbGridLayout.h"
#include "gfx/Errors.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace {

TThumbGridGeometry Geometry(int32_t margin, int32_t width, int32_t height) { return {margin, width, height}; }

TThumbGridLayout LayoutOf(const TThumbGridGeometry& g, int32_t clientWidth, int32_t count)
{
    const auto layout = LayoutThumbGrid(g, clientWidth, count);
    EXPECT_TRUE(layout.has_value());
    return layout.value_or(TThumbGridLayout{});
}

struct TLayoutCase {
    int32_t ClientWidth, Count, Columns, Rows, Width, Height;
};

}  // namespace

TEST(ThumbGridLayout, ColumnsAndRowsFollowTheClientWidth)
{
    // 40 by 40 thumbnails with a margin of 2: a column takes 42 pixels, plus
    // the 2 of the left edge.
    const TLayoutCase cases[] = {
        {168, 7, 3, 3, 128, 128},  // (168 - 2) div 42 = 3
        {127, 7, 2, 4, 86, 170},   // one pixel short of the third column
        {128, 7, 3, 3, 128, 128},  // exactly three columns
        {300, 7, 7, 1, 296, 44},   // all in one row
        {1000, 2, 2, 1, 86, 44},   // fewer thumbnails than fit: no empty columns
        {43, 3, 1, 3, 44, 128},    // narrower than one cell still shows one column
        {0, 3, 1, 3, 44, 128},
        {-5, 1, 1, 1, 44, 44},
    };
    for (const TLayoutCase& c : cases) {
        SCOPED_TRACE(c.ClientWidth);
        const TThumbGridLayout layout = LayoutOf(Geometry(2, 40, 40), c.ClientWidth, c.Count);
        EXPECT_EQ(layout.Columns, c.Columns);
        EXPECT_EQ(layout.Rows, c.Rows);
        EXPECT_EQ(layout.Width, c.Width);
        EXPECT_EQ(layout.Height, c.Height);
    }
}

TEST(ThumbGridLayout, BrushStripsWithoutMarginStackInOneColumn)
{
    const TThumbGridLayout layout = LayoutOf(Geometry(0, 160, 35), 150, 5);
    EXPECT_EQ(layout.Columns, 1);
    EXPECT_EQ(layout.Width, 160);
    EXPECT_EQ(layout.Height, 35 * 5);
    EXPECT_EQ(ThumbCellAt(layout, 3), (TThumbCell{0, 105}));
}

TEST(ThumbGridLayout, NothingToLayOutGivesNoLayoutInsteadOfFailing)
{
    EXPECT_FALSE(LayoutThumbGrid(Geometry(2, 40, 40), 168, 0));
    EXPECT_FALSE(LayoutThumbGrid(Geometry(2, 40, 40), 168, -1));
    EXPECT_FALSE(LayoutThumbGrid(Geometry(2, 0, 40), 168, 3));
    EXPECT_FALSE(LayoutThumbGrid(Geometry(2, 40, 0), 168, 3));
    EXPECT_FALSE(LayoutThumbGrid(Geometry(2, -1, -1), 168, 3));
    EXPECT_FALSE(LayoutThumbGrid(Geometry(-1, 40, 40), 168, 3));
    // Width -2 with margin 2 would divide by zero.
    EXPECT_FALSE(LayoutThumbGrid(Geometry(2, -2, 40), 168, 3));
    // A canvas too large to allocate is refused, not wrapped round.
    EXPECT_FALSE(LayoutThumbGrid(Geometry(2, 40, 40), 168, 2000000000));
    EXPECT_FALSE(LayoutThumbGrid(Geometry(0, 2000000000, 2000000000), 168, 1));
}

TEST(ThumbGridLayout, CellsRunRowByRow)
{
    const TThumbGridLayout layout = LayoutOf(Geometry(2, 40, 40), 168, 7);
    EXPECT_EQ(ThumbCellAt(layout, 0), (TThumbCell{2, 2}));
    EXPECT_EQ(ThumbCellAt(layout, 2), (TThumbCell{86, 2}));
    EXPECT_EQ(ThumbCellAt(layout, 3), (TThumbCell{2, 44}));
    EXPECT_EQ(ThumbCellAt(layout, 6), (TThumbCell{2, 86}));
}

TEST(ThumbGridLayout, IndexUnderAPointIncludesAllFourEdges)
{
    const TThumbGridLayout layout = LayoutOf(Geometry(2, 40, 40), 168, 7);
    EXPECT_EQ(ThumbIndexAt(layout, 2, 2), 0);
    EXPECT_EQ(ThumbIndexAt(layout, 42, 42), 0);  // x + TW and y + TH belong to the cell
    EXPECT_EQ(ThumbIndexAt(layout, 44, 2), 1);
    EXPECT_EQ(ThumbIndexAt(layout, 100, 50), 5);
    EXPECT_EQ(ThumbIndexAt(layout, 10, 100), 6);
}

TEST(ThumbGridLayout, MarginsAndTheSpacePastTheLastThumbnailHitNothing)
{
    const TThumbGridLayout layout = LayoutOf(Geometry(2, 40, 40), 168, 7);
    EXPECT_FALSE(ThumbIndexAt(layout, 1, 10));    // left margin
    EXPECT_FALSE(ThumbIndexAt(layout, 10, 1));    // top margin
    EXPECT_FALSE(ThumbIndexAt(layout, 43, 10));   // gap between columns
    EXPECT_FALSE(ThumbIndexAt(layout, 10, 43));   // gap between rows
    EXPECT_FALSE(ThumbIndexAt(layout, 50, 100));  // third row has one thumbnail only
    EXPECT_FALSE(ThumbIndexAt(layout, 127, 10));  // right margin
    EXPECT_FALSE(ThumbIndexAt(layout, 500, 10));  // beyond the canvas
    EXPECT_FALSE(ThumbIndexAt(layout, 10, 500));
    EXPECT_FALSE(ThumbIndexAt(layout, -3, -3));
    EXPECT_FALSE(ThumbIndexAt(TThumbGridLayout{}, 0, 0));
}

TEST(ThumbGridLayout, WithoutMarginASharedBorderBelongsToTheEarlierThumbnail)
{
    const TThumbGridLayout row = LayoutOf(Geometry(0, 40, 40), 120, 3);
    EXPECT_EQ(ThumbIndexAt(row, 40, 10), 0);
    EXPECT_EQ(ThumbIndexAt(row, 41, 10), 1);
    EXPECT_EQ(ThumbIndexAt(row, 120, 10), 2);  // the far edge of the last one
    EXPECT_FALSE(ThumbIndexAt(row, 121, 10));

    const TThumbGridLayout column = LayoutOf(Geometry(0, 160, 35), 100, 3);
    EXPECT_EQ(ThumbIndexAt(column, 0, 35), 0);
    EXPECT_EQ(ThumbIndexAt(column, 0, 36), 1);
    EXPECT_EQ(ThumbIndexAt(column, 160, 70), 1);
}

TEST(ThumbGridLayout, MarginOneLeavesOneFreeLineBetweenCells)
{
    const TThumbGridLayout layout = LayoutOf(Geometry(1, 40, 40), 200, 4);
    EXPECT_EQ(ThumbIndexAt(layout, 41, 5), 0);
    EXPECT_EQ(ThumbIndexAt(layout, 42, 5), 1);
    EXPECT_FALSE(ThumbIndexAt(layout, 0, 5));
}

TEST(ImageList, KeepsEveryPictureAtTheListSize)
{
    TImageList list(40, 40);
    QImage big(80, 20, QImage::Format_RGB32);
    big.fill(Qt::red);
    EXPECT_EQ(list.Add(big), 0);
    EXPECT_EQ(list.Add(QImage()), 1);
    EXPECT_EQ(list.Image(0).size(), QSize(40, 40));
    EXPECT_EQ(list.Image(0).pixel(20, 20), qRgb(255, 0, 0));
    EXPECT_EQ(list.Image(1).size(), QSize(40, 40));
    EXPECT_EQ(qAlpha(list.Image(1).pixel(0, 0)), 0);

    list.SetSize(16, 16);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(TImageList(-1, 4), EngineError);
}

TEST(ImageList, ReportsEachChangeAndOneForABatch)
{
    TImageList list(8, 8);
    QSignalSpy changes(&list, &TImageList::Change);
    list.Add(QImage());
    list.Replace(0, QImage());
    list.Add(QImage());
    list.Delete(0);
    EXPECT_EQ(changes.count(), 4);

    list.BeginUpdate();
    list.BeginUpdate();
    list.Add(QImage());
    list.Add(QImage());
    list.EndUpdate();
    EXPECT_EQ(changes.count(), 4);
    list.EndUpdate();
    EXPECT_EQ(changes.count(), 5);

    list.BeginUpdate();
    list.EndUpdate();  // nothing changed, nothing to tell
    list.Clear();
    list.Clear();  // already empty
    EXPECT_EQ(changes.count(), 6);
}

TEST(ImageList, BadIndicesRaiseAndChangeNothing)
{
    TImageList list(8, 8);
    list.Add(QImage());
    QSignalSpy changes(&list, &TImageList::Change);
    EXPECT_THROW(list.Image(1), EngineError);
    EXPECT_THROW(list.Image(-1), EngineError);
    EXPECT_THROW(list.Replace(1, QImage()), EngineError);
    EXPECT_THROW(list.Delete(5), EngineError);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(changes.count(), 0);
}

TEST(Bitmap32List, HoldsCopiesAndChecksIndices)
{
    TBitmap32List list;
    TBitmap32 red(3, 2, clRed32);
    list.Add(red);
    red.Clear(clBlue32);
    list.Add().SetSize(5, 5);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Bitmap(0).Pixel(2, 1), clRed32);
    EXPECT_EQ(list.Bitmap(1).Width(), 5);
    EXPECT_THROW(list.Bitmap(2), EngineError);
    list.Delete(0);
    EXPECT_EQ(list.Bitmap(0).Width(), 5);
    EXPECT_THROW(list.Delete(-1), EngineError);
}
