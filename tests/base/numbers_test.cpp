#include "base/numbers.h"

#include <clocale>

#include <gtest/gtest.h>

using namespace zorvane;

TEST(Numbers, Round2HalvesAwayFromZeroWithNudge)
{
    EXPECT_DOUBLE_EQ(round2(99.995), 100);
    EXPECT_DOUBLE_EQ(round2(0.005), 0.01);
    EXPECT_DOUBLE_EQ(round2(1.005), 1.01);
    EXPECT_DOUBLE_EQ(round2(2.675), 2.68);
    EXPECT_DOUBLE_EQ(round2(12.345), 12.35);
    EXPECT_DOUBLE_EQ(round2(-1.005), -1.01);
    EXPECT_DOUBLE_EQ(round2(12), 12);
    EXPECT_EQ(round2(0), 0);
}

TEST(Numbers, FormatIsPercent13gWhateverTheLocale)
{
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // may be missing; the result must not depend on it
    EXPECT_EQ(formatNumber(59.9), "59.9");
    EXPECT_EQ(formatNumber(100), "100");
    EXPECT_EQ(formatNumber(0.01), "0.01");
    EXPECT_EQ(formatNumber(1e20), "1e+20");
    EXPECT_EQ(formatNumber(0.5), "0.5");
    EXPECT_EQ(formatNumber(1234567890123456.0), "1.234567890123e+15");
    std::setlocale(LC_NUMERIC, "C");
}

TEST(Numbers, ParseReadsTheLeadingDecimalNumber)
{
    EXPECT_DOUBLE_EQ(parseNumber("12.50"), 12.5);
    EXPECT_DOUBLE_EQ(parseNumber("12.5.3"), 12.5);
    EXPECT_DOUBLE_EQ(parseNumber("."), 0);
    EXPECT_DOUBLE_EQ(parseNumber("  -1.9x"), -1.9);
    EXPECT_DOUBLE_EQ(parseNumber("abc"), 0);
    EXPECT_DOUBLE_EQ(parseNumber("1e3"), 1000);
    EXPECT_DOUBLE_EQ(parseNumber("1e"), 1);
    EXPECT_DOUBLE_EQ(parseNumber(".5"), 0.5);
    EXPECT_EQ(parseInteger("007"), 7);
    EXPECT_EQ(parseInteger("-12abc"), -12);
    EXPECT_EQ(parseInteger("99999999999999999999"), 9223372036854775807LL);
}
