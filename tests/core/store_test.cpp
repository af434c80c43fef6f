// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "core/clock.h"
#include "core/store.h"

TEST(PointStore, ClearWaypointsGivesEveryEntryItsResetValues)
{
    WaypointList[10000].Name = "stale";
    WaypointCount = 5;
    ClearWaypoints();
    const WayPoints& w = WaypointList[10000];
    EXPECT_EQ(WaypointCount, 0);
    EXPECT_EQ(w.Number, -1);
    EXPECT_EQ(w.Name, "");
    EXPECT_FLOAT_EQ(w.Altitude, -777.0f);
    EXPECT_DOUBLE_EQ(w.DateTime, 33605.0);
    EXPECT_EQ(w.Column8, 3);
    EXPECT_EQ(w.Column10, 65535);
    EXPECT_EQ(w.Column16, 8);
    EXPECT_EQ(w.Column18, 17);
    EXPECT_FLOAT_EQ(w.Column20, 10.0f);
    EXPECT_EQ(w.Column21, 2);
    EXPECT_EQ(w.Symbol, 0);
    EXPECT_EQ(w.Column9, 0);
    EXPECT_DOUBLE_EQ(w.Latitude, 0.0);
}

TEST(PointStore, ClearRoutesNamesAndColoursEverySlot)
{
    ClearRoutes();
    EXPECT_EQ(RouteList[0].Name, "R0");
    EXPECT_EQ(RouteList[7].Name, "R7");
    EXPECT_EQ(RouteColours[7], 255u);
    EXPECT_EQ(RouteList[100].Name, "R100");
    EXPECT_EQ(RouteColours[100], 65280u);
    EXPECT_EQ(RouteColours[1], 16711680u);
    EXPECT_EQ(RouteColours[6], 8388736u);
    EXPECT_EQ(RouteCount, 0);
    EXPECT_EQ(RouteList[55].Points[1000].Column10, 65535);
}

TEST(PointStore, ClearTracksMarksEverySlotEmptyAndKeepsOtherFields)
{
    TrackPointList[100000].NewSection = 1;
    TrackProps.PointCount = 9;
    ClearTracks();
    EXPECT_EQ(TrackProps.PointCount, 0);
    EXPECT_DOUBLE_EQ(TrackPointList[100000].Latitude, -777.0);
    EXPECT_DOUBLE_EQ(TrackPointList[100000].Longitude, -777.0);
    EXPECT_EQ(TrackPointList[100000].NewSection, 1);
}

TEST(PointStore, IndexOutsideATableThrowsInsteadOfWriting)
{
    EXPECT_THROW(WaypointList[0], std::out_of_range);
    EXPECT_THROW(WaypointList[10001], std::out_of_range);
    EXPECT_THROW(TrackPointList[100001], std::out_of_range);
    EXPECT_THROW(TrackPointList[-1], std::out_of_range);
    EXPECT_THROW(RouteList[101], std::out_of_range);
    EXPECT_THROW(RouteList[1].Points[0], std::out_of_range);
}

namespace {
struct Item {
    int reset = 0;  // set by every reset
    int kept = 0;   // left alone by resets
    std::string text;
};
using SmallTable = IndexedTable<Item, 1, 300>;  // several blocks, the last one part-filled

void ResetBoth(SmallTable& table, std::vector<Item>& model, int value)
{
    auto reset = [value](Item& item) {
        item.reset = value;
        item.text = "r" + std::to_string(value);
    };
    table.ResetAll(reset);
    for (Item& item : model) reset(item);
}
}  // namespace

// Random writes, reads and resets, against a plain array reset in full each time.
TEST(IndexedTable, ResetsAppliedOnFirstUseGiveWhatFullResetsGive)
{
    SmallTable table;
    const SmallTable& reading = table;
    std::vector<Item> model(SmallTable::kSize);
    std::mt19937 random(11);
    for (int step = 0; step < 20000; ++step) {
        const int index = 1 + static_cast<int>(random() % 300);
        Item& expected = model[static_cast<std::size_t>(index - 1)];
        switch (random() % 8) {
        case 0: ResetBoth(table, model, step); break;
        case 1:
        case 2:
            table[index].kept = step;
            expected.kept = step;
            break;
        case 3:
            table[index].text = "w" + std::to_string(step);
            expected.text = table[index].text;
            break;
        default: {
            const Item& got = random() % 2 ? reading[index] : table[index];
            ASSERT_EQ(got.reset, expected.reset) << step;
            ASSERT_EQ(got.kept, expected.kept) << step;
            ASSERT_EQ(got.text, expected.text) << step;
        }
        }
    }
    for (int i = 1; i <= 300; ++i) EXPECT_EQ(reading[i].text, model[static_cast<std::size_t>(i - 1)].text) << i;
}

TEST(IndexedTable, AnUntouchedTableIsZeroAndACopyStandsAlone)
{
    SmallTable table;
    EXPECT_EQ(table[300].reset, 0);
    EXPECT_EQ(table[300].text, "");
    std::vector<Item> model(SmallTable::kSize);
    ResetBoth(table, model, 5);
    table[2].kept = 9;
    SmallTable copy = table;
    copy[2].kept = 10;
    copy[299].text = "copy";
    EXPECT_EQ(table[2].kept, 9);
    EXPECT_EQ(table[299].text, "r5");
    EXPECT_EQ(copy[2].kept, 10);
    EXPECT_EQ(copy[150].text, "r5");  // a reset still pending in the copy
}

// A table of megabytes, past its small pages: copies and moves keep every
// entry, and each table's strings are freed once (the sanitizers watch).
TEST(IndexedTable, ALargeTableCopiesAndMovesWhole)
{
    using LargeTable = IndexedTable<Item, 0, 200000>;
    auto table = std::make_unique<LargeTable>();
    for (int i : {0, 1, 100000, 200000})
        (*table)[i].text = "long enough to leave the string's own room " + std::to_string(i);
    LargeTable copy = *table;
    LargeTable moved = std::move(*table);
    table.reset();
    copy = std::move(moved);
    for (int i : {0, 1, 100000, 200000})
        EXPECT_EQ(copy[i].text, "long enough to leave the string's own room " + std::to_string(i));
    EXPECT_EQ(copy[150000].text, "");
}

TEST(PointStore, RoutePointsTakeTheLatestResetAndKeepTheirAltitude)
{
    PinClock(40000.5, 40000.5);
    ClearRoutes();
    RouteList[3].Points[700].Altitude = 123.0f;
    RouteList[3].Points[700].Name = "old";
    PinClock(40001.25, 40001.25);
    ClearRoutes();
    ClearRoutes();
    UnpinClock();
    const RouteWpRecord& p = RouteList[3].Points[700];
    EXPECT_DOUBLE_EQ(p.DateTime, 40001.25);
    EXPECT_FLOAT_EQ(p.Altitude, 123.0f);
    EXPECT_EQ(p.Name, "");
    EXPECT_EQ(p.Column8, 3);
    EXPECT_DOUBLE_EQ(RouteList[100].Points[1].DateTime, 40001.25);
}
