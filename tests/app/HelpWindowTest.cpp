// The help window: topic to page, the "no help" page, the history with its
// Back / Next links and its cap, links between pages.
#include "app/dialogs/HelpHistory.h"
#include "app/dialogs/HelpPageBudget.h"
#include "app/dialogs/HelpWindow.h"
#include "app/dialogs/LinkLabel.h"
#include "tests/common/FifoWatch.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <atomic>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>

#include <unistd.h>

namespace {

// A program folder with a Help folder holding a page for each given topic.
class THelpFolder {
public:
    explicit THelpFolder(const QStringList& topics)
    {
        QDir(dir_.path()).mkdir(QStringLiteral("Help"));
        for (const QString& topic : topics)
            Write(topic, QStringLiteral("<html><body><h1>Page %1</h1><p><a href=\"other.html\">other</a></p>"
                                        "</body></html>")
                             .arg(topic));
    }
    void Write(const QString& topic, const QString& html)
    {
        QFile file(dir_.path() + QStringLiteral("/Help/") + topic + QStringLiteral(".html"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(html.toUtf8());
    }
    std::string Folder() const { return dir_.path().toStdString() + "/"; }
    QString Page(const QString& topic) const
    {
        return QFileInfo(dir_.path() + QStringLiteral("/Help/") + topic + QStringLiteral(".html")).canonicalFilePath();
    }

private:
    QTemporaryDir dir_;
};

QString ShownText(const TFHlpWnd& window) { return window.HTMLViewer1().toPlainText(); }

void Click(QWidget& label) { QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(3, 3)); }

// FifoWatch for a step that must run on this thread (a widget's): after a
// long minute, the waits on the FIFOs are ended until the step is done.
bool WaitedForAFifo(const std::vector<std::string>& fifos, const std::function<void()>& step)
{
    std::promise<void> done;
    std::atomic<bool> waited = false;
    std::thread watch([&, ended = done.get_future()] {
        for (auto wait = std::chrono::milliseconds(60000); ended.wait_for(wait) == std::future_status::timeout;
             wait = std::chrono::milliseconds(100)) {
            waited = true;
            for (const std::string& f : fifos)
                for (int fd : {::open(f.c_str(), O_RDONLY | O_NONBLOCK), ::open(f.c_str(), O_WRONLY | O_NONBLOCK)})
                    if (fd >= 0) ::close(fd);
        }
    });
    step();
    done.set_value();
    watch.join();
    return waited;
}

} // namespace

TEST(HelpTopicPath, NamesThePageOfTheTopicInTheHelpFolder)
{
    EXPECT_EQ(HelpTopicPath("/opt/ocra/", QStringLiteral("img")), QStringLiteral("/opt/ocra/Help/img.html"));
    EXPECT_EQ(HelpTopicPath("/opt/ocra", QStringLiteral("colors")), QStringLiteral("/opt/ocra/Help/colors.html"));
    // Controls without a keyword get the default topic.
    EXPECT_EQ(HelpTopicPath("/opt/ocra/", QString()), QStringLiteral("/opt/ocra/Help/tools.html"));
    // Nothing outside the help folder can be named.
    for (const char* topic : {"../secret", "sub/page", "..", "a..b", "x\\y", "/etc/passwd"})
        EXPECT_TRUE(HelpTopicPath("/opt/ocra/", QString::fromLatin1(topic)).isEmpty()) << topic;
}

TEST(HelpHistory, BackAndNextFollowTheIndex)
{
    THelpHistory h;
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
    h.Add(QStringLiteral("a"));
    EXPECT_FALSE(h.CanGoBack());
    h.Add(QStringLiteral("b"));
    EXPECT_TRUE(h.CanGoBack());
    EXPECT_FALSE(h.CanGoForward());
    h.Add(QStringLiteral("b")); // the page on show again: no new entry
    EXPECT_EQ(h.Count(), 2);
    ASSERT_TRUE(h.Back());
    EXPECT_EQ(h.Current(), "a");
    EXPECT_FALSE(h.CanGoBack());
    EXPECT_TRUE(h.CanGoForward());
    EXPECT_FALSE(h.Back());
    // A new page after going back drops the page ahead.
    h.Add(QStringLiteral("c"));
    EXPECT_EQ(h.Pages(), (QStringList{"c", "a"}));
    EXPECT_EQ(h.Index(), 0);
    EXPECT_FALSE(h.Forward());
}

TEST(HelpHistory, KeepsTheNewestHundredPages)
{
    THelpHistory h;
    for (int i = 0; i < 150; ++i) h.Add(QString::number(i));
    EXPECT_EQ(h.Count(), 100);
    EXPECT_EQ(h.Pages().first(), "149");
    EXPECT_EQ(h.Pages().last(), "50");
    int backs = 0;
    while (h.Back()) ++backs;
    EXPECT_EQ(backs, 99);
    EXPECT_EQ(h.Current(), "50");
}

TEST(HelpWindow, ShowsTheTopicsPageModeless)
{
    THelpFolder folder({"img", "tools"});
    TFHlpWnd window(folder.Folder());
    window.ShowHelp(QStringLiteral("img"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.ShownFile(), folder.Page("img"));
    EXPECT_TRUE(ShownText(window).contains("Page img"));
    window.ShowHelp(QString());
    EXPECT_TRUE(ShownText(window).contains("Page tools"));
    EXPECT_EQ(window.size(), QSize(525, 297));
    EXPECT_EQ(window.HTMLViewer1().size(), QSize(523, 277));
}

TEST(HelpWindow, MissingPagesShowTheNoHelpPage)
{
    THelpFolder folder({"img"});
    // A program folder without a help folder, a topic without a page, and
    // topics that would leave the help folder.
    TFHlpWnd bare("/nonexistent/folder/");
    bare.ShowHelp(QStringLiteral("img"));
    EXPECT_EQ(ShownText(bare).trimmed(), "Sorry there is not help available");
    EXPECT_TRUE(bare.History().Pages().isEmpty());

    folder.Write(QStringLiteral("../outside"), QStringLiteral("<p>outside</p>"));
    TFHlpWnd window(folder.Folder());
    for (const char* topic : {"size", "../outside", "../Help/img"}) {
        window.ShowHelp(QString::fromLatin1(topic));
        EXPECT_EQ(ShownText(window).trimmed(), "Sorry there is not help available") << topic;
        EXPECT_TRUE(window.ShownFile().isEmpty()) << topic;
    }
    EXPECT_EQ(window.History().Count(), 0);
}

// A page and all it names are read from plain files only, without waiting:
// a FIFO would otherwise hold the whole program in its open for good. Nor
// is a page, its sheets and its pictures read past one budget a page (a
// huge sheet crashed Qt's style parser, a long page held the window for
// minutes). What cannot be read is left out and the page shows without it.
TEST(HelpWindow, ShowsAPageWithoutWhatIsNoPlainFile)
{
    THelpFolder folder({});
    const QString help = QString::fromStdString(folder.Folder()) + QStringLiteral("Help/");
    const auto put = [&](const char* name, const QByteArray& bytes) {
        QFile file(help + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) << name;
    };
    const char* sheets[] = {"help", "big", "imports", "fill", "late"};
    const char* pictures[] = {"pic", "dir", "abs", "plain", "over", "mono", "wide", "late"};
    QByteArray page = "<html><head>";
    for (const char* name : sheets) page += QByteArray("<link rel=stylesheet type=text/css href=") + name + ".css>";
    page += "</head><body background=back.png><h1>Page img</h1>";
    for (const char* name : pictures)
        page += QByteArray("<img src=") + (name == pictures[2] ? help.toUtf8() : "") + name + ".png>";
    put("img.html", page + "</body></html>");
    ASSERT_TRUE(QImage(3, 2, QImage::Format_RGB32).save(help + QStringLiteral("plain.png")));
    ASSERT_TRUE(QDir(help).mkdir(QStringLiteral("dir.png")));
    // Pictures of 2048 x 2048 (in a small file), of 1024 x 1000 and of 200 x
    // 200: after the second is shown the page has less than 100 KB left.
    for (const auto& [name, size] : {std::pair{"mono", 2048}, {"wide", 1000}, {"late", 200}}) {
        QImage picture(size == 1000 ? 1024 : size, size, size == 2048 ? QImage::Format_Mono : QImage::Format_RGB32);
        picture.fill(0);
        ASSERT_TRUE(picture.save(help + QLatin1String(name) + QStringLiteral(".png")));
    }
    put("imports.css", "@import url(imported.css);");
    put("fill.css", QByteArray(MaxHelpSheetBytes - 26, ' '));
    put("late.css", "h1 { color: #ff0000 }");
    // Sparse, so that they take no disk: a sheet and one another imports,
    // and a picture, above any bound.
    for (const auto& [name, size] : {std::pair{"big.css", int64_t{2} << 30},
                                     {"imported.css", int64_t{2} << 30},
                                     {"over.png", MaxHelpPictureBytes + 1}}) {
        QFile::copy(help + QStringLiteral("plain.png"), help + QLatin1String(name));
        ASSERT_TRUE(QFile::resize(help + QLatin1String(name), size)) << name;
    }
    // Pages no longer shown but the one at the bound: NULs, text past the
    // bound, a nesting, tables or cells too many for their cost, a style
    // rule naming a sibling, a number Qt's table layout runs away with.
    const std::vector<std::pair<const char*, QByteArray>> pages = {
        {"nul", QByteArray("<h1>Page nul</h1>\0", 18)},
        {"edge", QByteArray("<h1>Page edge</h1>").leftJustified(MaxHelpPageBytes)},
        {"over", QByteArray("<h1>Page over</h1>").leftJustified(MaxHelpPageBytes + 1)},
        {"deep", QByteArray("<b>").repeated(200)},
        {"tables", QByteArray("<table><tr><td>").repeated(MaxHelpTableNesting + 1)},
        {"cells", "<table><tr><td colspan=" + QByteArray::number(MaxHelpTableCells) + "><td>"},
        {"sibling", "<style>h1 ~ p { color: red }</style><h1>Page sibling</h1>"},
        {"number", "<table cellpadding=1e6><tr><td>Page number"}};
    for (const auto& [topic, text] : pages) put((QByteArray(topic) + ".html").constData(), text);
    std::vector<std::string> fifos;
    for (const char* name : {"help.css", "back.png", "pic.png", "abs.png"}) {
        fifos.push_back((help + QLatin1String(name)).toStdString());
        MakeFifo(fifos.back());
    }
    EXPECT_FALSE(WaitedForAFifo(fifos, [&] {
        TFHlpWnd window(folder.Folder());
        window.ShowHelp(QStringLiteral("img"));
        window.HTMLViewer1().grab();
        EXPECT_TRUE(ShownText(window).contains(QStringLiteral("Page img")));
        EXPECT_FALSE(window.HTMLViewer1().toHtml().contains(QStringLiteral("#ff0000"))) << "the sheet past the bound";
        for (const auto& [name, size] :
             {std::pair{"plain.png", QSize(3, 2)}, {"over.png", QSize(1, 1)}, {"mono.png", QSize(1, 1)},
              {"wide.png", QSize(1024, 1000)}, {"late.png", QSize(1, 1)}}) {
            const QVariant picture =
                window.HTMLViewer1().document()->resource(QTextDocument::ImageResource, QUrl(name));
            EXPECT_EQ(qvariant_cast<QImage>(picture).size(), size) << name;
        }
        for (const auto& [topic, text] : pages) {
            window.ShowHelp(QLatin1String(topic));
            EXPECT_EQ(ShownText(window).trimmed() == "Sorry there is not help available", topic != std::string("edge"))
                << topic;
        }
    })) << "waited for a writer of a FIFO";
}

TEST(HelpWindow, BackAndNextLinksWalkTheHistory)
{
    THelpFolder folder({"img", "menu", "size"});
    TFHlpWnd window(folder.Folder());
    window.ShowHelp(QStringLiteral("img"));
    EXPECT_FALSE(window.lblBack().isEnabled());
    EXPECT_FALSE(window.lblNext().isEnabled());
    window.ShowHelp(QStringLiteral("menu"));
    EXPECT_TRUE(window.lblBack().isEnabled());
    EXPECT_FALSE(window.lblNext().isEnabled());

    Click(window.lblBack());
    EXPECT_EQ(window.ShownFile(), folder.Page("img"));
    EXPECT_FALSE(window.lblBack().isEnabled());
    EXPECT_TRUE(window.lblNext().isEnabled());
    Click(window.lblBack()); // disabled: nothing happens
    EXPECT_EQ(window.ShownFile(), folder.Page("img"));

    Click(window.lblNext());
    EXPECT_EQ(window.ShownFile(), folder.Page("menu"));
    EXPECT_TRUE(window.lblBack().isEnabled());
    EXPECT_FALSE(window.lblNext().isEnabled());

    // Back twice from three pages leaves both links on at the middle one.
    window.ShowHelp(QStringLiteral("size"));
    Click(window.lblBack());
    EXPECT_EQ(window.ShownFile(), folder.Page("menu"));
    EXPECT_TRUE(window.lblBack().isEnabled());
    EXPECT_TRUE(window.lblNext().isEnabled());
}

TEST(HelpWindow, LinksBetweenPagesEnterTheHistory)
{
    THelpFolder folder({"img", "other"});
    TFHlpWnd window(folder.Folder());
    window.ShowHelp(QStringLiteral("img"));
    emit window.HTMLViewer1().anchorClicked(QUrl(QStringLiteral("other.html")));
    EXPECT_EQ(window.ShownFile(), folder.Page("other"));
    EXPECT_EQ(window.History().Count(), 2);
    EXPECT_TRUE(window.lblBack().isEnabled());
}

TEST(HelpWindow, CloseHidesAndMoreHelpRunsTheHelpCommand)
{
    THelpFolder folder({"img"});
    TFHlpWnd window(folder.Folder());
    int helpRuns = 0;
    window.OnMoreHelp = [&] { ++helpRuns; };
    window.ShowHelp(QStringLiteral("img"));
    Click(window.lblMoreHelp());
    EXPECT_EQ(helpRuns, 1);
    Click(window.lblClose());
    EXPECT_FALSE(window.isVisible());
    // The history survives the closing.
    window.ShowHelp(QStringLiteral("img"));
    EXPECT_EQ(window.History().Count(), 1);
}

// "More Help": the manual where a program is set for it and xdg-open shows
// it, else the contents page; where neither shows, what each lacks. A
// failure after the viewer ran a while is the viewer's own: it was shown.
TEST(HelpWindow, MoreHelpShowsTheManualOrTheContentsPageOrSaysWhatIsMissing)
{
    using namespace std::chrono_literals;
    THelpFolder folder({});
    const QString manual = QString::fromStdString(folder.Folder()) + ManualFileName;
    const QString contents = QString::fromStdString(folder.Folder()) + QStringLiteral("Help/") + HelpContentsFileName;
    const QStringList both{ManualFileName, HelpContentsFileName};
    const QString lost = QStringLiteral("The manual could not be opened: ");
    const QString noBrowser = "xdg-open found no program to show " + contents + " (a web browser).";
    struct Case {
        bool manual, contents, opener, handler;
        TOpenerExit ofManual, ofContents; // how xdg-open ends on each
        QStringList tried;                // what is handed to it
        QString text;                     // what the user is told; empty: nothing
    };
    for (const Case& c : {
             Case{true, true, true, true, {0, 1ms}, {}, {ManualFileName}, {}},
             Case{true, true, true, false, {}, {0, 1ms}, {HelpContentsFileName}, {}},
             Case{true, true, true, true, {4, 1ms}, {0, 1ms}, both, {}},
             Case{true, true, true, true, {4, 60s}, {}, {ManualFileName}, {}},
             Case{false, true, true, true, {}, {3, ViewerShownAfter}, {HelpContentsFileName}, {}},
             Case{true, true, true, true, {4, 1ms}, {3, 1ms}, both,
                  lost + "xdg-open could not open " + manual + ", and " + noBrowser},
             Case{true, true, true, false, {}, {3, 1ms}, {HelpContentsFileName},
                  lost + "no program is set to show " + manual + " (a CHM viewer such as xchm or kchmviewer), and " +
                      noBrowser},
             Case{true, true, true, true, {-1, 1ms}, {1, 1ms}, both,
                  lost + "xdg-open could not open " + manual + " or " + contents + "."},
             Case{true, false, true, true, {2, 1ms}, {}, {ManualFileName},
                  lost + manual + " and " + contents + " are missing."},
             Case{false, true, true, true, {}, {-1, 1ms}, {HelpContentsFileName},
                  lost + manual + " is missing, and xdg-open could not open " + contents + "."},
             Case{true, true, false, true, {}, {}, {},
                  lost + "this computer has no xdg-open (package xdg-utils) to open " + manual + " or " + contents +
                      "."},
         }) {
        SCOPED_TRACE(c.text.isEmpty() ? c.tried.join(' ').toStdString() : c.text.toStdString());
        for (const auto& [there, file] : {std::pair{c.manual, manual}, std::pair{c.contents, contents}}) {
            QFile handle(file);
            ASSERT_TRUE(there ? handle.open(QIODevice::WriteOnly) : !handle.exists() || handle.remove());
        }
        QStringList tried;
        const TDesktopOpener desktop{[&] { return c.opener; }, [&](const QString&) { return c.handler; },
                                     [&](const QString& file, QObject&, const std::function<void(TOpenerExit)>& ended) {
                                         tried << QFileInfo(file).fileName();
                                         ended(file == manual ? c.ofManual : c.ofContents);
                                     }};
        QObject context;
        QString told;
        OpenManual(manual, desktop, context, [&](const std::string& text) { told = QString::fromStdString(text); });
        EXPECT_EQ(tried, c.tried);
        EXPECT_EQ(told.toStdString(), c.text.toStdString());
    }
}

// Whether a program is set for the manual, as xdg-open would find one: the
// desktop file xdg-mime names, in a linked subfolder too, or a mailcap entry
// that run-mailcap would use. Without xdg-mime there is no telling.
TEST(DesktopOpener, AProgramIsSetWhereXdgOpenWouldFindOne)
{
    QTemporaryDir bin;
    const auto write = [&](const QString& name, const QByteArray& text) {
        QFile file(bin.filePath(name));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly));
        file.write(text);
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    };
    const QByteArray path = qgetenv("PATH"), home = qgetenv("XDG_DATA_HOME"), caps = qgetenv("MAILCAPS");
    const auto restore = qScopeGuard([&] {
        for (const auto& [name, value] : {std::pair{"PATH", path}, {"XDG_DATA_HOME", home}, {"MAILCAPS", caps}})
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
    });
    qputenv("PATH", bin.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", bin.filePath("data").toLocal8Bit());
    struct Case {
        const char* what;
        const char *xdgMime, *desktopFile, *mailcap; // null: none
        bool runMailcap, set;
        int64_t size = 0;  // the mailcap file grown to this: a hole after the entry
        bool late = false; // MAILCAPS lists it after as many files as are read
    };
    for (const Case& c : {
             Case{"no xdg-mime", nullptr, nullptr, nullptr, false, true},
             Case{"nothing set", "", nullptr, nullptr, true, false},
             Case{"a desktop file", "ocra-chm.desktop", "data/applications/ocra/chm.desktop", nullptr, false, true},
             Case{"a desktop file in a linked folder", "ocra-chm.desktop", "real/ocra-chm.desktop", nullptr, false,
                  true},
             Case{"a desktop file that is not there", "ocra-chm.desktop", "data/applications/o.desktop", nullptr, false,
                  false},
             Case{"a mailcap entry", "", nullptr, "text/plain; less\nApplication/*; xchm '%s'\n", true, true},
             Case{"a mailcap entry without run-mailcap", "", nullptr, "application/vnd.ms-htmlhelp; xchm %s\n", false,
                  false},
             Case{"a mailcap entry without a command", "", nullptr, "application/vnd.ms-htmlhelp;\n", true, false},
             Case{"a mailcap file at the bound", "", nullptr, "application/*; xchm %s\n", true, true, MaxMailcapBytes},
             Case{"a mailcap file too large to read", "", nullptr, "application/*; xchm %s\n", true, false,
                  MaxMailcapBytes + 1},
             Case{"a mailcap file listed too late", "", nullptr, "application/*; xchm %s\n", true, false, 0, true},
         }) {
        SCOPED_TRACE(c.what);
        for (const char* name : {"data", "real", "xdg-mime", "run-mailcap", "mailcap"})
            QFile::remove(bin.filePath(name)) || QDir(bin.filePath(name)).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(bin.filePath("data/applications")));
        ASSERT_TRUE(QFile::link(bin.filePath("real"), bin.filePath("data/applications/linked")));
        if (c.xdgMime)
            write("xdg-mime",
                  QByteArray("#!/bin/sh\n[ \"$*\" = 'query default application/vnd.ms-htmlhelp' ] && echo ") +
                      c.xdgMime + "\n");
        if (c.desktopFile) write(QLatin1String(c.desktopFile), "[Desktop Entry]\n");
        if (c.runMailcap) write("run-mailcap", "");
        if (c.mailcap) write("mailcap", c.mailcap);
        ASSERT_TRUE(!c.size || QFile::resize(bin.filePath("mailcap"), c.size));
        const QString skipped = QStringLiteral("/nonexistent:").repeated(c.late ? MailcapFilesRead : 0);
        qputenv("MAILCAPS", (skipped + bin.filePath("mailcap")).toLocal8Bit());
        EXPECT_EQ(TDesktopOpener::System().HasHandler(QStringLiteral("/opt/ocra/") + ManualFileName), c.set);
    }
}

