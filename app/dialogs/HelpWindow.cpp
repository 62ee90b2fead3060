#include "app/dialogs/HelpWindow.h"

#include "app/dialogs/GuardedHandler.h"
#include "app/dialogs/HelpPageBudget.h"
#include "app/dialogs/LinkLabel.h"
#include "app/dialogs/ScreenCentre.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QColor Cream(255, 251, 240);
constexpr int ViewerWidth = 523, ViewerHeight = 277, StripHeight = 18;

QFont FontOf(const QStringList& families, QFont::StyleHint hint)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    return font;
}

QLabel* Separator(QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("|"), parent);
    label->setContentsMargins(4, 0, 4, 0);
    return label;
}

// A folder name ready to take a file name: with a trailing "/" unless empty.
QString FolderPath(const std::string& folder)
{
    QString path = QString::fromStdString(folder);
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path;
}

bool IsPageFile(const QString& file) { return !file.isEmpty() && QFileInfo(file).isFile(); }

// The page view. Qt's own loaders open files by name and wait for a FIFO's
// writer for good, so every file a page is made of comes through here, and
// within what is left of the page's budget. The document keeps what it got
// by its name and asks for pictures only while it lays the page out, so the
// budget is the page's, from its text to its last picture.
class THelpViewer : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    // Never a null answer: the document would open the file itself.
    QVariant loadResource(int type, const QUrl& name) override
    {
        const QUrl url = name.isRelative() ? source().resolved(name) : name;
        const QString file = url.isLocalFile() ? url.toLocalFile() : QString();
        if (type == QTextDocument::ImageResource) return Picture(file);
        if (type == QTextDocument::HtmlResource) {
            const std::optional<QByteArray> bytes = ReadPlainFile(file, MaxHelpPageBytes);
            const qsizetype defaultSheet = document()->defaultStyleSheet().size();
            return bytes ? budget_.TakePage(*bytes, defaultSheet).value_or(NoHelpHtml) : NoHelpHtml;
        }
        // The rest a page names are its style sheets.
        const std::optional<QByteArray> sheet = ReadPlainFile(file, budget_.SheetBytesLeft());
        return sheet && budget_.TakeSheet(*sheet) ? *sheet : QByteArray("");
    }

private:
    // Nor a null picture: the image handler would then load it by its name.
    // The size a picture declares is weighed before a pixel is decoded.
    QImage Picture(const QString& file)
    {
        QImage image;
        if (std::optional<QByteArray> bytes = ReadPlainFile(file, budget_.PictureBytesLeft())) {
            QBuffer buffer(&*bytes);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer);
            if (budget_.TakePicture(bytes->size(), reader.size())) image = reader.read();
        }
        if (image.isNull()) {
            image = QImage(1, 1, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
        }
        return image;
    }

    THelpPageBudget budget_;
};

// Why a file of the manual was not shown.
enum class TNotShown { Missing, NoOpener, NoProgram, NoMethod, Failed };

// xdg-open's own codes: 2 the file is missing, 3 it found no program to
// run (outside a named desktop after trying every browser it knows), any
// other a program that failed or a call it refused.
TNotShown NotShownBy(const TOpenerExit& exit)
{
    return exit.Status == 2 ? TNotShown::Missing : exit.Status == 3 ? TNotShown::NoMethod : TNotShown::Failed;
}

// What the user reads of one file: the text before and after its name.
std::pair<QString, QString> Reason(TNotShown why, bool manual)
{
    const QString program =
        manual ? QStringLiteral(" (a CHM viewer such as xchm or kchmviewer)") : QStringLiteral(" (a web browser)");
    switch (why) {
    case TNotShown::Missing: return {{}, QStringLiteral(" is missing")};
    case TNotShown::NoOpener: return {QStringLiteral("this computer has no xdg-open (package xdg-utils) to open "), {}};
    case TNotShown::NoProgram: return {QStringLiteral("no program is set to show "), program};
    case TNotShown::NoMethod: return {QStringLiteral("xdg-open found no program to show "), program};
    case TNotShown::Failed: break;
    }
    return {QStringLiteral("xdg-open could not open "), {}};
}

