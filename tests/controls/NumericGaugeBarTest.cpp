#include "controls/GaugeScale.h"
#include "controls/GaugeTrack.h"
#include "controls/HandlerGuard.h"
#include "controls/NumericEdit.h"
#include "controls/NumericGaugeBar.h"
#include "gfx/Rounding.h"

#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QTest>

#include <cmath>
#include <limits>

// ---- the scale, the text and the key filter, without a widget -------------

TEST(GaugeScale, LinearTableSpreadsEvenlyAndEndsNearTheUpperBound)
{
    const TGaugeScale scale(110, 1.0f, 100.0f, false);
    ASSERT_EQ(scale.Count(), 110);
    EXPECT_FALSE(scale.IsLog());
    EXPECT_EQ(scale.ValueAt(0), 1.0); // t = 0 gives the lower bound exactly
    for (int i = 0; i < 110; ++i) EXPECT_NEAR(scale.ValueAt(i), 1 + 99.0 * i / 109, 1e-3) << i;
    EXPECT_EQ(scale.ValueAt(500), scale.ValueAt(109)); // past the end reads the last entry
}

TEST(GaugeScale, LogTableMultipliesByAConstantFactorPerStep)
{
    // 5..300 over 111 positions: position i is 5 * 60^(i/110).
    const TGaugeScale scale(111, 5.0f, 300.0f, true);
    EXPECT_TRUE(scale.IsLog());
    for (int i = 0; i < 111; ++i) EXPECT_NEAR(scale.ValueAt(i), 5 * std::pow(60.0, i / 110.0), 1e-3) << i;
    EXPECT_NEAR(scale.ValueAt(55), 38.73, 0.01); // halfway along the track
    EXPECT_EQ(FormatGaugeValue(Single(scale.ValueAt(55)), true), "39");
    const double factor = scale.ValueAt(1) / scale.ValueAt(0);
    EXPECT_NEAR(scale.ValueAt(100) / scale.ValueAt(99), factor, 1e-4);
}

TEST(GaugeScale, LogScaleWithABoundOfZeroOrLessFallsBackToLinear)
{
    for (float low : {0.0f, -4.0f}) {
        const TGaugeScale scale(11, low, 6.0f, true);
        EXPECT_FALSE(scale.IsLog());
        for (int i = 0; i < 11; ++i) EXPECT_TRUE(std::isfinite(scale.ValueAt(i)));
        EXPECT_NEAR(scale.ValueAt(10), 6.0, 1e-5);
    }
    EXPECT_FALSE(TGaugeScale(11, 1.0f, 0.0f, true).IsLog());
}

TEST(GaugeScale, NearestPositionRoundTripsAndPrefersTheLowerOfTwoEqualNeighbours)
{
    const TGaugeScale scale(3, 0.0f, 2.0f, false); // 0, 1, 2
    EXPECT_EQ(scale.NearestPosition(0.5), 0);
    EXPECT_EQ(scale.NearestPosition(1.5), 1);
    EXPECT_EQ(scale.NearestPosition(-7), 0);
    EXPECT_EQ(scale.NearestPosition(5e9), 2); // every difference is beyond 2^31
    const TGaugeScale log(110, 5.0f, 300.0f, true);
    for (int i = 0; i < log.Count(); ++i) EXPECT_EQ(log.NearestPosition(log.ValueAt(i)), i);
}

TEST(GaugeScale, ClampTakesTheLowerBoundFirstSoTheUpperWinsWhenTheyCross)
{
    EXPECT_EQ(ClampGaugeValue(0.25, 0.5f, 12.0f), 0.5);
    EXPECT_EQ(ClampGaugeValue(13, 0.5f, 12.0f), 12.0);
    EXPECT_EQ(ClampGaugeValue(7, 0.5f, 12.0f), 7.0);
    EXPECT_EQ(ClampGaugeValue(3, 10.0f, 5.0f), 5.0);
    EXPECT_EQ(ClampGaugeValue(7, 10.0f, 5.0f), 5.0);
    EXPECT_EQ(ClampGaugeValue(-std::numeric_limits<double>::infinity(), 1.0f, 2.0f), 1.0);
}

