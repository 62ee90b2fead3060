// The document: creation, settings, placing and colouring strokes, undo
// steps, and a whole drawing from a picture, headless.
#include "engine/DualImage.h"

#include "ScratchTempFolder.h"
#include "common/FileSizeLimit.h"
#include "engine/FeatureExtractor.h"
#include "engine/GStates.h"
#include "engine/GTypes.h"
#include "engine/PolyBezier.h"
#include "engine/PolyBezierLayer.h"
#include "engine/Strokes.h"
#include "engine/Styles.h"
#include "gfx/Errors.h"
#include "gfx/ImageView.h"
#include "gfx/Random.h"
#include "gfx/Stream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <set>

namespace {

// A picture with tones and edges: a dark disc on a light gradient.
TBitmap32 TestPicture(int32_t w, int32_t h)
{
    TBitmap32 pic(w, h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const double dx = x - w / 2.0, dy = y - h / 2.0;
            const bool inDisc = dx * dx + dy * dy < (h / 3.0) * (h / 3.0);
            const uint8_t v = static_cast<uint8_t>(inDisc ? 40 + x % 20 : 150 + (x * 100) / w);
            pic.Pixel(x, y) = Color32(v, static_cast<uint8_t>(v * 3 / 4), static_cast<uint8_t>(255 - v / 2));
        }
    }
    return pic;
}

// Two views over a picture and a white destination, as the command module
// sets them up, and a document with the default style.
class DocumentTest : public ::testing::Test {
protected:
    explicit DocumentTest(TBitmap32 picture = TestPicture(120, 90))
        : source(std::move(picture)), dest(source.Width(), source.Height(), clWhite32)
    {
        RandSeed = 0;
        sourceView.SetBitmap(&source);
        destView.SetBitmap(&dest);
    }

    TDualImage& MakeDocument()
    {
        doc = std::make_unique<TDualImage>(sourceView, destView, 1.0f);
        doc->SetStyle(&style);
        doc->SetAutoMode(true);
        return *doc;
    }

    // Strokes recorded in the applied steps.
    std::vector<TStrokeRecord> RecordedStrokes()
    {
        std::vector<TStrokeRecord> out;
        TStrokeRecord r;
        for (int32_t i = 0; i < doc->StateCount(); ++i) {
            TStrokes& strokes = doc->States().GetState(i).Strokes();
            strokes.Rewind();
            while (strokes.ReadStroke(r)) out.push_back(r);
        }
        return out;
    }

    // One step of strokes at the generator's random points.
    void DrawRun(int32_t count)
    {
        doc->BeginState();
        for (int32_t i = 0; i < count; ++i) {
            const int32_t x = Random(source.Width());
            const int32_t y = Random(source.Height());
            doc->PlaceStrokeAt(x, y);
        }
        doc->EndState();
    }

    TScratchTempFolder temp;
    TBitmap32 source, dest;
    TImageView sourceView, destView;
    TGStyle style;
    std::unique_ptr<TDualImage> doc;
};

class UniformDocumentTest : public DocumentTest {
protected:
    UniformDocumentTest() : DocumentTest(TBitmap32(100, 100, Color32(200, 100, 50))) {}

    TColor32 PlaceOneAndGetColour()
    {
        doc->BeginState();
        doc->PlaceStrokeAt(50, 50);
        doc->EndState();
        const auto strokes = RecordedStrokes();
        EXPECT_FALSE(strokes.empty());
        return strokes.empty() ? 0 : strokes.back().Color;
    }

    void NoVariation()
    {
        style.SetHueVar(0);
        style.SetSatVar(0);
        style.SetLightVar(0);
    }
};

} // namespace

TEST_F(DocumentTest, CreationDefaults)
{
    TDualImage& d = MakeDocument();
    EXPECT_EQ(d.ColorMode(), cmAuto);
    EXPECT_EQ(d.Density(), 50);
    EXPECT_EQ(d.Radius(), 50);
    EXPECT_EQ(d.GradientFrom(), clWhite32);
    EXPECT_EQ(d.GradientTo(), clBlack32);
    EXPECT_FALSE(d.Modified);
    EXPECT_TRUE(d.FileName.empty());
    EXPECT_FALSE(d.ShowEdges());
    EXPECT_FALSE(d.ShowDirections());
    EXPECT_EQ(d.ActiveView(), &sourceView);
    EXPECT_EQ(d.StateCount(), 0);
    EXPECT_FALSE(d.CanUndo());
    EXPECT_EQ(d.FeatureMap().Width(), 120);
    // The map is the analysis of the source picture.
    auto expected = TFeatureExtractor::Run(source);
    EXPECT_TRUE(SameBitmaps(d.FeatureMap(), *expected));
    // The document's overlay and cursor layers sit on the source view.
    EXPECT_EQ(sourceView.LayerCount(), 3);
}

