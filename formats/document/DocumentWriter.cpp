// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/document/DocumentWriter.h"

#include <algorithm>
#include <cmath>

#include "core/conversion_record.h"
#include "core/frontend.h"
#include "core/store.h"

namespace {
constexpr std::size_t kPieceSize = 1 << 16;

bool Holds(unsigned parts, DocumentPart part) { return (parts & static_cast<unsigned>(part)) != 0; }

bool EndOfTrack(const TrackPoint& p) { return p.Latitude == kNoPosition || p.Longitude == kNoPosition; }
}  // namespace

DocumentWriter::DocumentWriter(std::string fileName, StoreTimes times, unsigned parts, std::string formatName)
    : fileName_(std::move(fileName)), times_(times), parts_(parts), formatName_(std::move(formatName))
{}

DocumentWriter::~DocumentWriter() = default;

void DocumentWriter::OpenOutput()
{
    if (!output_) output_ = std::make_unique<SafeFileWriter>(fileName_);
}

// A document of tracks alone has nothing to put before them: they go
// straight to the file, after its head.
void DocumentWriter::Write(std::string_view text)
{
    if (intoSpool_) {
        spool_.Append(text);
        return;
    }
    OpenOutput();
    output_->Append(text);
}

void DocumentWriter::PassOn(std::string& out)
{
    if (out.size() < kPieceSize) return;
    Write(out);
    out.clear();
}

void DocumentWriter::VisitTrackSlots(int from, int to, const SlotVisit& visit) const
{
    VisitStoreTrack(times_, from, to, visit);
}

void DocumentWriter::ForEachTrackPoint(const std::function<void(const PointView&, bool)>& visit) const
{
    VisitTrackSlots(0, kMaxTrackSlot + 1, [&](int, const PointView& p, bool newSection) { visit(p, newSection); });
}

void DocumentWriter::ForEachSectionPoint(const SectionShape& section,
                                         const std::function<void(const PointView&)>& visit) const
{
    VisitTrackSlots(section.first, section.end, [&](int, const PointView& p, bool) { visit(p); });
}

std::vector<SectionShape> DocumentWriter::TrackSections() const
{
    std::vector<SectionShape> sections;
    VisitTrackSlots(0, kMaxTrackSlot + 1, [&](int slot, const PointView& p, bool newSection) {
        if (newSection) sections.emplace_back().first = slot;
        SectionShape& s = sections.back();
        s.end = slot + 1;
        ++s.points;
        if (p.values.time) ++s.timed;
        if (!std::isnan(p.values.metres)) ++s.withElevation;
        if (!p.texts.name.empty()) ++s.named;
    });
    return sections;
}

void DocumentWriter::TakeStoreTrack(int)
{
    if (!Holds(parts_, DocumentPart::Tracks)) return;
    const bool streamed = parts_ == kTracksOnly;
    if (streamed && !headWritten_) {
        Head(pending_);
        headWritten_ = true;
    }
    // What was pending belongs before the tracks; nothing is, until Finish.
    intoSpool_ = !streamed;
    WriteStoreTrack();
    intoSpool_ = false;
}

void DocumentWriter::WriteStoreTrack()
{
    ++tracks_;
    const int count = std::clamp(TrackProps.PointCount, 0, kMaxTrackSlot + 1);
    for (int i = 0; i < count; ++i) {
        const TrackPoint& p = TrackPointList[i];
        if (EndOfTrack(p)) break;
        if (ValidPosition(p.Latitude, p.Longitude)) ++trackPoints_;
        else leftOut_ = true;
    }
    Track(pending_, ViewOfTrack(), tracks_);
    Write(pending_);
    pending_.clear();
}

void DocumentWriter::Finish(bool storeTrackLast)
{
    if (storeTrackLast && parts_ == kTracksOnly) TakeStoreTrack(0);
    // The last track needs no spool: nothing comes between it and the foot.
    const bool lastTrack = storeTrackLast && Holds(parts_, DocumentPart::Tracks) && parts_ != kTracksOnly;
    std::string& out = pending_;
    WrittenCounts written;
    if (!headWritten_) {
        Head(out);
        headWritten_ = true;
    }
    if (Holds(parts_, DocumentPart::Waypoints)) {
        VisitStoreWaypoints(
            times_,
            [&](const PointView& p) {
                if (written.waypoints == 0) OpenPart(out, DocumentPart::Waypoints);
                Waypoint(out, p);
                ++written.waypoints;
                PassOn(out);
            },
            &leftOut_);
        if (written.waypoints > 0) ClosePart(out, DocumentPart::Waypoints);
    }
    if (Holds(parts_, DocumentPart::Routes)) {
        VisitStoreRoutes(
            times_,
            [&](int r, const RouteRecord& route, const std::vector<PointView>& points) {
                if (written.routes == 0) OpenPart(out, DocumentPart::Routes);
                GroupView view = ViewOfRoute(route);
                view.colour = RouteColours[r];
                Route(out, view, points);
                ++written.routes;
                PassOn(out);
            },
            &leftOut_);
        if (written.routes > 0) ClosePart(out, DocumentPart::Routes);
    }
    if (parts_ != kTracksOnly && (tracks_ > 0 || lastTrack)) {
        OpenPart(out, DocumentPart::Tracks);
        Write(out);
        out.clear();
        spool_.PlayBack([&](std::string_view piece) { Write(piece); });
        if (lastTrack) WriteStoreTrack();
        ClosePart(out, DocumentPart::Tracks);
    }
    Foot(out);
    Write(out);
    out.clear();
    output_->Commit();
    written.trackPoints = trackPoints_;
    written.tracks = tracks_;
    NoteWritten(written);
    if (leftOut_)
        Front().ShowLimitMessage("Only points with a latitude from -90 to 90 and a longitude from -180 to 180 are "
                                 "saved - this is a limitation of the " +
                                 formatName_ + " format.");
}