TEST(GaugeScale, TextOfDecimalsHasOneDecimalBelowTenAndNoneAbove)
{
    EXPECT_EQ(FormatGaugeValue(4.4f, false), "4.4");
    EXPECT_EQ(FormatGaugeValue(0.5f, false), "0.5");
    EXPECT_EQ(FormatGaugeValue(7.0f, false), "7");
    EXPECT_EQ(FormatGaugeValue(-3.2f, false), "-3.2");
    EXPECT_EQ(FormatGaugeValue(0.25f, false), "0.2"); // a half goes to the even neighbour
    EXPECT_EQ(FormatGaugeValue(0.35, false), "0.4");
    EXPECT_EQ(FormatGaugeValue(7.25f, false), "7.2");
    EXPECT_EQ(FormatGaugeValue(11.6f, false), "12");
    EXPECT_EQ(FormatGaugeValue(12.5f, false), "12");
    EXPECT_EQ(FormatGaugeValue(13.5f, false), "14");
    EXPECT_EQ(FormatGaugeValue(300.0f, false), "300");
    EXPECT_EQ(FormatGaugeValue(-0.04f, false), "0");
    EXPECT_EQ(FormatGaugeValue(-123.44f, false), "-123.4");
}

TEST(GaugeScale, TextOfIntegersAndOfLargeValuesCanBeTypedBack)
{
    EXPECT_EQ(FormatGaugeValue(-128.0f, true), "-128");
    EXPECT_EQ(FormatGaugeValue(25.0f, true), "25");
    EXPECT_EQ(FormatGaugeValue(24.5f, true), "24");
    EXPECT_EQ(FormatGaugeValue(4.4f, true), "4");
    EXPECT_EQ(FormatGaugeValue(-0.4f, true), "0");
    // No exponent form: the box takes only digits, minus and point.
    EXPECT_EQ(FormatGaugeValue(9999.4f, false), "9999");
    EXPECT_EQ(FormatGaugeValue(9999.96f, false), "10000");
    EXPECT_EQ(FormatGaugeValue(123456.7f, false), "123457");
    EXPECT_EQ(FormatGaugeValue(3e9, true), "3000000000");
    EXPECT_EQ(FormatGaugeValue(std::nan(""), false), "");
}

TEST(GaugeScale, KeyFilterPassesNumberCharactersAndTurnsEnterIntoTab)
{
    for (char c : std::string("0123456789-.\b\t")) EXPECT_EQ(FilterGaugeKey(c), c);
    EXPECT_EQ(FilterGaugeKey('\r'), '\t');
    for (char c : std::string("aeE+, x\x03\x1b")) EXPECT_EQ(FilterGaugeKey(c), 0) << int(c);
}

// ---- the widget ------------------------------------------------------------

namespace {

struct GaugeBarFixture : ::testing::Test {
    TNumericGaugeBar bar;
    int changes = 0;

    void SetUp() override { bar.OnChange = [this](TNumericGaugeBar* sender) { EXPECT_EQ(sender, &bar); ++changes; }; }

    void Type(const char* text, Qt::Key end = Qt::Key_Return)
    {
        bar.Edit()->clear();
        QTest::keyClicks(bar.Edit(), text);
        QTest::keyClick(bar.Edit(), end);
    }

    void Show()
    {
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    }

    // Press on the handle and move it by `dx` pixels.
    void Drag(int dx)
    {
        TGaugeTrack* g = bar.Gauge();
        const QPoint from(g->HandleLeft(g->Position()) + g->HandleWidth() / 2, g->height() / 2);
        QTest::mousePress(g, Qt::LeftButton, {}, from);
        QTest::mouseMove(g, from + QPoint(dx, 0));
        QTest::mouseRelease(g, Qt::LeftButton, {}, from + QPoint(dx, 0));
    }
};

} // namespace