TEST_F(DocumentTest, RadiusBoundsAndPalette)
{
    TDualImage& d = MakeDocument();
    d.SetRadius(7);
    EXPECT_EQ(d.Radius(), 50);
    d.SetRadius(501);
    EXPECT_EQ(d.Radius(), 50);
    d.SetRadius(8);
    EXPECT_EQ(d.Radius(), 8);
    d.SetRadius(500);
    EXPECT_EQ(d.Radius(), 500);

    EXPECT_EQ(d.AddPaletteColor(clRed32), 0);
    EXPECT_EQ(d.AddPaletteColor(clBlue32), 1);
    EXPECT_EQ(d.GetPaletteColor(1), clBlue32);
    EXPECT_THROW(d.GetPaletteColor(2), EngineError);
    EXPECT_THROW(d.GetPaletteColor(-1), EngineError);
    d.ClearPalette();
    EXPECT_EQ(d.PaletteCount(), 0);
}

TEST_F(DocumentTest, GuideDirections)
{
    TBitmap32 pic(105, 105, clWhite32);
    source = pic;
    TDualImage& d = MakeDocument();
    TByteDirection dir = 0;
    d.GuideDirection(50, 50, dir);
    EXPECT_EQ(dir, 128);
    // Round(104 / 10) = 10 on both axes: cell 10 * 10 + 10 is past the last.
    d.GuideDirection(104, 104, dir);
    EXPECT_EQ(dir, 32);
    d.GuideDirection(-500, -500, dir);
    EXPECT_EQ(dir, 32);
}

TEST_F(DocumentTest, PointsOutsideOrTooWeakPlaceNothingButMarkTheDocument)
{
    TDualImage& d = MakeDocument();
    int changes = 0;
    d.SetOnChange([&](TDualImage&) { ++changes; });
    d.BeginState();
    d.PlaceStrokeAt(-1, 5);
    d.PlaceStrokeAt(120, 5);
    d.PlaceStrokeAt(5, 90);
    d.EndState();
    EXPECT_TRUE(d.Modified);
    EXPECT_EQ(d.StateCount(), 0);
    EXPECT_EQ(changes, 0);

    // A border limit above every strength of the map stops every start.
    d.Modified = false;
    style.SetBorderLimit(1); // stored 59
    d.BeginState();
    for (int i = 0; i < 50; ++i) d.PlaceStrokeAt(10 + i, 40);
    d.EndState();
    EXPECT_TRUE(d.Modified);
    EXPECT_EQ(d.StateCount(), 0);
    EXPECT_EQ(changes, 0);
}

TEST_F(DocumentTest, StepsNestAndUnmatchedEndsAreIgnored)
{
    TDualImage& d = MakeDocument();
    int changes = 0;
    d.SetOnChange([&](TDualImage&) { ++changes; });
    d.EndState(); // nothing open: ignored
    EXPECT_EQ(d.StateNesting(), 0);
    d.BeginState();
    d.BeginState();
    d.PlaceStrokeAt(30, 30);
    d.EndState();
    EXPECT_EQ(d.StateCount(), 0); // still open
    d.PlaceStrokeAt(60, 45);
    d.EndState();
    EXPECT_EQ(d.StateCount(), 1);
    EXPECT_EQ(changes, 1);
    // Without an open step nothing is recorded or drawn.
    const TBitmap32 before = dest;
    d.PlaceStrokeAt(60, 45);
    EXPECT_TRUE(SameBitmaps(before, dest));
}

TEST_F(DocumentTest, SprayPlacesTheFormulasCountAroundThePoint)
{
    TDualImage& d = MakeDocument();
    // Length 40, density 50, gain 12: (120 + 500) div 12 = 51 strokes.
    d.BeginState();
    d.SprayAt(60, 45);
    d.EndState();
    const auto centre = RecordedStrokes().size();
    EXPECT_GT(centre, 30u);
    EXPECT_LE(centre, 51u);

    // At a corner most points fall outside the picture.
    d.BeginState();
    d.SprayAt(0, 0);
    d.EndState();
    EXPECT_LT(RecordedStrokes().size() - centre, centre);
}

