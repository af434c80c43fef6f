// SPDX-License-Identifier: GPL-3.0-or-later
// What every fuzz run does with one input: the bytes become a file of an
// input format, and the Convert action reads it into one of the outputs it
// may be converted into, as the window would.
#pragma once

#include <cstddef>
#include <cstdint>

class FormatCatalogue;

// Converts the bytes as a file of the input format at inputPosition. File
// errors and conversion errors are the readers' legitimate failures and end
// the run quietly; anything else escapes and counts as a fault. The output
// is chosen among the compatible ones by the input's size, so that one input
// always takes the same way and every writer is reached; with everyOutput,
// the input is converted into each of them in turn.
void FuzzInput(const FormatCatalogue& catalogue, int inputPosition, const std::uint8_t* data, std::size_t size,
               bool everyOutput = false);

// The name of the fuzz target of packed inputs, which no input format has.
inline constexpr const char* kPackedTarget = "packed";

// Reads the bytes as a packed input: as a pipe's, unpacked as they come, and
// as a file's (named .gz, .zip or .kmz), unpacked through its path; what they
// unpack to is then read as the format its content names, if any. Errors as
// FuzzInput's.
void FuzzPacked(const FormatCatalogue& catalogue, const std::uint8_t* data, std::size_t size);
