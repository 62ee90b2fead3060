// Every reader of the program's files meets damaged copies of a good file:
// cut short, bytes flipped, counts and sizes overwritten with extreme values.
// Each must either read or raise EngineError: never crash, hang or allocate
// without bound (run under the sanitizers to see the latter two).
#include "ScratchTempFolder.h"
#include "engine/BitmapBrushStrokeRenderer.h"
#include "engine/DualImage.h"
#include "engine/Patterns.h"
#include "engine/Styles.h"
#include "gfx/Errors.h"
#include "gfx/ImageView.h"
#include "gfx/Random.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using TBytes = std::vector<uint8_t>;

// Damaged copies of Good from a fixed seed: cuts, flipped bytes and extreme
// 32-bit values written at random places (counts and sizes live there).
std::vector<TBytes> DamagedCopies(const TBytes& good, int count)
{
    const uint32_t saved = RandSeed;
    RandSeed = 2024;
    std::vector<TBytes> out;
    const int32_t extremes[] = {0, -1, 1, 0x7FFFFFFF, int32_t(0x80000000), 0x10000, 65535, 1 << 28};
    const int32_t size = static_cast<int32_t>(good.size());
    for (int i = 0; i < count; ++i) {
        TBytes bytes = good;
        switch (i % 3) {
        case 0:
            bytes.resize(static_cast<size_t>(Random(size)));
            break;
        case 1:
            for (int k = 0; k < 4; ++k) bytes[static_cast<size_t>(Random(size))] ^= static_cast<uint8_t>(1 + Random(255));
            break;
        default: {
            // Fields sit near the start of each part; favour the first bytes.
            const int32_t at = Random(2) ? Random(std::min(size - 4, 200)) : Random(size - 4);
            const int32_t v = extremes[Random(8)];
            for (int b = 0; b < 4; ++b) bytes[static_cast<size_t>(at + b)] = static_cast<uint8_t>(uint32_t(v) >> (8 * b));
        }
        }
        out.push_back(std::move(bytes));
    }
    RandSeed = saved;
    return out;
}

// Reads every damaged copy; only EngineError may come out.
void ReadAllDamaged(const TBytes& good, const std::function<void(TMemoryStream&)>& read, int count = 240)
{
    for (const TBytes& bytes : DamagedCopies(good, count)) {
        TMemoryStream stream(bytes);
        try {
            read(stream);
        } catch (const EngineError&) {
            // a clear refusal is fine
        } catch (const std::exception& e) {
            ADD_FAILURE() << "unexpected " << typeid(e).name() << ": " << e.what();
        }
    }
}

} // namespace

TEST(DamagedFiles, Bitmaps)
{
    TMemoryStream good;
    TBitmap32(17, 9, 0x80402010u).SaveToStream(good);
    ReadAllDamaged(good.Bytes(), [](TMemoryStream& s) {
        TBitmap32 bmp;
        bmp.LoadFromStream(s);
    });
}

TEST(DamagedFiles, Styles)
{
    TGStyle style;
    style.SetName("Ink");
    TMemoryStream good;
    style.SaveToStream(good);
    ReadAllDamaged(good.Bytes(), [](TMemoryStream& s) {
        TGStyle read;
        read.LoadFromStream(s);
    });
}

TEST(DamagedFiles, Patterns)
{
    TPattern pattern;
    for (int f = 0; f < 3; ++f) {
        auto frame = std::make_unique<TPatternFrame>();
        for (int c = 0; c < 4; ++c) frame->AddCurve({Point(c, f), Point(10, 20), Point(30, 40), Point(50 + c, 60)});
        pattern.AddPatternFrame(std::move(frame));
    }
    TMemoryStream good;
    pattern.SaveToStream(good);
    ReadAllDamaged(good.Bytes(), [](TMemoryStream& s) {
        TPattern read;
        read.LoadFromStream(s);
    });
}

TEST(DamagedFiles, Brushes)
{
    TMemoryStream good;
    TBitmapBrushStrokeRenderer::WriteBrushFile(good, 7, 12, TBitmap32(20, 12, 0xFF0000FFu));
    ReadAllDamaged(good.Bytes(), [](TMemoryStream& s) {
        TBitmapBrushStrokeRenderer read;
        read.LoadFromStream(s);
        // Whatever was read must draw safely.
        TBitmap32 dest(40, 40, clWhite32);
        read.Render({FixedPoint(5, 5), FixedPoint(30, 8)}, {FixedPoint(5, 9), FixedPoint(30, 12)}, dest);
    });
}

TEST(DamagedFiles, Projects)
{
    TScratchTempFolder temp;
    TBitmap32 source(40, 30), dest(40, 30, clWhite32);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x) source.Pixel(x, y) = Color32(uint8_t(x * 6), uint8_t(y * 8), 90);
    TImageView sourceView, destView;
    sourceView.SetBitmap(&source);
    destView.SetBitmap(&dest);
    TGStyle style;
    TMemoryStream good;
    {
        TDualImage doc(sourceView, destView, 1.0f);
        doc.SetStyle(&style);
        doc.SetAutoMode(true);
        RandSeed = 5;
        for (int step = 0; step < 2; ++step) {
            doc.BeginState();
            for (int i = 0; i < 12; ++i) {
                const int32_t x = Random(40);
                doc.PlaceStrokeAt(x, Random(30));
            }
            doc.EndState();
        }
        doc.SaveToStream(good);
    }
    // Damage only the history: the three pictures are covered above.
    const size_t pictures = 3 * (54 + 40 * 30 * 4);
    const TBytes history(good.Bytes().begin() + static_cast<std::ptrdiff_t>(pictures), good.Bytes().end());
    TBitmap32 readSource, readDest;
    TImageView readSourceView, readDestView;
    readSourceView.SetBitmap(&readSource);
    readDestView.SetBitmap(&readDest);
    ReadAllDamaged(history, [&](TMemoryStream& damaged) {
        TMemoryStream whole(TBytes(good.Bytes().begin(), good.Bytes().begin() + static_cast<std::ptrdiff_t>(pictures)));
        whole.SetPosition(whole.Size());
        whole.WriteBuffer(damaged.Bytes().data(), damaged.Size());
        whole.SetPosition(0);
        auto doc = TDualImage::CreateFromStream(whole, readSourceView, readDestView, 1.0f);
        // A project that reads must also replay and undo safely.
        doc->Rerender();
        while (doc->CanUndo()) doc->Undo();
    });
    EXPECT_TRUE(temp.TempFiles().empty()) << "a refused project left temporary files behind";
}
