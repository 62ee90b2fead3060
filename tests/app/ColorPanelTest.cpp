// The colour panel over a real document: variant picks and the colour list,
// Reset, the fixed colours, the shift sliders, the mode buttons and pages,
// showing a document's colours, and the panel without a document.
#include "app/windows/ColorPanel.h"

#include "app/windows/ColorShape.h"
#include "controls/NumericGaugeBar.h"
#include "controls/SimpleColorSelector.h"
#include "engine/DualImage.h"
#include "engine/ScratchTempFolder.h"
#include "gfx/Errors.h"
#include "gfx/ImageView.h"
#include "gfx/Stream.h"

#include <QAbstractButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TBitmap32 Picture(int32_t w, int32_t h)
{
    TBitmap32 pic(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) pic.Pixel(x, y) = Color32(uint8_t(2 * x), uint8_t(3 * y), 128);
    return pic;
}

TColor32 Pick(int n) { return Color32(uint8_t(n * 20), uint8_t(100 + n), uint8_t(255 - n)); }

class ColorPanelTest : public ::testing::Test {
protected:
    ColorPanelTest() : source(Picture(100, 80)), dest(100, 80, clWhite32)
    {
        sourceView.SetBitmap(&source);
        destView.SetBitmap(&dest);
        window.resize(300, 200);
    }

    TDualImage& OpenPicture()
    {
        doc = std::make_unique<TDualImage>(sourceView, destView, 1.0f);
        return *doc;
    }

    // A document read back from a project, as Open Project makes it.
    TDualImage& OpenProject()
    {
        TDualImage& picture = OpenPicture();
        TMemoryStream stream;
        picture.Compact();
        picture.SaveToStream(stream);
        stream.SetPosition(0);
        doc.reset();
        doc = TDualImage::CreateFromStream(stream, projectViews.sourceView, projectViews.destView, 1.0f);
        return *doc;
    }

    void VariantPick(TColor32 color)
    {
        panel.ColorSelectorVar->SetSelectedColor(color);
        panel.ColorSelectorVar->OnSelectColor();
    }

    std::vector<TColor32> Palette() const
    {
        std::vector<TColor32> out;
        for (int32_t i = 0; i < doc->PaletteCount(); ++i) out.push_back(doc->GetPaletteColor(i));
        return out;
    }

    std::vector<std::optional<TColor32>> ShownSwatches() const
    {
        std::vector<std::optional<TColor32>> out;
        for (TColorShape* swatch : panel.Swatches) out.push_back(swatch->Color());
        return out;
    }

    struct Views {
        TBitmap32 source, dest;
        TImageView sourceView, destView;
        Views()
        {
            sourceView.SetBitmap(&source);
            destView.SetBitmap(&dest);
        }
    };

    TScratchTempFolder temp;
    TBitmap32 source, dest;
    TImageView sourceView, destView;
    Views projectViews;
    std::unique_ptr<TDualImage> doc;
    QWidget window;
    TColorPanel panel{[this] { return doc.get(); }, &window};
};

} // namespace

TEST_F(ColorPanelTest, ElevenVariantPicksFillTheRingAndTheColourList)
{
    OpenPicture();
    for (int n = 1; n <= 11; ++n) {
        VariantPick(Pick(n));
        EXPECT_EQ(doc->PaletteCount(), std::min(n, 10)) << "after pick " << n;
    }
    const std::vector<TColor32> expected{Pick(11), Pick(2), Pick(3), Pick(4), Pick(5),
                                         Pick(6),  Pick(7), Pick(8), Pick(9), Pick(10)};
    EXPECT_EQ(Palette(), expected);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(ShownSwatches()[i], expected[i]) << "swatch " << i;
    EXPECT_EQ(panel.NextSwatch(), 1);
}

// A pick with another button adds the last left-button colour again.
TEST_F(ColorPanelTest, AVariantPickAlwaysTakesTheLeftButtonColour)
{
    OpenPicture();
    panel.ColorSelectorVar->SetSelectedColor(clRed32);
    panel.ColorSelectorVar->SetSecondaryColor(clBlue32);
    panel.ColorSelectorVar->OnSelectColor();
    panel.ColorSelectorVar->OnSelectColor();
    EXPECT_EQ(Palette(), (std::vector<TColor32>{clRed32, clRed32}));
}

