// The program as a process: a second start ends at once and leaves the
// running program's temporary files alone; the screen warnings.
#include "app/domain/SystemRequirements.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

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

TEST(DomainStartupTest, SecondStartEndsAtOnceAndKeepsTheFirstsTempFiles)
{
    QTemporaryDir dir;
    const QString program = CopyOfTheProgram(dir);
    ASSERT_FALSE(program.isEmpty()) << "build/ocrastell is missing";
    const std::string folder = dir.path().toStdString() + "/";

    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(program, {"-platform", "offscreen"});
    ASSERT_TRUE(first.waitForStarted(5000));
    // The running program made its temporary folder; one of its swapped steps lies there.
    ASSERT_TRUE(WaitFor([&] { return fs::is_directory(folder + "tmp"); }, 10000));
    QThread::msleep(200);
    std::ofstream(folder + "tmp/00000007.bmp") << "a swapped undo step";

    QProcess second;
    second.start(program, {"-platform", "offscreen"});
    ASSERT_TRUE(second.waitForStarted(5000));
    EXPECT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(fs::exists(folder + "tmp/00000007.bmp"));
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();
    first.waitForFinished(5000);

    // Once the first is gone, its lock is stale and a new start runs.
    QProcess third;
    third.start(program, {"-platform", "offscreen"});
    ASSERT_TRUE(third.waitForStarted(5000));
    EXPECT_FALSE(third.waitForFinished(1500));
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(folder + "tmp/00000007.bmp"); }, 5000));
    third.kill();
    third.waitForFinished(5000);
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
