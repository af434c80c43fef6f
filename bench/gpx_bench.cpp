// GPX reading and writing at the store's track capacity: 100,000 points.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_support.h"
#include "core/store.h"
#include "formats/gpx/Gpx.h"

namespace {
// A file as a fitness site writes it: each point with elevation, time and an extension.
std::string TrackFile(int points)
{
    const std::string path = BenchFolder() + "/track100k.gpx";
    std::ofstream out(path, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"bench\" "
           "xmlns=\"http://www.topografix.com/GPX/1/1\" xmlns:ns3=\"urn:ext\">\n<trk><name>Ride</name><trkseg>\n";
    for (int i = 0; i < points; ++i) {
        const int s = i % 60, m = i / 60 % 60, h = i / 3600 % 24;
        char time[32];
        std::snprintf(time, sizeof time, "2023-01-16T%02d:%02d:%02d.000Z", h, m, s);
        out << "<trkpt lat=\"" << 40.188949769362807 + i * 1e-5 << "\" lon=\"" << -105.17836097627878 - i * 1e-5
            << "\">\n <ele>" << 1531.4 + i % 100 << "</ele>\n <time>" << time
            << "</time>\n <extensions><ns3:hr>82</ns3:hr></extensions>\n</trkpt>\n";
    }
    out << "</trkseg></trk>\n</gpx>\n";
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
    FillTrack(100000);
    for (auto _ : state) {
        GpxTrackWriter writer(file);
        writer.AddStoreTrack();
        writer.Commit();
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}
BENCHMARK(BM_GpxTrack100kWrite)->Unit(benchmark::kMillisecond);
