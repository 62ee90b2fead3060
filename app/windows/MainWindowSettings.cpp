// The settings of the drawing: the gauges bound to the current style and
// to the document, the previews of the style, brush and brush size, and the
// refresh of every control from the document.
#include "app/windows/MainWindow.h"

#include "app/domain/Domain.h"
#include "app/tools/ToolManager.h"
#include "app/windows/MainWindowThumbs.h"
#include "controls/Bitmap32List.h"
#include "controls/ImageListViewer32.h"
#include "controls/NumericEdit.h"
#include "controls/NumericGaugeBar.h"
#include "engine/DualImage.h"
#include "engine/PersistentObjectManager.h"
#include "engine/Styles.h"
#include "gfx/Rounding.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>

namespace {

// The hourglass for a scope, restored on every path.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// The order in which a refresh brings the style gauges up to date.
constexpr TStyleSetting RefreshOrder[] = {TStyleSetting::Precision, TStyleSetting::Length,  TStyleSetting::Width,
                                          TStyleSetting::ScanWidth, TStyleSetting::BorderLimit,
                                          TStyleSetting::Alpha,     TStyleSetting::HueVar,  TStyleSetting::SatVar,
                                          TStyleSetting::LightVar};

} // namespace

// --- Handlers ----------------------------------------------------------------

void TFMain::WireSettingHandlers()
{
    connect(cbStopBorder_, &QCheckBox::clicked, this, [this] {
        if (settingHandlersAttached_) Guarded([this] { cbStopBorderClick(); });
    });
    connect(cbStyles_, &QComboBox::activated, this, [this] { Guarded([this] { cbStylesChange(); }); });
    AttachSettingHandlers();
}

void TFMain::AttachSettingHandlers()
{
    for (TStyleSetting setting : RefreshOrder)
        Gauge(setting)->OnChange = [this, setting](TNumericGaugeBar*) {
            Guarded([this, setting] { StyleGaugeChange(setting); });
        };
    gaSize_->OnChange = [this](TNumericGaugeBar*) { Guarded([this] { gaSizeChange(); }); };
    gaDensity_->OnChange = [this](TNumericGaugeBar*) { Guarded([this] { gaDensityChange(); }); };
    settingHandlersAttached_ = true;
}

void TFMain::DetachSettingHandlers()
{
    for (TNumericGaugeBar* gauge : styleGauges_) gauge->OnChange = nullptr;
    gaSize_->OnChange = nullptr;
    gaDensity_->OnChange = nullptr;
    settingHandlersAttached_ = false;
}

void TFMain::StyleGaugeChange(TStyleSetting setting)
{
    TDualImage* document = domain_.Document();
    if (!document || !document->Style()) return;
    const TNumericGaugeBar* gauge = Gauge(setting);
    if (WriteStyleSetting(setting, *document->Style(), gauge->Value(), gauge->MaxValue()) &&
        SettingRedrawsStyleEntry(setting))
        UpdateStyleFrame(domain_.StyleManager().ItemIndex());
}

void TFMain::gaSizeChange() { DocumentGaugeChange(*gaSize_, &TDualImage::Radius, &TDualImage::SetRadius); }

void TFMain::gaDensityChange() { DocumentGaugeChange(*gaDensity_, &TDualImage::Density, &TDualImage::SetDensity); }

void TFMain::DocumentGaugeChange(const TNumericGaugeBar& gauge, int32_t (TDualImage::*held)() const,
                                 void (TDualImage::*write)(int32_t))
{
    TDualImage* document = domain_.Document();
    if (!document) return;
    const int32_t value = Round(gauge.Value());
    if (value != (document->*held)()) {
        (document->*write)(value);
        DrawSizePreview();
    } else {
        // The wheel and Shift-drag change the radius behind the gauge's back:
        // a gauge moved to that value shows it for the first time.
        SyncSizePreview();
    }
}