std::string NotOpenedText(const QString& manual, TNotShown ofManual, const QString& contents, TNotShown ofContents)
{
    const auto [manualBefore, manualAfter] = Reason(ofManual, true);
    const auto [contentsBefore, contentsAfter] = Reason(ofContents, false);
    QString text;
    if (ofManual == TNotShown::Missing && ofContents == TNotShown::Missing)
        text = manual + QStringLiteral(" and ") + contents + QStringLiteral(" are missing");
    else if (manualBefore == contentsBefore && manualAfter == contentsAfter)
        text = manualBefore + manual + QStringLiteral(" or ") + contents + manualAfter;
    else
        text =
            manualBefore + manual + manualAfter + QStringLiteral(", and ") + contentsBefore + contents + contentsAfter;
    return (QStringLiteral("The manual could not be opened: ") + text + QLatin1Char('.')).toStdString();
}

// The contents page, once the manual was not shown: the browser is the
// last resort, so whatever keeps it from showing the page is told.
void OpenContents(const QString& manual, TNotShown ofManual, const TDesktopOpener& desktop, QObject& context,
                  const std::function<void(const std::string&)>& failed)
{
    const QString contents = HelpFolder(QFileInfo(manual).path().toStdString()) + HelpContentsFileName;
    const auto tell = [=](TNotShown ofContents) { failed(NotOpenedText(manual, ofManual, contents, ofContents)); };
    if (!QFileInfo(contents).isFile()) return tell(TNotShown::Missing);
    if (!desktop.HasOpener()) return tell(TNotShown::NoOpener);
    desktop.Start(contents, context, [tell](const TOpenerExit& exit) {
        if (!OpenerShowed(exit)) tell(NotShownBy(exit));
    });
}

} // namespace

QString HelpFolder(const std::string& programFolder) { return FolderPath(programFolder) + QStringLiteral("Help/"); }

QString HelpTopicPath(const std::string& programFolder, const QString& topic)
{
    const QString name = topic.isEmpty() ? DefaultHelpTopic : topic;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QStringLiteral("..")))
        return {};
    return HelpFolder(programFolder) + name + QStringLiteral(".html");
}

// A manual without a program set for it is not handed over: xdg-open would
// give it to the web browser instead.
void OpenManual(const QString& manual, const TDesktopOpener& desktop, QObject& context,
                std::function<void(const std::string& text)> failed)
{
    if (!QFileInfo(manual).isFile()) return OpenContents(manual, TNotShown::Missing, desktop, context, failed);
    if (!desktop.HasOpener()) return OpenContents(manual, TNotShown::NoOpener, desktop, context, failed);
    if (!desktop.HasHandler(manual)) return OpenContents(manual, TNotShown::NoProgram, desktop, context, failed);
    desktop.Start(manual, context, [=, &context](const TOpenerExit& exit) {
        if (!OpenerShowed(exit)) OpenContents(manual, NotShownBy(exit), desktop, context, failed);
    });
}