TEST_F(DocumentTest, AnAbsurdStyleLengthPlacesNothing)
{
    TDualImage& d = MakeDocument();
    style.SetLength(2147483647);
    d.BeginState();
    d.PlaceStrokeAt(60, 45);
    d.EndState();
    EXPECT_EQ(d.StrokeCount(), 0);
}

TEST_F(DocumentTest, PatternToolWithoutAPatternPlacesNothing)
{
    TDualImage& d = MakeDocument();
    d.SetAutoMode(false);
    d.BeginState();
    d.SprayAt(60, 45);
    d.EndState();
    EXPECT_TRUE(d.Modified);
    EXPECT_EQ(d.StateCount(), 0);
}

TEST_F(DocumentTest, FillAlongCurves)
{
    TDualImage& d = MakeDocument();
    d.BeginState();
    EXPECT_THROW(d.FillAlongCurves(), SilentAbort); // no curve
    auto curve = std::make_unique<TPolyBezier>(Point(10, 20));
    curve->AddCurveSegment(Point(40, 10), Point(80, 80), Point(110, 70));
    d.CurveLayer().Add(std::move(curve));
    d.FillAlongCurves();
    d.EndState();
    EXPECT_EQ(d.StateCount(), 1);
    EXPECT_GT(RecordedStrokes().size(), 0u);
}

TEST_F(UniformDocumentTest, AutoColourIsTheSampledColour)
{
    MakeDocument();
    NoVariation();
    const uint32_t before = RandSeed;
    const TColor32 c = PlaceOneAndGetColour();
    EXPECT_NE(RandSeed, before);
    // Rebuilt from the map's coarse hue and saturation, the colour keeps its
    // lightness and leans the same way.
    EXPECT_GT(RedComponent(c), GreenComponent(c));
    EXPECT_GT(GreenComponent(c), BlueComponent(c));
    EXPECT_EQ(AlphaComponent(c), 255);
}

TEST_F(UniformDocumentTest, FixedColourBlendsTheTwoColoursByLightness)
{
    TDualImage& d = MakeDocument();
    NoVariation();
    d.SetColorMode(cmFixed);
    d.SetGradientFrom(Color32(255, 255, 255));
    d.SetGradientTo(Color32(0, 0, 255));
    const TColor32 c = PlaceOneAndGetColour();
    // Red and green come from the white end only: both equal L; blue is 255.
    EXPECT_EQ(RedComponent(c), GreenComponent(c));
    EXPECT_EQ(BlueComponent(c), 255); // (255 - L) * 255 div 255 + L * 255 div 255
}

TEST_F(UniformDocumentTest, VariantsWithAnEmptyListPaintBlack)
{
    TDualImage& d = MakeDocument();
    NoVariation();
    d.SetColorMode(cmVariants);
    EXPECT_EQ(PlaceOneAndGetColour(), clBlack32);
    d.AddPaletteColor(Color32(255, 255, 255));
    const TColor32 c = PlaceOneAndGetColour();
    EXPECT_EQ(RedComponent(c), GreenComponent(c));
    EXPECT_EQ(GreenComponent(c), BlueComponent(c));
    EXPECT_GT(RedComponent(c), 0);
}

TEST_F(UniformDocumentTest, ShiftsVaryTheColourOnlyWhenTheSixValuesAddUpToMoreThanZero)
{
    TDualImage& d = MakeDocument();
    NoVariation();
    RandSeed = 7;
    const TColor32 plain = PlaceOneAndGetColour();
    const uint32_t plainSeed = RandSeed;
    const auto sum = [](TColor32 c) { return RedComponent(c) + GreenComponent(c) + BlueComponent(c); };
    struct Case {
        float hue, saturation, brightness;
        int direction;  // 0 unchanged (and no draws for it), -1 darker, +1 brighter
    };
    const Case cases[] = {
        {0.0f, 0.0f, -0.25f, 0},   // a brightness shift alone that is negative
        {0.1f, 0.0f, -0.2f, 0},    // adds up to below zero
        {0.0f, 0.0f, 0.25f, +1},
        {0.0f, 0.3f, -0.2f, -1},   // adds up to above zero: every shift acts
    };
    for (const Case& c : cases) {
        d.Undo();
        d.SetHueVariation(c.hue);
        d.SetSaturationVariation(c.saturation);
        d.SetBrightnessVariation(c.brightness);
        RandSeed = 7;
        const TColor32 shifted = PlaceOneAndGetColour();
        const std::string what = std::to_string(c.hue) + " " + std::to_string(c.saturation) + " " + std::to_string(c.brightness);
        if (c.direction == 0) {
            EXPECT_EQ(shifted, plain) << what;
            EXPECT_EQ(RandSeed, plainSeed) << what;
        } else {
            EXPECT_NE(RandSeed, plainSeed) << what;
            if (c.direction > 0) {
                EXPECT_GT(sum(shifted), sum(plain)) << what;
            } else {
                EXPECT_LT(sum(shifted), sum(plain)) << what;
            }
        }
    }
}

