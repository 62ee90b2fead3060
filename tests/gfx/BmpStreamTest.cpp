// The BMP stream: round trips that keep all four bytes, BMPs back to back in
// one stream, hand-built files of the other accepted layouts, and refusal of
// anything whose header does not match the bytes that are there.
#include "gfx/Bitmap32.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstring>
#include <limits>

namespace {

TBitmap32 Sample(int32_t w, int32_t h)
{
    TBitmap32 b(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            // Alpha 0 with colour, alpha 1, 128, 255: none may be touched.
            b.Pixel(x, y) = Color32(uint8_t(40 * x + 1), uint8_t(30 * y + 2), uint8_t(x ^ y), uint8_t((x + y) * 37));
    b.Pixel(0, 0) = 0x00FFFFFFu;
    return b;
}

void ExpectSamePixels(const TBitmap32& a, const TBitmap32& b)
{
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int32_t y = 0; y < a.Height(); ++y)
        for (int32_t x = 0; x < a.Width(); ++x) ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
}

// Builds a BMP byte by byte, the way another program would write it.
struct TBmpBuilder {
    int32_t Width = 3, Height = 2;
    uint16_t BitCount = 24;
    uint32_t Compression = 0;
    uint32_t InfoSize = 40;
    uint32_t Gap = 0; // bytes between the headers and the pixels
    std::vector<uint32_t> Masks;

