// The main window's widget-free rules: style entry text, the gauges' style
// mappings, the view split, the size preview and the list pictures.
#include "app/windows/HelpTopic.h"
#include "app/windows/MainWindowRules.h"
#include "app/windows/MainWindowThumbs.h"
#include "engine/Patterns.h"
#include "engine/Styles.h"
#include "gfx/Random.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

TEST(MainWindowRulesTest, StyleEntryTextMarksModifiedStylesButTheFirst)
{
    EXPECT_EQ(StyleEntryText("Pencil", true, 2), "<i><font color=\"255\">Pencil (not saved) </font></i>");
    EXPECT_EQ(StyleEntryText("Pencil", false, 2), "Pencil");
    EXPECT_EQ(StyleEntryText("Scratch Style", true, 0), "Scratch Style");
    EXPECT_EQ(EntryTextToQtHtml(StyleEntryText("Ink", true, 1)),
              "<i><font color=\"#ff0000\">Ink (not saved) </font></i>");
    EXPECT_EQ(EntryTextToQtHtml("<font color=\"16711680\">b</font>"), "<font color=\"#0000ff\">b</font>");
    EXPECT_EQ(EntryTextToQtHtml("plain"), "plain");
    // A style may be named anything: numbers too long for any integer keep
    // their low 24 bits instead of failing the paint, and what is no colour
    // number stays as it is.
    EXPECT_EQ(EntryTextToQtHtml(StyleEntryText("color=\"99999999999999999999999\"", true, 1)),
              "<i><font color=\"#ff0000\">color=\"#ffff7f\" (not saved) </font></i>");
    EXPECT_EQ(EntryTextToQtHtml("color=\"\" color=\"12 color=\"255\""), "color=\"\" color=\"12 color=\"#ff0000\"");
}

TEST(MainWindowRulesTest, BorderLimitPercentRoundTripsThroughTheStoredByte)
{
    struct Case { int typed; int stored; int shown; };
    for (const Case c : {Case{1, 59, 2}, Case{2, 59, 2}, Case{3, 58, 3}, Case{50, 30, 50}, Case{99, 1, 98},
                         Case{100, 0, 100}}) {
        TGStyle style;
        style.SetBorderLimit(70); // something else first, so every case writes
        WriteStyleSetting(TStyleSetting::BorderLimit, style, c.typed, 100);
        EXPECT_EQ(style.BorderLimitByte(), c.stored) << c.typed;
        EXPECT_EQ(StyleSettingValue(TStyleSetting::BorderLimit, style, 100), c.shown) << c.typed;
    }
}

TEST(MainWindowRulesTest, PrecisionCountsDownFromTheGaugeMaximum)
{
    TGStyle style;
    style.SetPolyStep(30);
    EXPECT_TRUE(WriteStyleSetting(TStyleSetting::Precision, style, 88, 100));
    EXPECT_EQ(style.GetPolyStep(), 12);
    EXPECT_EQ(StyleSettingValue(TStyleSetting::Precision, style, 100), 88);
    EXPECT_TRUE(WriteStyleSetting(TStyleSetting::Precision, style, 6, 100));
    EXPECT_EQ(style.GetPolyStep(), 94);
    EXPECT_EQ(PolyStepFromPrecision(87.5, 100), 12); // 12.5 rounds to even
}

TEST(MainWindowRulesTest, ASettingEqualToTheStyleWritesNothing)
{
    struct Case { TStyleSetting setting; double same; double other; };
    const TGStyle defaults;
    for (const Case c : {Case{TStyleSetting::Width, 12.0, 12.5}, Case{TStyleSetting::Alpha, 255.4, 254},
                         Case{TStyleSetting::Length, 40, 41}, Case{TStyleSetting::HueVar, 15, 16},
                         Case{TStyleSetting::SatVar, 14.6, 16}, Case{TStyleSetting::LightVar, 30, 29},
                         Case{TStyleSetting::ScanWidth, 2.0, 2.5}, Case{TStyleSetting::BorderLimit, 100, 99},
                         Case{TStyleSetting::Precision, 88, 87}}) {
        TGStyle style;
        EXPECT_FALSE(WriteStyleSetting(c.setting, style, c.same, 100)) << static_cast<int>(c.setting);
        EXPECT_FALSE(style.Modified());
        EXPECT_TRUE(WriteStyleSetting(c.setting, style, c.other, 100)) << static_cast<int>(c.setting);
        EXPECT_TRUE(style.Modified());
        EXPECT_FALSE(style.Params() == defaults.Params());
    }
}

