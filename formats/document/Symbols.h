// SPDX-License-Identifier: GPL-3.0-or-later
// Symbol names: the native symbol numbers and the names map programs give
// them, both ways.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The name written for a native symbol number; empty for 0, which is also
// what every reader without symbols leaves, and for numbers without a name.
std::string SymbolName(std::int16_t symbol);
// The name of a symbol number that a file really holds, where 0 is a symbol
// like any other ("Airport"); empty for numbers without a name.
std::string SymbolNameOfCode(std::int16_t symbol);
// The native symbol number of a name, compared without case and blanks; a
// name cut short in the symbol table also matches its full form. 70
// ("Waypoint") for a name that matches none.
std::int16_t SymbolFromName(std::string_view name);
// The name matches a native symbol number.
bool SymbolNumbered(std::string_view name);
