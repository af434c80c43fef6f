// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/catalogue.h"

TEST(Catalogue, RowsInTheirPositions)
{
    BuildFormatCatalogue();
    EXPECT_EQ(InputFormats[0].Filter, "Kestrelmaps Waypoint (*.wpt)|*.wpt");
    EXPECT_EQ(InputFormats[6].DisplayName, "Nobletec Export File - Waypoints (.txt)");
    EXPECT_EQ(InputFormats[11].Filter, "Mapsource Waypoint (*.mps;*.gdb)|*.mps;*.gdb");
    EXPECT_EQ(InputFormats[13].DisplayName, "TomTom Waypoint");
    for (int p : {8, 9, 10}) EXPECT_EQ(InputFormats[p].Filter.substr(InputFormats[p].Filter.find('|')), "|*.*");
    for (int p = 0; p < kInputFormatCount; ++p) EXPECT_EQ(InputFormats[p].Position, p);
    for (int p = 0; p < kOutputFormatCount; ++p) EXPECT_EQ(OutputFormats[p].Position, p);
    // The native and Holux outputs are the formats read under the same positions.
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(OutputFormats[p].DisplayName, InputFormats[p].DisplayName);
        EXPECT_EQ(OutputFormats[p].Filter, InputFormats[p].Filter);
        EXPECT_EQ(OutputFormats[p].Kind, InputFormats[p].Kind);
    }

    const struct {
        const FileType_Record& row;
        const char *displayName, *filter, *kind, *name;
    } gpx[] = {
        {InputFormats[14], "GPX Waypoints/Routes (.gpx)", "GPX Waypoint (*.gpx)|*.gpx", "wp", "gpx-wpt"},
        {InputFormats[15], "GPX Tracks (.gpx)", "GPX Track (*.gpx)|*.gpx", "trk", "gpx-trk"},
        {OutputFormats[4], "GPX Waypoints/Routes (.gpx)", "GPX Waypoint (*.gpx)|*.gpx", "wp", "gpx-wpt"},
        {OutputFormats[5], "GPX Track (.gpx)", "GPX Track (*.gpx)|*.gpx", "trk", "gpx-trk"},
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
    BuildFormatCatalogue();
    for (int in : {0, 2, 4, 6, 9, 11, 13, 14}) {
        for (int out : {0, 2, 4}) EXPECT_TRUE(FormatsCompatible(in, out)) << in << " " << out;
        for (int out : {1, 3, 5}) EXPECT_FALSE(FormatsCompatible(in, out)) << in << " " << out;
    }
    for (int in : {1, 3, 5, 7, 8, 10, 12, 15}) {
        for (int out : {1, 3, 5}) EXPECT_TRUE(FormatsCompatible(in, out)) << in << " " << out;
        EXPECT_FALSE(FormatsCompatible(in, 0));
    }
    EXPECT_FALSE(FormatsCompatible(16, 0));
    EXPECT_FALSE(FormatsCompatible(0, 6));
    EXPECT_FALSE(FormatsCompatible(0, -1));

    // Formats, not positions: MapSend waypoints (input 4) into GPX (output 4) are two formats.
    const struct {
        int in, out;
        bool same;
    } pairs[] = {{0, 0, true},  {3, 3, true},   {14, 4, true}, {15, 5, true},  {4, 4, false},
                 {5, 5, false}, {14, 0, false}, {1, 5, false}, {16, 4, false}, {14, -1, false}};
    for (const auto& p : pairs) EXPECT_EQ(SameFormat(p.in, p.out), p.same) << p.in << " " << p.out;
}
