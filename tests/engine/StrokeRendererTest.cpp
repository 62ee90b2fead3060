#include "CurrentFolderScope.h"
#include "engine/BitmapBrushStrokeRenderer.h"
#include "engine/PersistentObjectManager.h"
#include "engine/StrokeRenderer.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>
#include <string>

namespace {

constexpr TColor32 Ink = 0xFF203040u;

// A straight stroke along +X from x0 to x1, its edges on rows top and
// bottom, with N points per edge.
struct TOutline {
    TArrayOfFixedPoint Left, Right;
};

TOutline HorizontalStroke(int32_t x0, int32_t x1, int32_t top, int32_t bottom, int n = 4)
{
    TOutline o;
    for (int i = 0; i < n; ++i) {
        const int32_t x = x0 + (x1 - x0) * i / (n - 1);
        o.Left.push_back(FixedPoint(Point(x, top)));
        o.Right.push_back(FixedPoint(Point(x, bottom)));
    }
    return o;
}

// A brush whose blue channel is Rows[r] in every pixel of row r.
TBitmap32 RowBrush(int32_t width, const std::vector<uint8_t>& rows)
{
    TBitmap32 b(width, static_cast<int32_t>(rows.size()));
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < width; ++x) b.Pixel(x, y) = Color32(7, 8, rows[static_cast<size_t>(y)]);
    return b;
}

std::vector<uint8_t> Uniform(int32_t height, uint8_t blue) { return std::vector<uint8_t>(size_t(height), blue); }

std::unique_ptr<TBitmapBrushStrokeRenderer> NewBrush(int32_t id, int32_t span, const TBitmap32& image)
{
    TMemoryStream file;
    TBitmapBrushStrokeRenderer::WriteBrushFile(file, id, span, image);
    file.SetPosition(0);
    auto r = std::make_unique<TBitmapBrushStrokeRenderer>();
    r->LoadFromStream(file);
    return r;
}

// Pixels of After that differ from Before all lie inside R.
void ExpectChangesInside(const TBitmap32& before, const TBitmap32& after, const TRect& r)
{
    int changed = 0;
    for (int32_t y = 0; y < after.Height(); ++y)
        for (int32_t x = 0; x < after.Width(); ++x)
            if (before.Pixel(x, y) != after.Pixel(x, y)) {
                ++changed;
                EXPECT_TRUE(PtInRect(r, Point(x, y))) << "pixel (" << x << ", " << y << ") outside the painted rect";
            }
    EXPECT_GT(changed, 0);
}

TColor32 OnWhite(TColor32 color, uint8_t alpha) { return BlendColor(SetAlpha(color, alpha), clWhite32); }

} // namespace

// --- Brush files ---------------------------------------------------------------

