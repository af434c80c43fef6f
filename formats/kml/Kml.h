// SPDX-License-Identifier: GPL-3.0-or-later
// KML 2.2 documents, as virtual globes read them: a folder per kind, points
// as placemarks, routes as lines, tracks as timed tracks; UTF-8, escaped.
#pragma once

#include "core/format_rows.h"

#include <cstdint>
#include <string>
#include <vector>

#include "formats/document/DocumentWriter.h"

// Waypoints, routes (a line and a folder of its points each) and tracks (a
// gx:Track per section whose points all have a time, a line otherwise; a
// gx:MultiTrack for several timed sections) of one conversion.
class KmlDocument final : public DocumentWriter {
public:
    KmlDocument(const std::string& fileName, StoreTimes times);

protected:
    void Head(std::string& out) override;
    void Foot(std::string& out) override;
    void OpenPart(std::string& out, DocumentPart part) override;
    void ClosePart(std::string& out, DocumentPart part) override;
    void Waypoint(std::string& out, const PointView& point) override;
    void Route(std::string& out, const GroupView& route, const std::vector<PointView>& points) override;
    void Track(std::string& out, const GroupView& track, int number) override;
};

// The line colour of track `number` (from 1), as 0x00BBGGRR: hues a golden
// angle apart, so that no two tracks of a document look alike.
std::uint32_t KmlTrackColour(int number);

WriteResult WriteKmlFile(const Document& document, const WriteRequest& request);
