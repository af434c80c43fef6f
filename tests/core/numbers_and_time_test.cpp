// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/text/number_format.h"
#include "core/time/clock.h"

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven<int>(0.5, -1), 0);
    EXPECT_EQ(RoundHalfEven<int>(1.5, -1), 2);
    EXPECT_EQ(RoundHalfEven<int>(2.5, -1), 2);
    EXPECT_EQ(RoundHalfEven<int>(-2.5, -1), -2);
    EXPECT_EQ(RoundHalfEven<int>(2.6, -1), 3);
}

TEST(RoundHalfEven, DefinedForEveryBitPattern)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(RoundHalfEven<int>(nan, -777), -777);
    EXPECT_EQ(RoundHalfEven<int>(inf, 0), 0);
    EXPECT_EQ(RoundHalfEven<int>(1e300, 0), std::numeric_limits<int>::max());
    EXPECT_EQ(RoundHalfEven<int>(-1e300, 0), std::numeric_limits<int>::min());
    EXPECT_EQ(RoundHalfEven<std::int16_t>(40000.0, 0), 32767);
    EXPECT_EQ(RoundHalfEven<std::int64_t>(1e19, 0), std::numeric_limits<std::int64_t>::max());
}

TEST(Notations, RightAlignedNeverCut)
{
    EXPECT_EQ(FormatInt(1, 4), "   1");
    EXPECT_EQ(FormatInt(-12345, 3), "-12345");
    EXPECT_EQ(FormatInt(17, 0), "17");
    EXPECT_EQ(FormatReal(51.5, 11, 6), "  51.500000");
    EXPECT_EQ(FormatReal(1.23456789, 11, 6), "   1.234568");
    EXPECT_EQ(FormatReal(-777, 7, 0), "   -777");
    EXPECT_EQ(FormatReal(33605, 13, 7), "33605.0000000");
    EXPECT_EQ(FormatReal(1e300, 3, 1).size(), 303u);
    EXPECT_EQ(FormatInt(0, 3), "  0");
    EXPECT_EQ(FormatInt(std::numeric_limits<std::int64_t>::min(), 0), "-9223372036854775808");
    EXPECT_EQ(FormatInt(9999999999, 11), " 9999999999");
    EXPECT_EQ(FormatInt(10000000000, 11), "10000000000");
    EXPECT_EQ(FormatInt(7, 40), std::string(39, ' ') + "7");
    EXPECT_EQ(FormatReal(-1.5, 40, 1), std::string(36, ' ') + "-1.5");
    EXPECT_EQ(FormatReal(2.5, 5, 30), "2.500000000000000000000000000000");
}

TEST(Calendar, DayCountsBothWays)
{
    EXPECT_EQ(EncodeDate(1992, 1, 2).value(), 33605.0);
    EXPECT_EQ(EncodeDate(1970, 1, 1).value(), kUnixEpochDay);
    EXPECT_FALSE(EncodeDate(1998, 2, 30));
    EXPECT_FALSE(EncodeDate(1998, 13, 1));
    EXPECT_FALSE(EncodeTime(24, 0, 0));
    const CalendarTime t = DecodeDateTime(36000.5);
    EXPECT_EQ(t.Year, 1998);
    EXPECT_EQ(t.Month, 7);
    EXPECT_EQ(t.Day, 24);
    EXPECT_EQ(t.Hour, 12);
    EXPECT_EQ(t.Minute, 0);
    // A time a hair before midnight rounds to the next day's 00:00:00.
    const CalendarTime late = DecodeDateTime(36000.0 + 86399.9999 / 86400.0);
    EXPECT_EQ(late.Day, 25);
    EXPECT_EQ(late.Hour, 0);
    const CalendarTime garbage = DecodeDateTime(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(garbage.Year, 1899);
    EXPECT_EQ(DecodeDateTime(1e300).Year, 9999);
}

TEST(Clock, FixedForTestsOrTheHosts)
{
    const Clock fixed = Clock::Fixed(100.25, 100.5);
    EXPECT_EQ(fixed.Local(), 100.25);
    EXPECT_EQ(fixed.Utc(), 100.5);
    EXPECT_GT(Clock{}.Utc(), 46000.0);  // after 2025
    EXPECT_GT(Clock{}.Local(), 46000.0);
}

namespace {
// A correctly rounded decimal conversion of the exact value, right-aligned,
// with no sign before a zero.
std::string ExactReal(double value, int width, int decimals)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, result.ptr);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}
}  // namespace

