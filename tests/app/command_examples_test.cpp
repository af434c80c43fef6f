// SPDX-License-Identifier: GPL-3.0-or-later
// Every example of the user guide's command-line section and of the man page, run
// as shown; the man page is the one the option table makes.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_files.h"

namespace {
namespace fs = std::filesystem;

const std::string kSource = std::string(KES_TEST_DATA_DIR) + "/../..";

// The files the examples name, copied from the real files of tests/data.
void Prepare(const TempDir& dir, const std::vector<std::pair<std::string, std::string>>& copies)
{
    for (const auto& [to, from] : copies) {
        fs::create_directories(fs::path(dir.Path(to)).parent_path());
        fs::copy_file(FixturePath(from), dir.Path(to));
    }
}

// Runs the commands in one shell in the folder, each echoed after "$ " and
// followed by what it prints; the status of each is $? for the next.
std::string Transcript(const TempDir& dir, const std::vector<std::string>& commands)
{
    std::string script = "cd " + Quoted(dir.Root().string()) +
                         " && export LC_ALL=C PATH=" + Quoted(fs::path(KES_CONVERT_PATH).parent_path().string()) +
                         ":$PATH; st=0\n";
    for (const std::string& command : commands)
        script += "echo " + Quoted("$ " + command) + "; (exit $st); " + command + "; st=$?\n";
    std::string out;
    RunShell("bash -c " + Quoted(script) + " 2>&1", out);
    return out;
}

std::string Between(const std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t start = text.find(from);
    if (start == std::string::npos) return {};
    const std::size_t end = text.find(to, start + from.size());
    return text.substr(start + from.size(), end == std::string::npos ? std::string::npos : end - start - from.size());
}
}  // namespace

TEST(CommandExamples, TheReadmeSessionPrintsWhatItShows)
{
    const std::string section = Between(ReadText(kSource + "/docs/user-guide.md"), "## From the command line", "\n## ");
    const std::string shown = Between(section, "```console\n", "```");
    ASSERT_FALSE(shown.empty());
    std::vector<std::string> commands;
    for (const std::string& line : LinesOf(shown))
        if (line.starts_with("$ ")) commands.push_back(line.substr(2));
    TempDir dir;
    Prepare(dir, {{"trip.gdb", "mapsource/gdb-sample.gdb"},
                  {"ride.gpx", "gpx/garminconnect.gpx"},
                  {"card/mapsource.mps", "mapsource/mapsource.mps"},
                  {"card/route.mps", "mapsource/route.mps"},
                  {"card/mps-empty.mps", "mapsource/mps-empty.mps"}});
    EXPECT_EQ(Transcript(dir, commands), shown);
}

TEST(CommandExamples, TheManPageIsMadeFromTheOptionTableAndItsExamplesRun)
{
    const std::string page = ReadText(kSource + "/man/kes-convert.1");
    const CommandResult made = RunConvert({"--man-page"});
    EXPECT_EQ(made.out, page) << "regenerate it: kes-convert --man-page > man/kes-convert.1";
    std::vector<std::string> commands;
    for (const std::string& line : LinesOf(Between(page, ".SH EXAMPLES", ".SH "))) {
        if (!line.starts_with(".B ")) continue;
        std::string command = line.substr(3);
        for (std::size_t at; (at = command.find("\\-")) != std::string::npos;) command.erase(at, 1);
        commands.push_back("set -o pipefail; " + command + " >/dev/null 2>&1; echo \"status $?\"");
    }
    ASSERT_GE(commands.size(), 5u);
    TempDir dir;
    Prepare(dir, {{"trip.gdb", "mapsource/gdb-sample.gdb"},
                  {"ride.nmea", "nmea/receiver.log"},
                  {"ride.gpx", "gpx/garminconnect.gpx"},
                  {"card/route.mps", "mapsource/route.mps"},
                  {"card/logs/day1.log", "nmea/nmeadate.nmea"}});
    for (const std::string& command : commands) {
        const std::string out = Transcript(dir, {command});
        EXPECT_TRUE(out.ends_with("status 0\n")) << out;
    }
    EXPECT_TRUE(fs::exists(dir.Path("tracks/logs/day1.gpx")));
    EXPECT_TRUE(fs::exists(dir.Path("report.json")));
}
