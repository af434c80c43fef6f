// A day-long receiver log to a native track file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/store.h"
#include "formats/import/nmea.h"
#include "formats/native/Kes.h"

namespace {
// Fixes one second apart, each with the "$GPGGA" and "$GPRMC" a receiver sends
// and one sentence of another kind.
std::string WriteLog(int fixes)
{
    const auto folder = std::filesystem::temp_directory_path() / "kes-bench";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "receiver.nmea").string();
    std::string log;
    log.reserve(static_cast<std::size_t>(fixes) * 200);
    char line[160];
    for (int i = 0; i < fixes; ++i) {
        const int h = i / 3600 % 24, m = i / 60 % 60, s = i % 60;
        const double minutes = 31.8291 + i * 1e-4;
        std::snprintf(line, sizeof line, "$GPGGA,%02d%02d%02d.379,42%07.4f,N,08807.3033,W,1,05,1.6,%.1f,M,-34.2,M,,*46\r\n",
                      h, m, s, minutes, 200 + (i % 500) / 10.0);
        log += line;
        std::snprintf(line, sizeof line, "$GPRMC,%02d%02d%02d.379,A,42%07.4f,N,08807.3033,W,0.17,138.92,%02d0804,,*12\r\n",
                      h, m, s, minutes, 1 + i / 86400);
        log += line;
        log += "$GPVTG,138.92,T,,M,0.17,N,0.3,K*64\r\n";
    }
    std::ofstream(path, std::ios::binary) << log;
    return path;
}
}  // namespace

static void BM_NmeaLog100kFixesToTrackFile(benchmark::State& state)
{
    const std::string log = WriteLog(100000);
    const std::string track = std::filesystem::path(log).replace_extension(".plt").string();
    for (auto _ : state) {
        ReadNmeaLogFile(log);
        WriteTrackFile(track);
    }
    state.counters["points"] = TrackProps.PointCount;
}
BENCHMARK(BM_NmeaLog100kFixesToTrackFile)->Unit(benchmark::kMillisecond);
