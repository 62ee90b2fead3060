#include "app/dialogs/HelpWindow.h"

#include "app/dialogs/GuardedHandler.h"
#include "app/dialogs/LinkLabel.h"
#include "app/dialogs/ScreenCentre.h"
#include "gfx/Stream.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QMimeDatabase>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <exception>
#include <optional>

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

// The bytes of a plain file, through the one open that never waits: a FIFO,
// a folder or a device gives nothing, as does a file that cannot be read.
std::optional<QByteArray> ReadPlainFile(const QString& file)
{
    try {
        TFileStream stream(QFile::encodeName(file).toStdString(), TFileStream::Mode::OpenRead);
        QByteArray bytes(static_cast<qsizetype>(stream.Size()), Qt::Uninitialized);
        stream.ReadBuffer(bytes.data(), bytes.size());
        return bytes;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The page view. Qt's own loaders open files by name and wait for a FIFO's
// writer for good, so every file a page is made of comes through here.
class THelpViewer : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override
    {
        const QUrl url = name.isRelative() ? source().resolved(name) : name;
        const std::optional<QByteArray> bytes = url.isLocalFile() ? ReadPlainFile(url.toLocalFile()) : std::nullopt;
        // Never a null answer: the document would open the file itself. Nor
        // a null picture: the image handler would then load it by its name.
        if (type == QTextDocument::ImageResource) {
            QImage image;
            if (bytes) image.loadFromData(*bytes);
            if (image.isNull()) {
                image = QImage(1, 1, QImage::Format_ARGB32);
                image.fill(Qt::transparent);
            }
            return image;
        }
        if (type == QTextDocument::HtmlResource && !bytes) return NoHelpHtml;
        return bytes.value_or(QByteArray(""));
    }
};

// The desktop's type of a file, by its name alone: the file is not read.
QString MimeTypeOf(const QString& file)
{
    return QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension).name();
}

// The program a desktop file runs, as xdg-open takes it: the first word of
// the Exec= line of its [Desktop Entry] group (quotes around it dropped).
QString DesktopFileProgram(const QByteArray& desktopFile)
{
    bool inEntry = false;
    for (const QByteArray& raw : desktopFile.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inEntry || equals < 0 || line.left(equals).trimmed() != QStringLiteral("Exec")) continue;
        const QString value = line.mid(equals + 1).trimmed();
        if (value.startsWith(QLatin1Char('"'))) return value.mid(1).section(QLatin1Char('"'), 0, 0);
        return value.section(QLatin1Char(' '), 0, 0).section(QLatin1Char('\t'), 0, 0);
    }
    return {};
}

// Whether a desktop file of this id under an applications/ folder runs,
// looked for where xdg-open looks: as named, as vendor/name for
// vendor-name, then in the subfolders, each copy found until one runs.
bool DesktopFileRuns(const QString& folder, const QString& id)
{
    QStringList names{id};
    if (id.contains(QLatin1Char('-'))) names << QString(id).replace(id.indexOf(QLatin1Char('-')), 1, QLatin1Char('/'));
    for (const QString& name : names) {
        const std::optional<QByteArray> entry = ReadPlainFile(folder + QLatin1Char('/') + name);
        const QString program = entry ? DesktopFileProgram(*entry) : QString();
        if (!program.isEmpty() && !QStandardPaths::findExecutable(program).isEmpty()) return true;
    }
    const QDir dir(folder);
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name))
        if (DesktopFileRuns(dir.filePath(sub), id)) return true;
    return false;
}

// Whether the desktop's default program for a file's type is there to run.
bool HandlerRuns(const QString& file)
{
    // Without the desktop's query tool there is no telling: try.
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty()) return true;
    QProcess query;
    query.start(tool, {QStringLiteral("query"), QStringLiteral("default"), MimeTypeOf(file)});
    if (!query.waitForFinished(3000)) {
        query.kill();
        return true;
    }
    // Several ids can come back; xdg-open goes by the first.
    const QString id = QString::fromUtf8(query.readAllStandardOutput())
                           .section(QRegularExpression(QStringLiteral("[\\s;]+")), 0, 0, QString::SectionSkipEmpty);
    if (id.isEmpty()) return false;
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        if (DesktopFileRuns(folder, id)) return true;
    return false;
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

TDesktopOpener TDesktopOpener::System()
{
    return {[](const QUrl& url) { return QDesktopServices::openUrl(url); }, HandlerRuns,
            // What Qt hands files to outside a desktop's own session.
            [] { return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty(); }};
}

bool OpenManual(const std::string& programFolder, const TDesktopOpener& desktop)
{
    for (const QString& file :
         {FolderPath(programFolder) + ManualFileName, HelpFolder(programFolder) + HelpContentsFileName})
        if (QFileInfo(file).isFile() && desktop.HasHandler(file) && desktop.Open(QUrl::fromLocalFile(file)))
            return true;
    return false;
}

// Blames only what this computer can be seen to lack: without xdg-open no
// viewer or browser is reached, whether installed or not.
std::string ManualNotOpenedText(const std::string& programFolder, const TDesktopOpener& desktop)
{
    const QString manual = FolderPath(programFolder) + ManualFileName;
    const QString contents = HelpFolder(programFolder) + HelpContentsFileName;
    const bool opener = desktop.HasOpener();
    enum class TWhy { Missing, NoProgram, NotOpened };
    const auto why = [&](const QString& file) {
        if (!QFileInfo(file).isFile()) return TWhy::Missing;
        return opener && !desktop.HasHandler(file) ? TWhy::NoProgram : TWhy::NotOpened;
    };
    const TWhy ofManual = why(manual), ofContents = why(contents);
    const QString failed = opener ? QStringLiteral("xdg-open could not open ")
                                  : QStringLiteral("this computer has no xdg-open (package xdg-utils) to open ");
    const QString noViewer =
        QStringLiteral("this computer has no program to show %1 (a CHM viewer such as xchm or kchmviewer)").arg(manual);
    QString text;
    if (ofManual == TWhy::Missing && ofContents == TWhy::Missing) {
        text = manual + QStringLiteral(" is missing");
    } else if (ofManual == TWhy::NoProgram && ofContents == TWhy::NoProgram) {
        text = noViewer + QStringLiteral(" nor a web browser for its help pages");
    } else if (ofManual == TWhy::NotOpened && ofContents == TWhy::NotOpened) {
        text = failed + manual + QStringLiteral(" or ") + contents;
    } else {
        const QString manualWhy = ofManual == TWhy::Missing     ? manual + QStringLiteral(" is missing")
                                  : ofManual == TWhy::NoProgram ? noViewer
                                                                : failed + manual;
        const QString contentsWhy = ofContents == TWhy::Missing ? contents + QStringLiteral(" is missing")
                                    : ofContents == TWhy::NoProgram
                                        ? QStringLiteral("this computer has no web browser to show ") + contents
                                        : failed + contents;
        text = manualWhy + QStringLiteral(", and ") + contentsWhy;
    }
    return (QStringLiteral("The manual could not be opened: ") + text + QLatin1Char('.')).toStdString();
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
