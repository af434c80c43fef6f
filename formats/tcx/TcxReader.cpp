// SPDX-License-Identifier: GPL-3.0-or-later
// Reading TCX through the streaming parser. Only the elements below are
// read; the laps' totals, the folders, the author and the sensors' states
// are summaries the document has no place for, and are passed over.
//
// A track point without a position (a time and a heart rate while the
// receiver had no fix, or an activity indoors) is no point of a track: it is
// left out and counted with the points without a usable position.
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/document/point_entry.h"
#include "core/io/byte_reader.h"
#include "core/text/read_number.h"
#include "core/time/utc_time.h"
#include "formats/tcx/Tcx.h"
#include "formats/xml/XmlStream.h"

namespace {

enum class Node : std::uint8_t {
    Root,
    Activities,  // or a multisport session, or one of its sports
    Activity,
    Lap,
    Track,
    Trackpoint,
    Position,
    HeartRate,
    Extensions,
    TrackpointExtension,
    Courses,
    Course,
    CoursePoint,
    Leaf,   // an element whose text is a value
    Other,  // passed over with all it holds
};

enum class Value : std::uint8_t {
    Id,
    GroupName,
    GroupNotes,
    Time,
    Latitude,
    Longitude,
    Altitude,
    HeartRate,
    Cadence,
    RunCadence,
    Speed,
    Watts,
    Name,
    PointType,
    Notes,
};

struct Child {
    Node parent;
    std::string_view local;
    Node node;
    Value value = Value::Id;
};

constexpr Child kChildren[] = {
    {Node::Root, "Activities", Node::Activities},
    {Node::Root, "Courses", Node::Courses},
    {Node::Activities, "Activity", Node::Activity},
    {Node::Activities, "MultiSportSession", Node::Activities},
    {Node::Activities, "FirstSport", Node::Activities},
    {Node::Activities, "NextSport", Node::Activities},
    {Node::Activity, "Id", Node::Leaf, Value::Id},
    {Node::Activity, "Notes", Node::Leaf, Value::GroupNotes},
    {Node::Activity, "Lap", Node::Lap},
    {Node::Lap, "Track", Node::Track},
    {Node::Track, "Trackpoint", Node::Trackpoint},
    {Node::Trackpoint, "Time", Node::Leaf, Value::Time},
    {Node::Trackpoint, "Position", Node::Position},
    {Node::Trackpoint, "AltitudeMeters", Node::Leaf, Value::Altitude},
    {Node::Trackpoint, "HeartRateBpm", Node::HeartRate},
    {Node::Trackpoint, "Cadence", Node::Leaf, Value::Cadence},
    {Node::Trackpoint, "Extensions", Node::Extensions},
    {Node::Position, "LatitudeDegrees", Node::Leaf, Value::Latitude},
    {Node::Position, "LongitudeDegrees", Node::Leaf, Value::Longitude},
    {Node::HeartRate, "Value", Node::Leaf, Value::HeartRate},
    {Node::Extensions, "TPX", Node::TrackpointExtension},
    {Node::TrackpointExtension, "Speed", Node::Leaf, Value::Speed},
    {Node::TrackpointExtension, "Watts", Node::Leaf, Value::Watts},
    {Node::TrackpointExtension, "RunCadence", Node::Leaf, Value::RunCadence},
    {Node::Courses, "Course", Node::Course},
    {Node::Course, "Name", Node::Leaf, Value::GroupName},
    {Node::Course, "Notes", Node::Leaf, Value::GroupNotes},
    {Node::Course, "Track", Node::Track},
    {Node::Course, "CoursePoint", Node::CoursePoint},
    {Node::CoursePoint, "Name", Node::Leaf, Value::Name},
    {Node::CoursePoint, "Time", Node::Leaf, Value::Time},
    {Node::CoursePoint, "Position", Node::Position},
    {Node::CoursePoint, "AltitudeMeters", Node::Leaf, Value::Altitude},
    {Node::CoursePoint, "PointType", Node::Leaf, Value::PointType},
    {Node::CoursePoint, "Notes", Node::Leaf, Value::Notes},
};

const Child* ChildOf(Node parent, std::string_view local)
{
    for (const Child& child : kChildren)
        if (child.parent == parent && child.local == local) return &child;
    return nullptr;
}

// A latitude or longitude within its range; otherwise none, and the point is left out.
double Degrees(std::string_view text, double most)
{
    const auto value = ReadDecimal(text);
    return value && std::fabs(*value) <= most ? *value : kNoValue;
}

class TcxReader final : public xmlstream::Elements {
public:
    explicit TcxReader(const ReadOptions& options)
        : options_(options), waypoints_(result_.document.waypoints, result_.findings, options.waypointsKept)
    {}