TEST_F(ColorPanelTest, ResetEmptiesSwatchesColourListAndShifts)
{
    OpenPicture();
    for (int n = 1; n <= 3; ++n) VariantPick(Pick(n));
    panel.slidHue->SetValue(64);
    panel.slidSat->SetValue(-32);
    panel.slidBright->SetValue(128);
    ASSERT_EQ(doc->HueVariation(), 0.25f);

    panel.Reset();
    EXPECT_EQ(doc->PaletteCount(), 0);
    EXPECT_EQ(panel.SwatchCount(), 0);
    EXPECT_EQ(ShownSwatches(), std::vector<std::optional<TColor32>>(10));
    EXPECT_EQ(doc->HueVariation(), 0.0f);
    EXPECT_EQ(doc->SaturationVariation(), 0.0f);
    EXPECT_EQ(doc->BrightnessVariation(), 0.0f);
    for (TNumericGaugeBar* slider : {panel.slidHue, panel.slidSat, panel.slidBright}) EXPECT_EQ(slider->Value(), 0.0f);

    // The next pick fills swatch 0 again.
    VariantPick(clGreen32);
    EXPECT_EQ(Palette(), std::vector<TColor32>{clGreen32});
}

TEST_F(ColorPanelTest, FixedPicksWriteBothColours)
{
    OpenPicture();
    panel.ColorSelectorFixed->SetSelectedColor(clRed32);
    panel.ColorSelectorFixed->OnSelectColor();
    EXPECT_EQ(doc->GradientFrom(), 0xFFFF0000u);
    EXPECT_EQ(doc->GradientTo(), 0xFF000000u); // the selector's second colour, black until picked

    panel.ColorSelectorFixed->SetSecondaryColor(clBlue32);
    panel.ColorSelectorFixed->OnSelectColor();
    EXPECT_EQ(doc->GradientFrom(), 0xFFFF0000u);
    EXPECT_EQ(doc->GradientTo(), 0xFF0000FFu);
    EXPECT_EQ(panel.ShapeFore->Color(), clRed32);
    EXPECT_EQ(panel.shapeBack->Color(), clBlue32);
}

// The whole path from a mouse release on the selector's map.
TEST_F(ColorPanelTest, ARightClickOnTheFixedMapSetsTheSecondColour)
{
    OpenPicture();
    panel.ClickModeButton(cmFixed);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QWidget* map = panel.ColorSelectorFixed->Map();
    const QPoint at(map->width() - 2, 1);
    QTest::mouseClick(map, Qt::RightButton, {}, at);
    const TColor32 picked = panel.ColorSelectorFixed->MapBitmap().Pixel(at.x(), at.y());
    EXPECT_EQ(doc->GradientTo(), picked);
    EXPECT_EQ(doc->GradientFrom(), clBlack32);
}

TEST_F(ColorPanelTest, SlidersSetTheShiftsAsValueOver256)
{
    OpenPicture();
    const struct {
        TNumericGaugeBar* slider;
        float (TDualImage::*shift)() const;
    } sliders[] = {{panel.slidHue, &TDualImage::HueVariation},
                   {panel.slidSat, &TDualImage::SaturationVariation},
                   {panel.slidBright, &TDualImage::BrightnessVariation}};
    const struct {
        double value;
        float shift;
    } cases[] = {{128, 0.5f}, {-128, -0.5f}, {0, 0.0f}, {1, 1.0f / 256}, {300, 0.5f}};
    for (const auto& s : sliders) {
        for (const auto& c : cases) {
            s.slider->SetValue(c.value);
            EXPECT_EQ((doc.get()->*s.shift)(), c.shift) << "value " << c.value;
        }
    }
}

TEST_F(ColorPanelTest, ModeButtonsShowTheirPageAndSetTheDocumentMode)
{
    OpenPicture();
    window.show();
    const struct {
        QAbstractButton* button;
        QWidget* page;
        bool resetShown;
        uint8_t mode;
    } cases[] = {{panel.btFixed, panel.panFixed, false, cmFixed},
                 {panel.btVar, panel.panVar, true, cmVariants},
                 {panel.btAutoColor, panel.panAuto, false, cmAuto},
                 {panel.btVar, panel.panVar, true, cmVariants}};
    for (const auto& c : cases) {
        QTest::mouseClick(c.button, Qt::LeftButton);
        EXPECT_EQ(doc->ColorMode(), c.mode);
        for (QAbstractButton* b : {panel.btAutoColor, panel.btFixed, panel.btVar})
            EXPECT_EQ(b->isChecked(), b == c.button) << b->text().toStdString();
        for (QWidget* page : {panel.panAuto, panel.panFixed, panel.panVar})
            EXPECT_EQ(page->isVisible(), page == c.page) << page->objectName().toStdString();
        EXPECT_EQ(panel.btnReset->isVisible(), c.resetShown);
    }
}

