// One program per program folder: where the lock lies, what a second start
// does from the same or another runtime folder, names planted in the folder
// or in tmp/, the lock file's name taken from a running copy, a copy holding
// only a lock file, two starts whose steps interleave, a folder that cannot be
// written, and the lock in tmp/ against the start-up cleaning and the exit.
#include "DomainFixture.h"

#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sched.h>
#include <sstream>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <utility>
#include <vector>

using namespace domaintest;
namespace fs = std::filesystem;

namespace {

std::string Contents(const std::string& fileName)
{
    std::ifstream file(fileName);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs the event loop until `condition` holds, for at most `milliseconds`.
bool PumpUntil(const std::function<bool()>& condition, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

// A program folder that cannot be written, as root sees it too: the lock
// file's name is taken by a folder.
void BlockTheFoldersLock(const std::string& folder) { fs::create_directories(folder + InstanceLockName); }

// What a test puts where a lock file or tmp/ goes. Links lead into the
// folder `outside`, which holds "precious.txt".
enum class TPlant { None, SymbolicLink, DanglingLink, HardLink, Fifo, Folder, PlainFile, LinkToFolder };

void Plant(TPlant plant, const std::string& name, const std::string& outside)
{
    switch (plant) {
    case TPlant::None: break;
    case TPlant::SymbolicLink: fs::create_symlink(outside + "precious.txt", name); break;
    case TPlant::DanglingLink: fs::create_symlink(outside + "nowhere", name); break;
    case TPlant::HardLink: fs::create_hard_link(outside + "precious.txt", name); break;
    case TPlant::Fifo: ASSERT_EQ(::mkfifo(name.c_str(), 0644), 0) << std::strerror(errno); break;
    case TPlant::Folder: fs::create_directory(name); break;
    case TPlant::PlainFile: std::ofstream(name) << "not a folder"; break;
    case TPlant::LinkToFolder:
        fs::create_directory(outside + "elsewhere");
        fs::create_symlink(outside + "elsewhere", name);
        break;
    }
}

// Every name under `folder` with its kind and, for plain files, contents.
std::map<std::string, std::string> Listing(const std::string& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const fs::file_status status = entry.symlink_status();
        std::string& what = entries[entry.path().lexically_relative(folder).string()];
        what = std::to_string(static_cast<int>(status.type()));
        if (fs::is_regular_file(status)) what += ':' + Contents(entry.path().string());
    }
    return entries;
}

// `folder` seen through `view`, which cannot be written, root included: a
// read-only bind mount in a mount namespace of this process alone. With
// `writableTemp` the view's tmp/ is the folder's tmp/ and can be written.
class TReadOnlyView {
public:
    TReadOnlyView(const std::string& folder, const std::string& view, bool writableTemp) : view_(view)
    {
        made_ = ::unshare(CLONE_NEWNS) == 0 && ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                ::mount(folder.c_str(), view.c_str(), nullptr, MS_BIND, nullptr) == 0;
        if (!made_) return;
        mounted_ = 1;
        made_ = ::mount(nullptr, view.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
        if (made_ && writableTemp) {
            made_ = ::mount((folder + "tmp").c_str(), (view + "tmp").c_str(), nullptr, MS_BIND, nullptr) == 0;
            mounted_ += made_;
        }
    }
    ~TReadOnlyView()
    {
        if (mounted_ > 1) ::umount2((view_ + "tmp").c_str(), MNT_DETACH);
        if (mounted_ > 0) ::umount2(view_.c_str(), MNT_DETACH);
    }
    TReadOnlyView(const TReadOnlyView&) = delete;
    TReadOnlyView& operator=(const TReadOnlyView&) = delete;
    bool Made() const { return made_; }

private:
    std::string view_;
    bool made_ = false;
    int mounted_ = 0;
};

// A start that cannot open the program folder to lock it.
struct TUnreadableFolderStart : TSingleInstance {
    using TSingleInstance::TSingleInstance;
    int OpenProgramFolder() const override { return -1; }
};

} // namespace

TEST(SingleInstance, SecondStartHandsOverOrSaysTheFolderIsTaken)
{
    struct TCase {
        const char* Name;
        bool SameRuntimeFolder, SocketGone;
        TStartDecision Decision;
    };
    for (const TCase& c : {TCase{"same runtime folder", true, false, TStartDecision::HandedOver},
                           TCase{"another runtime folder", false, false, TStartDecision::HandedOver},
                           TCase{"running copy out of reach", false, true, TStartDecision::Refused}}) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir, firstRuntime, secondRuntime;
        const std::string folder = dir.path().toStdString() + "/";
        fake::TFakeUi ui;
        TSingleInstance first(folder, firstRuntime.path());
        int activated = 0;
        first.OnActivate = [&activated] { ++activated; };
        ASSERT_EQ(ClaimProgramFolder(first, ui), TStartDecision::Run);
        EXPECT_EQ(first.LockFileName(), folder + InstanceLockName);
        const std::string socket = Contents(folder + InstanceLockName);
        ASSERT_EQ(socket.rfind(firstRuntime.path().toStdString() + "/", 0), 0u) << socket;
        if (c.SocketGone) fs::remove(socket.substr(0, socket.size() - 1));

        TSingleInstance second(folder, (c.SameRuntimeFolder ? firstRuntime : secondRuntime).path());
        EXPECT_EQ(ClaimProgramFolder(second, ui), c.Decision);
        EXPECT_EQ(second.LockFileName(), "");
        EXPECT_EQ(PumpUntil([&] { return activated > 0; }, c.SocketGone ? 300 : 2000), !c.SocketGone);
        if (c.SocketGone) {
            ASSERT_EQ(ui.Messages.size(), 1u);
            EXPECT_EQ(ui.Messages[0].Caption, "Ocrastell Pro");
            EXPECT_EQ(ui.Messages[0].Text,
                      "Ocrastell Pro is already running from the folder \"" + dir.path().toStdString() + "\".");
            EXPECT_EQ(ui.Messages[0].Kind, TMessageKind::Information);
        } else {
            EXPECT_TRUE(ui.Messages.empty());
        }
        EXPECT_EQ(Contents(folder + InstanceLockName), socket);
    }
}

TEST(SingleInstance, TheLockLiesInTmpOnlyWhenTheFolderCannotBeWritten)
{
    struct TCase {
        const char* Name;
        bool FolderWritable, TempFolderExists;
        const char* Lock; // under the program folder; empty: none
    };
    for (const TCase& c : {TCase{"writable folder", true, false, "Ocrastell.lock"},
                           TCase{"writable folder and tmp/", true, true, "Ocrastell.lock"},
                           TCase{"only tmp/ writable", false, true, "tmp/Ocrastell.lock"},
                           TCase{"the folder's name taken, no tmp/", false, false, "tmp/Ocrastell.lock"}}) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir, runtime;
        const std::string folder = dir.path().toStdString() + "/";
        if (!c.FolderWritable) BlockTheFoldersLock(folder);
        if (c.TempFolderExists) fs::create_directories(folder + "tmp");
        {
            TSingleInstance first(folder, runtime.path());
            ASSERT_TRUE(first.Acquire());
            const std::string lock = *c.Lock ? folder + c.Lock : "";
            EXPECT_EQ(first.LockFileName(), lock);
            if (lock.empty()) continue;
            EXPECT_TRUE(fs::is_regular_file(lock));
            TSingleInstance second(folder, runtime.path());
            EXPECT_FALSE(second.Acquire());
        }
        // Gone with the program, the lock leaves no file behind (nor an empty
        // tmp/ that held it) and the folder is free.
        EXPECT_FALSE(fs::exists(folder + c.Lock));
        EXPECT_EQ(fs::exists(folder + "tmp"), c.FolderWritable && c.TempFolderExists);
        TSingleInstance next(folder, runtime.path());
        EXPECT_TRUE(next.Acquire());
    }
}

