// SPDX-License-Identifier: GPL-3.0-or-later
// CSV documents, as spreadsheets open them: a header line, then one row per
// point (waypoints, route points, track points), UTF-8 with a byte-order
// mark, fields quoted as RFC 4180 says, lines ended by CR LF.
#pragma once

#include <string>
#include <string_view>

#include "core/convert/format_rows.h"

// A field of UTF-8 text: in quotes, its quotes doubled, where it holds a
// comma, a quote or a line break; a byte that is not UTF-8 the replacement
// character U+FFFD.
void AppendCsvField(std::string& out, std::string_view utf8);

// The columns: type ("waypoint", "route point", "track point"), track (its
// name, on track points), route (its name, on route points), section (of
// the track, from 1), lat, lon, ele_m (metres), time (ISO 8601 UTC), name,
// desc, sym, cmt, track_index and route_index (the number of its track or
// route in the document, from 1, on its points); a field without a value is
// empty.
WriteResult WriteCsvFile(const Document& document, const WriteRequest& request);

// True when a line is a CSV header naming latitude and longitude columns.
bool IsCsvHeaderLine(std::string_view line);

// The CSV this product writes, read back to the document written; another
// CSV file whose header line names latitude and longitude columns (and
// perhaps elevation, time or date, name, description, comment, symbol),
// separated by commas, semicolons or tabs, as waypoints, or as one track
// for a track output. Rows whose position cannot be read are left out and
// counted; a file whose header names no position columns is refused.
ReadResult ReadCsvFile(const InputSource& source, const ReadOptions& options);
