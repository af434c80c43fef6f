// SPDX-License-Identifier: GPL-3.0-or-later
// The native track file: six header lines, then one line per track point.
#include <algorithm>
#include <cmath>
#include <optional>

#include <string>
#include <utility>
#include <vector>

#include "core/document/point_entry.h"
#include "core/io/file_io.h"
#include "core/io/file_names.h"
#include "core/io/line_reader.h"
#include "core/text/number_format.h"
#include "core/text/read_number.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"
#include "core/time/clock.h"
#include "formats/native/Kes.h"
#include "formats/native/KesRecords.h"
#include "formats/native/KesText.h"

namespace {
// Years below 50 are 20xx.
constexpr int kCenturyPivot = 50;

// The date of columns 6 (ddmmyy) and 7 (hhmmss), used when column 5 is 0;
// nothing when they hold no date and time.
std::optional<double> DateFromTexts(const CommaFields& line)
{
    const std::string_view date = line.View(6, "01");
    if (date.size() != 6) return std::nullopt;
    const auto day = ReadInteger(Part(date, 0, 2)), month = ReadInteger(Part(date, 2, 2));
    const auto twoDigitYear = ReadInteger(Part(date, 4, 2));
    const std::string_view time = line.View(7, "010000");
    auto hours = ReadInteger(Part(time, 0, 2)), minutes = ReadInteger(Part(time, 2, 2));
    const auto exactSeconds = ReadDecimal(Part(time, 4));
    if (!day || !month || !twoDigitYear || !hours || !minutes || !exactSeconds) return std::nullopt;
    const auto encoded = EncodeDate(FullYear(*twoDigitYear, kCenturyPivot), *month, *day);
    if (!encoded) return std::nullopt;
    double dateTime = *encoded;
    int seconds = RoundHalfEven<int>(*exactSeconds, 0);
    if (seconds >= 60) {
        seconds = 0;
        ++*minutes;
    }
    if (*minutes >= 60) {
        *minutes = 0;
        ++*hours;
    }
    if (*hours >= 24) {
        *hours = 0;
        dateTime += 1;
    }
    const auto timeOfDay = EncodeTime(*hours, *minutes, seconds);
    if (!timeOfDay) return std::nullopt;
    return dateTime + *timeOfDay;
}

// The values of a file's lines that are no number, left unset and told once.
struct UnreadableColumns {
    UnreadableValues sections{"section starts"}, elevations{"elevations"}, times{"times"};
    void AddTo(Findings& findings) const
    {
        sections.AddTo(findings);
        elevations.AddTo(findings);
        times.AddTo(findings);
    }
};

// The point a line gives, at its own precision; no time where the line gives
// none or none that can be read. A latitude or longitude that is missing or
// no number leaves the position unusable. Every field a line gives is set,
// so that one point serves every line.
void ReadLineInto(std::string_view text, Point& p, UnreadableColumns& unreadable)
{
    const CommaFields line(text);
    p.latitude = ReadDecimal(line.View(1, "")).value_or(kNoValue);
    p.longitude = ReadDecimal(line.View(2, "")).value_or(kNoValue);
    // 1 starts a section, any other value continues; a point left out passes its start on.
    p.newSection = unreadable.sections.Integer(line.View(3, "")) == 1;
    if (std::isnan(p.latitude) || std::isnan(p.longitude)) return;
    const auto feet = unreadable.elevations.Decimal(line.View(4, ""));
    p.elevation = feet && static_cast<float>(*feet) != kes::kNoAltitude ? *feet / kes::kFeetPerMetre : kNoValue;
    std::optional<double> given = unreadable.times.Decimal(line.View(5, ""));
    if (given && *given == 0) {
        given = DateFromTexts(line);
        if (!given) unreadable.times.Count();
    }
    p.time = given ? kes::TimeOfDayCount(*given) : std::nullopt;
    if (given && !p.time) unreadable.times.Count();
}

// Line 6 holds a point count that is not used, but it must be a whole number.
void SkipCountLine(LineReader& file, const std::string& fileName)
{
    std::string_view line;
    while (file.Next(line)) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos) continue;
        const std::string_view rest = line.substr(start);
        const std::string_view word = rest.substr(0, rest.find_first_of(" \t"));
        if (!ReadInteger(word)) throw FileError(fileName, "Invalid numeric format");
        return;
    }
}

// The line is built in place and appended in one piece.
void AppendPointLine(std::string& out, const Point& p, bool newSection, double dateTime)
{
    char line[5 * kMaxNotationLength + kes::kDateAndTimeLength + 16];
    char* at = WriteReal(line, p.latitude, 11, 6);
    *at++ = ',';
    at = WriteReal(at, p.longitude, 11, 6);
    *at++ = ',';
    *at++ = newSection ? '1' : '0';
    *at++ = ',';
    at = WriteInt(at, TrackFeet(kes::TrackMetres(p)), 7);
    *at++ = ',';
    at = WriteReal(at, dateTime, 13, 7);
    *at++ = ',';
    *at++ = ' ';
    at = kes::WriteDateAndTime(at, dateTime);
    *at++ = '\r';
    *at++ = '\n';
    out.append(line, at);
}

