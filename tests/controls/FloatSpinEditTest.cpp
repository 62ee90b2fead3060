#include "controls/FloatSpinEdit.h"
#include "controls/FloatSpinFormat.h"
#include "controls/HandlerGuard.h"

#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTest>

#include <cmath>
#include <limits>

using F = TFloatFormat;

// ---- limits, steps, text and keys, without a widget ------------------------

TEST(FloatSpinFormat, LimitsHoldOnlyWhileTheyDiffer)
{
    EXPECT_EQ(CheckFloatValue(-1e9, 0, 0), -1e9);
    EXPECT_EQ(CheckFloatValue(123456, 0, 100000), 100000);
    EXPECT_EQ(CheckFloatValue(-5, 0, 100000), 0);
    EXPECT_EQ(CheckFloatValue(12.5, 0, 100000), 12.5);
    // Crossed limits: the lower test comes first.
    EXPECT_EQ(CheckFloatValue(3, 10, 5), 10);
    EXPECT_EQ(CheckFloatValue(7, 10, 5), 10);
    EXPECT_EQ(CheckFloatValue(12, 10, 5), 5);
}

TEST(FloatSpinFormat, GeneralFormIsShortestWithTenDigitsAndPaddedExponents)
{
    EXPECT_EQ(FormatFloatText(12.5, F::ffGeneral, 10, 4), "12.5");
    EXPECT_EQ(FormatFloatText(0, F::ffGeneral, 10, 4), "0");
    EXPECT_EQ(FormatFloatText(-2.5, F::ffGeneral, 10, 2), "-2.5");
    EXPECT_EQ(FormatFloatText(100000, F::ffGeneral, 10, 2), "100000");
    EXPECT_EQ(FormatFloatText(1.0 / 3, F::ffGeneral, 10, 4), "0.3333333333");
    EXPECT_EQ(FormatFloatText(2.0 / 3, F::ffGeneral, 10, 4), "0.6666666667");
    EXPECT_EQ(FormatFloatText(1234567890, F::ffGeneral, 10, 4), "1234567890");
    EXPECT_EQ(FormatFloatText(12345678901.0, F::ffGeneral, 10, 4), "1.23456789E0010");
    EXPECT_EQ(FormatFloatText(1e15, F::ffGeneral, 10, 2), "1E15");
    EXPECT_EQ(FormatFloatText(0.000001, F::ffGeneral, 10, 4), "1E-0006");
    EXPECT_EQ(FormatFloatText(0.00001, F::ffGeneral, 10, 4), "0.00001");
    EXPECT_EQ(FormatFloatText(std::numeric_limits<double>::infinity(), F::ffGeneral, 10, 4), "");
}

TEST(FloatSpinFormat, ExponentFixedAndNumberForms)
{
    EXPECT_EQ(FormatFloatText(1234.5, F::ffExponent, 5, 2), "1.2345E+03");
    EXPECT_EQ(FormatFloatText(-0.001, F::ffExponent, 3, 0), "-1.00E-3");
    EXPECT_EQ(FormatFloatText(12.5, F::ffFixed, 10, 2), "12.50");
    EXPECT_EQ(FormatFloatText(-0.004, F::ffFixed, 10, 2), "0.00");
    EXPECT_EQ(FormatFloatText(1e12, F::ffFixed, 10, 2), "1.000000000E+12"); // too many integer digits
    EXPECT_EQ(FormatFloatText(1234567.891, F::ffNumber, 10, 2), "1,234,567.89");
    EXPECT_EQ(FormatFloatText(-1234.5, F::ffNumber, 10, 1), "-1,234.5");
    EXPECT_EQ(FormatFloatText(999, F::ffNumber, 10, 0), "999");
    EXPECT_EQ(FormatFloatText(1234.5, F::ffCurrency, 10, 2), "1,234.50");
}

TEST(FloatSpinFormat, EveryFormReadsBackAndJunkIsNoNumber)
{
    const double value = 98765.4321;
    for (F f : {F::ffGeneral, F::ffExponent, F::ffFixed, F::ffNumber, F::ffCurrency}) {
        const std::optional<double> back = ParseFloatText(FormatFloatText(value, f, 10, 4), f);
        ASSERT_TRUE(back) << int(f);
        EXPECT_NEAR(*back, value, 1e-4) << int(f);
    }
    for (const char* junk : {"", "1e+-2", "inf", "nan", "-", "1.2.3", "1e999", "1,5"})
        EXPECT_FALSE(ParseFloatText(junk, F::ffGeneral)) << junk;
}

