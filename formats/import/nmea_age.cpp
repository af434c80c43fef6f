// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/import/nmea_age.h"

#include <algorithm>
#include <chrono>

namespace {
using namespace std::chrono;

constexpr std::int64_t SecondsOf(year_month_day day) { return sys_days(day).time_since_epoch().count() * 86400LL; }

constexpr int Code(char first, char second) { return first << 8 | second; }

// The first day a sentence of the talker can have been written on: the
// launch of the system's first satellite, or for several systems in one fix
// the standard's version 3.00 that brought its talker. Days later than these
// would warn of honest logs of survey receivers that used a talker early;
// days earlier catch fewer clocks.
std::optional<std::int64_t> TalkerSince(char first, char second)
{
    switch (Code(first, second)) {
    case Code('G', 'N'): return SecondsOf(2000y / July / 1d);        // several systems, NMEA 0183 3.00
    case Code('B', 'D'):                                             // BeiDou,
    case Code('G', 'B'): return SecondsOf(2000y / October / 30d);    // and its later talker: BeiDou-1A
    case Code('G', 'A'): return SecondsOf(2005y / December / 28d);   // Galileo: GIOVE-A
    case Code('G', 'Q'): return SecondsOf(2010y / September / 11d);  // QZSS: Michibiki
    case Code('G', 'I'): return SecondsOf(2013y / July / 1d);        // NavIC: IRNSS-1A
    default: return std::nullopt;
    }
}

// The navigational status that closes an RMC sentence: NMEA 0183 4.10.
constexpr std::int64_t kNavigationalStatusSince = SecondsOf(2012y / June / 1d);

bool OneOf(std::string_view field, std::string_view letters)
{
    return field.size() == 1 && letters.find(field.front()) != std::string_view::npos;
}

// An RMC of version 4.10: twelve fields, then a mode and a navigational
// status. Looked at from its end, which rules out most sentences at once.
bool HoldsNavigationalStatus(std::string_view sentence)
{
    sentence = sentence.substr(0, sentence.rfind('*'));
    const std::size_t last = sentence.rfind(',');
    if (last == std::string_view::npos || last == 0 || !OneOf(sentence.substr(last + 1), "SCUV")) return false;
    const std::size_t mode = sentence.rfind(',', last - 1);
    if (mode == std::string_view::npos || !OneOf(sentence.substr(mode + 1, last - mode - 1), "ADEFMNPRS")) return false;
    return std::count(sentence.begin(), sentence.end(), ',') == 13;
}
}  // namespace

std::optional<std::int64_t> WrittenNotBefore(std::string_view sentence)
{
    // Asked of every sentence of a log: most are told apart by three characters.
    if (!sentence.empty() && sentence.front() == ' ') sentence.remove_prefix(sentence.find_first_not_of(' '));
    if (sentence.size() < 7 || sentence[0] != '$') return std::nullopt;
    const bool rmc = sentence[3] == 'R' && sentence[4] == 'M' && sentence[5] == 'C' && sentence[6] == ',';
    std::optional<std::int64_t> since = TalkerSince(sentence[1], sentence[2]);
    if (rmc && HoldsNavigationalStatus(sentence))
        since = std::max(since.value_or(kNavigationalStatusSince), kNavigationalStatusSince);
    return since;
}
