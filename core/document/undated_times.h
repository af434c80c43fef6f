// SPDX-License-Identifier: GPL-3.0-or-later
// Times of day whose date an input does not give (Point::undated), dated
// once the user gives the date of the first day.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "core/document/document.h"

// Every undated time of the document takes `firstDay` for the day it counts
// from; returns how many were dated.
std::int64_t DateUndatedTimes(Document& document, std::chrono::year_month_day firstDay);

// What dating them did, as the progress says it: "date 2019-05-01: 2 times of day dated".
std::string DatedLine(std::chrono::year_month_day firstDay, std::int64_t dated);

// The time a native file gives an undated point: on the day of `today`.
UtcTime OnDay(UtcTime undated, std::chrono::sys_days today);
