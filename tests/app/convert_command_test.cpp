// SPDX-License-Identifier: GPL-3.0-or-later
// kes-convert run as a process, as scripts run it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "tests/support/byte_builder.h"
#include "tests/support/sample_files.h"
#include "tests/support/test_files.h"

namespace {
namespace fs = std::filesystem;

using samples::HoluxTrackImage;
using samples::HoluxWaypointImage;
using samples::KesTrack;
using samples::KesWaypoints;
using samples::kGpx;
using samples::kMagellanTrack;
using samples::kMagellanWaypoint;
using samples::MapsendHeader;
using samples::MapsendWaypoints;
using samples::Nmea;
using samples::Nobletec;
using samples::ObsoleteMapsource;

template <typename T>
T At(const std::string& image, std::size_t offset)
{
    T value{};
    if (image.size() >= offset + sizeof value) std::memcpy(&value, image.data() + offset, sizeof value);
    return value;
}

// The written file holds at least one waypoint or track point.
void ExpectData(const std::string& path)
{
    ASSERT_TRUE(fs::exists(path)) << path;
    const std::string content = ReadText(path);
    const std::string extension = fs::path(path).extension().string();
    if (extension == ".wpt") {
        EXPECT_GT(SplitCrLf(content).size(), 4u) << path;
    } else if (extension == ".plt") {
        EXPECT_GT(SplitCrLf(content).size(), 6u) << path;
    } else if (extension == ".wrt") {
        EXPECT_EQ(content.size(), 32768u);
        EXPECT_GT(At<std::uint16_t>(content, 4), 0) << path;
    } else if (extension == ".tlg") {
        EXPECT_EQ(content.size(), 133120u);
        EXPECT_GT(At<std::int16_t>(content, 131088), 0) << path;
    } else if (extension == ".gpx") {
        EXPECT_TRUE(content.find("<wpt ") != std::string::npos || content.find("<trkpt ") != std::string::npos) << path;
    }
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string NmeaName(int i) { return fs::path("n").concat(std::to_string(i)).concat(".log").string(); }
std::string ChangeExtension(const std::string& name, const char* extension)
{
    return fs::path(name).replace_extension(extension).string();
}
}  // namespace

TEST(ConvertCommand, EveryFormatNameConverts)
{
    TempDir dir;
    WriteText(dir.Path("in.wpt"), KesWaypoints());
    WriteText(dir.Path("in.plt"), KesTrack());
    WriteText(dir.Path("ms.wpt"), MapsendWaypoints());
    WriteText(dir.Path("nob.txt"), Nobletec());
    WriteText(dir.Path("mag.log"), kMagellanWaypoint);
    WriteText(dir.Path("in.gpx"), kGpx);
    struct Case {
        const char* input;
        const char* file;  // in the folder, or a fixture when it has a folder of its own
        const char* output;
        const char* outputName;
        const char* written;
    };
    // The Holux rows read back what the rows before them wrote.
    const Case cases[] = {
        {"kes-wpt", "in.wpt", "holux-wrt", "dev.wrt", "dev.wrt"},
        {"holux-wrt", "dev.wrt", "kes-wpt", "back.wpt", "back.wpt"},
        {"kes-plt", "in.plt", "holux-tlg", "dev.tlg", "dev.tlg"},
        {"holux-tlg", "dev.tlg", "kes-plt", "back.plt", "back.plt"},
        {"mapsend-wpt", "ms.wpt", "kes-wpt", "camp.wpt", "camp.wpt"},
        {"mapsend-trk", "mapsend/mapsend.trk", "kes-plt", "ms.plt", "ms.plt"},
        {"nobletec-wpt", "nob.txt", "kes-wpt", "nob.wpt", "nob.wpt"},
        {"nobletec-trk", "nob.txt", "kes-plt", "nob.plt", "nob.plt"},
        {"nmea", "nmea/nmeadate.nmea", "kes-plt", "nmea.plt", "nmea.plt"},
        {"magellan-wpt", "mag.log", "holux-wrt", "mag.wrt", "mag.wrt"},
        {"magellan-trk", "magellan/meridian.trk", "holux-tlg", "mag.tlg", "mag.tlg"},
        {"mapsource-wpt", "mapsource/route.mps", "kes-wpt", "mps.wpt", "mps.wpt"},
        {"mapsource-trk", "mapsource/gdb-sample2.gdb", "kes-plt", "gdb.plt", "gdb.plt"},
        {"tomtom-ov2", "tomtom/tomtom.ov2", "kes-wpt", "poi.wpt", "poi.wpt"},
        {"gpx-wpt", "in.gpx", "holux-wrt", "gpx.wrt", "gpx.wrt"},
        {"gpx-trk", "in.gpx", "kes-plt", "gpx.plt", "gpx_1.plt"},
        {"kes-wpt", "in.wpt", "gpx-wpt", "wpt.gpx", "wpt.gpx"},
        {"nmea", "nmea/nmeadate.nmea", "gpx-trk", "nmea.gpx", "nmea.gpx"},
    };
    for (const Case& c : cases) {
        const bool fixture = Contains(c.file, "/");
        const std::string input = fixture ? FixturePath(c.file) : dir.Path(c.file);
        const CommandResult r = RunConvert({"-i", c.input, "-o", c.output, input, "-O", dir.Path(c.outputName)});
        EXPECT_EQ(r.exitCode, 0) << c.input << "\n" << r.err;
        EXPECT_TRUE(Contains(r.err, "Done .....")) << c.input;
        ExpectData(dir.Path(c.written));
    }
}

// Each row names the output by its extension alone, so that the output format
// is told from the name and settles between input formats of one file type.
TEST(ConvertCommand, TellsTheFormatsByContentOrExtensionAndSaysSo)
{
    const std::string none = "nothing to see here\r\n";
    struct Case {
        const char* file;
        std::string content;
        const char* output;
        const char* chosen;
        const char* evidence;
    };
    const Case cases[] = {
        {"f.dat", KesWaypoints(), "out.wrt", "kes-wpt", "content"},
        {"f.dat", KesTrack(), "out.tlg", "kes-plt", "content"},
        {"f.dat", HoluxWaypointImage(), "out.wpt", "holux-wrt", "content"},
        {"f.dat", HoluxTrackImage(), "out.plt", "holux-tlg", "content"},
        {"f.wpt", MapsendWaypoints(), "out.wrt", "mapsend-wpt", "content"},
        {"f.dat", MapsendHeader(2).i32(0).str(), "out.plt", "mapsend-trk", "content"},
        {"f.dat", Nmea(), "out.plt", "nmea", "content"},
        {"f.dat", kMagellanWaypoint, "out.wpt", "magellan-wpt", "content"},
        {"f.dat", kMagellanTrack, "out.plt", "magellan-trk", "content"},
        {"f.dat", ObsoleteMapsource(), "out.wpt", "mapsource-wpt", "content"},
        {"f.dat", ObsoleteMapsource(), "out.plt", "mapsource-trk", "content"},
        {"f.wpt", KesWaypoints(), "out.wrt", "kes-wpt", "content"},
        {"f.txt", Nobletec(), "out.wpt", "nobletec-wpt", "content"},
        {"f.txt", Nobletec(), "out.plt", "nobletec-trk", "content"},
        {"f.dat", "Type = Mark\r\nLatLon = 47 36.512 N 122 20.113 W\r\n", "out.wpt", "nobletec-wpt", "content"},
        {"f.log", "$GNRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*74\r\n", "out.plt", "nmea",
         "content"},
        {"f.dat", "$GPGSV,3,1\r\n$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,*1F\r\n", "out.plt", "nmea",
         "content"},
        {"f.ov2", none, "out.wpt", "tomtom-ov2", "extension"},
        {"f.dat", kGpx, "out.wpt", "gpx-wpt", "content"},
        {"f.dat", kGpx, "out.tlg", "gpx-trk", "content"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteText(dir.Path(c.file), c.content);
        const CommandResult r = RunConvert({dir.Path(c.file), "-O", dir.Path(c.output)});
        ASSERT_GE(r.errLines.size(), 2u) << c.chosen << "\n" << r.err;
        EXPECT_EQ(r.errLines[0].rfind("kes-convert: reading " + dir.Path(c.file) + " as " + c.chosen + " (", 0), 0u)
            << r.err;
        EXPECT_TRUE(r.errLines[0].ends_with(std::string(", by its ") + c.evidence)) << r.errLines[0];
        EXPECT_EQ(r.errLines[1].rfind("kes-convert: writing " + dir.Path(c.output) + " as ", 0), 0u) << r.err;
        EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << c.chosen << " ended with " << r.exitCode;
    }
}

// A format with a signature is never taken by its extension alone: a shopping
// list named .txt is not a Nobletec export.
TEST(ConvertCommand, AnUntoldOrUndecidedFormatIsRefused)
{
    const std::string junk = "milk\r\neggs\r\n";
    struct Case {
        const char* file;
        std::string content;
        std::vector<std::string> options;
        int status;
        const char* says;  // after "kes-convert: "; {} is the input
    };
    const Case cases[] = {
        {"a.txt", junk, {"-O", "out.wpt"}, 1, "{}: not converted: cannot tell its format from its content"},
        {"a.wpt", junk, {"-o", "kes-wpt"}, 1, "{}: not converted: cannot tell its format from its content"},
        {"a.gpx", junk, {"-O", "out.plt"}, 1, "{}: not converted: cannot tell its format from its content"},
        {"a.plt", junk, {"-O", "out.gpx"}, 1, "{}: not converted: cannot tell its format from its content"},
        {"a.txt", Nobletec(), {"-O", "out"}, 1, "{}: not converted: cannot tell its format: it may be nobletec-wpt or"},
        {"a.gpx", kGpx, {"-O", "out"}, 1, "{}: not converted: cannot tell its format: it may be gpx-wpt or gpx-trk"},
        {"a.plt", KesTrack(), {"-O", "out.xyz"}, 2, "cannot tell the output format from the name out.xyz: it may be"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteText(dir.Path(c.file), c.content);
        std::vector<std::string> arguments = c.options;
        arguments.push_back(dir.Path(c.file));
        std::string says = c.says;
        if (says.find("{}") != std::string::npos) says.replace(says.find("{}"), 2, dir.Path(c.file));
        const CommandResult r = RunConvertAfter("cd " + Quoted(dir.Root().string()) + " &&", arguments);
        EXPECT_EQ(r.exitCode, c.status) << c.file;
        ASSERT_EQ(r.errLines.size(), 1u) << r.err;
        EXPECT_EQ(r.errLines[0].rfind("kes-convert: " + says, 0), 0u) << r.err;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Root()), fs::directory_iterator{}), 1) << c.file;
    }
}