TEST(SingleInstance, ACopyHoldingOnlyALockFileKeepsOutAStartThatCanLockTheFolder)
{
    // The first copy could not open the folder to lock it (nor write it,
    // where its lock lies in tmp/); the second (root, or the folder's owner)
    // can.
    for (const std::string lock : {"Ocrastell.lock", "tmp/Ocrastell.lock"}) {
        SCOPED_TRACE(lock);
        QTemporaryDir dir, runtime;
        const std::string folder = dir.path().toStdString() + "/";
        fs::create_directories(folder + "tmp");
        QLocalServer first;
        ASSERT_TRUE(first.listen(runtime.path() + "/first.socket"));
        std::ofstream(folder + lock) << first.fullServerName().toStdString() << '\n';
        const int held = ::open((folder + lock).c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
        const auto before = Listing(folder);

        fake::TFakeUi ui;
        TSingleInstance second(folder, runtime.path());
        EXPECT_EQ(ClaimProgramFolder(second, ui), TStartDecision::HandedOver);
        EXPECT_TRUE(first.waitForNewConnection(2000));
        EXPECT_EQ(Listing(folder), before);
        ::close(held);
    }
}

TEST(SingleInstance, ALockFileLeftBehindIsTakenOver)
{
    QTemporaryDir dir, runtime;
    const std::string folder = dir.path().toStdString() + "/";
    std::ofstream(folder + InstanceLockName) << "/gone/ocrastell.socket\nand more than the name\n";
    TSingleInstance instance(folder, runtime.path());
    ASSERT_TRUE(instance.Acquire());
    const std::string socket = Contents(folder + InstanceLockName);
    EXPECT_EQ(socket.rfind(runtime.path().toStdString() + "/", 0), 0u) << socket;
    EXPECT_EQ(std::count(socket.begin(), socket.end(), '\n'), 1);
}

TEST(SingleInstance, NamesPlantedInTheFolderAreNeverWrittenThrough)
{
    struct TCase {
        const char* Name;
        void (*Plant)(const fs::path& target, const fs::path& link);
    };
    for (const TCase& c : {TCase{"symbolic link", [](const fs::path& t, const fs::path& l) { fs::create_symlink(t, l); }},
                           TCase{"hard link", [](const fs::path& t, const fs::path& l) { fs::create_hard_link(t, l); }}}) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir, runtime;
        const std::string folder = dir.path().toStdString() + "/";
        std::ofstream(folder + "precious.txt") << "keep me";
        c.Plant(folder + "precious.txt", folder + InstanceLockName);
        fs::create_directories(folder + "tmp");
        {
            TSingleInstance instance(folder, runtime.path());
            ASSERT_TRUE(instance.Acquire());
            EXPECT_EQ(instance.LockFileName(), folder + "tmp/" + InstanceLockName);
        }
        EXPECT_EQ(Contents(folder + "precious.txt"), "keep me");
        EXPECT_TRUE(fs::exists(fs::symlink_status(folder + InstanceLockName)));
    }
}

