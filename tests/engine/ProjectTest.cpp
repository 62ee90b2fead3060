// Projects written and read back, the history merged before a save,
// strokes replayed at other sizes, and damaged project files.
#include "engine/DualImage.h"

#include "SmallDrawing.h"
#include "common/StrokeFileDamage.h"
#include "engine/GStates.h"
#include "engine/Progress.h"
#include "engine/Strokes.h"
#include "engine/Styles.h"
#include "gfx/Errors.h"
#include "gfx/ImageView.h"
#include "gfx/Random.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

namespace {

class ProjectTest : public ::testing::Test, protected TSmallDrawing {
protected:
    std::vector<TStrokeRecord> Strokes(TDualImage& d)
    {
        std::vector<TStrokeRecord> out;
        TStrokeRecord r;
        for (int32_t i = 0; i < d.StateCount(); ++i) {
            TStrokes& s = d.States().GetState(i).Strokes();
            s.Rewind();
            while (s.ReadStroke(r)) out.push_back(r);
        }
        return out;
    }

    TMemoryStream Saved()
    {
        TMemoryStream stream;
        doc->Compact();
        doc->SaveToStream(stream);
        stream.SetPosition(0);
        return stream;
    }
};

// Every start of the progress window with its caption, and what it was told.
class RecordingProgress : public IProgress {
public:
    RecordingProgress() { SetProgress(this); }
    ~RecordingProgress() override { SetProgress(nullptr); }
    std::vector<std::string> starts;
    std::vector<int> positions;
    int steps = 0, finishes = 0;
    void Start(int min, int max) override
    {
        starts.push_back(WaitText + " " + std::to_string(min) + ".." + std::to_string(max));
    }
    void Step() override { ++steps; }
    void SetPosition(int p) override { positions.push_back(p); }
    void Finish() override { ++finishes; }
};

} // namespace

TEST_F(ProjectTest, LayoutIsThreeBitmapsThenTheUndoBlock)
{
    Step(40);
    TMemoryStream stream = Saved();
    const int64_t bmp = 54 + 80 * 60 * 4;
    const auto& bytes = stream.Bytes();
    ASSERT_GT(int64_t(bytes.size()), 3 * bmp + 8);
    for (int64_t at : {int64_t(0), bmp, 2 * bmp}) {
        EXPECT_EQ(bytes[at], 'B');
        EXPECT_EQ(bytes[at + 1], 'M');
    }
    stream.SetPosition(3 * bmp);
    EXPECT_EQ(stream.ReadInt32(), 1); // Current
    EXPECT_EQ(stream.ReadInt32(), 1); // N
}

TEST_F(ProjectTest, RoundTripKeepsImagesStrokesAndHistory)
{
    Step(60);
    Step(60);
    Step(60);
    const auto strokes = Strokes(*doc);
    TMemoryStream stream = Saved();
    // Saving merged the three steps into one holding their strokes in order.
    ASSERT_EQ(doc->StateCount(), 1);
    EXPECT_EQ(Strokes(*doc), strokes);

    OtherViews views;
    auto read = TDualImage::CreateFromStream(stream, views.sourceView, views.destView, 1.0f);
    EXPECT_TRUE(SameBitmaps(views.source, source));
    EXPECT_TRUE(SameBitmaps(views.dest, dest));
    EXPECT_TRUE(SameBitmaps(read->FeatureMap(), doc->FeatureMap()));
    EXPECT_EQ(Strokes(*read), strokes);
    EXPECT_FALSE(read->NeedsRender());
    EXPECT_EQ(read->GradientFrom(), clBlack32);
    EXPECT_EQ(read->GradientTo(), 0u);
    EXPECT_EQ(read->ColorMode(), cmAuto);

    // Replaying the records draws the stored result again.
    const TBitmap32 stored = views.dest;
    read->Rerender();
    EXPECT_TRUE(SameBitmaps(views.dest, stored));

    // The history still works: undo of the merged step leaves white, redo the drawing.
    read->Undo();
    EXPECT_TRUE(SameBitmaps(views.dest, TBitmap32(80, 60, clWhite32)));
    read->Redo();
    EXPECT_TRUE(SameBitmaps(views.dest, stored));
}

