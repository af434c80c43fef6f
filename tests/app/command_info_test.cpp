// SPDX-License-Identifier: GPL-3.0-or-later
// kes-convert --info on the real files of tests/data: the text against its
// golden, and the JSON read back by another program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "tests/support/test_files.h"

namespace {
namespace fs = std::filesystem;

// Every file of tests/data but the goldens, by its path there, in order.
std::vector<std::string> DataFiles()
{
    std::vector<std::string> files;
    const fs::path root = KES_TEST_DATA_DIR;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = entry.path().lexically_relative(root).string();
        if (entry.is_regular_file() && relative.find('/') != std::string::npos && !relative.starts_with("golden/"))
            files.push_back(relative);
    }
    std::sort(files.begin(), files.end());
    return files;
}

CommandResult InfoOf(const std::vector<std::string>& options)
{
    std::vector<std::string> arguments = options;
    for (const std::string& file : DataFiles()) arguments.push_back(file);
    return RunConvertAfter("cd " + Quoted(KES_TEST_DATA_DIR) + " && TZ=UTC", arguments);
}
}  // namespace

// Rewrite the golden on purpose only: KES_UPDATE_GOLDEN=1.
TEST(CommandInfo, FiguresOfEveryRealFileMatchTheGolden)
{
    const std::string golden = std::string(KES_TEST_DATA_DIR) + "/golden/info.txt";
    const CommandResult r = InfoOf({"--info"});
    // Every file is read; honest files of 2001 to 2006, however recently
    // copied, are not warned of as early. What the newer formats hold and a
    // document cannot (pressure altitudes, power, extended data, areas) and
    // the damaged or partly positioned FIT files are told, each file in one line.
    EXPECT_EQ(r.exitCode, 0);
    std::vector<std::string> told;
    for (const std::string& line : r.errLines) told.push_back(line.substr(0, line.find(": ", 12)));
    const std::vector<std::string> expected = {"fit/fit-sample.fit",
                                               "fit/lezyne_super_gps-garmin_fit-sample-bad-endian.fit",
                                               "geojson/geojson.geojson",
                                               "igc/27GLQKF3.igc",
                                               "igc/igc2.igc",
                                               "kml/earth-gc.kml",
                                               "tcx/kona2013.tcx",
                                               "tcx/tcxdata.tcx"};
    std::vector<std::string> files;
    for (const std::string& file : expected) files.push_back("kes-convert: " + file);
    EXPECT_EQ(told, files) << r.err;
    EXPECT_EQ(std::count_if(r.errLines.begin(), r.errLines.end(),
                            [](const std::string& line) { return line.find(": not read: ") != std::string::npos; }),
              0)
        << r.err;
    const char* update = std::getenv("KES_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") WriteText(golden, r.out);
    EXPECT_EQ(r.out, ReadText(golden));
}

TEST(CommandInfo, JsonIsReadBackWithTheSameFigures)
{
    const CommandResult r = InfoOf({"--info", "--json"});
    TempDir dir;
    WriteText(dir.Path("info.json"), r.out);
    std::string out;
    const std::string read = "import json,sys; d=json.load(open(sys.argv[1]))['files']; "
                             "f={x['file']: x for x in d}; "
                             "print(len(d), f['mapsend/chicago.trk']['tracks'][0]['figures']['points'], "
                             "sum('error' in x for x in d))";
    EXPECT_EQ(RunShell("python3 -c " + Quoted(read) + " " + Quoted(dir.Path("info.json")), out), 0) << r.out;
    EXPECT_EQ(out, std::to_string(DataFiles().size()) + " 2000 0\n");
}
