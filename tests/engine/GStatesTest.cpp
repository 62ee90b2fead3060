// The undo stack: undo and redo restore both images byte for byte, steps are
// finished, pushed, swapped to disk, rolled back to snapshots, and the stack
// round-trips through a project block that is checked before it is trusted.
#include "engine/GStates.h"
#include "ScratchTempFolder.h"
#include "common/FileSizeLimit.h"

#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>

#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

constexpr int32_t W = 40, H = 30;
constexpr TRect kSentinel{2147483647, 2147483647, -2147483647 - 1, -2147483647 - 1};

TStrokeRecord Stroke(int32_t seed)
{
    TStrokeRecord s;
    s.Left = {{seed, 0}, {seed, 65536}};
    s.Right = {{0, seed}};
    s.Color = clBlack32 | uint32_t(seed);
    return s;
}

// A stroke block of the given seeds in order, repeats and all.
void WriteBlock(TStream& m, const std::vector<int32_t>& seeds)
{
    std::vector<TStrokeRecord> strokes;
    for (int32_t seed : seeds) strokes.push_back(Stroke(seed));
    WriteStrokeBlock(m, strokes);
}

class GStatesTest : public ::testing::Test {
protected:
    TScratchTempFolder scratch;
    TBitmap32 feature = NoiseBitmap(W, H, 1);
    TBitmap32 dest = NoiseBitmap(W, H, 2);
    TGStates stack;

    // One step of drawing: opens a state, paints R in both images (as the
    // strokes would), records `strokes` strokes and closes the step.
    bool Draw(const TRect& r, uint32_t seed, int strokes = 1)
    {
        auto state = std::make_unique<TGState>(feature, dest);
        const TBitmap32 paint = NoiseBitmap(W, H, seed);
        for (int32_t y = std::max(r.Top, 0); y < std::min(r.Bottom, H); ++y)
            for (int32_t x = std::max(r.Left, 0); x < std::min(r.Right, W); ++x) {
                feature.Pixel(x, y) = paint.Pixel(x, y);
                dest.Pixel(x, y) = ~paint.Pixel(x, y);
            }
        for (int i = 0; i < strokes; ++i) state->Strokes().AddStroke(Stroke(int32_t(seed) * 1000 + i));
        return stack.CloseState(std::move(state), r);
    }
    void ExpectImages(const TBitmap32& f, const TBitmap32& d)
    {
        EXPECT_TRUE(SameBitmaps(feature, f));
        EXPECT_TRUE(SameBitmaps(dest, d));
    }
    std::unique_ptr<TGStates> ReadBack(TMemoryStream& m)
    {
        m.SetPosition(0);
        return TGStates::CreateFromStream(m, W, H);
    }
};

} // namespace

TEST_F(GStatesTest, UndoAndRedoRestoreBothImagesByteForByte)
{
    const TBitmap32 f0 = feature, d0 = dest;
    ASSERT_TRUE(Draw({5, 5, 20, 15}, 10));
    const TBitmap32 f1 = feature, d1 = dest;
    ASSERT_TRUE(Draw({10, 0, 40, 30}, 11));
    const TBitmap32 f2 = feature, d2 = dest;
    EXPECT_EQ(stack.Current(), 2);

    stack.Undo(feature, dest);
    ExpectImages(f1, d1);
    stack.Undo(feature, dest);
    ExpectImages(f0, d0);
    EXPECT_FALSE(stack.CanUndo());
    stack.Redo(feature, dest);
    ExpectImages(f1, d1);
    stack.Redo(feature, dest);
    ExpectImages(f2, d2);
    EXPECT_FALSE(stack.CanRedo());
}

TEST_F(GStatesTest, BeyondEitherEndRaisesAndChangesNothing)
{
    try {
        stack.Undo(feature, dest);
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "Imposible hacer undo, estamos al principio de la pila");
    }
    Draw({0, 0, 4, 4}, 3);
    try {
        stack.Redo(feature, dest);
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "Imposible hacer redo, estamos en el tope de la pila");
    }
    EXPECT_EQ(stack.Current(), 1);
    EXPECT_FALSE(stack.Busy());
}