TEST(FloatSpinFormat, StepsAddOrMultiplyAndRefuseWhatCannotBeTaken)
{
    EXPECT_EQ(StepFloatValue(3, 2, false, true), 5);
    EXPECT_EQ(StepFloatValue(3, 2, false, false), 1);
    EXPECT_EQ(StepFloatValue(3, 2, true, true), 6);
    EXPECT_EQ(StepFloatValue(3, 2, true, false), 1.5);
    EXPECT_FALSE(StepFloatValue(3, 0, true, false)); // no division by zero
    EXPECT_FALSE(StepFloatValue(3, 0, false, false));
    EXPECT_EQ(StepFloatValue(3, 0, false, true), 3);
    EXPECT_EQ(StepFloatValue(3, 0, true, true), 0);
    const double big = std::numeric_limits<double>::max();
    EXPECT_FALSE(StepFloatValue(big, 10, true, true));
    EXPECT_FALSE(StepFloatValue(1, 1e-310, true, false));
    EXPECT_FALSE(StepFloatValue(big, big, false, true));
}

TEST(FloatSpinFormat, TypedCharactersThatCanMakeANumber)
{
    for (char32_t c : std::u32string(U"0123456789+-eE.")) EXPECT_TRUE(IsFloatEditChar(c, true)) << char(c);
    for (char32_t c : std::u32string(U"axX, /é")) EXPECT_FALSE(IsFloatEditChar(c, true)) << char(c);
    EXPECT_TRUE(IsFloatEditChar(8, true));
    EXPECT_TRUE(IsFloatEditChar(3, true)); // control characters pass (copy, paste)
    EXPECT_FALSE(IsFloatEditChar(13, true));
    EXPECT_FALSE(IsFloatEditChar('5', false));
    EXPECT_FALSE(IsFloatEditChar(8, false));
    EXPECT_TRUE(IsFloatEditChar(9, false));
}

// ---- the widget ------------------------------------------------------------

namespace {

class TCountingFloatEdit : public TFloatEdit {
public:
    int Beeps = 0;
    // Text that arrives without passing the key filter, as a paste does.
    void Paste(const QString& text) { lineEdit()->setText(text); }
    void PutCursorAt(int position) { lineEdit()->setCursorPosition(position); }

protected:
    void Beep() override { ++Beeps; }
};

struct FloatEditFixture : ::testing::Test {
    TCountingFloatEdit edit;
    int changes = 0;

    void SetUp() override { edit.OnChange = [this](TFloatEdit*) { ++changes; }; }

    void Type(const char* text)
    {
        edit.selectAll();
        QTest::keyClicks(&edit, text);
    }

    void Leave()
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(&edit, &out);
    }

    // The image size dialog's settings.
    void AsImageSize()
    {
        edit.SetIncrement(1);
        edit.SetMaxValue(100000);
        edit.SetDecimals(2);
    }
};

} // namespace

TEST_F(FloatEditFixture, StartsAtZeroWithTheDefaultSettings)
{
    EXPECT_EQ(edit.text(), "0");
    EXPECT_EQ(edit.Value(), 0);
    EXPECT_EQ(edit.Increment(), 1.0);
    EXPECT_EQ(edit.MinWidth(), 10);
    EXPECT_EQ(edit.Decimals(), 4);
    EXPECT_EQ(edit.FType(), F::ffGeneral);
    EXPECT_FALSE(edit.Multiply());
}

TEST_F(FloatEditFixture, LeavingTheBoxLimitsATypedNumber)
{
    AsImageSize();
    Type("123456");
    Leave();
    EXPECT_EQ(edit.text(), "100000");
    Type("-5");
    Leave();
    EXPECT_EQ(edit.text(), "0");
    Type("12.50");
    Leave();
    EXPECT_EQ(edit.text(), "12.50"); // inside the limits the text stays as typed
    EXPECT_EQ(edit.Value(), 12.5);
}

