#include "app/windows/ColorPanel.h"

#include "app/windows/ColorShape.h"
#include "app/windows/EyedropperCursor.h"
#include "app/windows/GaugeLook.h"
#include "app/dialogs/GuardedHandler.h"
#include "controls/HandlerGuard.h"
#include "controls/NumericGaugeBar.h"
#include "controls/SimpleColorSelector.h"
#include "engine/DualImage.h"
#include "gfx/Rounding.h"

#include <QButtonGroup>
#include <QLabel>
#include <QToolButton>

namespace {

constexpr uint32_t PageColor = 15721950;
// The places on the main window's 161 x 157 "Colors" tool panel, below its
// 26-pixel header row.
constexpr int PanelWidth = 161;
constexpr QRect PageArea(3, 27, 155, 100);
constexpr int ModeRowTop = 133;
constexpr int ModeButtonWidth = 52;
constexpr int ModeButtonHeight = 19;

void Fill(QWidget* widget, uint32_t color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, WinColor(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* Label(const QString& text, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(11);
    label->setFont(font);
    label->adjustSize();
    label->move(x, y);
    return label;
}

QToolButton* ModeButton(const QString& text, QWidget* parent, int index)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setCheckable(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(1 + index * (ModeButtonWidth + 1), ModeRowTop, ModeButtonWidth, ModeButtonHeight);
    button->setStyleSheet(
        "QToolButton { border: 1px solid #7f9db9; background: #f4f7fb; font-size: 11px; }"
        "QToolButton:hover { background: #ffffff; }"
        "QToolButton:checked { background: #a9c1e2; border-color: #34598c; }"
        // The style's own disabled grey vanishes on the checked blue.
        "QToolButton:disabled { color: #5f6b7a; }");
    return button;
}

TNumericGaugeBar* ShiftSlider(QWidget* page, int y)
{
    auto* slider = new TNumericGaugeBar(page);
    ApplyGaugeLook(*slider);
    slider->SetIntValue(true);
    slider->SetMinValue(-128);
    slider->SetMaxValue(128);
    slider->SetValue(4);
    slider->setGeometry(8, y, 135, 14);
    return slider;
}

} // namespace

TColorPanel::TColorPanel(TDocumentSource document, QWidget* panColors)
    : document_(std::move(document)), connections_(std::make_unique<QObject>())
{
    BuildPanel(panColors);
    WireHandlers();
    Reset();
}

TColorPanel::~TColorPanel()
{
    // The widgets may outlive the controller; leave them nothing that points here.
    if (panel_) DetachHandlers();
}

// --- Building ----------------------------------------------------------------

void TColorPanel::BuildPanel(QWidget* panColors)
{
    panel_ = panColors;
    auto* reset = new QToolButton(panColors);
    reset->setText("Reset");
    reset->setGeometry(PanelWidth - 60 - 3, 4, 60, 18);
    reset->setFocusPolicy(Qt::NoFocus);
    reset->hide();
    btnReset = reset;

    auto* area = new QWidget(panColors);
    area->setObjectName("JvXPContainer2");
    area->setGeometry(PageArea);
    panVar = BuildVariantsPage(area);
    panFixed = BuildFixedPage(area);
    panAuto = BuildAutoPage(area);
    for (QWidget* page : {panVar, panFixed, panAuto}) {
        Fill(page, PageColor);
        page->setGeometry(0, 0, PageArea.width(), PageArea.height());
        page->hide();
    }

    auto* group = new QButtonGroup(panColors);
    btAutoColor = ModeButton("Auto", panColors, 0);
    btFixed = ModeButton("Fixed", panColors, 1);
    btVar = ModeButton("Variants", panColors, 2);
    for (QAbstractButton* button : {btAutoColor, btFixed, btVar}) group->addButton(button);
}

QWidget* TColorPanel::BuildVariantsPage(QWidget* area)
{
    auto* page = new QWidget(area);
    page->setObjectName("panVar");
    ColorSelectorVar = new TSimpleColorSelector(page);
    ColorSelectorVar->setGeometry(2, 0, 150, 82);
    ColorSelectorVar->SetMapCursor(EyedropperCursor());
    const QColor outline(128, 128, 128);
    for (int i = 0; i < TColorSwatches::Count; ++i) {
        auto* swatch = new TColorShape(TColorShape::TShapeKind::Circle, 14, outline, page);
        swatch->move(3 + i * 15, 84);
        Swatches[static_cast<size_t>(i)] = swatch;
    }
    return page;
}

QWidget* TColorPanel::BuildFixedPage(QWidget* area)
{
    auto* page = new QWidget(area);
    page->setObjectName("panFixed");
    ColorSelectorFixed = new TSimpleColorSelector(page);
    ColorSelectorFixed->setGeometry(2, 0, 150, 73);
    ColorSelectorFixed->SetMapCursor(EyedropperCursor());
    shapeBack = new TColorShape(TColorShape::TShapeKind::Rectangle, 20, Qt::black, page);
    shapeBack->move(0, 74);
    ShapeFore = new TColorShape(TColorShape::TShapeKind::Rectangle, 20, Qt::black, page);
    ShapeFore->move(8, 80);
    Label("Current Color", page, 40, 82);
    return page;
}

QWidget* TColorPanel::BuildAutoPage(QWidget* area)
{
    auto* page = new QWidget(area);
    page->setObjectName("panAuto");
    Label("Hue", page, 8, 1);
    slidHue = ShiftSlider(page, 15);
    Label("Saturation", page, 8, 33);
    slidSat = ShiftSlider(page, 47);
    Label("Brightness", page, 8, 65);
    slidBright = ShiftSlider(page, 79);
    return page;
}

void TColorPanel::WireHandlers()
{
    QObject* context = connections_.get();
    auto onClick = [context](QAbstractButton* button, const char* where, void (TColorPanel::*handler)(),
                             TColorPanel* self) {
        QObject::connect(button, &QAbstractButton::clicked, context,
                         [self, where, handler] { GuardedHandler(where, [&] { (self->*handler)(); }); });
    };
    onClick(btnReset, "Reset colours", &TColorPanel::btnResetClick, this);
    onClick(btAutoColor, "Colour mode Auto", &TColorPanel::btAutoColorClick, this);
    onClick(btFixed, "Colour mode Fixed", &TColorPanel::btFixedClick, this);
    onClick(btVar, "Colour mode Variants", &TColorPanel::btVarClick, this);
    ColorSelectorVar->OnSelectColor = [this] { GuardedHandler("Variant colour", [this] { VarColorSelected(); }); };
    ColorSelectorFixed->OnSelectColor = [this] { GuardedHandler("Fixed colour", [this] { FixedColorSelected(); }); };
    slidHue->OnChange = [this](TNumericGaugeBar*) { GuardedHandler("Hue shift", [this] { slidHueChange(); }); };
    slidSat->OnChange = [this](TNumericGaugeBar*) { GuardedHandler("Saturation shift", [this] { slidSatChange(); }); };
    slidBright->OnChange = [this](TNumericGaugeBar*) {
        GuardedHandler("Brightness shift", [this] { slidBrightChange(); });
    };
}

void TColorPanel::DetachHandlers()
{
    ColorSelectorVar->OnSelectColor = nullptr;
    ColorSelectorFixed->OnSelectColor = nullptr;
    for (TNumericGaugeBar* slider : {slidHue, slidSat, slidBright}) slider->OnChange = nullptr;
}

// --- Modes -------------------------------------------------------------------

void TColorPanel::ClickModeButton(uint8_t colorMode)
{
    switch (colorMode) {
    case cmFixed: btFixedClick(); break;
    case cmAuto: btAutoColorClick(); break;
    case cmVariants: btVarClick(); break;
    default: break;
    }
}

void TColorPanel::btAutoColorClick() { ShowMode(btAutoColor, panAuto, false, cmAuto); }
void TColorPanel::btFixedClick() { ShowMode(btFixed, panFixed, false, cmFixed); }
void TColorPanel::btVarClick() { ShowMode(btVar, panVar, true, cmVariants); }

void TColorPanel::ShowMode(QAbstractButton* button, QWidget* page, bool resetShown, uint8_t colorMode)
{
    button->setChecked(true);
    for (QWidget* other : {panVar, panFixed, panAuto})
        if (other != page) other->hide();
    page->show();
    btnReset->setVisible(resetShown);
    if (TDualImage* document = Document()) document->SetColorMode(colorMode);
}

// --- Colours -----------------------------------------------------------------

void TColorPanel::FixedColorSelected()
{
    TDualImage* document = Document();
    if (!document) return;
    document->SetGradientFrom(SetAlpha(ColorSelectorFixed->SelectedColor(), 255));
    document->SetGradientTo(SetAlpha(ColorSelectorFixed->SecondaryColor(), 255));
    UpdateFromDocument(document);
}

// Always the left-button colour: a pick with another button adds the last
// left pick again.
void TColorPanel::VarColorSelected()
{
    swatches_.Pick(ColorSelectorVar->SelectedColor());
    ShowSwatches();
    StoreColors();
}

void TColorPanel::SetSwatchColor(int32_t index, TColor32 color)
{
    swatches_.SetSwatchColor(index, color);
    ShowSwatches();
    StoreColors();
}

void TColorPanel::StoreColors()
{
    if (TDualImage* document = Document()) swatches_.StoreTo(*document);
}

void TColorPanel::ShowSwatches()
{
    for (int32_t i = 0; i < TColorSwatches::Count; ++i) {
        TColorShape* swatch = Swatches[static_cast<size_t>(i)];
        swatch->SetColor(swatches_.IsFilled(i) ? std::optional(swatches_.GetSwatchColor(i)) : std::nullopt);
    }
}

void TColorPanel::Reset()
{
    swatches_.Reset();
    ShowSwatches();
    if (TDualImage* document = Document()) document->ClearPalette();
    for (TNumericGaugeBar* slider : {slidHue, slidSat, slidBright}) slider->SetValue(0);
}

void TColorPanel::UpdateFromDocument(TDualImage* document)
{
    if (!document) {
        ShapeFore->SetColor(clWhite32);
        shapeBack->SetColor(clBlack32);
        return;
    }
    ShapeFore->SetColor(document->GradientFrom());
    shapeBack->SetColor(document->GradientTo());
    swatches_.LoadFrom(*document);
    ShowSwatches();
    THandlerGuard<void(TNumericGaugeBar*)> hue(slidHue->OnChange);
    THandlerGuard<void(TNumericGaugeBar*)> sat(slidSat->OnChange);
    THandlerGuard<void(TNumericGaugeBar*)> bright(slidBright->OnChange);
    slidHue->SetValue(double(document->HueVariation()) * 256);
    slidSat->SetValue(double(document->SaturationVariation()) * 256);
    slidBright->SetValue(double(document->BrightnessVariation()) * 256);
}

// --- Shifts ------------------------------------------------------------------

void TColorPanel::slidHueChange()
{
    SliderChanged(slidHue, &TDualImage::HueVariation, &TDualImage::SetHueVariation);
}

void TColorPanel::slidSatChange()
{
    SliderChanged(slidSat, &TDualImage::SaturationVariation, &TDualImage::SetSaturationVariation);
}

void TColorPanel::slidBrightChange()
{
    SliderChanged(slidBright, &TDualImage::BrightnessVariation, &TDualImage::SetBrightnessVariation);
}

void TColorPanel::SliderChanged(TNumericGaugeBar* slider, float (TDualImage::*get)() const,
                                void (TDualImage::*set)(float))
{
    TDualImage* document = Document();
    if (!document) return;
    const float v = Single(double(slider->Value()) / 256);
    if (v != (document->*get)()) (document->*set)(v);
}