TEST_F(GStatesTest, FinishCutsTheImagesToTheRectangleInsideThePicture)
{
    ASSERT_TRUE(Draw({-5, 20, 8, 45}, 4));
    TGState& state = stack.GetState(0);
    EXPECT_TRUE(state.Finished());
    EXPECT_EQ(state.Rect(), (TRect{0, 20, 8, 30}));
    EXPECT_EQ(state.BeforeDest().Width(), 8);
    EXPECT_EQ(state.BeforeFeature().Height(), 10);
    EXPECT_EQ(state.MemorySize(), 2 * (8 * 10 * 4 + 54));

    // A second Finish aborts and leaves the rectangle matching the images.
    EXPECT_THROW(state.Finish({1, 1, 2, 2}), SilentAbort);
    EXPECT_THROW(state.FinishWhole(), SilentAbort);
    EXPECT_EQ(state.Rect(), (TRect{0, 20, 8, 30}));
}

TEST_F(GStatesTest, StepsThatCannotBeFinishedAreDiscardedWithTheirFiles)
{
    const auto before = scratch.TempFiles();
    for (const TRect& r : {kSentinel, TRect{5, 5, 5, 9}, TRect{5, 5, 9, 5}, TRect{50, 0, 60, 10}, TRect{9, 9, 4, 4}})
        EXPECT_FALSE(Draw(r, 5));
    EXPECT_EQ(stack.Count(), 0);
    EXPECT_EQ(scratch.TempFiles(), before);
}

TEST_F(GStatesTest, PushAfterUndoDiscardsTheRedoStatesAndTheirFiles)
{
    Draw({0, 0, 10, 10}, 1);
    Draw({0, 0, 10, 10}, 2);
    Draw({0, 0, 10, 10}, 3);
    const std::string undone = stack.GetState(2).Strokes().FileName();
    stack.Undo(feature, dest);
    stack.GetState(2).Compress();
    const std::string swapped = stack.GetState(2).BeforeDest().FileName();
    ASSERT_TRUE(fs::exists(undone) && fs::exists(swapped));
    Draw({0, 0, 10, 10}, 4);
    EXPECT_EQ(stack.Count(), 3);
    EXPECT_EQ(stack.Current(), 3);
    EXPECT_FALSE(fs::exists(undone));
    EXPECT_FALSE(fs::exists(swapped));
}

TEST_F(GStatesTest, IdleSwappingKeepsTheThreeNewestInMemory)
{
    for (uint32_t i = 0; i < 3; ++i) Draw({0, 0, 10, 10}, i);
    stack.CompressOne();
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(stack.GetState(i).IsCompressed());

    for (uint32_t i = 3; i < 5; ++i) Draw({0, 0, 10, 10}, i);
    for (int i = 0; i < 4; ++i) stack.CompressOne();
    EXPECT_TRUE(stack.GetState(0).IsCompressed());
    EXPECT_TRUE(stack.GetState(1).IsCompressed());
    for (int i = 2; i < 5; ++i) EXPECT_FALSE(stack.GetState(i).IsCompressed());
    EXPECT_EQ(stack.MemorySize(), 3 * 2 * (10 * 10 * 4 + 54));
}

TEST_F(GStatesTest, IdleSwappingMayTakeTheFirstRedoStateOnly)
{
    for (uint32_t i = 0; i < 6; ++i) Draw({0, 0, 10, 10}, i);
    const TBitmap32 f6 = feature, d6 = dest;
    for (int i = 0; i < 5; ++i) stack.Undo(feature, dest);
    ASSERT_EQ(stack.Current(), 1);
    for (int i = 0; i < 6; ++i) stack.CompressOne();
    EXPECT_TRUE(stack.GetState(0).IsCompressed());
    EXPECT_TRUE(stack.GetState(1).IsCompressed());
    EXPECT_FALSE(stack.GetState(2).IsCompressed());

    // Swapped states come back as they went, alpha included.
    for (int i = 0; i < 5; ++i) stack.Redo(feature, dest);
    ExpectImages(f6, d6);
}

