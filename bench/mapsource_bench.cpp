// SPDX-License-Identifier: GPL-3.0-or-later
// MapSource .gdb input: read, and converted to its native file(s).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_inputs.h"
#include "bench/bench_support.h"
#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/io/file_io.h"
#include "formats/format_table.h"
#include "formats/import/MapsourceFile.h"

namespace {
// A conversion as the window runs it, replacing its earlier output.
void Conversion(const std::string& input, Input from, const std::string& output, Output to, benchmark::State& state)
{
    const FormatCatalogue catalogue(KnownFormats());
    SilentFrontEnd front;
    const ConversionRequest request{{{input, Position(from)}}, output, Position(to)};
    for (auto _ : state) {
        const ConversionOutcome outcome = Convert(catalogue, request, front);
        if (!outcome.Succeeded()) {
            state.SkipWithError(outcome.reason.c_str());
            return;
        }
        state.counters["waypoints"] = static_cast<double>(outcome.counts.waypoints);
        state.counters["track points"] = static_cast<double>(outcome.counts.trackPoints);
    }
}

void Read(const std::string& input, benchmark::State& state)
{
    for (auto _ : state) {
        const ReadResult read = ReadMapsourceFile(InputSource::File(input), {});
        state.counters["points"] =
            static_cast<double>(read.document.waypoints.size()) + static_cast<double>(read.document.TrackPointCount());
    }
}

std::string SavedInput(const char* name, const std::string& content)
{
    const std::string path = BenchFolder("mapsource") + "/" + name;
    WriteFileSafely(path, content);
    return path;
}
}  // namespace

static void BM_Gdb10kWaypointsRead(benchmark::State& state)
{
    Read(SavedInput("waypoints.gdb", bench::GdbWaypoints(10000)), state);
}
BENCHMARK(BM_Gdb10kWaypointsRead)->Unit(benchmark::kMillisecond);

static void BM_Gdb100kPointTrackRead(benchmark::State& state)
{
    Read(SavedInput("track.gdb", bench::GdbTrack(100000)), state);
}
BENCHMARK(BM_Gdb100kPointTrackRead)->Unit(benchmark::kMillisecond);

static void BM_Gdb10kWaypointsToWaypointFile(benchmark::State& state)
{
    Conversion(SavedInput("waypoints.gdb", bench::GdbWaypoints(10000)), Input::MapsourceWaypoints,
               BenchFolder("mapsource") + "/waypoints.wpt", Output::KesWaypoint, state);
}
BENCHMARK(BM_Gdb10kWaypointsToWaypointFile)->Unit(benchmark::kMillisecond);

static void BM_Gdb109_10kWaypointsAndARouteToNativeFiles(benchmark::State& state)
{
    Conversion(SavedInput("waypoints-109.gdb", bench::GdbWaypoints(10000, 109)), Input::MapsourceWaypoints,
               BenchFolder("mapsource") + "/waypoints-109.wpt", Output::KesWaypoint, state);
}
BENCHMARK(BM_Gdb109_10kWaypointsAndARouteToNativeFiles)->Unit(benchmark::kMillisecond);

static void BM_Gdb100kPointTrackToTrackFile(benchmark::State& state)
{
    Conversion(SavedInput("track.gdb", bench::GdbTrack(100000)), Input::MapsourceTracks,
               BenchFolder("mapsource") + "/track.plt", Output::KesTrack, state);
}
BENCHMARK(BM_Gdb100kPointTrackToTrackFile)->Unit(benchmark::kMillisecond);