// What a hand-over leaves running (the waiting shell, xdg-open, the viewer)
// is a session of its own holding nothing of the program's: no copy of it,
// and no descriptor of the program's but 0-2 and, in the shell that leads
// the session, the report pipe (what the program opened since `before`).
namespace {
std::set<std::string> Descriptors(const std::string& pid)
{
    std::set<std::string> held;
    std::error_code error;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/" + pid + "/fd", error))
        if (std::stoi(fd.path().filename()) > 2) held.insert(std::filesystem::read_symlink(fd.path(), error));
    return held;
}

void ExpectApartFromTheProgram(const QString& viewer, const std::set<std::string>& before)
{
    const auto session = [](const QString& pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        const QByteArray text = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
        return text.mid(text.lastIndexOf(')') + 2).split(' ').value(3).toInt();
    };
    const int apart = session(viewer);
    EXPECT_NE(apart, ::getsid(0));
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    const std::set<std::string> ours = Descriptors("self");
    int members = 0;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid.toInt() <= 0 || session(pid) != apart) continue;
        ++members;
        EXPECT_NE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget(), program) << pid.toStdString();
        for (const std::string& what : Descriptors(pid.toStdString()))
            EXPECT_TRUE(!ours.contains(what) || (pid.toInt() == apart && !before.contains(what)))
                << pid.toStdString() << " holds " << what;
    }
    EXPECT_GE(members, 2);
}
} // namespace