TEST_F(GaugeBarFixture, NewControlHoldsAndShowsFourPointFour)
{
    TNumericGaugeBar fresh;
    EXPECT_EQ(fresh.Value(), 4.4f);
    EXPECT_EQ(fresh.Edit()->text(), "4.4");
    EXPECT_EQ(fresh.MinValue(), 1.0f);
    EXPECT_EQ(fresh.MaxValue(), 100.0f);
    EXPECT_EQ(fresh.size(), QSize(145, 14));
    EXPECT_EQ(fresh.Gauge()->Max(), fresh.Gauge()->width());
}

TEST_F(GaugeBarFixture, TypedValuesAreClampedRoundedAndCommittedByEnter)
{
    bar.SetMinValue(0.5f);
    bar.SetMaxValue(12.0f);
    changes = 0;
    Type("0.25");
    EXPECT_EQ(bar.Value(), 0.5f);
    EXPECT_EQ(bar.Edit()->text(), "0.5");
    Type("7.25");
    EXPECT_EQ(bar.Value(), 7.25f); // the value written is kept; the text is rounded
    EXPECT_EQ(bar.Edit()->text(), "7.2");
    EXPECT_TRUE(bar.AcceptText());
    EXPECT_EQ(bar.Value(), 7.2f);
    Type("11.6");
    EXPECT_EQ(bar.Edit()->text(), "12");
    EXPECT_EQ(changes, 4);
}

TEST_F(GaugeBarFixture, LeavingTheBoxCommitsTheText)
{
    bar.Edit()->selectAll();
    QTest::keyClicks(bar.Edit(), "42");
    EXPECT_EQ(bar.Value(), 4.4f);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(bar.Edit(), &out);
    EXPECT_EQ(bar.Value(), 42.0f);
    EXPECT_EQ(changes, 1);
}

TEST_F(GaugeBarFixture, AMenuOrAnotherWindowTakingTheFocusCommitsNothing)
{
    int exits = 0;
    bar.OnExit = [&](TNumericGaugeBar*) { ++exits; };
    bar.Edit()->selectAll();
    QTest::keyClicks(bar.Edit(), "42");
    for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(bar.Edit(), &out);
        QApplication::sendEvent(bar.Gauge(), &out);
    }
    EXPECT_EQ(bar.Value(), 4.4f);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(exits, 0);
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(bar.Edit(), &out);
    EXPECT_EQ(bar.Value(), 42.0f);
    EXPECT_EQ(exits, 1);
}

TEST_F(GaugeBarFixture, KeysThatCannotMakeANumberAreSwallowed)
{
    bar.Edit()->clear();
    QTest::keyClicks(bar.Edit(), "1a2,b E3");
    EXPECT_EQ(bar.Edit()->text(), "123");
}

TEST_F(GaugeBarFixture, TextThatIsNotANumberChangesNothingAndFiresNothing)
{
    for (const char* bad : {"1-2", "-", "", "1..2", "--3"}) {
        Type(bad);
        EXPECT_EQ(bar.Value(), 4.4f) << bad;
        EXPECT_EQ(bar.Edit()->text(), QString(bad)); // left as typed until the next value update
    }
    // Pasted text skips the key filter; non-finite numbers are still not numbers.
    for (const char* bad : {"inf", "nan", "-INF", "1e999"}) {
        bar.Edit()->setText(bad);
        EXPECT_FALSE(bar.AcceptText()) << bad;
    }
    EXPECT_EQ(bar.Value(), 4.4f);
    EXPECT_EQ(changes, 0);
}

