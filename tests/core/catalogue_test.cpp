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
    for (int p = 0; p < kOutputFormatCount; ++p) {
        EXPECT_EQ(OutputFormats[p].DisplayName, InputFormats[p].DisplayName);
        EXPECT_EQ(OutputFormats[p].Filter, InputFormats[p].Filter);
        EXPECT_EQ(OutputFormats[p].Kind, InputFormats[p].Kind);
    }
}

TEST(Catalogue, KindsDecideWhatConvertsIntoWhat)
{
    BuildFormatCatalogue();
    for (int in : {0, 2, 4, 6, 9, 11, 13}) {
        EXPECT_TRUE(FormatsCompatible(in, 0));
        EXPECT_TRUE(FormatsCompatible(in, 2));
        EXPECT_FALSE(FormatsCompatible(in, 1));
    }
    for (int in : {1, 3, 5, 7, 8, 10, 12}) {
        EXPECT_TRUE(FormatsCompatible(in, 3));
        EXPECT_FALSE(FormatsCompatible(in, 0));
    }
    EXPECT_FALSE(FormatsCompatible(14, 0));
    EXPECT_FALSE(FormatsCompatible(0, -1));
}
