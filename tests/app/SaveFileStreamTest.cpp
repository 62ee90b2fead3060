// The stream every result image and project is written through: the file
// appears whole or not at all. A write refused at any byte, in the middle or
// in the last buffered write that only the commit sends, fails with the file's
// name and the system's reason and leaves the earlier file as it was.
#include "app/domain/SaveFileStream.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <QIODevice>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a writer of the program does to its stream: a field patched after the
// fact (a count written last), direct writes and writes through the device
// that image writers and libtiff are given.
void WriteSample(TSaveFileStream& out, int32_t rows)
{
    out.WriteInt32(0);
    for (int32_t i = 0; i < rows; ++i) {
        const std::string row = "row " + std::to_string(i) + " of the sample\n";
        if (i % 2) out.WriteBuffer(row.data(), static_cast<int64_t>(row.size()));
        else if (out.Device().write(row.data(), static_cast<qint64>(row.size())) != static_cast<qint64>(row.size()))
            out.Fail("the device took part of a row");
    }
    const int64_t end = out.Position();
    out.SetPosition(0);
    out.WriteInt32(rows);
    out.SetPosition(end);
}

} // namespace

TEST(SaveFileStream, WritesSeeksAndDeviceWritesLandInOrder)
{
    TScratchFolder dir;
    const std::string name = dir.Path("sample.bin");
    for (int32_t capacity : {1, 7, 64, TSaveFileStream::DefaultBufferSize}) {
        SCOPED_TRACE(capacity);
        WriteFileBytes(name, "earlier");
        TSaveFileStream out(name, capacity);
        WriteSample(out, 20);
        EXPECT_EQ(out.Size(), out.Position());
        EXPECT_EQ(ReadFileBytes(name), "earlier") << "nothing shows before the commit";
        out.Commit();
        const std::string bytes = ReadFileBytes(name);
        EXPECT_EQ(bytes.substr(0, 4), std::string("\x14\0\0\0", 4));
        EXPECT_EQ(bytes.substr(4, 20), "row 0 of the sample\n");
        EXPECT_EQ(static_cast<int64_t>(bytes.size()), out.Size());
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"sample.bin"});
    }
}

TEST(SaveFileStream, AWriteRefusedAtAnyByteFailsWithTheReasonAndKeepsTheEarlierFile)
{
    TScratchFolder dir;
    const std::string name = dir.Path("sample.bin");
    int64_t size = 0;
    {
        TSaveFileStream out(name, 64);
        WriteSample(out, 12);
        out.Commit();
        size = out.Size();
    }
    ASSERT_GT(size, 3 * 64) << "several buffers, so that a cut lands in the middle as well as in the last one";
    WriteFileBytes(name, "earlier");
    for (int32_t capacity : {64, TSaveFileStream::DefaultBufferSize})
        for (int64_t cut = 0; cut < size; ++cut) {
            SCOPED_TRACE("capacity " + std::to_string(capacity) + ", cut at " + std::to_string(cut));
            std::string error;
            {
                FileSizeLimit limit(static_cast<rlim_t>(cut));
                error = ErrorOf([&] {
                    TSaveFileStream out(name, capacity);
                    WriteSample(out, 12);
                    out.Commit();
                });
            }
            ASSERT_EQ(error, "Could not write " + name + ": File too large");
            ASSERT_EQ(ReadFileBytes(name), "earlier");
            ASSERT_EQ(dir.Entries(), std::vector<std::string>{"sample.bin"});
        }
}

// What QSaveFile did before: the earlier file's permissions survive, and a
// link is written through rather than replaced.
TEST(SaveFileStream, KeepsTheEarlierFilesModeAndWritesThroughALink)
{
    TScratchFolder dir;
    const std::string real = dir.Path("real.bin"), link = dir.Path("link.bin");
    WriteFileBytes(real, "earlier");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    std::filesystem::create_symlink(real, link);
    TSaveFileStream out(link);
    out.WriteBuffer("new", 3);
    out.Commit();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), "new");
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"link.bin", "real.bin"}));
}

TEST(SaveFileStream, AFolderThatCannotTakeTheFileOrAReadOnlyFileFailsAtOnce)
{
    TScratchFolder dir;
    const std::string name = dir.Path("gone/x.bin");
    EXPECT_EQ(ErrorOf([&] { TSaveFileStream out(name); }),
              "Could not open " + name + " for writing: No such file or directory");

    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
    const std::string locked = dir.Path("locked.bin");
    WriteFileBytes(locked, "earlier");
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    EXPECT_EQ(ErrorOf([&] { TSaveFileStream out(locked); }),
              "Could not open " + locked + " for writing: Permission denied");
    EXPECT_EQ(ReadFileBytes(locked), "earlier");
}
