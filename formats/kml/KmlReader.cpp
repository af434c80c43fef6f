// SPDX-License-Identifier: GPL-3.0-or-later
// Reading KML 2.2 through the streaming parser. A placemark's point is a
// waypoint; its lines (LineString, gx:Track, in a MultiGeometry or a
// gx:MultiTrack) are the sections of one track. Inside a folder named
// Routes, a line is a route, and a folder that follows it holds the route's
// points; without one the line's points are the route's. Folders are
// otherwise gone through as if they were not there; styles, overlays,
// areas and models are passed over. Values of extended data the document
// has no field for are left out, and counted.
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/document/point_entry.h"
#include "core/io/byte_reader.h"
#include "core/text/read_number.h"
#include "core/text/text_fields.h"
#include "core/time/utc_time.h"
#include "formats/kml/Kml.h"
#include "formats/kml/KmlCoordinates.h"
#include "formats/kml/KmlTimes.h"
#include "formats/xml/XmlStream.h"

namespace {

enum class Node : std::uint8_t {
    Root,
    Container,  // Document or Folder
    Placemark,
    Geometry,  // MultiGeometry, gx:MultiTrack: what they hold is read
    Point,
    LineString,
    Track,  // gx:Track
    TimeStamp,
    ExtendedData,
    Data,
    SchemaData,
    Leaf,
    Other,  // passed over with all it holds
};

enum class Value : std::uint8_t { Name, Description, When, Coordinates, Coord, DataValue, SimpleData };

struct Child {
    Node parent;
    std::string_view local;
    Node node;
    Value value = Value::Name;
};

constexpr Child kChildren[] = {
    {Node::Root, "Document", Node::Container},
    {Node::Root, "Folder", Node::Container},
    {Node::Root, "Placemark", Node::Placemark},
    {Node::Container, "Document", Node::Container},
    {Node::Container, "Folder", Node::Container},
    {Node::Container, "Placemark", Node::Placemark},
    {Node::Container, "name", Node::Leaf, Value::Name},
    {Node::Container, "description", Node::Leaf, Value::Description},
    {Node::Placemark, "name", Node::Leaf, Value::Name},
    {Node::Placemark, "description", Node::Leaf, Value::Description},
    {Node::Placemark, "TimeStamp", Node::TimeStamp},
    {Node::Placemark, "ExtendedData", Node::ExtendedData},
    {Node::Placemark, "Point", Node::Point},
    {Node::Placemark, "LineString", Node::LineString},
    {Node::Placemark, "Track", Node::Track},
    {Node::Placemark, "MultiGeometry", Node::Geometry},
    {Node::Placemark, "MultiTrack", Node::Geometry},
    {Node::Geometry, "Point", Node::Point},
    {Node::Geometry, "LineString", Node::LineString},
    {Node::Geometry, "Track", Node::Track},
    {Node::Geometry, "MultiGeometry", Node::Geometry},
    {Node::Geometry, "MultiTrack", Node::Geometry},
    {Node::TimeStamp, "when", Node::Leaf, Value::When},
    {Node::Point, "coordinates", Node::Leaf, Value::Coordinates},
    {Node::LineString, "coordinates", Node::Leaf, Value::Coordinates},
    {Node::Track, "when", Node::Leaf, Value::When},
    {Node::Track, "coord", Node::Leaf, Value::Coord},
    {Node::ExtendedData, "Data", Node::Data},
    {Node::ExtendedData, "SchemaData", Node::SchemaData},
    {Node::Data, "value", Node::Leaf, Value::DataValue},
    {Node::SchemaData, "SimpleData", Node::Leaf, Value::SimpleData},
};

const Child* ChildOf(Node parent, std::string_view local)
{
    for (const Child& child : kChildren)
        if (child.parent == parent && child.local == local) return &child;
    return nullptr;
}

std::string_view Attribute(const char* const* attributes, std::string_view name)
{
    for (const char* const* a = attributes; a[0] != nullptr; a += 2)
        if (name == a[0]) return a[1];
    return {};
}

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// What a placemark says of itself, for its waypoints, route or track.
struct Texts {
    std::string name, description, comment, symbol, type;
    std::optional<UtcTime> time;
};

class KmlReader final : public xmlstream::Elements {
public:
    explicit KmlReader(const ReadOptions& options)
        : options_(options), waypoints_(result_.document.waypoints, result_.findings, options.waypointsKept)
    {}

