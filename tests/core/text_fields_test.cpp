#include <gtest/gtest.h>

#include "core/clock.h"
#include "core/text_fields.h"

TEST(GetField, MissingEmptyAndBlankFields)
{
    EXPECT_EQ(GetField("a,,c", 2, "x"), "x");
    EXPECT_EQ(GetField("a, ,c", 2, "x"), "");
    EXPECT_EQ(GetField("a,b", 3, "x"), "x");
    EXPECT_EQ(GetField("a,b", 0, "x"), "x");
    EXPECT_EQ(GetField(" a ,b", 1, "x"), "a");
    EXPECT_EQ(GetField("a,b,", 3, "x"), "x");
    EXPECT_EQ(GetField("\"a,b\"", 2, "x"), "b\"");  // quotes do not protect a comma
}

TEST(GetFloatField, IgnoresUnitsAndLettersButNotInnerBlanks)
{
    EXPECT_DOUBLE_EQ(GetFloatField("1,2.5,3", 2, 0), 2.5);
    EXPECT_DOUBLE_EQ(GetFloatField("1,abc", 2, 7), 0.0);
    EXPECT_DOUBLE_EQ(GetFloatField("1", 2, 7), 7.0);
    EXPECT_DOUBLE_EQ(GetFloatField("12.5m", 1, 0), 12.5);
    EXPECT_DOUBLE_EQ(GetFloatField("N45.1", 1, 0), 45.1);
    EXPECT_DOUBLE_EQ(GetFloatField("1 2", 1, 0), 1.0);
    EXPECT_DOUBLE_EQ(GetFloatField("1e99999", 1, 7), 7.0);  // overflow gives the default
}

TEST(GetIntField, WholeNumbersOnly)
{
    EXPECT_EQ(GetIntField("5,-12", 2, 0), -12);
    EXPECT_EQ(GetIntField("5,12.7", 2, 99), 99);
    EXPECT_EQ(GetIntField("5,#12", 2, 0), 12);
    EXPECT_EQ(GetIntField("+7", 1, 0), 7);
    EXPECT_EQ(GetIntField("1-2", 1, 3), 3);
    EXPECT_EQ(GetIntField("99999999999", 1, 4), 4);
    EXPECT_EQ(GetIntField("-2147483648", 1, 4), -2147483648);
    EXPECT_EQ(GetIntField("abc", 1, 4), 4);
    EXPECT_EQ(GetIntField("+", 1, 4), 4);
}

TEST(TextToFloat, FullNumbersAndThePartialValue)
{
    EXPECT_DOUBLE_EQ(TextToFloat("3,25"), 3.25);
    EXPECT_DOUBLE_EQ(TextToFloat(""), 0.0);
    EXPECT_DOUBLE_EQ(TextToFloat("  -1.5e2 "), -150.0);
    EXPECT_DOUBLE_EQ(TextToFloat(".5"), 0.5);
    EXPECT_DOUBLE_EQ(TextToFloat("12 5"), 12.0);
    EXPECT_DOUBLE_EQ(TextToFloat("-3.5x"), 35.0);
    EXPECT_DOUBLE_EQ(TextToFloat("1.2.3"), 12.0);
    EXPECT_DOUBLE_EQ(TextToFloat("x"), 0.0);
    EXPECT_DOUBLE_EQ(TextToFloat("inf"), 0.0);
    EXPECT_THROW(TextToFloat("1e400"), ConversionError);
    EXPECT_DOUBLE_EQ(TextToFloat("1e-400"), 0.0);
}

TEST(GetSpaceField, RunsOfBlanksAndTabs)
{
    EXPECT_EQ(GetSpaceField("  A   B C", 2, "0"), "B");
    EXPECT_EQ(GetSpaceField("A", 2, "0"), "0");
    EXPECT_EQ(GetSpaceField("A\tB", 2, "0"), "B");
    EXPECT_EQ(GetSpaceField("  A   B C", 3, "0"), "C");
    EXPECT_EQ(GetSpaceField("", 1, "0"), "0");
}

TEST(Padding, ZerosOnTheLeftBlanksOnTheRight)
{
    EXPECT_EQ(PadLeftZeros("7", 4), "0007");
    EXPECT_EQ(PadLeftZeros("12345", 4), "12345");
    EXPECT_EQ(PadRightSpaces("ABC", 5), "ABC  ");
    EXPECT_EQ(PadRightSpaces("ABCDEFG", 5), "ABCDE");
    EXPECT_EQ(PadRightSpaces("ABC", -1), "");
}

TEST(Trimming, OnlyBlanksAreTrimmed)
{
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
    EXPECT_EQ(TrimLeftSpaces("  a "), "a ");
    EXPECT_EQ(TrimRightSpaces("  a "), "  a");
    EXPECT_TRUE(IsBlank("   "));
    EXPECT_TRUE(IsBlank(""));
    EXPECT_FALSE(IsBlank(" \t"));
    EXPECT_EQ(UpperText("abz\xE9-Q"), "ABZ\xE9-Q");
}

TEST(LocalToUtc, AddsTheBiasInDays)
{
    TimeZoneBias = -60;
    EXPECT_NEAR(LocalToUtc(1.5), 1.5 - 60.0 / 1440.0, 1e-12);
    TimeZoneBias = 0;
}

TEST(FormatFixed, PointAsDecimalSeparatorAndSignificantDigits)
{
    EXPECT_EQ(FormatFixed(10, 1, 10.0), "10.0");
    EXPECT_EQ(FormatFixed(10, 1, 0.0), "0.0");
    EXPECT_EQ(FormatFixed(10, 1, -2.25), "-2.3");
    EXPECT_EQ(FormatFixed(10, 1, 9.96), "10.0");
    EXPECT_EQ(FormatFixed(10, 1, -0.01), "0.0");
    EXPECT_EQ(FormatFixed(10, 1, 123456789.96), "123456790.0");
    EXPECT_EQ(FormatFixed(10, 1, 1e12).find('E') != std::string::npos, true);
    EXPECT_EQ(FormatFixed(10, 1, 1.0 / 0.0), "INF");
}
