// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing back the native files at the sizes users keep.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_support.h"
#include "formats/native/Kes.h"

namespace {
Point BenchPoint(int i)
{
    Point p;
    p.latitude = 51.0 + i * 1e-5;
    p.longitude = -0.1 - i * 1e-5;
    p.newSection = i == 0;
    p.elevation = 30.0 + i % 100;
    p.time = UtcTime{1673870400 + i, 0};
    return p;
}

WriteRequest To(const std::string& name)
{
    WriteRequest request;
    request.outputName = name;
    request.exactNames = true;
    return request;
}
}  // namespace

static void BM_TrackFile100kReadAndWriteBack(benchmark::State& state)
{
    const std::string source = BenchFolder() + "/source.plt";
    const std::string copy = BenchFolder() + "/copy.plt";
    Document document;
    Track& track = document.tracks.emplace_back();
    track.info.name = "bench";
    for (int i = 0; i < 100000; ++i) track.points.push_back(BenchPoint(i));
    WriteTrackFile(document, To(source));
    std::int64_t points = 0;
    for (auto _ : state) {
        const ReadResult read = ReadTrackFile(InputSource::File(source), {});
        points = WriteTrackFile(read.document, To(copy)).counts.trackPoints;
    }
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_TrackFile100kReadAndWriteBack)->Unit(benchmark::kMillisecond);

static void BM_WaypointFile10kReadAndWriteBack(benchmark::State& state)
{
    const std::string source = BenchFolder() + "/source.wpt";
    const std::string copy = BenchFolder() + "/copy.wpt";
    Document document;
    for (int i = 1; i <= 10000; ++i) {
        Point p = BenchPoint(i);
        p.name = "WP" + std::to_string(i);
        p.description = "waypoint number " + std::to_string(i);
        p.elevation = (i % 3000) / 3.2808;
        document.waypoints.push_back(p);
    }
    WriteWaypointFile(document, To(source));
    std::int64_t waypoints = 0;
    for (auto _ : state) {
        const ReadResult read = ReadWaypointFile(InputSource::File(source), {});
        waypoints = WriteWaypointFile(read.document, To(copy)).counts.waypoints;
    }
    state.counters["waypoints"] = static_cast<double>(waypoints);
}
BENCHMARK(BM_WaypointFile10kReadAndWriteBack)->Unit(benchmark::kMillisecond);
