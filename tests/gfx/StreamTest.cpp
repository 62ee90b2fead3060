// Byte layout of the little-endian fields, the checked readers, and the two
// stream kinds with their failure paths.
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <limits>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EngineError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(StreamFieldsTest, WritesLittleEndianBytes)
{
    TMemoryStream s;
    s.WriteInt32(0x01020304);
    s.WriteInt16(-2);
    s.WriteUInt8(0xAB);
    s.WriteFloat(1.0f);
    s.WriteDouble(-2.0);
    EXPECT_THAT(s.Bytes(), ElementsAre(0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0xAB, 0x00, 0x00, 0x80, 0x3F, 0, 0, 0, 0, 0,
                                       0, 0x00, 0xC0));
}

TEST(StreamFieldsTest, EveryFieldReadsBackWhatWasWritten)
{
    TMemoryStream s;
    s.WriteUInt8(255);
    s.WriteInt16(std::numeric_limits<int16_t>::min());
    s.WriteUInt16(65535);
    s.WriteInt32(-123456789);
    s.WriteUInt32(0xFEDCBA98u);
    s.WriteInt64(-0x123456789ABCDEFLL);
    s.WriteFloat(-0.0f);
    s.WriteDouble(0.1);
    s.SetPosition(0);
    EXPECT_EQ(s.ReadUInt8(), 255);
    EXPECT_EQ(s.ReadInt16(), std::numeric_limits<int16_t>::min());
    EXPECT_EQ(s.ReadUInt16(), 65535);
    EXPECT_EQ(s.ReadInt32(), -123456789);
    EXPECT_EQ(s.ReadUInt32(), 0xFEDCBA98u);
    EXPECT_EQ(s.ReadInt64(), -0x123456789ABCDEFLL);
    const float negZero = s.ReadFloat();
    EXPECT_TRUE(negZero == 0.0f && std::signbit(negZero));
    EXPECT_EQ(s.ReadDouble(), 0.1);
    EXPECT_EQ(s.Remaining(), 0);
}

TEST(StreamFieldsTest, ShortReadsRaise)
{
    TMemoryStream s({1, 2, 3});
    char buffer[4];
    EXPECT_EQ(ErrorOf([&] { s.ReadBuffer(buffer, 4); }), "Stream read error");
    s.SetPosition(0);
    EXPECT_THROW(s.ReadInt32(), EngineError);
    s.SetPosition(3);
    EXPECT_THROW(s.ReadUInt8(), EngineError);
}

TEST(StreamStringTest, LengthThenOneLatin1BytePerCharacter)
{
    TMemoryStream s;
    s.WriteString("Caf\xE9");
    s.WriteString("");
    EXPECT_THAT(s.Bytes(), ElementsAre(4, 0, 0, 0, 'C', 'a', 'f', 0xE9, 0, 0, 0, 0));
    s.SetPosition(0);
    EXPECT_EQ(s.ReadString(), "Caf\xE9");
    EXPECT_EQ(s.ReadString(), "");
}

TEST(StreamStringTest, BadLengthsRaiseBeforeAllocating)
{
    TMemoryStream negative;
    negative.WriteInt32(-1);
    negative.SetPosition(0);
    EXPECT_THROW(negative.ReadString(), EngineError);

    // Two gigabytes promised, two bytes present: an error, not a bad_alloc.
    TMemoryStream huge;
    huge.WriteInt32(std::numeric_limits<int32_t>::max());
    huge.WriteUInt16(0x4141);
    huge.SetPosition(0);
    EXPECT_THROW(huge.ReadString(), EngineError);

    TMemoryStream oneShort;
    oneShort.WriteInt32(3);
    oneShort.WriteUInt16(0x4141);
    oneShort.SetPosition(0);
    EXPECT_THROW(oneShort.ReadString(), EngineError);
}

