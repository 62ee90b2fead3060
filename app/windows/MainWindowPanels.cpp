// The five floating settings panels of the main window, with the gauges
// bound to the style and the document (Stroke Settings, Color Variation,
// Advanced Settings, Size & Density) and the brush grid (Brushes
// Collection); the panel manager hosts them.
#include "app/windows/MainWindow.h"

#include "app/windows/FloatingPanelSetup.h"
#include "app/windows/GaugeLook.h"
#include "app/windows/HeaderPanel.h"
#include "app/windows/HelpTopic.h"
#include "app/windows/MainWindowThumbs.h"
#include "app/windows/MainWindowWidgets.h"
#include "app/windows/PanelManager.h"
#include "controls/Bitmap32List.h"
#include "controls/ImageListViewer32.h"
#include "controls/NumericGaugeBar.h"

#include <QCheckBox>
#include <QLabel>

// --- The floating panels ---------------------------------------------------

TNumericGaugeBar* TFMain::NewGauge(QWidget* panel, const QString& label, int y, double min, double max)
{
    const int gaugeX = panel->width() - 135 - 4;
    FitFont(NewLabel(panel, label, QRect(5, y - 1, gaugeX - 6, 16), Qt::white), false);
    auto* gauge = new TNumericGaugeBar(panel);
    gauge->setGeometry(gaugeX, y, 135, 14);
    ApplyGaugeLook(*gauge);
    gauge->SetIntValue(true);
    gauge->SetMinValue(static_cast<float>(min));
    gauge->SetMaxValue(static_cast<float>(max));
    return gauge;
}

QWidget* TFMain::NewFloatingPanel(int index)
{
    // The content covers the whole panel and paints nothing, so the panel's
    // gradient shows; its controls lie below the header row.
    const TFloatingPanelSetup& setup = StandardPanelSetup(ptStrokeSettings + index);
    auto* content = new QWidget;
    content->resize(setup.Size);
    floatingPanels_[static_cast<size_t>(index)] = PanelManager_->AddPanel(setup, content);
    return content;
}

void TFMain::BuildFloatingPanels()
{
    auto at = [this](TStyleSetting s) -> TNumericGaugeBar*& { return styleGauges_[static_cast<size_t>(s)]; };
    QWidget* stroke = NewFloatingPanel(fpStrokeSettings);
    at(TStyleSetting::Width) = NewGauge(stroke, "Width", 22, 2, 40);
    at(TStyleSetting::Alpha) = NewGauge(stroke, "Transparency", 37, 1, 255);
    at(TStyleSetting::Length) = NewGauge(stroke, "Length", 52, 5, 300);
    at(TStyleSetting::Length)->SetLogScale(true);

    QWidget* colour = NewFloatingPanel(fpColorSettings);
    at(TStyleSetting::HueVar) = NewGauge(colour, "Hue", 24, 1, 255);
    at(TStyleSetting::SatVar) = NewGauge(colour, "Saturation", 40, 1, 255);
    at(TStyleSetting::LightVar) = NewGauge(colour, "Ligthness", 56, 1, 255);

    QWidget* brushes = NewFloatingPanel(fpBrushes);
    strokesImgLst_ = new TBitmap32List(this);
    brushViewer_ = new TImageListViewer32(brushes);
    brushViewer_->setGeometry(1, 22, 160, 119);
    brushViewer_->SetMargin(0);
    brushViewer_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    brushViewer_->SetThumbSize(StrokeThumbWidth, StrokeThumbHeight);
    brushViewer_->SetColor(WinColor(8598804));
    brushViewer_->SetColorSelected(WinColor(16112578));
    brushViewer_->SetImageList(strokesImgLst_);
    brushViewer_->OnMouseUpThumb = [this](int32_t index, int32_t, int32_t) {
        Guarded([this, index] { StrokesImgLstVwrMouseUpThumb(index); });
    };

    QWidget* advanced = NewFloatingPanel(fpAdvSettings);
    at(TStyleSetting::ScanWidth) = NewGauge(advanced, "Scan Width", 22, 0.5, 12);
    at(TStyleSetting::ScanWidth)->SetIntValue(false);
    at(TStyleSetting::BorderLimit) = NewGauge(advanced, "Border Limit", 38, 1, 100);
    at(TStyleSetting::Precision) = NewGauge(advanced, "Precision", 54, 6, 100);
    cbStopBorder_ = new QCheckBox("Stop on borders", advanced);
    cbStopBorder_->setGeometry(6, 72, 200, 20);
    QPalette palette = cbStopBorder_->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    cbStopBorder_->setPalette(palette);
    SetHelpKeyword(cbStopBorder_, "general");

    QWidget* size = NewFloatingPanel(fpSizeDensity);
    gaSize_ = NewGauge(size, "Size", 24, 10, 150);
    gaDensity_ = NewGauge(size, "Density", 42, 5, 200);

    // The values of the window's design, set before the handlers are wired.
    const std::pair<TStyleSetting, double> design[] = {
        {TStyleSetting::Width, 8}, {TStyleSetting::Alpha, 5}, {TStyleSetting::Length, 25},
        {TStyleSetting::HueVar, 10}, {TStyleSetting::SatVar, 10}, {TStyleSetting::LightVar, 10},
        {TStyleSetting::ScanWidth, 2}, {TStyleSetting::BorderLimit, 2}, {TStyleSetting::Precision, 6}};
    for (const auto& [setting, value] : design) Gauge(setting)->SetValue(value);
    gaSize_->SetValue(10);
    gaDensity_->SetValue(5);
}

void TFMain::HideUnfixedPanels() { PanelManager_->HideUnfixed(); }

void TFMain::ShowFixedPanels() { PanelManager_->ShowFixed(); }

void TFMain::HideAllPanels() { PanelManager_->HideAll(); }
