// SPDX-License-Identifier: GPL-3.0-or-later
// The GPS week rollover: receivers count weeks in 10 bits, so after each
// rollover (1999-08-22, 2019-04-07, 2038-11-21) one with old firmware gives
// dates 1024 weeks early. Which times look so, and the warning about them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/document/document.h"

inline constexpr std::int64_t kRolloverSeconds = 1024LL * 7 * 86400;

// The times of a document that look 1024 weeks early.
struct EarlyTimes {
    UtcTime first, last;
};

// Only what a file shows of itself tells times early: the times of a track
// look early when they all lie before the day its receiver can have logged
// it at the earliest (Track::loggedNotBefore, a day of slack for clocks and
// zones), by less than 1024 weeks, within one run of 1024 weeks between
// rollover dates. Honest old data copied since, whatever its modification
// time, has no such day and is never warned of. Nothing when no time looks
// early.
std::optional<EarlyTimes> FindEarlyTimes(const Document& document);

// "times from 1999-08-23 to 1999-08-25 look 1024 weeks early: receiver week
// rollover; --rollover repairs them"
std::string EarlyTimesWarning(const EarlyTimes& early);