void TFMain::cbStopBorderClick()
{
    TDualImage* document = domain_.Document();
    if (!document || !document->Style()) return;
    // Written straight into the style: the check box neither marks the style
    // modified nor redraws its preview.
    if ((document->Style()->GetStopOnBorders() != 0) != cbStopBorder_->isChecked())
        document->Style()->WriteStopOnBorders(cbStopBorder_->isChecked());
}

void TFMain::cbStylesChange()
{
    const int index = cbStyles_->currentIndex();
    if (!domain_.Document() || index < 0) return;
    domain_.StyleManager().SetItemIndex(index);
}

void TFMain::PainWindowMouseDown()
{
    // A value typed but not yet confirmed counts, but only one the user
    // typed: committing every gauge's text would put back a radius just set
    // with the wheel and rewrite style values the gauges cannot show.
    std::vector<TNumericGaugeBar*> gauges;
    for (TStyleSetting setting : {TStyleSetting::ScanWidth, TStyleSetting::Width, TStyleSetting::Length,
                                  TStyleSetting::Alpha, TStyleSetting::BorderLimit, TStyleSetting::Precision})
        gauges.push_back(Gauge(setting));
    gauges.push_back(gaSize_);
    gauges.push_back(gaDensity_);
    for (TStyleSetting setting : {TStyleSetting::HueVar, TStyleSetting::SatVar, TStyleSetting::LightVar})
        gauges.push_back(Gauge(setting));
    for (TNumericGaugeBar* gauge : ColorPanelGauges()) gauges.push_back(gauge);
    for (TNumericGaugeBar* gauge : gauges)
        if (gauge && gauge->OnChange && gauge->Edit()->isModified()) gauge->AcceptText();
}

// --- Refresh -----------------------------------------------------------------

void TFMain::UpdateControls()
{
    TDualImage* document = domain_.Document();
    UpdateColorPanelFromDocument();
    if (!document) {
        UpdateControlsWithoutDocument();
        return;
    }
    TPersistentObjectManager& styles = domain_.StyleManager();
    if (styles.Count() > 0) {
        const QSignalBlocker blocker(cbStyles_);
        cbStyles_->setCurrentIndex(styles.ItemIndex());
    }
    UpdateBrushPreview();
    if (styles.Count() > 0) UpdateStyleFrame(styles.ItemIndex());
    panDual_->show();
    panPanels_->show();
    UpdateToolPanels();
    UpdateProjectInfo();
    ClickColorModeButton(document->ColorMode());
    UpdateGauges();
}

void TFMain::UpdateProjectInfo()
{
    const TDualImage* document = domain_.Document();
    if (!document) return;
    const QString memory = QString::fromStdString(document->GetMemoryText());
    lblKbSize_->setText(memory);
    lblPSCount_->setText(QString::number(document->StrokeCount()) + " Vectors");
    statusPanel_->setText(memory);
}

void TFMain::UpdateControlsWithoutDocument()
{
    HideAllPanels();
    HideNavigator();
    panDual_->hide();
    panPanels_->hide();
    lblPSCount_->setText("0 Vectors");
    // With the handlers attached, which do nothing without a document; each
    // gauge clamps to its range.
    Gauge(TStyleSetting::Precision)->SetValue(4);
    Gauge(TStyleSetting::Length)->SetValue(100);
    Gauge(TStyleSetting::Width)->SetValue(200);
    gaSize_->SetValue(50);
    Gauge(TStyleSetting::BorderLimit)->SetValue(127);
}