TEST_F(GaugeBarFixture, EveryWriteFiresOnChangeUnlessTheHandlerIsDetached)
{
    bar.SetValue(bar.Value());
    EXPECT_EQ(changes, 1); // the same value still reports
    bar.SetMaxValue(50);
    bar.SetIntValue(true);
    bar.SetLogScale(true);
    EXPECT_EQ(changes, 4);
    {
        THandlerGuard<void(TNumericGaugeBar*)> detached(bar.OnChange);
        bar.SetValue(20);
        bar.SetMinValue(2);
        EXPECT_EQ(bar.Value(), 20.0f);
    }
    EXPECT_EQ(changes, 4);
    bar.SetValue(21);
    EXPECT_EQ(changes, 5);
}

TEST_F(GaugeBarFixture, AValueWriteMovesTheGaugeToTheNearestPosition)
{
    bar.SetValue(100);
    EXPECT_EQ(bar.Gauge()->Position(), bar.Gauge()->Max());
    bar.SetValue(1);
    EXPECT_EQ(bar.Gauge()->Position(), 0);
    bar.SetValue(50.5);
    EXPECT_EQ(bar.Gauge()->Position(), 54); // 1 + 99 * 54 / 109 = 50.05 is the nearest of 110
    EXPECT_EQ(bar.Value(), 50.5f);          // the value itself is not snapped to the position
}

TEST_F(GaugeBarFixture, RebuildingWithUnreadableTextKeepsClampsShowsAndReportsTheValue)
{
    bar.SetValue(40);
    changes = 0;
    bar.Edit()->setText("1-2");
    bar.SetMaxValue(30);
    EXPECT_EQ(bar.Value(), 30.0f);
    EXPECT_EQ(bar.Edit()->text(), "30");
    EXPECT_EQ(bar.Gauge()->Position(), bar.Gauge()->Max());
    EXPECT_EQ(changes, 1);
}

TEST_F(GaugeBarFixture, RebuildingReadsTheShownTextSoIntegerModeMakesAnInteger)
{
    bar.SetIntValue(true);
    EXPECT_EQ(bar.Value(), 4.0f);
    EXPECT_EQ(bar.Edit()->text(), "4");
}

TEST_F(GaugeBarFixture, CrossedBoundsLeaveTheValueAtTheUpperBound)
{
    bar.SetMaxValue(50);
    bar.SetMinValue(80);
    EXPECT_EQ(bar.Value(), 50.0f);
    bar.SetValue(10);
    EXPECT_EQ(bar.Value(), 50.0f);
}

TEST_F(GaugeBarFixture, NonFiniteAndHugeValuesNeverBecomeTheStoredValue)
{
    bar.SetValue(std::nan(""));
    EXPECT_EQ(bar.Value(), 4.4f);
    bar.SetValue(std::numeric_limits<double>::infinity());
    EXPECT_EQ(bar.Value(), 100.0f);
    bar.SetMaxValue(std::numeric_limits<float>::max());
    Type("9999999999999999999999999999999999999999"); // beyond a float
    EXPECT_TRUE(std::isfinite(bar.Value()));
    EXPECT_EQ(bar.Value(), std::numeric_limits<float>::max());
    bar.SetMinValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(bar.MinValue(), 1.0f);
}

TEST_F(GaugeBarFixture, DraggingToTheRightEndGivesTheLastEntryUnclamped)
{
    bar.SetMinValue(5);
    bar.SetMaxValue(300);
    bar.SetLogScale(true);
    Show();
    changes = 0;
    Drag(bar.Gauge()->width());
    const int last = bar.Gauge()->Max();
    EXPECT_EQ(bar.Gauge()->Position(), last);
    const TGaugeScale scale(last + 1, 5, 300, true);
    EXPECT_EQ(bar.Value(), Single(scale.ValueAt(last)));
    EXPECT_NEAR(bar.Value(), 300, 0.01); // float rounding of the table: not exactly MaxValue
    EXPECT_EQ(bar.Edit()->text(), "300");
    EXPECT_GE(changes, 1);
}