TEST_F(GStatesTest, ALostSwapFileLeavesImagesAndPositionAsTheyWere)
{
    Draw({0, 0, 10, 10}, 1);
    Draw({5, 5, 15, 15}, 2);
    stack.GetState(1).Compress();
    fs::remove(stack.GetState(1).BeforeFeature().FileName());
    const TBitmap32 f = feature, d = dest;
    EXPECT_THROW(stack.Undo(feature, dest), EngineError);
    EXPECT_EQ(stack.Current(), 2);
    ExpectImages(f, d);
    EXPECT_FALSE(stack.Busy());
}

namespace {

// Ways a swap file stops holding what was written to it while the program
// runs, with the reason the failure must give.
struct TSwapFileDamage {
    const char* What;
    void (*Damage)(const std::string& file);
    const char* Reason;
};

const TSwapFileDamage SwapFileDamages[] = {
    {"removed", [](const std::string& f) { fs::remove(f); }, "No such file or directory"},
    {"cut short", [](const std::string& f) { fs::resize_file(f, fs::file_size(f) / 2); },
     "File shorter than the bitmap written to it"},
    {"zeroed", [](const std::string& f) {
         const auto size = fs::file_size(f);
         fs::resize_file(f, 0);
         fs::resize_file(f, size);
     },
     "Invalid BMP image"},
    // 5 x 20 pixels take the bytes of the 10 x 10 written.
    {"another picture", [](const std::string& f) {
         TFileStream file(f, TFileStream::Mode::Create);
         TBitmap32(5, 20).SaveToStream(file);
         file.Close();
     },
     "File does not hold the bitmap written to it"},
};

} // namespace

// A step on disk whose file cannot be read back fails undo and redo with the
// file's name and the reason, and changes nothing: the images, the position
// and the strokes counted stay as they were. A damaged file used to fail
// with the bitmap reader's text alone, which names no file.
TEST_F(GStatesTest, UndoAndRedoOfAStepWhoseSwapFileIsDamagedNameItAndChangeNothing)
{
    for (const TSwapFileDamage& damage : SwapFileDamages) {
        for (const bool redo : {false, true}) {
            for (const bool destFile : {false, true}) {
                SCOPED_TRACE(std::string(damage.What) + (redo ? ", redo" : ", undo") +
                             (destFile ? ", destination" : ", feature map"));
                ASSERT_TRUE(Draw({10, 10, 20, 20}, 7, 2));
                if (redo) stack.Undo(feature, dest);
                TGState& state = stack.GetState(stack.Count() - 1);
                state.Compress();
                const std::string file = (destFile ? state.BeforeDest() : state.BeforeFeature()).FileName();
                damage.Damage(file);
                const TBitmap32 f = feature, d = dest;
                const int32_t current = stack.Current();
                const int64_t strokes = stack.TotalStrokeCount();
                try {
                    redo ? stack.Redo(feature, dest) : stack.Undo(feature, dest);
                    ADD_FAILURE() << "no error";
                } catch (const EngineError& e) {
                    EXPECT_NE(std::string(e.what()).find("\"" + file + "\""), std::string::npos) << e.what();
                    EXPECT_NE(std::string(e.what()).find(damage.Reason), std::string::npos) << e.what();
                }
                ExpectImages(f, d);
                EXPECT_EQ(stack.Current(), current);
                EXPECT_EQ(stack.TotalStrokeCount(), strokes);
                EXPECT_FALSE(stack.Busy());
            }
        }
    }
}

