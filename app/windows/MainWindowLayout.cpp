// The bottom bar of tool panels (tools, project info, style, size and
// density, patterns, colours) on the background tile, and the colour panel
// on its "Colors" panel.
#include "app/windows/MainWindow.h"

#include "app/GlobalConfig.h"
#include "app/domain/Domain.h"
#include "app/windows/ColorPanel.h"
#include "app/windows/FloatingPanelSetup.h"
#include "app/windows/GaugeLook.h"
#include "app/windows/HelpTopic.h"
#include "app/windows/MainWindowPictures.h"
#include "app/windows/MainWindowThumbs.h"
#include "app/windows/MainWindowWidgets.h"
#include "app/windows/PanelManager.h"
#include "controls/ImageList.h"
#include "controls/ImageListViewer.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>

namespace {

const QColor PanelColor = WinColor(15721946);
constexpr int BarHeight = 157;
constexpr int HeaderHeight = 26;

// A tool panel of the bottom bar: the panel colour under a header row with
// its caption.
class TToolPanel : public QWidget {
public:
    // A panel without a header row has no caption; one whose header holds
    // an opener instead has an empty caption.
    TToolPanel(QWidget* parent, const QString& caption, int width, bool header = true)
        : QWidget(parent), caption_(caption), header_(header)
    {
        setFixedSize(width, BarHeight);
    }
    // The background picture, repeated under the header row.
    QPixmap Tile;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF body = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QColor(150, 170, 200));
        p.setBrush(PanelColor);
        p.drawRoundedRect(body, 4, 4);
        if (!Tile.isNull()) {
            QPainterPath inside;
            inside.addRoundedRect(body.adjusted(1, 1, -1, -1), 3, 3);
            p.save();
            p.setClipPath(inside);
            p.drawTiledPixmap(rect(), Tile);
            p.restore();
        }
        if (!header_) return;
        QLinearGradient header(0, 0, 0, HeaderHeight);
        header.setColorAt(0, QColor(246, 249, 253));
        header.setColorAt(1, QColor(196, 213, 235));
        p.setBrush(header);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(1, 1, width() - 2, HeaderHeight - 1), 3, 3);
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(12);
        p.setFont(font);
        p.setPen(QColor(30, 57, 91));
        p.drawText(QRect(6, 0, width() - 12, HeaderHeight), Qt::AlignLeft | Qt::AlignVCenter, caption_);
    }

private:
    QString caption_;
    bool header_;
};

// The bottom bar: the background tile repeated behind the tool panels. The
// panels lie on a strip at least as wide as they need: on a small screen the
// window may be narrower, and they are cut off at the right rather than
// pushed over each other or holding the window wider than the screen.
class TTiledBar : public QWidget {
public:
    explicit TTiledBar(QWidget* parent) : QWidget(parent), Strip(new QWidget(this))
    {
        setMinimumWidth(1);
        Strip->installEventFilter(this);
    }
    QPixmap Tile;
    QWidget* Strip;

protected:
    void resizeEvent(QResizeEvent*) override { FitStrip(); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A tool panel shown or hidden changes what the strip needs.
        if (watched == Strip && event->type() == QEvent::LayoutRequest) FitStrip();
        return QWidget::eventFilter(watched, event);
    }
    void FitStrip()
    {
        const int needed = Strip->layout() ? Strip->layout()->minimumSize().width() : 0;
        Strip->setGeometry(0, 0, std::max(width(), needed), height());
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        if (!Tile.isNull()) {
            p.drawTiledPixmap(rect(), Tile);
            return;
        }
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, QColor(200, 214, 232));
        g.setColorAt(1, QColor(170, 188, 214));
        p.fillRect(rect(), g);
    }
};

} // namespace

// --- The bottom bar --------------------------------------------------------

void TFMain::BuildBottomBar(QWidget* host)
{
    auto* bar = new TTiledBar(host);
    panPanels_ = bar;
    bar->setFixedHeight(BarHeight + 6);
    auto* row = new QHBoxLayout(bar->Strip);
    row->setContentsMargins(3, 3, 3, 3);
    row->setSpacing(3);
    row->addWidget(BuildToolsPanel());
    toolPanels_[tpProjectInfo] = BuildProjectPanel();
    toolPanels_[tpStyle] = BuildStylePanel();
    toolPanels_[tpSize] = BuildSizePanel();
    toolPanels_[tpPatterns] = BuildPatternPanel();
    toolPanels_[tpColors] = BuildColorsPanel();
    for (QWidget* panel : toolPanels_) row->addWidget(panel);
    row->addStretch(1);
    LoadBackgroundTile(*bar);
    // Moves over the tool panels, their opener buttons and the project-save
    // button hide the unpinned floating panels; the previews report their
    // moves through the window (PanelEvent).
    for (QWidget* area : std::initializer_list<QWidget*>{toolPanels_[tpProjectInfo], toolPanels_[tpStyle], toolPanels_[tpSize],
                          toolPanels_[tpPatterns], btPS_})
        PanelManager_->AddAutoHideArea(area);
    for (QLabel* preview : {imgPreviewStyle_, imgBrush_, imgSize_}) preview->setMouseTracking(true);
}

