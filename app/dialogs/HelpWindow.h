// TFHlpWnd: the small borderless help viewer that the "What is this?" mode
// opens with the help page of the clicked control's topic. Pages are HTML
// files in the program folder's Help folder, one per topic; the window keeps
// a history of the pages shown (Back / Next), opens the full manual ("More
// Help") and hides on "Close". It is modeless: the main window stays usable.
// Pages and all they name (style sheets, pictures) are read from plain files
// only, without waiting, and within one budget a page (HelpPageBudget.h):
// what cannot be read or is over the budget is left out of the page.
#pragma once

#include "app/DesktopOpener.h"
#include "app/dialogs/HelpHistory.h"
#include "app/dialogs/ModalStepAside.h"

#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <string>

class QTextBrowser;
class TLinkLabel;

// The page shown for a topic without a page of its own.
inline const QString NoHelpHtml = QStringLiteral("<H3>Sorry there is not help available</H3>");
// The topic of controls without a help keyword.
inline const QString DefaultHelpTopic = QStringLiteral("tools");
// The compiled manual, in the program folder.
inline const QString ManualFileName = QStringLiteral("OcraHelp.chm");
// The help pages' contents page, in the Help folder.
inline const QString HelpContentsFileName = QStringLiteral("index.html");

// The folder of the help pages, with a trailing "/".
QString HelpFolder(const std::string& programFolder);
// The file a topic's page would be: Help/<topic>.html, the default topic for
// an empty one. A topic that could name a file outside the help folder (a
// path separator or "..") names none: the result is empty.
QString HelpTopicPath(const std::string& programFolder, const QString& topic);
// Opens the compiled manual (the program folder's OcraHelp.chm) through
// xdg-open where a program looks set for it; where none is, or xdg-open
// fails it, the help pages' contents page beside it in their browser.
// Returns at once; when neither was shown, `failed` gets the text that says
// for each what is missing: the file, xdg-open, or a program to show it.
void OpenManual(const QString& manual, const TDesktopOpener& desktop, QObject& context,
                std::function<void(const std::string& text)> failed);

class TFHlpWnd : public QWidget {
    Q_OBJECT

public:
    explicit TFHlpWnd(std::string programFolder, QWidget* parent = nullptr);
    ~TFHlpWnd() override;

    // Loads the page of a topic (or the "no help" page) and shows the window.
    void ShowHelp(const QString& topic);

    // "More Help": runs the command module's help command. Unset, the window
    // opens the manual itself.
    std::function<void()> OnMoreHelp;

    const THelpHistory& History() const { return history_; }
    QTextBrowser& HTMLViewer1() const { return *viewer_; }
    TLinkLabel& lblBack() const { return *lblBack_; }
    TLinkLabel& lblNext() const { return *lblNext_; }
    TLinkLabel& lblMoreHelp() const { return *label2_; }
    TLinkLabel& lblClose() const { return *label1_; }
    // The file of the page on show; empty for the "no help" page.
    const QString& ShownFile() const { return shownFile_; }

    // Hidden while a modal dialog is open, back when it closes.
    void setVisible(bool visible) override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Shows a page file and records it in the history.
    void Navigate(const QString& file);
    // Shows a page file, or the "no help" page when it is missing.
    void Display(const QString& file);
    void HistoryChange();
    void GoBack();
    void GoNext();
    void MoreHelp();
    void LinkClicked(const QUrl& url);

    std::string programFolder_;
    THelpHistory history_;
    QString shownFile_;
    bool placed_ = false;
    QTextBrowser* viewer_;
    TLinkLabel* lblBack_;
    TLinkLabel* lblNext_;
    TLinkLabel* label2_;
    TLinkLabel* label1_;
    TModalStepAside stepAside_{*this};
};
