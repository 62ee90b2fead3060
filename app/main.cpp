// The program's entry: one running program per user and program folder,
// then the windows and the command module in their fixed order, the idle
// work, the message loop, and a shutdown that frees the document while its
// views still exist.
#include "app/GlobalConfig.h"
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
#include "app/ui/QtUi.h"
#include "app/windows/MainWindow.h"
#include "engine/Dialogs.h"
#include "engine/PersistentObjectManager.h"
#include "engine/Progress.h"
#include "gfx/Errors.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>

#include <cstring>
#include <functional>
#include <memory>
#include <unistd.h>

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

// At most one running program per user and program folder: a second one
// would clean the first one's tmp/ (its swapped undo steps) at start. The
// second start asks the first to come forward and ends.
class TSingleInstance : public QObject {
public:
    explicit TSingleInstance(const QString& programFolder)
    {
        const QByteArray folderKey =
            QCryptographicHash::hash(programFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
        QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (runtime.isEmpty()) runtime = QDir::tempPath();
        const QString base = runtime + "/ocrastell-" + QString::number(getuid()) + "-" + folderKey;
        lock_ = std::make_unique<QLockFile>(base + ".lock");
        lock_->setStaleLockTime(0); // stale only when its process is gone
        serverName_ = base + ".socket";
    }

    // True for the first running program. A lock that cannot be taken for
    // another reason than a running program does not keep the program from
    // starting.
    bool Acquire()
    {
        if (!lock_->tryLock(0) && lock_->error() == QLockFile::LockFailedError) return false;
        QLocalServer::removeServer(serverName_);
        server_.setSocketOptions(QLocalServer::UserAccessOption);
        server_.listen(serverName_);
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                if (OnActivate) OnActivate();
            }
        });
        return true;
    }

    void AskFirstToComeForward()
    {
        QLocalSocket socket;
        socket.connectToServer(serverName_);
        if (!socket.waitForConnected(2000)) return;
        socket.write("activate\n");
        socket.waitForBytesWritten(1000);
        socket.disconnectFromServer();
    }

    std::function<void()> OnActivate;

private:
    std::unique_ptr<QLockFile> lock_;
    QString serverName_;
    QLocalServer server_;
};

// Linux desktops run the program on X11 (XWayland on a Wayland desktop)
// unless the user chose a platform: the floating panels place themselves at
// the pointer, which a Wayland client may not do. A desktop without any X
// server still starts, on Wayland.
void UseXcbUnlessChosen(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strncmp(argv[i], "-platform=", 10) == 0) return;
    qputenv("QT_QPA_PLATFORM", "xcb;wayland");
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

void WarnAboutTheScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    for (const std::string& warning :
         SystemRequirementWarnings(screen->size().width(), screen->size().height(), screen->depth()))
        QMessageBox::warning(nullptr, "Ocrastell Pro", QString::fromStdString(warning));
}

int Run(TApplication& app)
{
    const QString programFolder = QCoreApplication::applicationDirPath() + "/";
    TSingleInstance instance(programFolder);
    if (!instance.Acquire()) {
        instance.AskFirstToComeForward();
        return 0;
    }

    TdmGlobalConfig globalConfig;
    TQtBusyCursor busyCursor;
    SetBusyCursor(&busyCursor);
    WarnAboutTheScreen();
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
    SetDialogs(nullptr);
    domain.SetUi(nullptr);
    SetBusyCursor(nullptr);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    UseXcbUnlessChosen(argc, argv);
    TApplication app(argc, argv);
    QApplication::setApplicationName("Ocrastell Pro");
    try {
        return Run(app);
    } catch (const SilentAbort&) {
        return 1;
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, "Ocrastell Pro", QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
