// The exactness rules everything else rests on: the one generator, rounding
// halves to even and locale-free number text.
#include "gfx/NumberText.h"
#include "gfx/Random.h"
#include "gfx/Rounding.h"

#include "common/CommaLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

namespace {

class RandomTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = RandSeed; RandSeed = 0; }
    void TearDown() override { RandSeed = saved_; }
    uint32_t saved_ = 0;
};

TEST_F(RandomTest, FirstDrawsFromSeedZeroMatchHandWorkedValues)
{
    // seed 1: 1 * 10 >> 32 = 0
    EXPECT_EQ(Random(10), 0);
    EXPECT_EQ(RandSeed, 1u);
    // seed 1 * 134775813 + 1 = 134775814: 13477581400 >> 32 = 3
    EXPECT_EQ(Random(100), 3);
    EXPECT_EQ(RandSeed, 134775814u);
    // seed (134775814 * 134775813 + 1) mod 2^32 = 3698175007: * 1000 >> 32 = 861
    EXPECT_EQ(Random(1000), 861);
    EXPECT_EQ(RandSeed, 3698175007u);
}

TEST_F(RandomTest, RandomOfZeroIsZeroButStillAdvancesTheSeed)
{
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(RandSeed, 1u);
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(RandSeed, 134775814u);
}

TEST_F(RandomTest, ResultStaysBelowNForTheLargestN)
{
    RandSeed = 0xFFFFFFFEu; // next seed is the largest possible product factor
    const int32_t n = std::numeric_limits<int32_t>::max();
    for (int i = 0; i < 1000; ++i) {
        const int32_t r = Random(n);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, n);
    }
}

TEST(RoundTest, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(3.5), 4);
    EXPECT_EQ(Round(-2.5), -2);
    EXPECT_EQ(Round(-3.5), -4);
    EXPECT_EQ(Round(127.5), 128);
    EXPECT_EQ(Round(0.5), 0);
    EXPECT_EQ(Round(2.5000001), 3);
}

TEST(RoundTest, OutOfRangeSaturatesAndNanIsZero)
{
    EXPECT_EQ(Round(1e300), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(Round(-1e300), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(Round(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(NumberTextTest, GeneralFormatWithGaugeAndSpinEditDigits)
{
    EXPECT_EQ(FormatGeneral(1.5, 4), "1.5");
    EXPECT_EQ(FormatGeneral(3.14159265, 4), "3.142");
    EXPECT_EQ(FormatGeneral(12, 4), "12");
    EXPECT_EQ(FormatGeneral(0.0001, 4), "0.0001");
    EXPECT_EQ(FormatGeneral(-0.25, 4), "-0.25");
    EXPECT_EQ(FormatGeneral(0, 4), "0");
    EXPECT_EQ(FormatGeneral(123456, 4), "1.235E5");
    EXPECT_EQ(FormatGeneral(0.1 + 0.2, 10), "0.3");
    EXPECT_EQ(FormatGeneral(2.0 / 3.0, 10), "0.6666666667");
    EXPECT_EQ(FormatGeneral(1234567890, 10), "1234567890");
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity(), 4), "");
}

TEST(NumberTextTest, FixedFormat)
{
    EXPECT_EQ(FormatFixed(0.5, 4), "0.5000");
    EXPECT_EQ(FormatFixed(1.0 / 3.0, 2), "0.33");
    EXPECT_EQ(FormatFixed(-12.125, 1), "-12.1");
    EXPECT_EQ(FormatFixed(-0.00001, 2), "0.00"); // no sign on a printed zero
}

TEST(NumberTextTest, ParseAcceptsPlainDecimalsOnly)
{
    EXPECT_EQ(ParseNumber(" 1.5 "), 1.5);
    EXPECT_EQ(ParseNumber("-2"), -2.0);
    EXPECT_EQ(ParseNumber("+0.25"), 0.25);
    EXPECT_EQ(ParseNumber("1e3"), 1000.0);
    for (const char* bad : {"inf", "-inf", "nan", "NaN", "", "   ", "1.5x", "1,5", "0x10", "1e999", "+-2", "+", "- 2"})
        EXPECT_FALSE(ParseNumber(bad).has_value()) << '"' << bad << '"';
    EXPECT_EQ(ParseInteger("42"), 42);
    EXPECT_FALSE(ParseInteger("4.2").has_value());
    EXPECT_FALSE(ParseInteger("+-4").has_value());
    EXPECT_EQ(ParseInteger("+4"), 4);
    EXPECT_FALSE(ParseInteger("99999999999").has_value());
}

TEST(NumberTextTest, CommaDecimalLocaleChangesNothing)
{
    std::string formatted;
    std::optional<double> parsed, comma;
    {
        TCommaLocale locale;
        if (!locale.Active()) GTEST_SKIP() << "no comma-decimal locale could be made";
        formatted = FormatGeneral(1.5, 4);
        parsed = ParseNumber("1.5");
        comma = ParseNumber("1,5");
    }
    EXPECT_EQ(formatted, "1.5");
    EXPECT_EQ(parsed, 1.5);
    EXPECT_FALSE(comma.has_value());
}

} // namespace
