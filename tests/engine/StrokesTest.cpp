// The stroke list: its temporary record and project block byte for byte,
// repeats left out on saving and loading, replay and merge, and damaged
// files and blocks that must fail cleanly.
#include "engine/Progress.h"
#include "engine/Strokes.h"
#include "common/FileSizeLimit.h"
#include "ScratchTempFolder.h"

#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace fs = std::filesystem;

namespace {

TStrokeRecord Stroke(int32_t seed, size_t points = 2)
{
    TStrokeRecord s;
    for (size_t i = 0; i < points; ++i) {
        s.Left.push_back({seed * 65536 + int32_t(i), -int32_t(i)});
        s.Right.push_back({seed, int32_t(i) * 3});
    }
    s.Color = 0xFF000000u | uint32_t(seed);
    s.Opacity = 200;
    s.RendererID = 7;
    return s;
}

std::vector<uint8_t> FileBytes(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<TStrokeRecord> ReadAll(TStrokes& list)
{
    std::vector<TStrokeRecord> out;
    TStrokeRecord s;
    list.Rewind();
    while (list.ReadStroke(s)) out.push_back(s);
    return out;
}

// A project block holding the given records, at the start of its stream.
TMemoryStream Block(const std::vector<TStrokeRecord>& strokes)
{
    TMemoryStream m;
    WriteStrokeBlock(m, strokes);
    m.SetPosition(0);
    return m;
}

class TStepCounter final : public IProgress {
public:
    void Start(int min, int max) override { starts.push_back({min, max}); }
    void Step() override { ++steps; }
    void SetPosition(int) override {}
    void Finish() override { ++finishes; }
    std::vector<std::pair<int, int>> starts;
    int steps = 0, finishes = 0;
};

const std::vector<uint8_t> kLeft = {1, 0, 0, 0, 0x10, 0, 0, 0, 0x20, 0, 0, 0};
const std::vector<uint8_t> kRight = {2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF};
const std::vector<uint8_t> kTail = {0x33, 0x22, 0x11, 0x80, 0x7F, 5, 0, 0, 0};

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

} // namespace

class StrokesTest : public ::testing::Test {
protected:
    TScratchTempFolder scratch;
    std::unique_ptr<TStrokes> NewList() { return std::make_unique<TStrokes>(TempManager().NewTempFileName("tsk")); }
    // Left (16, 32); Right (3, 4), (-1, -2); colour $80112233, opacity 127, renderer 5.
    void AddKnown(TStrokes& list) { list.AddStroke({{16, 32}}, {{3, 4}, {-1, -2}}, 0x80112233u, 0x7F, 5); }
};

TEST_F(StrokesTest, TemporaryRecordIsColourOpacityRendererThenOutlines)
{
    auto list = NewList();
    AddKnown(*list);
    EXPECT_EQ(list->Count(), 1);
    ASSERT_TRUE(ReadAll(*list).size() == 1);  // also pushes the buffered bytes to the file
    const auto bytes = FileBytes(list->FileName());
    EXPECT_EQ(bytes.size(), 17u + 8u * 3u);
    EXPECT_EQ(bytes, Concat({kTail, kLeft, kRight}));
}

TEST_F(StrokesTest, ProjectBlockIsCountThenOutlinesThenColourOpacityRenderer)
{
    auto list = NewList();
    AddKnown(*list);
    TMemoryStream m;
    m.WriteUInt8(0xAA);  // the block starts wherever the stream is
    list->SaveToStream(m);
    EXPECT_EQ(m.Bytes(), Concat({{0xAA, 1, 0, 0, 0}, kLeft, kRight, kTail}));
    EXPECT_EQ(m.Position(), m.Size());
}

TEST_F(StrokesTest, RecordsReplayInOrderAndTheFileGoesWithTheList)
{
    auto list = NewList();
    const std::vector<TStrokeRecord> strokes = {Stroke(1), Stroke(2, 0), Stroke(3, 300), Stroke(1)};
    for (const auto& s : strokes) list->AddStroke(s);
    EXPECT_EQ(ReadAll(*list), strokes);
    EXPECT_EQ(ReadAll(*list), strokes);  // a second replay from the start
    // Appending after a replay that ran to the end puts the record at the end.
    list->AddStroke(Stroke(4));
    EXPECT_EQ(ReadAll(*list).back(), Stroke(4));
    const std::string file = list->FileName();
    list.reset();
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(StrokesTest, AReleasedListOpensItsFileAgainWhenUsed)
{
    auto list = NewList();
    list->AddStroke(Stroke(1));
    list->AddStroke(Stroke(2));
    list->Release();
    list->Release();
    list->AddStroke(Stroke(3));  // after the records already there
    list->Release();
    EXPECT_EQ(ReadAll(*list), (std::vector<TStrokeRecord>{Stroke(1), Stroke(2), Stroke(3)}));
    EXPECT_EQ(list->Count(), 3);
    EXPECT_EQ(fs::file_size(list->FileName()), uint64_t(3 * (17 + 8 * 4)));
}

TEST_F(StrokesTest, SavingLeavesOutConsecutiveRepeatsOnly)
{
    TStepCounter progress;
    SetProgress(&progress);
    auto aab = NewList();
    for (int seed : {1, 1, 2}) aab->AddStroke(Stroke(seed));
    TMemoryStream m;
    aab->SaveToStream(m);
    auto aba = NewList();
    for (int seed : {1, 2, 1}) aba->AddStroke(Stroke(seed));
    aba->SaveToStream(m);
    SetProgress(nullptr);

    EXPECT_EQ(progress.steps, 2 + 3);  // one step per record written
    m.SetPosition(0);
    auto first = TStrokes::CreateFromStream(m, TempManager().NewTempFileName("tsk"));
    EXPECT_EQ(ReadAll(*first), (std::vector<TStrokeRecord>{Stroke(1), Stroke(2)}));
    auto second = TStrokes::CreateFromStream(m, TempManager().NewTempFileName("tsk"));
    EXPECT_EQ(ReadAll(*second), (std::vector<TStrokeRecord>{Stroke(1), Stroke(2), Stroke(1)}));
    EXPECT_EQ(first->Dropped() + second->Dropped(), 0);
    EXPECT_EQ(m.Position(), m.Size());
}

TEST_F(StrokesTest, AStrokeDifferingInOneFieldIsNoRepeat)
{
    auto list = NewList();
    TStrokeRecord a = Stroke(1), opacity = a, renderer = a, colour = a, point = a;
    opacity.Opacity = 1;
    renderer.RendererID = 2;
    colour.Color = 3;
    point.Right.back().Y += 1;
    for (const auto& s : {a, opacity, renderer, colour, point}) list->AddStroke(s);
    TMemoryStream m;
    list->SaveToStream(m);
    m.SetPosition(0);
    EXPECT_EQ(m.ReadInt32(), 5);
}

TEST_F(StrokesTest, LoadingDropsRepeatsAndKeepsLongAndEmptyOutlines)
{
    TStepCounter progress;
    SetProgress(&progress);
    TStrokeRecord empty;
    empty.Color = clBlack32;
    TMemoryStream m = Block({Stroke(1), Stroke(1), Stroke(2, 250), Stroke(2, 250), Stroke(2, 250), empty, Stroke(3, 1000)});
    auto list = TStrokes::CreateFromStream(m, TempManager().NewTempFileName("tsk"));
    SetProgress(nullptr);

    EXPECT_EQ(ReadAll(*list), (std::vector<TStrokeRecord>{Stroke(1), Stroke(2, 250), empty, Stroke(3, 1000)}));
    EXPECT_EQ(list->Count(), 4);
    EXPECT_EQ(list->Dropped(), 3);
    ASSERT_EQ(progress.starts.size(), 1u);
    EXPECT_EQ(progress.starts[0], std::make_pair(0, 7));
    EXPECT_EQ(progress.steps, 7);
    EXPECT_EQ(progress.finishes, 1);
}

TEST_F(StrokesTest, EmptyBlockGivesAnEmptyList)
{
    TMemoryStream m = Block({});
    auto list = TStrokes::CreateFromStream(m, TempManager().NewTempFileName("tsk"));
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->Dropped(), 0);
    TMemoryStream out;
    list->SaveToStream(out);
    EXPECT_EQ(out.Bytes(), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(StrokesTest, AppendFromCopiesInOrderAndMayAppendToItself)
{
    auto a = NewList(), b = NewList();
    a->AddStroke(Stroke(1));
    b->AddStroke(Stroke(2));
    b->AddStroke(Stroke(3));
    a->AppendFrom(*b);
    EXPECT_EQ(ReadAll(*a), (std::vector<TStrokeRecord>{Stroke(1), Stroke(2), Stroke(3)}));
    b->AppendFrom(*b);
    EXPECT_EQ(ReadAll(*b), (std::vector<TStrokeRecord>{Stroke(2), Stroke(3), Stroke(2), Stroke(3)}));
}

namespace {

// Damage is written behind the list's back once its bytes are on disk; the
// record appended afterwards makes the list read the file again.
void Overwrite(const std::string& file, int64_t at, int32_t value)
{
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(at);
    const char bytes[4] = {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
    f.write(bytes, 4);
}

constexpr int64_t kRecordSize = 17 + 8 * 4;  // a stroke of two points a side

} // namespace

// A record the list wrote that cannot be read back fails every replay with
// the file's name and the reason: rendering, export, merging and saving
// would otherwise go on as if the list ended there, with fewer strokes than
// the document holds.
TEST_F(StrokesTest, ARecordThatCannotBeReadBackFailsTheReplayNamingTheFile)
{
    struct TCase {
        const char* what;
        std::function<void(const std::string& file)> damage;
        const char* reason;
        size_t readable;  // records replayed before the failure
    };
    const TCase cases[] = {
        {"file taken away", [](const std::string& file) { fs::remove(file); }, "No such file or directory", 0},
        {"file cut short", [](const std::string& file) { fs::resize_file(file, 2 * kRecordSize + 20); },
         "File shorter than the strokes written to it", 2},
        {"impossible count", [](const std::string& file) { Overwrite(file, 2 * kRecordSize + 13 + 16, 1000); },
         "Damaged stroke record", 2},
        // Refused before anything is allocated for it.
        {"huge count", [](const std::string& file) { Overwrite(file, 2 * kRecordSize + 9, 0x7FFFFFFF); },
         "Damaged stroke record", 2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto list = NewList();
        for (int seed : {1, 2, 3}) list->AddStroke(Stroke(seed));
        list->Release();
        c.damage(list->FileName());
        const auto expectUnreadable = [&](const std::function<void()>& replay) {
            try {
                replay();
                ADD_FAILURE() << "the replay went on";
            } catch (const EngineError& e) {
                EXPECT_NE(std::string(e.what()).find("\"" + list->FileName() + "\""), std::string::npos) << e.what();
                EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
            }
        };
        std::vector<TStrokeRecord> replayed;
        expectUnreadable([&] {
            TStrokeRecord s;
            list->Rewind();
            while (list->ReadStroke(s)) replayed.push_back(s);
        });
        EXPECT_EQ(replayed.size(), c.readable);
        TMemoryStream block;
        expectUnreadable([&] { list->SaveToStream(block); });
        auto merged = NewList();
        expectUnreadable([&] { merged->AppendFrom(*list); });
    }
}

// Outline counts that no longer frame the records written: one raised so
// that the first record swallows the eight after it and ends exactly where
// the tenth starts, one lowered so that bytes are left after the last
// counted record. Reading as far as the bytes go would replay, save or copy
// a different number of strokes than the list holds; each fails, and a merge
// takes back what it copied.
TEST_F(StrokesTest, CountsThatNoLongerFrameTheRecordsFailAndTheMergeCopiesNothing)
{
    // Eight records of two points a side take 8 x 49 bytes: 49 points more.
    const std::pair<const char*, std::function<void(const std::string&)>> damages[] = {
        {"raised", [](const std::string& file) { Overwrite(file, 13 + 16, 2 + 49); }},
        {"lowered", [](const std::string& file) { Overwrite(file, 9 * kRecordSize + 13 + 16, 1); }},
    };
    const auto failure = [](const std::function<void()>& work) -> std::string {
        try {
            work();
        } catch (const EngineError& e) {
            return e.what();
        }
        return "no error";
    };
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        auto list = NewList();
        for (int seed = 1; seed <= 10; ++seed) list->AddStroke(Stroke(seed));
        list->Release();
        damage(list->FileName());
        const std::string message = "Cannot read file \"" + list->FileName() + "\". Damaged stroke record";
        EXPECT_EQ(failure([&] { ReadAll(*list); }), message);
        TMemoryStream block;
        EXPECT_EQ(failure([&] { list->SaveToStream(block); }), message);
        auto merged = NewList();
        merged->AddStroke(Stroke(20));
        EXPECT_EQ(failure([&] { merged->AppendFrom(*list); }), message);
        EXPECT_EQ(merged->Count(), 1);
        merged->AddStroke(Stroke(21));
        EXPECT_EQ(ReadAll(*merged), (std::vector<TStrokeRecord>{Stroke(20), Stroke(21)}));
    }
}

TEST_F(StrokesTest, AfterADamagedRecordAppendsStillGoAtTheEnd)
{
    auto a = NewList();
    for (int seed : {1, 2, 3}) a->AddStroke(Stroke(seed));
    ReadAll(*a);
    Overwrite(a->FileName(), 2 * kRecordSize + 13 + 16, 1000);  // nRight of the third record
    a->AddStroke(Stroke(4));
    EXPECT_THROW(ReadAll(*a), EngineError);
    EXPECT_EQ(a->Count(), 4);
    // The failed read left the position inside the file; the next record
    // still goes after the last one written.
    a->AddStroke(Stroke(5));
    a->Release();
    EXPECT_EQ(fs::file_size(a->FileName()), uint64_t(5 * kRecordSize));
}

// A disk that fills up while strokes are placed: the record it refuses is
// reported with the file and the system's reason before the stroke could be
// drawn, and is not counted; the records before it stay whole, and once
// there is room again the list goes on after them.
TEST_F(StrokesTest, ARecordTheDiskRefusesRaisesAtOnceAndIsNotCounted)
{
    auto list = NewList();
    list->AddStroke(Stroke(1));
    list->AddStroke(Stroke(2));
    {
        const FileSizeLimit full(2 * kRecordSize + kRecordSize / 2);
        try {
            list->AddStroke(Stroke(3));
            ADD_FAILURE() << "the refused record was taken";
        } catch (const EngineError& e) {
            EXPECT_NE(std::string(e.what()).find("\"" + list->FileName() + "\""), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("File too large"), std::string::npos) << e.what();
        }
        EXPECT_EQ(list->Count(), 2);
    }
    list->AddStroke(Stroke(4));
    EXPECT_EQ(ReadAll(*list), (std::vector<TStrokeRecord>{Stroke(1), Stroke(2), Stroke(4)}));
}

TEST_F(StrokesTest, MalformedBlocksFailCleanlyLeavingNoFile)
{
    auto expectInvalid = [this](TMemoryStream m, const char* what) {
        const auto before = scratch.TempFiles();
        EXPECT_THROW(TStrokes::CreateFromStream(m, TempManager().NewTempFileName("tsk")), EngineError) << what;
        EXPECT_EQ(scratch.TempFiles(), before) << what;
    };
    auto patched = [](std::vector<TStrokeRecord> strokes, int64_t at, int32_t value) {
        TMemoryStream m = Block(strokes);
        m.SetPosition(at);
        m.WriteInt32(value);
        m.SetPosition(0);
        return m;
    };
    expectInvalid(TMemoryStream(std::vector<uint8_t>{1, 0}), "no count");
    expectInvalid(patched({}, 0, -1), "negative count");
    expectInvalid(patched({Stroke(1)}, 0, 2), "count past the bytes");
    expectInvalid(patched({Stroke(1)}, 0, 0x7FFFFFFF), "huge count");
    expectInvalid(patched({Stroke(1)}, 4, -1), "negative outline");
    expectInvalid(patched({Stroke(1)}, 4, 5), "outline past the bytes");
    expectInvalid(patched({Stroke(1)}, 4, 0x10000000), "outline of huge size");
    expectInvalid(patched({Stroke(1)}, 4 + 4 + 16, 3), "right outline past the bytes");
    TMemoryStream cut = Block({Stroke(1), Stroke(2)});
    cut.SetSize(cut.Size() - 1);
    expectInvalid(std::move(cut), "tail cut short");
}
