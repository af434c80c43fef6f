// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/native/KesRecords.h"

#include <algorithm>
#include <cmath>

#include "core/document/undated_times.h"
#include "core/text/number_format.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"
#include "core/time/clock.h"
#include "core/time/utc_time.h"
#include "formats/document/Symbols.h"

namespace kes {
namespace {
std::string EightBit(std::string_view utf8)
{
    std::string legacy;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i + 1 < utf8.size(); ++i) {
        const auto next = static_cast<unsigned char>(utf8[i + 1]);
        if (static_cast<unsigned char>(utf8[i]) == 0xC2 && next >= 0x80 && next < 0xA0) {
            legacy += Utf8ToLegacy(utf8.substr(runStart, i - runStart));
            legacy += static_cast<char>(next);
            runStart = ++i + 1;
        }
    }
    return legacy += Utf8ToLegacy(utf8.substr(runStart));
}
}  // namespace

// A column holds one line without commas: each comma becomes a blank, a run
// of line breaks and controls one blank, and blanks at either end go.
std::string NativeText(std::string_view utf8)
{
    // Most texts are ASCII: their bytes are their 8-bit form.
    std::string eightBit;
    std::string_view legacy = utf8;
    if (!std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; })) {
        eightBit = EightBit(utf8);
        legacy = eightBit;
    }
    // Each byte gives at most one: written in place.
    std::string out(legacy.size(), '\0');
    std::size_t n = 0;
    bool breakPending = false;
    for (const char c : legacy) {
        if (static_cast<unsigned char>(c) < 0x20) {
            breakPending = true;
            continue;
        }
        if (c == ' ' || c == ',') {
            if (!breakPending) out[n++] = ' ';
            continue;
        }
        if (breakPending) {
            while (n > 0 && out[n - 1] == ' ') --n;
            out[n++] = ' ';
            breakPending = false;
        }
        out[n++] = c;
    }
    std::size_t first = 0;
    while (first < n && out[first] == ' ') ++first;
    while (n > first && out[n - 1] == ' ') --n;
    return out.substr(first, n - first);
}

std::string NativeDescription(const Point& p) { return NativeText(DescriptionOf(p.description, p.comment)); }

std::string NativeName(const Point& p) { return NativeText(p.name); }

std::string NativeName(const GroupInfo& group) { return NativeText(group.name); }

std::string NativeDescription(const GroupInfo& group)
{
    return NativeText(DescriptionOf(group.description, group.comment));
}

std::int16_t SymbolNumber(const Point& p)
{
    if (p.native.symbol) return *p.native.symbol;
    if (p.symbolCode >= 0) return p.symbolCode;
    return p.symbol.empty() ? 0 : SymbolFromName(p.symbol);
}

float WaypointFeet(const Point& p)
{
    if (p.native.feet) return *p.native.feet;
    if (p.HasElevation()) {
        const auto feet = static_cast<float>(p.elevation * kFeetPerMetre);
        return RoundHalfEven<std::int64_t>(feet, 0) == 0 ? kNoAltitude : feet;
    }
    const double depth = std::isnan(p.device.depth) ? p.depth : p.device.depth;
    return std::isnan(depth) ? kNoAltitude : static_cast<float>(depth * kFeetPerMetre);
}

float TrackMetres(const Point& p)
{
    // Whole feet a reader gave it, which the track files show again as they were.
    if (p.native.feet)
        return *p.native.feet == kNoAltitude ? kNoAltitude : static_cast<float>(*p.native.feet / kFeetPerMetre);
    if (p.HasElevation()) return static_cast<float>(p.elevation);
    return std::isfinite(p.depth) ? static_cast<float>(p.depth) : kNoAltitude;
}

DayCounts::DayCounts(const Clock& clock)
    : utc_(clock.Utc()), today_(std::chrono::days{static_cast<std::int64_t>(std::floor(utc_ - kUnixEpochDay))})
{}

double DayCounts::Of(const Point& p, double stamp)
{
    if (!p.time && p.native.noDateDay) return kUndatedWaypoint;
    if (!p.time || p.native.dayOfConversion) {
        ++stamped_;
        return stamp;
    }
    return DayCountOf(p.undated ? OnDay(*p.time, today_) : *p.time);
}

void DayCounts::AddStamped(Findings& findings) const
{
    if (stamped_ > 0) findings.Add(FindingKind::Stamped, {}, stamped_);
}

}  // namespace kes

std::int64_t TrackFeet(float metres)
{
    return metres == kes::kNoAltitude ? -777 : RoundHalfEven<std::int64_t>(metres * kes::kFeetPerMetre, -777);
}
