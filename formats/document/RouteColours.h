// SPDX-License-Identifier: GPL-3.0-or-later
// The colours routes are drawn in where their input gives none: a cycle of
// seven by the route's number, which the native route file holds too.
#pragma once

#include <cstdint>

// As 0x00BBGGRR.
inline constexpr std::uint32_t kRouteColourCycle[7] = {255, 16711680, 65280, 32768, 16711935, 0, 8388736};

constexpr std::uint32_t RouteColour(unsigned number) { return kRouteColourCycle[number % 7]; }
