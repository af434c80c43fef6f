// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <cstdio>
#include <optional>

#include "formats/format_table.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"
#include "ui/window/WindowCommandLine.h"

// The files a file manager or a shell passes to the program take the same
// path as files dropped on the window.
TEST_F(WindowTest, FilesNamedOnTheCommandLineBecomeTheInputChoice)
{
    Open();
    const QString root = QString::fromStdString(dir.Root().string());
    const QString folder = root + "/my tracks";
    const QString started = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root));
    window->ChooseInputFiles({"my tracks/a.plt", "", "./my tracks/../my tracks/b.plt"});
    QDir::setCurrent(started);

    EXPECT_EQ(window->cInputFile->text(), '"' + folder + "/a.plt\"");
    EXPECT_EQ(window->cInputFile->ChosenFiles(), QStringList({folder + "/a.plt", folder + "/b.plt"}));
    EXPECT_EQ(window->cInputFile->InitialDir(), folder);

    // No names (the program started from its menu entry) keep what is there.
    for (const QStringList& none : {QStringList(), QStringList{""}}) {
        window->ChooseInputFiles(none);
        EXPECT_EQ(window->cInputFile->ChosenFiles().size(), 2);
        EXPECT_EQ(window->cInputFile->InitialDir(), folder);
    }
}

// A file handed over selects the format its content names, of the output's
// kind, unless the selected format can be the file's.
TEST_F(WindowTest, FilesHandedOverSelectTheFormatTheirContentNames)
{
    Open();
    const std::string gpx = dir.Path("walk.gpx"), nobletec = dir.Path("marks.txt");
    WriteText(gpx, "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"x\"></gpx>\n");
    WriteText(nobletec, "[Mark]\r\n");
    const struct {
        int input, output;
        std::string file;
        int selected;
    } rows[] = {
        // NMEA before, a track output: GPX tracks
        {Position(Input::Nmea), Position(Output::KesTrack), gpx, Position(Input::GpxTracks)},
        // a waypoint output: GPX waypoints and routes
        {Position(Input::Nmea), Position(Output::KesWaypoint), gpx, Position(Input::GpxWaypoints)},
        // no output: the selected format is one the file may be
        {Position(Input::GpxTracks), -1, gpx, Position(Input::GpxTracks)},
        // no output: the first of the two formats it may be, never the one left selected
        {Position(Input::Nmea), -1, gpx, Position(Input::GpxWaypoints)},
        // the content names no format, nor does the extension alone: the format of the file before goes
        {Position(Input::Nmea), Position(Output::KesTrack), nobletec, -1},
        // unreadable: Convert will say why
        {Position(Input::NobletecWaypoints), Position(Output::KesTrack), dir.Path("missing.gpx"),
         Position(Input::NobletecWaypoints)},
    };
    for (const auto& row : rows) {
        window->cOutputFileFormat->setCurrentIndex(row.output);
        window->cInputFileFormat->setCurrentIndex(row.input);
        window->ChooseInputFiles({QString::fromStdString(row.file)});
        EXPECT_EQ(window->InputPosition(), row.selected) << row.file << " after " << row.input;
    }
}

TEST(AnswerCommandLine, AnswersHelpAndVersionOnlyBeforeADoubleDash)
{
    const struct {
        std::vector<std::string> arguments;
        std::optional<int> status;
        std::string starts;
    } rows[] = {
        {{"--help"}, 0, "Usage: kesTranscribe"},
        {{"a.gpx", "-h"}, 0, "Usage: kesTranscribe"},
        {{"--version"}, 0, "kesTranscribe "},
        {{"-V"}, 0, "kesTranscribe "},
        {{"--", "--help"}, std::nullopt, ""},
        {{"a.gpx", "--helpful"}, std::nullopt, ""},
        {{}, std::nullopt, ""},
    };
    for (const auto& row : rows) {
        char buffer[2048] = {};
        std::FILE* out = fmemopen(buffer, sizeof buffer - 1, "w");
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(AnswerCommandLine(row.arguments, out), row.status) << row.arguments.size();
        std::fclose(out);
        EXPECT_TRUE(std::string(buffer).starts_with(row.starts)) << buffer;
        if (!row.status) {
            EXPECT_STREQ(buffer, "");
        }
    }
}

// Files of several formats chosen together go into one output, each read as
// its content says.
TEST_F(WindowTest, FilesOfSeveralFormatsChosenTogetherGoIntoOneKmlFile)
{
    Open();
    const std::string data = KES_TEST_DATA_DIR;
    const QStringList inputs = {QString::fromStdString(data + "/gpx/basecamp.gpx"),
                                QString::fromStdString(data + "/nmea/receiver.log"),
                                QString::fromStdString(data + "/mapsource/gdb-sample.gdb")};
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    window->cInputFileFormat->setCurrentIndex(Position(Input::GpxWaypoints));
    window->ChooseInputFiles(inputs);
    window->cOutPutFile->setText(QString::fromStdString(dir.Path("all.kml")));
    ConvertNow();
    EXPECT_TRUE(window->Lines().contains("Written: 201 waypoints, 2 routes, 903 track points in 11 tracks"))
        << window->Lines().join("|").toStdString();
    EXPECT_EQ(window->Lines().filter("Loading").size(), 3);
    EXPECT_TRUE(std::filesystem::exists(dir.Path("all.kml")));
}
