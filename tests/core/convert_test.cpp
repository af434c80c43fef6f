// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/io/file_io.h"
#include "formats/format_table.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_files.h"

namespace {
constexpr int kMagellanWaypoints = Position(Input::MagellanWaypoint);
const char* kWaypointFile = "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n1,Home,52.1,4.3\r\n";

class ConvertAction : public ::testing::Test {
protected:
    RecordingFrontEnd Choose(const std::string& input, int inputPosition, const std::string& output, int outputPosition)
    {
        RecordingFrontEnd f;
        f.inputText = input;
        f.inputPosition = inputPosition;
        f.outputText = output;
        f.outputPosition = outputPosition;
        return f;
    }

    TempDir dir;
};
}  // namespace

TEST_F(ConvertAction, EachCheckStopsWithItsMessageBeforeAnythingHappens)
{
    struct Case {
        std::string input, output;
        int in, out;
        const char* message;
    };
    const Case cases[] = {
        {"  ", "", -1, -1, "Input File not specified"},
        {"a.wpt", " ", -1, -1, "Output File not specified"},
        {"a.wpt", "b.wrt", -1, Position(Output::HoluxWaypoint), "Input File Format not Selected"},
        {"a.wpt", "b.wrt", Position(Input::KesWaypoint), -1, "Output File Format not Selected"},
        {"a.wrt", "b.wrt", Position(Input::HoluxWaypoint), Position(Output::HoluxWaypoint),
         "Input and Output Formats cannot be the same"},
        {"a.gpx", "b.gpx", Position(Input::GpxWaypoints), Position(Output::GpxWaypoints),
         "Input and Output Formats cannot be the same"},
        {"a.gpx", "b.gpx", Position(Input::GpxTracks), Position(Output::GpxTrack),
         "Input and Output Formats cannot be the same"},
        {"a.gpx", "b.gpx", Position(Input::GpxWaypoints), Position(Output::GpxTrack),
         "Input and Output file format types are not the same"},
        {"a.trk", "b.wrt", Position(Input::MapsendTrack), Position(Output::HoluxWaypoint),
         "Input and Output file format types are not the same"},
        {"a.mps", "b.plt", Position(Input::MapsourceWaypoints), Position(Output::KesTrack),
         "Input and Output file format types are not the same"},
    };
    for (const Case& c : cases) {
        RecordingFrontEnd f = Choose(c.input, c.in, c.output, c.out);
        f.lines = {"earlier line"};
        Convert(f);
        EXPECT_EQ(f.events, std::vector<std::string>{std::string("message: ") + c.message}) << c.message;
        EXPECT_EQ(f.lines, std::vector<std::string>{"earlier line"});
    }
}

TEST_F(ConvertAction, ChosenFilesStandInForABlankInputField)
{
    WriteText(dir.Path("t.plt"), "h\r\nWGS 84\r\n\r\n\r\n0,2,255,T\r\n0\r\n1,2\r\n");
    RecordingFrontEnd f = Choose("", Position(Input::KesTrack), dir.Path("out.tlg"), Position(Output::HoluxTrack));
    f.chosenInputs = {dir.Path("t.plt")};
    Convert(f);
    EXPECT_TRUE(f.messages.empty());
    EXPECT_EQ(f.lines.back(), "Done .....");
    EXPECT_TRUE(std::filesystem::exists(dir.Path("out.tlg")));
}

TEST_F(ConvertAction, PlainConversionReportsEveryLineInOrder)
{
    WriteText(dir.Path("in.wpt"), kWaypointFile);
    RecordingFrontEnd f = Choose("\"" + dir.Path("in.wpt") + "\"", Position(Input::KesWaypoint), dir.Path("out.txt"),
                                 Position(Output::HoluxWaypoint));
    Convert(f);
    const std::vector<std::string> expected = {
        "cursor: busy",
        "clear",
        "pump",
        "line: Loading Kes Waypoint file",
        "line: " + dir.Path("in.wpt"),
        "line: ",
        "line: processing .....",
        "line: ",
        "line: Writing Holux Waypoint file",
        "line: " + dir.Path("out.txt"),
        "line: Written: 1 waypoint, 0 routes",
        "cursor: normal",
        "line: ",
        "line: Done .....",
    };
    EXPECT_EQ(f.events, expected);
}

