// SPDX-License-Identifier: GPL-3.0-or-later
// kes-convert as scripts and memory cards meet it: the report as an output,
// folder walks, losses, standard output, refusals before writing, names, dry
// runs, empty inputs, two runs at once and the shell completions.
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "tests/support/sample_files.h"
#include "tests/support/test_files.h"

namespace {
namespace fs = std::filesystem;

CommandResult In(const TempDir& dir, const std::vector<std::string>& arguments, const std::string& before = "")
{
    return RunConvertAfter("cd " + Quoted(dir.Root().string()) + " && " + before, arguments);
}

// The value of a python3 expression over the JSON file `d`.
std::string Json(const std::string& file, const std::string& expression)
{
    std::string out;
    RunShell("python3 -c " + Quoted("import json,sys; d=json.load(open(sys.argv[1])); print(" + expression + ")") +
                 " " + Quoted(file) + " 2>&1",
             out);
    return out;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,*1F\r\n"
                         "$GPGGA,123520,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,*15\r\n";
}  // namespace

// Each row: the command, its status, and whether anything was converted.
TEST(CommandScripts, TheReportIsCheckedAsAnOutputBeforeAnythingIsWritten)
{
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {"an input", {"-o", "gpx", "--report=a.log", "a.log", "-O", "out.gpx"}, 2, "would replace the input a.log"},
        {"the output", {"-o", "gpx", "--report", "out.gpx", "a.log", "-O", "out.gpx"}, 2, "the output out.gpx"},
        {"kept", {"--no-clobber", "-o", "gpx", "--report", "r.json", "a.log", "-O", "out.gpx"}, 1, "(--no-clobber)"},
        {"unwritable", {"-o", "gpx", "--report", "none/r.json", "a.log", "-O", "out.gpx"}, 1, "none/r.json: No such"},
        // One destination named two ways.
        {"a link to the output",
         {"-o", "gpx", "--report", "link.json", "a.log", "-O", "out.gpx"},
         2,
         "the report link.json would replace the output out.gpx"},
        {"standard output",
         {"-o", "gpx", "--report", "/proc/self/fd/1", "a.log", "-O", "-"},
         2,
         "the report and the output cannot both go to standard output"},
        {"standard output",
         {"-o", "gpx", "--report", "-", "a.log", "-O", "/dev/fd/1"},
         2,
         "the report and the output cannot both go to standard output"},
        {"a descriptor",
         {"-o", "gpx", "--report", "/dev/fd/2", "a.log", "-O", "/proc/self/fd/2"},
         2,
         "cannot both go to descriptor 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteText(dir.Path("a.log"), samples::Nmea());
        WriteText(dir.Path("r.json"), "mine");
        fs::create_symlink("out.gpx", dir.Path("link.json"));
        const CommandResult r = In(dir, c.arguments);
        EXPECT_EQ(r.exitCode, c.status) << r.err;
        EXPECT_TRUE(Has(r.err, c.says)) << r.err;
        EXPECT_FALSE(fs::exists(dir.Path("out.gpx")));
        EXPECT_EQ(ReadText(dir.Path("a.log")), samples::Nmea());
        EXPECT_EQ(ReadText(dir.Path("r.json")), "mine");
    }
    TempDir dir;
    WriteText(dir.Path("a.log"), samples::Nmea());
    const CommandResult out = In(dir, {"-q", "-o", "gpx", "--report", "-", "a.log", "-O", "out.gpx"});
    WriteText(dir.Path("out.json"), out.out);
    EXPECT_EQ(Json(dir.Path("out.json"), "d['converted'], d['files'][0]['written']"), "1 ['out.gpx']\n");
    // A run ended by a signal (here waiting for a pipe that no one writes) still writes it.
    ASSERT_EQ(::mkfifo(dir.Path("silent").c_str(), 0600), 0);
    In(dir, {"-v", "-i", "nmea", "-e", "-o", "gpx", "-O", "o", "--report", "r.json", "a.log", "silent"},
       "timeout -s TERM 2");
    EXPECT_EQ(Json(dir.Path("r.json"), "d['interrupted'], d['converted'], len(d['files'])"), "True 1 1\n");
}

// A card with what cards hold besides tracks: nothing hangs, each is skipped
// and counted, and only a folder that cannot be read fails the run.
TEST(CommandScripts, AFolderWalkTakesRegularFilesOnly)
{
    TempDir dir;
    fs::create_directories(dir.Path("card/.Trashes"));
    fs::create_directories(dir.Path("card/locked"));
    WriteText(dir.Path("card/ride.log"), samples::Nmea());
    WriteText(dir.Path("card/._ride.log"), "AppleDouble");
    WriteText(dir.Path("card/.Trashes/old.log"), samples::Nmea());
    WriteText(dir.Path("card/.kes-0123abcd.tmp"), samples::Nmea());
    WriteText(dir.Path("card/locked/more.log"), samples::Nmea());
    ASSERT_EQ(::mkfifo(dir.Path("card/pipe.log").c_str(), 0600), 0);
    ASSERT_EQ(std::system(("python3 -c 'import socket; socket.socket(socket.AF_UNIX).bind(\"" +
                           dir.Path("card/sock.log") + "\")'")
                              .c_str()),
              0);
    const std::vector<std::string> walk = {"-e", "-r", "-o", "gpx", "-O", "out", "--report", "r.json", "card"};
    const CommandResult r = In(dir, walk, "timeout 20");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Has(r.err, "card/pipe.log: skipped: a FIFO")) << r.err;
    EXPECT_TRUE(Has(r.err, "card/sock.log: skipped: a socket")) << r.err;
    EXPECT_TRUE(r.err.ends_with("kes-convert: 2 converted, 5 skipped\n")) << r.err;
    EXPECT_EQ(Json(dir.Path("r.json"), "sorted(s['reason'] for s in d['skipped'])"),
              "['a FIFO', 'a socket', 'a system file', 'a system file', 'a temporary file of kes-convert']\n");