TEST(ConvertCommand, EachConvertsEveryFileIntoTheFolder)
{
    TempDir dir;
    std::vector<std::string> arguments = {"--quiet", "--each", "-o", "kes-plt", "-O", dir.Path("out")};
    for (int i = 1; i <= 5; ++i) {
        WriteText(dir.Path(NmeaName(i)), Nmea());
        arguments.push_back(dir.Path(NmeaName(i)));
    }
    const CommandResult r = RunConvert(arguments);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    for (int i = 1; i <= 5; ++i) ExpectData(dir.Path("out/" + ChangeExtension(NmeaName(i), ".plt")));
}

TEST(ConvertCommand, OneBadFileAmongFiveIsNamedAndTheOthersAreConverted)
{
    struct Case {
        const char* bad;
        std::string content;  // empty: the file is missing
        const char* says;
    };
    const Case cases[] = {
        {"n3.log", "", "No such file or directory"},
        {"n3.log", "no sentences at all\r\n", "cannot tell its format"},
        {"n3.mps", ObsoleteMapsource(), "The file is created by an obsolete version of MapSource."},
    };
    for (const Case& c : cases) {
        TempDir dir;
        std::vector<std::string> arguments = {"--each", "-o", "kes-plt", "-O", dir.Path("out")};
        for (int i = 1; i <= 5; ++i) {
            const std::string name = i == 3 ? c.bad : NmeaName(i);
            if (i != 3) WriteText(dir.Path(name), Nmea());
            else if (!c.content.empty()) WriteText(dir.Path(name), c.content);
            arguments.push_back(dir.Path(name));
        }
        const CommandResult r = RunConvert(arguments);
        EXPECT_EQ(r.exitCode, 1) << c.bad;
        EXPECT_TRUE(Contains(r.err, "kes-convert: " + dir.Path(c.bad) + ": not converted: " + c.says)) << r.err;
        EXPECT_TRUE(r.err.ends_with("kes-convert: 4 converted, 1 not converted\n")) << r.err;
        for (int i : {1, 2, 4, 5}) ExpectData(dir.Path("out/" + ChangeExtension(NmeaName(i), ".plt")));
        EXPECT_FALSE(fs::exists(dir.Path("out/n3.plt")));
    }
}

