// SPDX-License-Identifier: GPL-3.0-or-later
// The real files of tests/data converted by kes-headless, every output compared
// byte for byte with its golden copy in tests/data/golden (see tests/data/README.md).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "formats/format_table.h"
#include "tests/support/format_positions.h"
#include "tests/support/test_files.h"

namespace {
namespace fs = std::filesystem;

// 2023-03-15 10:30 local, two hours east of Greenwich, so that local and UTC
// times differ; the time of conversion is the same in every run.
constexpr const char* kPinnedClock = "45000.4375 45000.3541666666666667";

struct GoldenRow {
    const char* input;                // in tests/data
    std::string from, to;             // format positions
    const char* output;               // the output name handed to the conversion
    std::vector<std::string> golden;  // every file it writes, in tests/data/golden
};

std::vector<std::string> Numbered(const std::string& stem, int count, const std::string& extension)
{
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) names.push_back(stem + "_" + std::to_string(i) + extension);
    return names;
}

std::vector<std::string> FilesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Where two contents first differ, for a message that stays short on binary files.
std::string FirstDifference(const std::string& written, const std::string& golden)
{
    const auto at = std::mismatch(written.begin(), written.end(), golden.begin(), golden.end()).first;
    return "sizes " + std::to_string(written.size()) + " and " + std::to_string(golden.size()) +
           ", first difference at byte " + std::to_string(at - written.begin());
}

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) { setenv(name, value, 1); }
    ~ScopedEnvironment() { unsetenv(name_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
};

const std::string kGpx = PositionText(Output::Gpx), kKml = PositionText(Output::Kml),
                  kGeoJson = PositionText(Output::GeoJson), kCsv = PositionText(Output::Csv);

// Every conversion with golden outputs.
std::vector<GoldenRow> GoldenRows()
{
    return {
        {"mapsource/mapsource.mps", kMapsourceWaypoints, kKesWaypoint, "mapsource.wpt", {"mapsource.wpt"}},
        {"mapsource/route.mps", kMapsourceWaypoints, kGpxWaypointsOut, "route.gpx", {"route.gpx"}},
        {"mapsource/netstumbler.mps", kMapsourceWaypoints, kHoluxWaypoint, "netstumbler.wrt", {"netstumbler.wrt"}},
        {"mapsource/mps-track.mps", kMapsourceTracks, kKesTrack, "mps-track.plt", {"mps-track_1.plt"}},
        {"mapsource/mps-empty.mps", kMapsourceWaypoints, kKesWaypoint, "mps-empty.wpt", {"mps-empty.wpt"}},
        {"mapsource/gdb-sample.gdb", kMapsourceWaypoints, kGpxWaypointsOut, "gdb-sample.gpx", {"gdb-sample.gpx"}},
        {"mapsource/gdb-sample.gdb", kMapsourceTracks, kKesTrack, "gdb-sample.plt", Numbered("gdb-sample", 9, ".plt")},
        {"mapsource/gdb-sample2.gdb",
         kMapsourceWaypoints,
         kKesWaypoint,
         "gdb-sample2.wpt",
         {"gdb-sample2.rte", "gdb-sample2.wpt"}},
        {"mapsource/gdb-sample2.gdb", kMapsourceTracks, kHoluxTrack, "gdb-sample2.tlg", {"gdb-sample2.tlg"}},
        {"mapsend/mapsend.trk", kMapsendTrack, kKesTrack, "mapsend.plt", {"mapsend.plt"}},
        {"mapsend/chicago.trk", kMapsendTrack, kGpxTrackOut, "chicago.gpx", {"chicago.gpx"}},
        {"magellan/meridian.trk", kMagellanTrack, kHoluxTrack, "meridian.tlg", {"meridian.tlg"}},
        {"magellan/magellandate.log", kMagellanTrack, kKesTrack, "magellandate.plt", {"magellandate.plt"}},
        {"nmea/receiver.log", kNmea, kKesTrack, "receiver.plt", {"receiver.plt"}},
        {"nmea/nmeadate.nmea", kNmea, kGpxTrackOut, "nmeadate.gpx", {"nmeadate.gpx"}},
        {"compressed/waypoints.nmea.gz", kNmea, kGpx, "waypoints-nmea.gpx", {"waypoints-nmea.gpx"}},
        {"compressed/waypoints.nmea.gz",
         PositionText(Input::NmeaWaypoints),
         kKesWaypoint,
         "waypoints-nmea.wpt",
         {"waypoints-nmea.wpt"}},
        {"tomtom/tomtom.ov2", kTomTom, kKesWaypoint, "tomtom.wpt", {"tomtom.wpt"}},
        {"gpx/basecamp.gpx", kGpxWaypointsIn, kKesWaypoint, "basecamp.wpt", {"basecamp.rte", "basecamp.wpt"}},
        {"gpx/expertgps.gpx", kGpxWaypointsIn, kKesWaypoint, "expertgps.wpt", {"expertgps.rte", "expertgps.wpt"}},
        {"gpx/expertgps.gpx", kGpxTracksIn, kKesTrack, "expertgps.plt", {"expertgps_1.plt"}},
        {"gpx/GC7FA4.gpx", kGpxWaypointsIn, kHoluxWaypoint, "GC7FA4.wrt", {"GC7FA4.wrt"}},
        {"gpx/garminconnect.gpx", kGpxTracksIn, kKesTrack, "garminconnect.plt", {"garminconnect_1.plt"}},
        {"gpx/gpxpassthrough10.gpx", kGpxWaypointsIn, kHoluxWaypoint, "gpxpassthrough10.wrt", {"gpxpassthrough10.wrt"}},
        {"gpx/gpxpassthrough10.gpx", kGpxTracksIn, kKesTrack, "gpxpassthrough10.plt", {"gpxpassthrough10_1.plt"}},
        {"gpx/empty.gpx", kGpxTracksIn, kKesTrack, "empty.plt", {}},
        // The outputs of a conversion read back as inputs of theirs, and the other outputs.
        {"golden/tomtom.wpt", kKesWaypoint, kGpx, "tomtom-wpt.gpx", {"tomtom-wpt.gpx"}},
        {"golden/receiver.plt", kKesTrack, kKml, "receiver-plt.kml", {"receiver-plt.kml"}},
        {"golden/netstumbler.wrt", kHoluxWaypoint, kCsv, "netstumbler-wrt.csv", {"netstumbler-wrt.csv"}},
        {"golden/meridian.tlg", kHoluxTrack, kGeoJson, "meridian-tlg.geojson", {"meridian-tlg.geojson"}},
        {"mapsend/route.wpt", kMapsendWaypoint, kGpx, "route-wpt.gpx", {"route-wpt.gpx"}},
        {"magellan/magellan.rte", kMagellanWaypoint, kKml, "magellan.kml", {"magellan.kml"}},
        {"mapsource/route.mps", kMapsourceWaypoints, kGeoJson, "route.geojson", {"route.geojson"}},
        {"gpx/basecamp.gpx", kGpxWaypointsIn, kCsv, "basecamp.csv", {"basecamp.csv"}},
        {"mapsource/gdb-sample.gdb", kMapsourceWaypoints, kTomTomOut, "gdb-sample.ov2", {"gdb-sample.ov2"}},
        {"wintec/wintec.tes", PositionText(Input::WintecTes), kGpx, "wintec.gpx", {"wintec.gpx"}},
        {"compegps/compegps.rte",
         PositionText(Input::CompeGpsWaypoints),
         kGpx,
         "compegps-rte.gpx",
         {"compegps-rte.gpx"}},
        {"compegps/compegps.trk", PositionText(Input::CompeGpsTracks), kGpx, "compegps-trk.gpx", {"compegps-trk.gpx"}},
        {"pcx/pcx.trk", PositionText(Input::Pcx5Tracks), kGpx, "pcx.gpx", {"pcx.gpx"}},
        {"igc/27GLQKF3.igc", PositionText(Input::Igc), kGpx, "27GLQKF3.gpx", {"27GLQKF3.gpx"}},
        {"fit/garmin-edge-800.fit", kFitTracks, kGpxTrackOut, "garmin-edge-800.gpx", {"garmin-edge-800.gpx"}},
        {"fit/fitwrite-track.fit", kFitTracks, kGpx, "fitwrite-track.gpx", {"fitwrite-track.gpx"}},
        {"fit/Lctns_Instinct.fit", kFitWaypoints, kGpxWaypointsOut, "Lctns_Instinct.gpx", {"Lctns_Instinct.gpx"}},
        {"tcx/kona2013.tcx", PositionText(Input::Tcx), kGpx, "kona2013.gpx", {"kona2013.gpx"}},
        {"tcx/gtrnctr-readcp.tcx",
         PositionText(Input::TcxCoursePoints),
         kGpx,
         "gtrnctr-readcp.gpx",
         {"gtrnctr-readcp.gpx"}},
        {"kml/kml-points.kml", PositionText(Input::KmlWaypoints), kGpx, "kml-points.gpx", {"kml-points.gpx"}},
        {"kml/earth-expertgps-track.kml",
         PositionText(Input::KmlTracks),
         kGpx,
         "earth-expertgps-track.gpx",
         {"earth-expertgps-track.gpx"}},
        {"golden/magellan.kml", PositionText(Input::KmlWaypoints), kGpx, "magellan-kml.gpx", {"magellan-kml.gpx"}},
        {"geojson/geojson.geojson", PositionText(Input::GeoJsonWaypoints), kGpx, "geojson.gpx", {"geojson.gpx"}},
        {"geojson/geojson.geojson",
         PositionText(Input::GeoJsonTracks),
         kGpxTrackOut,
         "geojson-trk.gpx",
         {"geojson-trk.gpx"}},
        {"csv/headerdetection.csv",
         PositionText(Input::CsvWaypoints),
         kGpx,
         "headerdetection.gpx",
         {"headerdetection.gpx"}},
        {"csv/GC7FA4.csv", PositionText(Input::CsvTracks), kGpxTrackOut, "GC7FA4-csv.gpx", {"GC7FA4-csv.gpx"}},
    };
}
}  // namespace

