// SPDX-License-Identifier: GPL-3.0-or-later
// What one conversion cut at the store's capacity, left out as unusable and
// wrote. Readers and writers note it as they go; the Convert action reports
// it once the files are written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/format_rows.h"

// The capacities a reader can meet. The first four stop a reader (or its
// routes) for the rest of the file; LaterWaypoints leaves out only the
// waypoints after the last one stored (a reader that goes on to the routes);
// the per-track one ends only that track.
enum class Cut { Waypoints, TrackPoints, Routes, RoutePointsOfEachRoute, TrackPointsOfEachTrack, LaterWaypoints };

// Set by a reader that rejects its file; the action then writes no output.
// Readers are below the action, so the flag lives here with the rest of what
// one conversion records.
extern bool ReadFailed;

// Forgets everything noted: the start of a conversion.
void StartConversionRecord();

// A reader met more than a table holds: `kept` entries were taken, the rest left out.
void NoteCut(Cut cut, int kept);
// A point whose position is not a number was left out of the store.
void NoteUnusablePoint();
// The input ends inside a record of the file kind named ("MapSource"): what
// came before it was read, the rest is lost. Announced with the cuts.
void NoteEndInsideRecord(const std::string& fileKind);
// The track points read have times of day but no date: they are written
// without times, or dated today. The remark follows the count of track
// points written ("without times - the log gives no date").
enum class UndatedPoints { WithoutTimes, DatedToday };
void NoteUndatedPoints(UndatedPoints how, std::string remark);
// A writer cut a text to the length its format holds.
void NoteTextCut();
// The input was read only in part (a reader that says why itself notes it so).
void NoteReadInPart();
// True when the input was damaged and read only in part: data was left out.
bool InputReadInPart();
// True when anything of the input was left out: a cut at a capacity, points
// without a usable position, a file read in part.
bool DataLeftOut();
// What the conversion lost or made up, as counts: for the front ends' own words.
struct Losses {
    std::int64_t unusablePoints = 0;     // points without a usable position, left out
    std::int64_t timesOfConversion = 0;  // points without a time of their own, given the time of conversion
    std::int64_t textsCut = 0;           // texts cut by a writer
    std::optional<UndatedPoints> undated;
};
Losses RecordedLosses();
// A writer completed a file holding these counts.
void NoteWritten(const WrittenCounts& counts);
// What was written so far in this conversion.
const WrittenCounts& WrittenSoFar();
// Forgets what was written so far, for a step that writes the conversion's
// output anew from what earlier files were made of.
void ForgetWritten();

// The time of reading (UTC, as every time of the store), stamped on a point
// whose file gives it no time (the native formats cannot leave a time out).
// The stamps given are remembered and counted, so that a format that can say
// "no time" says it instead of inventing one.
double StampTimeOfReading();
bool IsTimeOfReading(double dayCount);

// One message per kind of cut noted, in the order first noted, then the
// message of an input that ends inside a record.
std::vector<std::string> CutMessages();
// What was written, in one line of the progress pane, for a conversion of
// waypoints (and routes), of tracks, or of everything the input holds.
enum class WrittenKind { Waypoints, Tracks, Everything };
std::string WrittenLine(WrittenKind kind);
// The same when the input could not be read and nothing was written.
std::string NothingWrittenLine();