TEST_F(ProjectTest, OneStepIsSavedAsItIsRedoStatesIncluded)
{
    Step(30);
    Step(30);
    doc->Undo();
    ASSERT_EQ(doc->StateCount(), 1);
    ASSERT_TRUE(doc->CanRedo());
    TMemoryStream stream = Saved();
    OtherViews views;
    auto read = TDualImage::CreateFromStream(stream, views.sourceView, views.destView, 1.0f);
    EXPECT_EQ(read->StateCount(), 1);
    EXPECT_TRUE(read->CanRedo());
}

TEST_F(ProjectTest, RenderAllAtTwiceTheSize)
{
    Step(80);
    TBitmap32 once(80, 60, clWhite32), twice(160, 120, clWhite32);
    doc->RenderAll(once, 1.0);
    doc->RenderAll(twice, 2.0);
    EXPECT_TRUE(SameBitmaps(once, dest));
    // Each pixel's ink at 1x shows again at its doubled place.
    int agree = 0, total = 0;
    for (int32_t y = 1; y < 59; ++y) {
        for (int32_t x = 1; x < 79; ++x) {
            const bool ink1 = once.Pixel(x, y) != clWhite32;
            const bool ink2 = twice.Pixel(2 * x, 2 * y) != clWhite32;
            agree += ink1 == ink2;
            ++total;
        }
    }
    EXPECT_GT(agree, total * 9 / 10);
}

TEST_F(ProjectTest, NoStrokesRenderNothing)
{
    TBitmap32 target(80, 60, clWhite32);
    doc->RenderAll(target, 1.0);
    EXPECT_TRUE(SameBitmaps(target, TBitmap32(80, 60, clWhite32)));
    doc->Compact();
    EXPECT_EQ(doc->StateCount(), 0);
}

TEST_F(ProjectTest, DamagedProjectsRaiseAndLeaveTheViewsAlone)
{
    Step(50);
    Step(50);
    TMemoryStream stream = Saved();
    const std::vector<uint8_t> good = stream.Bytes();
    OtherViews views;
    views.source = TBitmap32(3, 3, clRed32);
    const int64_t bmp = 54 + 80 * 60 * 4;
    // Cut anywhere: inside each bitmap, inside the undo block, inside the strokes.
    for (int64_t cut : {int64_t(10), int64_t(60), bmp + 10, 2 * bmp + 100, 3 * bmp + 2, 3 * bmp + 6,
                        3 * bmp + 40, int64_t(good.size()) - 3}) {
        TMemoryStream damaged(std::vector<uint8_t>(good.begin(), good.begin() + cut));
        EXPECT_THROW(TDualImage::CreateFromStream(damaged, views.sourceView, views.destView, 1.0f), EngineError)
            << "cut at " << cut;
        EXPECT_EQ(views.source.Width(), 3);
    }
    // A crafted state count far beyond the bytes.
    std::vector<uint8_t> crafted = good;
    crafted[3 * bmp + 4] = 0xFF;
    crafted[3 * bmp + 5] = 0xFF;
    crafted[3 * bmp + 6] = 0xFF;
    crafted[3 * bmp + 7] = 0x7F;
    TMemoryStream craftedStream(crafted);
    EXPECT_THROW(TDualImage::CreateFromStream(craftedStream, views.sourceView, views.destView, 1.0f), EngineError);
    // Bitmaps of different sizes.
    TMemoryStream mixed;
    TBitmap32(80, 60).SaveToStream(mixed);
    TBitmap32(80, 61).SaveToStream(mixed);
    TBitmap32(80, 60).SaveToStream(mixed);
    mixed.WriteInt32(0);
    mixed.WriteInt32(0);
    mixed.SetPosition(0);
    EXPECT_THROW(TDualImage::CreateFromStream(mixed, views.sourceView, views.destView, 1.0f), EngineError);
    EXPECT_EQ(views.source.Width(), 3);
}