// Rolling back to a snapshot takes several steps; one that cannot be read
// back must not leave the ones above it undone. It used to stop halfway,
// with a picture and a position that no single undo had made.
TEST_F(GStatesTest, UndoToLastSnapshotThatCannotReadAStepChangesNothing)
{
    struct TCase {
        int32_t Marked;  // -1: none, the roll-back goes to the bottom
        int32_t Lost;    // the lowest step it undoes
    };
    for (const TCase c : {TCase{1, 2}, TCase{-1, 0}}) {
        SCOPED_TRACE(c.Marked);
        TGStates fresh;
        for (uint32_t i = 0; i < 5; ++i) {
            auto state = std::make_unique<TGState>(feature, dest);
            const TBitmap32 paint = NoiseBitmap(W, H, 20 + i);
            for (int32_t y = 0; y < 10; ++y)
                for (int32_t x = 0; x < 10; ++x) dest.Pixel(int32_t(i) * 5 + x, y) = paint.Pixel(x, y);
            state->Strokes().AddStroke(Stroke(int32_t(i)));
            ASSERT_TRUE(fresh.CloseState(std::move(state), {int32_t(i) * 5, 0, int32_t(i) * 5 + 10, 10}));
            if (int32_t(i) == c.Marked) fresh.TakeSnapshot();
        }
        fresh.GetState(c.Lost).Compress();
        fs::remove(fresh.GetState(c.Lost).BeforeDest().FileName());
        const TBitmap32 f = feature, d = dest;
        EXPECT_THROW(fresh.UndoToLastSnapshot(feature, dest), EngineError);
        ExpectImages(f, d);
        EXPECT_EQ(fresh.Current(), 5);
        EXPECT_EQ(fresh.TotalStrokeCount(), 5);
        EXPECT_FALSE(fresh.Busy());
    }
}