TEST(BrushFile, RoundTripKeepsIdentifierSpanAndImage)
{
    TBitmap32 image = RowBrush(5, {0, 60, 255});
    image.Pixel(2, 1) = 0x80112233u;
    auto r = NewBrush(42, 17, image);
    EXPECT_EQ(r->ID(), 42);
    EXPECT_EQ(r->BrushSpan(), 17);
    ASSERT_EQ(r->Brush().Width(), 5);
    ASSERT_EQ(r->Brush().Height(), 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(r->Brush().Pixel(x, y), image.Pixel(x, y));
    EXPECT_EQ(r->GetFileExtension(), "srd");
    EXPECT_EQ(r->GetKindName(), "srend");

    // Renderers are never written by the program.
    TMemoryStream out;
    r->SaveToStream(out);
    EXPECT_EQ(out.Size(), 0);
}

TEST(BrushFile, ShortOrDamagedFilesRaiseAndChangeNothing)
{
    auto r = NewBrush(7, 9, RowBrush(4, {255, 255}));
    for (const int keep : {0, 3, 7, 8, 20}) {
        TMemoryStream full;
        TBitmapBrushStrokeRenderer::WriteBrushFile(full, 99, 1, RowBrush(6, {1, 2, 3}));
        TMemoryStream cut(std::vector<uint8_t>(full.Bytes().begin(), full.Bytes().begin() + keep));
        EXPECT_THROW(r->LoadFromStream(cut), EngineError) << keep << " bytes";
        EXPECT_EQ(r->ID(), 7);
        EXPECT_EQ(r->BrushSpan(), 9);
        EXPECT_EQ(r->Brush().Width(), 4);
    }
    TMemoryStream notBmp;
    notBmp.WriteInt32(1);
    notBmp.WriteInt32(10);
    notBmp.WriteInt32(0x12345678);
    notBmp.SetPosition(0);
    EXPECT_THROW(r->LoadFromStream(notBmp), EngineError);
}

TEST(BrushFile, ManagerFindsPolygonFirstAndEarlierDuplicates)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    const auto write = [&](const std::string& name, int32_t id, uint8_t blue) {
        TFileStream f(folder + name, TFileStream::Mode::Create);
        TBitmapBrushStrokeRenderer::WriteBrushFile(f, id, 8, RowBrush(4, Uniform(8, blue)));
        f.Close();
    };
    write("a.srd", 0, 10);  // ID 0 can never be found by its identifier
    write("b.srd", 5, 20);
    write("c.srd", 5, 30);  // a duplicate: the earlier file wins
    {
        TFileStream bad(folder + "d.srd", TFileStream::Mode::Create);
        bad.WriteInt32(3);
        bad.Close();
    }
    const TCurrentFolderScope cwd(folder);
    TPersistentObjectManager manager(TBitmapBrushStrokeRenderer::BrushClass(), folder);
    ASSERT_EQ(manager.Count(), 3);  // the short file is logged and skipped
    manager.InsertFirst(std::make_unique<TPolygonStrokeRenderer>());

    EXPECT_NE(dynamic_cast<TPolygonStrokeRenderer*>(manager.FindByID(0)), nullptr);
    auto* five = dynamic_cast<TBitmapBrushStrokeRenderer*>(manager.FindByID(5));
    ASSERT_NE(five, nullptr);
    EXPECT_EQ(BlueComponent(five->Brush().Pixel(0, 0)), 20);
    EXPECT_EQ(manager.FindByID(6), nullptr);
}

// --- Polygon renderer ----------------------------------------------------------

TEST(PolygonStrokeRenderer, FillsOpaqueWhateverTheOpacityAndReportsItsArea)
{
    const TOutline o = HorizontalStroke(10, 50, 20, 30);
    TPolygonStrokeRenderer r;
    r.SetColor(Ink);
    TBitmap32 full(64, 48, clWhite32), faint(64, 48, clWhite32);
    r.SetOpacity(255);
    const TRect painted = r.Render(o.Left, o.Right, full);
    r.SetOpacity(100);
    r.Render(o.Left, o.Right, faint);
    EXPECT_EQ(r.GetColor(), Ink);

    EXPECT_EQ(full.Pixel(30, 25), Ink);
    EXPECT_EQ(full.Pixel(30, 10), clWhite32);
    EXPECT_EQ(full.Pixel(5, 25), clWhite32);
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 64; ++x) ASSERT_EQ(full.Pixel(x, y), faint.Pixel(x, y));
    ExpectChangesInside(TBitmap32(64, 48, clWhite32), full, painted);
}

TEST(PolygonStrokeRenderer, OneMissingEdgeDrawsNothing)
{
    const TOutline o = HorizontalStroke(10, 50, 20, 30);
    TPolygonStrokeRenderer r;
    TBitmap32 dest(64, 48, clWhite32);
    EXPECT_TRUE(r.Render(o.Left, {}, dest).IsEmpty());
    EXPECT_TRUE(r.Render({}, o.Right, dest).IsEmpty());
    EXPECT_EQ(dest.Pixel(30, 25), clWhite32);
}

// --- Brush renderer: choosing the pass ---------------------------------------------