void TFMain::LoadBackgroundTile(QWidget& bar)
{
    // The configuration module's tile lies behind the bar and the four tool
    // panels; without it (a test without start-up) they keep their colours.
    if (!dmGlobalConfig) return;
    QImage tile;
    dmGlobalConfig->LoadBackground(tile);
    const QPixmap pixmap = QPixmap::fromImage(tile);
    static_cast<TTiledBar&>(bar).Tile = pixmap;
    for (int panel : {tpProjectInfo, tpStyle, tpSize, tpPatterns})
        static_cast<TToolPanel*>(toolPanels_[static_cast<size_t>(panel)])->Tile = pixmap;
}

QWidget* TFMain::BuildToolsPanel()
{
    auto* panel = new TToolPanel(panPanels_, QString(), 136, false);
    panel->setObjectName("panTools");
    toolGroup_ = new QButtonGroup(panel);
    toolGroup_->setExclusive(true);
    const TCommandId commands[] = {TCommandId::Pointer, TCommandId::AutoDir, TCommandId::Pattern,
                                   TCommandId::FreeHand, TCommandId::ContextHelp};
    const char* captions[] = {"Pointer", "Auto-sketch", "Pattern", "Free Hand", "What is this?"};
    const char* names[] = {"btPtr", "btAuto", "btPat", "btFree", "btHelp"};
    for (int i = 0; i < 5; ++i) {
        auto* button = new QToolButton(panel);
        button->setObjectName(names[i]);
        button->setGeometry(1, 1 + i * 31, 134, 31);
        button->setIcon(ToolButtonPicture(i));
        button->setIconSize(QSize(26, 26));
        button->setText(captions[i]);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        // One group, "What is this?" among them: while it waits for its
        // click no tool is current, and no tool's button shows pressed.
        button->setCheckable(true);
        button->setAutoRaise(true);
        toolGroup_->addButton(button, i);
        BindButton(button, commands[i]);
        toolButtons_[static_cast<size_t>(i)] = button;
    }
    return panel;
}

QWidget* TFMain::BuildProjectPanel()
{
    auto* panel = new TToolPanel(panPanels_, "Project info", 152);
    panel->setObjectName("panPS");
    SetHelpKeyword(panel, "menu");
    lblPSCount_ = NewLabel(panel, "0 Vectors", QRect(10, 36, 134, 20), QColor(30, 57, 91));
    QFont big = lblPSCount_->font();
    big.setPointSizeF(big.pointSizeF() * 1.25);
    big.setBold(true);
    lblPSCount_->setFont(big);
    lblKbSize_ = NewLabel(panel, QString(), QRect(10, 60, 134, 36), QColor(60, 70, 90));
    lblKbSize_->setWordWrap(true);
    auto* save = new QPushButton("Save Project", panel);
    save->setObjectName("btPS");
    save->setGeometry(10, 112, 132, 28);
    save->setIcon(ButtonGlyph(TGlyph::Save));
    btPS_ = save;
    connect(save, &QPushButton::clicked, this, [this] { Guarded([this] { domain_.Execute(btPSCommand_); }); });
    return panel;
}

QWidget* TFMain::BuildStylePanel()
{
    auto* panel = new TToolPanel(panPanels_, "Style", 386);
    panel->setObjectName("panStyle");
    SetHelpKeyword(panel, "general");
    cbStyles_ = NewStyleCombo(panel);
    cbStyles_->setObjectName("cbStyles");
    cbStyles_->setGeometry(52, 2, 145, 22);
    AddCommandButtons(panel, 201, 28,
                      {{TGlyph::New, TCommandId::NewStyle, "btStyleNew"},
                       {TGlyph::Save, TCommandId::SaveStyle, "btStyleEdit"},
                       {TGlyph::SaveAs, TCommandId::SaveStyleAs, "btStyleSaveAs"},
                       {TGlyph::Reset, TCommandId::ResetStyle, "btStyleReset"},
                       {TGlyph::Delete, TCommandId::DelStyle, "btStyleDel"}});
    imgPreviewStyle_ = NewPreview(panel, QRect(4, 32, 235, 116));
    NewOpener(panel, "Settings", fpStrokeSettings, QRect(246, 34, 110, 18), QPoint(358, 34));
    NewOpener(panel, "Color Settings", fpColorSettings, QRect(246, 56, 110, 18), QPoint(358, 56));
    NewOpener(panel, "Advanced Settings", fpAdvSettings, QRect(246, 78, 110, 18), QPoint(358, 78));
    imgBrush_ = NewPreview(panel, QRect(243, 108, 131, 31));
    imgBrush_->setObjectName("ImgBrush");
    imgBrush_->setScaledContents(true);
    imgBrush_->setCursor(Qt::PointingHandCursor);
    brushesOpener_ = NewPictureButton(panel, QRect(358, 114, 22, 18), ButtonGlyph(TGlyph::Popup));
    brushesOpener_->setToolTip("Brushes Collection");
    PanelManager_->AddOpener(brushesOpener_, ptBrushes);
    PanelManager_->AddAutoHideArea(brushesOpener_);
    return panel;
}

