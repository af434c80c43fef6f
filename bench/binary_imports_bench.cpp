// SPDX-License-Identifier: GPL-3.0-or-later
// The binary imports at the largest sizes the store takes.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/bench_inputs.h"
#include "bench/bench_support.h"
#include "core/store.h"
#include "formats/import/Mapsend.h"
#include "formats/import/tomtom.h"

// Reading and writing the native waypoint file the reader produces.
static void BM_TomTomOv2_10k(benchmark::State& state)
{
    const std::string source = BenchFolder("binary-imports") + "/points.ov2";
    bench::SaveInput(source, bench::TomTomOv2(10000, true));
    for (auto _ : state) ReadTomTomFile(source, BenchFolder("binary-imports") + "/points");
    state.counters["waypoints"] = WaypointCount;
}
BENCHMARK(BM_TomTomOv2_10k)->Unit(benchmark::kMillisecond);

static void BM_MapsendTrack100k(benchmark::State& state)
{
    const std::string source = BenchFolder("binary-imports") + "/track.trk";
    bench::SaveInput(source, bench::MapsendTrack(100000));
    for (auto _ : state) ReadMapsendTrackFile(source);
    state.counters["points"] = TrackProps.PointCount;
}
BENCHMARK(BM_MapsendTrack100k)->Unit(benchmark::kMillisecond);
