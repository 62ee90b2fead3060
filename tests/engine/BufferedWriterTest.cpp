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
            EXPECT_EQ(e.what(), "Could not write " + file + ": File too large");
        }
        EXPECT_EQ(writer.Count(), 6);
    }
    writer.Close();  // space again: the rest goes out after what was written
    EXPECT_EQ(ReadAll(file), std::string("12345678\n\r"));
}

// PostScript, styles and patterns are written through the writer: a disk that
// refuses any byte, in a middle flush or in the last one at Close, fails the
// write with the file's name and the system's reason and keeps the earlier file.
TEST_F(BufferedWriterTest, AWriteRefusedAtAnyByteFailsWithTheReasonAndKeepsTheEarlierFile)
{
    const std::string file = Path("lines.ps");
    const auto write = [&] {
        TBufferedWriter writer(file, 16);
        for (int i = 0; i < 12; ++i) writer.WriteLine(std::to_string(i * 7919) + " lineto");
        writer.Close();
    };
    write();
    const size_t size = ReadAll(file).size();
    ASSERT_GT(size, 3u * 16);
    WriteAll(file, "previous");
    for (size_t cut = 0; cut < size; ++cut) {
        SCOPED_TRACE(cut);
        std::string error;
        {
            FileSizeLimit limit(cut);
            try {
                write();
            } catch (const EngineError& e) {
                error = e.what();
            }
        }
        ASSERT_EQ(error, "Could not write " + file + ": File too large");
        ASSERT_EQ(ReadAll(file), "previous");
        ASSERT_EQ(EntriesIn(scratch.path().toStdString()), 1u);
    }
}

// Seeking sends what is pending first, so a later write lands where it is meant.
TEST_F(BufferedWriterTest, SeekPatchesEarlierBytesAndKeepsPositionAndSize)
{
    const std::string file = Path("patched.bin");
    TBufferedWriter writer(file, 8);
    writer.Write("0000abcdefghij", 14);
    EXPECT_EQ(writer.Position(), 14);
    writer.Seek(0);
    writer.Write("14", 2);
    EXPECT_EQ(writer.Position(), 2);
    EXPECT_EQ(writer.Size(), 14);
    writer.Seek(14);
    writer.Write("k", 1);
    EXPECT_EQ(writer.Size(), 15);
    writer.Close();
    EXPECT_EQ(ReadAll(file), "1400abcdefghijk");
}

} // namespace