TEST(SingleInstance, NamesInTheWayMoveTheLockToTmpOrStopTheStart)
{
    struct TCase {
        const char* Name;
        TPlant AtLock, Temp, AtTempLock;
        bool Runs;
        const char* Lock; // when it runs the lock held, else the name in the way
        bool TempStays;
    };
    const char* inFolder = "Ocrastell.lock";
    const char* inTemp = "tmp/Ocrastell.lock";
    using P = TPlant;
    for (const TCase& c : {
             TCase{"symbolic link", P::SymbolicLink, P::None, P::None, true, inTemp, false},
             TCase{"dangling link", P::DanglingLink, P::None, P::None, true, inTemp, false},
             TCase{"hard link", P::HardLink, P::None, P::None, true, inTemp, false},
             TCase{"FIFO", P::Fifo, P::None, P::None, true, inTemp, false},
             TCase{"folder", P::Folder, P::None, P::None, true, inTemp, false},
             TCase{"FIFO in tmp/", P::None, P::Folder, P::Fifo, true, inFolder, true},
             TCase{"folder in tmp/", P::None, P::Folder, P::Folder, true, inFolder, true},
             TCase{"symbolic link in tmp/", P::None, P::Folder, P::SymbolicLink, true, inFolder, true},
             TCase{"folder, and FIFO in tmp/", P::Folder, P::Folder, P::Fifo, false, inTemp, true},
             TCase{"symbolic link, and folder in tmp/", P::SymbolicLink, P::Folder, P::Folder, false, inTemp, true},
             TCase{"FIFO, and symbolic link in tmp/", P::Fifo, P::Folder, P::SymbolicLink, false, inTemp, true},
             TCase{"symbolic link, and tmp a plain file", P::SymbolicLink, P::PlainFile, P::None, false, inFolder,
                   true},
             TCase{"hard link, and tmp/ linked to a folder elsewhere", P::HardLink, P::LinkToFolder, P::None, true,
                   inTemp, true}}) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir, outsideDir, firstRuntime, secondRuntime;
        const std::string folder = dir.path().toStdString() + "/";
        const std::string outside = outsideDir.path().toStdString() + "/";
        std::ofstream(outside + "precious.txt") << "keep me";
        Plant(c.AtLock, folder + InstanceLockName, outside);
        Plant(c.Temp, folder + "tmp", outside);
        Plant(c.AtTempLock, folder + "tmp/" + InstanceLockName, outside);
        const auto outsideBefore = Listing(outside);
        const auto plantedBefore = Listing(folder);
        const std::string lock = folder + c.Lock;
        const fake::TFakeUi::TMessage refusal{
            "Ocrastell Pro", "Ocrastell Pro cannot start: \"" + lock + "\" is in the way of its lock file.",
            TMessageKind::Error};
        {
            fake::TFakeUi ui;
            TSingleInstance first(folder, firstRuntime.path());
            ASSERT_EQ(ClaimProgramFolder(first, ui), c.Runs ? TStartDecision::Run : TStartDecision::Refused);
            EXPECT_EQ(first.LockFileName(), c.Runs ? lock : "");
            EXPECT_EQ(fs::is_regular_file(fs::symlink_status(lock)), c.Runs);
            TSingleInstance second(folder, secondRuntime.path());
            EXPECT_EQ(ClaimProgramFolder(second, ui), c.Runs ? TStartDecision::HandedOver : TStartDecision::Refused);
            EXPECT_EQ(second.LockFileName(), "");
            ASSERT_EQ(ui.Messages.size(), c.Runs ? 0u : 2u);
            for (const auto& message : ui.Messages) {
                EXPECT_EQ(message.Caption, refusal.Caption);
                EXPECT_EQ(message.Text, refusal.Text);
                EXPECT_EQ(message.Kind, refusal.Kind);
            }
        }
        // Whatever was planted is as it was; a run took its lock file and
        // the tmp/ made for it away.
        EXPECT_EQ(Listing(outside), outsideBefore);
        auto plantedAfter = plantedBefore;
        if (!c.TempStays) plantedAfter.erase("tmp");
        EXPECT_EQ(Listing(folder), plantedAfter);
        TSingleInstance next(folder, firstRuntime.path());
        EXPECT_EQ(next.Acquire(), c.Runs);
    }
}