TEST_F(ColorPanelTest, NothingIsShownUntilTheFirstModeClick)
{
    window.show();
    for (QWidget* page : {panel.panAuto, panel.panFixed, panel.panVar}) EXPECT_FALSE(page->isVisible());
    for (QAbstractButton* b : {panel.btAutoColor, panel.btFixed, panel.btVar}) EXPECT_FALSE(b->isChecked());
    EXPECT_FALSE(panel.btnReset->isVisible());
    panel.ClickModeButton(7); // no such mode: nothing is clicked
    EXPECT_FALSE(panel.btAutoColor->isChecked());
}

// A new document starts in "Auto"; the refresh after it clicks that button.
TEST_F(ColorPanelTest, ANewPictureShowsAutoAgain)
{
    OpenPicture();
    window.show();
    panel.ClickModeButton(cmFixed);
    ASSERT_EQ(doc->ColorMode(), cmFixed);

    OpenPicture();
    panel.Reset();
    panel.UpdateFromDocument(doc.get());
    panel.ClickModeButton(doc->ColorMode());
    EXPECT_EQ(doc->ColorMode(), cmAuto);
    EXPECT_TRUE(panel.panAuto->isVisible());
    EXPECT_FALSE(panel.panFixed->isVisible());
    EXPECT_TRUE(panel.btAutoColor->isChecked());
}

TEST_F(ColorPanelTest, WithoutADocumentOnlyThePanelChanges)
{
    window.show();
    QTest::mouseClick(panel.btVar, Qt::LeftButton);
    EXPECT_TRUE(panel.panVar->isVisible());
    VariantPick(clRed32);
    panel.slidHue->SetValue(100);
    panel.ColorSelectorFixed->SetSelectedColor(clRed32);
    panel.ColorSelectorFixed->OnSelectColor();
    EXPECT_EQ(panel.SwatchCount(), 1);
    EXPECT_EQ(panel.slidHue->Value(), 100.0f);

    TDualImage& fresh = OpenPicture();
    EXPECT_EQ(fresh.PaletteCount(), 0);
    EXPECT_EQ(fresh.HueVariation(), 0.0f);
    EXPECT_EQ(fresh.GradientFrom(), clWhite32);
    EXPECT_EQ(fresh.ColorMode(), cmAuto);
}

TEST_F(ColorPanelTest, UpdateWithoutADocumentShowsWhiteOverBlack)
{
    VariantPick(clRed32);
    panel.slidHue->SetValue(50);
    panel.UpdateFromDocument(nullptr);
    EXPECT_EQ(panel.ShapeFore->Color(), clWhite32);
    EXPECT_EQ(panel.shapeBack->Color(), clBlack32);
    EXPECT_EQ(panel.SwatchCount(), 1);
    EXPECT_EQ(panel.slidHue->Value(), 50.0f);
}

TEST_F(ColorPanelTest, UpdateShowsAPictureAndAProjectDocument)
{
    for (bool project : {false, true}) {
        for (int n = 1; n <= 4; ++n) VariantPick(Pick(n));
        panel.slidSat->SetValue(-20);
        TDualImage& document = project ? OpenProject() : OpenPicture();
        panel.UpdateFromDocument(&document);
        // A project starts with black and transparent black; shapes show no alpha.
        EXPECT_EQ(panel.ShapeFore->Color(), project ? clBlack32 : clWhite32) << project;
        EXPECT_EQ(panel.shapeBack->Color(), clBlack32) << project;
        EXPECT_EQ(panel.SwatchCount(), 0) << project;
        EXPECT_EQ(ShownSwatches(), std::vector<std::optional<TColor32>>(10)) << project;
        EXPECT_EQ(panel.slidSat->Value(), 0.0f) << project;
        // Showing the colours keeps where the next pick goes.
        EXPECT_EQ(panel.NextSwatch(), 4) << project;
        doc.reset();
        panel.Reset();
    }
}

TEST_F(ColorPanelTest, UpdateShowsTheShiftsWithoutWritingThemBack)
{
    TDualImage& document = OpenPicture();
    document.SetHueVariation(0.25f);
    // Beyond the slider's range: a write-back would clamp it to 0.5.
    document.SetBrightnessVariation(0.7f);
    document.SetGradientFrom(clRed32);
    document.SetGradientTo(clBlue32);
    for (int n = 1; n <= 3; ++n) document.AddPaletteColor(Pick(n));

    panel.UpdateFromDocument(&document);
    EXPECT_EQ(panel.slidHue->Value(), 64.0f);
    EXPECT_EQ(panel.slidBright->Value(), 128.0f);
    EXPECT_EQ(document.HueVariation(), 0.25f);
    EXPECT_EQ(document.BrightnessVariation(), 0.7f);
    EXPECT_EQ(panel.ShapeFore->Color(), clRed32);
    EXPECT_EQ(panel.shapeBack->Color(), clBlue32);
    EXPECT_EQ(ShownSwatches(), (std::vector<std::optional<TColor32>>{Pick(1), Pick(2), Pick(3), {}, {}, {}, {}, {},
                                                                       {}, {}}));
    // The handlers are attached again afterwards.
    panel.slidHue->SetValue(-64);
    EXPECT_EQ(document.HueVariation(), -0.25f);
}

