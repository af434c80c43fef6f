// SPDX-License-Identifier: GPL-3.0-or-later
// The figures as the view shows them: durations from the earliest to the
// latest time, none for a set of waypoints, in the units chosen.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTableWidget>

#include "core/convert/catalogue.h"
#include "formats/format_table.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_files.h"
#include "ui/view/DataView.h"
#include "ui/window/IniFile.h"

namespace {
// The figures' columns, as the view orders them.
enum Column { Kind = 0, Duration = 6, Length = 7, Lowest = 8 };

bool ShowAndWait(DataView& view, const std::string& file, Input format)
{
    QSignalSpy done(&view, &DataView::ReadDone);
    view.ShowFile(QString::fromStdString(file), static_cast<int>(format));
    return done.count() > 0 || done.wait(10000);
}
}  // namespace

TEST(FiguresShown, ARoutesDurationIsNeverNegativeAndAWaypointSetHasNone)
{
    DataView view{TestCatalogue()};
    ASSERT_TRUE(ShowAndWait(view, FixturePath("mapsource/gdb-sample.gdb"), Input::MapsourceWaypoints));
    QTableWidget* table = view.Table();
    int routes = 0, sets = 0;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QString kind = table->item(row, Kind)->text(), duration = table->item(row, Duration)->text();
        EXPECT_FALSE(duration.startsWith('-')) << kind.toStdString() << " " << duration.toStdString();
        if (kind == "Waypoints") {
            ++sets;
            EXPECT_TRUE(duration.isEmpty());
        }
        routes += kind == "Route";
    }
    EXPECT_GT(routes, 0);
    EXPECT_EQ(sets, 1);
}

TEST(FiguresShown, InTheUnitsChosenWhichTheSettingsKeep)
{
    TempDir dir;
    const std::string track = dir.Path("t.gpx"), settings = dir.Path("kesTranscribe.ini");
    // One degree along the equator, at 100 m.
    WriteText(track, "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\"><trk><trkseg>"
                     "<trkpt lat=\"0\" lon=\"0\"><ele>100</ele></trkpt><trkpt lat=\"0\" lon=\"1\"><ele>100</ele>"
                     "</trkpt></trkseg></trk></gpx>\n");
    DataView view{TestCatalogue()};
    view.UseSettings({settings, dir.Root().string(), false});
    ASSERT_TRUE(ShowAndWait(view, track, Input::GpxTracks));
    const struct {
        Units units;
        const char *length, *lowest, *kept;
    } rows[] = {
        {Units::Imperial, "69.171 mi", "328 ft", "imperial"},
        {Units::Nautical, "60.108 NM", "100.0 m", "nautical"},
        {Units::Metric, "111.319 km", "100.0 m", "metric"},
    };
    for (const auto& row : rows) {
        view.ChooseUnits(row.units);
        EXPECT_EQ(view.Table()->item(0, Length)->text(), row.length);
        EXPECT_EQ(view.Table()->item(0, Lowest)->text(), row.lowest);
        EXPECT_EQ(IniFile(settings).ReadString("View", "Units", ""), row.kept);
        DataView later{TestCatalogue()};
        later.UseSettings({settings, dir.Root().string(), false});
        EXPECT_EQ(later.ShownUnits(), row.units);
    }
}