TEST(SingleInstance, WhateverBecomesOfTheLockFilesNameTheRunningCopyKeepsItsFolder)
{
    // Both program folders' tmp/ lead to one shared folder, as the system's
    // temporary folder may be: a start from the other folder runs beside.
    struct TCase {
        const char* Name;
        TPlant Replacement; // what takes the name once it is removed
        bool FromTheOtherFolder;
    };
    using P = TPlant;
    for (const TCase& c : {TCase{"removed", P::None, false}, TCase{"a symbolic link", P::SymbolicLink, false},
                           TCase{"a FIFO", P::Fifo, false}, TCase{"another file", P::PlainFile, false},
                           TCase{"a folder", P::Folder, false}, TCase{"left alone", P::None, true}}) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir, otherDir, sharedDir, runtime;
        const std::string folder = dir.path().toStdString() + "/", other = otherDir.path().toStdString() + "/";
        const std::string shared = sharedDir.path().toStdString() + "/";
        for (const std::string& f : {folder, other}) fs::create_directory_symlink(shared, f + "tmp");
        std::ofstream(shared + "precious.txt") << "keep me";
        fake::TFakeUi ui;
        TSingleInstance first(folder, runtime.path());
        int activated = 0;
        first.OnActivate = [&activated] { ++activated; };
        ASSERT_EQ(ClaimProgramFolder(first, ui), TStartDecision::Run);
        if (!c.FromTheOtherFolder) fs::remove(folder + InstanceLockName);
        Plant(c.Replacement, folder + InstanceLockName, shared);

        TSingleInstance second(c.FromTheOtherFolder ? other : folder, runtime.path());
        EXPECT_EQ(ClaimProgramFolder(second, ui),
                  c.FromTheOtherFolder ? TStartDecision::Run : TStartDecision::HandedOver);
        EXPECT_TRUE(ui.Messages.empty());
        EXPECT_EQ(PumpUntil([&] { return activated > 0; }, c.FromTheOtherFolder ? 0 : 2000), !c.FromTheOtherFolder);
    }
}

