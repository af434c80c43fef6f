// SPDX-License-Identifier: GPL-3.0-or-later
// Writing and reading back the Holux images at their full sizes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "formats/holux/Holux.h"
#include "formats/native/Kes.h"

namespace {
WriteRequest To(const std::string& name, bool numbered = false)
{
    WriteRequest request;
    request.outputName = name;
    request.numberTrackFiles = numbered;
    return request;
}
}  // namespace

static void BM_HoluxWaypoints500WriteAndReadBack(benchmark::State& state)
{
    const std::string image = BenchFolder("holux") + "/points.wrt";
    Document document;
    for (int i = 1; i <= 500; ++i) {
        Point p;
        p.name = "WP" + std::to_string(i);
        p.description = "waypoint " + std::to_string(i);
        p.latitude = 40.0 + i * 1e-3;
        p.longitude = 5.0 - i * 1e-3;
        p.time = UtcTime{1673870400 + i, 0};
        document.waypoints.push_back(p);
    }
    std::size_t read = 0;
    for (auto _ : state) {
        WriteHoluxWaypointFile(document, To(image));
        read = ReadHoluxWaypointFile(InputSource::File(image), {}).document.waypoints.size();
    }
    state.counters["waypoints"] = static_cast<double>(read);
}
BENCHMARK(BM_HoluxWaypoints500WriteAndReadBack)->Unit(benchmark::kMillisecond);

// Five native 2,500-point tracks merged into one image, then split back into five native files.
static void BM_HoluxTracks5x2500WriteAndReadBack(benchmark::State& state)
{
    const std::string folder = BenchFolder("holux");
    std::vector<std::string> tracks;
    for (int t = 0; t < 5; ++t) {
        Document one;
        Track& track = one.tracks.emplace_back();
        track.info.name = "track " + std::to_string(t);
        for (int i = 0; i < 2500; ++i) {
            Point p;
            p.latitude = 51.0 + t + i * 1e-5;
            p.longitude = -0.1 - i * 1e-5;
            p.elevation = 30;
            p.time = UtcTime{1673870400 + i, 0};
            track.points.push_back(p);
        }
        tracks.push_back(folder + "/track" + std::to_string(t) + ".plt");
        WriteTrackFile(one, To(tracks.back()));
    }
    std::int64_t points = 0;
    for (auto _ : state) {
        Document merged;
        for (const std::string& name : tracks) merged.Append(ReadTrackFile(InputSource::File(name), {}).document);
        WriteHoluxTrackFile(merged, To(folder + "/merged.tlg"));
        const ReadResult split = ReadHoluxTrackFile(InputSource::File(folder + "/merged.tlg"), {});
        points = WriteTrackFile(split.document, To(folder + "/split.plt", true)).counts.trackPoints;
    }
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_HoluxTracks5x2500WriteAndReadBack)->Unit(benchmark::kMillisecond);
