// SPDX-License-Identifier: GPL-3.0-or-later
// A day-long receiver log to a native track file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/bench_inputs.h"
#include "bench/bench_support.h"
#include "core/store.h"
#include "formats/import/nmea.h"
#include "formats/native/Kes.h"

namespace {
std::string WriteLog(int fixes)
{
    const std::string path = BenchFolder() + "/receiver.nmea";
    bench::SaveInput(path, bench::NmeaLog(fixes, true));
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
