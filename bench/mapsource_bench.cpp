// MapSource .gdb input at the store's limits, each to its native file(s).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/bench_inputs.h"
#include "core/convert.h"
#include "core/file_io.h"
#include "core/frontend.h"
#include "core/store.h"
#include "formats/import/MapsourceGDB.h"
#include "formats/native/Kes.h"

namespace {
std::string Folder()
{
    const auto folder = std::filesystem::temp_directory_path() / "kes-bench-mapsource";
    std::filesystem::create_directories(folder);
    return folder.string();
}
}  // namespace

static void BM_Gdb10kWaypointsToWaypointFile(benchmark::State& state)
{
    const std::string input = Folder() + "/waypoints.gdb";
    WriteFileSafely(input, bench::GdbWaypoints(10000));
    SilentFrontEnd front(11);
    ScopedFrontEnd scope(front);
    for (auto _ : state) {
        ReadMapsourceGdbFile(input, Folder() + "/waypoints.wpt");
        WriteWaypointFile(Folder() + "/waypoints.wpt");
    }
    state.counters["waypoints"] = WaypointCount;
}
BENCHMARK(BM_Gdb10kWaypointsToWaypointFile)->Unit(benchmark::kMillisecond);

static void BM_Gdb109_10kWaypointsAndARouteToNativeFiles(benchmark::State& state)
{
    const std::string input = Folder() + "/waypoints-109.gdb";
    WriteFileSafely(input, bench::GdbWaypoints(10000, 109));
    SilentFrontEnd front(11);
    ScopedFrontEnd scope(front);
    for (auto _ : state) {
        ReadMapsourceGdbFile(input, Folder() + "/waypoints-109.wpt");
        WriteWaypointFile(Folder() + "/waypoints-109.wpt");
        WriteRouteFile(Folder() + "/waypoints-109.rte");
    }
    state.counters["waypoints"] = WaypointCount;
    state.counters["route points"] = RouteList[1].PointCount;
}
BENCHMARK(BM_Gdb109_10kWaypointsAndARouteToNativeFiles)->Unit(benchmark::kMillisecond);

static void BM_Gdb100kPointTrackToTrackFile(benchmark::State& state)
{
    const std::string input = Folder() + "/track.gdb";
    WriteFileSafely(input, bench::GdbTrack(100000));
    SilentFrontEnd front(12);
    ScopedFrontEnd scope(front);
    for (auto _ : state) {
        TrackFilesWritten.clear();
        ReadMapsourceGdbFile(input, Folder() + "/track.plt");
    }
    state.counters["points"] = TrackProps.PointCount;
    state.counters["files"] = static_cast<double>(TrackFilesWritten.size());
}
BENCHMARK(BM_Gdb100kPointTrackToTrackFile)->Unit(benchmark::kMillisecond);