// Swapping is done while idle and only saves memory: when no swap file can
// be written (tmp/ deleted, a full disk) the step stays in memory with every
// pixel, and the swap is not tried again at every idle turn (each try took a
// new name and wrote the whole list of names again) but with the next step.
TEST_F(GStatesTest, IdleSwappingThatCannotWriteKeepsTheStepsAndWaitsForTheNextStep)
{
    struct TCase {
        const char* What;
        std::function<std::shared_ptr<void>(const std::string& folder)> Break;
    };
    const TCase cases[] = {
        {"tmp/ deleted",
         [](const std::string& folder) {
             fs::remove_all(folder + "tmp");
             return std::shared_ptr<void>(nullptr, [folder](void*) { fs::create_directory(folder + "tmp"); });
         }},
        // Room for the list of names, not for a whole picture.
        {"a full disk", [](const std::string&) { return std::make_shared<FileSizeLimit>(2000); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TGStates fresh;
        const TBitmap32 f0 = feature, d0 = dest;
        std::vector<std::pair<TBitmap32, TBitmap32>> after;
        for (uint32_t i = 0; i < 5; ++i) {
            auto state = std::make_unique<TGState>(feature, dest);
            const TBitmap32 paint = NoiseBitmap(W, H, 30 + i);
            for (int32_t y = 0; y < H; ++y)
                for (int32_t x = 0; x < W; ++x) {
                    feature.Pixel(x, y) = paint.Pixel(x, y);
                    dest.Pixel(x, y) = ~paint.Pixel(x, y);
                }
            ASSERT_TRUE(fresh.CloseState(std::move(state), {0, 0, W, H}));
            after.emplace_back(feature, dest);
        }
        size_t names = 0;
        {
            const auto broken = c.Break(scratch.Folder());
            EXPECT_THROW(fresh.CompressOne(), EngineError);
            names = scratch.Manager().Files().size();
            for (int i = 0; i < 20; ++i) EXPECT_NO_THROW(fresh.CompressOne());
            EXPECT_EQ(scratch.Manager().Files().size(), names);
        }
        for (int32_t i = 0; i < fresh.Count(); ++i) EXPECT_FALSE(fresh.GetState(i).IsCompressed());
        EXPECT_EQ(fresh.MemorySize(), 5 * 2 * (W * H * 4 + 54));
        EXPECT_EQ(scratch.Manager().Files().size(), names);

        // Every step still undoes and redoes to the pixel.
        for (int i = 4; i > 0; --i) {
            fresh.Undo(feature, dest);
            ExpectImages(after[size_t(i) - 1].first, after[size_t(i) - 1].second);
        }
        fresh.Undo(feature, dest);
        ExpectImages(f0, d0);
        for (int i = 0; i < 5; ++i) fresh.Redo(feature, dest);
        ExpectImages(after[4].first, after[4].second);

        // With the next step the swapping goes on.
        auto state = std::make_unique<TGState>(feature, dest);
        dest.Pixel(0, 0) = clBlack32;
        ASSERT_TRUE(fresh.CloseState(std::move(state), {0, 0, 1, 1}));
        fresh.CompressOne();
        EXPECT_TRUE(fresh.GetState(0).IsCompressed());
    }
}

TEST_F(GStatesTest, NothingIsSwappedWhileAnOperationWorks)
{
    for (uint32_t i = 0; i < 5; ++i) Draw({0, 0, 10, 10}, i);
    bool busyInside = false;
    dest.OnChange = [&] {
        busyInside = stack.Busy();
        stack.CompressOne();
    };
    stack.Undo(feature, dest);
    dest.OnChange = nullptr;
    EXPECT_TRUE(busyInside);
    EXPECT_FALSE(stack.Busy());
    EXPECT_FALSE(stack.GetState(0).IsCompressed());
}

namespace {

size_t OpenFileCount()
{
    return size_t(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// Lowers the soft limit of open files for one test and puts it back.
class TFileLimit {
public:
    explicit TFileLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = limit;
        setrlimit(RLIMIT_NOFILE, &low);
    }
    ~TFileLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }

private:
    rlimit saved_{};
};

} // namespace

// Desktop sessions often allow 1024 open files: a long history must not
// hold one per step.
TEST_F(GStatesTest, ALongHistoryHoldsNoOpenFilePerStep)
{
    const size_t before = OpenFileCount();
    {
        TFileLimit limit(before + 24);
        for (uint32_t i = 0; i < 100; ++i) ASSERT_TRUE(Draw({0, 0, 4, 4}, i, 2)) << "step " << i;
        EXPECT_LE(OpenFileCount(), before + 1);
        int64_t replayed = 0;
        TStrokeRecord s;
        for (int32_t i = 0; i < stack.Count(); ++i) {
            TStrokes& strokes = stack.GetState(i).Strokes();
            strokes.Rewind();
            while (strokes.ReadStroke(s)) ++replayed;
        }
        EXPECT_EQ(replayed, 200);
        TMemoryStream m;
        stack.SaveToStream(m);
        auto read = ReadBack(m);
        EXPECT_EQ(read->TotalStrokeCount(), 200);
    }
    EXPECT_LE(OpenFileCount(), before + 1);
}

TEST(BusyFlag, NestedGuardsClearOnlyWithTheOutermost)
{
    TBusyFlag flag;
    {
        TBusyGuard outer(flag);
        { TBusyGuard inner(flag); }
        EXPECT_TRUE(flag.IsSet());
    }
    EXPECT_FALSE(flag.IsSet());
}

TEST_F(GStatesTest, UndoToLastSnapshotStopsOnTheMarkedState)
{
    for (uint32_t i = 0; i < 4; ++i) {
        Draw({int32_t(i) * 5, 0, int32_t(i) * 5 + 10, 10}, i + 1);
        if (i == 1) stack.TakeSnapshot();
    }
    EXPECT_TRUE(stack.GetState(1).Marked());
    int changes = 0;
    dest.OnChange = [&] { ++changes; };
    EXPECT_TRUE(stack.UndoToLastSnapshot(feature, dest));
    EXPECT_EQ(stack.Current(), 2);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(stack.CanTakeSnapshot());  // the top is marked
    EXPECT_TRUE(stack.CanUndoToLastSnapshot());
}

TEST_F(GStatesTest, UndoToLastSnapshotWithoutMarksClearsToWhiteLikeUndo)
{
    EXPECT_FALSE(stack.UndoToLastSnapshot(feature, dest));
    EXPECT_FALSE(stack.CanUndoToLastSnapshot());
    EXPECT_FALSE(stack.CanTakeSnapshot());
    Draw({0, 0, 10, 10}, 1);
    Draw({5, 5, 30, 20}, 2);
    EXPECT_TRUE(stack.CanTakeSnapshot());
    EXPECT_TRUE(stack.UndoToLastSnapshot(feature, dest));
    EXPECT_EQ(stack.Current(), 0);
    EXPECT_TRUE(SameBitmaps(dest, TBitmap32(W, H, clWhite32)));
}

TEST_F(GStatesTest, UndoOfACompactedStateLeavesWhiteAndRedoBringsTheDrawingBack)
{
    Draw({0, 0, 10, 10}, 1);
    Draw({5, 5, 30, 20}, 2, 3);
    const TBitmap32 f = feature, d = dest;
    // What compacting does: one state over the images as they are now,
    // holding every applied stroke.
    auto merged = std::make_unique<TGState>(feature, dest);
    for (int i = 0; i < stack.StateCount(); ++i) merged->Strokes().AppendFrom(stack.GetState(i).Strokes());
    merged->FinishWhole();
    TGStates compacted;
    compacted.Push(std::move(merged));
    EXPECT_EQ(compacted.TotalStrokeCount(), 4);

    compacted.UndoStep(feature, dest);
    EXPECT_TRUE(SameBitmaps(dest, TBitmap32(W, H, clWhite32)));
    EXPECT_TRUE(SameBitmaps(feature, f));
    compacted.Redo(feature, dest);
    ExpectImages(f, d);
}

TEST_F(GStatesTest, CountsCoverAppliedStatesAndMemoryAllStates)
{
    Draw({0, 0, 10, 10}, 1, 2);
    Draw({0, 0, 20, 10}, 2, 5);
    stack.Undo(feature, dest);
    EXPECT_EQ(stack.StateCount(), 1);
    EXPECT_EQ(stack.TotalStrokeCount(), 2);
    EXPECT_EQ(stack.MemorySize(), 2 * (400 + 54) + 2 * (800 + 54));
    EXPECT_EQ(stack.MemoryText(), "2.5547 Kb");
    stack.DropTop();
    EXPECT_EQ(stack.Current(), 0);
    stack.DropTop();
    EXPECT_EQ(stack.Current(), 0);
    EXPECT_THROW(stack.SetCurrent(3), EngineError);
    EXPECT_THROW(stack.GetState(2), EngineError);
}

// --- The project block ----------------------------------------------------------

TEST_F(GStatesTest, ProjectBlockRoundTripsRedoStatesMarksAndStrokes)
{
    Draw({1, 2, 11, 12}, 1, 2);
    stack.TakeSnapshot();
    Draw({0, 0, W, H}, 2, 3);
    Draw({3, 4, 5, 6}, 3, 1);
    const TBitmap32 fTop = feature, dTop = dest;
    stack.GetState(0).Compress();
    stack.Undo(feature, dest);

    TMemoryStream m;
    stack.SaveToStream(m);
    m.SetPosition(0);
    EXPECT_EQ(m.ReadInt32(), 2);  // Current
    EXPECT_EQ(m.ReadInt32(), 3);  // N, redo state included
    EXPECT_EQ(m.ReadUInt8(), 1);  // Marked
    EXPECT_EQ(m.ReadUInt8(), 1);  // Finished
    EXPECT_EQ(m.ReadInt32(), 1);
    EXPECT_EQ(m.ReadInt32(), 2);
    EXPECT_EQ(m.ReadInt32(), 11);
    EXPECT_EQ(m.ReadInt32(), 12);
    EXPECT_EQ(m.ReadUInt16(), 0x4D42);  // the feature map's before-image, a whole BMP
    EXPECT_FALSE(stack.GetState(0).IsCompressed());  // brought back to be saved

    auto read = ReadBack(m);
    EXPECT_EQ(m.Position(), m.Size());
    EXPECT_EQ(read->Count(), 3);
    EXPECT_EQ(read->Current(), 2);
    EXPECT_TRUE(read->GetState(0).Marked());
    EXPECT_FALSE(read->GetState(1).Marked());
    EXPECT_EQ(read->GetState(2).Rect(), (TRect{3, 4, 5, 6}));
    EXPECT_EQ(read->TotalStrokeCount(), 5);
    EXPECT_FALSE(read->RenderNeeded());

    // The history read back undoes and redoes like the one written.
    read->Redo(feature, dest);
    ExpectImages(fTop, dTop);
    read->Undo(feature, dest);
    read->Undo(feature, dest);
    read->Undo(feature, dest);
    EXPECT_TRUE(SameBitmaps(feature, NoiseBitmap(W, H, 1)));
    EXPECT_TRUE(SameBitmaps(dest, NoiseBitmap(W, H, 2)));
}

TEST_F(GStatesTest, RenderIsNeededWhenMoreThanOnePercentWasDropped)
{
    auto stackWith = [](int repeats) {
        TMemoryStream m;
        m.WriteInt32(1);
        m.WriteInt32(1);
        m.WriteUInt8(0);
        m.WriteUInt8(1);
        for (int32_t v : {0, 0, 2, 2}) m.WriteInt32(v);
        TBitmap32(2, 2).SaveToStream(m);
        TBitmap32(2, 2).SaveToStream(m);
        std::vector<int32_t> seeds;
        for (int32_t i = 0; i < 150; ++i) seeds.push_back(i);
        for (int i = 0; i < repeats; ++i) seeds.push_back(149);
        WriteBlock(m, seeds);
        m.SetPosition(0);
        return TGStates::CreateFromStream(m, W, H);
    };
    auto two = stackWith(2);
    EXPECT_EQ(two->TotalStrokeCount(), 150);
    EXPECT_EQ(two->GetState(0).DroppedCount(), 2);
    EXPECT_TRUE(two->RenderNeeded());  // 2 > 1.5
    EXPECT_FALSE(stackWith(1)->RenderNeeded());
}

TEST_F(GStatesTest, MalformedBlocksFailBeforeAnythingIsLeft)
{
    Draw({1, 2, 11, 12}, 1, 2);
    Draw({0, 0, W, H}, 2, 1);
    TMemoryStream good;
    stack.SaveToStream(good);
    const int64_t firstImage = 26, secondImage = firstImage + 54 + 10 * 10 * 4;

    auto expectInvalid = [&](int64_t at, int32_t value, const char* what, bool asByte = false) {
        TMemoryStream m(good.Bytes());
        m.SetPosition(at);
        asByte ? m.WriteUInt8(uint8_t(value)) : m.WriteInt32(value);
        const auto before = scratch.TempFiles();
        EXPECT_THROW(ReadBack(m), EngineError) << what;
        EXPECT_EQ(scratch.TempFiles(), before) << what;
    };
    expectInvalid(0, 3, "current above N");
    expectInvalid(0, -1, "negative current");
    expectInvalid(4, -1, "negative N");
    expectInvalid(4, 0x7FFFFFFF, "N past the bytes");
    expectInvalid(10, -1, "rectangle left of the picture");
    expectInvalid(18, W + 1, "rectangle right of the picture");
    expectInvalid(18, 1, "empty rectangle");
    expectInvalid(22, 13, "image smaller than its rectangle");
    expectInvalid(9, 0, "open state that is not the whole picture", true);
    expectInvalid(firstImage + 18, 9, "feature image of the wrong width");
    expectInvalid(secondImage + 22, 9, "destination image of the wrong height");

    TMemoryStream cut(good.Bytes());
    cut.SetSize(good.Size() - 3);  // inside the last stroke block
    const auto before = scratch.TempFiles();
    EXPECT_THROW(ReadBack(cut), EngineError);
    EXPECT_EQ(scratch.TempFiles(), before);

    TMemoryStream wrongPicture(good.Bytes());
    EXPECT_THROW(TGStates::CreateFromStream(wrongPicture, W - 1, H), EngineError);
}
