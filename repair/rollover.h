// SPDX-License-Identifier: GPL-3.0-or-later
// The GPS week rollover: receivers count weeks in 10 bits, so after each
// rollover (1999-08-22, 2019-04-07, 2038-11-21) one with old firmware gives
// dates 1024 weeks early. Which times look so, and the warning about them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/document.h"

inline constexpr std::int64_t kRolloverSeconds = 1024LL * 7 * 86400;

// The times of a document that look 1024 weeks early.
struct EarlyTimes {
    UtcTime first, last;
};

// A time looks early when its file was written at least 1024 weeks after it
// (a day of slack for clocks and zones), and it lies in the 1024 weeks before
// the last rollover that passed before the file was written: no receiver
// writes a time 19.6 years before the file it is written into, while one
// caught by that rollover gives exactly such times. When the file was
// written is the time it gives itself (GPX metadata), else its modification
// time. Times on both sides of a rollover date are no receiver's shifted
// clock: none of them looks early then. Nothing when no time looks early.
std::optional<EarlyTimes> FindEarlyTimes(const Document& document, UtcTime fileModified);

// "times from 1999-08-23 to 1999-08-25 look 1024 weeks early: receiver week
// rollover; --rollover repairs them"
std::string EarlyTimesWarning(const EarlyTimes& early);

// The modification time of a file; nothing for a pipe, a device or a file
// that cannot be looked at.
std::optional<UtcTime> FileModified(const std::filesystem::path& file);
// The earliest modification time of the files that have one.
std::optional<UtcTime> EarliestModified(const std::vector<std::string>& files);
// The files among `files` whose format (at the same place in `positions`) a
// receiver writes itself: the only ones whose times are checked for the rollover.
std::vector<std::string> ReceiverFiles(const std::vector<std::string>& files, const std::vector<int>& positions);