TEST(MainWindowRulesTest, TheSourceViewTakesTheOddPixel)
{
    const TViewWidths even = SplitViewWidths(1001, 5);
    EXPECT_EQ(even.Dest, 498);
    EXPECT_EQ(even.Source, 498);
    const TViewWidths odd = SplitViewWidths(1000, 5);
    EXPECT_EQ(odd.Dest, 497);
    EXPECT_EQ(odd.Source, 498);
    EXPECT_EQ(SplitViewWidths(3, 5).Source, 0);
}

TEST(MainWindowRulesTest, SizePreviewShrinksLargeBrushesAndSaysByHowMuch)
{
    struct Case { int radius; double drawn; const char* label; };
    for (const Case c : {Case{150, 46, "34%"}, Case{52, 46, "98.1%"}, Case{51, 51, ""}, Case{10, 10, ""}}) {
        const TSizePreviewGeometry g = SizePreviewGeometry(144, 102, c.radius);
        EXPECT_EQ(g.Radius, c.drawn) << c.radius;
        EXPECT_EQ(g.Label, c.label) << c.radius;
    }
    EXPECT_DOUBLE_EQ(SizePreviewGeometry(144, 102, 51).Scale, 1.0);
}

namespace {

int CountPixels(const TBitmap32& bmp, TColor32 colour)
{
    int n = 0;
    for (int32_t y = 0; y < bmp.Height(); ++y)
        for (int32_t x = 0; x < bmp.Width(); ++x) n += bmp.Pixel(x, y) == colour;
    return n;
}

uint32_t SeedAfterDraws(uint32_t seed, int draws)
{
    RandSeed = seed;
    for (int i = 0; i < draws; ++i) Random(0);
    return RandSeed;
}

} // namespace

TEST(MainWindowRulesTest, SizePreviewDrawsDensityPlusOneDotsTwoDrawsEach)
{
    for (const int density : {0, 5, 40}) {
        const uint32_t expected = SeedAfterDraws(12345, 2 * (density + 1));
        RandSeed = 12345;
        TBitmap32 bmp;
        DrawSizePreview(bmp, 144, 102, 30, density);
        EXPECT_EQ(RandSeed, expected) << density;
        EXPECT_EQ(bmp.Width(), 144);
        EXPECT_EQ(bmp.Height(), 102);
        EXPECT_EQ(bmp.Pixel(0, 0), PanelColor32);
        EXPECT_GE(CountPixels(bmp, Color32(60, 60, 60)), 1);
        EXPECT_LE(CountPixels(bmp, Color32(60, 60, 60)), density + 1);
        int dark = 0;
        for (int32_t x = 0; x < bmp.Width(); ++x) dark += RedComponent(bmp.Pixel(x, 51 - 30)) < 150;
        EXPECT_GE(dark, 1) << "the circle's top";
    }
}

TEST(MainWindowRulesTest, ALoneDotHasAGreyCentreAndLighterNeighbours)
{
    RandSeed = 777;
    TBitmap32 bmp;
    DrawSizePreview(bmp, 144, 102, 20, 0);
    int found = 0;
    for (int32_t y = 1; y < bmp.Height() - 1; ++y)
        for (int32_t x = 1; x < bmp.Width() - 1; ++x) {
            if (bmp.Pixel(x, y) != Color32(60, 60, 60)) continue;
            ++found;
            for (const TPoint n : {TPoint{x - 1, y}, TPoint{x + 1, y}, TPoint{x, y - 1}, TPoint{x, y + 1}})
                EXPECT_EQ(bmp.Pixel(n.X, n.Y), Color32(100, 100, 100));
        }
    EXPECT_EQ(found, 1);
}

TEST(MainWindowRulesTest, SizePreviewDrawsTheAngleBeforeTheDistance)
{
    // From seed 0: the angle Random(6283) = 0, then the distance Random(46) =
    // 134775814 * 46 >> 32 = 1, so the one dot of Density 0 stands one pixel
    // right of the centre (72, 51). Drawn the other way round, the distance
    // would be 0 and the dot on the centre.
    RandSeed = 0;
    TBitmap32 bmp;
    DrawSizePreview(bmp, 144, 102, 150, 0);
    EXPECT_EQ(bmp.Pixel(73, 51), Color32(60, 60, 60));
    EXPECT_EQ(bmp.Pixel(72, 51), Color32(100, 100, 100));
    EXPECT_EQ(bmp.Pixel(74, 51), Color32(100, 100, 100));
    EXPECT_EQ(bmp.Pixel(73, 50), Color32(100, 100, 100));
    EXPECT_EQ(bmp.Pixel(73, 52), Color32(100, 100, 100));
}