// The real xdg-open outside a named desktop hands a page to the browser
// BROWSER names and reports how it ended, 3 when the browser fails. The
// program keeps no child, what runs for the viewer is apart from it, and
// a viewer still running when the program no longer listens goes on.
TEST(DesktopOpener, HandsTheFileToXdgOpenAndHearsHowItEnded)
{
    if (!TDesktopOpener::System().HasOpener()) GTEST_SKIP() << "no xdg-open";
    QTemporaryDir dir;
    const QString page = dir.filePath("index.html"), got = dir.filePath("got"), browser = dir.filePath("browser"),
                  viewer = dir.filePath("viewer"), stop = dir.filePath("stop");
    const auto touch = [](const QString& file) { QFile(file).open(QIODevice::WriteOnly); };
    std::vector<std::pair<const char*, QByteArray>> saved;
    for (const char* name : {"BROWSER", "DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
                             "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID", "MAILCAPS"}) {
        saved.emplace_back(name, qgetenv(name));
        qunsetenv(name);
    }
    const auto restore = qScopeGuard([&] {
        for (const auto& [name, value] : saved) value.isNull() ? qunsetenv(name) : qputenv(name, value);
    });
    qputenv("BROWSER", browser.toLocal8Bit());
    qputenv("MAILCAPS", dir.filePath("mailcap").toLocal8Bit()); // none: run-mailcap shows nothing
    ASSERT_TRUE(QFile(page).open(QIODevice::WriteOnly));
    // A descriptor the program's libraries may leave open across exec.
    const int planted = ::open(QFile::encodeName(page).constData(), O_RDONLY);
    const auto unplant = qScopeGuard([&] { ::close(planted); });
    for (const auto& [status, listening] : {std::pair{0, true}, {1, true}, {0, false}}) {
        for (const QString& file : {got, viewer, stop}) QFile::remove(file);
        QFile script(browser);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho $$ > %1.part && mv %1.part %1\n"
                                    "while [ ! -e %2 ]; do sleep 0.05; done\n"
                                    "echo \"$1\" > %3.part && mv %3.part %3\nexit %4\n")
                         .arg(viewer, stop, got)
                         .arg(status)
                         .toLocal8Bit());
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        std::optional<TOpenerExit> ended;
        {
            QObject context;
            const std::set<std::string> before = Descriptors("self");
            TDesktopOpener::System().Start(page, context, [&](const TOpenerExit& exit) { ended = exit; });
            QString children;
            for (const QString& task :
                 QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                QFile list(QStringLiteral("/proc/self/task/%1/children").arg(task));
                if (list.open(QIODevice::ReadOnly)) children += QString::fromLatin1(list.readAll()).trimmed();
            }
            EXPECT_EQ(children.toStdString(), "");
            ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(viewer).size() > 0; }, 60000));
            QFile pid(viewer);
            ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
            ExpectApartFromTheProgram(QString::fromLatin1(pid.readAll()).trimmed(), before);
            if (listening) {
                touch(stop);
                ASSERT_TRUE(QTest::qWaitFor([&] { return ended.has_value(); }, 60000));
            }
        }
        touch(stop);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(got).size() > 0; }, 60000));
        QFile record(got);
        ASSERT_TRUE(record.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromLocal8Bit(record.readAll()).trimmed(), page);
        if (listening)
            EXPECT_EQ(ended->Status, status == 0 ? 0 : 3);
        else
            EXPECT_FALSE(ended);
    }
}

