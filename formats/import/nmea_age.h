// SPDX-License-Identifier: GPL-3.0-or-later
// How early an NMEA sentence can have been written, by what it shows itself:
// the talker of a satellite system that had no satellite before a day, or a
// field the standard gained on a day. A log of such sentences dated before
// then was not written then: its receiver's clock lost 1024 weeks.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The earliest day a receiver can have written the sentence, in seconds
// since 1970; nothing when the sentence shows none. Its checksum is the
// caller's to check.
std::optional<std::int64_t> WrittenNotBefore(std::string_view sentence);
