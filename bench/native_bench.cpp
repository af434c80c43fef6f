// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing back the native files at the sizes users keep.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_support.h"
#include "core/store.h"
#include "formats/native/Kes.h"

namespace {
void FillWaypoints(int count)
{
    ClearWaypoints();
    for (int i = 1; i <= count; ++i) {
        WayPoints& w = WaypointList[i];
        w.Name = "WP" + std::to_string(i);
        w.Description = "waypoint number " + std::to_string(i);
        w.Latitude = 40.0 + i * 1e-4;
        w.Longitude = 5.0 - i * 1e-4;
        w.Altitude = static_cast<float>(i % 3000);
    }
    WaypointCount = count;
}
}  // namespace

static void BM_TrackFile100kReadAndWriteBack(benchmark::State& state)
{
    const std::string source = BenchFolder() + "/source.plt";
    const std::string copy = BenchFolder() + "/copy.plt";
    FillTrack(100000);
    WriteTrackFile(source);
    for (auto _ : state) {
        ReadTrackFile(source);
        WriteTrackFile(copy);
    }
    state.counters["points"] = TrackProps.PointCount;
}
BENCHMARK(BM_TrackFile100kReadAndWriteBack)->Unit(benchmark::kMillisecond);

static void BM_WaypointFile10kReadAndWriteBack(benchmark::State& state)
{
    const std::string source = BenchFolder() + "/source.wpt";
    const std::string copy = BenchFolder() + "/copy.wpt";
    FillWaypoints(10000);
    WriteWaypointFile(source);
    for (auto _ : state) {
        ReadWaypointFile(source);
        WriteWaypointFile(copy);
    }
    state.counters["waypoints"] = WaypointCount;
}
BENCHMARK(BM_WaypointFile10kReadAndWriteBack)->Unit(benchmark::kMillisecond);
