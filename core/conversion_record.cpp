// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/conversion_record.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "core/clock.h"

bool ReadFailed = false;

namespace {
struct Record {
    std::vector<std::pair<Cut, int>> cuts;  // each kind once, in the order first noted
    std::int64_t unusablePoints = 0;
    bool readInPart = false;
    std::string endInsideRecord;  // the kind of file that ends inside a record
    std::string undated;          // what the track points written lack, and why
    std::optional<UndatedPoints> undatedHow;
    std::int64_t stamps = 0;
    std::int64_t textsCut = 0;
    WrittenCounts written;
    // The earliest and latest time of reading stamped.
    double firstStamp = std::numeric_limits<double>::infinity();
    double lastStamp = -std::numeric_limits<double>::infinity();
};

Record record;

std::string Counted(std::int64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string CutMessage(Cut cut, int kept)
{
    const std::string n = std::to_string(kept);
    const std::string limitation = " - this is a limitation of kesTranscribe. ";
    switch (cut) {
    case Cut::Waypoints:
        return "Only the first " + n + " Waypoints are read" + limitation + "The rest of the input file is left out.";
    case Cut::TrackPoints:
        return "Only the first " + n + " Track Points are read" + limitation +
               "The rest of the input file is left out.";
    case Cut::LaterWaypoints:
        return "Only the first " + n + " Waypoints are read" + limitation +
               "The later waypoints of the input file are left out.";
    case Cut::Routes:
        return "Only the first " + n + " Routes are read" + limitation +
               "The later routes of the input file are left out.";
    case Cut::RoutePointsOfEachRoute:
        return "Only the first " + n + " Route Points are read from each route" + limitation +
               "The rest of a longer route is left out.";
    case Cut::TrackPointsOfEachTrack:
        return "Only the first " + n + " Track Points are read from each track" + limitation +
               "The rest of a longer track is left out.";
    }
    return {};
}

std::string UnusableNote()
{
    if (record.unusablePoints == 0) return {};
    return "; " + Counted(record.unusablePoints, "point", "points") + " without a usable position " +
           (record.unusablePoints == 1 ? "was" : "were") + " left out";
}
// What the track points written lack, after their count.
std::string UndatedNote() { return record.undated.empty() ? std::string() : ", " + record.undated; }
}  // namespace

void StartConversionRecord() { record = Record{}; }

double StampTimeOfReading()
{
    const double now = NowUtc();
    ++record.stamps;
    record.firstStamp = std::min(record.firstStamp, now);
    record.lastStamp = std::max(record.lastStamp, now);
    return now;
}

bool IsTimeOfReading(double dayCount) { return dayCount >= record.firstStamp && dayCount <= record.lastStamp; }

void NoteCut(Cut cut, int kept)
{
    const bool known =
        std::any_of(record.cuts.begin(), record.cuts.end(), [&](const auto& c) { return c.first == cut; });
    if (!known) record.cuts.emplace_back(cut, kept);
}

void NoteUnusablePoint() { ++record.unusablePoints; }

void NoteEndInsideRecord(const std::string& fileKind)
{
    if (record.endInsideRecord.empty()) record.endInsideRecord = fileKind;
    record.readInPart = true;
}

void NoteUndatedPoints(UndatedPoints how, std::string remark)
{
    record.undatedHow = how;
    record.undated = std::move(remark);
}

void NoteTextCut() { ++record.textsCut; }

Losses RecordedLosses() { return {record.unusablePoints, record.stamps, record.textsCut, record.undatedHow}; }

void NoteReadInPart() { record.readInPart = true; }

bool InputReadInPart() { return record.readInPart; }

void NoteWritten(const WrittenCounts& counts)
{
    record.written.waypoints += counts.waypoints;
    record.written.routes += counts.routes;
    record.written.trackPoints += counts.trackPoints;
    record.written.trackFiles += counts.trackFiles;
    record.written.tracks += counts.tracks;
}

const WrittenCounts& WrittenSoFar() { return record.written; }

void ForgetWritten() { record.written = WrittenCounts{}; }

std::vector<std::string> CutMessages()
{
    std::vector<std::string> messages;
    for (const auto& [cut, kept] : record.cuts) messages.push_back(CutMessage(cut, kept));
    if (!record.endInsideRecord.empty())
        messages.push_back("The " + record.endInsideRecord +
                           " file ends inside a record: what came before it was read.");
    return messages;
}

std::string WrittenLine(WrittenKind kind)
{
    const WrittenCounts& w = record.written;
    // Why nothing of a kind was written: the input (or the part of it read) had none, or none usable.
    const std::string nothing = record.unusablePoints != 0 ? UnusableNote()
                                : record.readInPart        ? " - none were found in the part of the input read"
                                                           : " - none were found in the input";
    if (kind == WrittenKind::Everything) {
        if (w.waypoints == 0 && w.routes == 0 && w.trackPoints == 0)
            return "Written: no waypoints, no routes and no track points" + nothing;
        std::string line = "Written: " + Counted(w.waypoints, "waypoint", "waypoints") + ", " +
                           Counted(w.routes, "route", "routes") + ", " +
                           Counted(w.trackPoints, "track point", "track points");
        if (w.tracks > 1) line += " in " + std::to_string(w.tracks) + " tracks";
        return line + UndatedNote() + UnusableNote();
    }
    if (kind == WrittenKind::Waypoints) {
        if (w.waypoints == 0 && w.routes == 0) return "Written: no waypoints and no routes" + nothing;
        return "Written: " + Counted(w.waypoints, "waypoint", "waypoints") + ", " +
               Counted(w.routes, "route", "routes") + UnusableNote();
    }
    if (w.trackPoints == 0) return "Written: no track points" + nothing;
    std::string line = "Written: " + Counted(w.trackPoints, "track point", "track points");
    if (w.trackFiles > 1) line += " in " + std::to_string(w.trackFiles) + " track files";
    return line + UndatedNote() + UnusableNote();
}

std::string NothingWrittenLine() { return "Written: nothing - the input file could not be read"; }

bool DataLeftOut() { return !record.cuts.empty() || record.unusablePoints > 0 || record.readInPart; }
