// The help window: topic to page, the "no help" page, the history with its
// Back / Next links and its cap, links between pages.
#include "app/dialogs/HelpHistory.h"
#include "app/dialogs/HelpWindow.h"
#include "app/dialogs/LinkLabel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

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

// "More Help" without the help command: the compiled manual when the
// desktop has a program for it, else the pages' contents page.
TEST(HelpWindow, MoreHelpOpensTheManualOrElseTheContentsPage)
{
    THelpFolder folder({"index"});
    const QString manual = QFileInfo(QString::fromStdString(folder.Folder()) + ManualFileName).absoluteFilePath();
    const QString contents = folder.Page("index");
    QStringList opened;
    bool hasHandler = true;
    const TDesktopOpener desktop{[&](const QUrl& url) {
                                     opened << QFileInfo(url.toLocalFile()).canonicalFilePath();
                                     return true;
                                 },
                                 [&](const QString&) { return hasHandler; }};
    // No manual yet: the contents page.
    EXPECT_TRUE(OpenManual(folder.Folder(), desktop));
    {
        QFile file(manual);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("ITSF");
    }
    EXPECT_TRUE(OpenManual(folder.Folder(), desktop));
    hasHandler = false;
    EXPECT_TRUE(OpenManual(folder.Folder(), desktop));
    EXPECT_EQ(opened, (QStringList{contents, QFileInfo(manual).canonicalFilePath(), contents}));
    // Neither a manual nor pages: nothing is opened.
    opened.clear();
    EXPECT_FALSE(OpenManual("/nonexistent/folder/", desktop));
    EXPECT_TRUE(opened.isEmpty());
}

// The desktop as the program finds it on the PATH: xdg-open opens files;
// xdg-mime tells whether a program is set for the manual's type, and where
// it is missing there is no telling, so the manual is tried.
TEST(DesktopOpener, FindsTheOpenerAndAsksForAHandlerOfCompiledHelp)
{
    QTemporaryDir bin;
    const QString log = bin.path() + QStringLiteral("/asked");
    const auto tool = [&](const QString& name, const QString& body) {
        QFile file(bin.path() + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(("#!/bin/sh\n" + body + "\n").toUtf8());
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    };
    struct TRestorePath {
        QByteArray Path = qgetenv("PATH");
        ~TRestorePath() { qputenv("PATH", Path); }
    } restorePath;
    qputenv("PATH", bin.path().toLocal8Bit());
    const TDesktopOpener desktop = TDesktopOpener::System();
    const QString manual = QStringLiteral("/opt/ocra/") + ManualFileName;
    struct Case {
        const char* what;
        QString opener, query;   // the tools' scripts; empty: no such tool
        bool hasOpener, hasHandler;
    };
    for (const Case& c : {
             Case{"no xdg-utils", {}, {}, false, true},
             Case{"xdg-utils without a CHM viewer", QStringLiteral("exit 0"),
                  QStringLiteral("echo \"$*\" > '%1'").arg(log), true, false},
             Case{"xdg-utils and a CHM viewer", QStringLiteral("exit 0"),
                  QStringLiteral("echo \"$*\" > '%1'; echo xchm.desktop").arg(log), true, true},
         }) {
        SCOPED_TRACE(c.what);
        for (const QString& name : {QStringLiteral("xdg-open"), QStringLiteral("xdg-mime"), log})
            QFile::remove(name.startsWith(QLatin1Char('/')) ? name : bin.path() + QLatin1Char('/') + name);
        if (!c.opener.isEmpty()) tool(QStringLiteral("xdg-open"), c.opener);
        if (!c.query.isEmpty()) tool(QStringLiteral("xdg-mime"), c.query);
        EXPECT_EQ(desktop.HasOpener(), c.hasOpener);
        EXPECT_EQ(desktop.HasHandler(manual), c.hasHandler);
        if (!c.query.isEmpty()) {
            QFile asked(log);
            ASSERT_TRUE(asked.open(QIODevice::ReadOnly));
            EXPECT_EQ(asked.readAll().trimmed(), QByteArray("query default application/vnd.ms-htmlhelp"));
        }
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