TEST_F(DocumentTest, RunUndoRedoAndReproducibility)
{
    TDualImage& d = MakeDocument();
    DrawRun(5000);
    ASSERT_EQ(d.StateCount(), 1);
    EXPECT_GT(d.StrokeCount(), 1000);
    const TBitmap32 drawn = dest;
    const TBitmap32 drawnMap = d.FeatureMap();
    int whites = 0;
    for (int64_t i = 0; i < int64_t(dest.Width()) * dest.Height(); ++i) whites += dest.Bits()[i] == clWhite32;
    EXPECT_LT(whites, dest.Width() * dest.Height() / 2);

    d.Undo();
    EXPECT_TRUE(SameBitmaps(dest, TBitmap32(dest.Width(), dest.Height(), clWhite32)));
    d.Redo();
    EXPECT_TRUE(SameBitmaps(dest, drawn));
    EXPECT_TRUE(SameBitmaps(d.FeatureMap(), drawnMap));

    // The same seed draws the same picture, byte for byte.
    doc.reset();
    dest.Clear(clWhite32);
    sourceView.ClearLayers();
    RandSeed = 0;
    MakeDocument();
    DrawRun(5000);
    EXPECT_TRUE(SameBitmaps(dest, drawn));
}

// Moving through the history makes the drawing differ from its saved file;
// a move with nowhere to go, a snapshot and a purge leave the mark alone.
TEST_F(DocumentTest, UndoRedoAndRollBackMarkTheDocumentModified)
{
    TDualImage& d = MakeDocument();
    DrawRun(50);
    d.TakeSnapshot();
    DrawRun(50);
    struct Case { const char* what; std::function<void()> move; bool marks; };
    const std::vector<Case> cases = {
        {"redo with nothing to redo", [&] { d.Redo(); }, false},
        {"snapshot", [&] { d.TakeSnapshot(); }, false},
        {"undo", [&] { d.Undo(); }, true},
        {"redo", [&] { d.Redo(); }, true},
        {"back to the snapshot", [&] { d.UndoToLastSnapshot(); }, true},
        {"undo to the bottom", [&] { d.Undo(); }, true},
        {"undo with nothing to undo", [&] { d.Undo(); }, false},
        {"redo from the bottom", [&] { d.Redo(); }, true},
        {"purge", [&] { d.Compact(); }, false},
    };
    for (const Case& c : cases) {
        d.Modified = false;
        // A move with nowhere to go raises, and changes nothing.
        try {
            c.move();
        } catch (const std::exception&) {
        }
        EXPECT_EQ(d.Modified, c.marks) << c.what;
    }
}

// A disk that fills up during a run: the stroke whose record it refuses is
// neither drawn nor counted, the step keeps what was placed before it, and
// the picture is exactly what the records draw again.
TEST_F(DocumentTest, AStrokeWhoseRecordIsRefusedIsNotDrawn)
{
    TDualImage& d = MakeDocument();
    d.BeginState();
    std::string refused;
    {
        const FileSizeLimit full(6000);
        for (int32_t i = 0; i < 5000 && refused.empty(); ++i) {
            const int32_t x = Random(source.Width());
            const int32_t y = Random(source.Height());
            try {
                d.PlaceStrokeAt(x, y);
            } catch (const EngineError& e) {
                refused = e.what();
            }
        }
    }
    d.EndState();
    EXPECT_THAT(refused, ::testing::HasSubstr("File too large"));
    ASSERT_EQ(d.StateCount(), 1);
    EXPECT_GT(d.StrokeCount(), 10);
    TBitmap32 replay(dest.Width(), dest.Height(), clWhite32);
    d.RenderAll(replay, 1.0);
    EXPECT_TRUE(SameBitmaps(replay, dest));
}

