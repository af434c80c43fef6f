// SPDX-License-Identifier: GPL-3.0-or-later
// A document of one long track for the writers' benchmarks: the points the
// native track of the same length holds (bench_support.h).
#pragma once

#include <string>

#include "core/convert/format_rows.h"
#include "core/document/document.h"
#include "core/time/utc_time.h"

inline Document TrackDocument(int points)
{
    Document document;
    Track& track = document.tracks.emplace_back();
    track.info.name = "bench";
    Point p;
    for (int i = 0; i < points; ++i) {
        p.latitude = 51.0 + i * 1e-5;
        p.longitude = -0.1 - i * 1e-5;
        p.newSection = i == 0;
        p.elevation = 30.0 + i % 100;
        p.time = UtcTimeOfDayCount(45000.5 + i / 86400.0, 3);
        track.points.push_back(p);
    }
    return document;
}

inline WriteRequest ExactlyTo(const std::string& file)
{
    WriteRequest request;
    request.outputName = file;
    request.exactNames = true;
    return request;
}
