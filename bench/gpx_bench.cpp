// SPDX-License-Identifier: GPL-3.0-or-later
// GPX reading and writing at the store's track capacity: 100,000 points.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/bench_document.h"
#include "bench/bench_inputs.h"
#include "bench/bench_support.h"
#include "core/store.h"
#include "formats/gpx/Gpx.h"

namespace {
std::string TrackFile(int points)
{
    const std::string path = BenchFolder() + "/track100k.gpx";
    bench::SaveInput(path, bench::GpxTrack(points, bench::GpxStyle::FitnessSite));
    return path;
}
}  // namespace

static void BM_GpxTrack100kRead(benchmark::State& state)
{
    const std::string file = TrackFile(100000);
    for (auto _ : state) ReadGpxTrackFile(file);
    state.counters["points"] = TrackProps.PointCount;
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}
BENCHMARK(BM_GpxTrack100kRead)->Unit(benchmark::kMillisecond);

static void BM_GpxTrack100kWrite(benchmark::State& state)
{
    const std::string file = BenchFolder() + "/written100k.gpx";
    const Document document = TrackDocument(100000);
    for (auto _ : state) WriteGpxTrackFile(document, ExactlyTo(file));
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}
BENCHMARK(BM_GpxTrack100kWrite)->Unit(benchmark::kMillisecond);
