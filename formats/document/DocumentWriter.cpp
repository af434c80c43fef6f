// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/document/DocumentWriter.h"

#include <cmath>
#include <optional>

#include "core/document/point_entry.h"
#include "core/io/file_names.h"

namespace {
constexpr std::size_t kPieceSize = 1 << 16;

bool Holds(unsigned parts, DocumentPart part) { return (parts & static_cast<unsigned>(part)) != 0; }

// A time the outputs can write: in the years 1 to 9999.
bool Writable(const UtcTime& time)
{
    static const UtcTime first = *UtcTimeOf(1, 1, 1, 0, 0, 0);
    static const UtcTime last = *UtcTimeOf(9999, 12, 31, 23, 59, 59, 999999999);
    return time >= first && time <= last && time.nanoseconds >= 0 && time.nanoseconds < 1000000000;
}
}  // namespace

bool PreparedForWriting(Point& p)
{
    if (!ValidPosition(p)) return false;
    if (p.time && (p.undated || !Writable(*p.time))) p.time.reset();
    if (!std::isfinite(p.elevation) || std::fabs(p.elevation) > kHighestElevationMetres) p.elevation = kNoValue;
    return true;
}

PointWalk::PointWalk(const PointList& list, bool sections) : cursor_(list), sections_(sections) {}

void PointWalk::Fetch(int at)
{
    Point& p = points_[at];
    held_[at] = false;
    while (cursor_.Next(p)) {
        const std::size_t position = read_++;
        const bool starts = sections_ && p.newSection;
        if (!PreparedForWriting(p)) {
            ++leftOut_;
            sectionWaiting_ = sectionWaiting_ || starts;
            continue;
        }
        starts_[at] = sectionWaiting_ || starts;
        sectionWaiting_ = false;
        held_[at] = true;
        positions_[at] = position;
        return;
    }
}

bool PointWalk::Next()
{
    if (!started_) {
        started_ = true;
        Fetch(0);
        Fetch(1);
        current_ = 0;
    } else if (held_[current_]) {
        current_ = 1 - current_;
        Fetch(1 - current_);
    }
    if (!held_[current_]) return false;
    ++walked_;
    return true;
}

RoadWalk::RoadWalk(const Route& route) : route_(route), cursor_(route.links) {}

void RoadWalk::After(std::size_t position, const std::function<void(const Point&)>& each)
{
    const std::vector<std::uint32_t>& after = route_.linksAfter;
    for (; next_ < position && next_ < after.size(); ++next_) cursor_.Skip(after[next_]);
    if (next_ != position || next_ >= after.size()) return;
    for (std::uint32_t i = 0; i < after[next_] && cursor_.Next(link_); ++i)
        if (PreparedForWriting(link_)) each(link_);
    ++next_;
}

PointList RouteLine(const Route& route)
{
    PointList line = route.points.EmptyLike();
    Point last;
    bool any = false;
    const auto draw = [&](const Point& p) {
        if (any && p.latitude == last.latitude && p.longitude == last.longitude) return;
        line.push_back(p);
        last = p;
        any = true;
    };
    RoadWalk road(route);
    std::size_t position = 0;
    Point point;
    for (PointList::Cursor points(route.points); points.Next(point); ++position) {
        draw(point);
        road.After(position, draw);
    }
    return line;
}

DocumentWriter::DocumentWriter(unsigned parts, std::string formatName)
    : parts_(parts), formatName_(std::move(formatName))
{}

DocumentWriter::~DocumentWriter() = default;

void DocumentWriter::WriteOut(std::string& out)
{
    output_->Append(out);
    out.clear();
}

void DocumentWriter::PassOn(std::string& out)
{
    if (out.size() >= kPieceSize) WriteOut(out);
}

void DocumentWriter::AppendTrackPoint(std::string& out, const PointWalk& points) { TrackPointText(out, *points); }

WriteResult DocumentWriter::Write(const Document& document, const std::string& fileName, OutputTransaction* transaction)
{
    output_ = std::make_unique<SafeFileWriter>(fileName, transaction);
    WriteResult result;
    WrittenCounts& written = result.counts;
    std::int64_t leftOut = 0;
    std::string out;
    Head(out, document.metadata);
    if (Holds(parts_, DocumentPart::Waypoints)) {
        PointWalk walk(document.waypoints, false);
        while (walk.Next()) {
            if (written.waypoints == 0) OpenPart(out, DocumentPart::Waypoints);
            Waypoint(out, *walk);
            ++written.waypoints;
            PassOn(out);
        }
        if (written.waypoints > 0) ClosePart(out, DocumentPart::Waypoints);
        leftOut += walk.LeftOut();
    }
    if (Holds(parts_, DocumentPart::Routes)) {
        int number = 0;
        for (const ::Route& route : document.routes) {
            ++number;
            if (route.points.empty()) continue;  // a route is its points: an empty one is none
            if (written.routes == 0) OpenPart(out, DocumentPart::Routes);
            PointWalk walk(route.points, false);
            Route(out, route, number, walk);
            while (walk.Next()) {}
            leftOut += walk.LeftOut();
            ++written.routes;
            PassOn(out);
        }
        if (written.routes > 0) ClosePart(out, DocumentPart::Routes);
    }
    if (Holds(parts_, DocumentPart::Tracks) && !document.tracks.empty()) {
        OpenPart(out, DocumentPart::Tracks);
        int number = 0;
        for (const ::Track& track : document.tracks) {
            PointWalk walk(track.points, true);
            Track(out, track.info, ++number, track.points, walk);
            while (walk.Next()) {}
            written.trackPoints += walk.Walked();
            leftOut += walk.LeftOut();
            ++written.tracks;
            PassOn(out);
        }
        ClosePart(out, DocumentPart::Tracks);
    }
    Foot(out);
    WriteOut(out);
    output_->Commit();
    if (leftOut > 0)
        result.findings.Add(FindingKind::Cut,
                            "Only points with a latitude from -90 to 90 and a longitude from -180 to 180 are saved - "
                            "this is a limitation of the " +
                                formatName_ + " format.",
                            leftOut);
    return result;
}

std::string DocumentFileName(const WriteRequest& request, const char* extension)
{
    return request.exactNames ? request.outputName : ChangeFileExt(request.outputName, extension);
}
