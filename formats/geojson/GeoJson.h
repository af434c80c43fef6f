// SPDX-License-Identifier: GPL-3.0-or-later
// GeoJSON (RFC 7946) documents, as web maps and GIS read them: one feature
// collection, a feature per waypoint, route and track.
#pragma once

#include <string>
#include <string_view>

#include "core/convert/format_rows.h"

// A JSON string of UTF-8 text: quotes, backslashes and control characters
// escaped, a byte that is not UTF-8 the replacement character U+FFFD.
void AppendJsonString(std::string& out, std::string_view utf8);

// Waypoints as points; routes and tracks as lines, a line per section (a
// point where a section has only one), with the times and names of their
// points as coordinateProperties arrays nested as the coordinates are.
WriteResult WriteGeoJsonFile(const Document& document, const WriteRequest& request);

// Points (waypoints) and lines (tracks; routes where this product's writer
// named them so) of features and bare geometries, with their names,
// descriptions, times and elevations, and the times and names of a line's
// points from their "coordinateProperties" or "coordTimes" arrays.
// Positions that cannot be read are left out and counted, geometries that
// cannot be read and areas left out and counted; a file that is no GeoJSON,
// or of which nothing can be read, is refused.
ReadResult ReadGeoJsonFile(const InputSource& source, const ReadOptions& options);
