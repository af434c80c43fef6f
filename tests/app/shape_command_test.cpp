// SPDX-License-Identifier: GPL-3.0-or-later
// kes-convert's shaping steps: a real track through a chain of them against
// its golden output, what --dry-run and the report say of each, --fit
// writing no cut where the output would cut, and values refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "tests/support/test_files.h"

namespace {
const std::vector<std::string> kChain = {"--split-gap", "10m",    "--simplify", "5m",         "--drop-repeats",
                                         "--max-speed", "300kmh", "--crop-box", "50,11,52,13"};

// A GPX track of `count` points along a wavy line, one a second.
std::string WavyTrack(int count)
{
    std::string gpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\" "
                      "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><name>Long</name><trkseg>\n";
    char line[160];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line,
                      "<trkpt lat=\"%.7f\" lon=\"%.7f\"><time>2024-05-01T%02d:%02d:%02dZ</time></trkpt>\n",
                      47 + 0.0002 * std::sin(i / 15.0), 8 + i * 0.00005, 8 + i / 3600, i / 60 % 60, i % 60);
        gpx += line;
    }
    return gpx + "</trkseg></trk></gpx>\n";
}
}  // namespace

// Rewrite the golden on purpose only: KES_UPDATE_GOLDEN=1.
TEST(ShapeCommand, ARealTrackThroughAChainOfStepsGivesItsGoldenOutput)
{
    TempDir dir;
    std::vector<std::string> arguments = {"-o", "gpx-trk", FixturePath("mapsource/gdb-sample.gdb"), "-O",
                                          dir.Path("shaped.gpx")};
    arguments.insert(arguments.end(), kChain.begin(), kChain.end());
    const CommandResult r = RunConvertAfter("SOURCE_DATE_EPOCH=1678876200", arguments);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string golden = FixturePath("golden/gdb-sample-shaped.gpx");
    const char* update = std::getenv("KES_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") WriteText(golden, ReadText(dir.Path("shaped.gpx")));
    EXPECT_EQ(ReadText(dir.Path("shaped.gpx")), ReadText(golden));
    if (GpxSchemaPresent()) {
        EXPECT_EQ(GpxSchemaErrors(dir.Path("shaped.gpx")), "");
    }
}

TEST(ShapeCommand, DryRunAndReportSayWhatEachStepDid)
{
    TempDir dir;
    const std::string input = FixturePath("mapsource/gdb-sample.gdb");
    std::vector<std::string> arguments = {
        "-n", "-o", "gpx-trk", input, "-O", dir.Path("shaped.gpx"), "--report", dir.Path("report.json")};
    arguments.insert(arguments.end(), kChain.begin(), kChain.end());
    const CommandResult r = RunConvert(arguments);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> steps = {"split at gaps over 10 min: 9 -> 14 tracks",
                                            "simplify 5 m: 747 -> 353 points", "drop repeats: 353 -> 353 track points",
                                            "max speed 300 km/h: 353 -> 353 track points",
                                            "crop to 50,11,52,13: 353 -> 353 track points"};
    ASSERT_GE(r.errLines.size(), steps.size()) << r.err;
    for (std::size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(r.errLines[i], input + ": " + steps[i]);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("shaped.gpx")));
    EXPECT_NE(ReadText(dir.Path("report.json")).find("\"steps\": [\"" + steps[0] + "\", \"" + steps[1]),
              std::string::npos);
}

TEST(ShapeCommand, FitSimplifiesWhatTheOutputWouldCut)
{
    TempDir dir;
    WriteText(dir.Path("long.gpx"), WavyTrack(6000));
    const auto convert = [&](std::vector<std::string> more) {
        std::vector<std::string> arguments = {"--strict", dir.Path("long.gpx"), "-O", dir.Path("out.tlg")};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return RunConvert(arguments);
    };
    EXPECT_EQ(convert({}).exitCode, 3);  // the Holux image holds 2,500 points a track: cut
    const CommandResult fitted = convert({"--fit"});
    // No point is cut; what a .tlg cannot hold (times, elevations) is still said.
    EXPECT_EQ(fitted.err.find("Only the first 2500"), std::string::npos) << fitted.err;
    EXPECT_NE(fitted.err.find("fit 2,500 points a track: 6,000 -> "), std::string::npos) << fitted.err;
    EXPECT_NE(fitted.err.find(" 1 simplified within "), std::string::npos) << fitted.err;
}

TEST(ShapeCommand, ValuesAStepCannotTakeAreRefused)
{
    const struct {
        std::vector<std::string> arguments;
        const char* error;
    } cases[] = {
        {{"--simplify", "five"}, "option '--simplify' needs a length such as 5m or 2km, not 'five'"},
        {{"--split-gap=-3m"}, "option '--split-gap' needs a time such as 30m or 2h, not '-3m'"},
        {{"--merge=all"}, "option '--merge' takes 'join' or no value, not 'all'"},
        {{"--crop-box", "52,11,50,13"}, "option '--crop-box' needs degrees as S,W,N,E, not '52,11,50,13'"},
        {{"--crop-time", "2024-05-02..2024-05-01"},
         "option '--crop-time' needs two times as FROM..TO (2024-05-01T08:00Z..2024-05-01T18:00Z), not "
         "'2024-05-02..2024-05-01'"},
        {{"--max-speed", "300"}, "option '--max-speed' needs a speed such as 300kmh or 20m/s, not '300'"},
        {{"--simplify-to", "0"}, "option '--simplify-to' needs a number of points, not '0'"},
        {{"--info", "--fit"}, "option '--fit' does not go with '--info'"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.push_back(FixturePath("nmea/receiver.log"));
        const CommandResult r = RunConvert(arguments);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, std::string("kes-convert: ") + c.error + "; try 'kes-convert --help'\n");
    }
}
