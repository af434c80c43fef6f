// SPDX-License-Identifier: GPL-3.0-or-later
// kes-bench-inputs FOLDER: writes the inputs of bench/whole_process.sh.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bench/bench_inputs.h"

namespace {
constexpr int kFiveMegabytes = 5 * 1024 * 1024;
constexpr std::size_t kTwoHundredMegabytes = 200u << 20;
constexpr std::size_t kFiveHundredMegabytes = 500u << 20;

// The head, then the piece repeated until the file passes `size`.
void WriteRepeated(const std::filesystem::path& path, const std::string& piece, std::size_t size,
                   const std::string& head = "")
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << head;
    for (std::size_t written = head.size(); written < size; written += piece.size()) file << piece;
    if (!file) throw std::runtime_error("cannot write " + path.string());
}

// Repeats the lines of `sample` (line ends CR alone) and ends the file at the
// first line end past 5 MB, so that every case reads the same amount.
std::string FiveMegabytes(const std::string& sample)
{
    std::string out;
    out.reserve(kFiveMegabytes + sample.size());
    while (out.size() < kFiveMegabytes) out += sample;
    const std::size_t end = out.find('\r', kFiveMegabytes - 1);
    if (end != std::string::npos) out.resize(end + 1);
    return out;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kes-bench-inputs FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    auto save = [&](const char* name, const std::string& content) {
        bench::SaveInput((folder / name).string(), content);
    };
    try {
        save("points.ov2", bench::TomTomOv2(10000));
        save("waypoints.gdb", bench::GdbWaypoints(10000));
        save("track.gdb", bench::GdbTrack(100000));
        save("magellan-track.log", bench::MagellanTrack(100000));
        const std::string fixes = bench::NmeaLog(100000);
        save("fixes.nmea", fixes);

        // Over 200 MB: fifteen logs of 100,000 fixes, one after the other in time.
        std::ofstream big(folder / "large.nmea", std::ios::binary | std::ios::trunc);
        for (int i = 0; i < 15; ++i) big << (i == 0 ? fixes : bench::NmeaLog(100000, false, "\r\n", i * 100000));
        if (!big) throw std::runtime_error("cannot write large.nmea");

        // Inputs a reader walks through to the end, 200 MB each: a log
        // without one sentence it knows, a .gdb of records it skips, one line.
        WriteRepeated(folder / "garbage.nmea", "$GPXXX,no fix here,0,0,0,0,0,0,0,0*00\r\n", kTwoHundredMegabytes);
        std::string unknown("\xF4\x01\0\0"
                            "Z",
                            5);  // a record of type Z, 500 bytes long
        unknown.append(500, 'u');
        WriteRepeated(folder / "unknown-records.gdb", unknown, kTwoHundredMegabytes, bench::GdbWaypoints(0));
        WriteRepeated(folder / "one-line.nmea", std::string(1 << 20, 'x'), kTwoHundredMegabytes);

        save("track.gpx", bench::GpxTrack(100000, bench::GpxStyle::Receiver));
        // About 11 MB: 10,000 waypoints before a receiver's track of 100,000 points.
        save("mixed-track-waypoints.gpx", bench::GpxTrack(100000, bench::GpxStyle::Receiver, 100000, 10000));
        save("fitness-track.gpx", bench::GpxTrack(100000, bench::GpxStyle::FitnessSite));
        // Over 200 MB of GPX: tracks of 100,000 points one after the other.
        {
            const std::string track = bench::GpxTrack(100000, bench::GpxStyle::FitnessSite);
            const std::string head = track.substr(0, track.find("<trk>"));
            const std::string body = track.substr(head.size(), track.rfind("</gpx>") - head.size());
            std::ofstream large(folder / "large.gpx", std::ios::binary | std::ios::trunc);
            large << head;
            for (std::size_t written = head.size(); written < kTwoHundredMegabytes; written += body.size())
                large << body;
            large << "</gpx>\n";
            if (!large) throw std::runtime_error("cannot write large.gpx");
        }

        // FIT activities: one of a million records (about 24 MB), and one over 200 MB.
        bench::SaveFitActivity((folder / "activity.fit").string(), 1000000);
        bench::SaveFitActivity((folder / "large.fit").string(), 8800000);
        // About 21 MB and 16 MB, beside the GPX inputs of the same size.
        save("activity.tcx", bench::TcxActivity(30000));
        save("placemarks-track.kml", bench::KmlFile(10000, 100000));
        // Over 500 MB of TCX: the laps of an activity of 100,000 points again and again, in one activity.
        {
            const std::string activity = bench::TcxActivity(100000);
            const std::size_t from = activity.find("      <Lap ");
            const std::size_t to = activity.rfind("    </Activity>");
            std::ofstream large(folder / "large.tcx", std::ios::binary | std::ios::trunc);
            large << activity.substr(0, from);
            for (std::size_t written = from; written < kFiveHundredMegabytes; written += to - from)
                large << activity.substr(from, to - from);
            large << activity.substr(to);
            if (!large) throw std::runtime_error("cannot write large.tcx");
        }

        const std::string cr = "\r";
        save("cr-only.wpt", FiveMegabytes(bench::KesWaypoints(9000, cr)));
        save("cr-only.plt", FiveMegabytes(bench::KesTrack(60000, "cr", cr)));
        save("cr-only-nobletec.txt", FiveMegabytes(bench::NobletecExport(20000, cr)));
        save("cr-only.nmea", FiveMegabytes(bench::NmeaLog(20000, false, cr)));
        save("cr-only-magellan-waypoints.log", FiveMegabytes(bench::MagellanWaypoints(20000, cr)));
        save("cr-only-magellan-track.log", FiveMegabytes(bench::MagellanTrack(20000, cr)));

        for (int t = 1; t <= 5; ++t) {
            const std::string name = "track" + std::to_string(t);
            save((name + ".plt").c_str(), bench::KesTrack(2500, name));
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