TEST(ConvertCommand, OneByOneNoOutputReplacesAnInputOrAnEarlierOutput)
{
    TempDir dir;
    WriteText(dir.Path("a.log"), Nmea());
    WriteText(dir.Path("a.nmea"), Nmea());
    WriteText(dir.Path("camp.mps"), ObsoleteMapsource());
    WriteText(dir.Path("camp.wpt"), MapsendWaypoints());
    const CommandResult tracks = RunConvert({"-qe", "-o", "kes-plt", dir.Path("a.log"), dir.Path("a.nmea")});
    EXPECT_EQ(tracks.exitCode, 1);
    const std::string clash =
        "its output " + dir.Path("a.plt") + " clashes with " + dir.Path("a.plt") + ", written for " + dir.Path("a.log");
    EXPECT_TRUE(Contains(tracks.err, clash)) << tracks.err;
    ExpectData(dir.Path("a.plt"));

    const CommandResult points = RunConvert({"-qe", "-o", "kes-wpt", dir.Path("camp.mps"), dir.Path("camp.wpt")});
    EXPECT_EQ(points.exitCode, 1);
    EXPECT_TRUE(Contains(points.err, "would replace the input " + dir.Path("camp.wpt"))) << points.err;
    EXPECT_TRUE(Contains(points.err, "kes-convert: " + dir.Path("camp.wpt") +
                                         ": not converted: Output File cannot be the same as the Input File"))
        << points.err;
    EXPECT_EQ(ReadText(dir.Path("camp.wpt")), MapsendWaypoints());
}

