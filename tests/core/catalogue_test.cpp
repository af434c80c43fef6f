// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/convert/catalogue.h"
#include "formats/format_table.h"
#include "tests/support/test_catalogue.h"

namespace {
const FileType_Record& In(Input format) { return TestCatalogue().Inputs()[Position(format)]; }
const FileType_Record& Out(Output format) { return TestCatalogue().Outputs()[Position(format)]; }
}  // namespace

TEST(Catalogue, RowsInTheirPositions)
{
    const FormatCatalogue& catalogue = TestCatalogue();
    ASSERT_EQ(catalogue.Inputs().size(), static_cast<std::size_t>(Input::Count));
    ASSERT_EQ(catalogue.Outputs().size(), static_cast<std::size_t>(Output::Count));
    EXPECT_EQ(In(Input::KesWaypoint).Filter, "Kestrelmaps Waypoint (*.wpt)|*.wpt");
    EXPECT_EQ(In(Input::NobletecWaypoints).DisplayName, "Nobletec Export File - Waypoints (.txt)");
    EXPECT_EQ(In(Input::MapsourceWaypoints).Filter, "Mapsource Waypoint (*.mps;*.gdb)|*.mps;*.gdb");
    EXPECT_EQ(In(Input::TomTom).DisplayName, "TomTom Waypoint");
    for (Input format : {Input::Nmea, Input::MagellanWaypoint, Input::MagellanTrack})
        EXPECT_EQ(In(format).Filter.substr(In(format).Filter.find('|')), "|*.*");
    for (std::size_t p = 0; p < catalogue.Inputs().size(); ++p)
        EXPECT_EQ(catalogue.Inputs()[p].Position, static_cast<int>(p));
    for (std::size_t p = 0; p < catalogue.Outputs().size(); ++p)
        EXPECT_EQ(catalogue.Outputs()[p].Position, static_cast<int>(p));
    // The native and Holux outputs are the formats read under the same positions.
    for (Output format : {Output::KesWaypoint, Output::KesTrack, Output::HoluxWaypoint, Output::HoluxTrack}) {
        const FileType_Record& read = catalogue.Inputs()[Position(format)];
        EXPECT_EQ(Out(format).DisplayName, read.DisplayName);
        EXPECT_EQ(Out(format).Filter, read.Filter);
        EXPECT_EQ(Out(format).Kind, read.Kind);
    }

    const struct {
        const FileType_Record& row;
        const char *displayName, *filter;
        FormatKind kind;
        const char* name;
    } gpx[] = {
        {In(Input::GpxWaypoints), "GPX Waypoints/Routes (.gpx)", "GPX Waypoint (*.gpx)|*.gpx", FormatKind::Waypoints,
         "gpx-wpt"},
        {In(Input::GpxTracks), "GPX Tracks (.gpx)", "GPX Track (*.gpx)|*.gpx", FormatKind::Tracks, "gpx-trk"},
        {Out(Output::GpxWaypoints), "GPX Waypoints/Routes (.gpx)", "GPX Waypoint (*.gpx)|*.gpx", FormatKind::Waypoints,
         "gpx-wpt"},
        {Out(Output::GpxTrack), "GPX Track (.gpx)", "GPX Track (*.gpx)|*.gpx", FormatKind::Tracks, "gpx-trk"},
    };
    for (const auto& g : gpx) {
        EXPECT_EQ(g.row.DisplayName, g.displayName);
        EXPECT_EQ(g.row.Filter, g.filter);
        EXPECT_EQ(g.row.Kind, g.kind);
        EXPECT_EQ(g.row.Name, g.name);
        EXPECT_EQ(g.row.Extension, "gpx");
    }
}

TEST(Catalogue, KindsDecideWhatConvertsIntoWhatAndNamesWhatIsTheSameFormat)
{
    const FormatCatalogue& catalogue = TestCatalogue();
    const int inputs = static_cast<int>(Input::Count), outputs = static_cast<int>(Output::Count);
    for (int in = 0; in < inputs; ++in)
        for (int out = 0; out < outputs; ++out)
            EXPECT_EQ(catalogue.Compatible(in, out), catalogue.Outputs()[out].Kind == FormatKind::Everything ||
                                                         catalogue.Inputs()[in].Kind == catalogue.Outputs()[out].Kind)
                << in << " " << out;
    EXPECT_TRUE(catalogue.Compatible(Position(Input::GpxWaypoints), Position(Output::Gpx)));
    EXPECT_TRUE(catalogue.Compatible(Position(Input::Nmea), Position(Output::Gpx)));
    EXPECT_TRUE(catalogue.Compatible(Position(Input::TomTom), Position(Output::GpxWaypoints)));
    EXPECT_FALSE(catalogue.Compatible(Position(Input::MapsourceWaypoints), Position(Output::KesTrack)));
    EXPECT_TRUE(catalogue.Compatible(Position(Input::MapsourceTracks), Position(Output::HoluxTrack)));
    EXPECT_FALSE(catalogue.Compatible(inputs, 0));
    EXPECT_FALSE(catalogue.Compatible(0, outputs));
    EXPECT_FALSE(catalogue.Compatible(0, -1));

    // Formats, not positions: MapSend waypoints into GPX waypoints are two formats at one position.
    const struct {
        int in, out;
        bool same;
    } pairs[] = {
        {Position(Input::KesWaypoint), Position(Output::KesWaypoint), true},
        {Position(Input::HoluxTrack), Position(Output::HoluxTrack), true},
        {Position(Input::GpxWaypoints), Position(Output::GpxWaypoints), true},
        {Position(Input::GpxTracks), Position(Output::GpxTrack), true},
        {Position(Input::MapsendWaypoint), Position(Output::GpxWaypoints), false},
        {Position(Input::MapsendTrack), Position(Output::GpxTrack), false},
        {Position(Input::GpxWaypoints), Position(Output::KesWaypoint), false},
        {Position(Input::KesTrack), Position(Output::GpxTrack), false},
        {inputs, Position(Output::GpxWaypoints), false},
        {Position(Input::GpxWaypoints), -1, false},
    };
    for (const auto& p : pairs) EXPECT_EQ(catalogue.SameFormat(p.in, p.out), p.same) << p.in << " " << p.out;
}

// A catalogue is the value of the rows it was made from: one made of a few
// rows knows only those, and leaves every other catalogue as it was.
TEST(Catalogue, IsTheValueOfTheRowsItWasMadeFrom)
{
    const FormatRows& known = KnownFormats();
    const FormatCatalogue few({known.inputs.first(2), known.outputs.first(1)});
    EXPECT_EQ(few.Inputs().size(), 2u);
    EXPECT_TRUE(few.IsInput(1));
    EXPECT_FALSE(few.IsInput(2));
    EXPECT_FALSE(few.IsOutput(1));
    EXPECT_THROW(few.InputRow(2), std::out_of_range);
    EXPECT_EQ(&few.InputRow(1), &known.inputs[1]);
    EXPECT_EQ(TestCatalogue().Inputs().size(), static_cast<std::size_t>(Input::Count));
}
