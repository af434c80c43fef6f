// The GPX texts: times, numbers, escaping, the 8-bit store texts, symbol names.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "core/clock.h"
#include "formats/gpx/GpxText.h"

using namespace gpx;

namespace {
const double kMay25 = *EncodeDate(2002, 5, 25);
constexpr double kSecond = 1.0 / 86400;
}  // namespace

TEST(GpxText, TimesWithAnyOffsetBecomeUtcDayCounts)
{
    const struct {
        const char* text;
        std::optional<double> expected;
    } cases[] = {
        {"2002-05-25T17:06:21Z", kMay25 + 61581 * kSecond},
        {"2002-05-25T17:06:21.250Z", kMay25 + 61581.25 * kSecond},
        {" 2002-05-25T17:06:21 ", kMay25 + 61581 * kSecond},  // no offset: UTC
        {"2002-05-25T10:06:21-07:00", kMay25 + 61581 * kSecond},
        {"2002-05-25T22:36:21+0530", kMay25 + 61581 * kSecond},
        {"2002-05-26T03:06:21.000+10", kMay25 + 61581 * kSecond},
        {"2002-05-25t17:06:21,5z", kMay25 + 61581.5 * kSecond},
        {"2002-05-24T24:00:00Z", kMay25},
        {"2002-05-25", kMay25},
        {"2002-05-25T17:06Z", kMay25 + 61560 * kSecond},
        {"2002-02-30T00:00:00Z", std::nullopt},
        {"2002-13-01T00:00:00Z", std::nullopt},
        {"2002-05-25T24:00:01Z", std::nullopt},
        {"2002-05-25T17:61:00Z", std::nullopt},
        {"2002-05-25T17:06:21.Z", std::nullopt},
        {"2002-05-25T17:06:21+", std::nullopt},
        {"2002-05-25T17:06:21+25:00", std::nullopt},
        {"2002-05-25T17:06:21Zjunk", std::nullopt},
        {"25/05/2002", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto got = ParseTime(c.text);
        ASSERT_EQ(got.has_value(), c.expected.has_value());
        if (got) {
            EXPECT_NEAR(*got, *c.expected, 1e-9);
        }
    }
}

TEST(GpxText, DecimalsAreReadStrictly)
{
    const struct {
        const char* text;
        std::optional<double> expected;
    } cases[] = {
        {"45.5", 45.5}, {" -0.25\n", -0.25}, {"+3", 3}, {".5", 0.5}, {"1e2", 100},
        {"nan", std::nullopt}, {"-inf", std::nullopt}, {"+-5", std::nullopt}, {"", std::nullopt},
        {"1.2.3", std::nullopt}, {"12 5", std::nullopt}, {"0x10", std::nullopt}, {"1e400", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto got = ParseDecimal(c.text);
        ASSERT_EQ(got.has_value(), c.expected.has_value());
        if (got) {
            EXPECT_EQ(*got, *c.expected);
        }
    }
}

TEST(GpxText, NumbersAreShortestFixedAndReadBackExactly)
{
    const double values[] = {40.18894976936280727386474609375, -105.17836097627878, 1e-7, 51.5, -0.0, 89.99999999999999};
    for (const double v : values) {
        std::string text;
        AppendDecimal(text, v, kPositionDecimals);
        SCOPED_TRACE(text);
        EXPECT_EQ(text.find_first_of("eEn"), std::string::npos);
        EXPECT_NE(text, "-0");
        EXPECT_EQ(*ParseDecimal(text), v);
    }
    const struct {
        double value;
        int decimals;
        const char* text;
    } capped[] = {{1e-300, 15, "0"}, {-1e-20, 6, "0"}, {0.1234567890123456789, 6, "0.123457"}, {-2.5e-6, 6, "-0.000003"}};
    for (const auto& c : capped) {
        std::string text;
        AppendDecimal(text, c.value, c.decimals);
        EXPECT_EQ(text, c.text);
    }
    std::string text;
    AppendDecimal(text, 1531.4000244140625f, kElevationDecimals);
    EXPECT_EQ(text, "1531.4");
}

TEST(GpxText, UtcTimesAreWrittenToTheMillisecondWithinYearsOneTo9999)
{
    const struct {
        double day;
        const char* expected;  // nullptr: not written
    } cases[] = {
        {36000.5, "1998-07-24T12:00:00Z"},
        {kMay25 + 61581.25 * kSecond, "2002-05-25T17:06:21.250Z"},
        {*EncodeDate(1, 1, 1), "0001-01-01T00:00:00Z"},
        {*EncodeDate(1, 1, 1) - 1, nullptr},
        {*EncodeDate(9999, 12, 31) + 1, nullptr},
        {std::numeric_limits<double>::quiet_NaN(), nullptr},
    };
    for (const auto& c : cases) {
        std::string out = "x";
        const bool written = AppendUtcTime(out, c.day);
        EXPECT_EQ(written, c.expected != nullptr);
        EXPECT_EQ(out, std::string("x") + (c.expected ? c.expected : ""));
    }
}

TEST(GpxText, EscapingGivesUtf8WithoutForbiddenControls)
{
    std::string out;
    AppendEscaped(out, "a&b<c>\"d\x01\x0B\t\xE9\x80");
    EXPECT_EQ(out, "a&amp;b&lt;c&gt;&quot;d\t\xC3\xA9\xE2\x82\xAC");
}

TEST(GpxText, StoreTextsAreSingleLineWindows1252)
{
    const struct {
        const char* utf8;
        const char* legacy;
    } cases[] = {
        {"Qu\xC3\xA9" "bec \xE2\x82\xAC", "Qu\xE9" "bec \x80"},
        {"\xC2\x80 \xC2\x9D", "\x80 \x9D"},  // C1 controls: bytes of a mislabelled 1252 file
        {"\xE6\x97\xA5\xE6\x9C\xAC", "??"},
        {"bad \xFF byte", "bad ? byte"},
        {"  first line  \r\n\t  second line ", "first line second line"},
        {"Airport-L06, Death Valley", "Airport-L06  Death Valley"},
        {" \n ", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ToStoreText(c.utf8), c.legacy) << c.utf8;
}

TEST(GpxText, SymbolNamesGoBothWays)
{
    for (std::int16_t symbol = 1; symbol <= 118; ++symbol) {
        const std::string name = SymbolName(symbol);
        ASSERT_FALSE(name.empty()) << symbol;
        EXPECT_EQ(SymbolFromName(name), symbol) << name;
    }
    EXPECT_EQ(SymbolName(0), "");
    EXPECT_EQ(SymbolName(119), "");
    EXPECT_EQ(SymbolName(36), "Medical Facility");
    EXPECT_EQ(SymbolName(92), "Navaid, Amber");
    const struct {
        const char* name;
        std::int16_t symbol;
    } names[] = {
        {"medical facilit", 36}, {"NAVAID,AMBER", 92}, {"Diver Down Flag 2", 80}, {"Flag, Blue", 70}, {"", 70},
    };
    for (const auto& n : names) EXPECT_EQ(SymbolFromName(n.name), n.symbol) << n.name;
}
