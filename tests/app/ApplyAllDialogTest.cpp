#include "app/dialogs/ApplyAllDialog.h"
#include "app/dialogs/GradientBar.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <stdexcept>
#include <vector>

namespace {

// The command module's side of a run, as it drives the dialog: the loop in
// OnStart, a step recorded and events pumped after every placement.
struct FakeApplyRun {
    TFApplyAll& dialog;
    bool running = false;
    int startStep = 1;
    int starts = 0, stops = 0, cancels = 0;
    std::vector<int> placed;
    std::vector<QString> labels; // the step label after each step
    std::function<void(int)> afterStep;

    explicit FakeApplyRun(TFApplyAll& d) : dialog(d)
    {
        dialog.OnStart = [this] { Run(); };
        dialog.OnStop = [this] { running = false, ++stops; };
        dialog.OnCancel = [this] { running = false, ++cancels; };
    }
    void Run()
    {
        ++starts;
        const int last = dialog.Steps();
        running = true;
        for (int i = startStep; i <= last; ++i) {
            placed.push_back(i);
            dialog.Step(i);
            labels.push_back(dialog.lblStep()->text());
            if (afterStep) afterStep(i);
            QCoreApplication::processEvents();
            startStep = i;
            if (!running) return;
        }
        startStep = 1;
    }
};

std::vector<int> Range(int from, int to)
{
    std::vector<int> r;
    for (int i = from; i <= to; ++i) r.push_back(i);
    return r;
}

} // namespace

TEST(ApplyBar, PositionsRoundHalvesToEvenOverAtLeastOneStep)
{
    const int expected[] = {12, 25, 38, 50, 62, 75, 88, 100};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(ApplyBarPosition(50 * (k + 1), 400), expected[k]) << 50 * (k + 1);
    EXPECT_EQ(ApplyBarPosition(1, 3), 33);
    EXPECT_EQ(ApplyBarPosition(1, 0), 100); // no division by zero
    EXPECT_EQ(ApplyBarPosition(0, 0), 0);
    EXPECT_EQ(ApplyStepText(300), "Actual number of steps: 300");
}

TEST(ApplyDialog, StartsWithFiveThousandStepsAndNoRun)
{
    TFApplyAll dialog;
    EXPECT_EQ(dialog.windowTitle(), "Apply to the whole image");
    EXPECT_EQ(dialog.Steps(), 5000);
    EXPECT_EQ(dialog.seNumSteps()->value(), 5000);
    EXPECT_EQ(dialog.seNumSteps()->minimum(), 1);
    EXPECT_EQ(dialog.seNumSteps()->maximum(), 1000000);
    EXPECT_FALSE(dialog.Running());
    EXPECT_EQ(dialog.btOk()->text(), "Start");
    EXPECT_EQ(dialog.btCancel()->text(), "Close");
    EXPECT_TRUE(dialog.btOk()->isDefault());
}

TEST(ApplyDialog, AWholeRunClosesTheDialogAndRedrawsEveryTwentiethStep)
{
    TFApplyAll dialog;
    FakeApplyRun run(dialog);
    dialog.SetSteps(60);
    QTimer::singleShot(0, &dialog, [&] { dialog.btOk()->click(); });
    dialog.ShowModal();

    EXPECT_EQ(run.placed, Range(1, 60));
    EXPECT_EQ(run.starts, 1);
    EXPECT_EQ(run.stops, 1);
    EXPECT_EQ(run.cancels, 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.Running());
    ASSERT_EQ(run.labels.size(), 60u);
    EXPECT_EQ(run.labels[0], "Actual number of steps: 1");
    EXPECT_EQ(run.labels[18], "Actual number of steps: 1");
    EXPECT_EQ(run.labels[19], "Actual number of steps: 20");
    EXPECT_EQ(run.labels[38], "Actual number of steps: 20");
    EXPECT_EQ(run.labels[39], "Actual number of steps: 40");
    EXPECT_EQ(run.labels[59], "Actual number of steps: 60");
    EXPECT_EQ(dialog.progBar()->Position(), 100);
    EXPECT_EQ(dialog.btOk()->text(), "Start");
}

