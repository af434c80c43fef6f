// The binary imports at the largest sizes the store takes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

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

template <typename T>
void Put(std::string& out, T value)
{
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

void Save(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

std::string Ov2(int points)
{
    std::string out;
    for (int i = 0; i < points; ++i) {
        // Every other point is extended: a further text after its name.
        std::string texts = "Point, number " + std::to_string(i);
        texts += '\0';
        if (i % 2) texts.append("+41 21 555 01 01").push_back('\0');
        out += i % 2 ? '\x03' : '\x02';
        Put<std::int32_t>(out, static_cast<std::int32_t>(13 + texts.size()));
        Put<std::int32_t>(out, 489123 + i);
        Put<std::int32_t>(out, 5237403 - i);
        out += texts;
    }
    return out;
}

std::string MapsendTrack(int points)
{
    std::string out = "\x0c" "MapSend file4";
    Put<std::int32_t>(out, 2);
    out += "\x05" "bench";
    Put<std::int32_t>(out, points);
    for (int i = 0; i < points; ++i) {
        Put<double>(out, -0.1 - i * 1e-5);
        Put<double>(out, -51.0 - i * 1e-5);
        Put<std::int32_t>(out, 30 + i % 100);  // whole metres in a version "4" file
        Put<std::uint32_t>(out, 901281600u + static_cast<std::uint32_t>(i));
        Put<std::int32_t>(out, 1);
        out += '\0';
    }
    return out;
}
}  // namespace

// Reading and writing the native waypoint file the reader produces.
static void BM_TomTomOv2_10k(benchmark::State& state)
{
    const std::string source = BenchFolder() + "/points.ov2";
    Save(source, Ov2(10000));
    for (auto _ : state) ReadTomTomFile(source, BenchFolder() + "/points");
    state.counters["waypoints"] = WaypointCount;
}
BENCHMARK(BM_TomTomOv2_10k)->Unit(benchmark::kMillisecond);

static void BM_MapsendTrack100k(benchmark::State& state)
{
    const std::string source = BenchFolder() + "/track.trk";
    Save(source, MapsendTrack(100000));
    for (auto _ : state) ReadMapsendTrackFile(source);
    state.counters["points"] = TrackProps.PointCount;
}
BENCHMARK(BM_MapsendTrack100k)->Unit(benchmark::kMillisecond);
