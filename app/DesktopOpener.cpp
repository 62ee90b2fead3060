#include "app/DesktopOpener.h"

#include "gfx/Stream.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <algorithm>
#include <exception>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The desktop's type of a file, by its name alone: the file is not read.
QString MimeTypeOf(const QString& file)
{
    return QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension).name();
}

// Whether xdg-open finds a desktop file of this id in an applications/
// folder: as named, as vendor/name for vendor-name, then in the subfolders,
// links followed (each folder once: a link may lead back up).
bool DesktopFileFound(const QString& folder, const QString& id, QSet<QString>& seen)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || seen.contains(canonical)) return false;
    seen.insert(canonical);
    QStringList names{id};
    if (const qsizetype dash = id.indexOf(QLatin1Char('-')); dash >= 0)
        names << QString(id).replace(dash, 1, QLatin1Char('/'));
    for (const QString& name : names) {
        const QFileInfo entry(canonical + QLatin1Char('/') + name);
        if (entry.isFile() && entry.isReadable()) return true;
    }
    const QDir dir(canonical);
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (DesktopFileFound(dir.filePath(sub), id, seen)) return true;
    return false;
}

// Whether run-mailcap, which xdg-open tries when no desktop file shows a
// file, has a command for the type in the mailcap files it reads.
bool MailcapViews(const QString& type)
{
    if (QStandardPaths::findExecutable(QStringLiteral("run-mailcap")).isEmpty()) return false;
    const QString listed = qEnvironmentVariable("MAILCAPS");
    const QStringList files =
        !listed.isEmpty()
            ? listed.split(QLatin1Char(':')).mid(0, MailcapFilesRead)
            : QStringList{QDir::homePath() + QStringLiteral("/.mailcap"), QStringLiteral("/etc/mailcap"),
                          QStringLiteral("/usr/share/etc/mailcap"), QStringLiteral("/usr/local/etc/mailcap")};
    const QString anyOfItsKind = type.section(QLatin1Char('/'), 0, 0) + QStringLiteral("/*");
    for (const QString& file : files) {
        const QByteArray mailcap = ReadPlainFile(file, MaxMailcapBytes).value_or(QByteArray());
        // Only a line's type and command count: a line of a million fields
        // is not split into a million pieces.
        for (qsizetype from = 0, end = 0; from < mailcap.size(); from = end + 1) {
            end = mailcap.indexOf('\n', from);
            if (end < 0) end = mailcap.size();
            const QByteArrayView line = QByteArrayView(mailcap).sliced(from, end - from);
            const qsizetype typeEnd = line.indexOf(';'), commandEnd = line.indexOf(';', typeEnd + 1);
            if (typeEnd < 0) continue;
            const QString entry = QString::fromUtf8(line.first(typeEnd)).trimmed().toLower();
            const QByteArrayView command = line.first(commandEnd < 0 ? line.size() : commandEnd).sliced(typeEnd + 1);
            if (!command.trimmed().isEmpty() && (entry == type || entry == anyOfItsKind)) return true;
        }
    }
    return false;
}

bool HandlerSet(const QString& file)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty()) return true;
    const QString type = MimeTypeOf(file);
    QProcess query;
    query.start(tool, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return true;
    }
    // Several ids can come back; xdg-open goes by the first.
    const QString id = QString::fromUtf8(query.readAllStandardOutput())
                           .section(QRegularExpression(QStringLiteral("[\\s;]+")), 0, 0, QString::SectionSkipEmpty);
    QSet<QString> seen;
    if (!id.isEmpty())
        for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
            if (DesktopFileFound(folder, id, seen)) return true;
    return MailcapViews(type);
}

// What waits for xdg-open is a small shell, not a copy of the program: a
// fork alone would keep the program's memory for as long as the viewer
// stays open. It runs xdg-open without the report pipe (fd 3), then writes
// its exit status there in decimal. The shell's status of a killed
// xdg-open is 128 + the signal.
constexpr char WaitingShell[] = "/bin/sh";
constexpr char WaitAndReport[] = "\"$0\" \"$1\" 3>&-; echo $? >&3";
constexpr int ReportFd = 3;