    ReadResult Read(ByteReader& file)
    {
        parser_.Parse(file, result_.findings);
        if (route_) FinishRoute();
        Tell();
        return std::move(result_);
    }

    void Start(std::string_view local, const char* const* attributes) override
    {
        if (open_.empty()) {
            open_.push_back({Node::Root, {}});
            return;
        }
        const Child* child = open_.back().node == Node::Other ? nullptr : ChildOf(open_.back().node, local);
        const Node node = child == nullptr ? Node::Other : child->node;
        if (route_ && open_.size() == routeDepth_ && !(node == Node::Container && local == "Folder")) FinishRoute();
        if (route_ && open_.size() == routeDepth_) routePointsAt_ = open_.size() + 1;
        open_.push_back({node, {}});
        switch (node) {
        case Node::Leaf: StartLeaf(child->value); break;
        case Node::Placemark: StartPlacemark(); break;
        case Node::LineString: StartLine(true); break;
        case Node::Track: StartTrack(); break;
        case Node::Point: pointCoordinates_ = 0; break;
        case Node::Data: dataName_ = Attribute(attributes, "name"); break;
        case Node::Other:
            if (local == "SimpleArrayData") ++extendedLeftOut_;
            break;
        default: break;
        }
        if (node == Node::Leaf && child->value == Value::SimpleData) dataName_ = Attribute(attributes, "name");
    }

    void End(std::string_view, std::string_view text) override
    {
        const Node node = open_.back().node;
        open_.pop_back();
        switch (node) {
        case Node::Leaf: TakeLeaf(text); break;
        case Node::Point:
            if (pointCoordinates_ == 0) ++emptyGeometries_;
            break;
        case Node::LineString: FinishLine(); break;
        case Node::Track: FinishTimedTrack(); break;
        case Node::Placemark: FinishPlacemark(); break;
        case Node::Container:
            if (route_ && open_.size() + 1 == routePointsAt_) FinishRoute();
            else if (route_ && open_.size() + 1 == routeDepth_) FinishRoute();
            break;
        default: break;
        }
    }

    void Piece(std::string_view piece) override
    {
        tuples_.Feed(piece, elevations_, [this](const Point& p) { TakeLinePoint(p); });
    }

private:
    struct Open {
        Node node;
        std::string name;  // of a container, once read
    };

    void StartLeaf(Value value)
    {
        value_ = value;
        if (value == Value::Coordinates && open_[open_.size() - 2].node == Node::LineString) parser_.TakeTextInPieces();
        else parser_.TakeText();
    }

    Node Parent() const { return open_.size() < 2 ? Node::Root : open_[open_.size() - 2].node; }

    void TakeLeaf(std::string_view text)
    {
        const Node owner = open_.back().node;
        switch (value_) {
        case Value::Name:
            if (owner == Node::Container) open_.back().name = Trimmed(text);
            if (owner == Node::Container && open_.size() == 2) result_.document.metadata.name = text;
            if (owner == Node::Placemark) texts_.name = text;
            break;
        case Value::Description:
            if (owner == Node::Container && open_.size() == 2) result_.document.metadata.description = text;
            if (owner == Node::Placemark) texts_.description = text;
            break;
        case Value::When: TakeWhen(owner, text); break;
        case Value::Coordinates:
            if (owner == Node::Point) TakePointCoordinates(text);
            else tuples_.Finish(elevations_, [this](const Point& p) { TakeLinePoint(p); });
            break;
        case Value::Coord: TakeCoord(text); break;
        case Value::DataValue:
        case Value::SimpleData: TakeData(text); break;
        }
    }

