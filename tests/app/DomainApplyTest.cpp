// The apply run behind its dialog (start, stop, resume, close, the last
// step) and its repetition behind the progress window, and what becomes of
// runs and saves when the stroke files fail.
#include "DomainFixture.h"

#include "BrokenTempFiles.h"
#include "FileTestSupport.h"
#include "engine/GStates.h"
#include "engine/Strokes.h"
#include "gfx/Errors.h"
#include "gfx/Random.h"

#include <gmock/gmock.h>

#include <QAction>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <numeric>
#include <optional>

using namespace domaintest;

namespace {

class DomainApplyTest : public DomainFixture {
protected:
    void SetUp() override
    {
        DomainFixture::SetUp();
        Start(3, 0, 1);
        LoadPicture(160, 120);
        RandSeed = 0;
    }
    fake::TFakeApplyDialog& Dialog() { return ui.Apply; }
    // "Stop / Preview" is clicked once, when the run has recorded `step`.
    void StopOnceAt(int step)
    {
        ui.OnProcessEvents = [this, step, stopped = false]() mutable {
            if (stopped || Dialog().CurrentStep() != step) return;
            stopped = true;
            Dialog().ClickStart();
        };
    }
    // Stroke numbers that the dialog recorded, from..to.
    static std::vector<int> Range(int from, int to)
    {
        std::vector<int> numbers(static_cast<size_t>(to - from + 1));
        std::iota(numbers.begin(), numbers.end(), from);
        return numbers;
    }
};

} // namespace

TEST_F(DomainApplyTest, OneStepPlacesOneStrokeAndClosesTheDialog)
{
    Dialog().Script = [](fake::TFakeApplyDialog& d) {
        d.SetStepsFromSpin(1);
        d.ClickStart();
    };
    domain->Execute(TCommandId::ApplyWithCurrentSettings);
    EXPECT_EQ(Dialog().ShownSteps, std::vector<int>{5000});
    EXPECT_EQ(Dialog().Steps_, std::vector<int>{1});
    EXPECT_TRUE(Dialog().Closed());
    EXPECT_EQ(domain->Document()->StateCount(), 1);
    EXPECT_TRUE(domain->HasApplied());
    EXPECT_FALSE(domain->ApplyRunning());
    EXPECT_EQ(domain->ApplyAllSteps(), 1);
    EXPECT_EQ(ui.Pumps, 1);

    Dialog().Script = [](fake::TFakeApplyDialog& d) { d.ClickClose(); };
    domain->Execute(TCommandId::ApplyWithCurrentSettings);
    EXPECT_EQ(Dialog().ShownSteps.back(), 1);
}

TEST_F(DomainApplyTest, CloseWithoutStartPlacesNothing)
{
    Dialog().Script = [](fake::TFakeApplyDialog& d) { d.ClickClose(); };
    domain->Execute(TCommandId::ApplyWithCurrentSettings);
    EXPECT_EQ(Dialog().Shown, 1);
    EXPECT_TRUE(Dialog().Steps_.empty());
    EXPECT_EQ(domain->Document()->StateCount(), 0);
    EXPECT_FALSE(domain->HasApplied());
    EXPECT_FALSE(domain->Document()->Modified);
    EXPECT_EQ(RandSeed, 0u);
    domain->UpdateAllCommands();
    EXPECT_FALSE(domain->Command(TCommandId::RepeatLastApply)->isEnabled());
}

// Stopped after step 300 of 5000, Start resumes at 300 (placed again under
// that number) as a second undo step, and the next opening shows 5000.
TEST_F(DomainApplyTest, StopAndResumeMakeTwoUndoSteps)
{
    StopOnceAt(300);
    int statesAfterStop = -1, labelAfterStop = -1;
    bool runningAfterStop = true;
    Dialog().Script = [&](fake::TFakeApplyDialog& d) {
        d.ClickStart();
        statesAfterStop = domain->Document()->StateCount();
        labelAfterStop = d.Displays.back().Step;
        runningAfterStop = d.Displays.back().Running;
        EXPECT_EQ(domain->ApplyStartStep(), 300);
        EXPECT_EQ(domain->ApplyAllSteps(), 300);
        d.ClickStart();
    };
    domain->Execute(TCommandId::ApplyWithCurrentSettings);
    EXPECT_EQ(statesAfterStop, 1);
    EXPECT_EQ(labelAfterStop, 300);
    EXPECT_FALSE(runningAfterStop);

    std::vector<int> expected = Range(1, 300);
    const std::vector<int> second = Range(300, 5000);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(Dialog().Steps_, expected);
    EXPECT_EQ(domain->Document()->StateCount(), 2);
    EXPECT_GT(domain->Document()->StrokeCount(), 4000);
    EXPECT_TRUE(Dialog().Closed());
    EXPECT_EQ(domain->ApplyAllSteps(), 5000);
    // The label moved on multiples of 20 only.
    for (const auto& display : Dialog().Displays)
        if (display.Running) {
            EXPECT_TRUE(display.Step == 1 || display.Step % 20 == 0) << display.Step;
        }

    Dialog().Script = [](fake::TFakeApplyDialog& d) { d.ClickClose(); };
    domain->Execute(TCommandId::ApplyWithCurrentSettings);
    EXPECT_EQ(Dialog().ShownSteps.back(), 5000);
}