// A colour list longer than the ring shows its first ten colours.
TEST_F(ColorPanelTest, UpdateShowsAtMostTenColours)
{
    TDualImage& document = OpenPicture();
    for (int n = 1; n <= 12; ++n) document.AddPaletteColor(Pick(n));
    EXPECT_NO_THROW(panel.UpdateFromDocument(&document));
    EXPECT_EQ(panel.SwatchCount(), 10);
    EXPECT_EQ(ShownSwatches()[9], Pick(10));
    EXPECT_EQ(document.PaletteCount(), 12);
}

TEST_F(ColorPanelTest, SwatchIndexErrors)
{
    OpenPicture();
    for (int bad : {-1, 10}) {
        try {
            panel.SetSwatchColor(bad, clRed32);
            ADD_FAILURE() << bad;
        } catch (const EngineError& e) {
            EXPECT_STREQ(e.what(), "Index out of bounds");
        }
    }
    EXPECT_THROW(panel.GetSwatchColor(0), EngineError);
    EXPECT_EQ(doc->PaletteCount(), 0);
    panel.SetSwatchColor(0, clRed32);
    EXPECT_EQ(Palette(), std::vector<TColor32>{clRed32});
}

TEST_F(ColorPanelTest, BothMapsPickWithTheEyedropperAtItsTip)
{
    for (TSimpleColorSelector* selector : {panel.ColorSelectorVar, panel.ColorSelectorFixed}) {
        const QCursor cursor = selector->Map()->cursor();
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
        EXPECT_EQ(cursor.hotSpot(), QPoint(1, 30));
    }
}

TEST_F(ColorPanelTest, ThePagesHoldTheirControlsWhereTheLayoutPutsThem)
{
    struct Case {
        const char* Name;
        const QWidget* Widget;
        QRect Expected; // in the page's (or the mode row's) coordinates
    };
    const Case cases[] = {
        {"shapeBack", panel.shapeBack, {0, 74, 20, 20}},
        {"ShapeFore", panel.ShapeFore, {8, 80, 20, 20}},
        {"ColorSelectorVar size", panel.ColorSelectorVar, {panel.ColorSelectorVar->x(), 0, 150, 82}},
        {"ColorSelectorFixed size", panel.ColorSelectorFixed, {panel.ColorSelectorFixed->x(), 0, 150, 73}},
        {"slidHue size", panel.slidHue, {panel.slidHue->x(), panel.slidHue->y(), 135, 14}},
        {"btnReset size", panel.btnReset, {panel.btnReset->x(), panel.btnReset->y(), 60, 18}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.Widget->geometry(), c.Expected) << c.Name;

    // Round swatches of 14 pixels, 15 apart, left to right.
    for (size_t i = 1; i < panel.Swatches.size(); ++i) {
        EXPECT_EQ(panel.Swatches[i]->size(), QSize(14, 14));
        EXPECT_EQ(panel.Swatches[i]->x() - panel.Swatches[i - 1]->x(), 15);
        EXPECT_EQ(panel.Swatches[i]->y(), panel.Swatches[0]->y());
    }
    // "Auto", "Fixed", "Variants" left to right, 52 x 19, one pixel between.
    const QAbstractButton* modes[] = {panel.btAutoColor, panel.btFixed, panel.btVar};
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(modes[i]->size(), QSize(52, 19));
    EXPECT_EQ(panel.btFixed->x() - panel.btAutoColor->x(), 53);
    EXPECT_EQ(panel.btVar->x() - panel.btFixed->x(), 53);
}

// While a long operation runs the main window is disabled; the mode buttons
// still say which mode is chosen.
TEST_F(ColorPanelTest, ADisabledModeButtonKeepsItsCaptionReadable)
{
    OpenPicture();
    panel.btAutoColor->click();
    window.show();
    for (QAbstractButton* button : {panel.btAutoColor, panel.btFixed}) {
        button->setEnabled(false);
        const QImage shot = button->grab().toImage();
        const QRgb ground = shot.pixel(shot.width() - 3, shot.height() / 2);
        int inked = 0;
        // Inside the border: the caption's pixels against the button's ground.
        for (int y = 2; y < shot.height() - 2; ++y)
            for (int x = 2; x < shot.width() - 2; ++x)
                if (std::abs(qGray(shot.pixel(x, y)) - qGray(ground)) > 60) ++inked;
        EXPECT_GT(inked, 15) << button->text().toStdString();
        button->setEnabled(true);
    }
}
