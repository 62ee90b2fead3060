// The lists of the main window: the style combo box (its entries are rich
// text: a modified style reads red and italic), the pattern thumbnails of the
// "Patterns" panel and the brush thumbnails of the "Brushes Collection" panel.
#include "app/windows/MainWindow.h"

#include "app/domain/Domain.h"
#include "app/windows/MainWindowThumbs.h"
#include "controls/Bitmap32List.h"
#include "controls/ImageList.h"
#include "controls/ImageListViewer.h"
#include "controls/ImageListViewer32.h"
#include "engine/BitmapBrushStrokeRenderer.h"
#include "engine/DualImage.h"
#include "engine/Patterns.h"
#include "engine/PersistentObjectManager.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr int EntryRole = Qt::UserRole + 1;

void PaintEntry(QPainter& painter, const QRect& rect, const QString& entry, const QColor& text)
{
    QTextDocument document;
    document.setDefaultFont(painter.font());
    document.setDocumentMargin(0);
    document.setHtml(QString("<span style=\"color:%1\">%2</span>")
                         .arg(text.name(), QString::fromStdString(EntryTextToQtHtml(entry.toStdString()))));
    painter.save();
    const int top = rect.top() + (rect.height() - static_cast<int>(document.size().height())) / 2;
    painter.translate(rect.left() + 3, top);
    painter.setClipRect(QRect(0, 0, rect.width() - 3, rect.height()));
    document.drawContents(&painter);
    painter.restore();
}

// Draws the list's entries as the rich text they hold.
class TEntryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        plain.text.clear();
        plain.widget->style()->drawControl(QStyle::CE_ItemViewItem, &plain, painter, plain.widget);
        const bool selected = option.state & QStyle::State_Selected;
        PaintEntry(*painter, option.rect, index.data(EntryRole).toString(),
                   option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    }
};

} // namespace

// The combo box of styles: the closed box shows the selected entry's rich text too.
class TStyleCombo : public QComboBox {
public:
    explicit TStyleCombo(QWidget* parent) : QComboBox(parent)
    {
        setItemDelegate(new TEntryDelegate(this));
        view()->setMinimumWidth(250);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.currentText.clear();
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
        PaintEntry(painter, field, currentData(EntryRole).toString(), palette().color(QPalette::Text));
    }
};

QComboBox* TFMain::NewStyleCombo(QWidget* parent) { return new TStyleCombo(parent); }

// --- Styles ------------------------------------------------------------------

std::string TFMain::StyleEntry(int index) const
{
    return cbStyles_->itemData(index, EntryRole).toString().toStdString();
}

void TFMain::SetStyleEntry(int index, const std::string& entry)
{
    const QString text = QString::fromStdString(entry);
    cbStyles_->setItemData(index, text, EntryRole);
    // The plain name for accessibility and keyboard search.
    QTextDocument plain;
    plain.setHtml(QString::fromStdString(EntryTextToQtHtml(entry)));
    cbStyles_->setItemText(index, plain.toPlainText());
}

void TFMain::AddStyleFrameToImageList()
{
    const QSignalBlocker blocker(cbStyles_);
    cbStyles_->addItem(QString());
}

void TFMain::FillStylesCombo()
{
    TPersistentObjectManager& styles = domain_.StyleManager();
    for (int32_t i = 0; i < styles.Count(); ++i) {
        AddStyleFrameToImageList();
        UpdateStyleFrame(i);
    }
}

void TFMain::SelectFirstStyle()
{
    if (cbStyles_->count() == 0) return;
    {
        const QSignalBlocker blocker(cbStyles_);
        cbStyles_->setCurrentIndex(0);
    }
    cbStylesChange();
}

void TFMain::OnUpdateStyleFrame(int index)
{
    if (cbStyles_->count() < domain_.StyleManager().Count()) AddStyleFrameToImageList();
    UpdateStyleFrame(index);
    cbStylesChange();
}

void TFMain::OnDeleteStyleFrame(int index)
{
    const QSignalBlocker blocker(cbStyles_);
    cbStyles_->removeItem(index);
}

// --- Patterns ----------------------------------------------------------------

void TFMain::FillPatternImageList()
{
    TPersistentObjectManager& patterns = domain_.PatternManager();
    patternImageList_->BeginUpdate();
    try {
        for (int32_t i = 0; i < patterns.Count(); ++i) {
            patternImageList_->Add(QImage());
            UpdatePatternFrame(i);
        }
    } catch (...) {
        patternImageList_->EndUpdate();
        throw;
    }
    patternImageList_->EndUpdate();
    ShowCurrentPattern();
}

// The grid's frame marks the pattern the tool sprays and Delete removes; a
// list that changed would otherwise frame the first thumbnail.
void TFMain::ShowCurrentPattern()
{
    if (patternViewer_) patternViewer_->Select(std::max(domain_.PatternManager().ItemIndex(), 0));
}

void TFMain::UpdatePatternFrame(int index)
{
    auto& pattern = dynamic_cast<TPattern&>(domain_.PatternManager().GetObject(index));
    patternImageList_->Replace(index, PatternThumb(pattern, patternImageList_->Width(), patternImageList_->Height()));
}

void TFMain::PatternImageListViewerMouseUpThumb(int index)
{
    if (!domain_.Document()) return;
    domain_.PatternManager().SetItemIndex(index);
    domain_.Execute(TCommandId::Pattern);
}

void TFMain::OnUpdatePatternFrame(int index)
{
    if (patternImageList_->Count() < domain_.PatternManager().Count()) patternImageList_->Add(QImage());
    UpdatePatternFrame(index);
    ShowCurrentPattern();
}

void TFMain::OnDeletePatternFrame(int)
{
    patternImageList_->Clear();
    FillPatternImageList();
}

// --- Brushes -----------------------------------------------------------------

void TFMain::FillStrokesImageList()
{
    TPersistentObjectManager& renderers = domain_.RendererManager();
    for (int32_t i = 0; i < renderers.Count(); ++i) {
        strokesImgLst_->Add(TBitmap32(StrokeThumbWidth, StrokeThumbHeight, clWhite32));
        UpdateStroke(i);
    }
    // The grid shows new thumbnails when it is next sized.
    ShowCurrentBrush();
}

// The brushes grid highlights the renderer the current style draws with.
void TFMain::ShowCurrentBrush()
{
    if (brushViewer_) brushViewer_->Select(std::max(domain_.RendererManager().ItemIndex(), 0));
}

void TFMain::UpdateStroke(int index)
{
    TPersistentObject& renderer = domain_.RendererManager().GetObject(index);
    const auto* brush = dynamic_cast<const TBitmapBrushStrokeRenderer*>(&renderer);
    BuildStrokeThumb(strokesImgLst_->Bitmap(index), brush ? brush->Brush() : stockImages_[1]);
}

void TFMain::StrokesImgLstVwrMouseUpThumb(int index)
{
    if (!domain_.Document()) return;
    domain_.RendererManager().SetItemIndex(index);
    UpdateStyleFrame(domain_.StyleManager().ItemIndex());
}