TEST_F(FloatEditFixture, AMenuOrAnotherWindowTakingTheFocusLimitsNothing)
{
    AsImageSize();
    int exits = 0;
    edit.OnExit = [&](TFloatEdit*) { ++exits; };
    Type("123456");
    for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(&edit, &out);
    }
    EXPECT_EQ(edit.text(), "123456");
    EXPECT_EQ(exits, 0);
    Leave();
    EXPECT_EQ(edit.text(), "100000");
    EXPECT_EQ(exits, 1);
}

TEST_F(FloatEditFixture, ExitHandlerRunsBeforeTheLimit)
{
    AsImageSize();
    QString seen;
    edit.OnExit = [&](TFloatEdit* sender) { seen = sender->text(); };
    Type("2e5");
    Leave();
    EXPECT_EQ(seen, "2e5");
    EXPECT_EQ(edit.text(), "100000");
}

TEST_F(FloatEditFixture, WithoutLimitsAnyNumberIsKept)
{
    edit.SetValue(-1e6);
    EXPECT_EQ(edit.text(), "-1000000");
    Type("98765432.5");
    Leave();
    EXPECT_EQ(edit.text(), "98765432.5");
}

TEST_F(FloatEditFixture, UpAndDownMultiplyOrAddAndAreLimited)
{
    edit.SetValue(3);
    edit.SetMultiply(true);
    edit.SetIncrement(2);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "6");
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), "1.5");
    edit.SetMultiply(false);
    edit.UpClick();
    EXPECT_EQ(edit.text(), "3.5");
    edit.DownClick();
    edit.DownClick();
    EXPECT_EQ(edit.text(), "-0.5");
    edit.SetMaxValue(4);
    edit.SetMinValue(-1);
    edit.SetValue(3);
    edit.UpClick();
    EXPECT_EQ(edit.text(), "4");
    edit.stepBy(-10); // a page down: ten steps, limited at each
    EXPECT_EQ(edit.text(), "-1");
    EXPECT_EQ(edit.Beeps, 0);
}

TEST_F(FloatEditFixture, RefusedStepsBeepAndChangeNothing)
{
    edit.SetValue(3);
    edit.SetIncrement(0);
    edit.DownClick();
    EXPECT_EQ(edit.Beeps, 1);
    EXPECT_EQ(edit.text(), "3");
    edit.SetIncrement(2);
    edit.setReadOnly(true);
    edit.UpClick();
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.Beeps, 3);
    EXPECT_EQ(edit.text(), "3");
}

TEST_F(FloatEditFixture, RepeatedMultiplyingNeverStoresAnInfiniteValue)
{
    edit.SetMultiply(true);
    edit.SetIncrement(1e100);
    edit.SetValue(1);
    for (int i = 0; i < 10; ++i) edit.UpClick();
    EXPECT_TRUE(std::isfinite(edit.Value()));
    EXPECT_EQ(edit.Value(), 1e300);
    EXPECT_EQ(edit.Beeps, 7);
    edit.SetValue(std::numeric_limits<double>::infinity());
    edit.SetValue(std::nan(""));
    EXPECT_EQ(edit.Value(), 1e300);
}

TEST_F(FloatEditFixture, FormatSettingsReformatOnlyWhenTheyChange)
{
    Type("12.50000");
    changes = 0;
    edit.SetDecimals(4);
    edit.SetMinWidth(10);
    edit.SetFType(F::ffGeneral);
    EXPECT_EQ(edit.text(), "12.50000");
    EXPECT_EQ(changes, 0);
    edit.SetDecimals(2);
    EXPECT_EQ(edit.text(), "12.5");
    EXPECT_EQ(changes, 1);
    edit.SetFType(F::ffFixed);
    EXPECT_EQ(edit.text(), "12.50");
    edit.SetFType(F::ffNumber);
    edit.SetValue(1234.5);
    EXPECT_EQ(edit.text(), "1,234.50");
    edit.SetFType(F::ffGeneral); // its own grouped text reads back
    EXPECT_EQ(edit.text(), "1234.5");
}

TEST_F(FloatEditFixture, LettersOtherThanEBeepAndInsertNothing)
{
    Type("1x2");
    EXPECT_EQ(edit.text(), "12");
    EXPECT_EQ(edit.Beeps, 1);
    QTest::keyClicks(&edit, "e3");
    EXPECT_EQ(edit.text(), "12e3");
    EXPECT_EQ(edit.Value(), 12000);
    EXPECT_EQ(edit.Beeps, 1);
}