TEST(Notations, RealsRoundOnceFromTheExactValue)
{
    const double half = 0.5;
    const std::vector<double> edges = {0.5,
                                       1.5,
                                       2.5,
                                       -2.5,
                                       0.125,
                                       0.375,
                                       std::nextafter(2.5, 3.0),
                                       std::nextafter(2.5, 2.0),
                                       0.0000005,
                                       0.0000015,
                                       1.0000005,
                                       -0.0000005,
                                       51.5,
                                       -0.1,
                                       45000.5 + 1.0 / 86400,
                                       33605,
                                       0x1p52 - half,
                                       0x1p52,
                                       0x1p53 + 2,
                                       1e300,
                                       -1e300,
                                       5e-324,
                                       0.0,
                                       -0.0,
                                       123456789.0625,
                                       4503599.6270495,
                                       -777};
    for (const double v : edges)
        for (const int decimals : {0, 1, 2, 6, 7})
            EXPECT_EQ(FormatReal(v, 11, decimals), ExactReal(v, 11, decimals)) << v << " " << decimals;

    // Values next to the halves of the last decimal, where a product rounded
    // to a double could land on the half, and values of every size.
    std::mt19937_64 random(5);
    for (int i = 0; i < 200000; ++i) {
        const int decimals = std::array{0, 6, 7}[i % 3];
        double v;
        switch (i % 4) {
        case 0: v = (static_cast<double>(random() % 100000000) + 0.5) / std::pow(10.0, decimals); break;
        case 1: v = std::uniform_real_distribution<double>(-180, 180)(random); break;
        case 2: v = std::uniform_real_distribution<double>(0, 60000)(random); break;
        default:
            v = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random),
                           static_cast<int>(random() % 120) - 60);
        }
        if (i % 8 == 0) v = std::nextafter(v, random() % 2 ? 1e9 : -1e9);
        ASSERT_EQ(FormatReal(v, 13, decimals), ExactReal(v, 13, decimals)) << v << " " << decimals;
    }
}

TEST(Notations, NoNegativeZero)
{
    EXPECT_EQ(FormatReal(-0.0, 11, 6), "   0.000000");
    EXPECT_EQ(FormatReal(-0.0000004, 11, 6), "   0.000000");
    EXPECT_EQ(FormatReal(-0.4, 7, 0), "      0");
    EXPECT_EQ(FormatReal(-0.0000005, 11, 6), "   0.000000");  // the double is just below the half
    EXPECT_EQ(FormatReal(-0.0000006, 11, 6), "  -0.000001");
    EXPECT_EQ(FormatReal(-1e-300, 3, 20), "0.00000000000000000000");
}

TEST(RoundProduct, TheExactProductDecides)
{
    std::int64_t whole = 0;
    ASSERT_TRUE(RoundProduct(2.5, 1, whole));
    EXPECT_EQ(whole, 2);
    ASSERT_TRUE(RoundProduct(-3.5, 1, whole));
    EXPECT_EQ(whole, -4);
    // Each product is exactly x.5 as a double, while the stored value lies
    // just above or just below the half.
    const std::vector<std::pair<double, std::int64_t>> halves = {
        {0.0000025, 3}, {0.0000035, 3}, {2.0000005, 2000001}, {51.0000005, 51000000}};
    for (const auto& [value, expected] : halves) {
        ASSERT_TRUE(RoundProduct(value, 1e6, whole));
        EXPECT_EQ(whole, expected) << value;
    }
    EXPECT_FALSE(RoundProduct(std::numeric_limits<double>::quiet_NaN(), 1, whole));
    EXPECT_FALSE(RoundProduct(1e300, 10, whole));
}
