// SPDX-License-Identifier: GPL-3.0-or-later
// GPX reading and writing of 100,000 track points.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/bench_document.h"
#include "bench/bench_inputs.h"
#include "bench/bench_support.h"
#include "formats/gpx/Gpx.h"

namespace {
std::string SavedInput(const char* name, const std::string& content)
{
    const std::string path = BenchFolder() + "/" + name;
    bench::SaveInput(path, content);
    return path;
}

void Read(const std::string& file, benchmark::State& state)
{
    for (auto _ : state) {
        const ReadResult read = ReadGpxFile(InputSource::File(file), {});
        state.counters["points"] =
            static_cast<double>(read.document.waypoints.size()) + static_cast<double>(read.document.TrackPointCount());
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}
}  // namespace

static void BM_GpxTrack100kRead(benchmark::State& state)
{
    Read(SavedInput("track100k.gpx", bench::GpxTrack(100000, bench::GpxStyle::FitnessSite)), state);
}
BENCHMARK(BM_GpxTrack100kRead)->Unit(benchmark::kMillisecond);

static void BM_Gpx10kWaypointsAnd100kTrackPointsRead(benchmark::State& state)
{
    Read(SavedInput("waypoints-and-track.gpx", bench::GpxTrack(100000, bench::GpxStyle::Receiver, 100000, 10000)),
         state);
}
BENCHMARK(BM_Gpx10kWaypointsAnd100kTrackPointsRead)->Unit(benchmark::kMillisecond);

static void BM_GpxTrack100kWrite(benchmark::State& state)
{
    const std::string file = BenchFolder() + "/written100k.gpx";
    const Document document = TrackDocument(100000);
    for (auto _ : state) WriteGpxTrackFile(document, ExactlyTo(file));
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}
BENCHMARK(BM_GpxTrack100kWrite)->Unit(benchmark::kMillisecond);