// A step whose stroke file was taken away (another program emptied tmp/):
// merging, saving, rendering and exporting fail with the file's name rather
// than go on without its strokes, and the history stays as it was.
TEST_F(DocumentTest, AStepWhoseStrokesVanishedFailsTheMergeTheSaveAndTheRender)
{
    TDualImage& d = MakeDocument();
    DrawRun(50);
    DrawRun(50);
    const int64_t strokes = d.StrokeCount();
    const std::string lost = d.States().GetState(0).Strokes().FileName();
    std::filesystem::remove(lost);
    const auto expectLost = [&](const char* what, const std::function<void()>& work) {
        try {
            work();
            ADD_FAILURE() << what << " went on without the lost strokes";
        } catch (const EngineError& e) {
            EXPECT_THAT(e.what(), ::testing::HasSubstr("\"" + lost + "\". No such file or directory")) << what;
        }
    };
    expectLost("the merge", [&] { d.Compact(); });
    EXPECT_EQ(d.StateCount(), 2);
    EXPECT_EQ(d.StrokeCount(), strokes);
    TMemoryStream project;
    expectLost("the project", [&] { d.SaveToStream(project); });
    TBitmap32 target(dest.Width(), dest.Height(), clWhite32);
    expectLost("the render", [&] { d.RenderAll(target, 1.0); });
    expectLost("the export", [&] { d.ExportPostScript(temp.Folder() + "drawing.ps"); });
}

TEST_F(DocumentTest, UndoRestoresEverythingABrushOrOutlineTouched)
{
    TDualImage& d = MakeDocument();
    DrawRun(300);
    const TBitmap32 first = dest;
    DrawRun(300);
    d.Undo();
    EXPECT_TRUE(SameBitmaps(dest, first));
    d.UndoToLastSnapshot();
    EXPECT_TRUE(SameBitmaps(dest, TBitmap32(dest.Width(), dest.Height(), clWhite32)));
}

TEST_F(DocumentTest, DestroyingTheDocumentTakesItsLayersOffTheViews)
{
    MakeDocument();
    EXPECT_EQ(sourceView.LayerCount(), 3);
    doc.reset();
    EXPECT_EQ(sourceView.LayerCount(), 0);
    sourceView.SetViewportSize(50, 50);
    sourceView.Render(); // nothing left that calls into the freed document
}

// One stroke draws, in order: the sampler's direction coin, the length, the
// colour-list pick and the three variations; tracing itself draws nothing.
TEST_F(UniformDocumentTest, TheRandomDrawsOfOnePlacedStrokeComeInTheirOrder)
{
    TDualImage& d = MakeDocument();
    NoVariation();
    d.SetColorMode(cmVariants);
    for (uint8_t i = 0; i < 10; ++i) d.AddPaletteColor(Color32(255, uint8_t(25 * i), 0));

    RandSeed = 1234;
    Random(1000);                       // the sampler's reverse coin
    Random(style.GetLength() / 10);     // the length
    const int32_t pick = Random(10);    // the colour list
    const uint32_t afterPick = RandSeed;
    RandSeed = 1234;
    const TColor32 c = PlaceOneAndGetColour();
    EXPECT_EQ(RandSeed, afterPick);
    // Red 255 scaled by the lightness L gives L; green 25 * pick scaled by it.
    const uint32_t lightness = RedComponent(c);
    EXPECT_EQ(GreenComponent(c), 25u * pick * lightness / 255);

    // With a variation set, three more draws follow the pick.
    style.SetHueVar(10);
    RandSeed = 1234;
    for (int i = 0; i < 6; ++i) Random(1);
    const uint32_t afterVariations = RandSeed;
    RandSeed = 1234;
    PlaceOneAndGetColour();
    EXPECT_EQ(RandSeed, afterVariations);
}

namespace {

// A document over a black 40 x 30 picture, shown centred in a 60 x 50 view
// (so the picture starts at view pixel (10, 10)).
class PainterTest : public DocumentTest {
protected:
    PainterTest() : DocumentTest(TBitmap32(40, 30, clBlack32)) {}

    TDualImage& MakeShownDocument()
    {
        TDualImage& d = MakeDocument();
        sourceView.SetViewportSize(60, 50);
        return d;
    }

    // Which view pixels of a row have the colour, as x positions.
    std::vector<int32_t> RowPixels(int32_t y, TColor32 color)
    {
        std::vector<int32_t> xs;
        const TBitmap32& buffer = sourceView.Render();
        for (int32_t x = 0; x < buffer.Width(); ++x)
            if (buffer.Pixel(x, y) == color) xs.push_back(x);
        return xs;
    }