// Stop and Start in one batch of events keep the running loop going: one
// run, one undo step, no step numbered twice.
TEST_F(DomainApplyTest, StartDuringARunDoesNotNestASecondRun)
{
    int nested = 0;
    ui.OnProcessEvents = [&] {
        if (Dialog().CurrentStep() == 5 && nested++ == 0) {
            Dialog().ClickStart(); // stop
            Dialog().ClickStart(); // and start again in the same batch of events
        }
    };
    Dialog().Script = [](fake::TFakeApplyDialog& d) {
        d.SetStepsFromSpin(10);
        d.ClickStart();
    };
    domain->Execute(TCommandId::ApplyWithCurrentSettings);
    EXPECT_EQ(Dialog().Steps_, Range(1, 10));
    EXPECT_EQ(domain->Document()->StateCount(), 1);
    EXPECT_TRUE(Dialog().Closed());
    EXPECT_FALSE(domain->ApplyRunning());
}

// The first stroke of a fresh generator on 640 x 480 goes to X = Random(640)
// = 0, then Y = Random(480) = 15 (the second draw, seed 134775814).
TEST_F(DomainApplyTest, FirstPointOfAFreshGeneratorIsXThenY)
{
    LoadPicture(640, 480);
    RandSeed = 0;
    Dialog().Script = [](fake::TFakeApplyDialog& d) {
        d.SetStepsFromSpin(1);
        d.ClickStart();
    };
    domain->Execute(TCommandId::ApplyWithCurrentSettings);
    ASSERT_EQ(domain->Document()->StrokeCount(), 1);
    const auto applied = Pixels(domain->Document()->Destination());
    const uint32_t seedAfter = RandSeed;

    LoadPicture(640, 480);
    RandSeed = 134775814u;
    domain->Document()->BeginState();
    domain->Document()->PlaceStrokeAt(0, 15);
    domain->Document()->EndState();
    EXPECT_EQ(Pixels(domain->Document()->Destination()), applied);
    EXPECT_EQ(RandSeed, seedAfter);
}

TEST_F(DomainApplyTest, RepeatPlacesTheRememberedCountBehindTheProgressWindow)
{
    TRecordingProgress progress;
    SetProgress(&progress);
    struct TCase {
        int Steps;
        std::vector<int> Positions;
    };
    for (const TCase& c : {TCase{600, {8, 17, 25, 33, 42, 50, 58, 67, 75, 83, 92, 100}},
                           TCase{400, {12, 25, 38, 50, 62, 75, 88, 100}}}) {
        SCOPED_TRACE(c.Steps);
        Dialog().Script = [&](fake::TFakeApplyDialog& d) {
            d.SetStepsFromSpin(c.Steps);
            d.ClickStart();
        };
        domain->Execute(TCommandId::ApplyWithCurrentSettings);
        const int states = domain->Document()->StateCount();
        const uint32_t seedBefore = RandSeed;
        progress.Positions.clear();
        progress.Starts.clear();
        WaitText.clear();
        // The progress window goes before the undo step is closed.
        int nestingAtFinish = -1;
        progress.OnFinish = [&] { nestingAtFinish = domain->Document()->StateNesting(); };
        domain->Execute(TCommandId::RepeatLastApply);
        progress.OnFinish = nullptr;
        EXPECT_EQ(nestingAtFinish, 1);
        EXPECT_EQ(WaitText, "Applying strokes...");
        EXPECT_EQ(progress.Starts, (std::vector<std::pair<int, int>>{{0, 100}}));
        EXPECT_EQ(progress.Positions, c.Positions);
        EXPECT_EQ(progress.Level, 0);
        EXPECT_EQ(domain->Document()->StateCount(), states + 1);
        EXPECT_NE(RandSeed, seedBefore);
    }
}