// The pages the build puts beside the program (the test program lives one
// folder below it): one for every topic the main window asks for, and no
// link between them that leads nowhere.
TEST(HelpPages, EveryTopicHasAPageAndEveryLinkAPage)
{
    const QString programFolder = QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).absolutePath();
    if (!QFileInfo(programFolder + QStringLiteral("/Help")).isDir()) GTEST_SKIP() << "no Help folder beside the program";
    TFHlpWnd window(programFolder.toStdString() + "/");
    for (const char* topic : {"img", "general", "menu", "size", "pattern", "colors", "tools", ""}) {
        window.ShowHelp(QString::fromLatin1(topic));
        EXPECT_FALSE(window.ShownFile().isEmpty()) << topic;
        EXPECT_FALSE(window.HTMLViewer1().documentTitle().isEmpty()) << topic;
    }
    const QDir help(programFolder + QStringLiteral("/Help"));
    const QRegularExpression href(QStringLiteral("href=\"([^\"#:]+)"));
    for (const QString& name : help.entryList({QStringLiteral("*.html")})) {
        QFile page(help.filePath(name));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        for (auto it = href.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(QFileInfo(help.filePath(target)).isFile()) << name.toStdString() << " -> " << target.toStdString();
        }
    }
    EXPECT_TRUE(QFileInfo(help.filePath(HelpContentsFileName)).isFile());
}