    static std::vector<int32_t> Span(int32_t from, int32_t to)
    {
        std::vector<int32_t> out;
        for (int32_t x = from; x <= to; ++x) out.push_back(x);
        return out;
    }

    static std::vector<int32_t> Join(std::initializer_list<std::vector<int32_t>> parts)
    {
        std::vector<int32_t> out;
        for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    }
};

} // namespace

TEST_F(PainterTest, DirectionOverlayDrawsEightPixelTicksFromEveryTenthPixel)
{
    TDualImage& d = MakeShownDocument();
    // Strong everywhere with direction 0: each tick runs 8 pixels to the left
    // (the angle is d / -255 * 2 pi - pi). One weak grid point takes the
    // guide's direction 128 instead, which points right.
    d.FeatureMap().Clear(0x0000007Fu);
    d.FeatureMap().Pixel(30, 20) = 0x00000000u;
    d.SetShowDirections(true);
    const TColor32 cyan = 0xFF00FFFFu;
    // Lines leave out their last pixel; ticks start at map x 0, 10, 20, 30,
    // and the first one reaches past the picture onto the view's margin.
    EXPECT_EQ(RowPixels(10 + 10, cyan), Join({Span(3, 10), Span(13, 20), Span(23, 30), Span(33, 40)}));
    EXPECT_EQ(RowPixels(10 + 20, cyan), Join({Span(3, 10), Span(13, 20), Span(23, 30), Span(40, 47)}));
    EXPECT_TRUE(RowPixels(10 + 11, cyan).empty());
}

TEST_F(PainterTest, EdgeOverlayMarksEveryEdgePixel)
{
    TDualImage& d = MakeShownDocument();
    d.FeatureMap().Clear(0x0000007Fu);
    d.FeatureMap().Pixel(5, 25) = 0x00000080u;
    d.FeatureMap().Pixel(6, 25) = 0x000000FFu;
    EXPECT_TRUE(RowPixels(10 + 25, 0xFF7F007Fu).empty());
    d.SetShowEdges(true);
    EXPECT_EQ(RowPixels(10 + 25, 0xFF7F007Fu), Join({Span(15, 16)}));
}

TEST_F(PainterTest, AtAViewScaleOfTwoTheOverlayAndCursorStayOneToOne)
{
    TDualImage& d = MakeShownDocument();
    sourceView.SetScaleMode(TScaleMode::smScale);
    sourceView.SetScale(2.0f);
    d.FeatureMap().Clear(0x0000007Fu);
    d.FeatureMap().Pixel(5, 25) = 0x00000080u;
    d.FeatureMap().Pixel(6, 25) = 0x000000FFu;
    d.SetShowEdges(true);
    d.SetRadius(8);
    d.SetCursorPos(Point(30, 25));
    d.SetCursorMode(cuCross);
    const TBitmap32& shown = sourceView.Render();
    // The two neighbouring edge pixels of the map stay neighbours on screen.
    std::vector<int64_t> edges;
    for (int64_t i = 0; i < int64_t(shown.Width()) * shown.Height(); ++i)
        if (shown.Bits()[i] == 0xFF7F007Fu) edges.push_back(i);
    ASSERT_EQ(edges.size(), 2u);
    EXPECT_EQ(edges[1] - edges[0], 1);
    EXPECT_EQ(RowPixels(25, clWhite32), Span(22, 37));
}

TEST_F(PainterTest, CursorIsACrossOrADashedCircleOfTheBrushRadius)
{
    TDualImage& d = MakeShownDocument();
    d.SetRadius(8);
    d.SetCursorPos(Point(30, 25));
    EXPECT_TRUE(RowPixels(25, clWhite32).empty()); // mode 0 draws nothing
    const TBitmap32 plain = sourceView.Render();

    d.SetCursorMode(cuCross);
    EXPECT_EQ(RowPixels(25, clWhite32), Span(22, 37));
    std::vector<int32_t> column;
    const TBitmap32& shown = sourceView.Render();
    for (int32_t y = 0; y < shown.Height(); ++y)
        if (shown.Pixel(30, y) == clWhite32) column.push_back(y);
    EXPECT_EQ(column, Span(17, 32));

    d.SetCursorMode(cuCircle);
    TBitmap32 expected = plain;
    DrawDashedCircle(expected, Point(30, 25), clWhite32, clBlack32, 8);
    EXPECT_TRUE(SameBitmaps(sourceView.Render(), expected));
}
