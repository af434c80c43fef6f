// The binary imports at the largest sizes the store takes.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/bench_inputs.h"
#include "core/store.h"
#include "formats/import/Mapsend.h"
#include "formats/import/tomtom.h"

namespace {
std::string BenchFolder()
{
    const auto folder = std::filesystem::temp_directory_path() / "kes-bench" / "binary-imports";
    std::filesystem::create_directories(folder);
    return folder.string();
}
}  // namespace

// Reading and writing the native waypoint file the reader produces.
static void BM_TomTomOv2_10k(benchmark::State& state)
{
    const std::string source = BenchFolder() + "/points.ov2";
    bench::SaveInput(source, bench::TomTomOv2(10000, true));
    for (auto _ : state) ReadTomTomFile(source, BenchFolder() + "/points");
    state.counters["waypoints"] = WaypointCount;
}
BENCHMARK(BM_TomTomOv2_10k)->Unit(benchmark::kMillisecond);

static void BM_MapsendTrack100k(benchmark::State& state)
{
    const std::string source = BenchFolder() + "/track.trk";
    bench::SaveInput(source, bench::MapsendTrack(100000));
    for (auto _ : state) ReadMapsendTrackFile(source);
    state.counters["points"] = TrackProps.PointCount;
}
BENCHMARK(BM_MapsendTrack100k)->Unit(benchmark::kMillisecond);