TEST_F(DomainApplyTest, RepeatNeedsARunOnThisDocument)
{
    domain->UpdateAllCommands();
    EXPECT_FALSE(domain->Command(TCommandId::RepeatLastApply)->isEnabled());
    Dialog().Script = [](fake::TFakeApplyDialog& d) {
        d.SetStepsFromSpin(3);
        d.ClickStart();
    };
    domain->Execute(TCommandId::ApplyWithCurrentSettings);
    domain->UpdateAllCommands();
    EXPECT_TRUE(domain->Command(TCommandId::RepeatLastApply)->isEnabled());
    LoadPicture(100, 100);
    domain->UpdateAllCommands();
    EXPECT_FALSE(domain->Command(TCommandId::RepeatLastApply)->isEnabled());
    // A run stays disabled without a document, whatever was applied before.
    domain->Execute(TCommandId::RepeatLastApply);
    EXPECT_EQ(domain->Document()->StateCount(), 0);
}

// Stopped after step 300 with the count then lowered to 100, Start has no
// step left to place: the run is over as after its last step. It used to
// record an empty undo step and leave the dialog open reading "Stop /
// Preview" with no run going on.
TEST_F(DomainApplyTest, StartWithTheCountLoweredBelowTheStepReachedEndsTheRun)
{
    StopOnceAt(300);
    bool runningAfterSecondStart = true;
    int statesAfterSecondStart = -1;
    Dialog().Script = [&](fake::TFakeApplyDialog& d) {
        d.ClickStart();
        d.SetStepsFromSpin(100);
        d.ClickStart();
        runningAfterSecondStart = d.Running();
        statesAfterSecondStart = domain->Document()->StateCount();
    };
    domain->Execute(TCommandId::ApplyWithCurrentSettings);
    EXPECT_FALSE(runningAfterSecondStart);
    EXPECT_EQ(statesAfterSecondStart, 1);
    EXPECT_TRUE(Dialog().Closed());
    // The dialog is told the step reached once more, which ends its run.
    std::vector<int> expected = Range(1, 300);
    expected.push_back(300);
    EXPECT_EQ(Dialog().Steps_, expected);
    EXPECT_FALSE(domain->ApplyRunning());
    EXPECT_EQ(domain->ApplyStartStep(), 1);
    EXPECT_EQ(domain->ApplyAllSteps(), 300);
}

// The count raised from 10 to 15 during a run: the loop ends at step 10, as
// after a stop there. The dialog reads "Start" at step 10, and Start goes on
// from 10 to 15 as a second undo step. It used to keep reading "Stop /
// Preview" with no run going, and the next Start began again at step 1.
TEST_F(DomainApplyTest, ACountRaisedDuringARunEndsItAsAStopAtItsLastStep)
{
    ui.OnProcessEvents = [this] {
        if (Dialog().CurrentStep() == 5) Dialog().SetStepsFromSpin(15);
    };
    std::optional<fake::TFakeApplyDialog::TDisplay> afterRun;
    int statesAfterRun = -1, startStepAfterRun = -1;
    Dialog().Script = [&](fake::TFakeApplyDialog& d) {
        d.SetStepsFromSpin(10);
        d.ClickStart();
        afterRun = d.Displays.back();
        statesAfterRun = domain->Document()->StateCount();
        startStepAfterRun = domain->ApplyStartStep();
        d.ClickStart();
    };
    domain->Execute(TCommandId::ApplyWithCurrentSettings);
    ASSERT_TRUE(afterRun);
    EXPECT_FALSE(afterRun->Running);
    EXPECT_EQ(afterRun->Step, 10);
    EXPECT_EQ(afterRun->Bar, 67);
    EXPECT_EQ(statesAfterRun, 1);
    EXPECT_EQ(startStepAfterRun, 10);

    std::vector<int> expected = Range(1, 10);
    const std::vector<int> second = Range(10, 15);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(Dialog().Steps_, expected);
    EXPECT_EQ(domain->Document()->StateCount(), 2);
    EXPECT_TRUE(Dialog().Closed());
    EXPECT_FALSE(domain->ApplyRunning());
    EXPECT_EQ(domain->ApplyAllSteps(), 15);
}

