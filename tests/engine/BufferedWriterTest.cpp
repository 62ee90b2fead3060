#include "engine/BufferedWriter.h"

#include "common/FileSizeLimit.h"
#include "gfx/Errors.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string ReadAll(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& fileName, const std::string& bytes)
{
    std::ofstream(fileName, std::ios::binary) << bytes;
}

size_t EntriesIn(const std::string& dir)
{
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

class BufferedWriterTest : public ::testing::Test {
protected:
    QTemporaryDir scratch;
    std::string Path(const std::string& name) const { return scratch.path().toStdString() + "/" + name; }
};

TEST_F(BufferedWriterTest, LinesEndInLineFeedThenCarriageReturnAndFlushOnlyWhenFull)
{
    const std::string file = Path("out.ps");
    TBufferedWriter writer(file, 10);
    writer.WriteLine("12345678");
    EXPECT_EQ(writer.Count(), 10);  // exactly full: nothing flushed yet
    writer.WriteLine("a");
    EXPECT_EQ(writer.Count(), 3);   // the full buffer went out first
    writer.Close();
    EXPECT_EQ(ReadAll(file), std::string("12345678\n\ra\n\r"));
}

TEST_F(BufferedWriterTest, LineLongerThanTheBufferGoesStraightThroughInOrder)
{
    const std::string file = Path("long.txt");
    TBufferedWriter writer(file, 4);
    writer.WriteLine("ab");
    writer.WriteLine("0123456789");
    EXPECT_EQ(writer.Count(), 0);
    writer.WriteLine("c");
    writer.Close();
    EXPECT_EQ(ReadAll(file), std::string("ab\n\r0123456789\n\rc\n\r"));
}

TEST_F(BufferedWriterTest, ReplacesTheTargetOnlyOnClose)
{
    const std::string file = Path("target.txt");
    WriteAll(file, "previous");
    {
        TBufferedWriter writer(file, 8192);
        writer.WriteLine("new");
        writer.Flush();
        EXPECT_EQ(ReadAll(file), "previous");
        writer.Close();
    }
    EXPECT_EQ(ReadAll(file), std::string("new\n\r"));
    EXPECT_EQ(EntriesIn(scratch.path().toStdString()), 1u);
}

TEST_F(BufferedWriterTest, AbandonedWriterKeepsThePreviousFileAndLeavesNoTemporary)
{
    const std::string file = Path("target.txt");
    WriteAll(file, "previous");
    {
        TBufferedWriter writer(file, 2);
        writer.WriteLine("half of it");
    }
    EXPECT_EQ(ReadAll(file), "previous");
    EXPECT_EQ(EntriesIn(scratch.path().toStdString()), 1u);
}

TEST_F(BufferedWriterTest, FileThatCannotBeCreatedRaises)
{
    EXPECT_THROW(TBufferedWriter(Path("missing/out.ps"), 16), EngineError);
}

TEST_F(BufferedWriterTest, ClosedWriterRefusesMoreLines)
{
    TBufferedWriter writer(Path("out.ps"), 16);
    writer.Close();
    EXPECT_THROW(writer.WriteLine("x"), EngineError);
}

TEST_F(BufferedWriterTest, ShortWriteKeepsOnlyTheUnwrittenBytesPending)
{
    const std::string file = Path("full.ps");
    TBufferedWriter writer(file, 100);
    writer.WriteLine("12345678");
    {
        FileSizeLimit limit(4);
        try {
            writer.Flush();
            FAIL() << "a short write must raise";
        } catch (const EngineError& e) {
            EXPECT_STREQ(e.what(), "Disk full");
        }
        EXPECT_EQ(writer.Count(), 6);
    }
    writer.Close();  // space again: the rest goes out after what was written
    EXPECT_EQ(ReadAll(file), std::string("12345678\n\r"));
}

} // namespace