QWidget* TFMain::BuildSizePanel()
{
    auto* panel = new TToolPanel(panPanels_, QString(), 150);
    panel->setObjectName("PanSize");
    SetHelpKeyword(panel, "size");
    NewOpener(panel, "Size & Density", fpSizeDensity, QRect(6, 4, 116, 18), QPoint(124, 4));
    imgSize_ = NewPreview(panel, QRect(3, 50, 144, 102));
    return panel;
}

QWidget* TFMain::BuildPatternPanel()
{
    auto* panel = new TToolPanel(panPanels_, "Patterns", 174);
    panel->setObjectName("panPattern");
    SetHelpKeyword(panel, "pattern");
    patternImageList_ = new TImageList(PatternThumbSize, PatternThumbSize, this);
    patternViewer_ = new TImageListViewer(panel);
    patternViewer_->setGeometry(4, HeaderHeight + 2, 166, BarHeight - HeaderHeight - 6);
    patternViewer_->SetMargin(2);
    patternViewer_->SetColor(PanelColor);
    patternViewer_->SetImageList(patternImageList_);
    patternViewer_->OnMouseUpThumb = [this](int32_t index, int32_t, int32_t) {
        Guarded([this, index] { PatternImageListViewerMouseUpThumb(index); });
    };
    AddCommandButtons(panel, 90, 27,
                      {{TGlyph::New, TCommandId::NewPattern, "btPatNew"},
                       {TGlyph::Edit, TCommandId::EditPattern, "btPatEdit"},
                       {TGlyph::Delete, TCommandId::DelPattern, "btPatDel"}});
    return panel;
}

void TFMain::AddCommandButtons(QWidget* panel, int left, int step, std::initializer_list<TCommandButton> buttons)
{
    int x = left;
    for (const TCommandButton& setup : buttons) {
        QToolButton* button = NewPictureButton(panel, QRect(x, 2, 25, 22), ButtonGlyph(setup.Glyph));
        button->setObjectName(setup.Name);
        BindButton(button, setup.Command);
        x += step;
    }
}

QWidget* TFMain::BuildColorsPanel()
{
    auto* panel = new TToolPanel(panPanels_, "Colors", 161);
    panel->setObjectName("panColors");
    SetHelpKeyword(panel, "colors");
    BuildColorPanel(panel);
    return panel;
}

// --- The colour panel ------------------------------------------------------

void TFMain::BuildColorPanel(QWidget* panel)
{
    ColorPanel_ = std::make_unique<TColorPanel>([this] { return domain_.Document(); }, panel);
}

void TFMain::UpdateColorPanelFromDocument() { ColorPanel_->UpdateFromDocument(domain_.Document()); }

void TFMain::ClickColorModeButton(uint8_t colorMode) { ColorPanel_->ClickModeButton(colorMode); }

std::vector<TNumericGaugeBar*> TFMain::ColorPanelGauges() const
{
    return {ColorPanel_->slidHue, ColorPanel_->slidSat, ColorPanel_->slidBright};
}

void TFMain::ResetColorPanel() { ColorPanel_->Reset(); }

void TFMain::BindSaveProjectButton(bool toSave)
{
    btPSCommand_ = toSave ? TCommandId::SaveProject : TCommandId::SaveProjectAs;
    btPS_->setText("Save Project");
}

QLabel* TFMain::NewOpener(QWidget* panel, const QString& text, int floatingPanel, QRect labelRect,
                          QPoint buttonPos)
{
    QLabel* label = NewLabel(panel, text, labelRect, QColor(0, 100, 110));
    FitFont(label, true);
    QToolButton* button = NewPictureButton(panel, QRect(buttonPos, QSize(22, 18)), ButtonGlyph(TGlyph::Popup));
    const int tag = ptStrokeSettings + floatingPanel;
    PanelManager_->AddOpener(label, tag);
    PanelManager_->AddOpener(button, tag);
    PanelManager_->AddAutoHideArea(button);
    return label;
}
