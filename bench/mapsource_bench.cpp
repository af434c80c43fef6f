// MapSource .gdb input at the store's limits, each to its native file(s).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/convert.h"
#include "core/file_io.h"
#include "core/frontend.h"
#include "core/store.h"
#include "formats/import/MapsourceGDB.h"
#include "formats/native/Kes.h"

namespace {
class Bytes {
public:
    template <typename T>
    Bytes& put(T value)
    {
        const auto* p = reinterpret_cast<const char*>(&value);
        data.append(p, sizeof value);
        return *this;
    }
    Bytes& text(const std::string& s)
    {
        data.append(s).push_back('\0');
        return *this;
    }
    Bytes& record(char type, const Bytes& body)
    {
        put<std::int32_t>(static_cast<std::int32_t>(body.data.size())).put<char>(type);
        data += body.data;
        return *this;
    }
    std::string data;
};

std::int32_t Semi(double degrees) { return static_cast<std::int32_t>(std::lround(degrees * 2147483648.0 / 180.0)); }

Bytes Head(std::uint16_t version = 108)
{
    Bytes f;
    f.data = std::string("MsRcf", 6);
    f.put<std::int32_t>(2).put<char>('D').put<std::uint16_t>(version);
    f.put<std::int32_t>(27).put<char>('A').put<std::uint16_t>(0).text("SQA").text("date").text("time").text("MapSource");
    return f;
}

void Gap(Bytes& b)
{
    b.put<std::uint32_t>(0).put<std::uint8_t>(0).put<std::uint32_t>(0);
    for (int i = 0; i < 3; ++i) b.put<std::uint32_t>(0xffffffff);
    b.put<std::uint16_t>(0).put<std::uint32_t>(0xffffffff);
}

// Version 109 holds a list of texts where 108 has one, pads each waypoint
// with six bytes, writes UTF-8 and ends each route point with ten bytes.
std::string WaypointsFile(int count, std::uint16_t version = 108)
{
    const bool v109 = version >= 109;
    Bytes f = Head(version);
    // The route first: the reader stops at the 10000th waypoint.
    if (v109) {
        Bytes r;
        r.text("Route \xC3\xBC").put<std::uint16_t>(0);
        for (int b = 0; b < 2; ++b) r.put<std::int32_t>(0).put<std::int32_t>(0).put<std::uint8_t>(0);
        r.put<std::uint32_t>(1000);
        for (int k = 1; k <= 1000; ++k) {
            const bool last = k == 1000;
            r.text("WP" + std::to_string(k));
            Gap(r);
            for (int z = 0; z < 19; ++z) r.put<std::uint8_t>(0);
            r.put<std::uint32_t>(last ? 0 : 2);
            for (int l = 0; !last && l < 2; ++l) r.put(Semi(40 + k * 1e-4)).put(Semi(5 - k * 1e-4)).put<std::uint8_t>(0);
            r.put<std::uint8_t>(last ? 1 : 0);
            for (int b = 0; !last && b < 2; ++b) r.put<std::int32_t>(0).put<std::int32_t>(0).put<std::uint8_t>(0);
            r.put<std::uint64_t>(~0ull).put<std::uint16_t>(0);
        }
        f.record('R', r);
    }
    for (int i = 1; i <= count; ++i) {
        Bytes w;
        w.text("WP" + std::to_string(i));
        Gap(w);
        w.put(Semi(40 + i * 1e-4)).put(Semi(5 - i * 1e-4)).put<std::uint8_t>(1).put<double>(i % 3000);
        w.text((v109 ? "Wegpunkt, Nr. \xC3\xBC " : "waypoint, number ") + std::to_string(i));
        w.put<std::uint8_t>(1).put<double>(25);
        w.put<std::int32_t>(0).put<std::int32_t>(0).put<std::int32_t>(i % 120).put<std::int32_t>(0).put<std::uint8_t>(0);
        w.put<std::uint16_t>(0).put<std::int32_t>(0).text("");
        if (v109) w.put<std::uint32_t>(1).text("list");
        else w.text("");
        w.put<std::uint16_t>(0).put<std::uint8_t>(0).put<std::uint8_t>(1).put<std::uint32_t>(1100000000u + i);
        if (v109) w.put<std::uint32_t>(0).put<std::uint16_t>(0);
        f.record('W', w);
    }
    return f.data;
}

std::string TrackFile(int points)
{
    Bytes f = Head();
    Bytes t;
    t.text("bench track").put<std::uint8_t>(0).put<std::int32_t>(0).put<std::uint32_t>(points);
    for (int i = 0; i < points; ++i) {
        t.put(Semi(51 + i * 1e-5)).put(Semi(-0.1 - i * 1e-5)).put<std::uint8_t>(1).put<double>(30 + i % 100);
        t.put<std::uint8_t>(1).put<std::uint32_t>(1100000000u + i).put<std::uint8_t>(0).put<std::uint8_t>(0);
    }
    f.record('T', t);
    return f.data;
}

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
    WriteFileSafely(input, WaypointsFile(10000));
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
    WriteFileSafely(input, WaypointsFile(10000, 109));
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
    WriteFileSafely(input, TrackFile(100000));
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