// Whatever the pane shows, or with none at all, the outcome says what became of the conversion.
TEST_F(ConvertAction, TheOutcomeComesAsValuesNotAsTheLinesShown)
{
    WriteText(dir.Path("in.wpt"), kWaypointFile);
    ConversionRequest request;
    request.inputs = {{dir.Path("in.wpt"), Position(Input::KesWaypoint)}};
    request.output = dir.Path("out.wrt");
    request.outputPosition = Position(Output::HoluxWaypoint);
    SilentFrontEnd silent;
    const ConversionOutcome done = Convert(TestCatalogue(), request, silent);
    EXPECT_EQ(done.state, ConversionOutcome::State::Converted);
    EXPECT_EQ(done.counts, (WrittenCounts{.waypoints = 1}));
    EXPECT_EQ(done.written, std::vector<std::string>{dir.Path("out.wrt")});

    request.inputs.front().name = dir.Path("missing.wpt");
    const ConversionOutcome failed = Convert(TestCatalogue(), request, silent);
    EXPECT_EQ(failed.state, ConversionOutcome::State::Failed);
    EXPECT_TRUE(failed.written.empty());
    request.outputPosition = -1;
    EXPECT_EQ(Convert(TestCatalogue(), request, silent).reason, "Output File Format not Selected");
}

TEST_F(ConvertAction, NativeWaypointOutputTakesItsOwnExtension)
{
    WriteText(dir.Path("x.txt"), "");
    RecordingFrontEnd f =
        Choose(dir.Path("x.txt"), kMagellanWaypoints, dir.Path("out.txt"), Position(Output::KesWaypoint));
    Convert(f);
    EXPECT_TRUE(std::filesystem::exists(dir.Path("out.wpt")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.txt")));
    EXPECT_EQ(f.lines[6], dir.Path("out.wpt"));
}

TEST_F(ConvertAction, MapsourceInputWithoutItsSignatureIsRefusedAndWritesNothing)
{
    WriteText(dir.Path("x.gdb"), "MsRc");  // one byte short of a signature
    WriteText(dir.Path("out.plt"), "earlier");
    RecordingFrontEnd f =
        Choose(dir.Path("x.gdb"), Position(Input::MapsourceTracks), dir.Path("out.plt"), Position(Output::KesTrack));
    Convert(f);
    const std::vector<std::string> expected = {"Loading Mapsource Tracks",
                                               dir.Path("x.gdb"),
                                               "Not a Mapsource File",
                                               "Unable to Open File",
                                               "Written: nothing - the input file could not be read",
                                               "",
                                               "Done ....."};
    EXPECT_EQ(f.lines, expected);
    EXPECT_EQ(f.messages, std::vector<std::string>{"This is not a MapSource .mps or .gdb file."});
    EXPECT_EQ(ReadText(dir.Path("out.plt")), "earlier");
}

TEST_F(ConvertAction, SevenTrackFilesToHoluxListTheFirstFive)
{
    RecordingFrontEnd f =
        Choose(dir.Path("t1.plt"), Position(Input::KesTrack), dir.Path("out.tlg"), Position(Output::HoluxTrack));
    for (int i = 1; i <= 7; ++i) f.chosenInputs.push_back(dir.Path("t" + std::to_string(i) + ".plt"));
    try {
        Convert(f);
    } catch (const FileError&) {
        // the track files do not exist; only the listing matters here
    }
    ASSERT_GE(f.lines.size(), 6u);
    EXPECT_EQ(f.lines[0], "Loading Kes Track file(s)");
    EXPECT_EQ(f.lines[5], dir.Path("t5.plt"));
    EXPECT_NE(f.lines.size() > 6 ? f.lines[6] : "", dir.Path("t6.plt"));
}

TEST_F(ConvertAction, AReaderErrorRestoresTheCursorAndOmitsDone)
{
    RecordingFrontEnd f = Choose(dir.Path("missing.wpt"), Position(Input::KesWaypoint), dir.Path("out.wrt"),
                                 Position(Output::HoluxWaypoint));
    const ConversionOutcome outcome = Convert(f);
    EXPECT_EQ(outcome.state, ConversionOutcome::State::Failed);
    EXPECT_EQ(f.events.back(), "cursor: normal");
    EXPECT_FALSE(f.busy);
    EXPECT_EQ(f.lines, (std::vector<std::string>{"Loading Kes Waypoint file", dir.Path("missing.wpt")}));
}

TEST_F(ConvertAction, RefusesToWriteOverItsOwnInput)
{
    WriteText(dir.Path("log.plt"), "data");
    std::filesystem::create_symlink(dir.Path("log.plt"), dir.Path("alias.txt"));
    for (const std::string& input : {dir.Path("log.plt"), dir.Path("alias.txt")}) {
        RecordingFrontEnd f = Choose(input, Position(Input::Nmea), dir.Path("log.txt"), Position(Output::KesTrack));
        Convert(f);
        EXPECT_EQ(f.events, std::vector<std::string>{"message: Output File cannot be the same as the Input File"});
    }
    EXPECT_EQ(ReadText(dir.Path("log.plt")), "data");
}
