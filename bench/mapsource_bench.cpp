// SPDX-License-Identifier: GPL-3.0-or-later
// MapSource .gdb input at the store's limits, each to its native file(s).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/bench_inputs.h"
#include "bench/bench_support.h"
#include "core/convert.h"
#include "core/file_io.h"
#include "core/frontend.h"
#include "core/store.h"
#include "formats/format_table.h"
#include "formats/import/MapsourceGDB.h"
#include "formats/native/Kes.h"

static void BM_Gdb10kWaypointsToWaypointFile(benchmark::State& state)
{
    const std::string input = BenchFolder("mapsource") + "/waypoints.gdb";
    WriteFileSafely(input, bench::GdbWaypoints(10000));
    SilentFrontEnd front;
    ScopedFrontEnd scope(front);
    for (auto _ : state) {
        ReadMapsourceGdbFile(input, BenchFolder("mapsource") + "/waypoints.wpt", ReadMode::Waypoints);
        WriteWaypointFile(BenchFolder("mapsource") + "/waypoints.wpt");
    }
    state.counters["waypoints"] = WaypointCount;
}
BENCHMARK(BM_Gdb10kWaypointsToWaypointFile)->Unit(benchmark::kMillisecond);

static void BM_Gdb109_10kWaypointsAndARouteToNativeFiles(benchmark::State& state)
{
    const std::string input = BenchFolder("mapsource") + "/waypoints-109.gdb";
    WriteFileSafely(input, bench::GdbWaypoints(10000, 109));
    SilentFrontEnd front;
    ScopedFrontEnd scope(front);
    for (auto _ : state) {
        ReadMapsourceGdbFile(input, BenchFolder("mapsource") + "/waypoints-109.wpt", ReadMode::Waypoints);
        WriteWaypointFile(BenchFolder("mapsource") + "/waypoints-109.wpt");
        WriteRouteFile(BenchFolder("mapsource") + "/waypoints-109.rte");
    }
    state.counters["waypoints"] = WaypointCount;
    state.counters["route points"] = RouteList[1].PointCount;
}
BENCHMARK(BM_Gdb109_10kWaypointsAndARouteToNativeFiles)->Unit(benchmark::kMillisecond);

static void BM_Gdb100kPointTrackToTrackFile(benchmark::State& state)
{
    const std::string input = BenchFolder("mapsource") + "/track.gdb";
    WriteFileSafely(input, bench::GdbTrack(100000));
    SilentFrontEnd front;
    ScopedFrontEnd scope(front);
    for (auto _ : state) {
        TrackFilesWritten.clear();
        ReadMapsourceGdbFile(input, BenchFolder("mapsource") + "/track.plt", ReadMode::Tracks);
    }
    state.counters["points"] = TrackProps.PointCount;
    state.counters["files"] = static_cast<double>(TrackFilesWritten.size());
}
BENCHMARK(BM_Gdb100kPointTrackToTrackFile)->Unit(benchmark::kMillisecond);
