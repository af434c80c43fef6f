// SPDX-License-Identifier: GPL-3.0-or-later
// The native track file: six header lines, then one line per track point.
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/file_names.h"
#include "core/line_reader.h"
#include "core/number_format.h"
#include "core/store.h"
#include "core/store_entry.h"
#include "core/text_encoding.h"
#include "core/text_fields.h"
#include "core/track_destination.h"
#include "formats/native/Kes.h"
#include "formats/native/KesText.h"

namespace {
// A whole decimal number with optional leading blanks and sign, nothing else.
std::optional<int> WholeNumber(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    const std::string s(text);
    std::size_t used = 0;
    try {
        const int value = std::stoi(s, &used, 10);
        if (used != s.size() || std::isspace(static_cast<unsigned char>(s[0]))) return std::nullopt;
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

int WholeNumberOrThrow(std::string_view text)
{
    const auto value = WholeNumber(text);
    if (!value) throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
    return *value;
}

std::string_view Part(std::string_view text, std::size_t from, std::size_t count = std::string_view::npos)
{
    return from >= text.size() ? std::string_view{} : text.substr(from, count);
}

// The date of columns 6 (ddmmyy) and 7 (hhmmss), used when column 5 is 0;
// nothing when they hold no date.
std::optional<double> DateFromTexts(const CommaFields& line)
{
    const std::string date = line.Text(6, "01");
    if (date.size() != 6) return std::nullopt;
    const int day = WholeNumberOrThrow(Part(date, 0, 2));
    const int month = WholeNumberOrThrow(Part(date, 2, 2));
    int year = WholeNumberOrThrow(Part(date, 4, 2));
    year += year < 50 ? 2000 : 1900;
    const auto encoded = EncodeDate(year, month, day);
    if (!encoded) return std::nullopt;
    double dateTime = *encoded;

    const std::string time = line.Text(7, "010000");
    int hours = WholeNumberOrThrow(Part(time, 0, 2));
    int minutes = WholeNumberOrThrow(Part(time, 2, 2));
    int seconds = RoundHalfEven<int>(TextToFloat(Part(time, 4)), 0);
    if (seconds >= 60) {
        seconds = 0;
        ++minutes;
    }
    if (minutes >= 60) {
        minutes = 0;
        ++hours;
    }
    if (hours >= 24) {
        hours = 0;
        dateTime += 1;
    }
    const auto timeOfDay = EncodeTime(hours, minutes, seconds);
    if (!timeOfDay) return std::nullopt;
    return dateTime + *timeOfDay;
}

// The native fields as the track file reader has always filled them, and
// beside them the elevation in metres and the time the line really gives
// (none where the native field takes the time of reading).
void ParsePointLine(std::string_view text, TrackPoint& p)
{
    const CommaFields line(text);
    p.Latitude = line.Float(1, 0);
    p.Longitude = line.Float(2, 0);
    p.NewSection = line.Int(3, 0);
    const double feet = line.Float(4, -777);
    float altitude = static_cast<float>(feet);
    if (altitude != kNoAltitude) {
        altitude = static_cast<float>(altitude / kFeetPerMetre);
        p.Values.metres = feet / kFeetPerMetre;
    }
    p.Altitude = altitude;
    p.Known = true;
    // The current time is the default of column 5 and the fallback of the
    // date texts; it is asked for only when needed, since that is costly.
    std::optional<double> given = line.Float(5, std::numeric_limits<double>::quiet_NaN());
    if (std::isnan(*given)) given.reset();
    else if (*given == 0) given = DateFromTexts(line);
    p.DateTime = given ? *given : StampTimeOfReading();
    if (given) p.Values.time = kes::TimeOfDayCount(*given);
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
        if (!WholeNumber(word)) throw FileError(fileName, "Invalid numeric format");
        return;
    }
}

// The line is built in place and appended in one piece.
void AppendPointLine(std::string& out, const TrackPoint& p)
{
    char line[5 * kMaxNotationLength + kes::kDateAndTimeLength + 16];
    char* at = WriteReal(line, p.Latitude, 11, 6);
    *at++ = ',';
    at = WriteReal(at, p.Longitude, 11, 6);
    *at++ = ',';
    at = WriteInt(at, p.NewSection, 0);
    *at++ = ',';
    at = WriteInt(at, TrackFeet(p.Altitude), 7);
    *at++ = ',';
    at = WriteReal(at, p.DateTime, 13, 7);
    *at++ = ',';
    *at++ = ' ';
    at = kes::WriteDateAndTime(at, p.DateTime);
    *at++ = '\r';
    *at++ = '\n';
    out.append(line, at);
}
}  // namespace

std::int64_t TrackFeet(float metres)
{
    return metres == kNoAltitude ? -777 : RoundHalfEven<std::int64_t>(metres * kFeetPerMetre, -777);
}

void ReadTrackFile(const std::string& fileName)
{
    ClearTracks();
    LineReader file = LineReader::FromFile(fileName);
    std::string_view line;
    file.Next(line);
    file.Next(line);
    kes::CheckDatumLine(line);
    file.Next(line);
    file.Next(line);
    file.Next(line);
    TrackProps.Description = GetField(line, 4, "");
    TrackProps.Detail.known = true;
    TrackProps.Detail.name = TextAsRead(TrackProps.Description, false);
    SkipCountLine(file, fileName);
    if (IsBlank(TrackProps.Description)) TrackProps.Description = ExtractFileName(fileName);

    while (file.Next(line)) {
        TrackPoint p;
        ParsePointLine(line, p);
        if (!StoreTrackPoint(p)) break;
    }
}

void WriteTrackFile(const std::string& fileName)
{
    std::string out =
        "Kestrelmaps Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n0,2,255,";
    kes::AppendTextColumn(out, TrackProps.Name);
    out += ",1,0,0,255\r\n0\r\n";
    const int count = std::clamp(TrackProps.PointCount, 0, kMaxTrackSlot + 1);
    SafeFileWriter output(WriterFileName(fileName, ".plt"));
    out.reserve(kes::kWritePiece + 256);
    int written = 0;
    for (; written < count; ++written) {
        const TrackPoint& p = TrackPointList[written];
        if (p.Latitude == kNoPosition || p.Longitude == kNoPosition) break;
        AppendPointLine(out, p);
        if (out.size() >= kes::kWritePiece) {
            output.Append(out);
            out.clear();
        }
    }
    output.Append(out);
    output.Commit();
    NoteWritten({.trackPoints = written, .trackFiles = 1});
}

void KesTrackFiles::TakeStoreTrack(int number)
{
    // Written up to the first point without a position, as WriteTrackFile does.
    if (TrackProps.PointCount <= 0 || TrackPointList[0].Latitude == kNoPosition ||
        TrackPointList[0].Longitude == kNoPosition)
        return;
    if (TrackFilesWritten.size() >= kMaxTrackFiles)
        throw ConversionError("The input holds more than " + std::to_string(kMaxTrackFiles) +
                              " tracks, and a conversion writes at most " + std::to_string(kMaxTrackFiles) +
                              " track files - this is a limitation of kesTranscribe. Nothing was written.");
    const std::string name =
        ExactNamesInForce() ? NumberedFileName(outputName_, number) : TrackFileName(outputName_, number);
    WriteTrackFile(name);
    TrackFilesWritten.Add(name);
}

void HandOverTrack(const std::string& outputName, int number)
{
    if (TrackDestination* chosen = ChosenTrackDestination()) {
        chosen->TakeStoreTrack(number);
    } else {
        KesTrackFiles(outputName).TakeStoreTrack(number);
    }
}