TEST(ConvertCommand, KesTracksChosenTogetherGoIntoOneHoluxImage)
{
    TempDir dir;
    std::vector<std::string> arguments = {"-o", "holux-tlg"};
    for (const char* name : {"a.plt", "b.plt", "c.plt"}) {
        WriteText(dir.Path(name), KesTrack());
        arguments.push_back(dir.Path(name));
    }
    arguments.insert(arguments.end(), {"-O", dir.Path("all.tlg")});
    const CommandResult r = RunConvert(arguments);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string image = ReadText(dir.Path("all.tlg"));
    for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(At<std::int16_t>(image, 131088 + 44 * slot), 2) << slot;
    EXPECT_EQ(At<std::int16_t>(image, 131088 + 44 * 3), 0);
}

// Files of any formats chosen together: everything of each in one output.
TEST(ConvertCommand, FilesOfSeveralFormatsGoIntoOneOutput)
{
    TempDir dir;
    const std::string data = KES_TEST_DATA_DIR;
    const std::vector<std::string> inputs = {data + "/gpx/basecamp.gpx", data + "/nmea/receiver.log",
                                             data + "/mapsource/gdb-sample.gdb"};
    std::string each;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::string one = dir.Path("one" + std::to_string(i) + ".gpx");
        ASSERT_EQ(RunConvert({"-q", inputs[i], "-O", one}).exitCode, 0);
        each += ReadText(one);
    }
    std::vector<std::string> arguments = inputs;
    arguments.insert(arguments.end(), {"-O", dir.Path("all.gpx")});
    const CommandResult r = RunConvert(arguments);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string all = ReadText(dir.Path("all.gpx"));
    for (const char* element : {"<wpt ", "<rte>", "<rtept ", "<trk>", "<trkpt ", "<name>", "<time>", "<ele>"}) {
        const auto count = [element](const std::string& text) {
            std::size_t n = 0;
            for (auto at = text.find(element); at != std::string::npos; at = text.find(element, at + 1)) ++n;
            return n;
        };
        EXPECT_EQ(count(all), count(each) - (std::string(element) == "<time>" ? 2 : 0)) << element;
    }
}