TFHlpWnd::TFHlpWnd(std::string programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      programFolder_(std::move(programFolder)), viewer_(new THelpViewer(this)),
      lblBack_(new TLinkLabel(QStringLiteral("<< Back"), this)),
      lblNext_(new TLinkLabel(QStringLiteral("Next >>"), this)),
      label2_(new TLinkLabel(QStringLiteral("More Help"), this)), label1_(new TLinkLabel(QStringLiteral("Close"), this))
{
    setWindowTitle(QStringLiteral("Help"));
    // A 1-pixel black frame around the 523 x 295 client area.
    setFixedSize(ViewerWidth + 2, ViewerHeight + StripHeight + 2);
    QPalette cream = palette();
    cream.setColor(QPalette::Window, Cream);
    cream.setColor(QPalette::Base, Cream);
    setPalette(cream);

    viewer_->setFixedSize(ViewerWidth, ViewerHeight);
    viewer_->setFrameShape(QFrame::NoFrame);
    viewer_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewer_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewer_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    viewer_->setOpenLinks(false);
    viewer_->document()->setDefaultFont(
        FontOf({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")},
               QFont::Serif));
    viewer_->document()->setDefaultStyleSheet(
        QStringLiteral("pre, code, tt { font-family: 'Courier New', 'Liberation Mono', 'DejaVu Sans Mono', monospace; }"));
    connect(viewer_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { LinkClicked(url); });

    auto* strip = new QHBoxLayout;
    strip->setContentsMargins(4, 0, 4, 0);
    strip->setSpacing(0);
    strip->addWidget(lblBack_);
    strip->addWidget(Separator(this));
    strip->addWidget(lblNext_);
    strip->addStretch(1);
    strip->addWidget(label2_);
    strip->addWidget(Separator(this));
    strip->addWidget(label1_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(viewer_);
    auto* stripWidget = new QWidget(this);
    stripWidget->setFixedHeight(StripHeight);
    stripWidget->setLayout(strip);
    layout->addWidget(stripWidget);

    lblBack_->OnClick = [this] { GoBack(); };
    lblNext_->OnClick = [this] { GoNext(); };
    label2_->OnClick = [this] { MoreHelp(); };
    label1_->OnClick = [this] { close(); };
    HistoryChange();
}

TFHlpWnd::~TFHlpWnd() = default;

void TFHlpWnd::ShowHelp(const QString& topic)
{
    const QString file = HelpTopicPath(programFolder_, topic);
    if (IsPageFile(file))
        Navigate(file);
    else
        Display({});
    // A borderless window cannot be moved by the user: the first showing
    // puts it in the middle of the main window (or of the screen).
    if (!placed_) {
        CentreOnOwner(*this, parentWidget() ? parentWidget()->window() : nullptr);
        placed_ = true;
    }
    show();
    raise();
}

void TFHlpWnd::Navigate(const QString& file)
{
    // One spelling per page, however it was reached.
    const QString page = QFileInfo(file).canonicalFilePath();
    history_.Add(page);
    Display(page);
    HistoryChange();
}

void TFHlpWnd::Display(const QString& file)
{
    if (IsPageFile(file)) {
        shownFile_ = file;
        viewer_->setSource(QUrl::fromLocalFile(file));
    } else {
        shownFile_.clear();
        viewer_->setHtml(NoHelpHtml);
    }
}

void TFHlpWnd::HistoryChange()
{
    lblBack_->setEnabled(history_.CanGoBack());
    lblNext_->setEnabled(history_.CanGoForward());
}

void TFHlpWnd::GoBack()
{
    if (history_.Back()) Display(history_.Current());
    HistoryChange();
}

void TFHlpWnd::GoNext()
{
    if (history_.Forward()) Display(history_.Current());
    HistoryChange();
}

void TFHlpWnd::MoreHelp()
{
    if (OnMoreHelp)
        OnMoreHelp();
    else
        OpenManual(FolderPath(programFolder_) + ManualFileName, TDesktopOpener::System(), *this,
                   [](const std::string&) {});
}

// Links between help pages stay in the window and its history; anchors
// within a page scroll; anything else goes to the desktop.
void TFHlpWnd::LinkClicked(const QUrl& url)
{
    GuardedHandler("Help window", [&] {
        if (url.isRelative() && url.path().isEmpty() && url.hasFragment()) {
            viewer_->scrollToAnchor(url.fragment());
            return;
        }
        const QUrl target = viewer_->source().resolved(url);
        if (target.isLocalFile()) {
            const QString file = QFileInfo(target.toLocalFile()).canonicalFilePath();
            const QString folder = QFileInfo(HelpFolder(programFolder_)).canonicalFilePath();
            if (!file.isEmpty() && !folder.isEmpty() && file.startsWith(folder + QLatin1Char('/')) &&
                file.endsWith(QStringLiteral(".html"))) {
                Navigate(file);
                if (target.hasFragment()) viewer_->scrollToAnchor(target.fragment());
                return;
            }
        }
        QDesktopServices::openUrl(target);
    });
}

void TFHlpWnd::setVisible(bool visible)
{
    if (stepAside_.AllowVisible(visible)) QWidget::setVisible(visible);
}

bool TFHlpWnd::event(QEvent* event)
{
    stepAside_.WindowEvent(*event);
    return QWidget::event(event);
}

void TFHlpWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Cream);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

#include "moc_HelpWindow.cpp"
