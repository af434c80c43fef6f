// SPDX-License-Identifier: GPL-3.0-or-later
// The binary imports at the largest sizes the native files take.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/bench_inputs.h"
#include "bench/bench_support.h"
#include "formats/import/Mapsend.h"
#include "formats/import/tomtom.h"
#include "formats/native/Kes.h"

// Reading, and writing the native waypoint file of what was read.
static void BM_TomTomOv2_10k(benchmark::State& state)
{
    const std::string source = BenchFolder("binary-imports") + "/points.ov2";
    bench::SaveInput(source, bench::TomTomOv2(10000, true));
    WriteRequest request;
    request.outputName = BenchFolder("binary-imports") + "/points";
    std::size_t waypoints = 0;
    for (auto _ : state) {
        const ReadResult read = ReadTomTomFile(InputSource::File(source), {});
        WriteWaypointFile(read.document, request);
        waypoints = read.document.waypoints.size();
    }
    state.counters["waypoints"] = static_cast<double>(waypoints);
}
BENCHMARK(BM_TomTomOv2_10k)->Unit(benchmark::kMillisecond);

static void BM_MapsendTrack100k(benchmark::State& state)
{
    const std::string source = BenchFolder("binary-imports") + "/track.trk";
    bench::SaveInput(source, bench::MapsendTrack(100000));
    std::int64_t points = 0;
    for (auto _ : state) points = ReadMapsendTrackFile(InputSource::File(source), {}).document.TrackPointCount();
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_MapsendTrack100k)->Unit(benchmark::kMillisecond);