TEST(ConvertCommand, MessagesGoToStandardErrorAndOnlyAStoppedConversionFails)
{
    TempDir dir;
    WriteText(dir.Path("in.wpt"), KesWaypoints());
    WriteText(dir.Path("datum.wpt"), KesWaypoints(2, "WGS84"));
    WriteText(dir.Path("many.wpt"), KesWaypoints(501));
    WriteText(dir.Path("in.trk"), MapsendHeader(2).i32(0).str());
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"-i", "kes-wpt", "-o", "kes-wpt", dir.Path("in.wpt"), "-O", dir.Path("o.wpt")},
         1,
         "in.wpt: not converted: Input and Output Formats cannot be the same: both are Kestrelmaps Waypoint (.wpt)"},
        {{"-o", "holux-wrt", dir.Path("in.trk"), "-O", dir.Path("o.wrt")},
         1,
         "in.trk: not converted: holux-wrt cannot be written from Mapsend tracks: try -o kes-plt, gpx, kml, "
         "geojson or csv"},
        {{"-o", "holux-wrt", dir.Path("datum.wpt"), "-O", dir.Path("o.wrt")},
         0,
         "datum.wpt: The Data file datum must be WGS84"},
        {{"-o", "holux-wrt", dir.Path("many.wpt"), "-O", dir.Path("o.wrt")},
         0,
         "many.wpt: Only the first 500 waypoints are saved - this is a limitation of the wrt format."},
    };
    for (const Case& c : cases) {
        const CommandResult r = RunConvert(c.arguments);
        EXPECT_EQ(r.exitCode, c.status) << c.message << "\n" << r.err;
        const std::string line = "kes-convert: " + dir.Path(c.message);
        EXPECT_NE(std::find(r.errLines.begin(), r.errLines.end(), line), r.errLines.end()) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

// A file written again in its own format changes only by a step or a repair:
// with one, the conversion runs, one file or a card of them; without, it is
// refused as before. The check for early times that every run makes only
// looks, and a code page chosen is no change of the data: neither lets it through.
TEST(ConvertCommand, TheInputsOwnFormatIsWrittenOnlyWithAStepOrARepair)
{
    TempDir dir;
    fs::create_directory(dir.Path("card"));
    WriteText(dir.Path("card/a.plt"), KesTrack("A"));
    WriteText(dir.Path("card/b.plt"), KesTrack("B"));
    const std::string plt = dir.Path("card/a.plt");
    ASSERT_EQ(RunConvert({"-q", plt, "-O", dir.Path("a.tlg"), "-o", "holux-tlg"}).exitCode, 0);
    const std::string refused = "Input and Output Formats cannot be the same";
    const struct {
        std::vector<std::string> arguments;
        bool converted;
    } cases[] = {
        {{plt, "-O", dir.Path("b.plt"), "--simplify", "1m"}, true},
        {{dir.Path("a.tlg"), "-O", dir.Path("b.tlg"), "--rollover"}, true},
        {{plt, "-O", dir.Path("c.plt"), "--tz", "Europe/Berlin"}, true},
        {{plt, "-O", dir.Path("d.plt")}, false},
        {{plt, "-O", dir.Path("e.plt"), "--charset", "cp1251"}, false},
        {{dir.Path("a.tlg"), "-O", dir.Path("f.tlg")}, false},
    };
    for (const auto& c : cases) {
        const CommandResult r = RunConvert(c.arguments);
        EXPECT_EQ(r.exitCode, c.converted ? 0 : 1) << r.err;
        EXPECT_EQ(fs::exists(c.arguments[2]), c.converted) << c.arguments[2];
        EXPECT_EQ(r.err.find(refused) != std::string::npos, !c.converted) << r.err;
    }
    const CommandResult card =
        RunConvert({"--each", "-o", "kes-plt", "-O", dir.Path("out"), dir.Path("card"), "--simplify", "5m"});
    EXPECT_EQ(card.exitCode, 0) << card.err;
    EXPECT_TRUE(fs::exists(dir.Path("out/a.plt")) && fs::exists(dir.Path("out/b.plt"))) << card.err;
    // The outputs offered for a kind that does not fit include the input's own, which a step lets through.
    const CommandResult wrongKind = RunConvert({plt, "-O", dir.Path("w.wpt"), "-o", "kes-wpt", "--simplify", "1m"});
    EXPECT_NE(wrongKind.err.find("try -o kes-plt, gpx"), std::string::npos) << wrongKind.err;
}

TEST(ConvertCommand, UsageErrorsAreOneLineWithAHint)
{
    TempDir dir;
    WriteText(dir.Path("a.gdb"), ObsoleteMapsource());
    const std::string file = dir.Path("a.gdb");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--quiet"},
        {"--frobnicate", file},
        {"-x", file},
        {file, "-i"},
        {file, "--output"},
        {"-i", "gpz", "-o", "kes-wpt", file},
        {"-o", "nmea", file},
        {file},
        {"-O", dir.Root().string(), file},
        {"--each", "-o", "kes-wpt", "-O", file, file},
        {"-i", "mapsource-wpt", "-o", "kes-wpt", file, file, "-O", dir.Path("x.wpt")},
        {"--date=2019-02-30", file},
        {"SOURCE_DATE_EPOCH=1.5", "-o", "kes-wpt", "-O", dir.Path("x.wpt"), file},
        {"SOURCE_DATE_EPOCH=1700000000x", "-o", "kes-wpt", "-O", dir.Path("x.wpt"), file},
        {"SOURCE_DATE_EPOCH=", "-o", "nmea", file},
        {"-e", "-o", "kes-wpt", "-O", dir.Path("out"), dir.Root().string(), "--include", "[abc"},
        {"-e", "-o", "kes-wpt", "-O", dir.Path("out"), dir.Root().string(), "--exclude", "*.gdb\\"},
        {"-o", "kes-wpt", "-O", dir.Path("x.wpt"), file, "--exclude", "*.gdb"},
        {"-e", "-o", "kes-wpt", "-O", dir.Path("out"), file, "--include", "*.gdb"},
        {"-e", "-o", "kes-wpt", "-O", dir.Path("out"), dir.Root().string(), "--include", "trips/*.gdb"},
        {"-i", "mapsource-wpt", "-O", dir.Path("x.wpt"), file, dir.Root().string()},
    };
    for (std::vector<std::string> arguments : cases) {
        // A leading NAME=VALUE is the environment of the run.
        std::string environment;
        if (!arguments.empty() && arguments.front().find('=') != std::string::npos &&
            arguments.front().rfind("-", 0) != 0) {
            environment = arguments.front();
            arguments.erase(arguments.begin());
        }
        const CommandResult r = RunConvertAfter(environment, arguments);
        const std::string shown = environment + (arguments.empty() ? "(none)" : arguments.front());
        // Empty, the variable is taken as unset.
        EXPECT_EQ(Contains(r.err, "SOURCE_DATE_EPOCH"), environment.size() > std::strlen("SOURCE_DATE_EPOCH="))
            << r.err;
        EXPECT_EQ(r.exitCode, 2) << shown;
        ASSERT_EQ(r.errLines.size(), 1u) << r.err;
        EXPECT_EQ(r.errLines[0].rfind("kes-convert: ", 0), 0u) << r.err;
        EXPECT_TRUE(r.err.ends_with("try 'kes-convert --help'\n") ||
                    r.err.ends_with("see 'kes-convert --list-formats'\n"))
            << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Root()), fs::directory_iterator{}), 1);
}