// Strokes whose records cannot be written stop the run, in the dialog or
// repeated behind the progress window, with one message that names the file
// and the system's reason. What was placed stays, as one undo step, and the
// picture is exactly what the records draw again. Such runs used to end
// without a word, having placed nothing.
TEST_F(DomainApplyTest, RunsThatCannotRecordTheirStrokesSayWhyAndKeepWhatTheyPlaced)
{
    for (const bool repeat : {false, true}) {
        for (const TBrokenTempFiles& c : BrokenTempFileCases()) {
            SCOPED_TRACE(std::string(c.What) + (repeat ? ", repeated" : ", in the dialog"));
            LoadPicture(160, 120);
            bool runningAfterFailure = true;
            Dialog().Script = [&](fake::TFakeApplyDialog& d) {
                d.SetStepsFromSpin(3000);
                d.ClickStart();
                runningAfterFailure = d.Running();
                d.ClickClose();
            };
            if (repeat) domain->Execute(TCommandId::ApplyWithCurrentSettings);
            TDualImage& doc = *domain->Document();
            const int32_t statesBefore = doc.StateCount();
            const int64_t strokesBefore = doc.StrokeCount();
            const auto pictureBefore = Pixels(doc.Destination());
            ui.Messages.clear();
            {
                const auto broken = c.Break(folder);
                if (repeat)
                    EXPECT_THROW(domain->Execute(TCommandId::RepeatLastApply), SilentAbort);
                else
                    domain->Execute(TCommandId::ApplyWithCurrentSettings);
            }
            EXPECT_FALSE(runningAfterFailure);
            ASSERT_EQ(ui.Messages.size(), 1u);
            EXPECT_EQ(ui.Messages[0].Caption, "Error drawing strokes");
            EXPECT_THAT(ui.Messages[0].Text, ::testing::HasSubstr("\"" + folder + c.File));
            EXPECT_THAT(ui.Messages[0].Text, ::testing::HasSubstr(c.Reason));
            EXPECT_EQ(doc.StateCount(), statesBefore + (c.PlacesSome ? 1 : 0));
            EXPECT_EQ(doc.StrokeCount() > strokesBefore, c.PlacesSome);
            if (!c.PlacesSome) {
                EXPECT_EQ(Pixels(doc.Destination()), pictureBefore);
                continue;
            }
            TBitmap32 replay(doc.Destination().Width(), doc.Destination().Height(), clWhite32);
            doc.RenderAll(replay, 1.0);
            EXPECT_EQ(Pixels(replay), Pixels(doc.Destination()));
        }
    }
}

// A step whose stroke file has vanished (another copy of the program
// emptied tmp/): the project save fails with a message naming the file, the
// earlier project stays byte for byte, and the document keeps its strokes
// and its "not saved" mark. The save used to write the project without the
// vanished strokes.
TEST_F(DomainApplyTest, AProjectSaveNeverLeavesOutStrokesWhoseFileVanished)
{
    Dialog().Script = [](fake::TFakeApplyDialog& d) {
        d.SetStepsFromSpin(50);
        d.ClickStart();
    };
    domain->Execute(TCommandId::ApplyWithCurrentSettings);
    const std::string project = folder + "drawing.ovk";
    ui.SaveProjectNames.push_back(project);
    domain->Execute(TCommandId::SaveProjectAs);
    const std::string before = ReadFileBytes(project);
    ASSERT_FALSE(before.empty());

    domain->Execute(TCommandId::ApplyWithCurrentSettings);
    TDualImage& doc = *domain->Document();
    ASSERT_EQ(doc.StateCount(), 2);
    const int64_t strokes = doc.StrokeCount();
    const std::string lost = doc.States().GetState(0).Strokes().FileName();
    std::filesystem::remove(lost);
    ui.Messages.clear();
    EXPECT_THROW(domain->Execute(TCommandId::SaveProject), SilentAbort);

    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Caption, "Error saving project");
    EXPECT_THAT(ui.Messages[0].Text, ::testing::HasSubstr("\"" + lost + "\". No such file or directory"));
    EXPECT_EQ(ReadFileBytes(project), before);
    EXPECT_TRUE(doc.Modified);
    EXPECT_EQ(doc.StateCount(), 2);
    EXPECT_EQ(doc.StrokeCount(), strokes);
}
