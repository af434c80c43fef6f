// SPDX-License-Identifier: GPL-3.0-or-later
// The outputs that hold everything, written from a document of one track of
// 100,000 points: KML, GeoJSON and CSV (GPX in gpx_bench.cpp).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/bench_document.h"
#include "bench/bench_support.h"
#include "formats/csv/Csv.h"
#include "formats/geojson/GeoJson.h"
#include "formats/kml/Kml.h"

namespace {
void WriteTrack(benchmark::State& state, WriteResult (*write)(const Document&, const WriteRequest&),
                const std::string& extension)
{
    const std::string file = BenchFolder() + "/written100k." + extension;
    const Document document = TrackDocument(100000);
    for (auto _ : state) write(document, ExactlyTo(file));
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}
}  // namespace

static void BM_KmlTrack100kWrite(benchmark::State& state) { WriteTrack(state, WriteKmlFile, "kml"); }
BENCHMARK(BM_KmlTrack100kWrite)->Unit(benchmark::kMillisecond);

static void BM_GeoJsonTrack100kWrite(benchmark::State& state) { WriteTrack(state, WriteGeoJsonFile, "geojson"); }
BENCHMARK(BM_GeoJsonTrack100kWrite)->Unit(benchmark::kMillisecond);

static void BM_CsvTrack100kWrite(benchmark::State& state) { WriteTrack(state, WriteCsvFile, "csv"); }
BENCHMARK(BM_CsvTrack100kWrite)->Unit(benchmark::kMillisecond);