TEST(SingleInstance, OfTwoStartsOnOneFolderOneRunsHoweverTheirStepsInterleave)
{
    // X locks the program folder, Y cannot: the lock files alone decide.
    // A start that cannot write the folder but can write tmp/ is played by
    // one that meets a folder in the way of the folder's lock file in each
    // of its first two steps (the second tries that file after the folder's
    // own lock); the folder is gone again after each, so that the other may
    // make its lock file there. Where the other's lock file is there already,
    // such a start opens it as any start does.
    struct TStart {
        const char* Name;
        bool WritesTheFolder;
    };
    const TStart writer{"writes the folder", true}, reader{"writes only tmp/", false};
    std::vector<std::string> schedules;
    std::string schedule = "XXXXYYYY";
    do schedules.push_back(schedule);
    while (std::next_permutation(schedule.begin(), schedule.end()));
    ASSERT_EQ(schedules.size(), 70u);
    for (const auto& [x, y] : {std::pair{writer, writer}, std::pair{writer, reader}, std::pair{reader, writer},
                               std::pair{reader, reader}}) {
        for (const std::string& steps : schedules) {
            SCOPED_TRACE(std::string("X ") + x.Name + ", Y " + y.Name + ", steps " + steps);
            QTemporaryDir dir, runtime;
            const std::string folder = dir.path().toStdString() + "/";
            fs::create_directory(folder + "tmp");
            TSingleInstance startX(folder, runtime.path());
            TUnreadableFolderStart startY(folder, runtime.path());
            int stepsTaken[2] = {0, 0};
            for (const char who : steps) {
                const int i = who == 'X' ? 0 : 1;
                const bool blocked = !(i == 0 ? x : y).WritesTheFolder && stepsTaken[i] < 2 &&
                                     !fs::exists(fs::symlink_status(folder + InstanceLockName));
                if (blocked) BlockTheFoldersLock(folder);
                (i == 0 ? startX : startY).Step();
                if (blocked) fs::remove(folder + InstanceLockName);
                ++stepsTaken[i];
            }
            // Steps taken one after another never meet at the same moment:
            // one runs, the other gives way.
            EXPECT_NE(startX.Acquire(), startY.Acquire());
        }
    }
    // A start of either kind alone runs.
    for (const TStart& start : {writer, reader}) {
        SCOPED_TRACE(start.Name);
        QTemporaryDir dir, runtime;
        const std::string folder = dir.path().toStdString() + "/";
        fs::create_directory(folder + "tmp");
        if (!start.WritesTheFolder) BlockTheFoldersLock(folder);
        TUnreadableFolderStart alone(folder, runtime.path());
        EXPECT_TRUE(alone.Acquire());
    }
}