TEST(BitmapBrushStrokeRenderer, RowsFollowTheStartWidthAndTheSpan)
{
    const TBitmap32 image = RowBrush(16, Uniform(32, 255));
    EXPECT_EQ(NewBrush(1, 32, image)->RowsFor(10.0f), 10);
    EXPECT_EQ(NewBrush(1, 16, image)->RowsFor(10.0f), 20);
    EXPECT_EQ(NewBrush(1, 64, image)->RowsFor(5.0f), 2);  // 2.5 rounds to even
    EXPECT_EQ(NewBrush(1, 0, image)->RowsFor(10.0f), 0);
    EXPECT_EQ(NewBrush(1, -3, image)->RowsFor(10.0f), 0);
    // A crafted span of 1 under a tall image stays bounded.
    EXPECT_EQ(NewBrush(1, 1, RowBrush(2, Uniform(4000, 255)))->RowsFor(30000.0f),
              TBitmapBrushStrokeRenderer::MaxRows);
}

TEST(BitmapBrushStrokeRenderer, ShortThinOrSpanlessStrokesFillPolygons)
{
    auto r = NewBrush(1, 32, RowBrush(16, Uniform(32, 255)));
    // Two left points under 4 pixels apart: polygon, however wide.
    const TOutline stub = HorizontalStroke(10, 13, 10, 30, 2);
    EXPECT_FALSE(r->UsesBrushPass(stub.Left, stub.Right));
    const TOutline two = HorizontalStroke(10, 14, 10, 30, 2);
    EXPECT_TRUE(r->UsesBrushPass(two.Left, two.Right));
    // Three left points always take the brush pass once Rows >= 3.
    const TOutline three = HorizontalStroke(10, 11, 10, 30, 3);
    EXPECT_TRUE(r->UsesBrushPass(three.Left, three.Right));
    const TOutline thin = HorizontalStroke(10, 40, 10, 12);  // 2 rows
    EXPECT_FALSE(r->UsesBrushPass(thin.Left, thin.Right));
    const TOutline wide = HorizontalStroke(10, 40, 10, 20);
    EXPECT_FALSE(NewBrush(1, 0, RowBrush(16, Uniform(32, 255)))->UsesBrushPass(wide.Left, wide.Right));
    EXPECT_FALSE(NewBrush(1, -5, RowBrush(16, Uniform(32, 255)))->UsesBrushPass(wide.Left, wide.Right));
}

TEST(BitmapBrushStrokeRenderer, PolygonFallbackBlendsWithTheOpacityAndKeepsIt)
{
    auto r = NewBrush(1, 0, RowBrush(16, Uniform(32, 255)));
    const TOutline o = HorizontalStroke(10, 50, 20, 30);
    r->SetColor(Ink);
    r->SetOpacity(100);
    TBitmap32 dest(64, 48, clWhite32);
    const TRect painted = r->Render(o.Left, o.Right, dest);
    EXPECT_EQ(dest.Pixel(30, 25), OnWhite(Ink, 100));
    EXPECT_EQ(dest.Pixel(30, 10), clWhite32);
    EXPECT_EQ(r->GetColor(), SetAlpha(Ink, 100));
    ExpectChangesInside(TBitmap32(64, 48, clWhite32), dest, painted);
}

TEST(BitmapBrushStrokeRenderer, MissingEdgesDrawNothing)
{
    auto r = NewBrush(1, 8, RowBrush(16, Uniform(8, 255)));
    const TOutline o = HorizontalStroke(10, 50, 20, 30);
    TBitmap32 dest(64, 48, clWhite32);
    EXPECT_TRUE(r->Render(o.Left, {}, dest).IsEmpty());
    EXPECT_TRUE(r->Render({}, o.Right, dest).IsEmpty());
    EXPECT_TRUE(r->Render({}, {}, dest).IsEmpty());
    EXPECT_EQ(dest.Pixel(30, 25), clWhite32);
}

// --- Brush renderer: the brush pass --------------------------------------------------