TEST(StreamRequireBytesTest, CountsItemsAgainstWhatIsLeftWithoutOverflow)
{
    TMemoryStream s(std::vector<uint8_t>(12));
    EXPECT_NO_THROW(s.RequireBytes(3, 4));
    EXPECT_NO_THROW(s.RequireBytes(0, 1000));
    EXPECT_THROW(s.RequireBytes(13), EngineError);
    EXPECT_THROW(s.RequireBytes(-1), EngineError);
    // 2^62 * 4 wraps to 0 in 64 bits; it must still be refused.
    EXPECT_THROW(s.RequireBytes(int64_t(1) << 62, 4), EngineError);
    EXPECT_THROW(s.RequireBytes(std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::max()), EngineError);
    EXPECT_EQ(ErrorOf([&] { s.RequireBytes(5, 4, "Bad stroke count"); }), "Bad stroke count");
    s.SetPosition(10);
    EXPECT_THROW(s.RequireBytes(1, 4), EngineError);
}

TEST(MemoryStreamTest, PositionsBeyondTheEndAndResizing)
{
    TMemoryStream s;
    s.SetPosition(3);
    char none;
    EXPECT_EQ(s.Read(&none, 1), 0);
    s.WriteUInt8(9);
    EXPECT_THAT(s.Bytes(), ElementsAre(0, 0, 0, 9));
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    EXPECT_THROW(s.SetPosition(-1), EngineError);
    s.SetPosition(1);
    s.WriteUInt16(0x0807);
    EXPECT_THAT(s.Bytes(), ElementsAre(0, 7, 8));
}

class FileStreamTest : public ::testing::Test {
protected:
    std::string PathOf(const char* name) const { return dir_.filePath(name).toStdString(); }
    QTemporaryDir dir_;
};

TEST_F(FileStreamTest, WritesClosesAndReadsBack)
{
    const std::string name = PathOf("data.bin");
    {
        TFileStream out(name, TFileStream::Mode::Create);
        out.WriteInt32(42);
        out.WriteString("pen");
        EXPECT_EQ(out.Size(), 11);
        out.Close();
    }
    TFileStream in(name, TFileStream::Mode::OpenRead);
    EXPECT_EQ(in.Size(), 11);
    EXPECT_EQ(in.ReadInt32(), 42);
    EXPECT_EQ(in.ReadString(), "pen");
    EXPECT_THROW(in.ReadUInt8(), EngineError);
    EXPECT_THROW(in.WriteUInt8(1), EngineError); // opened for reading only
}

TEST_F(FileStreamTest, ReadAndWriteMayAlternate)
{
    const std::string name = PathOf("rw.bin");
    {
        TFileStream out(name, TFileStream::Mode::Create);
        out.WriteUInt32(0x11111111u);
        out.WriteUInt32(0x22222222u);
    }
    TFileStream rw(name, TFileStream::Mode::OpenReadWrite);
    EXPECT_EQ(rw.ReadUInt32(), 0x11111111u);
    rw.WriteUInt32(0x33333333u); // straight after a read
    rw.SetPosition(0);
    EXPECT_EQ(rw.ReadUInt32(), 0x11111111u);
    EXPECT_EQ(rw.ReadUInt32(), 0x33333333u);
    rw.WriteUInt8(0x44); // appends
    EXPECT_EQ(rw.Size(), 9);
    rw.SetPosition(8);
    EXPECT_EQ(rw.ReadUInt8(), 0x44);
}

TEST_F(FileStreamTest, OpeningAMissingFileGivesTheSystemMessage)
{
    const std::string name = PathOf("missing.bin");
    const std::string message = ErrorOf([&] { TFileStream s(name, TFileStream::Mode::OpenRead); });
    EXPECT_THAT(message, HasSubstr(name));
    EXPECT_THAT(message, HasSubstr("No such file or directory"));
    EXPECT_THAT(ErrorOf([&] { TFileStream s(PathOf("no/such/folder/x"), TFileStream::Mode::Create); }),
                HasSubstr("Cannot create file"));
}

TEST_F(FileStreamTest, CloseReportsAFailedFlushAndTheDestructorStaysQuiet)
{
    // /dev/full accepts the buffered write and fails when it is flushed.
    {
        TFileStream full("/dev/full", TFileStream::Mode::Create);
        full.WriteInt32(1);
        EXPECT_THAT(ErrorOf([&] { full.Close(); }), HasSubstr("No space left on device"));
        EXPECT_NO_THROW(full.Close()); // already closed: nothing more to report
    }
    EXPECT_NO_THROW({
        TFileStream full("/dev/full", TFileStream::Mode::Create);
        full.WriteInt32(1);
    });
}

} // namespace
