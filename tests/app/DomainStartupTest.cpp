// The program as a process: a second start on the same program folder ends at
// once and leaves the running program's temporary files alone, from whatever
// session it comes; the screen warnings. The command module's start and end
// over a tmp/ linked elsewhere and over a program folder that cannot be written.
#include "DomainFixture.h"
#include "engine/ScratchTempFolder.h"

#include "app/domain/SystemRequirements.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

namespace fs = std::filesystem;
using namespace domaintest;

namespace {

// The built program, copied into a scratch folder so that it runs with a
// program folder (and tmp/) of its own.
QString CopyOfTheProgram(const QTemporaryDir& dir)
{
    const QString built = QCoreApplication::applicationDirPath() + "/../ocrastell";
    const QString copy = dir.path() + "/ocrastell";
    if (!QFile::copy(built, copy)) return {};
    return copy;
}

// Starts the program headless with a runtime folder (XDG_RUNTIME_DIR) of its own.
void StartProgram(QProcess& process, const QString& program, const QString& runtimeFolder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtimeFolder);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, {"-platform", "offscreen"});
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds) return false;
        QThread::msleep(20);
    }
    return true;
}

} // namespace

TEST(DomainStartupTest, SecondStartHandsOverAndKeepsTheFirstsTempFiles)
{
    // Another login session, sudo or an unset XDG_RUNTIME_DIR give the second
    // start another runtime folder than the first; the program folder is the same.
    struct TCase {
        const char* Name;
        bool SameRuntimeFolder;
    };
    for (const TCase& c : {TCase{"same runtime folder", true}, TCase{"another runtime folder", false}}) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir, firstRuntime, secondRuntime;
        const QString program = CopyOfTheProgram(dir);
        ASSERT_FALSE(program.isEmpty()) << "build/ocrastell is missing";
        const std::string folder = dir.path().toStdString() + "/";
        const QString& laterRuntime = c.SameRuntimeFolder ? firstRuntime.path() : secondRuntime.path();

        QProcess first;
        StartProgram(first, program, firstRuntime.path());
        ASSERT_TRUE(first.waitForStarted(5000));
        // The running program made its temporary folder; one of its swapped steps lies there.
        ASSERT_TRUE(WaitFor([&] { return fs::is_directory(folder + "tmp"); }, 10000));
        QThread::msleep(200);
        std::ofstream(folder + "tmp/00000007.bmp") << "a swapped undo step";

        QProcess second;
        StartProgram(second, program, laterRuntime);
        ASSERT_TRUE(second.waitForStarted(5000));
        EXPECT_TRUE(second.waitForFinished(5000));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_TRUE(fs::exists(folder + "tmp/00000007.bmp"));
        EXPECT_EQ(first.state(), QProcess::Running);
        second.kill();
        second.waitForFinished(5000);

        // Once the first is gone, even killed, its lock went with it: a new
        // start runs and cleans up after it.
        first.kill();
        first.waitForFinished(5000);
        QProcess third;
        StartProgram(third, program, laterRuntime);
        ASSERT_TRUE(third.waitForStarted(5000));
        EXPECT_FALSE(third.waitForFinished(1500));
        EXPECT_TRUE(WaitFor([&] { return !fs::exists(folder + "tmp/00000007.bmp"); }, 5000));
        third.kill();
        third.waitForFinished(5000);
    }
}

TEST(DomainStartupTest, ScreenWarnings)
{
    struct TCase {
        int Width, Height, Depth;
        size_t Warnings;
    };
    for (const TCase& c : {TCase{800, 600, 16, 0}, TCase{1920, 1080, 32, 0}, TCase{799, 600, 24, 1},
                           TCase{800, 599, 24, 1}, TCase{1024, 768, 15, 1}, TCase{640, 480, 8, 2}}) {
        SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height) + "x" + std::to_string(c.Depth));
        EXPECT_EQ(SystemRequirementWarnings(c.Width, c.Height, c.Depth).size(), c.Warnings);
    }
    const auto both = SystemRequirementWarnings(640, 480, 8);
    EXPECT_EQ(both[0], "The screen resolution should be equal 800 x 600 pixels or higher. Change screen "
                       "resolution in Monitor Control Panel.");
    EXPECT_EQ(both[1], "The number of colors of the screen should be equal to 65536 colors or higher. Change "
                       "screen colors in Monitor Control Panel.");
}