// Rewrite the goldens on purpose only: KES_UPDATE_GOLDEN=1 writes what the
// product writes today over them, and says which it rewrote.
TEST(GoldenFiles, RealFilesConvertToTheirGoldenOutputs)
{
    const char* update = std::getenv("KES_UPDATE_GOLDEN");
    const bool updating = update && std::string(update) == "1";
    const ScopedEnvironment clock("KES_HEADLESS_CLOCK", kPinnedClock);
    const std::vector<GoldenRow> conversions = GoldenRows();
    std::vector<std::string> named;
    for (const GoldenRow& c : conversions) {
        named.insert(named.end(), c.golden.begin(), c.golden.end());
        SCOPED_TRACE(std::string(c.input) + " to " + c.output);
        TempDir dir;
        const HeadlessResult run = RunHeadless({c.from, c.to, dir.Path(c.output), FixturePath(c.input)});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        std::vector<std::string> expected = c.golden;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(FilesIn(dir.Root()), expected) << run.output;
        for (const std::string& name : c.golden) {
            if (!fs::exists(dir.Path(name))) continue;
            const std::string golden = FixturePath("golden/" + name);
            const std::string written = ReadText(dir.Path(name));
            if (fs::exists(golden) && ReadText(golden) == written) continue;
            if (updating) {
                WriteText(golden, written);
                std::printf("rewrote %s\n", golden.c_str());
                continue;
            }
            ADD_FAILURE() << name << " differs from its golden copy: "
                          << (fs::exists(golden) ? FirstDifference(written, ReadText(golden)) : "none kept");
        }
    }
    named.push_back("info.txt");               // the figures of every real file (command_info_test)
    named.push_back("gdb-sample-shaped.gpx");  // a track through shaping steps (shape_command_test)
    std::sort(named.begin(), named.end());
    EXPECT_EQ(FilesIn(FixturePath("golden")), named) << "every golden belongs to one row";
}

