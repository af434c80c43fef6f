// SPDX-License-Identifier: GPL-3.0-or-later
// Writing and reading back the Holux images at their full sizes.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "core/store.h"
#include "formats/holux/Holux.h"
#include "formats/native/Kes.h"

static void BM_HoluxWaypoints500WriteAndReadBack(benchmark::State& state)
{
    const std::string image = BenchFolder("holux") + "/points.wrt";
    for (auto _ : state) {
        state.PauseTiming();
        ClearWaypoints();
        for (int i = 1; i <= 500; ++i) {
            WayPoints& w = WaypointList[i];
            w.Name = "WP" + std::to_string(i);
            w.Description = "waypoint " + std::to_string(i);
            w.Latitude = 40.0 + i * 1e-3;
            w.Longitude = 5.0 - i * 1e-3;
            w.DateTime = 45000.5 + i / 86400.0;
        }
        WaypointCount = 500;
        state.ResumeTiming();
        WriteHoluxWaypointFile(image);
        ReadHoluxWaypointFile(image);
    }
    state.counters["waypoints"] = WaypointCount;
}
BENCHMARK(BM_HoluxWaypoints500WriteAndReadBack)->Unit(benchmark::kMillisecond);

// Five native 2,500-point tracks merged into one image, then split back into five native files.
static void BM_HoluxTracks5x2500WriteAndReadBack(benchmark::State& state)
{
    const std::string folder = BenchFolder("holux");
    std::vector<std::string> tracks;
    for (int t = 0; t < 5; ++t) {
        ClearTracks();
        for (int i = 0; i < 2500; ++i)
            TrackPointList[i] = TrackPoint{51.0 + t + i * 1e-5, -0.1 - i * 1e-5, i == 0, 30.0f, 45000.5 + i / 86400.0};
        TrackProps.Name = "track " + std::to_string(t);
        TrackProps.PointCount = 2500;
        tracks.push_back(folder + "/track" + std::to_string(t) + ".plt");
        WriteTrackFile(tracks.back());
    }
    for (auto _ : state) {
        WriteHoluxTrackFile(tracks, folder + "/merged.tlg");
        ReadHoluxTrackFile(folder + "/merged.tlg", folder + "/split.plt");
    }
    state.counters["points"] = TrackProps.PointCount;
}
BENCHMARK(BM_HoluxTracks5x2500WriteAndReadBack)->Unit(benchmark::kMillisecond);
