// SPDX-License-Identifier: GPL-3.0-or-later
// kes-convert as scripts use it: exact names, standard input and output, the
// statuses, and batches of folders with their clash checks and report.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/support/sample_files.h"
#include "tests/support/test_files.h"

namespace {
namespace fs = std::filesystem;

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

std::size_t FilesIn(const fs::path& folder)
{
    std::size_t n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) n += entry.is_regular_file() ? 1 : 0;
    return n;
}

CommandResult RunIn(const TempDir& dir, const std::string& before, const std::vector<std::string>& arguments)
{
    return RunConvertAfter("cd " + Quoted(dir.Root().string()) + " && " + before, arguments);
}

// What a python3 one-liner makes of a JSON text: the value of an expression over `d`.
std::string Python(const std::string& json, const std::string& expression)
{
    TempDir dir;
    WriteText(dir.Path("in.json"), json);
    std::string out;
    RunShell("python3 -c " + Quoted("import json,sys; d=json.load(open(sys.argv[1])); print(" + expression + ")") +
                 " " + Quoted(dir.Path("in.json")),
             out);
    return out;
}
}  // namespace

// Each row: files made, the command (after a shell text), its status, and
// what must hold after it: files there, files not there (or unchanged).
TEST(CommandBatch, NamesStreamsAndStatuses)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files;
        std::string before;
        std::vector<std::string> arguments;
        int status;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    const std::string mine = "somebody's own waypoint file\r\n";
    const Case cases[] = {
        {"exact name",
         {{"a.log", samples::Nmea()}},
         "",
         {"a.log", "-O", "x.xml", "-o", "gpx-trk"},
         0,
         {"x.xml"},
         {"x.gpx"}},
        {"device", {{"a.log", samples::Nmea()}}, "", {"a.log", "-O", "/dev/null", "-o", "gpx-trk"}, 0, {}, {}},
        {"stdin", {{"a.log", samples::Nmea()}}, "cat a.log |", {"-", "-O", "o.plt"}, 0, {"o.plt"}, {"o_1.plt"}},
        {"one track of several",
         {{"a.gdb", samples::MapsourceTracks(1)}},
         "",
         {"a.gdb", "-O", "t.plt"},
         0,
         {"t.plt"},
         {"t_1.plt"}},
        {"tomtom's own file",
         {{"p.ov2", samples::Ov2()}, {"p.wpt", mine}},
         "",
         {"p.ov2", "-O", "p.gpx"},
         0,
         {"p.gpx"},
         {}},
        {"strict cut",
         {{"m.wpt", samples::KesWaypoints(501)}},
         "",
         {"--strict", "m.wpt", "-O", "m.wrt"},
         3,
         {"m.wrt"},
         {}},
        {"strict whole", {{"a.log", samples::Nmea()}}, "", {"--strict", "a.log", "-O", "a.plt"}, 0, {"a.plt"}, {}},
        {"no clobber",
         {{"a.log", samples::Nmea()}, {"a.plt", mine}},
         "",
         {"--no-clobber", "a.log", "-O", "a.plt"},
         1,
         {},
         {}},
        {"several files into a pipe",
         {{"a.gdb", samples::MapsourceTracks(2)}},
         "",
         {"a.gdb", "-o", "kes-plt", "-O", "-"},
         2,
         {},
         {"-", "-.plt"}},
        {"dry run",
         {{"a.log", samples::Nmea()}},
         "",
         {"-n", "--each", "-o", "kes-plt", "-O", "out", "a.log"},
         0,
         {},
         {"out"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        for (const auto& [name, content] : c.files) WriteText(dir.Path(name), content);
        const CommandResult r = RunIn(dir, c.before, c.arguments);
        EXPECT_EQ(r.exitCode, c.status) << r.err;
        for (const std::string& name : c.present) EXPECT_TRUE(fs::exists(dir.Path(name))) << name << "\n" << r.err;
        for (const std::string& name : c.absent) EXPECT_FALSE(fs::exists(dir.Path(name))) << name;
        // Nothing but what the row names, and the files it began with unchanged.
        EXPECT_EQ(FilesIn(dir.Root()), c.files.size() + (c.status == 0 || c.status == 3 ? c.present.size() : 0));
        for (const auto& [name, content] : c.files) EXPECT_EQ(ReadText(dir.Path(name)), content) << name;
    }
}

TEST(CommandBatch, StandardInputToStandardOutputKeepsEveryPoint)
{
    TempDir dir;
    std::string log;
    for (int i = 0; i < 500; ++i) log += samples::Nmea();  // the same two fixes, 1,000 points
    WriteText(dir.Path("a.log"), log);
    const CommandResult r = RunIn(dir, "cat a.log |", {"-q", "-o", "gpx-trk", "-", "-O", "-"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Count(r.out, "<trkpt "), 1000u);
    EXPECT_EQ(r.err, "");
}

// trip.gdb may write trip_1.plt ... trip_N.plt: trip_1.log may not write trip_1.plt.
TEST(CommandBatch, ANumberedNameOfAnotherInputIsAClash)
{
    TempDir dir;
    WriteText(dir.Path("trip.gdb"), samples::MapsourceTracks(3));
    WriteText(dir.Path("trip_1.log"), samples::Nmea());
    const CommandResult r = RunIn(dir, "", {"--each", "-o", "kes-plt", "-O", "out", "trip.gdb", "trip_1.log"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errLines, (std::vector<std::string>{
                              "trip.gdb -> out/trip_1.plt, out/trip_2.plt, out/trip_3.plt (9 track points)",
                              "kes-convert: trip_1.log: not converted: its output out/trip_1.plt clashes with "
                              "out/trip_N.plt, written for trip.gdb",
                              "kes-convert: 1 converted, 1 not converted",
                          }));
    EXPECT_EQ(FilesIn(dir.Path("out")), 3u);
}

// 200 files of four kinds in 10 folders: the tree is mirrored, and the report
// counts each file once.
TEST(CommandBatch, AFolderTreeIsMirroredAndReported)
{
    TempDir dir;
    const std::pair<const char*, std::string> kinds[] = {
        {".log", samples::Nmea()},
        {".plt", samples::KesTrack()},
        {".wpt", samples::MapsendWaypoints()},
        {".txt", "milk\r\neggs\r\n"},
    };
    for (int i = 0; i < 200; ++i) {
        const fs::path folder =
            fs::path("card") / fs::path("d").concat(std::to_string(i % 10)) / (i % 3 == 0 ? "deeper" : "");
        fs::create_directories(dir.Root() / folder);
        const fs::path name = fs::path("f").concat(std::to_string(i)).concat(kinds[i % 4].first);
        WriteText((dir.Root() / folder / name).string(), kinds[i % 4].second);
    }
    const CommandResult r =
        RunIn(dir, "", {"-q", "--each", "-r", "-o", "gpx", "-O", "out", "--report", "report.json", "card"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errLines.back(), "kes-convert: 150 converted, 50 not converted") << r.err;
    EXPECT_EQ(FilesIn(dir.Path("out")), 150u);
    EXPECT_TRUE(fs::exists(dir.Path("out/d6/deeper/f6.gpx")));
    EXPECT_TRUE(fs::exists(dir.Path("out/d5/f5.gpx")));
    const std::string report = ReadText(dir.Path("report.json"));
    EXPECT_EQ(Python(report, "d['converted'], d['notConverted'], len(d['files'])"), "150 50 200\n");
    EXPECT_EQ(Python(report, "sum(len(f.get('written', [])) for f in d['files'])"), "150\n");
}