TEST_F(ProjectTest, ExportLeavesTheModifiedMarkAlone)
{
    Step(20);
    ASSERT_TRUE(doc->Modified);
    doc->ExportPostScript(temp.Folder() + "drawing.ps");
    EXPECT_TRUE(doc->Modified);
}

TEST_F(ProjectTest, LongOperationsShowTheirCaptionsAndRanges)
{
    Step(30);
    Step(30);
    Step(30);
    {
        RecordingProgress progress;
        doc->Compact();
        EXPECT_EQ(progress.starts, std::vector<std::string>{"Compacting information... 0..3"});
        EXPECT_EQ(progress.steps, 3);
        EXPECT_EQ(progress.finishes, 1);
    }
    {
        RecordingProgress progress;
        const int64_t total = doc->StrokeCount();
        ASSERT_GT(total, 20);
        TBitmap32 target(80, 60, clWhite32);
        doc->RenderAll(target, 1.0);
        EXPECT_EQ(progress.starts, std::vector<std::string>{"Rendering Image... 0..100"});
        // Every tenth stroke, from the first.
        std::vector<int> expected;
        for (int64_t k = 0; k < total; k += 10) expected.push_back(int(std::nearbyint(k * 100.0 / total)));
        EXPECT_EQ(progress.positions, expected);
    }
    TMemoryStream stream;
    {
        RecordingProgress progress;
        doc->SaveToStream(stream);
        ASSERT_FALSE(progress.starts.empty());
        EXPECT_EQ(progress.starts.front(), "Saving Project... 0..100");
        EXPECT_EQ(progress.finishes, int(progress.starts.size()));
    }
    {
        RecordingProgress progress;
        stream.SetPosition(0);
        OtherViews views;
        TDualImage::CreateFromStream(stream, views.sourceView, views.destView, 1.0f);
        ASSERT_FALSE(progress.starts.empty()); // the stroke lists nest ranges of their own
        EXPECT_EQ(progress.starts.front(), "Please wait... 0..100");
        EXPECT_EQ(progress.finishes, int(progress.starts.size()));
    }
    {
        RecordingProgress progress;
        doc->ExportPostScript(temp.Folder() + "drawing.ps");
        EXPECT_EQ(progress.starts, std::vector<std::string>{"Converting to vectors... 0..100"});
        EXPECT_EQ(progress.finishes, 1);
    }
}

// A project whose reading drops more than 1 % of the strokes asks for the
// destination to be drawn again, says so while it does, and is then done.
TEST_F(ProjectTest, DroppedStrokesAskForOneRenderUnderItsOwnCaption)
{
    Step(30);
    TMemoryStream saved = Saved();
    // Find the stroke block of the one state: after the three pictures, the
    // two counts, the state's flags and rectangle and its two before-images.
    const int64_t bmp = 54 + 80 * 60 * 4;
    saved.SetPosition(3 * bmp + 8 + 2 + 16);
    for (int i = 0; i < 2; ++i) {
        const int64_t at = saved.Position();
        saved.SetPosition(at + 2);
        saved.SetPosition(at + saved.ReadInt32()); // the BMP's own file size
    }
    const int64_t countAt = saved.Position();
    const int32_t count = saved.ReadInt32();
    // The same record twice at the end: the repeat is left out on reading.
    saved.SetPosition(saved.Size());
    for (int i = 0; i < 2; ++i) {
        for (int side = 0; side < 2; ++side) {
            saved.WriteInt32(2);
            for (int32_t v : {5, 5, 9, 5}) saved.WriteInt32(v * FixedOne);
        }
        saved.WriteInt32(int32_t(clBlack32));
        saved.WriteUInt8(255);
        saved.WriteInt32(0);
    }
    saved.SetPosition(countAt);
    saved.WriteInt32(count + 2);
    saved.SetPosition(0);

    OtherViews views;
    auto read = TDualImage::CreateFromStream(saved, views.sourceView, views.destView, 1.0f);
    EXPECT_EQ(read->StrokeCount(), count + 1);
    ASSERT_TRUE(read->NeedsRender());
    RecordingProgress progress;
    read->Rerender();
    EXPECT_EQ(progress.starts,
              std::vector<std::string>{"It is necessary to render again the destination image... 0..100"});
    EXPECT_FALSE(read->NeedsRender());
}