    TMemoryStream Build(const std::vector<std::vector<uint8_t>>& rows) const
    {
        TMemoryStream s;
        const uint32_t extra = InfoSize == 40 ? uint32_t(Masks.size() * 4) : 0;
        const uint32_t offBits = 14 + InfoSize + extra + Gap;
        size_t data = 0;
        for (const auto& r : rows) data += r.size();
        s.WriteUInt8('B');
        s.WriteUInt8('M');
        s.WriteUInt32(uint32_t(offBits + data));
        s.WriteUInt32(0);
        s.WriteUInt32(offBits);
        s.WriteUInt32(InfoSize);
        s.WriteInt32(Width);
        s.WriteInt32(Height);
        s.WriteUInt16(1);
        s.WriteUInt16(BitCount);
        s.WriteUInt32(Compression);
        for (int i = 0; i < 5; ++i) s.WriteUInt32(0);
        if (InfoSize == 40) {
            for (uint32_t m : Masks) s.WriteUInt32(m);
        } else {
            for (size_t i = 0; i < 4; ++i) s.WriteUInt32(i < Masks.size() ? Masks[i] : 0);
            for (uint32_t i = 56; i < InfoSize; ++i) s.WriteUInt8(0);
        }
        for (uint32_t i = 0; i < Gap; ++i) s.WriteUInt8(0xEE);
        for (const auto& r : rows) s.WriteBuffer(r.data(), int64_t(r.size()));
        s.SetPosition(0);
        return s;
    }
};

// Two rows of three 24-bit pixels, each padded from 9 to 12 bytes.
const std::vector<std::vector<uint8_t>> Rows24 = {
    {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0},
    {11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0},
};

TEST(BmpStreamTest, WritesA32BitBottomUpBmpWithTheStandardHeaders)
{
    TBitmap32 b(2, 2);
    b.Pixel(0, 0) = 0x11223344u; // top row, left
    b.Pixel(1, 1) = 0xAABBCCDDu; // bottom row, right
    TMemoryStream s;
    b.SaveToStream(s);
    const auto& d = s.Bytes();
    ASSERT_EQ(d.size(), 54u + 16u);
    auto u32 = [&](size_t at) { return uint32_t(d[at]) | d[at + 1] << 8 | d[at + 2] << 16 | uint32_t(d[at + 3]) << 24; };
    EXPECT_EQ(d[0], 'B');
    EXPECT_EQ(d[1], 'M');
    EXPECT_EQ(u32(2), 70u);  // bfSize
    EXPECT_EQ(u32(10), 54u); // bfOffBits
    EXPECT_EQ(u32(14), 40u); // biSize
    EXPECT_EQ(u32(18), 2u);
    EXPECT_EQ(u32(22), 2u); // positive height: bottom-up
    EXPECT_EQ(d[28], 32);
    EXPECT_EQ(u32(30), 0u); // BI_RGB
    // First stored row is the bottom one: (0,1) then (1,1) as B, G, R, A.
    EXPECT_EQ(u32(54 + 4), 0xAABBCCDDu);
    EXPECT_EQ(u32(54 + 8), 0x11223344u);
}

TEST(BmpStreamTest, RoundTripKeepsAllFourBytes)
{
    const TBitmap32 original = Sample(7, 5);
    TMemoryStream s;
    original.SaveToStream(s);
    s.SetPosition(0);
    TBitmap32 loaded;
    loaded.LoadFromStream(s);
    ExpectSamePixels(loaded, original);
    EXPECT_EQ(s.Position(), s.Size());
}

TEST(BmpStreamTest, RoundTripThroughAFile)
{
    QTemporaryDir dir;
    const std::string name = dir.filePath("map.bmp").toStdString();
    const TBitmap32 original = Sample(9, 4);
    {
        TFileStream out(name, TFileStream::Mode::Create);
        original.SaveToStream(out);
        out.Close();
    }
    TFileStream in(name, TFileStream::Mode::OpenRead);
    TBitmap32 loaded;
    loaded.LoadFromStream(in);
    ExpectSamePixels(loaded, original);
}

TEST(BmpStreamTest, ReadsBmpsBackToBackAndStopsAfterEach)
{
    const TBitmap32 first = Sample(3, 2), second = Sample(5, 6);
    TMemoryStream s;
    s.WriteInt32(77); // something before, as in a brush or project file
    first.SaveToStream(s);
    const int64_t firstEnd = s.Position();
    second.SaveToStream(s);
    s.WriteInt32(-5); // and something after
    s.SetPosition(4);
    TBitmap32 a, b;
    a.LoadFromStream(s);
    EXPECT_EQ(s.Position(), firstEnd);
    b.LoadFromStream(s);
    EXPECT_EQ(s.ReadInt32(), -5);
    ExpectSamePixels(a, first);
    ExpectSamePixels(b, second);
}

TEST(BmpStreamTest, Reads24BitBottomUpWithPadding)
{
    TBmpBuilder builder;
    TMemoryStream s = builder.Build(Rows24);
    TBitmap32 b;
    b.LoadFromStream(s);
    ASSERT_EQ(b.Width(), 3);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(b.Pixel(0, 1), Color32(3, 2, 1, 255)); // first stored row is the bottom
    EXPECT_EQ(b.Pixel(2, 1), Color32(9, 8, 7, 255));
    EXPECT_EQ(b.Pixel(0, 0), Color32(13, 12, 11, 255));
    EXPECT_EQ(s.Position(), 54 + 24);
}

TEST(BmpStreamTest, ReadsTopDownRowsAndHonoursTheOffsetToThePixels)
{
    TBmpBuilder builder;
    builder.Height = -2;
    builder.Gap = 6;
    TMemoryStream s = builder.Build(Rows24);
    TBitmap32 b;
    b.LoadFromStream(s);
    EXPECT_EQ(b.Pixel(0, 0), Color32(3, 2, 1, 255));
    EXPECT_EQ(b.Pixel(2, 1), Color32(19, 18, 17, 255));
    EXPECT_EQ(s.Position(), s.Size());
}

TEST(BmpStreamTest, Reads32BitBitfieldsWithEveryHeaderSize)
{
    const std::vector<std::vector<uint8_t>> rows = {{1, 2, 3, 0}, {4, 5, 6, 7}};
    for (uint32_t infoSize : {40u, 108u, 124u}) {
        TBmpBuilder builder;
        builder.Width = 1;
        builder.BitCount = 32;
        builder.Compression = 3;
        builder.InfoSize = infoSize;
        builder.Masks = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
        if (infoSize != 40) builder.Masks.push_back(0xFF000000u);
        TMemoryStream s = builder.Build(rows);
        TBitmap32 b;
        b.LoadFromStream(s);
        EXPECT_EQ(b.Pixel(0, 1), 0x00030201u) << infoSize; // alpha 0 stays 0
        EXPECT_EQ(b.Pixel(0, 0), 0x07060504u) << infoSize;
        EXPECT_EQ(s.Position(), s.Size());
    }
}

// Every refusal leaves the bitmap as it was.
void ExpectRefused(TMemoryStream s, const char* why)
{
    TBitmap32 b(2, 2, 0xCAFEBABEu);
    EXPECT_THROW(b.LoadFromStream(s), EngineError) << why;
    EXPECT_EQ(b.Width(), 2) << why;
    EXPECT_EQ(b.Pixel(1, 1), 0xCAFEBABEu) << why;
}

TEST(BmpStreamTest, RefusesTruncatedStreams)
{
    TMemoryStream whole;
    Sample(4, 4).SaveToStream(whole);
    for (size_t cut : {size_t(0), size_t(10), size_t(53), size_t(54), whole.Bytes().size() - 1}) {
        std::vector<uint8_t> part(whole.Bytes().begin(), whole.Bytes().begin() + long(cut));
        ExpectRefused(TMemoryStream(part), "truncated");
    }
}

TEST(BmpStreamTest, RefusesHeadersThatPromiseMoreThanIsThere)
{
    for (auto [w, h] : {std::pair{100000, 100000}, std::pair{std::numeric_limits<int32_t>::max(), 1},
                        std::pair{1, std::numeric_limits<int32_t>::min()}, std::pair{4, 3}}) {
        TBmpBuilder builder;
        builder.Width = w;
        builder.Height = h;
        ExpectRefused(builder.Build(Rows24), "oversized");
    }
}

TEST(BmpStreamTest, RefusesWhatItDoesNotRead)
{
    auto with = [](auto change) {
        TBmpBuilder builder;
        change(builder);
        return builder.Build(Rows24);
    };
    ExpectRefused(with([](TBmpBuilder& b) { b.Width = 0; }), "zero width");
    ExpectRefused(with([](TBmpBuilder& b) { b.Height = 0; }), "zero height");
    ExpectRefused(with([](TBmpBuilder& b) { b.Width = -3; }), "negative width");
    ExpectRefused(with([](TBmpBuilder& b) { b.BitCount = 8; }), "palette");
    ExpectRefused(with([](TBmpBuilder& b) { b.BitCount = 16; }), "16 bits");
    ExpectRefused(with([](TBmpBuilder& b) { b.Compression = 1; }), "RLE");
    ExpectRefused(with([](TBmpBuilder& b) { b.Compression = 3; }), "bit fields at 24 bits");
    ExpectRefused(with([](TBmpBuilder& b) { b.InfoSize = 64; }), "header size");
    ExpectRefused(with([](TBmpBuilder& b) {
                      b.BitCount = 32;
                      b.Width = 1;
                      b.Compression = 3;
                      b.Masks = {0x000000FFu, 0x0000FF00u, 0x00FF0000u};
                  }),
                  "swapped masks");

    TMemoryStream wrongSignature = TBmpBuilder().Build(Rows24);
    wrongSignature.Bytes()[1] = 'A';
    ExpectRefused(std::move(wrongSignature), "signature");

    TMemoryStream overlapping = TBmpBuilder().Build(Rows24);
    overlapping.Bytes()[10] = 20; // pixels said to start inside the header
    ExpectRefused(std::move(overlapping), "offset");
}

TEST(BmpStreamTest, AnEmptyBitmapIsNotWritten)
{
    TMemoryStream s;
    EXPECT_THROW(TBitmap32().SaveToStream(s), EngineError);
    EXPECT_EQ(s.Size(), 0);
}

} // namespace
