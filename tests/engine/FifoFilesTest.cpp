// Names in the program folder that are not plain files: a FIFO, a folder, a
// device. Opening a FIFO for reading waits for a writer, so a start that read
// one as its list of temporary files, or as a style, pattern or brush, would
// never show a window. Every read refuses them at once instead.
#include "CurrentFolderScope.h"
#include "common/FifoWatch.h"
#include "engine/BitmapBrushStrokeRenderer.h"
#include "engine/Patterns.h"
#include "engine/PersistentObjectManager.h"
#include "engine/Styles.h"
#include "engine/TempManager.h"
#include "engine/Utils.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FifoFilesTest : public ::testing::Test {
protected:
    QTemporaryDir scratch;
    std::string folder = scratch.path().toStdString() + "/";
    // The load log lies in the current folder.
    TCurrentFolderScope cwd{folder};
};

} // namespace

TEST_F(FifoFilesTest, StreamsRefuseToReadAnythingButAPlainFile)
{
    MakeFifo(folder + "pipe");
    fs::create_directory(folder + "folder");
    for (const std::string& name : {folder + "pipe", folder + "folder", std::string("/dev/null")}) {
        SCOPED_TRACE(name);
        std::string error;
        WithoutWaitingFor(name, [&] {
            try {
                TFileStream stream(name, TFileStream::Mode::OpenRead);
            } catch (const EngineError& e) {
                error = e.what();
            }
        });
        EXPECT_EQ(error, "Cannot open file \"" + name + "\". Not a regular file");
    }
    // A plain file still opens, and a missing one still says why.
    std::ofstream(folder + "plain", std::ios::binary) << "abc";
    EXPECT_EQ(TFileStream(folder + "plain", TFileStream::Mode::OpenRead).Size(), 3);
    try {
        TFileStream missing(folder + "missing", TFileStream::Mode::OpenRead);
        ADD_FAILURE() << "a missing file opened";
    } catch (const EngineError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + folder + "missing\". No such file or directory");
    }
}

// The list is unreadable, so nothing of an earlier run is cleaned up; the
// manager still comes up and hands out names.
TEST_F(FifoFilesTest, TempManagerOverAFifoListStarts)
{
    MakeFifo(folder + "TempManager.log");
    std::unique_ptr<TTempManager> manager;
    WithoutWaitingFor(folder + "TempManager.log", [&] { manager = std::make_unique<TTempManager>(folder); });
    ASSERT_TRUE(manager);
    EXPECT_TRUE(manager->Files().empty());
    EXPECT_TRUE(fs::is_directory(folder + "tmp"));
}

TEST_F(FifoFilesTest, FifoStylesPatternsAndBrushesAreSkippedAndLogged)
{
    const TPersistentClass* kinds[] = {&TGStyle::StyleClass(), &TPattern::StaticClass(),
                                       &TBitmapBrushStrokeRenderer::BrushClass()};
    std::string expected;
    for (const TPersistentClass* kind : kinds) {
        const std::string name = folder + "zz." + kind->FileExtension;
        SCOPED_TRACE(name);
        MakeFifo(name);
        std::unique_ptr<TPersistentObjectManager> manager;
        WithoutWaitingFor(name, [&] { manager = std::make_unique<TPersistentObjectManager>(*kind, folder); });
        ASSERT_TRUE(manager);
        EXPECT_EQ(manager->Count(), 0);
        expected += name + ": Cannot open file \"" + name + "\". Not a regular file\r\n";
        EXPECT_EQ(ReadAll(folder + LogFileName), expected);
    }
}

// The log itself: a FIFO that nobody reads is a log that cannot be written.
TEST_F(FifoFilesTest, LogThatIsAnUnreadFifoIsRefused)
{
    MakeFifo(folder + LogFileName);
    WithoutWaitingFor(folder + LogFileName,
                      [&] { EXPECT_THROW(AppendLog(folder + LogFileName, "line"), EngineError); });
}