TEST(ConvertCommand, ListsTheFormats)
{
    const CommandResult r = RunConvert({"--list-formats"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, R"(Input formats (-i):
  kes-wpt        waypoints  .wpt            Kestrelmaps Waypoint (.wpt)
  kes-plt        tracks     .plt            Kestrelmaps Track (.plt)
  holux-wrt      waypoints  .wrt            Holux Waypoint (.wrt)
  holux-tlg      tracks     .tlg            Holux Track (.tlg)
  mapsend-wpt    waypoints  .wpt            Mapsend Waypoint (.wpt)
  mapsend-trk    tracks     .trk            Mapsend Track (.trk)
  nobletec-wpt   waypoints  .txt            Nobletec Export File - Waypoints (.txt)
  nobletec-trk   tracks     .txt            Nobletec Export File - Tracks (.txt)
  nmea           tracks     .nmea .log      NMEA Log of GPRMC Sentences
  magellan-wpt   waypoints  -               Magellan GPS Waypoint
  magellan-trk   tracks     -               Magellan GPS Track
  mapsource-wpt  waypoints  .mps .gdb       Mapsource Route/Waypoint
  mapsource-trk  tracks     .mps .gdb       Mapsource Track
  tomtom-ov2     waypoints  .ov2            TomTom Waypoint
  gpx-wpt        waypoints  .gpx            GPX Waypoints/Routes (.gpx)
  gpx-trk        tracks     .gpx            GPX Tracks (.gpx)
  wintec-tes     tracks     .tes            Wintec TES Track Log (.tes)
  compegps-wpt   waypoints  .wpt .rte       CompeGPS Waypoints/Routes (.wpt, .rte)
  compegps-trk   tracks     .trk            CompeGPS Track (.trk)
  pcx5-wpt       waypoints  .wpt .rte       Garmin PCX5 Waypoints/Routes (.wpt, .rte)
  pcx5-trk       tracks     .trk            Garmin PCX5 Track (.trk)
  igc            tracks     .igc            IGC Flight Recorder Log (.igc)
  fit            tracks     .fit            FIT Activity/Course (.fit)
  fit-wpt        waypoints  .fit            FIT Locations/Course Points (.fit)
  tcx            tracks     .tcx            Training Center Tracks (.tcx)
  tcx-wpt        waypoints  .tcx            Training Center Course Points (.tcx)
  kml-wpt        waypoints  .kml            KML Waypoints/Routes (.kml)
  kml-trk        tracks     .kml            KML Tracks (.kml)
  geojson-wpt    waypoints  .geojson .json  GeoJSON Waypoints/Routes (.geojson)
  geojson-trk    tracks     .geojson .json  GeoJSON Tracks (.geojson)
  csv-wpt        waypoints  .csv            CSV Waypoints/Routes (.csv)
  csv-trk        tracks     .csv            CSV Tracks (.csv)
  nmea-wpt       waypoints  .nmea .log      NMEA Log - Waypoints of GPWPL Sentences

Output formats (-o):
  kes-wpt     waypoints   .wpt      Kestrelmaps Waypoint (.wpt)
  kes-plt     tracks      .plt      Kestrelmaps Track (.plt)
  holux-wrt   waypoints   .wrt      Holux Waypoint (.wrt)
  holux-tlg   tracks      .tlg      Holux Track (.tlg)
  gpx-wpt     waypoints   .gpx      GPX Waypoints/Routes (.gpx)
  gpx-trk     tracks      .gpx      GPX Track (.gpx)
  gpx         everything  .gpx      GPX Waypoints, Routes and Tracks (.gpx)
  kml         everything  .kml      KML Waypoints, Routes and Tracks (.kml)
  geojson     everything  .geojson  GeoJSON Waypoints, Routes and Tracks (.geojson)
  csv         everything  .csv      CSV Waypoints, Routes and Tracks (.csv)
  tomtom-ov2  waypoints   .ov2      TomTom Waypoint
)");
}

TEST(ConvertCommand, HelpAndVersionGoToStandardOutput)
{
    const CommandResult help = RunConvert({"-i", "nmea", "--help", "--frobnicate"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: kes-convert [OPTION]... INPUT... [-O OUTPUT]\n", 0), 0u);
    EXPECT_EQ(help.err, "");
    const CommandResult version = RunConvert({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("kes-convert (kesTranscribe) ", 0), 0u);
    // Every option the help lists is taken, and the options of the making of
    // the package are listed among them.
    for (const char* listed : {"      --man-page ", "      --completion=SHELL "})
        EXPECT_TRUE(Contains(help.out, listed)) << listed;
    for (std::size_t at = help.out.find("--"); at != std::string::npos; at = help.out.find("--", at + 2)) {
        const std::size_t end = help.out.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2);
        const std::string option = help.out.substr(at, end - at);
        EXPECT_FALSE(Contains(RunConvert({option, "--help"}).err, "unknown option")) << option;
    }
}

TEST(ConvertCommand, LoadsNoQtLibrary)
{
    std::string libraries;
    FILE* pipe = popen("ldd '" KES_CONVERT_PATH "'", "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[4096];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) libraries.append(buffer, got);
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_TRUE(Contains(libraries, "libc.so")) << libraries;
    EXPECT_FALSE(Contains(libraries, "Qt")) << libraries;
}

// A log of GGA fixes alone, told by its content: --date dates it; without,
// GPX leaves the times out and a track file dates it today, as the count line says.
TEST(ConvertCommand, DateOfALogOfTimesOfDay)
{
    TempDir dir;
    WriteText(dir.Path("gga.log"), "$GNGGA,235959,4807.038,N,01131.000,E,1,05,1.6,100,M,,*11\r\n"
                                   "$GNGGA,000001,4807.038,N,01131.000,E,1,05,1.6,100,M,,*11\r\n");
    const struct {
        std::vector<std::string> arguments;
        const char* output;
        const char* written;
        const char* held;  // in the output
    } cases[] = {
        {{"--date", "2019-05-01", "-o", "gpx-trk"},
         "a.gpx",
         "Written: 2 track points",
         "<time>2019-05-02T00:00:01Z</time>"},
        {{"-o", "gpx-trk"},
         "b.gpx",
         "Written: 2 track points, without times - the log gives no date",
         "<ele>100</ele><fix>3d</fix>"},
        {{}, "c.plt", "Written: 2 track points, dated today - the log gives no date", "48.117300"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {dir.Path("gga.log"), "-O", dir.Path(c.output)});
        const CommandResult r = RunConvert(arguments);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(std::find(r.errLines.begin(), r.errLines.end(), c.written), r.errLines.end()) << r.err;
        EXPECT_TRUE(Contains(ReadText(dir.Path(c.output)), c.held)) << c.output;
    }
}