TEST(SingleInstance, AStartThatCannotWriteTheFolderSeesTheLocksAndRunsLocklessOnlyWhereNothingIsWritable)
{
    // V starts through a view of the folder that cannot be written, W through
    // the folder itself; each step of theirs in the order given.
    struct TCase {
        const char* Name;
        bool TempFolder;
        TPlant AtLock;
        const char* Steps;
        bool VRuns, WRuns;
        const char* VLock; // when V runs the lock it holds, else the name in the way, if any
    };
    for (const TCase& c : {
             TCase{"W runs first", false, TPlant::None, "WWWVVV", false, true, ""},
             TCase{"V runs first", true, TPlant::None, "VVVWWW", true, false, "tmp/Ocrastell.lock"},
             TCase{"W starts before V has its lock", true, TPlant::None, "VWWWVV", true, false, "tmp/Ocrastell.lock"},
             TCase{"nothing can be written", false, TPlant::None, "VVV", true, false, ""},
             TCase{"a name in the way, nothing can be written", false, TPlant::SymbolicLink, "VVV", false, false,
                   "Ocrastell.lock"}}) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir, viewDir, outside, runtime;
        const std::string folder = dir.path().toStdString() + "/", view = viewDir.path().toStdString() + "/";
        std::ofstream(outside.path().toStdString() + "/precious.txt") << "keep me";
        if (c.TempFolder) fs::create_directory(folder + "tmp");
        Plant(c.AtLock, folder + InstanceLockName, outside.path().toStdString() + "/");
        const TReadOnlyView readOnly(folder, view, c.TempFolder);
        if (!readOnly.Made()) GTEST_SKIP() << "cannot mount here: " << std::strerror(errno);
        TSingleInstance v(view, runtime.path()), w(folder, runtime.path());
        for (const char* step = c.Steps; *step; ++step) (*step == 'V' ? v : w).Step();
        EXPECT_EQ(v.Acquire(), c.VRuns);
        EXPECT_EQ(std::strchr(c.Steps, 'W') && w.Acquire(), c.WRuns);
        EXPECT_EQ(c.VRuns ? v.LockFileName() : v.InTheWay(), *c.VLock ? view + c.VLock : "");
        EXPECT_EQ(fs::exists(folder + "tmp"), c.TempFolder);
    }
}

class SingleInstanceDomainTest : public DomainFixture {};

TEST_F(SingleInstanceDomainTest, TheLockInTmpOutlivesTheStartUpCleaningAndTheExit)
{
    QTemporaryDir runtime;
    BlockTheFoldersLock(folder);
    fs::create_directories(folder + "tmp");
    auto instance = std::make_unique<TSingleInstance>(folder, runtime.path());
    ASSERT_TRUE(instance->Acquire());
    const std::string lock = folder + "tmp/" + InstanceLockName;
    ASSERT_EQ(instance->LockFileName(), lock);
    std::ofstream(folder + "tmp/00000001.bmp") << "left by an earlier run";

    Start(3, 0, 1);
    EXPECT_FALSE(fs::exists(folder + "tmp/00000001.bmp"));
    EXPECT_TRUE(fs::exists(lock));
    TSingleInstance second(folder, runtime.path());
    EXPECT_FALSE(second.Acquire());

    domain.reset();
    EXPECT_TRUE(fs::exists(lock));
    EXPECT_FALSE(fs::exists(folder + "TempManager.log"));
    instance.reset();
    EXPECT_FALSE(fs::exists(lock));
    EXPECT_FALSE(fs::exists(folder + "tmp"));
}
