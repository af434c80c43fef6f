// SPDX-License-Identifier: GPL-3.0-or-later
// What the messages of a FIT file mean to a document: records are the points
// of its track, laps and sessions end its sections, locations and course
// points are waypoints, a course gives the track its name.
#include <cmath>
#include <set>
#include <string_view>
#include <utility>

#include "core/document/point_entry.h"
#include "core/text/text_encoding.h"
#include "formats/fit/Fit.h"
#include "formats/fit/FitStream.h"

namespace {
using fit::Message;

constexpr std::uint16_t kFileId = 0, kSession = 18, kLap = 19, kRecord = 20, kLocation = 29, kCourse = 31,
                        kCoursePoint = 32;
constexpr double kDegreesPerSemicircle = 180.0 / 2147483648.0;
// Ends of laps waiting for the points after them; more are not kept.
constexpr std::size_t kMostLapEnds = 4096;

// The names of the kinds of course point, by their number.
constexpr std::string_view kCoursePointKinds[] = {"generic",       "summit",        "valley",
                                                  "water",         "food",          "danger",
                                                  "left",          "right",         "straight",
                                                  "first aid",     "4th category",  "3rd category",
                                                  "2nd category",  "1st category",  "hors category",
                                                  "sprint",        "left fork",     "right fork",
                                                  "middle fork",   "slight left",   "sharp left",
                                                  "slight right",  "sharp right",   "u-turn",
                                                  "segment start", "segment end",   "",
                                                  "campsite",      "aid station",   "rest area",
                                                  "distance",      "service",       "energy gel",
                                                  "sports drink",  "mile marker",   "checkpoint",
                                                  "shelter",       "meeting spot",  "overlook",
                                                  "toilet",        "shower",        "gear",
                                                  "sharp curve",   "steep incline", "tunnel",
                                                  "bridge",        "obstacle",      "crossing",
                                                  "store",         "transition",    "navaid",
                                                  "transport",     "alert",         "info"};

// The symbols of the kinds of course point that a map symbol shows.
std::string SymbolOfKind(std::string_view kind)
{
    constexpr std::pair<std::string_view, const char*> kSymbols[] = {{"summit", "Summit"},
                                                                     {"water", "Drinking Water"},
                                                                     {"food", "Restaurant"},
                                                                     {"danger", "Danger Area"},
                                                                     {"first aid", "Medical Facility"},
                                                                     {"campsite", "Campground"},
                                                                     {"toilet", "Restroom"},
                                                                     {"shower", "Shower"},
                                                                     {"tunnel", "Tunnel"},
                                                                     {"bridge", "Bridge"}};
    for (const auto& [name, symbol] : kSymbols)
        if (name == kind) return symbol;
    return {};
}

std::optional<UtcTime> TimeOf(std::optional<double> stored)
{
    if (!stored || *stored < fit::kFirstDate || *stored > 0xFFFFFFFFp0) return std::nullopt;
    return UtcTime{static_cast<std::int64_t>(*stored) + fit::kEpochFrom1970, 0};
}

// Both halves of the position or neither: a point without is left at NaN.
void PlaceAt(const Message& m, std::uint8_t latitudeField, std::uint8_t longitudeField, Point& p)
{
    const std::optional<double> latitude = m.Value(latitudeField), longitude = m.Value(longitudeField);
    const bool both = latitude && longitude;
    p.latitude = both ? *latitude * kDegreesPerSemicircle : kNoValue;
    p.longitude = both ? *longitude * kDegreesPerSemicircle : kNoValue;
    if (both && !ValidPosition(p)) p.latitude = p.longitude = kNoValue;
}

double Or(std::optional<double> value) { return value.value_or(kNoValue); }

template <typename Small>
Small Count(std::optional<double> value)
{
    return value && *value <= 1000 ? static_cast<Small>(*value) : Small{-1};
}

std::string Plural(std::int64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

class FitDocument {
public:
    FitDocument(ReadResult& result, const ReadOptions& options)
        : result_(result), options_(options), takesTracks_(options.mode != ReadMode::Waypoints),
          takesWaypoints_(options.mode != ReadMode::Tracks),
          trackEntry_(track_.points, result.findings, options.trackPointsKept),
          waypointEntry_(result.document.waypoints, result.findings, options.waypointsKept)
    {}
    FitDocument(const FitDocument&) = delete;
    FitDocument& operator=(const FitDocument&) = delete;

    void Take(const Message& m)
    {
        switch (m.Global()) {
        case kRecord: return TakeRecord(m);
        case kLap:
        case kSession: return EndSection(m);
        case kLocation: return TakeLocation(m);
        case kCoursePoint: return TakeCoursePoint(m);
        case kCourse: track_.info.name = TextAsRead(m.Text(5), true); return;
        case kFileId: return;
        default: return;
        }
    }
    // A one-kind output takes no more than its capacity: the rest need not be read.
    bool Done() const { return (!takesWaypoints_ && trackEntry_.Full()) || (!takesTracks_ && waypointEntry_.Full()); }
    void Finish(std::int64_t developerValues);

private:
    void TakeRecord(const Message& m);
    bool StartsSection(const std::optional<UtcTime>& time);
    void EndSection(const Message& m);
    void TakeLocation(const Message& m);
    void TakeCoursePoint(const Message& m);
    void TakeWaypoint(const Point& w);

    ReadResult& result_;
    const ReadOptions& options_;
    const bool takesTracks_, takesWaypoints_;
    Track track_ = result_.document.NewTrack();
    PointEntry trackEntry_, waypointEntry_;
    std::set<std::int64_t> lapEnds_;
    bool lapEndedUntimed_ = false;
    bool sectionWaiting_ = true;
    bool trackSeen_ = false;
    std::int64_t withoutPosition_ = 0, readingsOnly_ = 0, powerLeftOut_ = 0;
};

void FitDocument::TakeRecord(const Message& m)
{
    Point p;
    PlaceAt(m, 0, 1, p);
    p.time = TimeOf(m.Value(fit::kTimestampField));
    if (!p.time) p.time = TimeOf(m.Time());
    const std::optional<double> enhanced = m.Scaled(78, 5, 500);
    p.elevation = Or(enhanced ? enhanced : m.Scaled(2, 5, 500));
    p.heartRate = Count<std::int16_t>(m.Value(3));
    p.cadence = Count<std::int16_t>(m.Value(4));
    p.celsius = Or(m.Value(13));
    if (options_.receiverFigures) {
        const std::optional<double> speed = m.Scaled(73, 1000);
        p.speed = Or(speed ? speed : m.Scaled(6, 1000));
    }
    const bool power = m.Value(7).has_value();
    sectionWaiting_ = StartsSection(p.time) || sectionWaiting_;
    if (std::isnan(p.latitude)) {
        const bool readings = p.heartRate >= 0 || p.cadence >= 0 || power || !std::isnan(p.celsius) ||
                              !std::isnan(p.speed) || p.HasElevation();
        ++(readings ? readingsOnly_ : withoutPosition_);
        return;
    }
    trackSeen_ = true;
    if (!takesTracks_) return;
    p.newSection = sectionWaiting_;
    sectionWaiting_ = false;
    powerLeftOut_ += power ? 1 : 0;
    trackEntry_.Add(p);
}

// A lap or a session ends at its time, or later where its start and its
// elapsed time say so (a course's lap, written before its points, is timed at
// its start): the first point after its end starts a section.
void FitDocument::EndSection(const Message& m)
{
    std::optional<UtcTime> end = TimeOf(m.Value(fit::kTimestampField));
    const std::optional<UtcTime> start = TimeOf(m.Value(2));
    if (const std::optional<double> elapsed = m.Scaled(7, 1000); start && elapsed && *elapsed >= 0) {
        const UtcTime ended{start->seconds + static_cast<std::int64_t>(std::ceil(*elapsed)), 0};
        if (!end || *end < ended) end = ended;
    }
    if (!end) lapEndedUntimed_ = true;
    else if (lapEnds_.size() < kMostLapEnds) lapEnds_.insert(end->seconds);
}

bool FitDocument::StartsSection(const std::optional<UtcTime>& time)
{
    bool starts = std::exchange(lapEndedUntimed_, false);
    if (time && !lapEnds_.empty()) {
        const auto later = lapEnds_.lower_bound(time->seconds);
        starts = starts || later != lapEnds_.begin();
        lapEnds_.erase(lapEnds_.begin(), later);
    }
    return starts;
}

void FitDocument::TakeWaypoint(const Point& w)
{
    if (takesWaypoints_) waypointEntry_.Add(w);
    else if (!std::isnan(w.latitude)) ++result_.waypointsLeftOut;
}

void FitDocument::TakeLocation(const Message& m)
{
    Point w;
    PlaceAt(m, 1, 2, w);
    w.name = TextAsRead(m.Text(0), true);
    w.description = TextAsRead(m.Text(6), true);
    w.elevation = Or(m.Scaled(4, 5, 500));
    w.time = TimeOf(m.Value(fit::kTimestampField));
    TakeWaypoint(w);
}

void FitDocument::TakeCoursePoint(const Message& m)
{
    Point w;
    PlaceAt(m, 2, 3, w);
    w.name = TextAsRead(m.Text(6), true);
    w.time = TimeOf(m.Value(1));
    if (const std::optional<double> kind = m.Value(5); kind && *kind < std::size(kCoursePointKinds)) {
        w.type = kCoursePointKinds[static_cast<std::size_t>(*kind)];
        w.symbol = SymbolOfKind(w.type);
    }
    TakeWaypoint(w);
}

void FitDocument::Finish(std::int64_t developerValues)
{
    Findings& findings = result_.findings;
    if (withoutPosition_ > 0) findings.Add(FindingKind::Unusable, {}, withoutPosition_);
    if (readingsOnly_ > 0)
        findings.Add(FindingKind::Skipped,
                     Plural(readingsOnly_, "record", "records") +
                         " without a position, holding readings of the sensors only, left out",
                     readingsOnly_);
    if (powerLeftOut_ > 0)
        findings.Add(FindingKind::Reduced,
                     "The power readings of " + Plural(powerLeftOut_, "track point", "track points") +
                         " left out: no output holds them",
                     powerLeftOut_);
    if (developerValues > 0)
        findings.Add(FindingKind::Skipped,
                     Plural(developerValues, "value", "values") +
                         " of fields of the device's apps (developer fields) not read",
                     developerValues);
    if (!track_.points.empty()) result_.document.tracks.push_back(std::move(track_));
    else if (trackSeen_ && !takesTracks_) result_.tracksLeftOut = 1;
}
}  // namespace

ReadResult ReadFitFile(const InputSource& source, const ReadOptions& options)
{
    ReadResult result = NewReadResult(options);
    ByteReader file = source.ReadBytes();
    fit::RecordStream records(file, result.findings);
    FitDocument document(result, options);
    while (!document.Done())
        if (const std::optional<Message> message = records.Next()) document.Take(*message);
        else break;
    document.Finish(records.DeveloperValues());
    return result;
}