    ReadResult Read(ByteReader& file)
    {
        parser_.Parse(file, result_.findings);
        for (const UnreadableValues* values : {&times_, &elevations_, &heartRates_, &cadences_, &speeds_})
            values->AddTo(result_.findings);
        if (powers_ > 0)
            result_.findings.Add(FindingKind::Reduced,
                                 "power readings of " + std::to_string(powers_) +
                                     (powers_ == 1 ? " point" : " points") +
                                     " left out: the document has no place for them",
                                 powers_);
        return std::move(result_);
    }

    void Start(std::string_view local, const char* const* attributes) override
    {
        if (open_.empty()) {
            open_.push_back(Node::Root);
            return;
        }
        const Child* child = open_.back() == Node::Other ? nullptr : ChildOf(open_.back(), local);
        const Node node = child == nullptr ? Node::Other : Admitted(*child);
        open_.push_back(node);
        switch (node) {
        case Node::Leaf:
            value_ = child->value;
            parser_.TakeText();
            break;
        case Node::Activity: StartTrack(Attribute(attributes, "Sport")); break;
        case Node::Course: StartTrack({}); break;
        case Node::Track: sectionStart_ = true; break;
        case Node::Trackpoint:
        case Node::CoursePoint: ClearPoint(); break;
        default: break;
        }
    }

    void End(std::string_view, std::string_view text) override
    {
        const Node node = open_.back();
        open_.pop_back();
        switch (node) {
        case Node::Leaf: Take(text); break;
        case Node::Trackpoint: FinishTrackPoint(); break;
        case Node::CoursePoint:
            if (!waypoints_.Full()) waypoints_.Add(point_);
            break;
        case Node::Activity:
        case Node::Course: track_.reset(); break;
        default: break;
        }
    }

private:
    // What the mode passes over is not read, and counted.
    Node Admitted(const Child& child)
    {
        if (child.node == Node::Activity || (child.node == Node::Track && child.parent == Node::Course)) {
            if (options_.mode != ReadMode::Waypoints) return child.node;
            // A course's track is counted once, however many spans it has.
            if (child.node == Node::Activity || !trackPassedOver_) ++result_.tracksLeftOut;
            trackPassedOver_ = child.node == Node::Track;
            return Node::Other;
        }
        if (child.node == Node::CoursePoint && options_.mode == ReadMode::Tracks) {
            ++result_.waypointsLeftOut;
            return Node::Other;
        }
        return child.node;
    }

    static std::string_view Attribute(const char* const* attributes, std::string_view name)
    {
        for (const char* const* a = attributes; a[0] != nullptr; a += 2)
            if (name == a[0]) return a[1];
        return {};
    }

    // A course's track is only made once it has a point or a course has a
    // track, so that a course of course points alone makes none.
    void StartTrack(std::string_view sport)
    {
        track_.reset();
        trackPassedOver_ = false;
        trackInfo_ = GroupInfo{};
        trackInfo_.type = std::string(sport);
    }