TEST(ApplyDialog, StopAfterStep300ThenStartResumesFromThere)
{
    TFApplyAll dialog;
    FakeApplyRun run(dialog);
    run.afterStep = [&](int i) {
        if (i == 300 && run.starts == 1) dialog.btOk()->click(); // "Stop / Preview"
    };
    bool checked = false;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(dialog.btOk()->text(), "Start");
        dialog.btOk()->click();
        // Stopped: the dialog stays open and shows where the run stopped.
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(dialog.Running());
        EXPECT_EQ(dialog.lblStep()->text(), "Actual number of steps: 300");
        EXPECT_EQ(dialog.btOk()->text(), "Start");
        EXPECT_EQ(dialog.progBar()->Position(), 6);
        EXPECT_EQ(run.startStep, 300);
        EXPECT_EQ(run.stops, 1);
        EXPECT_EQ(run.cancels, 0);
        checked = true;
        QTimer::singleShot(0, &dialog, [&] { dialog.btOk()->click(); });
    });
    dialog.ShowModal();

    EXPECT_TRUE(checked);
    EXPECT_EQ(run.starts, 2);
    std::vector<int> expected = Range(1, 300);
    const std::vector<int> second = Range(300, 5000);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(run.placed, expected);
    EXPECT_EQ(run.cancels, 1);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ApplyDialog, WhileRunningTheButtonReadsStopAndTheBarFollows)
{
    TFApplyAll dialog;
    FakeApplyRun run(dialog);
    dialog.SetSteps(400);
    std::vector<int64_t> bars;
    QString caption;
    run.afterStep = [&](int i) {
        if (i % 100 == 0) bars.push_back(dialog.progBar()->Position());
        if (i == 200) caption = dialog.btOk()->text();
    };
    QTimer::singleShot(0, &dialog, [&] { dialog.btOk()->click(); });
    dialog.ShowModal();
    EXPECT_EQ(bars, (std::vector<int64_t>{25, 50, 75, 100}));
    EXPECT_EQ(caption, "Stop / Preview");
}

TEST(ApplyDialog, CloseWithoutStartPlacesNothing)
{
    TFApplyAll dialog;
    FakeApplyRun run(dialog);
    QTimer::singleShot(0, &dialog, [&] { dialog.btCancel()->click(); });
    dialog.ShowModal();
    EXPECT_EQ(run.starts, 0);
    EXPECT_EQ(run.stops, 0); // nothing was running
    EXPECT_EQ(run.cancels, 1);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ApplyDialog, EscapeDuringARunStopsAndClosesLikeClose)
{
    TFApplyAll dialog;
    FakeApplyRun run(dialog);
    dialog.SetSteps(100);
    run.afterStep = [&](int i) {
        if (i == 30) QTest::keyClick(&dialog, Qt::Key_Escape);
    };
    QTimer::singleShot(0, &dialog, [&] { dialog.btOk()->click(); });
    dialog.ShowModal();
    EXPECT_EQ(run.placed, Range(1, 30));
    EXPECT_EQ(run.stops, 1);
    EXPECT_EQ(run.cancels, 1);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ApplyDialog, OneStepRunsOnceAndLoweringTheCountDuringARunEndsItEarly)
{
    {
        TFApplyAll dialog;
        FakeApplyRun run(dialog);
        dialog.SetSteps(1);
        QTimer::singleShot(0, &dialog, [&] { dialog.btOk()->click(); });
        dialog.ShowModal();
        EXPECT_EQ(run.placed, Range(1, 1));
        EXPECT_FALSE(dialog.isVisible());
    }
    {
        TFApplyAll dialog;
        FakeApplyRun run(dialog);
        dialog.SetSteps(60);
        run.afterStep = [&](int i) {
            if (i == 10) dialog.seNumSteps()->setValue(15);
        };
        QTimer::singleShot(0, &dialog, [&] { dialog.btOk()->click(); });
        dialog.ShowModal();
        EXPECT_EQ(run.placed, Range(1, 15));
        EXPECT_EQ(dialog.Steps(), 15);
    }
}

TEST(ApplyDialog, ARunThatFailsLeavesTheDialogReadyToStartAgain)
{
    TFApplyAll dialog;
    int stops = 0;
    dialog.OnStart = [] { throw std::runtime_error("stroke placement failed"); };
    dialog.OnStop = [&] { ++stops; };
    dialog.show();
    dialog.btOk()->click(); // the exception must not leave the click
    EXPECT_FALSE(dialog.Running());
    EXPECT_EQ(dialog.btOk()->text(), "Start");
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(dialog.isVisible());
}

TEST(ApplyDialog, SetRunningWithTheSameValueFiresNothing)
{
    TFApplyAll dialog;
    int fired = 0;
    dialog.OnStart = dialog.OnStop = [&] { ++fired; };
    dialog.SetRunning(false);
    EXPECT_EQ(fired, 0);
    dialog.SetRunning(true);
    dialog.SetRunning(true);
    EXPECT_EQ(fired, 1);
    dialog.SetRunning(false);
    EXPECT_EQ(fired, 2);
}

TEST(ApplyDialog, TheStepLabelShowsTheLargestCountWhole)
{
    TFApplyAll dialog;
    QLabel& label = *dialog.lblStep();
    const QString widest = QString::fromStdString(ApplyStepText(dialog.seNumSteps()->maximum()));
    label.setText(widest);
    const int needed = label.fontMetrics().horizontalAdvance(widest);
    EXPECT_LE(needed, label.contentsRect().width()) << widest.toStdString();
    // The label stays inside its group box and the dialog.
    const QRect inGroup = label.geometry();
    EXPECT_LE(inGroup.right(), label.parentWidget()->contentsRect().right());
}
