// A stroke record whose outline count was changed in its temporary file so
// that it swallows the eight records after it and still ends inside the
// file: the project save and the purge used to replay the list to the end of
// its bytes and go on with eight strokes fewer, without a word.
#include "DomainFixture.h"

#include "common/StrokeFileDamage.h"
#include "engine/GStates.h"
#include "engine/Strokes.h"
#include "gfx/Errors.h"
#include "gfx/Random.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace domaintest;
using C = TCommandId;

namespace {

class DamagedRecordTest : public DomainFixture {
protected:
    void SetUp() override
    {
        DomainFixture::SetUp();
        Start(3, 0, 1);
    }

    // A new picture, and the same strokes on it every time.
    void NewDrawing()
    {
        LoadPicture(160, 120);
        RandSeed = 11;
    }

    TDualImage& Doc() { return *domain->Document(); }

    // One undo step; the walk over the picture places a stroke at each of
    // these points.
    void Step(int points)
    {
        Doc().BeginState();
        for (int i = 0; i < points; ++i) Doc().PlaceStrokeAt(20 + (i * 37) % 120, 20 + (i * 23) % 80);
        Doc().EndState();
    }

    // The first record of the document now swallows the next eight.
    std::string DamageFirstRecord()
    {
        const std::string tsk = Doc().States().GetState(0).Strokes().FileName();
        TStrokeFileDamage file(tsk);
        EXPECT_GE(file.Records(), 10);
        file.AddToRightCount(0, file.SwallowingRaise(0, 8));
        return "Cannot read file \"" + tsk + "\". Damaged stroke record";
    }

    static std::string Bytes(const std::string& fileName)
    {
        std::ifstream in(fileName, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void ExpectOneError(const std::string& caption, const std::string& text)
    {
        ASSERT_EQ(ui.Messages.size(), 1u);
        EXPECT_EQ(ui.Messages[0].Caption, caption);
        EXPECT_EQ(ui.Messages[0].Text, text);
        EXPECT_EQ(ui.Messages[0].Kind, TMessageKind::Error);
    }
};

} // namespace

// Save Project As over an earlier project, with the history in one step
// (the project writer meets the damage) or two (the merge before it does):
// it stops with the list's message, the earlier project stays byte for byte,
// and the drawing still counts as unsaved under its old name.
TEST_F(DamagedRecordTest, SaveProjectAsStopsAndKeepsTheEarlierProject)
{
    const std::string project = folder + "drawing.ovk";
    for (int steps : {1, 2}) {
        SCOPED_TRACE(std::to_string(steps) + " steps");
        NewDrawing();
        Step(60 / steps);
        ui.SaveProjectNames = {project};
        domain->Execute(C::SaveProjectAs);
        ASSERT_FALSE(Doc().Modified);
        const std::string earlier = Bytes(project);
        if (steps == 2) {
            Step(30);
        } else {
            domain->Execute(C::Undo);
            domain->Execute(C::Redo);
        }
        ASSERT_EQ(Doc().StrokeCount(), 60);
        ASSERT_EQ(Doc().StateCount(), steps);
        ASSERT_TRUE(Doc().Modified);
        Doc().FileName = folder + "kept.ovk";
        const std::string message = DamageFirstRecord();
        ui.Messages.clear();
        ui.SaveProjectNames = {project};
        EXPECT_THROW(domain->Execute(C::SaveProjectAs), SilentAbort);
        ExpectOneError("Error saving project", message);
        EXPECT_EQ(Bytes(project), earlier);
        EXPECT_TRUE(Doc().Modified);
        EXPECT_EQ(Doc().FileName, folder + "kept.ovk");
        EXPECT_EQ(Doc().StateCount(), steps);
        EXPECT_EQ(Doc().StrokeCount(), 60);
    }
}

// Purge with two undo steps: it stops with its caption and the list's
// message; the steps, their records and the position in the history stay.
TEST_F(DamagedRecordTest, PurgeStopsAndKeepsTheHistory)
{
    NewDrawing();
    Step(30);
    Step(30);
    ASSERT_EQ(Doc().StrokeCount(), 60);
    const std::string message = DamageFirstRecord();
    TGStates& states = Doc().States();
    const std::vector<std::string> lists = {states.GetState(0).Strokes().FileName(),
                                            states.GetState(1).Strokes().FileName()};
    const std::vector<std::string> records = {Bytes(lists[0]), Bytes(lists[1])};
    ui.Messages.clear();
    EXPECT_THROW(domain->Execute(C::Purge), SilentAbort);
    ExpectOneError("Error purging the undo history", message);
    ASSERT_EQ(&Doc().States(), &states);
    EXPECT_EQ(states.Count(), 2);
    EXPECT_EQ(states.Current(), 2);
    EXPECT_EQ(Doc().StrokeCount(), 60);
    for (size_t i = 0; i < lists.size(); ++i) {
        EXPECT_EQ(states.GetState(int32_t(i)).Strokes().FileName(), lists[i]);
        EXPECT_EQ(Bytes(lists[i]), records[i]);
    }
    EXPECT_TRUE(domain->Document()->CanUndo());
}

// Save at different size draws every stroke again into a bitmap of its own:
// it stops with the list's message before a file is written, and the picture
// on screen stays as it was.
TEST_F(DamagedRecordTest, SaveAtDifferentSizeWritesNothing)
{
    NewDrawing();
    Step(60);
    const std::string message = DamageFirstRecord();
    const TBitmap32 shown = Doc().Destination();
    const std::string result = folder + "large.bmp";
    ui.ImageSizeAnswers = {TImageSizeAnswer{320, 240, 300.0}};
    ui.SaveImageNames = {result};
    ui.Messages.clear();
    EXPECT_THROW(domain->Execute(C::RenderAll), SilentAbort);
    ExpectOneError("Error saving image", message);
    EXPECT_FALSE(std::filesystem::exists(result));
    EXPECT_TRUE(std::equal(shown.Bits(), shown.Bits() + 160 * 120, Doc().Destination().Bits()));
    EXPECT_TRUE(Doc().Modified);
}