namespace {

class DomainTempFolderTest : public DomainFixture {
protected:
    static std::set<std::string> Entries(const std::string& folder)
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
        return names;
    }
    static std::string Text(const std::string& name)
    {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Three steps of the apply run; the strokes it placed.
    int64_t ApplyThreeSteps()
    {
        ui.Apply.Script = [](fake::TFakeApplyDialog& d) {
            d.SetStepsFromSpin(3);
            d.ClickStart();
        };
        const int64_t before = domain->Document()->StrokeCount();
        domain->Execute(TCommandId::ApplyWithCurrentSettings);
        return domain->Document()->StrokeCount() - before;
    }
};

} // namespace

// A user who links tmp/ to a larger disk or to the system's temporary folder
// keeps every file there: the start cleans nothing through the link, and the
// end removes only the program's own files, never the link or its folder.
TEST_F(DomainTempFolderTest, ALinkedTmpIsUsedButNeverCleanedThrough)
{
    QTemporaryDir elsewhere;
    const std::string linked = elsewhere.path().toStdString() + "/";
    std::ofstream(linked + "notes.txt") << "notes";
    std::ofstream(linked + "holiday.jpg") << "a picture";
    fs::create_directory_symlink(linked, folder + "tmp");
    Start(3, 0, 1);
    EXPECT_EQ(Entries(linked), (std::set<std::string>{"holiday.jpg", "notes.txt"}));
    LoadPicture(160, 120);
    EXPECT_GT(ApplyThreeSteps(), 0);
    EXPECT_TRUE(ui.Messages.empty());
    domain.reset();
    EXPECT_TRUE(fs::is_symlink(folder + "tmp"));
    EXPECT_EQ(Entries(linked), (std::set<std::string>{"holiday.jpg", "notes.txt"}));
    EXPECT_EQ(Text(linked + "notes.txt"), "notes");
}

// A program folder that cannot be written with a tmp/ that can: the list
// lives in tmp/, the start's cleaning spares it so that a crash's list there
// is read, and the program draws.
TEST_F(DomainTempFolderTest, AReadOnlyProgramFolderWithAWritableTmpDraws)
{
    WriteBrushes(folder, 3);
    WritePatterns(folder, 1);
    const std::string picture = WritePicture(folder, "picture.png", 160, 120);
    fs::create_directories(folder + "tmp");
    const std::string left = folder + "tmp/00000002.bmp", list = folder + "tmp/TempManager.log";
    std::ofstream(left) << "a swapped step of a crashed run";
    std::ofstream(list) << left << "\r\n";
    {
        TReadOnlyProgramFolder readOnly(folder);
        if (!readOnly.Made()) GTEST_SKIP() << "cannot make a read-only folder here: " << readOnly.Reason();
        StartOnly();
        domain->LoadImage(picture, false);
        domain->Document()->SetAutoMode(true);
        EXPECT_GT(ApplyThreeSteps(), 0);
        for (const auto& message : ui.Messages) ADD_FAILURE() << message.Caption << ": " << message.Text;
        EXPECT_FALSE(fs::exists(left));
        EXPECT_EQ(Text(list).rfind(folder + "tmp/00000000.tsk\r\n", 0), 0u) << Text(list);
        EXPECT_FALSE(fs::exists(folder + "TempManager.log"));
        domain.reset();
        EXPECT_FALSE(fs::exists(list));
    }
}
