// SPDX-License-Identifier: GPL-3.0-or-later
// The GPX texts: times, numbers, the 8-bit store texts, symbol names.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

#include "core/time/utc_time.h"
#include "formats/document/DocumentText.h"
#include "formats/document/Symbols.h"

using namespace doctext;

// One ISO 8601 reader for every time of a GPX file.
TEST(GpxText, TimesWithAnyOffsetAreReadInUtcWithinTheCalendar)
{
    const std::int64_t may25 = 1022284800, fix = may25 + 61581;  // 2002-05-25, 17:06:21 UTC
    const struct {
        const char* text;
        std::optional<UtcTime> expected;
    } cases[] = {
        {"2002-05-25T17:06:21Z", UtcTime{fix, 0}},
        {"2002-05-25T17:06:21.250Z", UtcTime{fix, 250000000}},
        {"2002-05-25T17:06:21.1234567891Z", UtcTime{fix, 123456789}},
        {" 2002-05-25T17:06:21 ", UtcTime{fix, 0}},
        {"2002-05-25T10:06:21-07:00", UtcTime{fix, 0}},
        {"2002-05-25T22:36:21+0530", UtcTime{fix, 0}},
        {"2002-05-26T03:06:21.000+10", UtcTime{fix, 0}},
        {"2002-05-25t17:06:21,5z", UtcTime{fix, 500000000}},
        {"2002-05-24T24:00:00Z", UtcTime{may25, 0}},
        {"2002-05-25", UtcTime{may25, 0}},
        {"2002-05-25T17:06Z", UtcTime{fix - 21, 0}},
        {"2016-12-31T23:59:60Z", UtcTime{1483228800, 0}},
        {"0001-01-01T00:00:00Z", UtcTime{-62135596800, 0}},
        {"9999-12-31T23:59:59.999999999Z", UtcTime{253402300799, 999999999}},
        // Beyond the calendar once the offset is applied.
        {"0001-01-01T00:30:00+01:00", {}},
        {"9999-12-31T23:30:00-01:00", {}},
        {"0000-12-31T00:00:00Z", {}},
        {"2002-02-30T00:00:00Z", {}},
        {"2002-13-01T00:00:00Z", {}},
        {"2002-05-25T24:00:01Z", {}},
        {"2002-05-25T17:61:00Z", {}},
        {"2002-05-25T17:06:21.Z", {}},
        {"2002-05-25T17:06:21+", {}},
        {"2002-05-25T17:06:21+25:00", {}},
        {"2002-05-25T17:06:21Zjunk", {}},
        {"25/05/2002", {}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseIsoTime(c.text), c.expected) << c.text;
}

// The usual layout is read in one pass, which must give what the general
// reading gives (a leading blank takes the general way), valid or not.
TEST(GpxText, TheUsualLayoutReadsAsAnyOther)
{
    std::mt19937_64 random(32);
    const auto digits = [&](int count, int most) {
        std::string text = std::to_string(random() % static_cast<unsigned>(most + 1));
        return std::string(static_cast<std::size_t>(count) - std::min<std::size_t>(text.size(), count), '0') + text;
    };
    for (int i = 0; i < 100000; ++i) {
        std::string text = digits(4, 9999) + "-" + digits(2, 13) + "-" + digits(2, 32) + "T" + digits(2, 24) + ":" +
                           digits(2, 60) + ":" + digits(2, 61);
        if (i % 2 == 0) text += "." + digits(1 + static_cast<int>(random() % 10), 999999999);
        text += "Z";
        ASSERT_EQ(ParseIsoTime(text), ParseIsoTime(" " + text)) << text;
    }
}

// Every time written reads back as itself.
TEST(GpxText, TimesWrittenReadBackTheSame)
{
    std::mt19937_64 random(31);
    std::uniform_int_distribution<std::int64_t> seconds(-62135596800, 253402300799);
    std::uniform_int_distribution<std::int32_t> nanoseconds(0, 999999999);
    for (int i = 0; i < 20000; ++i) {
        const UtcTime time{seconds(random), i % 3 == 0 ? 0 : nanoseconds(random)};
        ASSERT_EQ(ParseIsoTime(IsoTime(time)), time) << IsoTime(time);
    }
}

TEST(GpxText, DecimalsAreReadStrictlyAndWrittenShortWithoutExponentOrMinusZero)
{
    const struct {
        const char* text;
        std::optional<double> expected;
    } read[] = {{" -0.25\n", -0.25}, {"+3", 3},     {".5", 0.5},  {"1e2", 100}, {"nan", {}},  {"-inf", {}},
                {"+-5", {}},         {"1.2.3", {}}, {"12 5", {}}, {"0x10", {}}, {"1e400", {}}};
    for (const auto& c : read) EXPECT_EQ(ParseDecimal(c.text), c.expected) << c.text;
    // Short decimals take a quicker way to the same double as long ones.
    std::mt19937_64 random(7);
    for (int i = 0; i < 100000; ++i) {
        const std::size_t decimals = random() % 16;
        std::string text = std::to_string(random() % 1000000000000000u);
        if (decimals > 0) {
            if (text.size() <= decimals) text.insert(0, decimals + 1 - text.size(), '0');
            text.insert(text.size() - decimals, ".");
        }
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        ASSERT_EQ(ParseDecimal(text), expected) << text;
    }

    for (const double v : {40.18894976936280727386474609375, -105.17836097627878, 1e-7, 89.99999999999999}) {
        std::string text;
        AppendDecimal(text, v, kPositionDecimals);
        EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
        EXPECT_EQ(*ParseDecimal(text), v) << text;
    }
    const struct {
        double value;
        int decimals;
        const char* text;
    } written[] = {{-0.0, 15, "0"},
                   {1e-300, 15, "0"},
                   {-1e-20, 6, "0"},
                   {0.1234567890123456789, 6, "0.123457"},
                   {-2.5e-6, 6, "-0.000003"}};
    for (const auto& c : written) {
        std::string text;
        AppendDecimal(text, c.value, c.decimals);
        EXPECT_EQ(text, c.text);
    }
    std::string elevation;
    AppendDecimal(elevation, 1531.4000244140625f, kElevationDecimals);  // a float's shortest form
    EXPECT_EQ(elevation, "1531.4");

    // Whatever the value: plain digits, at most the decimals asked for and
    // none trailing, the value rounded to them; the value itself where that
    // reads back as it. Halves at the last place and integers without decimals included.
    std::uniform_real_distribution<double> unit(-1, 1);
    for (int i = 0; i < 200000; ++i) {
        const int decimals = i % 2 == 0 ? static_cast<int>(random() % 10) : kPositionDecimals;
        const double scale = std::pow(10.0, static_cast<int>(random() % 12) - 4);
        const double value =
            i % 3 == 0 ? (std::round(unit(random) * 1e6) + 0.5) / std::pow(10.0, decimals) : unit(random) * scale;
        std::string text;
        AppendDecimal(text, value, decimals);
        SCOPED_TRACE(text + " of " + std::to_string(value) + " to " + std::to_string(decimals));
        const std::size_t point = text.find('.');
        ASSERT_EQ(text.find_first_not_of("-0123456789."), std::string::npos);
        ASSERT_TRUE(point == std::string::npos ||
                    (text.size() - point - 1 <= static_cast<std::size_t>(decimals) && text.back() != '0'));
        const double back = *ParseDecimal(text);
        ASSERT_LE(std::fabs(back - value), 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + std::fabs(value) * 1e-15);
        char shortest[400];
        const char* end = std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::fixed).ptr;
        const char* dot = std::find(static_cast<const char*>(shortest), end, '.');
        if (end - dot <= decimals + 1) {
            ASSERT_EQ(back, value);
        }
    }
}