    // Root reads every folder: the locked one is walked by another user.
    std::string ignored;
    if (::geteuid() == 0 && RunShell("runuser -u nobody -- true", ignored) != 0)
        GTEST_SKIP() << "root reads every folder, and runuser cannot run the command as nobody here";
    fs::remove_all(dir.Path("out"));
    fs::remove(dir.Path("r.json"));
    ::chmod(dir.Root().c_str(), 0777);
    ::chmod(dir.Path("card/locked").c_str(), 0);
    const CommandResult locked = In(dir, walk, ::geteuid() == 0 ? "timeout 20 runuser -u nobody --" : "timeout 20");
    ::chmod(dir.Path("card/locked").c_str(), 0755);
    EXPECT_EQ(locked.exitCode, 1) << locked.err;
    EXPECT_TRUE(Has(locked.err, "card/locked: cannot read the folder: Permission denied")) << locked.err;
    EXPECT_EQ(Json(dir.Path("r.json"), "[u['path'] for u in d['unreadableFolders']]"), "['card/locked']\n");
}

TEST(CommandScripts, EveryLossIsSaidInEveryModeAndCountsUnderStrict)
{
    struct Case {
        std::vector<std::string> arguments;
        const char* said;
        const char* warnings;  // and data left out, in the report
    };
    // A track file also drops the receiver's satellites and dilutions.
    const Case cases[] = {
        {{"--brief", "-O", "gga.plt"}, "2 track points were dated today", "2 1\n"},
        {{"--quiet", "-O", "gga.plt"}, "2 track points were dated today", "2 1\n"},
        {{"--quiet", "-O", "gga.gpx"}, "2 track points were written without times", "1 1\n"},
        {{"--each", "-o", "gpx", "-O", "out"}, "2 track points were written without times", "1 1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front() + " " + c.arguments.back());
        TempDir dir;
        WriteText(dir.Path("gga.log"), kGga);
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"--strict", "--report", "r.json", "gga.log"});
        const CommandResult r = In(dir, arguments);
        EXPECT_EQ(r.exitCode, 3) << r.err;
        EXPECT_TRUE(Has(r.err, "kes-convert: gga.log: " + std::string(c.said))) << r.err;
        EXPECT_EQ(Json(dir.Path("r.json"), "len(d['files'][0]['warnings']), d['dataLeftOut']"), c.warnings);
    }
}

// Standard output that cannot be written fails the command, whatever it prints.
TEST(CommandScripts, AFailedWriteToStandardOutputIsStatusOne)
{
    TempDir dir;
    WriteText(dir.Path("a.log"), samples::Nmea());
    const std::vector<std::vector<std::string>> commands = {
        {"--info", "--json", "a.log"},
        {"--info", "a.log"},
        {"--help"},
        {"--version"},
        {"--list-formats"},
        {"--list-formats", "--json"},
        {"-q", "-o", "gpx", "a.log", "-O", "-"},
    };
    for (const auto& arguments : commands) {
        const CommandResult r =
            RunConvertAfter("cd " + Quoted(dir.Root().string()) + " && exec >/dev/full;", arguments);
        EXPECT_EQ(r.exitCode, 1) << arguments.front() << "\n" << r.err;
        EXPECT_TRUE(Has(r.err, "No space left on device")) << r.err;
    }
}