// X11 attaches the DEL character to the Delete key; it is an editing key,
// not a typed character, and must reach the box like Backspace does.
TEST_F(FloatEditFixture, DeleteKeyWithItsX11TextDeletesWithoutABeep)
{
    edit.SetValue(123);
    edit.PutCursorAt(0);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7f)));
    QApplication::sendEvent(&edit, &del);
    EXPECT_EQ(edit.text(), "23");
    EXPECT_EQ(edit.Beeps, 0);
    // With the editor off it is refused like every other edit.
    edit.SetEditorEnabled(false);
    QApplication::sendEvent(&edit, &del);
    EXPECT_EQ(edit.text(), "23");
    EXPECT_EQ(edit.Beeps, 1);
}

TEST_F(FloatEditFixture, TextThatIsNotANumberReadsAsTheLowerLimitAndStays)
{
    edit.SetMinValue(5);
    edit.SetMaxValue(50);
    Type("1e+-2");
    EXPECT_EQ(edit.Value(), 5);
    Leave();
    EXPECT_EQ(edit.text(), "1e+-2");
    Type("inf"); // i, n and f are refused; pasted text still reads as no number
    EXPECT_EQ(edit.text(), "1e+-2");
    EXPECT_EQ(edit.Beeps, 3);
    edit.Paste("inf");
    EXPECT_EQ(edit.Value(), 5);
}

TEST_F(FloatEditFixture, ChangeFiresForTypingAndWritingUnlessDetached)
{
    Type("7");
    EXPECT_EQ(changes, 1);
    edit.SetValue(7); // the same text: no change
    EXPECT_EQ(changes, 1);
    {
        THandlerGuard<void(TFloatEdit*)> detached(edit.OnChange);
        edit.SetValue(8);
    }
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(edit.text(), "8");
    edit.SetValue(9);
    EXPECT_EQ(changes, 2);
}

TEST_F(FloatEditFixture, WithTheEditorDisabledOnlyTheStepsChangeTheText)
{
    edit.SetEditorEnabled(false);
    QTest::keyClicks(&edit, "5");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.Beeps, 2);
    EXPECT_EQ(edit.text(), "0");
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "1");
}

// The image size dialog recomputes the other fields when one is clicked.
TEST_F(FloatEditFixture, ALeftClickInTheTextReportsOnClickButNotAClickOnAButton)
{
    int clicks = 0;
    edit.OnClick = [&](TFloatEdit* sender) {
        EXPECT_EQ(sender, &edit);
        ++clicks;
    };
    edit.resize(110, 24);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    QWidget* text = edit.findChild<QLineEdit*>();
    ASSERT_NE(text, nullptr);
    QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(5, text->height() / 2));
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(text, Qt::RightButton, {}, QPoint(5, text->height() / 2));
    QTest::mousePress(text, Qt::LeftButton, {}, QPoint(5, text->height() / 2));
    QTest::mouseRelease(text, Qt::LeftButton, {}, QPoint(-20, text->height() / 2)); // let go outside
    EXPECT_EQ(clicks, 1);
    QStyleOptionSpinBox option;
    option.initFrom(&edit);
    option.subControls = QStyle::SC_SpinBoxUp;
    const QPoint up = edit.style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, &edit).center();
    QTest::mouseClick(&edit, Qt::LeftButton, {}, up);
    EXPECT_EQ(edit.text(), "1");
    EXPECT_EQ(clicks, 1);
}

TEST_F(FloatEditFixture, ButtonsStepAndOnAReadOnlyBoxOnlyBeep)
{
    edit.resize(110, 24);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    QStyleOptionSpinBox option;
    option.initFrom(&edit);
    option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    const QPoint up = edit.style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, &edit).center();
    const QPoint down = edit.style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxDown, &edit).center();
    QTest::mouseClick(&edit, Qt::LeftButton, {}, up);
    EXPECT_EQ(edit.text(), "1");
    QTest::mouseClick(&edit, Qt::LeftButton, {}, down);
    QTest::mouseClick(&edit, Qt::LeftButton, {}, down);
    EXPECT_EQ(edit.text(), "-1");
    edit.setReadOnly(true);
    QTest::mouseClick(&edit, Qt::LeftButton, {}, up);
    EXPECT_EQ(edit.text(), "-1");
    EXPECT_EQ(edit.Beeps, 1);
}
