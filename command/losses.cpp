// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/losses.h"

#include "command/json_text.h"
#include "core/catalogue.h"
#include "core/format_rows.h"

namespace {
std::string Counted(std::int64_t n, const char* one, const char* many)
{
    return Grouped(n) + " " + (n == 1 ? one : many);
}
}  // namespace

std::vector<std::string> LossWarnings(const ConversionJob& job, const WrittenCounts& written)
{
    const Losses losses = RecordedLosses();
    std::vector<std::string> warnings;
    if (losses.undated == UndatedPoints::WithoutTimes && written.trackPoints > 0)
        warnings.push_back(Counted(written.trackPoints, "track point was", "track points were") +
                           " written without times: the input gives times of day but no date (--date gives "
                           "the date of an NMEA log)");
    if (losses.undated == UndatedPoints::DatedToday && written.trackPoints > 0)
        warnings.push_back(Counted(written.trackPoints, "track point was", "track points were") +
                           " dated today: the input gives times of day but no date (--date gives the date of an "
                           "NMEA log)");
    if (losses.timesOfConversion > 0 && !OutputRow(job.outputPosition).leavesTimesOut)
        warnings.push_back(Counted(losses.timesOfConversion, "point was", "points were") +
                           " given the time of conversion: the input gives " +
                           (losses.timesOfConversion == 1 ? "it" : "them") + " no time");
    if (losses.unusablePoints > 0)
        warnings.push_back(Counted(losses.unusablePoints, "point", "points") + " without a usable position " +
                           (losses.unusablePoints == 1 ? "was" : "were") + " left out");
    if (losses.textsCut > 0)
        warnings.push_back(Counted(losses.textsCut, "text was", "texts were") +
                           " cut to the length the output format holds");
    return warnings;
}

std::string NothingToWrite(const ConversionJob& job, const WrittenCounts& written)
{
    const std::string& kind = OutputFormats[job.outputPosition].Kind;
    const bool points = written.waypoints > 0 || written.routes > 0;
    const bool tracks = written.trackPoints > 0;
    const char* none = kind == "wp"    ? (points ? nullptr : "no waypoints and no routes")
                       : kind == "trk" ? (tracks ? nullptr : "no track points")
                                       : (points || tracks ? nullptr : "no waypoints, routes or track points");
    if (none == nullptr) return {};
    const bool unusable = RecordedLosses().unusablePoints > 0;
    return std::string(none) + (unusable ? " with a usable position" : "") + " were found in the " +
           (InputReadInPart() ? "part of the input read" : "input") + ": nothing is written";
}
