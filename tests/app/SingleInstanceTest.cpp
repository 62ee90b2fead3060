// One program per program folder: where the lock lies, what a second start
// does from the same or another runtime folder, names planted in the folder,
// and the lock in tmp/ against the start-up cleaning and the exit.
#include "DomainFixture.h"

#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <filesystem>
#include <fstream>
#include <sstream>

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
                           TCase{"nothing writable", false, false, ""}}) {
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
        // Gone with the program, the lock leaves no file behind and the folder is free.
        EXPECT_FALSE(fs::exists(folder + c.Lock));
        TSingleInstance next(folder, runtime.path());
        EXPECT_TRUE(next.Acquire());
    }
}

TEST(SingleInstance, ACopyHoldingTmpKeepsOutAStartThatCanWriteTheFolder)
{
    // The first copy could not write the folder; the second (root, or the
    // folder's owner) can.
    QTemporaryDir dir, runtime;
    const std::string folder = dir.path().toStdString() + "/";
    BlockTheFoldersLock(folder);
    fs::create_directories(folder + "tmp");
    TSingleInstance first(folder, runtime.path());
    ASSERT_TRUE(first.Acquire());
    ASSERT_EQ(first.LockFileName(), folder + "tmp/" + InstanceLockName);
    fs::remove(folder + InstanceLockName);

    fake::TFakeUi ui;
    TSingleInstance second(folder, runtime.path());
    EXPECT_EQ(ClaimProgramFolder(second, ui), TStartDecision::HandedOver);
    EXPECT_FALSE(fs::exists(folder + InstanceLockName));
    EXPECT_TRUE(fs::exists(folder + "tmp/" + InstanceLockName));
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
}