// What the pages say the program does, as it does it: Save Project is
// greyed until a drawing has a project name, a project save merges the undo
// history, and the pattern editor's frames and buttons are where and what
// the editor shows.
TEST(HelpPages, SayWhatTheProgramDoes)
{
    const QDir help(QCoreApplication::applicationDirPath() + QStringLiteral("/../Help"));
    if (!help.exists()) GTEST_SKIP() << "no Help folder beside the program";
    struct Case { const char *page, *phrase; bool said; };
    for (const Case& c : {
             Case{"index.html", "the whole project with Save Project (Ctrl+D)", false},
             Case{"index.html", "the first time with File, Save Project As...", true},
             Case{"menu.html", "undo old steps", false},
             Case{"menu.html", "Saving a project merges the undo history into one step", true},
             Case{"pattern.html", "OK keeps the pattern", false},
             Case{"pattern.html", "by its picture at the top", false},
             Case{"pattern.html", "Accept keeps the pattern", true},
         }) {
        QFile page(help.filePath(QLatin1String(c.page)));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << c.page;
        const QString text =
            QString::fromUtf8(page.readAll()).remove(QRegularExpression(QStringLiteral("<[^>]*>"))).simplified();
        EXPECT_EQ(text.contains(QLatin1String(c.phrase)), c.said) << c.page << ": " << c.phrase;
    }
}

// The help window stays on top of every window, so a modal dialog opened
// while it shows (the about box, a file dialog) would lie under it, its
// buttons hidden and the help window's own links blocked by the dialog.
TEST(HelpWindow, StepsAsideWhileAModalDialogIsOpen)
{
    THelpFolder folder({QStringLiteral("img")});
    TFHlpWnd window(folder.Folder());
    window.ShowHelp(QStringLiteral("img"));
    ASSERT_TRUE(window.isVisible());

    QWidget owner;
    auto* dialog = new QDialog(&owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());

    dialog->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(ShownText(window).contains(QStringLiteral("Page img")));
}
