// SPDX-License-Identifier: GPL-3.0-or-later
// The point lists beside the map: a row chosen marks and centres its point, a
// point clicked selects its row; sorted and searched by name; the profile's
// axes, the scale bar's round lengths, and the window on a small screen.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include "core/convert/catalogue.h"
#include "formats/format_table.h"
#include "tests/support/test_catalogue.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/ShapePanel.h"
#include "ui/panels/WrappingRow.h"
#include "ui/view/DataView.h"
#include "ui/view/MapProjection.h"
#include "ui/view/MapView.h"
#include "ui/view/PointsPane.h"
#include "ui/view/ProfileView.h"
#include "ui/view/TimeAxis.h"

namespace {
const std::string kPlaces =
    "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
    "<wpt lat=\"52.5\" lon=\"13.4\"><ele>34</ele><name>Berlin</name><cmt>capital</cmt><sym>City</sym></wpt>"
    "<wpt lat=\"48.85\" lon=\"2.35\"><name>Paris</name></wpt>"
    "<wpt lat=\"50.77\" lon=\"6.08\"><name>aachen</name></wpt>"
    "<trk><name>Walk</name><trkseg>"
    "<trkpt lat=\"50\" lon=\"8\"><ele>100</ele><time>2024-01-01T23:30:00Z</time><name>start</name></trkpt>"
    "<trkpt lat=\"50.01\" lon=\"8\"><ele>120</ele><time>2024-01-02T00:00:00Z</time></trkpt>"
    "<trkpt lat=\"50.02\" lon=\"8\"><ele>110</ele><time>2024-01-02T00:30:00Z</time><name>end</name></trkpt>"
    "</trkseg></trk></gpx>";

class PointListTest : public ::testing::Test {
protected:
    TempDir dir;
    DataView view{TestCatalogue()};
    PointListTest()
    {
        WriteText(dir.Path("p.gpx"), kPlaces);
        QSignalSpy done(&view, &DataView::ReadDone);
        view.ShowFile(QString::fromStdString(dir.Path("p.gpx")), static_cast<int>(Input::GpxTracks));
        EXPECT_TRUE(done.count() > 0 || done.wait(10000));
        view.resize(900, 800);
        view.show();
    }
    QStringList Names() const
    {
        QStringList names;
        const QAbstractItemModel* rows = view.PointsTab()->Table()->model();
        for (int r = 0; r < rows->rowCount(); ++r) names << rows->index(r, PointTableModel::Name).data().toString();
        return names;
    }
};
}  // namespace

TEST_F(PointListTest, ARowChosenMarksAndCentresItsPointAndAPointClickedSelectsItsRow)
{
    const struct {
        GroupKind kind;
        int group, point;
        double latitude, longitude;
        const char* details;
    } cases[] = {
        {GroupKind::Waypoints, 0, 0, 52.5, 13.4,
         "Berlin · 52.500000° N, 13.400000° E · 34.0 m · symbol City · capital"},
        {GroupKind::Waypoints, 0, 2, 50.77, 6.08, "aachen · 50.770000° N, 6.080000° E"},
        {GroupKind::Track, 0, 2, 50.02, 8, "Point 3 of 3: end · 50.020000° N, 8.000000° E · 110.0 m · "},
    };
    PointsPane* pane = view.PointsTab();
    MapView* map = view.Map();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.details);
        const QPointF place(c.latitude, c.longitude);
        // Chosen in the list: marked, in the middle of the map.
        view.Map()->FitToData();
        pane->ShowSource({c.kind, c.group});
        const QAbstractItemModel* rows = pane->Table()->model();
        pane->Table()->setCurrentIndex(rows->index(c.point, PointTableModel::Name));
        ASSERT_EQ(map->ChosenPoint(), place);
        EXPECT_LT(QLineF(map->Centre(), WorldOf(c.latitude, c.longitude)).length() * map->Scale(), 0.5);
        EXPECT_TRUE(pane->DetailsLabel()->text().startsWith(QString::fromUtf8(c.details)));
        // Clicked on the map, away from the list's choice: its row is selected, the map stays.
        pane->ShowSource({c.kind == GroupKind::Waypoints ? GroupKind::Track : GroupKind::Waypoints, 0});
        map->FitToData();
        const QPointF centre = map->Centre();
        QTest::mouseClick(map, Qt::LeftButton, {},
                          map->ScreenOf(WorldOf(c.latitude, c.longitude), map->size()).toPoint());
        EXPECT_EQ(pane->Source(), (PointSource{c.kind, c.group}));
        EXPECT_EQ(pane->SelectedPoint(), c.point);
        EXPECT_EQ(map->Centre(), centre);
        EXPECT_EQ(view.Tabs()->currentWidget(), pane);
    }
}

TEST_F(PointListTest, SortedAndSearchedByName)
{
    PointsPane* pane = view.PointsTab();
    pane->ShowSource({GroupKind::Waypoints, 0});
    const struct {
        const char* search;
        Qt::SortOrder order;
        QStringList names;
    } cases[] = {
        {"", Qt::AscendingOrder, {"aachen", "Berlin", "Paris"}},
        {"", Qt::DescendingOrder, {"Paris", "Berlin", "aachen"}},
        {"A", Qt::AscendingOrder, {"aachen", "Paris"}},
        {"  ber ", Qt::AscendingOrder, {"Berlin"}},
        {"nowhere", Qt::AscendingOrder, {}},
    };
    for (const auto& c : cases) {
        pane->SearchField()->setText(c.search);
        pane->Table()->sortByColumn(PointTableModel::Name, c.order);
        EXPECT_EQ(Names(), c.names) << c.search;
    }
    // A point clicked on the map that the search hides is shown again.
    pane->SearchField()->setText("nowhere");
    pane->SelectPoint({GroupKind::Waypoints, 0}, 1);
    EXPECT_EQ(pane->SelectedPoint(), 1);
    EXPECT_TRUE(pane->SearchField()->text().isEmpty());
}

