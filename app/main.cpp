// The program's entry: one running program per program folder, then the
// windows and the command module in their fixed order, the idle work, the
// message loop, and a shutdown that frees the document while its views still
// exist.
#include "app/DesktopSession.h"
#include "app/GlobalConfig.h"
#include "app/SingleInstance.h"
#include "app/dialogs/AboutBox.h"
#include "app/dialogs/ApplyAllDialog.h"
#include "app/dialogs/FullScreenPreview.h"
#include "app/dialogs/HelpWindow.h"
#include "app/dialogs/Navigator.h"
#include "app/dialogs/PatternEditor.h"
#include "app/dialogs/ImageSizeDialog.h"
#include "app/dialogs/ResampleDialog.h"
#include "app/dialogs/WaitWindow.h"
#include "app/domain/Domain.h"
#include "app/domain/SystemRequirements.h"
#include "app/ui/QtBusyCursor.h"
#include "app/ui/QtDialogs.h"
#include "app/ui/QtUi.h"
#include "app/windows/MainWindow.h"
#include "engine/Dialogs.h"
#include "engine/PersistentObjectManager.h"
#include "engine/Progress.h"
#include "gfx/Errors.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QScreen>
#include <QStandardPaths>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

// Whatever an event handler lets through ends here, dropped without a
// message: handlers that must tell the user have done so already.
class TApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            return false;
        }
    }
};

// Linux desktops run the program on X11 (XWayland on a Wayland desktop)
// unless the user chose a platform: the floating panels place themselves at
// the pointer, which a Wayland client may not do. A desktop without any X
// server still starts, on Wayland.
void UseXcbUnlessChosen(const TDisplayEnvironment& environment)
{
    if (!PlatformChosen(environment)) qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

// The idle work runs when the event loop is about to wait, never inside a
// pump and never while a long operation shows the progress window.
class TIdleHook {
public:
    TIdleHook(std::function<void()> work, std::function<bool()> allowed)
        : work_(std::move(work)), allowed_(std::move(allowed))
    {
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                         &context_, [this] { Run(); });
    }

private:
    void Run()
    {
        if (running_ || !allowed_()) return;
        running_ = true;
        try {
            work_();
        } catch (...) {
            // Idle work is best effort: a failure is retried at the next turn.
        }
        running_ = false;
    }

    std::function<void()> work_;
    std::function<bool()> allowed_;
    QObject context_;
    bool running_ = false;
};

// Start-up measurements end the program once its window has painted.
class TQuitAfterFirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

void WarnAboutTheScreen(IDialogs& dialogs)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    for (const std::string& warning :
         SystemRequirementWarnings(screen->size().width(), screen->size().height(), screen->depth()))
        dialogs.ShowMessage("Ocrastell Pro", warning, TMessageKind::Warning);
}

// `startupDialogs` are the registered boxes until the main window exists,
// and again once it is gone.
int Run(TApplication& app, IDialogs& startupDialogs)
{
    const QString programFolder = QCoreApplication::applicationDirPath() + "/";
    TSingleInstance instance(programFolder.toStdString(),
                             QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    switch (ClaimProgramFolder(instance, startupDialogs)) {
    case TStartDecision::Run: break;
    case TStartDecision::HandedOver: return 0;
    case TStartDecision::Refused: return 1;
    }

    TdmGlobalConfig globalConfig;
    TQtBusyCursor busyCursor;
    SetBusyCursor(&busyCursor);
    WarnAboutTheScreen(startupDialogs);
    TDomain domain(programFolder.toStdString());
    // The windows, in their designed order; the apply, resample and image-size
    // dialogs come with the Qt UI.
    // The main window opens a project given on the command line when it is
    // first shown.
    TFMain window(domain, app.arguments().mid(1));
    TFullScreenPreview preview(&window);
    TFWait wait(&window);
    SetProgress(&wait);
    TFNavigator navigator(&window);
    window.SetNavigator(&navigator);
    TQtUi ui(&window);
    domain.SetUi(&ui);
    SetDialogs(&ui);
    // Whatever ends the run, boxes shown after it do not use a gone window's.
    struct TRestoreDialogs {
        IDialogs& Startup;
        ~TRestoreDialogs() { SetDialogs(&Startup); }
    } restoreDialogs{startupDialogs};
    TFHlpWnd help(programFolder.toStdString(), &window);
    help.OnMoreHelp = [&domain] { domain.Execute(TCommandId::Help); };
    window.SetHelpWindow(&help);
    QImage splash;
    globalConfig.LoadSplash(splash);
    TFormAbout about(splash, &window);
    TFPatternEdit patternEdit(&domain.PatternManager(), &window);
    ui.OnShowAbout = [&about] { about.exec(); };
    ui.OnShowFullScreenPreview = [&preview](const TBitmap32& result) { preview.ShowPreview(result); };
    instance.OnActivate = [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    };
    TIdleHook idle([&window] { window.ApplicationEvents1Idle(); }, [&wait] { return wait.NestLevel() == 0; });

    TQuitAfterFirstPaint quitAfterPaint;
    if (qEnvironmentVariableIsSet("OCRASTELL_QUIT_AFTER_FIRST_PAINT")) window.installEventFilter(&quitAfterPaint);
    window.show();
    const int result = app.exec();

    // The document goes while its views exist; nothing calls back into a
    // window that is gone.
    domain.PatternManager().SetEditForm(nullptr);
    window.SetNavigator(nullptr);
    window.SetHelpWindow(nullptr);
    domain.SetViews(nullptr, nullptr);
    domain.SetMainWindow(nullptr);
    SetProgress(nullptr);
    domain.SetUi(nullptr);
    SetBusyCursor(nullptr);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    // Without a desktop Qt aborts with a text that blames the installation:
    // say what is missing instead, before anything is made in the program
    // folder. The probes' X connection lasts until Qt has its own.
    const TDisplayEnvironment environment = TDisplayEnvironment::Current(argc, argv);
    auto probes = std::make_unique<TSystemDisplayProbes>();
    if (!DesktopReachable(environment, probes->Probes())) {
        std::fprintf(stderr, "%s\n", NoDesktopSessionText);
        return 1;
    }
    UseXcbUnlessChosen(environment);
    TApplication app(argc, argv);
    probes.reset();
    QApplication::setApplicationName("Ocrastell Pro");
    // Boxes from the start: a program folder where tmp/ cannot be made is
    // told before any window exists.
    TQtDialogs startupDialogs;
    SetDialogs(&startupDialogs);
    int result = 1;
    try {
        result = Run(app, startupDialogs);
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        startupDialogs.ShowMessage("Ocrastell Pro", e.what(), TMessageKind::Error);
    }
    SetDialogs(nullptr);
    return result;
}
