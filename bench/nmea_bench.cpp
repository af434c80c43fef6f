// SPDX-License-Identifier: GPL-3.0-or-later
// A day-long receiver log to a native track file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/bench_inputs.h"
#include "bench/bench_support.h"
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
    WriteRequest request;
    request.outputName = std::filesystem::path(log).replace_extension(".plt").string();
    std::int64_t points = 0;
    for (auto _ : state) {
        const ReadResult read = ReadNmeaLogFile(InputSource::File(log), {});
        WriteTrackFile(read.document, request);
        points = read.document.TrackPointCount();
    }
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_NmeaLog100kFixesToTrackFile)->Unit(benchmark::kMillisecond);