    // The names the document has a field for; the writer above writes them.
    void TakeData(std::string_view value)
    {
        const std::string name = UpperText(dataName_);
        if (name == "CMT" || name == "COMMENT") texts_.comment = value;
        else if (name == "SYM" || name == "SYMBOL") texts_.symbol = value;
        else if (name == "TYPE") texts_.type = value;
        else ++extendedLeftOut_;
    }

    void TakeWhen(Node owner, std::string_view text)
    {
        const auto time = ParseIsoTime(Trimmed(text));
        if (!time) times_.Count();
        if (owner == Node::TimeStamp) texts_.time = time;
        else whens_.Add(time);
    }

    void StartPlacemark()
    {
        texts_ = Texts{};
        placemarkPoints_.clear();
        group_.reset();
        geometries_ = emptyGeometries_ = 0;
        placemarkLine_ = parser_.Line();
    }

    // The container the placemark open stands in.
    const Open* PlacemarkContainer() const
    {
        for (std::size_t at = open_.size(); at-- > 0;)
            if (open_[at].node == Node::Placemark) return at > 0 ? &open_[at - 1] : nullptr;
        return nullptr;
    }

    bool InRoutesFolder() const
    {
        const Open* container = PlacemarkContainer();
        return container != nullptr && container->node == Node::Container && UpperText(container->name) == "ROUTES";
    }

    // The track or route the placemark's lines go into, made with its first line.
    // A timed track is a track wherever it stands.
    void StartLine(bool mayBeRoute)
    {
        ++geometries_;
        lineHadPoints_ = false;
        if (!group_) {
            if (mayBeRoute && InRoutesFolder()) {
                if (route_) FinishRoute();
                result_.document.routes.emplace_back(result_.document.NewRoute());
                group_ = Group::Route;
                line_.clear();
                route_.emplace(result_.document.routes.back().points, result_.findings);
                lineEntry_.emplace(line_, result_.findings);
            } else {
                result_.document.tracks.emplace_back(result_.document.NewTrack());
                group_ = Group::Track;
                lineEntry_.emplace(result_.document.tracks.back().points, result_.findings, options_.trackPointsKept);
            }
        }
        sectionStart_ = true;
    }

    void StartTrack()
    {
        StartLine(false);
        whens_.Clear();
        coords_ = 0;
    }

    void TakeLinePoint(Point p)
    {
        lineHadPoints_ = true;
        if (lineEntry_->Full()) return;
        p.newSection = sectionStart_;
        sectionStart_ = false;
        lineEntry_->Add(p);
    }

    void FinishLine()
    {
        if (!lineHadPoints_) ++emptyGeometries_;
    }

    void TakeCoord(std::string_view text)
    {
        Point p = kml::PositionOf(Trimmed(text), ' ', elevations_);
        p.time = whens_.Take(coords_);
        ++coords_;
        TakeLinePoint(p);
    }

    void FinishTimedTrack()
    {
        if (!lineHadPoints_) ++emptyGeometries_;
        if (coords_ != whens_.size()) ++mismatchedTracks_;
        whens_.Clear();
    }

    void TakePointCoordinates(std::string_view text)
    {
        ++geometries_;
        const std::string_view tuple = Trimmed(text);
        if (tuple.empty()) return;
        ++pointCoordinates_;
        // One tuple; more are no point's.
        placemarkPoints_.push_back(tuple.find_first_of(" \t\r\n") == std::string_view::npos
                                       ? kml::PositionOf(tuple, ',', elevations_)
                                       : kml::PositionOf("?", ',', elevations_));
    }

