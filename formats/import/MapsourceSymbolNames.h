// SPDX-License-Identifier: GPL-3.0-or-later
// The names map programs give the symbol codes of MapSource files in GPX
// ("Airport", "Flag, Blue", "Cemetery"...).
#pragma once

#include <cstdint>
#include <string_view>

// The usual name of a waypoint's symbol code: MapSource's own codes 0 to 248,
// and the device codes of the land (8192 on) and aviation (16384 on) symbols
// of the same list. "Waypoint" for any other code, the symbol MapSource shows
// for it, as the native symbol lookup does.
std::string_view MapsourceSymbolName(std::int32_t code);