TEST(MainWindowRulesTest, SizePreviewLabelStandsAtTheTopLeftCorner)
{
    RandSeed = 0;
    TBitmap32 bmp;
    DrawSizePreview(bmp, 144, 102, 150, 0); // "34%"
    int left = bmp.Width(), top = bmp.Height();
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 40; ++x)
            if (RedComponent(bmp.Pixel(x, y)) < 150) {
                left = std::min(left, x);
                top = std::min(top, y);
            }
    EXPECT_LE(left, 1);
    EXPECT_LE(top, 3);
    TBitmap32 none;
    DrawSizePreview(none, 144, 102, 51, 0);
    for (int32_t x = 0; x < 40; ++x) EXPECT_EQ(none.Pixel(x, 2), PanelColor32) << "no label when the circle fits";
}

TEST(MainWindowRulesTest, StylePreviewBurnTurnsWhiteIntoThePanelColour)
{
    TBitmap32 preview(235, 116, clWhite32);
    preview.FillRect(100, 40, 140, 80, clBlack32);
    preview.FillRect(0, 0, 10, 10, Color32(128, 128, 128, 10));
    TBitmap32 target;
    BurnStylePreview(target, 235, 116, preview);
    EXPECT_EQ(target.Width(), 235);
    EXPECT_EQ(target.Pixel(200, 100), PanelColor32);
    EXPECT_EQ(target.Pixel(120, 60), clBlack32);
    // max(0, 128 + 218 - 255) and so on, made opaque.
    EXPECT_EQ(target.Pixel(5, 5), Color32(91, 102, 112));
}

TEST(MainWindowRulesTest, BrushThumbnailsShowWhiteShapesDark)
{
    TBitmap32 brush(64, 16, clBlack32);
    brush.FillRect(0, 0, 64, 8, clWhite32);
    TBitmap32 thumb(StrokeThumbWidth, StrokeThumbHeight, clTransparent32);
    BuildStrokeThumb(thumb, brush);
    EXPECT_EQ(thumb.Pixel(80, 2), clBlack32);
    EXPECT_EQ(thumb.Pixel(80, 32), clWhite32);
    EXPECT_EQ(brush.StretchFilter, TStretchFilter::sfNearest) << "the source keeps its filter";

    TBitmap32 preview;
    BrushPreviewFromThumb(preview, thumb);
    EXPECT_EQ(preview.Pixel(80, 32), PanelColor32);
    EXPECT_EQ(preview.DrawMode, TDrawMode::dmBlend);
}

TEST(MainWindowRulesTest, PatternThumbnailDrawsEveryFrameAndLeavesThePreviewAlone)
{
    TPattern pattern;
    auto frame = std::make_unique<TPatternFrame>();
    frame->AddCurve({{10, 10}, {60, 200}, {150, 10}, {200, 200}});
    pattern.AddPatternFrame(std::move(frame));
    const QImage thumb = PatternThumb(pattern, PatternThumbSize, PatternThumbSize);
    EXPECT_EQ(thumb.size(), QSize(40, 40));
    int dark = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) dark += qGray(thumb.pixel(x, y)) < 128;
    EXPECT_GT(dark, 10);
    EXPECT_EQ(pattern.Preview(), nullptr);
}

TEST(MainWindowRulesTest, HelpTopicIsFoundByWalkingUpToTheWindow)
{
    QWidget window;
    auto* panel = new QWidget(&window);
    auto* inner = new QWidget(panel);
    auto* label = new QLabel(inner);
    SetHelpKeyword(panel, "general");
    EXPECT_EQ(HelpTopicOf(label), "general");
    SetHelpKeyword(inner, "size");
    EXPECT_EQ(HelpTopicOf(label), "size");
    EXPECT_EQ(HelpTopicOf(&window), "");

    // A floating panel is a window of its own: nothing above it counts.
    SetHelpKeyword(&window, "img");
    QWidget floating(&window, Qt::Tool);
    auto* gauge = new QWidget(&floating);
    EXPECT_EQ(HelpTopicOf(gauge), "");
    EXPECT_EQ(HelpTopicOf(nullptr), "");
}
