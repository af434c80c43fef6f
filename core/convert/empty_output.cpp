// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/convert/empty_output.h"

#include "core/convert/catalogue.h"
#include "core/text/number_format.h"

namespace {
std::string Counted(std::int64_t count, const char* one, const char* many)
{
    return GroupedInt(count) + " " + (count == 1 ? one : many);
}

bool ReadInPart(const Findings& findings)
{
    return findings.Has(FindingKind::Damaged) || findings.Has(FindingKind::Truncated);
}

// "no track points", as the reason names what there is none of.
const char* NoneOf(FormatKind kind)
{
    switch (kind) {
    case FormatKind::Waypoints: return "no waypoints and no routes";
    case FormatKind::Tracks: return "no track points";
    case FormatKind::Everything: break;
    }
    return "no waypoints, routes or track points";
}
}  // namespace

std::int64_t PointCount(const Document& document)
{
    std::int64_t count = static_cast<std::int64_t>(document.waypoints.size()) + document.TrackPointCount();
    for (const Route& route : document.routes) count += static_cast<std::int64_t>(route.points.size());
    return count;
}

void NoteUnheldParts(const Document& document, const OutputHolds& holds, EmptyCause& cause)
{
    struct Part {
        std::int64_t count;
        bool held;
        const char *one, *many;
    };
    const Part parts[] = {
        {static_cast<std::int64_t>(document.waypoints.size()), holds.waypoints.noun != nullptr, "waypoint",
         "waypoints"},
        {static_cast<std::int64_t>(document.routes.size()), holds.routes.noun != nullptr, "route", "routes"},
        {static_cast<std::int64_t>(document.tracks.size()), holds.tracks.noun != nullptr, "track", "tracks"},
    };
    std::string unheld, rule;
    for (const Part& part : parts) {
        if (part.count == 0) continue;
        if (part.held) return;
        unheld += (unheld.empty() ? "" : " and ") + Counted(part.count, part.one, part.many);
        rule += (rule.empty() ? "" : " or ") + std::string(part.many);
    }
    if (unheld.empty()) return;
    cause.unheld = unheld;
    cause.rule = "a " + std::string(holds.file ? holds.file : "file of the output format") + " holds no " + rule;
}

bool WroteNothing(FormatKind kind, const WrittenCounts& written)
{
    const bool points = written.waypoints > 0 || written.routes > 0;
    const bool tracks = written.trackPoints > 0;
    return kind == FormatKind::Waypoints ? !points : kind == FormatKind::Tracks ? !tracks : !points && !tracks;
}

std::string NothingRemark(const EmptyCause& cause, const Findings& findings)
{
    if (!cause.step.empty()) return " - " + cause.step + " left none";
    if (!cause.unheld.empty()) return " - the input holds only " + cause.unheld + ", and " + cause.rule;
    const std::int64_t unusable = findings.CountOf(FindingKind::Unusable);
    if (unusable != 0)
        return "; " + std::to_string(unusable) + (unusable == 1 ? " point" : " points") +
               " without a usable position " + (unusable == 1 ? "was" : "were") + " left out";
    return ReadInPart(findings) ? " - none were found in the part of the input read"
                                : " - none were found in the input";
}

std::string NothingReason(FormatKind kind, const EmptyCause& cause, const Findings& findings)
{
    if (!cause.step.empty()) return cause.step + " left " + NoneOf(kind);
    if (!cause.unheld.empty()) return "the input holds only " + cause.unheld + ", and " + cause.rule;
    return std::string(NoneOf(kind)) + (findings.Has(FindingKind::Unusable) ? " with a usable position" : "") +
           " were found in the " + (ReadInPart(findings) ? "part of the input read" : "input");
}
