// SPDX-License-Identifier: GPL-3.0-or-later
// The outputs that hold everything of a document in one file (GPX, KML,
// GeoJSON, CSV) share this frame: it writes the parts in the order such files
// want (waypoints, routes, tracks), hands the text to the file in pieces, and
// leaves out and counts the points whose position the formats cannot hold.
// Points are read from the document's lists as they are written, once per
// pass a format makes, so memory stays flat however long a track is.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/convert/format_rows.h"
#include "core/document/document.h"
#include "core/io/file_io.h"

// Readies a point as the outputs write it: false for one without a position
// they can hold (a latitude from -90 to 90, a longitude from -180 to 180);
// otherwise without the values no output writes (an undated time or one
// outside the years 1 to 9999, an elevation that is none by the document's
// rule).
bool PreparedForWriting(Point& point);

// The points of a list that an output writes, in order, readied by
// PreparedForWriting (the others are left out and counted). Each knows
// whether it starts a section and whether the next one goes on in it, so
// that a format can nest sections as it walks.
class PointWalk {
public:
    // sections: the points' own section starts count (a track); otherwise the
    // first point starts the only section (the waypoints, a route).
    PointWalk(const PointList& list, bool sections);
    // To the next point; false at the end.
    bool Next();
    // Valid until the next step.
    const Point& operator*() const { return points_[current_]; }
    const Point* operator->() const { return &points_[current_]; }
    // The first point walked does, and so does the first point kept after a
    // section start that was left out.
    bool StartsSection() const { return starts_[current_]; }
    // The point after this one is in its section.
    bool SectionGoesOn() const { return held_[1 - current_] && !starts_[1 - current_]; }
    // Of the current point in the list, every point counted.
    std::size_t Position() const { return positions_[current_]; }
    std::int64_t Walked() const { return walked_; }
    // Of the points read so far (one beyond the current).
    std::int64_t LeftOut() const { return leftOut_; }

private:
    // Reads the next point kept into slot `at`.
    void Fetch(int at);
    PointList::Cursor cursor_;
    bool sections_;
    Point points_[2];
    bool starts_[2] = {false, false};
    bool held_[2] = {false, false};
    std::size_t positions_[2] = {0, 0};
    std::size_t read_ = 0;  // points read from the list
    int current_ = 1;
    bool started_ = false;
    bool sectionWaiting_ = true;
    std::int64_t walked_ = 0;
    std::int64_t leftOut_ = 0;
};

// The link points of a route after each of its points, read in step with a
// walk of the points, which may leave some out.
class RoadWalk {
public:
    explicit RoadWalk(const Route& route);
    // Gives `each` the links after the route point at `position` of its list,
    // readied by PreparedForWriting (one without a position the formats hold
    // is passed over); the links of earlier points not asked for are passed over.
    void After(std::size_t position, const std::function<void(const Point&)>& each);

private:
    const Route& route_;
    PointList::Cursor cursor_;
    std::size_t next_ = 0;  // the route point whose links the cursor is at
    Point link_;
};

// A route's points with the road between them, as a line is drawn: a
// position equal to the one before it is drawn once.
PointList RouteLine(const Route& route);

enum class DocumentPart : unsigned { Waypoints = 1, Routes = 2, Tracks = 4 };
inline constexpr unsigned kWaypointsAndRoutes = 3, kTracksOnly = 4, kEverything = 7;

class DocumentWriter {
public:
    // formatName names the format in the message about points left out
    // ("... a limitation of the gpx format").
    DocumentWriter(unsigned parts, std::string formatName);
    virtual ~DocumentWriter();
    DocumentWriter(const DocumentWriter&) = delete;
    DocumentWriter& operator=(const DocumentWriter&) = delete;

    // Writes the parts of the document this output holds into fileName and
    // completes the file (the conversion's transaction puts it in place).
    WriteResult Write(const Document& document, const std::string& fileName, OutputTransaction* transaction);

protected:
    virtual void Head(std::string& out, const Metadata& metadata) = 0;
    virtual void Foot(std::string& out) = 0;
    // Around a part that holds anything.
    virtual void OpenPart(std::string&, DocumentPart) {}
    virtual void ClosePart(std::string&, DocumentPart) {}
    virtual void Waypoint(std::string& out, const Point& point) = 0;
    // Route or track `number` of the document (from 1). `points` walks its
    // points and is the walk the frame counts, so it is walked last; a format
    // that goes over them more than once walks the list before it.
    virtual void Route(std::string& out, const ::Route& route, int number, PointWalk& points) = 0;
    virtual void Track(std::string& out, const GroupInfo& track, int number, const PointList& list,
                       PointWalk& points) = 0;
    // Hands what is pending to the file once it makes a piece.
    void PassOn(std::string& out);
    // A format whose track point's text depends on the point alone gives it here.
    virtual void TrackPointText(std::string&, const Point&) const {}
    // The text of the walk's point.
    void AppendTrackPoint(std::string& out, const PointWalk& points);

private:
    void WriteOut(std::string& out);

    unsigned parts_;
    std::string formatName_;
    std::unique_ptr<SafeFileWriter> output_;
};

// The file a document writer makes: the output name as given when names are
// exact, otherwise with the format's extension.
std::string DocumentFileName(const WriteRequest& request, const char* extension);