// A format added to the table comes with a real file converted to its golden
// output (as an input, and as an output) and a seed corpus for its fuzzing.
TEST(GoldenFiles, EveryFormatHasAGoldenConversionAndAFuzzCorpus)
{
    // No real file of these has been found yet; their fixtures are made by the tests.
    const std::set<int> noRealFile = {Position(Input::NobletecWaypoints), Position(Input::NobletecTracks),
                                      Position(Input::Pcx5Waypoints)};
    std::set<int> from, to;
    for (const GoldenRow& row : GoldenRows())
        if (!row.golden.empty()) from.insert(std::stoi(row.from)), to.insert(std::stoi(row.to));
    for (const InputFormatRow& row : KnownFormats().inputs) {
        SCOPED_TRACE(row.texts.name);
        EXPECT_TRUE(from.contains(row.position) || noRealFile.contains(row.position)) << "no golden conversion";
        const fs::path corpus = fs::path(KES_TEST_DATA_DIR) / "../../fuzz/corpus" / row.texts.name;
        EXPECT_TRUE(fs::is_directory(corpus) && !fs::is_empty(corpus)) << "no seed corpus";
    }
    for (const OutputFormatRow& row : KnownFormats().outputs)
        EXPECT_TRUE(to.contains(row.position)) << row.texts.name << ": no golden conversion";
}
