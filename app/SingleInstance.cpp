#include "app/SingleInstance.h"

#include "gfx/Stream.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

enum class TLockState {
    Held,
    Busy,
    // Something that is not this program's own plain file has the name.
    InTheWay,
    // No file there and none can be made, or one this start may not open.
    Unavailable
};

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

bool NamesSomethingElse(const std::string& name)
{
    struct stat info {};
    return ::lstat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

// Opens the lock file `name`, making it when `create` is set and its folder
// can be written; another user's file is opened only to read. -1 when it
// cannot, with `inTheWay` set when the name is something else. Nothing but
// a plain file is opened: a FIFO would keep the start waiting for ever
// (hence the look before the open, and O_NONBLOCK against a name swapped in
// between), a device might act on the open, and a symbolic link leads
// wherever someone else chose.
int OpenLockName(const std::string& name, bool create, bool& writable, bool& inTheWay)
{
    constexpr int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    writable = false;
    inTheWay = NamesSomethingElse(name);
    if (inTheWay) return -1;
    int fd = create ? ::open(name.c_str(), O_RDWR | O_CREAT | flags, 0644) : -1;
    writable = fd >= 0;
    if (fd < 0) fd = ::open(name.c_str(), O_RDONLY | flags);
    if (fd < 0) {
        inTheWay = NamesSomethingElse(name);
        return -1;
    }
    if (!IsPlainFile(fd)) {
        inTheWay = true;
        CloseFd(fd);
        return -1;
    }
    // The lock file is read and written as any plain file from here on.
    EndNonBlocking(fd);
    return fd;
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

// Locks the file `name` (see OpenLockName). A lock held by another program
// is seen through any plain file, a hard link included, so that a name made
// to look foreign cannot hide a running copy; nothing is ever written through
// a name that someone else planted.
TLock LockFile(const std::string& name, bool create)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        TLock lock;
        bool inTheWay = false;
        lock.Fd = OpenLockName(name, create, lock.Writable, inTheWay);
        if (lock.Fd < 0) return {inTheWay ? TLockState::InTheWay : TLockState::Unavailable};
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
                return {TLockState::InTheWay};
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
    bool writable = false, inTheWay = false;
    int fd = OpenLockName(lockFile, false, writable, inTheWay);
    if (fd < 0) return {};
    char text[4096];
    const ssize_t size = ::pread(fd, text, sizeof text, 0);
    CloseFd(fd);
    const QByteArray contents(text, static_cast<qsizetype>(std::max<ssize_t>(size, 0)));
    const qsizetype end = contents.indexOf('\n');
    if (end < 0) return {};
    return QString::fromUtf8(contents.left(end));
}

bool CallForward(const QString& serverName)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(2000)) return false;
    socket.write("activate\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
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

// Of two starts on one folder that can both lock it, at most one runs,
// however their steps interleave and whatever becomes of the lock files'
// names meanwhile. Where one of them cannot lock the folder (it may not read
// it, as with mode 0711, or the file system has no such locks), the lock
// files alone keep the two apart, and only while their names are left alone:
// such a start runs beside a copy whose lock file was removed.
//
// A start first locks the folder itself, through a descriptor of it that no
// name inside it can take away, and keeps that lock for its run. Of two
// starts that can lock the folder, the first to try gets it; the other finds
// it held and gives way, unless the first has let go of it already. The
// first lets go only when it gives way itself or is refused, and it gives way
// only to a lock file held by a copy without the folder's lock: not the
// second start, which holds a lock file only while it holds the folder's
// lock and lets go of the file first. So exactly one of them runs where none
// is refused, and a start with no other copy about always runs.
//
// The lock files keep apart what the folder's lock cannot: starts that could
// not open or lock the folder (no read access, a file system without such
// locks) and copies that hold only a lock file. Each start takes its own lock
// file - the folder's, or tmp/'s where the folder's name cannot be used -
// keeps it, and only then looks at the other place's lock, giving way when
// that one is held. Two starts whose own locks are in the same place are kept
// apart by that lock itself. With their own locks in the two places, were
// both to run, each would have found the other's lock free after taking its
// own; but whichever looked second did so while the other already held its
// lock, and holds it still as it runs, so it would have found it held. A
// start that gives way lets go of its locks at once; where one of two starts
// lacks the folder's lock, both may give way at the same moment, each then
// handing over or saying the program runs.
bool TSingleInstance::Acquire()
{
    while (Step()) {
    }
    return running_;
}

bool TSingleInstance::Step()
{
    const std::string inFolder = FolderLock();
    const std::string inTemp = TempLock();
    TLock lock;
    // Its own lock taken, a start looks at the other place's next.
    const auto hold = [this](const TLock& taken, const std::string& name) {
        if (taken.State == TLockState::Busy) return GiveWay(name);
        held_ = name;
        fd_ = taken.Fd;
        writable_ = taken.Writable;
        stage_ = TStage::Look;
        return true;
    };
    switch (stage_) {
    case TStage::Claim:
        stage_ = TStage::Folder;
        // Read access is all it needs. Where the folder cannot be opened or
        // locked, the lock files alone decide.
        folderFd_ = OpenProgramFolder();
        if (folderFd_ < 0 || ::flock(folderFd_, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno == EWOULDBLOCK) return GiveWay({});
        CloseFd(folderFd_);
        return true;
    case TStage::Folder:
        lock = LockFile(inFolder, true);
        if (lock.State == TLockState::InTheWay || lock.State == TLockState::Unavailable) {
            folderInTheWay_ = lock.State == TLockState::InTheWay;
            stage_ = TStage::Temp;
            return true;
        }
        return hold(lock, inFolder);
    case TStage::Temp:
        // tmp/ is made as the temporary-file manager makes it (a start
        // without a copy running finds none: the last run removed it), again
        // when a copy that just ended removed it in between.
        for (int attempt = 0; attempt < 3 && lock.State == TLockState::Unavailable; ++attempt) {
            ::mkdir(TempFolder().c_str(), 0777);
            lock = LockFile(inTemp, true);
        }
        if (lock.State == TLockState::InTheWay) return Refuse(inTemp);
        if (lock.State == TLockState::Unavailable) {
            if (folderInTheWay_) return Refuse(inFolder);
            // Neither the folder nor tmp/ can be written: neither can this
            // program remove anything from tmp/.
            stage_ = TStage::Decided;
            Run();
            return false;
        }
        return hold(lock, inTemp);
    case TStage::Look: {
        stage_ = TStage::Decided;
        const std::string other = held_ == inFolder ? inTemp : inFolder;
        if (HeldByAnother(other)) return GiveWay(other);
        Run();
        return false;
    }
    case TStage::Decided: break;
    }
    return false;
}

// `busy` is the lock file held by the running copy; empty when the folder's
// own lock was, which names no file.
bool TSingleInstance::GiveWay(const std::string& busy)
{
    Release();
    busy_ = busy;
    stage_ = TStage::Decided;
    return false;
}

bool TSingleInstance::Refuse(const std::string& inTheWay)
{
    Release();
    inTheWay_ = inTheWay;
    stage_ = TStage::Decided;
    return false;
}

void TSingleInstance::Run()
{
    running_ = true;
    Listen();
}

int TSingleInstance::OpenProgramFolder() const
{
    return ::open(programFolder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

std::string TSingleInstance::TempFolder() const { return programFolder_ + "tmp/"; }

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
    if (fd_ >= 0) {
        // Removed while still locked: a start waiting on this file finds its
        // name gone and makes a new one.
        bool foreign = false;
        if (StillNamed(fd_, held_, foreign)) ::unlink(held_.c_str());
        // A run leaves no tmp/ behind: the temporary-file manager, gone
        // before, could not remove it while it held the lock. A start that
        // gave way leaves it to the copy that runs, and a linked tmp/ is the
        // user's.
        struct stat info {};
        const std::string temp = TempFolder();
        if (running_ && held_.rfind(temp, 0) == 0 && ::lstat(temp.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            ::rmdir(temp.c_str());
        CloseFd(fd_);
        held_.clear();
    }
    // Last, so that no start takes the folder while its lock file is about.
    CloseFd(folderFd_);
}

bool TSingleInstance::AskFirstToComeForward()
{
    // A start that gave way to the folder's own lock does not know which lock
    // file the running copy holds. Between taking its locks and listening,
    // the running copy has not yet written its socket's name; where its lock
    // file's name was taken from it, the name this start works out is the one
    // it listens on when both use one runtime folder.
    const std::vector<std::string> lockFiles =
        busy_.empty() ? std::vector<std::string>{FolderLock(), TempLock()} : std::vector<std::string>{busy_};
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        bool written = false;
        for (const std::string& lockFile : lockFiles) {
            const QString name = ServerNameIn(lockFile);
            written = written || !name.isEmpty();
            if (!name.isEmpty() && CallForward(name)) return true;
        }
        if (CallForward(serverName_)) return true;
        if (written || waited.elapsed() > 1000) return false;
        QThread::msleep(50);
    }
}

TStartDecision ClaimProgramFolder(TSingleInstance& instance, IDialogs& dialogs)
{
    if (instance.Acquire()) return TStartDecision::Run;
    if (!instance.InTheWay().empty()) {
        dialogs.ShowMessage("Ocrastell Pro",
                            "Ocrastell Pro cannot start: \"" + instance.InTheWay() + "\" is in the way of its lock file.",
                            TMessageKind::Error);
        return TStartDecision::Refused;
    }
    if (instance.AskFirstToComeForward()) return TStartDecision::HandedOver;
    std::string folder = instance.ProgramFolder();
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    dialogs.ShowMessage("Ocrastell Pro", "Ocrastell Pro is already running from the folder \"" + folder + "\".",
                        TMessageKind::Information);
    return TStartDecision::Refused;
}
