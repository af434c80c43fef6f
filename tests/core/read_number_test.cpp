// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/read_number.h"

// A number and nothing else, blanks around it aside; anything else is no number.
TEST(ReadNumber, ANumberAndNothingElse)
{
    const struct {
        const char* text;
        std::optional<double> decimal;
        std::optional<std::int32_t> integer;
    } rows[] = {
        {"52.5", 52.5, std::nullopt},
        {"  52.5 ", 52.5, std::nullopt},
        {"-0", 0.0, 0},
        {"+7", 7.0, 7},
        {"-12", -12.0, -12},
        {".5", 0.5, std::nullopt},
        {"5.", 5.0, std::nullopt},
        {"-1.5e2", -150.0, std::nullopt},
        {"1E3", 1000.0, std::nullopt},
        {"00012", 12.0, 12},
        {"2147483647", 2147483647.0, 2147483647},
        {"2147483648", 2147483648.0, std::nullopt},
        {"-2147483648", -2147483648.0, -2147483648},
        {"", std::nullopt, std::nullopt},
        {"   ", std::nullopt, std::nullopt},
        {"5x.1", std::nullopt, std::nullopt},
        {"12.5m", std::nullopt, std::nullopt},
        {"N45.1", std::nullopt, std::nullopt},
        {"1 2", std::nullopt, std::nullopt},
        {"1.2.3", std::nullopt, std::nullopt},
        {"1e", std::nullopt, std::nullopt},
        {"0x10", std::nullopt, std::nullopt},
        {"\t5", std::nullopt, std::nullopt},
        {"1e999", std::nullopt, std::nullopt},
        {"-1e999", std::nullopt, std::nullopt},
        {"1e-400", std::nullopt, std::nullopt},
        {"nan", std::nullopt, std::nullopt},
        {"NAN", std::nullopt, std::nullopt},
        {"inf", std::nullopt, std::nullopt},
        {"-infinity", std::nullopt, std::nullopt},
        {"+", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {".", std::nullopt, std::nullopt},
        {"+-5", std::nullopt, std::nullopt},
        {"++5", std::nullopt, std::nullopt},
        {"--5", std::nullopt, std::nullopt},
        {"-+5", std::nullopt, std::nullopt},
        {"3,25", std::nullopt, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ReadDecimal(row.text), row.decimal) << '"' << row.text << '"';
        EXPECT_EQ(ReadInteger(row.text), row.integer) << '"' << row.text << '"';
    }
}
