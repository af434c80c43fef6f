// SPDX-License-Identifier: GPL-3.0-or-later
// A shift of times as the user types it: a sign and amounts of weeks, days,
// hours, minutes and seconds in that order ("+3h", "-1d2h30m", "+1024w").
#pragma once

#include <chrono>
#include <optional>
#include <string_view>

// The shift's seconds; nothing when the text is not one, or shifts by more
// than 10,000 years either way.
std::optional<std::chrono::seconds> ParseShift(std::string_view text);