// What cannot be written whole is refused before a byte goes out, also into a
// pipe; an input that gives nothing leaves the file of its name alone.
TEST(CommandScripts, RefusalsComeBeforeAnythingIsWritten)
{
    TempDir dir;
    fs::copy_file(FixturePath("mapsource/route.mps"), dir.Path("route.mps"));
    const CommandResult routes = In(dir, {"-q", "-o", "kes-wpt", "route.mps", "-O", "-"});
    EXPECT_EQ(routes.exitCode, 1);
    EXPECT_EQ(routes.out, "");
    EXPECT_TRUE(Has(routes.err, "no place beside it")) << routes.err;

    // What would be written is nothing: the input holds none, a step left none,
    // or the output holds none of what it holds. The progress lines say so
    // before the conversion's own line.
    struct Case {
        const char* name;
        std::string content;
        std::vector<std::string> arguments;
        const char* says;
    };
    const std::string walk = "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\"><rte><name>Walk</name>"
                             "<rtept lat=\"52.1\" lon=\"4.3\"/><rtept lat=\"52.2\" lon=\"4.4\"/></rte></gpx>\n";
    const Case empty[] = {
        {"empty.log", "", {"-i", "nmea", "empty.log", "-O", "keep.plt"}, "no track points were found in the input"},
        {"noise.log",
         std::string(100000, '\x9b'),
         {"-i", "nmea", "noise.log", "-O", "keep.plt"},
         "no track points were found in the input"},
        {"list.ov2", "milk\neggs\n", {"list.ov2", "-O", "keep.wpt"}, "no waypoints and no routes were found in the"},
        {"walk.gpx", walk, {"walk.gpx", "-O", "keep.wrt"}, "the input holds only 1 route, and a .wrt holds no routes"},
        {"ride.log",
         samples::Nmea(),
         {"ride.log", "-O", "keep.plt", "--crop-box", "0,0,1,1"},
         "crop to 0,0,1,1 left no track points"},
    };
    for (const Case& c : empty) {
        SCOPED_TRACE(c.name);
        WriteText(dir.Path(c.name), c.content);
        for (const char* keep : {"keep.plt", "keep.wpt", "keep.wrt"}) WriteText(dir.Path(keep), "mine");
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"--strict", "-v"});
        const CommandResult r = In(dir, arguments);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_TRUE(Has(r.err, "\nWritten: nothing - " + std::string(c.says))) << r.err;
        EXPECT_TRUE(Has(r.err, ": not converted: " + std::string(c.says))) << r.err;
        EXPECT_FALSE(Has(r.err, "Written: no ")) << r.err;
        for (const char* keep : {"keep.plt", "keep.wpt", "keep.wrt"}) EXPECT_EQ(ReadText(dir.Path(keep)), "mine");
    }
    // A file --no-clobber keeps, found as the outputs are written (a track file), is said as such.
    fs::copy_file(FixturePath("mapsource/gdb-sample.gdb"), dir.Path("trip.gdb"));
    WriteText(dir.Path("trip_2.plt"), "mine");
    const CommandResult kept = In(dir, {"-v", "--no-clobber", "trip.gdb", "-O", "trip.plt"});
    EXPECT_TRUE(Has(kept.err, "\nWritten: nothing - the existing files were kept\n")) << kept.err;
    EXPECT_TRUE(kept.err.ends_with("trip.gdb: not converted: its output trip_2.plt exists already and is kept "
                                   "(--no-clobber)\n"))
        << kept.err;
    EXPECT_FALSE(fs::exists(dir.Path("trip.plt")));
}

