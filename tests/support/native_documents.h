// SPDX-License-Identifier: GPL-3.0-or-later
// Documents for the tests of the native and Holux files: points made in one
// expression, writers run into a folder, readers run on bytes in memory.
#pragma once

#include <string>
#include <vector>

#include "core/convert/format_rows.h"
#include "core/time/utc_time.h"
#include "tests/support/test_files.h"

namespace native_documents {

inline Point At(double latitude, double longitude, std::string name = {})
{
    Point p;
    p.latitude = latitude;
    p.longitude = longitude;
    p.name = std::move(name);
    return p;
}

inline Point Timed(Point p, int year, int month, int day, int hour, int minute, int second)
{
    p.time = UtcTimeOf(year, month, day, hour, minute, second);
    return p;
}

inline Track TrackOf(std::vector<Point> points, std::string name = {}, int slot = 0)
{
    Track track;
    track.info.name = std::move(name);
    track.points = PointList(points);
    track.slot = slot;
    return track;
}

inline WriteRequest RequestFor(const std::string& output, std::vector<std::string>* lines = nullptr, Clock clock = {})
{
    WriteRequest request;
    request.outputName = output;
    request.clock = clock;
    if (lines) request.addLine = [lines](const std::string& line) { lines->push_back(line); };
    return request;
}

template <typename Reader>
ReadResult ReadBytes(Reader read, const std::string& bytes)
{
    return read(InputSource::Memory("in", bytes), ReadOptions{});
}

}  // namespace native_documents
