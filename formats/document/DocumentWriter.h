// SPDX-License-Identifier: GPL-3.0-or-later
// The outputs that hold everything a conversion read in one file (GPX, KML,
// GeoJSON, CSV) share this frame: tracks are taken as the reader hands them
// over, and the document is written once reading is done, in the order such
// files want (waypoints, routes, tracks). Tracks are kept aside in a spool,
// so memory stays flat; a document of tracks alone streams them straight out.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/track_destination.h"
#include "formats/document/PointView.h"
#include "formats/document/Spool.h"

// What one section of a track holds, for formats that say so before its points.
struct SectionShape {
    int first = 0, end = 0;  // the store's track slots it takes
    int points = 0;
    int timed = 0;          // points with a time
    int withElevation = 0;  // points with an elevation
    int named = 0;          // points with a name
};

enum class DocumentPart : unsigned { Waypoints = 1, Routes = 2, Tracks = 4 };
inline constexpr unsigned kWaypointsAndRoutes = 3, kTracksOnly = 4, kEverything = 7;

class DocumentWriter : public TrackDestination {
public:
    // formatName names the format in the message about points left out
    // ("... a limitation of the gpx format").
    DocumentWriter(std::string fileName, StoreTimes times, unsigned parts, std::string formatName);
    ~DocumentWriter() override;
    DocumentWriter(const DocumentWriter&) = delete;
    DocumentWriter& operator=(const DocumentWriter&) = delete;

    // The store's track, as the next track of the document.
    void TakeStoreTrack(int number) override;
    int TrackCount() const { return tracks_; }
    // Writes what is left (the head, the store's waypoints and routes where the
    // document holds them, the tracks kept aside and, with storeTrackLast, the
    // store's track after them, the foot), puts the file in place, notes the
    // counts written and names the points left out.
    void Finish(bool storeTrackLast = false);

protected:
    StoreTimes Times() const { return times_; }

    virtual void Head(std::string& out) = 0;
    virtual void Foot(std::string& out) = 0;
    // Around a part that holds anything.
    virtual void OpenPart(std::string&, DocumentPart) {}
    virtual void ClosePart(std::string&, DocumentPart) {}
    virtual void Waypoint(std::string& out, const PointView& point) = 0;
    // points: those of the route with a usable position.
    virtual void Route(std::string& out, const GroupView& route, const std::vector<PointView>& points) = 0;
    // The store's track, number `number` of the document (from 1); its points
    // come from ForEachTrackPoint, as often as the format needs them.
    virtual void Track(std::string& out, const GroupView& track, int number) = 0;

    // Each point of the store's track with a usable position, and whether a
    // section starts with it (also when the point that started it was left out).
    void ForEachTrackPoint(const std::function<void(const PointView& point, bool newSection)>& visit) const;
    // The sections of the store's track with a usable point, in order.
    std::vector<SectionShape> TrackSections() const;
    // Each point of one of those sections, for formats that go over a section twice.
    void ForEachSectionPoint(const SectionShape& section, const std::function<void(const PointView&)>& visit) const;
    // Hands what is pending to the file or the spool once it makes a piece.
    void PassOn(std::string& out);

private:
    using SlotVisit = std::function<void(int slot, const PointView& point, bool newSection)>;
    void VisitTrackSlots(int from, int to, const SlotVisit& visit) const;
    // The store's track as the next track, counted, through Write.
    void WriteStoreTrack();
    void Write(std::string_view text);
    void OpenOutput();

    std::string fileName_;
    StoreTimes times_;
    unsigned parts_;
    std::string formatName_;
    std::unique_ptr<SafeFileWriter> output_;
    Spool spool_;
    std::string pending_;
    bool headWritten_ = false;
    bool intoSpool_ = false;  // while a track is being made for later
    int tracks_ = 0;
    std::int64_t trackPoints_ = 0;
    bool leftOut_ = false;
};
