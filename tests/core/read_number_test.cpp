// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/text/read_number.h"

// A number and nothing else, blanks around it aside; anything else is no number.
TEST(ReadNumber, ANumberAndNothingElse)
{
    for (const char* text : {"52.5", "  52.5 ", ".5", "5.", "-1.5e2", "1E3", "2147483648"}) {
        EXPECT_EQ(ReadDecimal(text), std::stod(text)) << '"' << text << '"';
        EXPECT_EQ(ReadInteger(text), std::nullopt) << '"' << text << '"';
    }
    for (const char* text : {"-0", "+7", "-12", "00012", "2147483647", "-2147483648"}) {
        EXPECT_EQ(ReadDecimal(text), std::stod(text)) << '"' << text << '"';
        EXPECT_EQ(ReadInteger(text), std::stoi(text)) << '"' << text << '"';
    }
    for (const char* text :
         {"",    "   ", "5x.1", "12.5m",     "N45.1", "1 2", "1.2.3", "1e",  "0x10", "\t5", "1e999", "-1e999", "1e-400",
          "nan", "NAN", "inf",  "-infinity", "+",     "-",   ".",     "+-5", "++5",  "--5", "-+5",   "3,25"}) {
        EXPECT_EQ(ReadDecimal(text), std::nullopt) << '"' << text << '"';
        EXPECT_EQ(ReadInteger(text), std::nullopt) << '"' << text << '"';
    }
}

// The shortcut takes up to 15 digits, a sign and a point included in the
// length it looks at first; more digits are left to the full parse.
TEST(ReadNumber, ShortcutAtItsLengthBound)
{
    for (const char* text : {"-1.23456789012345", "+123456789012345", "-.123456789012345", "123456789012345."})
        EXPECT_EQ(ShortDecimal(text), std::stod(text)) << '"' << text << '"';
    for (const char* text : {"-1.234567890123456", "1234567890123456", "40.188949769362807", "-105.17836097627878"}) {
        EXPECT_EQ(ShortDecimal(text), std::nullopt) << '"' << text << '"';
        EXPECT_EQ(ReadDecimal(text), std::stod(text)) << '"' << text << '"';
    }
}
