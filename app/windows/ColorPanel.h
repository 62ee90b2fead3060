// TColorPanel: the controller of the main window's "Colors" tool panel. Its
// three mode buttons "Auto", "Fixed" and "Variants" choose the document's
// colour mode and show one page of controls per mode; what the user picks on
// a page goes into the document: the two colours of "Fixed", the colour list
// of "Variants" (ten swatches) and the hue, saturation and brightness shifts
// of the "Auto" page's sliders.
//
// How the main window uses it: it makes the "Colors" tool panel of its
// bottom bar (161 x 157, the caption in a header row of 26 pixels, help
// keyword "colors") and hands it over; the colour panel puts its controls on
// it ("Reset" at the right of the header row, the pages below, the mode
// buttons along the bottom):
//   ColorPanel = std::make_unique<TColorPanel>([this] { return Domain.Document(); }, panColors);
// then, in UpdateControls:
//   ColorPanel->UpdateFromDocument(document);           // every refresh, document or not
//   ColorPanel->ClickModeButton(document->ColorMode()); // every refresh with a document
// and, for the command module's ResetColorPanel (a new document):
//   ColorPanel->Reset();
// The three shift sliders are slidHue, slidSat and slidBright (for the
// commit of typed gauge text on a press on a view).
// The controls are children of panColors (Qt owns them); the controller may
// die before or after them. No mode button is down and no page shows until
// the first ClickModeButton.
//
// Every handler does nothing to the document while there is none (the
// document source answers nullptr); it still changes the panel's own
// controls.
#pragma once

#include "app/windows/ColorSwatches.h"

#include <QPointer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QAbstractButton;
class QObject;
class QWidget;
class TColorShape;
class TDualImage;
class TNumericGaugeBar;
class TSimpleColorSelector;

class TColorPanel {
public:
    using TDocumentSource = std::function<TDualImage*()>;

    TColorPanel(TDocumentSource document, QWidget* panColors);
    ~TColorPanel();
    TColorPanel(const TColorPanel&) = delete;
    TColorPanel& operator=(const TColorPanel&) = delete;

    // The "Colors" tool panel it was given.
    QWidget* Panel() const { return panel_; }

    // --- Called by the main window and the command module -------------------

    // Shows the document's colours: the two "Fixed" colours, the swatches
    // and the three shifts (without writing them back). Without a document
    // only the two "Fixed" shapes change (white and black).
    void UpdateFromDocument(TDualImage* document);
    // Empties the swatches and the document's colour list, and sets the three
    // shifts to 0 (through the sliders, so the document follows).
    void Reset();
    // Runs the click handler of the button of colour mode `colorMode`
    // (0 "Fixed", 1 "Auto", 2 "Variants"); any other mode clicks nothing.
    void ClickModeButton(uint8_t colorMode);

    // --- Handlers ------------------------------------------------------------

    void btAutoColorClick();
    void btFixedClick();
    void btVarClick();
    void VarColorSelected();
    void FixedColorSelected();
    void slidHueChange();
    void slidSatChange();
    void slidBrightChange();
    void btnResetClick() { Reset(); }

    // --- Swatches ------------------------------------------------------------

    // Raise EngineError "Index out of bounds" as TColorSwatches does.
    void SetSwatchColor(int32_t index, TColor32 color);
    TColor32 GetSwatchColor(int32_t index) const { return swatches_.GetSwatchColor(index); }
    int32_t SwatchCount() const { return swatches_.SwatchCount(); }
    int32_t NextSwatch() const { return swatches_.NextSwatch(); }
    // With a document: its colour list := the filled swatches.
    void StoreColors();

    // --- Controls ------------------------------------------------------------

    QAbstractButton* btVar = nullptr;
    QAbstractButton* btAutoColor = nullptr;
    QAbstractButton* btFixed = nullptr;
    QAbstractButton* btnReset = nullptr;
    QWidget* panVar = nullptr;
    QWidget* panFixed = nullptr;
    QWidget* panAuto = nullptr;
    TSimpleColorSelector* ColorSelectorVar = nullptr;
    TSimpleColorSelector* ColorSelectorFixed = nullptr;
    std::array<TColorShape*, TColorSwatches::Count> Swatches{};
    TColorShape* shapeBack = nullptr;
    TColorShape* ShapeFore = nullptr;
    TNumericGaugeBar* slidHue = nullptr;
    TNumericGaugeBar* slidSat = nullptr;
    TNumericGaugeBar* slidBright = nullptr;

private:
    void BuildPanel(QWidget* panColors);
    QWidget* BuildVariantsPage(QWidget* area);
    QWidget* BuildFixedPage(QWidget* area);
    QWidget* BuildAutoPage(QWidget* area);
    void WireHandlers();
    void DetachHandlers();
    // The mode handlers' common part: one button down, one page shown.
    void ShowMode(QAbstractButton* button, QWidget* page, bool resetShown, uint8_t colorMode);
    // A slider's handler: the shift := Value / 256 when it differs.
    void SliderChanged(TNumericGaugeBar* slider, float (TDualImage::*get)() const,
                       void (TDualImage::*set)(float));
    void ShowSwatches();
    TDualImage* Document() const { return document_ ? document_() : nullptr; }

    TDocumentSource document_;
    TColorSwatches swatches_;
    QPointer<QWidget> panel_;
    // Owns the button connections, so they end with the panel controller.
    std::unique_ptr<QObject> connections_;
};