TEST_F(GaugeBarFixture, DraggingOnALogScaleShowsTheRoundedValueOfThePosition)
{
    bar.SetMinValue(5);
    bar.SetMaxValue(300);
    bar.SetLogScale(true);
    bar.SetIntValue(true);
    bar.SetValue(5);
    Show();
    Drag(bar.Gauge()->width() / 2);
    const int pos = bar.Gauge()->Position();
    EXPECT_GT(pos, 0);
    const double expected = 5 * std::pow(60.0, double(pos) / bar.Gauge()->Max());
    EXPECT_NEAR(bar.Value(), expected, 1e-3 * expected);
    EXPECT_EQ(bar.Edit()->text().toStdString(), FormatGaugeValue(bar.Value(), true));
}

TEST_F(GaugeBarFixture, GaugeKeysStepByOneByAFifthAndToTheEnds)
{
    Show();
    bar.SetValue(1);
    TGaugeTrack* g = bar.Gauge();
    changes = 0;
    QTest::keyClick(g, Qt::Key_Right);
    EXPECT_EQ(g->Position(), 1);
    QTest::keyClick(g, Qt::Key_PageUp);
    EXPECT_EQ(g->Position(), 1 + g->Max() / 5);
    QTest::keyClick(g, Qt::Key_End);
    EXPECT_EQ(g->Position(), g->Max());
    QTest::keyClick(g, Qt::Key_Home);
    EXPECT_EQ(bar.Value(), 1.0f); // position 0 is the lower bound exactly
    EXPECT_EQ(changes, 4);
    QTest::keyClick(g, Qt::Key_Home); // no move, no report
    EXPECT_EQ(changes, 4);
}

TEST_F(GaugeBarFixture, AClickBesideTheHandlePagesTowardIt)
{
    Show();
    bar.SetValue(1);
    TGaugeTrack* g = bar.Gauge();
    QTest::mouseClick(g, Qt::LeftButton, {}, QPoint(g->width() - 2, g->height() / 2));
    EXPECT_EQ(g->Position(), g->LargeChange());
}

TEST_F(GaugeBarFixture, ResizingKeepsTheScaleUntilTheRangeIsWrittenAgain)
{
    const int built = bar.Gauge()->Max();
    bar.SetValue(50);
    const int position = bar.Gauge()->Position();
    changes = 0;
    bar.resize(245, 14);
    QApplication::sendPostedEvents();
    Show();
    EXPECT_GT(bar.Gauge()->width(), built + 90);
    EXPECT_EQ(bar.Gauge()->Max(), built);
    EXPECT_EQ(bar.Gauge()->Position(), position);
    EXPECT_EQ(bar.Value(), 50.0f);
    EXPECT_EQ(changes, 0);
    // The old table still spans the whole range across the wider track.
    Drag(bar.Gauge()->width());
    EXPECT_EQ(bar.Gauge()->Position(), built);
    EXPECT_EQ(bar.Value(), Single(TGaugeScale(built + 1, 1, 100, false).ValueAt(built)));
    EXPECT_EQ(bar.Edit()->text(), "100");
    // A write of the range builds the scale on the width of the moment.
    bar.SetMaxValue(200);
    EXPECT_EQ(bar.Gauge()->Max(), bar.Gauge()->width());
}

TEST_F(GaugeBarFixture, MouseEventsOfTheGaugeReachTheControlsHandlers)
{
    Show();
    int downs = 0;
    bar.OnMouseDown = [&](TGaugeTrack* sender, QMouseEvent*) {
        EXPECT_EQ(sender, bar.Gauge());
        ++downs;
    };
    QTest::mouseClick(bar.Gauge(), Qt::LeftButton, {}, QPoint(2, 5));
    QTest::mouseClick(bar.Edit(), Qt::LeftButton);
    EXPECT_EQ(downs, 1);
}
