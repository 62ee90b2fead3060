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

// The waiting process: it outlives the program when the viewer does, so it
// keeps no descriptor of the program's (its lock among them) but the pipe
// it reports on. Only calls that are safe after a fork: the program has
// threads.
[[noreturn]] void WaitForOpener(int report, char* const* argv, int maxFd)
{
    constexpr int Report = 3;
    if (report != Report) ::dup2(report, Report);
    if (::close_range(Report + 1, ~0U, 0) != 0)
        for (int fd = Report + 1; fd < maxFd; ++fd) ::close(fd);
    // The opener starts with the signals as a new program has them; the
    // program's own child handler is no business of this process.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(SIGCHLD, &standard, nullptr);
    ::sigaction(SIGPIPE, &standard, nullptr);
    const pid_t opener = ::fork();
    if (opener == 0) {
        ::close(Report);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execv(argv[0], argv);
        ::_exit(127);
    }
    // The program may have quit: its end of the pipe is then gone.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, nullptr);
    int status = -1;
    while (opener > 0 && ::waitpid(opener, &status, 0) < 0 && errno == EINTR) {
    }
    [[maybe_unused]] const ssize_t told = ::write(Report, &status, sizeof status);
    ::_exit(0);
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
        int status = -1;
        ssize_t got;
        do got = ::read(fd_, &status, sizeof status);
        while (got < 0 && errno == EINTR);
        const bool exited = got == sizeof status && WIFEXITED(status);
        const TOpenerExit exit{exited ? WEXITSTATUS(status) : -1, std::chrono::milliseconds(clock_.elapsed())};
        const std::function<void(TOpenerExit)> ended = std::move(ended_);
        deleteLater();
        ended(exit);
    }

    int fd_;
    QSocketNotifier notifier_;
    QElapsedTimer clock_;
    std::function<void(TOpenerExit)> ended_;
};

// Starts the opener in a grandchild of a child that ends at once: the
// program reaps that child at once and the grandchild, an orphan, is reaped
// by the system, so no process is left defunct and none is killed when the
// program quits. The grandchild runs the opener, waits for it and sends its
// status through a pipe.
void StartOpener(const QString& opener, const QString& file, QObject& context, std::function<void(TOpenerExit)> ended)
{
    QByteArray program = QFile::encodeName(opener), argument = QFile::encodeName(file);
    char* argv[] = {program.data(), argument.data(), nullptr};
    const int maxFd = static_cast<int>(::sysconf(_SC_OPEN_MAX));
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) return ended({-1, {}});
    const pid_t child = ::fork();
    if (child == 0) {
        if (::fork() == 0) WaitForOpener(pipe[1], argv, maxFd);
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