namespace {

// Two steps of strokes, an earlier export at the PostScript target, and a
// bitmap to render into.
struct TReplayScene : TSmallDrawing {
    TReplayScene()
    {
        Step(30);
        Step(30);
        std::ofstream(Exported()) << "earlier export";
    }
    std::string Exported() { return temp.Folder() + "drawing.ps"; }
    std::string ExportedBytes()
    {
        std::ifstream in(Exported(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    TBitmap32 target{80, 60, Color32(10, 20, 30)};
    TMemoryStream project;
};

} // namespace

// A stroke list whose file was changed behind its back so that its outline
// counts no longer frame the records written. Every replay of the document
// (drawing, the PostScript export, the project writer, the merge of a save
// or purge) used to stop at the end of the bytes with fewer strokes than the
// history holds, or read what was left over as more; each must fail with the
// list's own message and change nothing it was given.
TEST(DamagedStrokeRecords, EveryReplayFailsWithTheListsMessageAndChangesNothing)
{
    const std::pair<const char*, std::function<void(TStrokeFileDamage&)>> damages[] = {
        {"the first record swallows the next eight and ends inside the file",
         [](TStrokeFileDamage& f) { f.AddToRightCount(0, f.SwallowingRaise(0, 8)); }},
        {"the last record one point short, its last bytes left over",
         [](TStrokeFileDamage& f) { f.AddToRightCount(f.Records() - 1, -1); }},
        {"the first record runs past the end of the file",
         [](TStrokeFileDamage& f) { f.AddToRightCount(0, int32_t(f.Size() / 8)); }},
    };
    // RenderAll draws into a bitmap of the caller's, which a failed save at
    // another size drops; it is left drawn in part.
    const std::pair<const char*, std::function<void(TReplayScene&)>> replays[] = {
        {"RenderAll", [](TReplayScene& s) { s.doc->RenderAll(s.target, 1.0); }},
        {"Rerender", [](TReplayScene& s) { s.doc->Rerender(); }},
        {"ExportPostScript", [](TReplayScene& s) { s.doc->ExportPostScript(s.Exported()); }},
        {"SaveToStream", [](TReplayScene& s) { s.doc->SaveToStream(s.project); }},
        {"Compact", [](TReplayScene& s) { s.doc->Compact(); }},
    };
    for (const auto& [damageName, damage] : damages) {
        for (const auto& [replayName, replay] : replays) {
            SCOPED_TRACE(std::string(replayName) + ", " + damageName);
            TReplayScene s;
            const std::string tsk = s.doc->States().GetState(0).Strokes().FileName();
            TStrokeFileDamage file(tsk);
            ASSERT_GE(file.Records(), 10);
            damage(file);
            const TBitmap32 dest = s.dest;
            const auto tempFiles = s.temp.TempFiles();
            const int64_t strokes = s.doc->StrokeCount();
            try {
                replay(s);
                ADD_FAILURE() << "the replay went on";
            } catch (const EngineError& e) {
                EXPECT_EQ(std::string(e.what()), "Cannot read file \"" + tsk + "\". Damaged stroke record");
            }
            if (std::string(replayName) != "RenderAll") {
                EXPECT_TRUE(SameBitmaps(s.target, TBitmap32(80, 60, Color32(10, 20, 30))));
            }
            EXPECT_TRUE(SameBitmaps(s.dest, dest));
            EXPECT_EQ(s.ExportedBytes(), "earlier export");
            EXPECT_EQ(s.doc->StateCount(), 2);
            EXPECT_EQ(s.doc->StrokeCount(), strokes);
            EXPECT_EQ(s.temp.TempFiles(), tempFiles);
            EXPECT_TRUE(s.doc->Modified);
        }
    }
}
