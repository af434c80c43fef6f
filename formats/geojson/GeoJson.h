// SPDX-License-Identifier: GPL-3.0-or-later
// GeoJSON (RFC 7946) documents, as web maps and GIS read them: one feature
// collection, a feature per waypoint, route and track.
#pragma once

#include "core/format_rows.h"

#include <string>
#include <vector>

#include "formats/document/DocumentWriter.h"

// Waypoints as points; routes and tracks as lines, a line per section (a
// point where a section has only one), with the times and names of their
// points as coordinateProperties arrays nested as the coordinates are.
class GeoJsonDocument final : public DocumentWriter {
public:
    GeoJsonDocument(const std::string& fileName, StoreTimes times);

protected:
    void Head(std::string& out) override;
    void Foot(std::string& out) override;
    void OpenPart(std::string& out, DocumentPart part) override;
    void Waypoint(std::string& out, const PointView& point) override;
    void Route(std::string& out, const GroupView& route, const std::vector<PointView>& points) override;
    void Track(std::string& out, const GroupView& track, int number) override;

private:
    // Before each feature: a comma after the one before it.
    void Separate(std::string& out);
    bool featureWritten_ = false;
};

// A JSON string of UTF-8 text: quotes, backslashes and control characters
// escaped, a byte that is not UTF-8 the replacement character U+FFFD.
void AppendJsonString(std::string& out, std::string_view utf8);

WriteResult WriteGeoJsonFile(const Document& document, const WriteRequest& request);
