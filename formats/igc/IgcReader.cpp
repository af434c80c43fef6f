// SPDX-License-Identifier: GPL-3.0-or-later
// IGC flight recorder logs, a record per line, its kind its first letter.
// A fix (B record) is fixed columns: hhmmss, DDMMmmm N/S, DDDMMmmm E/W, the
// fix's validity (A 3D, V 2D or none), the pressure and the GNSS altitude in
// metres; columns after them belong to the recorder's own additions.
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "core/convert/format_lookup.h"
#include "core/document/point_entry.h"
#include "core/io/line_reader.h"
#include "core/text/read_number.h"
#include "core/text/text_encoding.h"
#include "core/text/text_fields.h"
#include "core/time/utc_time.h"
#include "formats/igc/Igc.h"

namespace {
constexpr std::int64_t kSecondsPerDay = 86400;
// A time of day this much earlier than the fix before is past midnight; a
// smaller step back is the recorder's clock, left as written.
constexpr std::int64_t kMidnightStep = kSecondsPerDay / 2;
// The columns a fix needs: up to the end of the GNSS altitude.
constexpr std::size_t kFixLength = 35;

bool AllDigits(std::string_view text)
{
    if (text.empty()) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// "DDMMmmm" or "DDDMMmmm" and its hemisphere letter; nothing unless the
// digits are a position within the range the hemisphere allows.
std::optional<double> Coordinate(std::string_view digits, char hemisphere, char positive, char negative, int most)
{
    if (!AllDigits(digits) || (hemisphere != positive && hemisphere != negative)) return std::nullopt;
    const std::size_t degreeDigits = digits.size() - 5;
    const int degrees = *ReadInteger(digits.substr(0, degreeDigits));
    const int thousandths = *ReadInteger(digits.substr(degreeDigits));
    if (thousandths >= 60000) return std::nullopt;
    const double value = degrees + thousandths / 60000.0;
    if (value > most) return std::nullopt;
    return hemisphere == negative ? -value : value;
}

// hhmmss as seconds since midnight.
std::optional<std::int64_t> TimeOfDay(std::string_view text)
{
    std::size_t at = 0;
    int hour = 0, minute = 0, second = 0;
    if (!iso_text::Digits(text, at, 2, hour) || !iso_text::Digits(text, at, 2, minute) ||
        !iso_text::Digits(text, at, 2, second) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return hour * 3600 + minute * 60 + second;
}

// A header's value: after its colon where it has one ("HFPLTPILOTINCHARGE:
// name"), else after its five letters ("HFDTE160722").
std::string_view HeaderValue(std::string_view line)
{
    const std::size_t colon = line.find(':');
    return colon == std::string_view::npos ? line.substr(5) : line.substr(colon + 1);
}

// Recorders write ASCII; other bytes are read as UTF-8 where they are that, else in 8 bits.
std::string HeaderText(std::string_view line)
{
    const std::string_view value = HeaderValue(line);
    return TrimSpaces(IsUtf8(value) ? std::string(value) : LegacyToUtf8(value));
}

// The day of "ddmmyy" or "ddmmyy,nn" (the flight's number that day): seconds
// since 1970 at its midnight. Recorders are of the 1990s on.
std::optional<std::int64_t> DateOf(std::string_view value)
{
    const std::string date = TrimSpaces(value.substr(0, value.find(',')));
    if (date.size() != 6 || !AllDigits(date)) return std::nullopt;
    const int ddmmyy = *ReadInteger(date);
    const int year = ddmmyy % 100;
    const auto midnight = UtcTimeOf(year < 80 ? 2000 + year : 1900 + year, ddmmyy / 100 % 100, ddmmyy / 10000, 0, 0, 0);
    if (!midnight) return std::nullopt;
    return midnight->seconds;
}

// What the headers say of the flight.
struct FlightHeaders {
    std::optional<std::int64_t> date{};
    std::string pilot{}, gliderType{}, gliderId{};
};

GroupInfo InfoOf(const FlightHeaders& headers)
{
    GroupInfo info;
    if (headers.date) info.name = IsoTime({*headers.date, 0}).substr(0, 10);
    const auto add = [](std::string& to, const std::string& text, const char* between) {
        if (text.empty()) return;
        if (!to.empty()) to += between;
        to += text;
    };
    add(info.name, headers.gliderId, " ");
    if (info.name.empty()) info.name = headers.gliderType;
    std::string glider = headers.gliderType;
    add(glider, headers.gliderId, " ");
    if (!headers.pilot.empty()) info.description = "Pilot: " + headers.pilot;
    if (!glider.empty()) add(info.description, "Glider: " + glider, "; ");
    return info;
}

class IgcReading {
public:
    IgcReading(const ReadOptions& options, ReadResult& result)
        : result_(result), takesTracks_(options.mode != ReadMode::Waypoints), kept_(options.trackPointsKept)
    {
        StartFlight();
    }

    void Take(std::string_view line)
    {
        if (line.empty()) return;
        switch (line.front()) {
        case 'A': EndFlight(); break;
        case 'H': TakeHeader(line); break;
        case 'B': TakeFix(line); break;
        default: break;
        }
    }

    void Finish()
    {
        EndFlight();
        unreadableTimes_.AddTo(result_.findings);
        if (undated_ > 0) result_.findings.Add(FindingKind::Undated, "the file gives no date", undated_);
        if (pressureAltitudes_ > 0)
            result_.findings.Add(FindingKind::Reduced,
                                 "pressure altitudes of " + std::to_string(pressureAltitudes_) +
                                     (pressureAltitudes_ == 1 ? " fix" : " fixes") +
                                     " left out: a point keeps one height, the GNSS altitude",
                                 pressureAltitudes_);
    }

private:
    void StartFlight()
    {
        track_ = result_.document.NewTrack();
        entry_.emplace(track_.points, result_.findings, kept_);
        day_ = 0;
        previous_.reset();
        fixes_ = 0;
    }

    // The flight's track goes into the document when it holds a point.
    void EndFlight()
    {
        if (fixes_ == 0) return;
        if (!takesTracks_) ++result_.tracksLeftOut;
        else if (!track_.points.empty()) {
            track_.info = InfoOf(headers_);
            result_.document.tracks.push_back(std::move(track_));
        }
        headers_ = {};
        StartFlight();
    }

    void TakeHeader(std::string_view line)
    {
        if (line.size() < 5) return;
        const std::string_view kind = line.substr(2, 3);
        if (kind == "DTE") {
            const auto date = DateOf(HeaderValue(line));
            if (fixes_ > 0 && date == headers_.date) return;
            // A new date after fixes starts another flight.
            if (fixes_ > 0) EndFlight();
            headers_.date = date;
            day_ = date.value_or(0);
            previous_.reset();
        } else if (kind == "PLT") headers_.pilot = HeaderText(line);
        else if (kind == "GTY") headers_.gliderType = HeaderText(line);
        else if (kind == "GID") headers_.gliderId = HeaderText(line);
    }

    void TakeFix(std::string_view line)
    {
        ++fixes_;
        if (!takesTracks_ || entry_->Full()) return;
        Point p = PositionOf(line);
        p.newSection = track_.points.empty();
        if (std::isnan(p.latitude)) {
            entry_->Add(p);  // counted as a point without a usable position
            return;
        }
        const std::string_view validity = line.substr(24, 1);
        const auto pressure = ReadInteger(line.substr(25, 5));
        const auto gnss = ReadInteger(line.substr(30, 5));
        if (pressure && *pressure != 0) ++pressureAltitudes_;
        // A recorder without GNSS altitudes writes 0 beside its pressure altitude.
        if (validity == "A" && gnss && (*gnss != 0 || pressure == 0)) p.elevation = *gnss;
        if (const auto time = TimeOfDay(line.substr(1, 6))) p.time = UtcTime{Dated(*time), 0};
        else unreadableTimes_.Count();
        p.undated = p.time && !headers_.date;
        if (p.undated) ++undated_;
        entry_->Add(p);
    }

    // NaN for a fix too short or whose position is no position.
    static Point PositionOf(std::string_view line)
    {
        Point p;
        p.latitude = p.longitude = kNoValue;
        const bool valid = line.size() >= kFixLength && (line[24] == 'A' || line[24] == 'V');
        const auto latitude = valid ? Coordinate(line.substr(7, 7), line[14], 'N', 'S', 90) : std::nullopt;
        const auto longitude = valid ? Coordinate(line.substr(15, 8), line[23], 'E', 'W', 180) : std::nullopt;
        if (latitude && longitude) {
            p.latitude = *latitude;
            p.longitude = *longitude;
        }
        return p;
    }

    // Seconds since 1970 of a time of day on the flight's day, which moves
    // on at midnight.
    std::int64_t Dated(std::int64_t timeOfDay)
    {
        if (previous_ && *previous_ - timeOfDay > kMidnightStep) day_ += kSecondsPerDay;
        previous_ = timeOfDay;
        return day_ + timeOfDay;
    }

    ReadResult& result_;
    const bool takesTracks_;
    const std::int64_t kept_;
    Track track_ = result_.document.NewTrack();
    std::optional<PointEntry> entry_;
    FlightHeaders headers_;
    std::int64_t day_ = 0;  // midnight of the fixes' day; 1970-01-01 stands for an unknown one
    std::optional<std::int64_t> previous_;
    std::int64_t fixes_ = 0;  // B records of the flight
    std::int64_t undated_ = 0, pressureAltitudes_ = 0;
    UnreadableValues unreadableTimes_{"times"};
};

// An A record: "A" and the recorder maker's three letters or digits.
bool IsARecord(std::string_view line)
{
    if (line.size() < 4 || line.front() != 'A') return false;
    for (const char c : line.substr(1, 3))
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}
}  // namespace

bool IsIgcFile(const FileLook& file)
{
    const std::string_view head = file.Head();
    if (!IsARecord(head.substr(0, head.find_first_of("\r\n")))) return false;
    for (const std::string_view record : {"\nHFDTE", "\nB"})
        if (head.find(record) != std::string_view::npos) return true;
    return false;
}

ReadResult ReadIgcFile(const InputSource& source, const ReadOptions& options)
{
    LineReader file = source.ReadLines();
    ReadResult result = NewReadResult(options);
    IgcReading reading(options, result);
    std::string_view line;
    while (file.Next(line)) reading.Take(line);
    reading.Finish();
    return result;
}