    PointEntry& OpenTrack()
    {
        if (!track_) {
            result_.document.tracks.emplace_back(result_.document.NewTrack());
            result_.document.tracks.back().info = trackInfo_;
            track_.emplace(result_.document.tracks.back().points, result_.findings, options_.trackPointsKept);
        }
        return *track_;
    }

    GroupInfo& Group() { return track_ ? result_.document.tracks.back().info : trackInfo_; }

    // Only the values this reader fills are cleared: the texts of a point
    // keep their memory for the next, and most points have none.
    void ClearPoint()
    {
        point_.latitude = point_.longitude = point_.elevation = point_.speed = kNoValue;
        point_.time.reset();
        point_.heartRate = point_.cadence = -1;
        point_.newSection = false;
        point_.name.clear();
        point_.symbol.clear();
        point_.comment.clear();
    }

    void FinishTrackPoint()
    {
        PointEntry& track = OpenTrack();
        if (track.Full()) return;
        point_.newSection = sectionStart_;
        sectionStart_ = false;
        track.Add(point_);
    }

    void Take(std::string_view text)
    {
        switch (value_) {
        case Value::Id:
        case Value::GroupName: Group().name = std::string(text); break;
        case Value::GroupNotes: Group().description = std::string(text); break;
        case Value::Name: point_.name = std::string(text); break;
        case Value::PointType: point_.symbol = std::string(text); break;
        case Value::Notes: point_.comment = std::string(text); break;
        case Value::Latitude: point_.latitude = Degrees(text, 90); break;
        case Value::Longitude: point_.longitude = Degrees(text, 180); break;
        case Value::Altitude: point_.elevation = elevations_.Decimal(text).value_or(kNoValue); break;
        case Value::Time: TakeTime(text); break;
        case Value::HeartRate: point_.heartRate = WholeCount(heartRates_, text); break;
        case Value::Cadence: point_.cadence = WholeCount(cadences_, text); break;
        case Value::RunCadence:
            if (point_.cadence < 0) point_.cadence = WholeCount(cadences_, text);
            break;
        case Value::Speed: TakeSpeed(text); break;
        case Value::Watts:
            if (ReadDecimal(text)) ++powers_;
            break;
        }
    }

    void TakeTime(std::string_view text)
    {
        point_.time = ParseIsoTime(text);
        if (!point_.time) times_.Count();
    }

    void TakeSpeed(std::string_view text)
    {
        const auto speed = speeds_.Decimal(text);
        if (speed && *speed < 0) speeds_.Count();
        else if (speed) point_.speed = *speed;
    }

    // A count per minute: a whole number from 0 to 255 (the most the file
    // format holds); anything else is unreadable.
    static std::int16_t WholeCount(UnreadableValues& values, std::string_view text)
    {
        const auto value = values.Integer(text);
        if (!value) return -1;
        if (*value >= 0 && *value <= 255) return static_cast<std::int16_t>(*value);
        values.Count();
        return -1;
    }

    const ReadOptions& options_;
    ReadResult result_ = NewReadResult(options_);
    xmlstream::Parser parser_{*this, "TCX", "TrainingCenterDatabase"};
    std::vector<Node> open_;
    Value value_ = Value::Id;  // of the Leaf open
    Point point_;
    PointEntry waypoints_;
    std::optional<PointEntry> track_;  // of the activity or course open, once it has a point
    GroupInfo trackInfo_;              // of the activity or course open, before its track is made
    bool sectionStart_ = false;
    bool trackPassedOver_ = false;  // the course open has a track a read for waypoints passed over
    UnreadableValues times_{"times"}, elevations_{"elevations"}, heartRates_{"heart rates"}, cadences_{"cadences"},
        speeds_{"speeds"};
    std::int64_t powers_ = 0;
};
}  // namespace

ReadResult ReadTcxFile(const InputSource& source, const ReadOptions& options)
{
    ByteReader file = source.ReadBytes();
    return TcxReader(options).Read(file);
}