// Positions of few decimals, converted ones and any double at all: the
// shortest form is the library's wherever that has no more decimals than asked for.
TEST(GpxText, PositionsAreWrittenAsTheLibrarysShortestForm)
{
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> degrees(-180, 180);
    for (int i = 0; i < 300000; ++i) {
        const int decimals = static_cast<int>(random() % 16);
        double value = 0;
        switch (i % 4) {
        case 0: value = std::round(degrees(random) * std::pow(10.0, decimals)) / std::pow(10.0, decimals); break;
        case 1: value = static_cast<double>(static_cast<std::int32_t>(random())) * (180.0 / 2147483648.0); break;
        case 2: value = degrees(random) * std::pow(10.0, static_cast<int>(random() % 30) - 15); break;
        default: value = std::bit_cast<double>(random()); break;
        }
        if (!std::isfinite(value)) continue;
        char shortest[400];
        const char* end = std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::fixed).ptr;
        std::string expected(static_cast<const char*>(shortest), end);
        const std::size_t dot = expected.find('.');
        if (dot != std::string::npos && expected.size() - dot - 1 > static_cast<std::size_t>(kPositionDecimals))
            continue;
        if (expected.find_first_not_of("-0.") == std::string::npos) expected = "0";
        std::string text;
        AppendDecimal(text, value, kPositionDecimals);
        ASSERT_EQ(text, expected);
    }
}

TEST(GpxText, SymbolNamesGoBothWays)
{
    // 11 is written in its usual spelling, and read in the table's, as native files have always had it.
    for (std::int16_t symbol = 1; symbol <= 118; ++symbol)
        EXPECT_EQ(SymbolFromName(SymbolName(symbol)), symbol == 11 ? 70 : symbol);
    EXPECT_EQ(SymbolName(11), "Cemetery");
    EXPECT_EQ(SymbolFromName("Cemetary"), 11);
    EXPECT_EQ(SymbolName(0), "");  // what readers without symbols leave
    EXPECT_EQ(SymbolName(36), "Medical Facility");
    EXPECT_EQ(SymbolName(92), "Navaid, Amber");
    const struct {
        const char* name;
        std::int16_t symbol;
    } names[] = {{"medical facilit", 36}, {"NAVAID,AMBER", 92}, {"Diver Down Flag 2", 80}, {"Flag, Blue", 70}};
    for (const auto& n : names) EXPECT_EQ(SymbolFromName(n.name), n.symbol) << n.name;
}
