#include "app/dialogs/HelpWindow.h"

#include "app/dialogs/GuardedHandler.h"
#include "app/dialogs/LinkLabel.h"
#include "app/dialogs/ScreenCentre.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMimeDatabase>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
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

} // namespace

QString HelpFolder(const std::string& programFolder) { return FolderPath(programFolder) + QStringLiteral("Help/"); }

QString HelpTopicPath(const std::string& programFolder, const QString& topic)
{
    const QString name = topic.isEmpty() ? DefaultHelpTopic : topic;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QStringLiteral("..")))
        return {};
    return HelpFolder(programFolder) + name + QStringLiteral(".html");
}

TDesktopOpener TDesktopOpener::System()
{
    return {[](const QUrl& url) { return QDesktopServices::openUrl(url); },
            [](const QString& file) {
                // Without the desktop's query tool there is no telling: try.
                const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
                if (tool.isEmpty()) return true;
                QProcess query;
                query.start(tool, {QStringLiteral("query"), QStringLiteral("default"),
                                   QMimeDatabase().mimeTypeForFile(file).name()});
                if (!query.waitForFinished(3000)) {
                    query.kill();
                    return true;
                }
                return !query.readAllStandardOutput().trimmed().isEmpty();
            },
            // What Qt hands files to outside a desktop's own session.
            [] { return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty(); }};
}

bool OpenManual(const std::string& programFolder, const TDesktopOpener& desktop)
{
    const QString manual = FolderPath(programFolder) + ManualFileName;
    if (QFileInfo(manual).isFile() && desktop.HasHandler(manual) && desktop.Open(QUrl::fromLocalFile(manual)))
        return true;
    const QString contents = HelpFolder(programFolder) + HelpContentsFileName;
    return QFileInfo(contents).isFile() && desktop.Open(QUrl::fromLocalFile(contents));
}

// Blames only what this computer can be seen to lack: without xdg-open no
// viewer or browser is reached, whether installed or not.
std::string ManualNotOpenedText(const std::string& programFolder, const TDesktopOpener& desktop)
{
    const QString manual = FolderPath(programFolder) + ManualFileName;
    const QString contents = HelpFolder(programFolder) + HelpContentsFileName;
    const bool hasManual = QFileInfo(manual).isFile(), hasContents = QFileInfo(contents).isFile();
    // `failure` names what keeps the files that are there from opening.
    const auto notOpened = [&](const QString& failure) {
        if (!hasContents) return failure + manual + QStringLiteral(", and ") + contents + QStringLiteral(" is missing");
        if (!hasManual) return manual + QStringLiteral(" is missing, and ") + failure + contents;
        return failure + manual + QStringLiteral(" or ") + contents;
    };
    QString why;
    if (!hasManual && !hasContents) {
        why = manual + QStringLiteral(" is missing");
    } else if (!desktop.HasOpener()) {
        why = notOpened(QStringLiteral("this computer has no xdg-open (package xdg-utils) to open "));
    } else if (!hasManual) {
        why = manual + QStringLiteral(" is missing, and this computer has no web browser to show ") + contents;
    } else if (desktop.HasHandler(manual)) {
        why = notOpened(QStringLiteral("xdg-open could not open "));
    } else {
        why = QStringLiteral("this computer has no program to show %1 (a CHM viewer such as xchm or kchmviewer)")
                  .arg(manual) +
              (hasContents ? QStringLiteral(" nor a web browser for its help pages")
                           : QStringLiteral(", and ") + contents + QStringLiteral(" is missing"));
    }
    return (QStringLiteral("The manual could not be opened: ") + why + QLatin1Char('.')).toStdString();
}

TFHlpWnd::TFHlpWnd(std::string programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      programFolder_(std::move(programFolder)), viewer_(new QTextBrowser(this)),
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
        OpenManual(programFolder_);
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
