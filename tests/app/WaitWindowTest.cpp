#include "app/dialogs/WaitWindow.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QWidget>

#include <climits>
#include <vector>

namespace {

// A shown main window and a progress window over it that records every pump.
struct WaitFixture : ::testing::Test {
    QWidget main;
    TFWait wait{&main};
    std::vector<int64_t> pumps; // the counter at each pump
    std::vector<int64_t> bars;  // the bar's position at each pump

    void SetUp() override
    {
        main.resize(300, 200);
        main.show();
        wait.ProcessEvents = [this] {
            pumps.push_back(wait.Counter());
            bars.push_back(wait.BarPosition());
        };
    }
    void TearDown() override { WaitText = "Processing Image..."; }
};

} // namespace

TEST(WaitStep, MovesTheBarAfterOnePercentOfTheRangeIn64Bits)
{
    EXPECT_FALSE(WaitStepShows(9, 0, 0, 1000));
    EXPECT_TRUE(WaitStepShows(10, 0, 0, 1000));
    EXPECT_TRUE(WaitStepShows(1, 0, 0, 50));
    EXPECT_TRUE(WaitStepShows(1, 0, 0, 0));
    // 100 x 21474837 passes 2^31: in 32 bits it would wrap and never show.
    EXPECT_FALSE(WaitStepShows(21474836, 0, 0, INT_MAX));
    EXPECT_TRUE(WaitStepShows(21474837, 0, 0, INT_MAX));
    // The whole signed range is wider than 32 bits can hold.
    EXPECT_FALSE(WaitStepShows(INT_MIN + 42949672LL, INT_MIN, INT_MIN, INT_MAX));
    EXPECT_TRUE(WaitStepShows(INT_MIN + 42949673LL, INT_MIN, INT_MIN, INT_MAX));
}

TEST_F(WaitFixture, ThousandStepsUpdateTheBarAndPumpAHundredTimes)
{
    wait.Start(0, 1000);
    for (int i = 0; i < 1000; ++i) wait.Step();
    ASSERT_EQ(pumps.size(), 100u);
    for (size_t i = 0; i < pumps.size(); ++i) {
        EXPECT_EQ(pumps[i], static_cast<int64_t>(10 * (i + 1)));
        EXPECT_EQ(bars[i], pumps[i]);
    }
    EXPECT_EQ(wait.LastShown(), 1000);
    wait.Finish();
}

TEST_F(WaitFixture, SmallAndEmptyRangesShowEveryStep)
{
    for (int max : {50, 0}) {
        pumps.clear();
        wait.Start(0, max);
        for (int i = 0; i < 7; ++i) wait.Step();
        EXPECT_EQ(pumps, (std::vector<int64_t>{1, 2, 3, 4, 5, 6, 7})) << max;
        wait.Finish();
    }
}

TEST_F(WaitFixture, SetPositionMovesTheBarAndPumpsButLeavesTheCounter)
{
    wait.Start(0, 100);
    wait.Step();
    wait.SetPosition(42);
    EXPECT_EQ(bars, (std::vector<int64_t>{1, 42}));
    EXPECT_EQ(wait.Counter(), 1);
    EXPECT_EQ(wait.LastShown(), 1);
    wait.Finish();
}

TEST_F(WaitFixture, CountersGoPastThe32BitLimitWithoutWrapping)
{
    wait.Start(INT_MAX - 1, INT_MAX);
    for (int i = 0; i < 3; ++i) wait.Step();
    EXPECT_EQ(wait.Counter(), static_cast<int64_t>(INT_MAX) + 2);
    EXPECT_EQ(wait.RangeMin(), INT_MAX - 1);
    wait.Finish();
}