// A stroke along +X from x = 20 to 80, 10 pixels wide around row 45. With a
// 10-row brush and span 10 the two turtles start copies on rows 41..49; the
// walked path is two pixels wide (each step also records the pixel above),
// so the copies cover rows 40..49. The extent's outermost rows and columns
// stay unpainted, which leaves rows 41..47.
TEST(BitmapBrushStrokeRenderer, BrushPassPaintsTheStripAroundThePath)
{
    auto r = NewBrush(3, 10, RowBrush(30, Uniform(10, 255)));
    const TOutline o = HorizontalStroke(20, 80, 40, 50);
    r->SetColor(Ink);
    r->SetOpacity(255);
    const TBitmap32 white(100, 80, clWhite32);
    TBitmap32 dest(white);
    dest.DrawMode = TDrawMode::dmBlend;
    const TRect painted = r->Render(o.Left, o.Right, dest);
    EXPECT_EQ(dest.DrawMode, TDrawMode::dmOpaque);

    for (int32_t y = 41; y <= 47; ++y) EXPECT_EQ(dest.Pixel(50, y), OnWhite(Ink, 254)) << "row " << y;
    for (const int32_t y : {38, 39, 40, 48, 49, 50, 52}) EXPECT_EQ(dest.Pixel(50, y), clWhite32) << "row " << y;
    for (const int32_t x : {10, 19, 20, 85}) EXPECT_EQ(dest.Pixel(x, 45), clWhite32) << "column " << x;
    EXPECT_EQ(dest.Pixel(22, 45), OnWhite(Ink, 254));
    EXPECT_EQ(painted.Top, 41);
    EXPECT_EQ(painted.Bottom, 48);
    ExpectChangesInside(white, dest, painted);
    EXPECT_EQ(r->GetColor(), Ink);  // the brush pass keeps the colour as given
}

TEST(BitmapBrushStrokeRenderer, BrushRowsLieAcrossTheStrokeTopTowardMinusY)
{
    // Eight rows and a span of 8 over an 8-pixel-wide stroke: one strip row
    // per brush row. Copies alternate between the sides, rows 4, 4, 3, 5, 2,
    // 6, 1, 7 starting on rows 45, 45, 44, 46, 43, 47, 42, 48; each also
    // paints the row above it, and a later copy replaces an earlier one.
    const std::vector<uint8_t> blues{10, 40, 70, 100, 130, 160, 190, 220};
    auto r = NewBrush(3, 8, RowBrush(40, blues));
    const TOutline o = HorizontalStroke(20, 80, 41, 49);
    r->SetColor(clBlack32);
    TBitmap32 dest(100, 80, clWhite32);
    r->Render(o.Left, o.Right, dest);
    const std::vector<std::pair<int32_t, size_t>> rowAt{{42, 1}, {43, 2}, {44, 3}, {45, 5}, {46, 6}};
    for (const auto& [y, row] : rowAt)
        EXPECT_EQ(dest.Pixel(50, y), OnWhite(clBlack32, uint8_t((blues[row] * 255) >> 8))) << "y " << y;
    // Rows 41 and 47 are the extent's border; brush row 0 is never drawn.
    EXPECT_EQ(dest.Pixel(50, 41), clWhite32);
    EXPECT_EQ(dest.Pixel(50, 47), clWhite32);
}

TEST(BitmapBrushStrokeRenderer, OddRowCountsDrawRowZeroLast)
{
    // Five rows over a 5-pixel-wide stroke centred on row 43: copies of rows
    // 2, 2, 1, 3, 0 start on rows 43, 43, 42, 44, 41, each also painting the
    // row above. The extent spans rows 40..44, of which only 41 and 42 lie
    // inside its border: row 0 (the last copy) on 41, row 1 on 42.
    const std::vector<uint8_t> blues{20, 60, 100, 140, 180};
    auto r = NewBrush(3, 5, RowBrush(40, blues));
    const TOutline o = HorizontalStroke(20, 80, 41, 46);
    r->SetColor(clBlack32);
    TBitmap32 dest(100, 80, clWhite32);
    const TRect painted = r->Render(o.Left, o.Right, dest);
    EXPECT_EQ(dest.Pixel(50, 41), OnWhite(clBlack32, uint8_t((blues[0] * 255) >> 8)));
    EXPECT_EQ(dest.Pixel(50, 42), OnWhite(clBlack32, uint8_t((blues[1] * 255) >> 8)));
    for (const int32_t y : {40, 43, 44}) EXPECT_EQ(dest.Pixel(50, y), clWhite32) << "y " << y;
    EXPECT_EQ(painted.Top, 41);
    EXPECT_EQ(painted.Bottom, 43);
}