// One track file; returns the points written, which stop at the capacity.
std::int64_t WriteOneTrack(const std::string& fileName, const Track* track, kes::DayCounts& times,
                           OutputTransaction* transaction)
{
    SafeFileWriter output(fileName, transaction);
    std::string out =
        "Kestrelmaps Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n0,2,255,";
    if (track) kes::AppendTextColumn(out, kes::NativeName(track->info));
    out += ",1,0,0,255\r\n0\r\n";
    out.reserve(kes::kWritePiece + 256);
    std::int64_t written = 0;
    if (track)
        for (const Point& p : track->points) {
            if (written == kes::kMaxTrackPoints) break;
            AppendPointLine(out, p, written == 0 || p.newSection, times.OfTrackPoint(p));
            ++written;
            if (out.size() >= kes::kWritePiece) {
                output.Append(out);
                out.clear();
            }
        }
    output.Append(out);
    output.Commit();
    return written;
}

std::string CutMessage(bool severalTracks)
{
    return severalTracks ? "Only the first 100000 Track Points are read from each track - this is a limitation of "
                           "kesTranscribe. The rest of a longer track is left out."
                         : "Only the first 100000 Track Points are read - this is a limitation of kesTranscribe. "
                           "The rest of the input file is left out.";
}

// The tracks that get a file of their own, with their numbers; past the
// limit of files nothing is written.
std::vector<std::pair<const Track*, int>> NumberedTracks(const Document& document)
{
    std::vector<std::pair<const Track*, int>> tracks;
    int place = 0;
    for (const Track& track : document.tracks) {
        ++place;
        if (track.points.empty()) continue;
        if (tracks.size() == kes::kMaxTrackFiles)
            throw ConversionError("The input holds more than " + std::to_string(kes::kMaxTrackFiles) +
                                  " tracks, and a conversion writes at most " + std::to_string(kes::kMaxTrackFiles) +
                                  " track files - this is a limitation of kesTranscribe. Nothing was written.");
        tracks.emplace_back(&track, track.slot > 0 ? track.slot : place);
    }
    return tracks;
}
}  // namespace

ReadResult ReadTrackFile(const InputSource& source, const ReadOptions& options)
{
    ReadResult result = NewReadResult(options);
    LineReader file = source.ReadLines();
    kes::ReadHeader(file, result.findings);
    std::string_view line;
    Track& track = result.document.tracks.emplace_back(result.document.NewTrack());
    const std::string column = file.Next(line) ? GetField(line, 4, "") : std::string();
    track.info.name = TextAsRead(column, false);
    SkipCountLine(file, source.Name());
    PointEntry entry(track.points, result.findings, options.trackPointsKept);
    Point point;
    UnreadableColumns unreadable;
    while (!entry.Full() && file.Next(line)) {
        if (IsBlank(line)) continue;  // a blank line holds no point
        ReadLineInto(line, point, unreadable);
        entry.Add(point);
    }
    unreadable.AddTo(result.findings);
    return result;
}

WriteResult WriteTrackFile(const Document& document, const WriteRequest& request)
{
    WriteResult result;
    kes::DayCounts times(request.clock);
    std::int64_t leftOut = 0;
    const auto write = [&](const std::string& name, const Track* track) {
        const std::int64_t written = WriteOneTrack(name, track, times, request.transaction);
        result.counts.trackPoints += written;
        ++result.counts.trackFiles;
        if (track) leftOut += static_cast<std::int64_t>(track->points.size()) - written;
    };
    if (!request.numberTrackFiles) {
        write(request.exactNames ? request.outputName : ChangeFileExt(request.outputName, ".plt"),
              document.tracks.empty() ? nullptr : &document.tracks.front());
    } else {
        const auto tracks = NumberedTracks(document);
        for (const auto& [track, number] : tracks) {
            // Named exactly, the one file of an input of one track is the output itself.
            const std::string name = !request.exactNames  ? TrackFileName(request.outputName, number)
                                     : tracks.size() == 1 ? request.outputName
                                                          : NumberedFileName(request.outputName, number);
            write(name, track);
        }
    }
    // An input of a format of several tracks says "each track" even when it held one.
    if (leftOut > 0)
        result.findings.Add(FindingKind::Cut, CutMessage(request.numberTrackFiles || document.tracks.size() > 1),
                            leftOut);
    times.AddStamped(result.findings);
    return result;
}
