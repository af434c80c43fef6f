#include <gtest/gtest.h>

#include <limits>

#include "core/clock.h"
#include "core/number_format.h"

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

TEST(Clock, PinnedForTests)
{
    PinClock(100.25, 100.5);
    EXPECT_EQ(NowLocal(), 100.25);
    EXPECT_EQ(NowUtc(), 100.5);
    UnpinClock();
    EXPECT_GT(NowUtc(), 46000.0);  // after 2025
}