TEST(CommandScripts, NamesAndTextsAreTakenAndShownAsTheyAre)
{
    TempDir dir;
    WriteText(dir.Path(".mylog"), samples::Nmea());
    EXPECT_EQ(In(dir, {"-q", "-o", "kes-plt", ".mylog"}).exitCode, 0);
    EXPECT_TRUE(fs::exists(dir.Path(".mylog.plt")));
    for (const char* empty : {"-O", "--report", "-o", "-i", "--date"}) {
        const CommandResult r = In(dir, {".mylog", empty, ""});
        EXPECT_EQ(r.exitCode, 2) << empty;
        EXPECT_TRUE(Has(r.err, "is given an empty value")) << r.err;
    }
    // A track named to clear the screen, in a file named to ring the bell.
    const std::string name = "ride\a.plt";
    WriteText(dir.Path(name), samples::KesTrack("\x1b[2J"));
    const CommandResult info = In(dir, {"--info", name});
    EXPECT_TRUE(Has(info.out, "ride\\x07.plt: kes-plt\n  track \"\\x1b[2J\"")) << info.out;
    const CommandResult bad = In(dir, {"-q", "-i", "nmea", name, "-O", "x.gpx"});
    EXPECT_TRUE(Has(bad.err, "ride\\x07.plt")) << bad.err;
    EXPECT_FALSE(Has(info.out + bad.err, "\x1b")) << "a control character reached the terminal";
    // Bidirectional controls, which would show a line in another order, are shown as bytes too.
    const std::string turned = "ride\u202Egol.plt";
    WriteText(dir.Path(turned), samples::KesTrack("\u2067Loop\u2069\u200F"));
    const std::string bidi = In(dir, {"--info", turned}).out;
    EXPECT_TRUE(bidi.starts_with("ride\\xe2\\x80\\xaegol.plt: kes-plt\n")) << bidi;
    EXPECT_TRUE(Has(bidi, "  track \"\\xe2\\x81\\xa7Loop\\xe2\\x81\\xa9\\xe2\\x80\\x8f\"")) << bidi;
    // Names that are not UTF-8 stay apart in JSON.
    WriteText(dir.Path("caf\xe9.log"), samples::Nmea());
    const CommandResult json = In(dir, {"--info", "--json", "caf\xe9.log", "caf\xc3\xa9.log"});
    WriteText(dir.Path("info.json"), json.out);
    EXPECT_EQ(Json(dir.Path("info.json"), "[(f['file'], f.get('file_bytes')) for f in d['files']]"),
              "[('café.log', '636166e92e6c6f67'), ('café.log', None)]\n");
}

// A point without a time, in a file that must hold one, gets the time of
// conversion in UTC (never the local time, which lies ahead east of
// Greenwich), SOURCE_DATE_EPOCH when set; an unusable TMPDIR is named.
TEST(CommandScripts, TheTimeOfConversionIsUtcAndTheTemporaryFolderIsNamed)
{
    TempDir dir;
    WriteText(dir.Path("n.txt"), samples::Nobletec());
    const CommandResult r = In(dir, {"-q", "-i", "nobletec-wpt", "n.txt", "-O", "n.wpt"},
                               "TZ=Pacific/Chatham SOURCE_DATE_EPOCH=1700000000");
    EXPECT_TRUE(Has(ReadText(dir.Path("n.wpt")), ",45244.9259259,"))
        << ReadText(dir.Path("n.wpt"));  // 2023-11-14T22:13:20Z
    EXPECT_TRUE(Has(r.err, "1 point was given the time of conversion")) << r.err;
    // /proc is there, and takes no file.
    for (const std::string folder : {"/none", "/proc"}) {
        const CommandResult spool =
            In(dir, {"-q", "-i", "nobletec-wpt", "n.txt", "-o", "gpx", "-O", "-"}, "TMPDIR=" + folder);
        EXPECT_TRUE(Has(spool.err, "n.txt: not converted: " + folder +
                                       ": the temporary folder (TMPDIR) cannot be used: No such file or directory"))
            << spool.err;
        EXPECT_EQ(spool.out, "");
    }
}

TEST(CommandScripts, OptionMessagesNameTheOptionAndWhatWouldDo)
{
    TempDir dir;
    WriteText(dir.Path("a.log"), samples::Nmea());
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--strict=yes", "a.log"}, "kes-convert: option '--strict' takes no value; try"},
        {{"--out=x", "a.log"},
         "kes-convert: option '--out' is ambiguous: did you mean --output or --output-format? try"},
        {{"--info", "--each", "a.log"}, "kes-convert: option '--each' does not go with '--info'; try"},
        {{"--wait=soon", "a.log"}, "kes-convert: option '--wait' takes a whole number of seconds, not 'soon'; try"},
        {{"--recover", "-O", "x", "."}, "kes-convert: option '--output' does not go with '--recover'; try"},
        {{"--recover", "--wait=1"}, "kes-convert: option '--recover' needs a folder; try"},
        {{"-q", "-i", "nmea", "-o", "kes-wpt", "a.log", "-O", "a.wpt"},
         "kes-convert: a.log: not converted: kes-wpt cannot be written from NMEA tracks: try -o kes-plt, gpx, kml, "
         "geojson or csv"},
    };
    for (const auto& [arguments, said] : cases) EXPECT_TRUE(In(dir, arguments).err.starts_with(said)) << said;
}