    void FinishPlacemark()
    {
        if (group_) GiveGroupTexts();
        for (Point& p : placemarkPoints_) {
            p.name = texts_.name;
            p.description = texts_.description;
            p.comment = texts_.comment;
            p.symbol = texts_.symbol;
            p.type = texts_.type;
            p.time = texts_.time;
            if (route_ && routePointsAt_ != 0 && open_.size() >= routePointsAt_) route_->Add(p);
            else if (!waypoints_.Full()) waypoints_.Add(p);
        }
        if (geometries_ == 0 || geometries_ == emptyGeometries_) {
            if (firstEmptyLine_ == 0) firstEmptyLine_ = placemarkLine_;
            ++emptyPlacemarks_;
        }
        if (group_ == Group::Route) {
            routeDepth_ = open_.size();
            routePointsAt_ = 0;
        }
        group_.reset();
        lineEntry_.reset();
    }

    void GiveGroupTexts()
    {
        GroupInfo& info =
            group_ == Group::Route ? result_.document.routes.back().info : result_.document.tracks.back().info;
        info.name = texts_.name;
        info.description = texts_.description;
        info.comment = texts_.comment;
        info.type = texts_.type;
    }

    // A route's points: those of the folder after its line, or else the line's.
    void FinishRoute()
    {
        Route& route = result_.document.routes.back();
        if (route.points.empty()) route.points = std::move(line_);
        line_.clear();
        route_.reset();
        routeDepth_ = routePointsAt_ = 0;
    }
    void Tell()
    {
        for (const UnreadableValues* values : {&times_, &elevations_}) values->AddTo(result_.findings);
        if (emptyPlacemarks_ > 0)
            result_.findings.Add(FindingKind::Skipped,
                                 std::to_string(emptyPlacemarks_) +
                                     (emptyPlacemarks_ == 1 ? " placemark has" : " placemarks have") +
                                     " no coordinates of a point or line (the first at line " +
                                     std::to_string(firstEmptyLine_) + "): left out",
                                 emptyPlacemarks_);
        if (extendedLeftOut_ > 0)
            result_.findings.Add(FindingKind::Reduced,
                                 std::to_string(extendedLeftOut_) + (extendedLeftOut_ == 1 ? " value" : " values") +
                                     " of extended data that the document has no field for left out",
                                 extendedLeftOut_);
        if (mismatchedTracks_ > 0)
            result_.findings.Add(FindingKind::Damaged,
                                 std::to_string(mismatchedTracks_) +
                                     (mismatchedTracks_ == 1 ? " timed track gives" : " timed tracks give") +
                                     " times and positions of different counts: they were paired in order, and "
                                     "positions past the last time have none",
                                 mismatchedTracks_);
    }

    enum class Group : std::uint8_t { Track, Route };

    const ReadOptions& options_;
    ReadResult result_ = NewReadResult(options_);
    xmlstream::Parser parser_{*this, "KML", "kml"};
    std::vector<Open> open_;
    Value value_ = Value::Name;
    std::string dataName_;
    Texts texts_;
    std::vector<Point> placemarkPoints_;
    std::optional<Group> group_;  // of the placemark open, once it has a line
    int geometries_ = 0, emptyGeometries_ = 0, pointCoordinates_ = 0;
    std::int64_t placemarkLine_ = 0, firstEmptyLine_ = 0, emptyPlacemarks_ = 0;
    bool sectionStart_ = false, lineHadPoints_ = false;
    kml::CoordinateTuples tuples_;
    kml::TrackTimes whens_{options_.context};  // of the gx:Track open
    std::size_t coords_ = 0;
    PointEntry waypoints_;
    std::optional<PointEntry> lineEntry_;          // where the points of the placemark's lines go
    PointList line_ = result_.document.NewList();  // the line of the route open
    std::optional<PointEntry> route_;              // the points of the route open
    std::size_t routeDepth_ = 0;                   // the elements open around the route's placemark
    std::size_t routePointsAt_ = 0;                // the depth of the folder of its points; 0 none yet
    UnreadableValues times_{"times"}, elevations_{"elevations"};
    std::int64_t extendedLeftOut_ = 0, mismatchedTracks_ = 0;
};
}  // namespace

ReadResult ReadKmlFile(const InputSource& source, const ReadOptions& options)
{
    ByteReader file = source.ReadBytes();
    return KmlReader(options).Read(file);
}
