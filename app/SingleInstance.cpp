#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class TLockState { Held, Busy, Unavailable };

struct TLock {
    TLockState State = TLockState::Unavailable;
    int Fd = -1;
    bool Writable = false;
};

void CloseFd(int& fd)
{
    if (fd >= 0) ::close(fd);
    fd = -1;
}

bool IsPlainFile(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// Whether `name` still names the file open on `fd`, and only that name does.
bool StillNamed(int fd, const std::string& name, bool& foreign)
{
    struct stat held {}, named {};
    if (::fstat(fd, &held) != 0 || ::lstat(name.c_str(), &named) != 0) return false;
    if (held.st_dev != named.st_dev || held.st_ino != named.st_ino) return false;
    // A file with other names is not one this program made.
    foreign = held.st_nlink != 1;
    return true;
}

// Locks the file `name`, making it when `create` is set and its folder can be
// written; another user's file is locked through a descriptor that only reads.
// Symbolic links and anything but a plain file are left alone, so that
// nothing is ever written through a name that someone else planted.
TLock LockFile(const std::string& name, bool create)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        TLock lock;
        if (create) {
            lock.Fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
            lock.Writable = lock.Fd >= 0;
        }
        if (lock.Fd < 0) lock.Fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (lock.Fd < 0 || !IsPlainFile(lock.Fd)) {
            CloseFd(lock.Fd);
            return {};
        }
        if (::flock(lock.Fd, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK;
            CloseFd(lock.Fd);
            return {busy ? TLockState::Busy : TLockState::Unavailable};
        }
        // The copy that held the lock before may have removed the file as it
        // ended: a lock on a name that is gone claims nothing, so try again.
        bool foreign = false;
        if (StillNamed(lock.Fd, name, foreign)) {
            if (foreign) {
                CloseFd(lock.Fd);
                return {};
            }
            // Later starts of other users must be able to see the lock.
            if (lock.Writable) ::fchmod(lock.Fd, 0644);
            lock.State = TLockState::Held;
            return lock;
        }
        CloseFd(lock.Fd);
    }
    return {};
}

// Whether a running program holds the lock on `name`; makes nothing.
bool HeldByAnother(const std::string& name)
{
    TLock probe = LockFile(name, false);
    CloseFd(probe.Fd);
    return probe.State == TLockState::Busy;
}

// The server name a lock file gives, once its holder has written it whole.
QString ServerNameIn(const std::string& lockFile)
{
    QFile file(QString::fromStdString(lockFile));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray line = file.readLine(4096);
    if (!line.endsWith('\n')) return {};
    return QString::fromUtf8(line.chopped(1));
}

} // namespace

TSingleInstance::TSingleInstance(std::string programFolder, const QString& runtimeFolder)
    : programFolder_(std::move(programFolder))
{
    if (!programFolder_.empty() && programFolder_.back() != '/') programFolder_ += '/';
    const QByteArray folderKey =
        QCryptographicHash::hash(QByteArray::fromStdString(programFolder_), QCryptographicHash::Sha1).toHex().left(16);
    const QString runtime = runtimeFolder.isEmpty() ? QDir::tempPath() : runtimeFolder;
    serverName_ = runtime + "/ocrastell-" + QString::number(::getuid()) + "-" + folderKey + ".socket";
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (OnActivate) OnActivate();
        }
    });
}

TSingleInstance::~TSingleInstance()
{
    server_.close();
    Release();
}

bool TSingleInstance::Acquire()
{
    const std::string inFolder = programFolder_ + InstanceLockName;
    const std::string inTemp = programFolder_ + "tmp/" + InstanceLockName;
    TLock lock = LockFile(inFolder, true);
    if (lock.State == TLockState::Unavailable) {
        lock = LockFile(inTemp, true);
        if (lock.State == TLockState::Busy) busy_ = inTemp;
        if (lock.State == TLockState::Held) held_ = inTemp;
    } else if (lock.State == TLockState::Busy) {
        busy_ = inFolder;
    } else {
        held_ = inFolder;
    }
    fd_ = lock.Fd;
    writable_ = lock.Writable;
    // A copy that could not write the folder holds its lock in tmp/. Taking
    // the folder's lock first and looking at tmp/ after, against that copy
    // taking tmp/'s and looking at the folder's, lets at most one of two
    // such starts run.
    if (held_ == inFolder && HeldByAnother(inTemp)) {
        Release();
        busy_ = inTemp;
    }
    if (!busy_.empty()) return false;
    Listen();
    return true;
}

void TSingleInstance::Listen()
{
    // A socket of this name is one left by a program that ended without
    // closing it: the folder is this program's now.
    QLocalServer::removeServer(serverName_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(serverName_) || fd_ < 0 || !writable_) return;
    // Unwritten, later starts try the name they work out themselves.
    const QByteArray line = server_.fullServerName().toUtf8() + '\n';
    if (::ftruncate(fd_, 0) != 0) return;
    [[maybe_unused]] const ssize_t written = ::pwrite(fd_, line.constData(), static_cast<size_t>(line.size()), 0);
}

void TSingleInstance::Release()
{
    if (fd_ < 0) return;
    // Removed while still locked: a start waiting on this file finds its name
    // gone and makes a new one.
    ::unlink(held_.c_str());
    CloseFd(fd_);
    held_.clear();
}

QString TSingleInstance::RunningServerName() const
{
    // Between taking its lock and listening, the running program has not yet
    // written its socket's name.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const QString name = ServerNameIn(busy_);
        if (!name.isEmpty()) return name;
        if (waited.elapsed() > 1000) return serverName_;
        QThread::msleep(50);
    }
}

bool TSingleInstance::AskFirstToComeForward()
{
    QLocalSocket socket;
    socket.connectToServer(RunningServerName());
    if (!socket.waitForConnected(2000)) return false;
    socket.write("activate\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

TStartDecision ClaimProgramFolder(TSingleInstance& instance, IDialogs& dialogs)
{
    if (instance.Acquire()) return TStartDecision::Run;
    if (instance.AskFirstToComeForward()) return TStartDecision::HandedOver;
    std::string folder = instance.ProgramFolder();
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    dialogs.ShowMessage("Ocrastell Pro", "Ocrastell Pro is already running from the folder \"" + folder + "\".",
                        TMessageKind::Information);
    return TStartDecision::Refused;
}
