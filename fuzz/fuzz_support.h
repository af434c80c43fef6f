// SPDX-License-Identifier: GPL-3.0-or-later
// Shared plumbing of the fuzz entry points: the input as a file, a silent
// front end that selects an input position, and an output folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Writes the bytes to this process's input file (always the same path, with
// the given extension) and returns its name.
std::string WriteFuzzInput(const std::uint8_t* data, std::size_t size, const std::string& extension);

// A name in this process's output folder, e.g. FuzzOutputName("out.plt").
std::string FuzzOutputName(const std::string& name);

// Runs one reader step with a silent front end selecting inputPosition.
// FileError and ConversionError are the readers' legitimate failures and end
// the step quietly; anything else escapes and counts as a fault.
void RunQuietly(int inputPosition, const std::function<void()>& step);

// The writers a conversion would run on what a reader left in the store.
void WriteStoreWaypoints();
void WriteStoreTrack();
