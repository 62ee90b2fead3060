// One running program per program folder, whoever starts it and from
// whichever session: a second copy would clean the first one's tmp/ (the
// stroke records of its undo steps) at start and remove it at exit. The claim
// is a lock on the program folder itself, which no name inside it can take
// away, and a lock on a file in the program folder, or in its tmp/ (made for
// it) when the folder's name cannot be used: the folder cannot be written,
// or something other than the program's own plain file has the name. Both
// are held through open descriptors so that they end with the process however
// the process ends. The running copy writes the name of its local socket into
// that file; a second start hands over through it where it can reach it.
#pragma once

#include "engine/Dialogs.h"

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <functional>
#include <string>

// The lock file's name, in the program folder or in its tmp/; the cleaning
// of tmp/ at start leaves it alone.
inline constexpr char InstanceLockName[] = "Ocrastell.lock";

class TSingleInstance : public QObject {
public:
    // `programFolder` ends with "/"; the socket is made in `runtimeFolder`
    // (the system's temporary folder when empty).
    TSingleInstance(std::string programFolder, const QString& runtimeFolder);
    // Gives the claim up and removes the lock file, and tmp/ when it held
    // the lock there and is empty now.
    ~TSingleInstance() override;
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // True when no other program runs from the folder; this one then holds
    // the folder and listens for later starts. Where no lock can be made at
    // all (neither the folder nor tmp/ can be written) the program starts:
    // it can remove nothing from tmp/ either. False too when a name it
    // cannot use keeps it from making its lock (InTheWay).
    bool Acquire();
    // Acquire's steps one at a time, each one lock taken or looked at, so
    // that tests can interleave two starts: true while steps remain. Acquire
    // takes the steps left.
    bool Step();
    // Asks the program that holds the folder to come forward; false when it
    // cannot be reached.
    bool AskFirstToComeForward();
    // The lock file held; empty when none.
    const std::string& LockFileName() const { return held_; }
    // The name that keeps this start from making its lock; empty when none.
    const std::string& InTheWay() const { return inTheWay_; }
    const std::string& ProgramFolder() const { return programFolder_; }

    // Another start asked this program to come forward.
    std::function<void()> OnActivate;

protected:
    // A descriptor of the program folder to lock, -1 where it cannot be
    // opened. Root opens any folder: tests play a start that cannot here.
    virtual int OpenProgramFolder() const;

private:
    enum class TStage { Claim, Folder, Temp, Look, Decided };

    bool GiveWay(const std::string& busy);
    bool Refuse(const std::string& inTheWay);
    void Run();
    std::string TempFolder() const;
    std::string FolderLock() const { return programFolder_ + InstanceLockName; }
    std::string TempLock() const { return TempFolder() + InstanceLockName; }
    void Listen();
    void Release();

    std::string programFolder_;
    QString serverName_;
    QLocalServer server_;
    int folderFd_ = -1;
    int fd_ = -1;
    bool writable_ = false;
    std::string held_;
    std::string busy_;
    std::string inTheWay_;
    bool folderInTheWay_ = false;
    TStage stage_ = TStage::Claim;
    bool running_ = false;
};

enum class TStartDecision { Run, HandedOver, Refused };

// Start-up's claim on the program folder. When another copy holds it, the
// start hands over to that copy or, where it cannot reach it (another user,
// another session's runtime folder that is gone), says in one box that the
// program is already running from that folder. A start kept from making its
// lock says so in one box, naming the file in the way.
TStartDecision ClaimProgramFolder(TSingleInstance& instance, IDialogs& dialogs);