// A dry run tells exactly what the run does: the same files, the same
// refusals, the same status, with and without --no-clobber.
TEST(CommandScripts, ADryRunIsTheRunWithoutWriting)
{
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "--no-clobber" : "replacing");
        TempDir dir;
        fs::copy_file(FixturePath("mapsource/gdb-sample.gdb"), dir.Path("trip.gdb"));
        WriteText(dir.Path("trip_3.log"), samples::Nmea());
        fs::create_directories(dir.Path("out"));
        WriteText(dir.Path("out/trip_2.plt"), "mine");
        std::vector<std::string> arguments = {"-e", "-o", "kes-plt", "-O", "out", "trip.gdb", "trip_3.log"};
        if (keep) arguments.push_back("--no-clobber");
        const auto run = [&](bool dry, const char* report) {
            std::vector<std::string> a = arguments;
            a.insert(a.end(), {"--report", report});
            if (dry) a.push_back("-n");
            return In(dir, a).exitCode;
        };
        const int planned = run(true, "plan.json");
        EXPECT_EQ(fs::directory_iterator(dir.Path("out"))->path().filename(), "trip_2.plt");
        EXPECT_EQ(run(false, "run.json"), planned);
        const std::string files = "[(f['status'] != 'not converted', f.get('written', f.get('wouldWrite')), "
                                  "f.get('reason')) for f in d['files']]";
        EXPECT_EQ(Json(dir.Path("plan.json"), files), Json(dir.Path("run.json"), files));
        EXPECT_TRUE(Has(Json(dir.Path("plan.json"), files), keep ? "exists already" : "out/trip_9.plt"));
    }
}

// Two runs into the same nine names take turns: while one holds the folder's
// lock (here the test, writing its own nine), the other waits, then replaces
// all nine, or with --no-clobber none.
TEST(CommandScripts, TwoRunsIntoTheSameNamesTakeTurns)
{
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep ? "--no-clobber" : "replacing");
        TempDir dir;
        fs::copy_file(FixturePath("mapsource/gdb-sample.gdb"), dir.Path("trip.gdb"));
        const int folder = ::open(dir.Root().c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_EQ(::flock(folder, LOCK_EX), 0);
        CommandResult second;
        std::thread run([&] {
            second = In(dir, keep ? std::vector<std::string>{"-q", "--no-clobber", "trip.gdb", "-O", "t.plt"}
                                  : std::vector<std::string>{"-q", "trip.gdb", "-O", "t.plt"});
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const auto names = [&](int n) { return dir.Path("t_" + std::to_string(n) + ".plt"); };
        for (int n = 1; n <= 9; ++n) {
            EXPECT_FALSE(fs::exists(names(n))) << "placed while the folder was locked";
            WriteText(names(n), "the first run's");
        }
        ::flock(folder, LOCK_UN);
        run.join();
        ::close(folder);
        EXPECT_EQ(second.exitCode, keep ? 1 : 0) << second.err;
        int first = 0;
        for (int n = 1; n <= 9; ++n) first += ReadText(names(n)) == "the first run's";
        EXPECT_EQ(first, keep ? 9 : 0);
    }
}

TEST(CommandScripts, CompletionScriptsLoadInTheirShells)
{
    TempDir dir;
    const auto script = [&](const char* shell) {
        const std::string file = dir.Path(shell);
        WriteText(file, RunConvert({std::string("--completion=") + shell}).out);
        return file;
    };
    std::string out;
    EXPECT_EQ(RunShell("bash -c " + Quoted("source " + script("bash") +
                                           "; COMP_WORDS=(kes-convert -o k); "
                                           "COMP_CWORD=2; _kes_convert; echo ${COMPREPLY[*]}"),
                       out),
              0);
    EXPECT_EQ(out, "kes-wpt kes-plt kml\n");
    for (const char* shell : {"zsh", "fish"}) {
        std::string where;
        if (RunShell(std::string("command -v ") + shell, where) != 0) {
            std::printf("%s is not installed: its completion is not checked\n", shell);
            continue;
        }
        std::string said;
        EXPECT_EQ(RunShell(std::string(shell) + " -n " + Quoted(script(shell)) + " 2>&1", said), 0) << said;
    }
}