TEST_F(WaitFixture, NestedRangesShowTheWindowOnceAndKeepTheMainWindowDisabled)
{
    int shows = 0;
    struct ShowCounter : QObject {
        int& n;
        explicit ShowCounter(int& count) : n(count) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Show) ++n;
            return false;
        }
    } counter(shows);
    wait.installEventFilter(&counter);

    EXPECT_FALSE(wait.isVisible());
    wait.Start(0, 10);
    EXPECT_TRUE(wait.isVisible());
    EXPECT_FALSE(main.isEnabled());
    wait.Start(0, 100);
    EXPECT_EQ(wait.NestLevel(), 2);
    EXPECT_EQ(wait.RangeMax(), 100); // the inner range replaces the outer one
    wait.Finish();
    EXPECT_TRUE(wait.isVisible());
    EXPECT_FALSE(main.isEnabled());
    wait.Finish();
    EXPECT_FALSE(wait.isVisible());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_EQ(shows, 1);
    wait.removeEventFilter(&counter);
}

TEST_F(WaitFixture, RightClickEscapesAndTheOperationsOwnFinishStillRestoresTheMainWindow)
{
    wait.Start(0, 10);
    wait.Start(0, 10);
    QTest::mouseClick(&wait, Qt::RightButton, {}, QPoint(200, 40));
    EXPECT_EQ(wait.NestLevel(), 0);
    EXPECT_TRUE(wait.isVisible()); // the escape changes nothing else
    EXPECT_FALSE(main.isEnabled());

    // The operations still close their ranges: the level stays at 0 and the
    // first Finish brings the main window back.
    wait.Finish();
    EXPECT_EQ(wait.NestLevel(), 0);
    EXPECT_FALSE(wait.isVisible());
    EXPECT_TRUE(main.isEnabled());
    wait.Finish();
    EXPECT_EQ(wait.NestLevel(), 0);

    // A left click is no escape.
    wait.Start(0, 10);
    QTest::mouseClick(&wait, Qt::LeftButton, {}, QPoint(200, 40));
    EXPECT_EQ(wait.NestLevel(), 1);
    wait.Finish();
    EXPECT_TRUE(main.isEnabled());
}

TEST_F(WaitFixture, TheCaptionIsTakenWhenTheWindowIsShown)
{
    WaitText = "Analyzing Image...";
    wait.Start(0, 10);
    EXPECT_EQ(wait.Caption(), "Analyzing Image...");
    WaitText = "Rendering Image...";
    wait.Start(0, 5); // nested: the outer caption stays
    EXPECT_EQ(wait.Caption(), "Analyzing Image...");
    wait.Finish();
    wait.Finish();
    wait.Start(0, 5);
    EXPECT_EQ(wait.Caption(), "Rendering Image...");
    wait.Finish();
}

TEST(WaitAnimation, FourDistinctFramesOfTheLayoutsSize)
{
    const auto frames = MakeWaitAnimationFrames();
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].size(), QSize(51, 52));
        for (size_t j = 0; j < i; ++j) EXPECT_NE(frames[i], frames[j]) << i << " " << j;
    }
}

TEST_F(WaitFixture, TheMainWindowIsActiveAgainWhenTheLastRangeCloses)
{
    // Keyboard shortcuts reach the main window only while it is active: the
    // progress window that took the activation hands it back when it goes.
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    wait.Start(0, 10);
    wait.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&wait));
    wait.Start(0, 5);
    wait.Finish();
    EXPECT_TRUE(wait.isActiveWindow()); // an inner range leaves it up
    wait.Finish();
    EXPECT_FALSE(wait.isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&main, 1000));
}

TEST_F(WaitFixture, EveryCaptionFitsTheWindow)
{
    const auto* label = wait.findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_LE(label->geometry().right(), wait.width() - 2);
    for (const char* caption :
         {"Processing Image...", "Analyzing Image...", "Rendering Image...", "Saving Project...",
          "Compacting information...", "Converting to vectors...", "Please wait...", "Applying strokes...",
          "It is necessary to render again the destination image..."}) {
        WaitText = caption;
        wait.Start(0, 1);
        EXPECT_EQ(wait.Caption(), caption);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(wait.Caption()), label->contentsRect().width()) << caption;
        wait.Finish();
    }
    // The short ones keep the window's own font.
    WaitText = "Please wait...";
    wait.Start(0, 1);
    EXPECT_EQ(label->font(), wait.font());
    wait.Finish();
}