void TFMain::UpdateToolPanels()
{
    const TToolManager* tools = domain_.ToolManager();
    if (!tools) return;
    // Tool number -> button, and which of "Project info", "Size & Density"
    // and "Patterns" show ("Style" always does).
    struct TToolLook { int Button; bool ProjectInfo, Size, Patterns; };
    const TToolLook* look = nullptr;
    static constexpr TToolLook pointer{0, true, false, false}, freeHand{3, false, true, false},
        pattern{2, false, true, true}, autoSketch{1, false, true, false};
    switch (tools->Mode()) {
    case 1: look = &pointer; break;
    case 3: look = &freeHand; break;
    case 4: look = &pattern; break;
    case 5: look = &autoSketch; break;
    default: return; // no tool (help) and the add-curve tool change nothing
    }
    toolButtons_[static_cast<size_t>(look->Button)]->setChecked(true);
    toolPanels_[tpStyle]->show();
    toolPanels_[tpProjectInfo]->setVisible(look->ProjectInfo);
    toolPanels_[tpSize]->setVisible(look->Size);
    toolPanels_[tpPatterns]->setVisible(look->Patterns);
}

void TFMain::UpdateGauges()
{
    TDualImage* document = domain_.Document();
    DetachSettingHandlers();
    try {
        if (TGStyle* style = document->Style()) {
            for (TStyleSetting setting : RefreshOrder) {
                TNumericGaugeBar* gauge = Gauge(setting);
                if (StyleSettingDiffers(setting, *style, gauge->Value(), gauge->MaxValue()))
                    gauge->SetValue(StyleSettingValue(setting, *style, gauge->MaxValue()));
            }
            const bool stop = style->GetStopOnBorders() != 0;
            if (cbStopBorder_->isChecked() != stop) cbStopBorder_->setChecked(stop);
        }
        if (Round(gaSize_->Value()) != document->Radius()) {
            DrawSizePreview();
            gaSize_->SetValue(document->Radius());
        }
        if (Round(gaDensity_->Value()) != document->Density()) {
            gaDensity_->SetValue(document->Density());
            DrawSizePreview();
        }
        // Close leaves the gauges at rest without a preview to draw (it is
        // hidden), so a new document may hold what the gauges already show
        // while the preview still shows the old one's brush.
        SyncSizePreview();
    } catch (...) {
        AttachSettingHandlers();
        throw;
    }
    AttachSettingHandlers();
}

// --- Previews ----------------------------------------------------------------

void TFMain::ShowPreview(QLabel* label, const TBitmap32& bitmap)
{
    label->setPixmap(QPixmap::fromImage(bitmap.ToImage()));
}

std::pair<int32_t, int32_t> TFMain::SizePreviewValues() const
{
    if (const TDualImage* document = domain_.Document()) return {document->Radius(), document->Density()};
    return {Round(gaSize_->Value()), Round(gaDensity_->Value())};
}

void TFMain::DrawSizePreview()
{
    sizePreviewShows_ = SizePreviewValues();
    const auto [radius, density] = sizePreviewShows_;
    ::DrawSizePreview(imgSizeBitmap_, imgSize_->width(), imgSize_->height(), radius, density);
    ShowPreview(imgSize_, imgSizeBitmap_);
}

void TFMain::SyncSizePreview()
{
    if (SizePreviewValues() != sizePreviewShows_) DrawSizePreview();
}

void TFMain::UpdateStyleFrame(int index)
{
    const TWaitCursor hourglass;
    auto& style = dynamic_cast<TGStyle&>(domain_.StyleManager().GetObject(index));
    SetStyleEntry(index, StyleEntryText(style.Name(), style.Modified(), index));
    {
        const QSignalBlocker blocker(cbStyles_);
        cbStyles_->setCurrentIndex(index);
    }
    BurnStylePreview(imgPreviewStyleBitmap_, imgPreviewStyle_->width(), imgPreviewStyle_->height(),
                     style.GetPreview());
    ShowPreview(imgPreviewStyle_, imgPreviewStyleBitmap_);
}

void TFMain::UpdateBrushPreview()
{
    const int32_t index = domain_.RendererManager().ItemIndex();
    if (index < 0 || index >= strokesImgLst_->Count()) return;
    BrushPreviewFromThumb(imgBrushBitmap_, strokesImgLst_->Bitmap(index));
    ShowPreview(imgBrush_, imgBrushBitmap_);
    ShowCurrentBrush();
}

void TFMain::ImgBrushClick() { brushesOpener_->click(); }