// The child that becomes the waiting shell: in a session of its own, so
// that the terminal's Ctrl+C for the program spares the viewer, and with no
// descriptor of the program's (its lock, its X connection) but the pipe it
// reports on. Only calls that are safe after a fork: the program has
// threads.
[[noreturn]] void ExecWaitingShell(int report, char* const* argv, int maxFd)
{
    ::setsid();
    if (report != ReportFd) ::dup2(report, ReportFd);
    else ::fcntl(ReportFd, F_SETFD, 0);
    if (::close_range(ReportFd + 1, ~0U, 0) != 0)
        for (int fd = ReportFd + 1; fd < maxFd; ++fd) ::close(fd);
    // The shell starts with the signals as a new program has them: an
    // ignored one would stay ignored through exec.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(SIGCHLD, &standard, nullptr);
    ::sigaction(SIGPIPE, &standard, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execv(argv[0], argv);
    ::_exit(127);
}

// xdg-open's status from the shell's report: nothing when the shell was
// killed, -1 for an xdg-open that was killed itself.
int ReportedStatus(const QByteArray& text)
{
    bool number = false;
    const int status = text.trimmed().toInt(&number);
    return number && status >= 0 && status < 128 ? status : -1;
}

// The program's end of one hand-over: it reads the status the waiting
// process sends, and goes with its context.
class TOpenerWait : public QObject {
public:
    TOpenerWait(int fd, QObject& context, std::function<void(TOpenerExit)> ended)
        : QObject(&context), fd_(fd), notifier_(fd, QSocketNotifier::Read), ended_(std::move(ended))
    {
        clock_.start();
        connect(&notifier_, &QSocketNotifier::activated, this, [this] { Ended(); });
    }
    ~TOpenerWait() override
    {
        notifier_.setEnabled(false);
        ::close(fd_);
    }

private:
    void Ended()
    {
        notifier_.setEnabled(false);
        char text[8] = {};
        ssize_t got;
        do got = ::read(fd_, text, sizeof text - 1);
        while (got < 0 && errno == EINTR);
        const TOpenerExit exit{ReportedStatus(QByteArray(text, std::max<ssize_t>(got, 0))),
                               std::chrono::milliseconds(clock_.elapsed())};
        const std::function<void(TOpenerExit)> ended = std::move(ended_);
        deleteLater();
        ended(exit);
    }

    int fd_;
    QSocketNotifier notifier_;
    QElapsedTimer clock_;
    std::function<void(TOpenerExit)> ended_;
};

// Starts the waiting shell in a grandchild of a child that ends at once:
// the program reaps that child at once and the shell, an orphan, is reaped
// by the system, so no process is left defunct and none is killed when the
// program quits.
void StartOpener(const QString& opener, const QString& file, QObject& context, std::function<void(TOpenerExit)> ended)
{
    QByteArray shell(WaitingShell), option("-c"), script(WaitAndReport);
    QByteArray program = QFile::encodeName(opener), argument = QFile::encodeName(file);
    char* argv[] = {shell.data(), option.data(), script.data(), program.data(), argument.data(), nullptr};
    const int maxFd = static_cast<int>(::sysconf(_SC_OPEN_MAX));
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return ended({-1, {}});
    const pid_t child = ::fork();
    if (child == 0) {
        if (::fork() == 0) ExecWaitingShell(pipe[1], argv, maxFd);
        ::_exit(0);
    }
    ::close(pipe[1]);
    if (child < 0) {
        ::close(pipe[0]);
        return ended({-1, {}});
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    new TOpenerWait(pipe[0], context, std::move(ended));
}

QString Opener() { return QStandardPaths::findExecutable(QStringLiteral("xdg-open")); }

} // namespace

std::optional<QByteArray> ReadPlainFile(const QString& file, int64_t maxBytes)
{
    try {
        TFileStream stream(QFile::encodeName(file).toStdString(), TFileStream::Mode::OpenRead);
        if (stream.Size() > maxBytes) return std::nullopt;
        QByteArray bytes(static_cast<qsizetype>(stream.Size()), Qt::Uninitialized);
        stream.ReadBuffer(bytes.data(), bytes.size());
        return bytes;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool OpenerShowed(const TOpenerExit& exit) { return exit.Status == 0 || exit.After >= ViewerShownAfter; }

TDesktopOpener TDesktopOpener::System()
{
    return {[] { return !Opener().isEmpty(); }, HandlerSet,
            [](const QString& file, QObject& context, std::function<void(TOpenerExit)> ended) {
                StartOpener(Opener(), file, context, std::move(ended));
            }};
}