TEST(BitmapBrushStrokeRenderer, CoverageScalesWithOpacityAndZeroPaintsNothing)
{
    const TOutline o = HorizontalStroke(20, 80, 40, 50);
    auto half = NewBrush(3, 10, RowBrush(30, Uniform(10, 200)));
    half->SetColor(Ink);
    half->SetOpacity(128);
    TBitmap32 dest(100, 80, clWhite32);
    half->Render(o.Left, o.Right, dest);
    EXPECT_EQ(dest.Pixel(50, 45), OnWhite(Ink, (200 * 128) >> 8));

    auto blank = NewBrush(3, 10, RowBrush(30, Uniform(10, 0)));
    TBitmap32 clean(100, 80, clWhite32);
    blank->Render(o.Left, o.Right, clean);
    for (int32_t y = 0; y < 80; ++y)
        for (int32_t x = 0; x < 100; ++x) ASSERT_EQ(clean.Pixel(x, y), clWhite32);
}

TEST(BitmapBrushStrokeRenderer, BrushTallerThanItsSpanPaintsBeyondTheOutline)
{
    // Span 10 of a 30-row image: three times the outline's width.
    auto r = NewBrush(3, 10, RowBrush(30, Uniform(30, 255)));
    const TOutline o = HorizontalStroke(20, 80, 40, 50);
    const TBitmap32 white(100, 100, clWhite32);
    TBitmap32 dest(white);
    const TRect painted = r->Render(o.Left, o.Right, dest);
    EXPECT_NE(dest.Pixel(50, 33), clWhite32);
    EXPECT_NE(dest.Pixel(50, 57), clWhite32);
    EXPECT_LT(painted.Top, 39);
    EXPECT_GT(painted.Bottom, 52);
    ExpectChangesInside(white, dest, painted);
}

TEST(BitmapBrushStrokeRenderer, CopiesStopAtTheDestinationBorder)
{
    auto r = NewBrush(3, 10, RowBrush(30, Uniform(30, 255)));
    const TOutline o = HorizontalStroke(20, 80, 1, 9);
    const TBitmap32 white(100, 60, clWhite32);
    TBitmap32 dest(white);
    const TRect painted = r->Render(o.Left, o.Right, dest);
    for (int32_t x = 0; x < 100; ++x) EXPECT_EQ(dest.Pixel(x, 0), clWhite32);
    EXPECT_NE(dest.Pixel(50, 8), clWhite32);
    ExpectChangesInside(white, dest, painted);

    // Wholly outside: nothing measured, nothing painted, no overflow.
    TBitmap32 other(white);
    const TOutline away = HorizontalStroke(300, 360, 200, 210);
    EXPECT_TRUE(r->Render(away.Left, away.Right, other).IsEmpty());
}

TEST(BitmapBrushStrokeRenderer, CraftedSpanOfOneStaysBounded)
{
    auto r = NewBrush(3, 1, RowBrush(8, Uniform(3000, 255)));
    const TOutline o = HorizontalStroke(20, 80, 40, 50);
    const TBitmap32 white(100, 100, clWhite32);
    TBitmap32 dest(white);
    const TRect painted = r->Render(o.Left, o.Right, dest);
    EXPECT_NE(dest.Pixel(50, 50), clWhite32);
    ExpectChangesInside(white, dest, painted);
}