TEST(TimeAxis, RoundTimesInTheZoneShownWithTheDayAtMidnight)
{
    const double evening = 1704151800;  // 2024-01-01 23:30:00 UTC
    const struct {
        double first, last, least;
        const char* zone;
        QStringList labels;
    } cases[] = {
        {evening, evening + 3600, 900, "UTC", {"23:30", "23:45", "01-02", "00:15", "00:30"}},
        {evening, evening + 3600, 1000, "UTC", {"23:30", "01-02", "00:30"}},
        {evening + 5, evening + 40, 8, "UTC", {"23:30:10", "23:30:20", "23:30:30", "23:30:40"}},
        {evening, evening + 3600, 1800, "Europe/Berlin", {"00:30", "01:00", "01:30"}},
        {evening, evening + 3 * 86400, 86400, "UTC", {"2024-01-02", "2024-01-03", "2024-01-04"}},
    };
    for (const auto& c : cases) {
        const TimeZone zone = TimeZone::Named(c.zone).value_or(TimeZone());
        QStringList labels;
        for (const TimeTick& tick : TimeTicks(c.first, c.last, c.least, zone)) labels << tick.text;
        EXPECT_EQ(labels, c.labels) << c.zone << " " << c.least;
    }
    EXPECT_TRUE(TimeTicks(evening, evening - 1, 60, TimeZone()).empty());
    EXPECT_LE(TimeTicks(0, 1e12, 0, TimeZone()).size(), 201u);  // never more marks than room
}

// The labels along the profile's bottom never crowd: at any width, by distance or by time.
TEST_F(PointListTest, TheProfilesLabelsLeaveRoomBetweenThem)
{
    view.Table()->selectRow(0);
    ProfileView* profile = view.Profile();
    for (const bool time : {false, true})
        for (int width = 300; width <= 1600; width += 50) {
            profile->SetTimeAxis(time);
            const QStringList labels = profile->BottomLabels(QSize(width, 150));
            int room = 0;
            for (const QString& label : labels) room += profile->fontMetrics().horizontalAdvance(label) + 8;
            EXPECT_GE(labels.size(), 2) << width;
            EXPECT_LE(room, width - 60) << width << " " << labels.join(' ').toStdString();
        }
    profile->SetTimeAxis(true);
    EXPECT_EQ(profile->BottomLabels(QSize(1600, 150)).front(), "23:30");
}

TEST(Units, TheScaleBarsRoundLengths)
{
    const struct {
        double metres;
        Units units;
        const char* text;
    } cases[] = {
        {900, Units::Metric, "500 m"},   {25000, Units::Metric, "20 km"},   {900, Units::Imperial, "2000 ft"},
        {5000, Units::Imperial, "2 mi"}, {1500, Units::Nautical, "1000 m"}, {30000, Units::Nautical, "10 NM"},
    };
    for (const auto& c : cases) {
        const RoundLength round = RoundLengthBelow(c.metres, c.units);
        EXPECT_EQ(round.text, c.text);
        EXPECT_LE(round.metres, c.metres);
        EXPECT_GT(round.metres, c.metres / 5);
    }
}

// At 1920×1080 with scale 2 (960 logical pixels) the window fits the screen:
// while the view reads, once it has read, and with the Shape panel.
TEST_F(WindowTest, TheWindowFitsAScreenOfItsLeastWidth)
{
    Open();
    window->ChooseInputFiles({QString::fromStdString(FixturePath("mapsource/gdb-sample.gdb"))});
    ShowActive();
    const QRect screen = window->screen()->availableGeometry();
    for (const char* moment : {"reading", "read", "shape panel"}) {
        if (moment == std::string("read")) {
            ASSERT_TRUE(QTest::qWaitFor([this] { return !window->cView->Reading(); }, 10000));
        }
        if (moment == std::string("shape panel")) {
            QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
            EXPECT_TRUE(window->shape_->isVisible());
        }
        QCoreApplication::processEvents();
        EXPECT_LE(window->minimumSizeHint().width(), std::max(960, screen.width())) << moment;
        EXPECT_TRUE(screen.contains(window->geometry())) << moment << ": " << window->geometry().width();
    }
}

// At any width from the widest control up, the controls of a wrapping row lie
// inside it, apart, and on one line once the row is as wide as they ask.
TEST(WrappingRow, ControlsStayWholeAndApartAtAnyWidth)
{
    QWidget owner;
    auto* row = new WrappingRow(&owner);
    for (const char* text : {"Show output", "Fit to data", "Save map...", "UTC", "Shape"})
        row->addWidget(new QPushButton(text, &owner));
    owner.show();
    for (int width = row->minimumSize().width(); width <= row->sizeHint().width() + 40; width += 7) {
        row->setGeometry(QRect(0, 0, width, row->heightForWidth(width)));
        std::vector<QRect> placed;
        for (int i = 0; i < row->count(); ++i) {
            const QRect r = row->itemAt(i)->geometry();
            EXPECT_TRUE(QRect(0, 0, width, row->heightForWidth(width)).contains(r)) << width;
            for (const QRect& other : placed) EXPECT_FALSE(r.intersects(other)) << width;
            placed.push_back(r);
        }
        if (width >= row->sizeHint().width()) {
            EXPECT_EQ(row->heightForWidth(width), row->sizeHint().height()) << width;
        }
    }
}
