// SPDX-License-Identifier: GPL-3.0-or-later
// The view of what a file holds: what it shows of built files, the choice of
// a row, a read stopped or overtaken by a conversion, and the map saved.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <mutex>

#include "core/convert/catalogue.h"
#include "formats/format_table.h"
#include "tests/support/test_catalogue.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"
#include "ui/tiles/MapTiles.h"
#include "ui/tiles/TileDialog.h"
#include "ui/view/DataView.h"
#include "ui/view/MapProjection.h"
#include "ui/view/MapView.h"
#include "ui/view/ProfileView.h"

namespace {
const int kGpxTracks = static_cast<int>(Input::GpxTracks), kGpxWaypoints = static_cast<int>(Input::GpxWaypoints);
const int kKesTrack = static_cast<int>(Input::KesTrack);

std::string Gpx(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\" "
           "xmlns=\"http://www.topografix.com/GPX/1/1\">\n" +
           body + "</gpx>\n";
}

// Two tracks: along the equator from 0° to 1° E, up 100 m and down 50; and a
// second of two sections, whose break is not bridged.
const std::string kTwoTracks =
    Gpx("<trk><name>Equator</name><trkseg>"
        "<trkpt lat=\"0\" lon=\"0\"><ele>0</ele><time>2024-01-01T23:30:00Z</time></trkpt>"
        "<trkpt lat=\"0\" lon=\"0.5\"><ele>100</ele></trkpt>"
        "<trkpt lat=\"0\" lon=\"1\"><ele>50</ele><time>2024-01-02T00:30:00Z</time></trkpt>"
        "</trkseg></trk>"
        "<trk><name>Broken</name><trkseg><trkpt lat=\"1\" lon=\"0\"/><trkpt lat=\"2\" lon=\"0\"/></trkseg>"
        "<trkseg><trkpt lat=\"3\" lon=\"0\"/></trkseg></trk>");
const std::string kWaypointsOnly = Gpx(
    "<wpt lat=\"52.5\" lon=\"13.4\"><name>Berlin</name></wpt><wpt lat=\"48.85\" lon=\"2.35\"><name>Paris</name></wpt>");

// A native track file of n points going north-east, large enough to stop in the middle.
std::string LongTrack(int n)
{
    std::string text = "Kestrelmaps Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n"
                       "0,2,255,LONG,1,0,0,255\r\n" +
                       std::to_string(n) + "\r\n";
    char line[96];
    for (int i = 0; i < n; ++i) {
        std::snprintf(line, sizeof line, "%11.6f,%11.6f,%d,%7d,38473.4255440, 01-May-05, 10:12:47\r\n", 45 + i * 1e-5,
                      7 + i * 1e-5, i == 0, i % 500);
        text += line;
    }
    return text;
}

class DataViewTest : public ::testing::Test {
protected:
    TempDir dir;
    DataView view{TestCatalogue()};

    std::string Write(const std::string& name, const std::string& content)
    {
        WriteText(dir.Path(name), content);
        return dir.Path(name);
    }
    bool ShowAndWait(const std::string& file, int position)
    {
        QSignalSpy done(&view, &DataView::ReadDone);
        view.ShowFile(QString::fromStdString(file), position);
        return done.count() > 0 || done.wait(10000);
    }
};
}  // namespace

TEST_F(DataViewTest, ShowsTheCountsAndFiguresOfWhatTheFileHolds)
{
    struct Case {
        std::string content;
        int position;
        std::size_t tracks, waypoints;
        int rows;
        const char* status;
    };
    const Case cases[] = {
        {kTwoTracks, kGpxTracks, 2, 0, 2, "two.gpx: 2 tracks, 0 routes, 0 waypoints"},
        {kWaypointsOnly, kGpxWaypoints, 0, 2, 1, "two.gpx: 0 tracks, 0 routes, 2 waypoints"},
        // No format chosen yet: the view reads the file as its content says.
        {kWaypointsOnly, -1, 0, 2, 1, "two.gpx: 0 tracks, 0 routes, 2 waypoints"},
        {Gpx(""), kGpxTracks, 0, 0, 0, "two.gpx holds no tracks, routes or waypoints"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(ShowAndWait(Write("two.gpx", c.content), c.position));
        ASSERT_TRUE(view.Data()) << c.status;
        EXPECT_EQ(view.Data()->tracks.size(), c.tracks);
        EXPECT_EQ(view.Data()->waypoints.size(), c.waypoints);
        EXPECT_EQ(view.Table()->rowCount(), c.rows);
        EXPECT_EQ(view.Status(), c.status);
        view.ShowFile("", -1);  // the same name is read again
    }
}

TEST_F(DataViewTest, FiguresOfATrackAcrossMidnightWithItsProfile)
{
    ASSERT_TRUE(ShowAndWait(Write("t.gpx", kTwoTracks), kGpxTracks));
    const ViewGroup& equator = view.Data()->tracks[0];
    EXPECT_NEAR(equator.figures.metres, 111319.49, 0.01);
    EXPECT_NEAR(equator.points.back().along, 111319.49, 0.01);
    EXPECT_EQ(equator.figures.ascent, 100);
    EXPECT_EQ(equator.figures.descent, 50);
    EXPECT_EQ(equator.figures.Seconds(), 3600);
    EXPECT_EQ(view.Table()->item(0, 6)->text(), "1:00:00");
    EXPECT_EQ(view.Table()->item(0, 7)->text(), "111.319 km");
    const ViewGroup& broken = view.Data()->tracks[1];
    EXPECT_EQ(broken.figures.sections, 2);
    EXPECT_EQ(broken.points[2].along, broken.points[1].along);  // the break adds nothing
}

TEST_F(DataViewTest, ChoosingARowHighlightsItsGroupAndShowsItsProfile)
{
    ASSERT_TRUE(ShowAndWait(Write("t.gpx", kTwoTracks), kGpxTracks));
    view.Table()->selectRow(1);
    EXPECT_EQ(view.Map()->HighlightKind(), GroupKind::Track);
    EXPECT_EQ(view.Map()->HighlightIndex(), 1);
    EXPECT_FALSE(view.Profile()->HasElevations());
    view.Table()->selectRow(0);
    EXPECT_EQ(view.Map()->HighlightIndex(), 0);
    EXPECT_TRUE(view.Profile()->HasElevations());
    view.Table()->clearSelection();
    EXPECT_EQ(view.Map()->HighlightKind(), GroupKind::None);
}

// Hovering the profile marks the place on the map, at each end and between;
// the profile is saved like the map.
TEST_F(DataViewTest, TheProfileHoveredMarksTheMapAndIsSavedAsPngOrSvg)
{
    ASSERT_TRUE(ShowAndWait(Write("t.gpx", kTwoTracks), kGpxTracks));
    view.resize(640, 480);
    view.show();
    view.Table()->selectRow(0);
    ProfileView* profile = view.Profile();
    const struct {
        double x;  // of the profile's width
        double longitude;
    } rows[] = {{0.0, 0.0}, {0.5, 0.5}, {1.0, 1.0}};
    for (const auto& row : rows) {
        QTest::mouseMove(profile, QPoint(int(row.x * (profile->width() - 1)), profile->height() / 2));
        ASSERT_TRUE(view.Map()->MarkedPlace()) << row.x;
        EXPECT_EQ(view.Map()->MarkedPlace()->y(), row.longitude) << row.x;
    }
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(profile, &leave);
    EXPECT_FALSE(view.Map()->MarkedPlace());
    QString error;
    ASSERT_TRUE(profile->SaveImage(QString::fromStdString(dir.Path("p.png")), error)) << error.toStdString();
    EXPECT_FALSE(QImage(QString::fromStdString(dir.Path("p.png"))).isNull());
    // The line that follows the pointer is the screen's: the picture saved is the same without it.
    QTest::mouseMove(profile, QPoint(profile->width() / 2, profile->height() / 2));
    ASSERT_TRUE(view.Map()->MarkedPlace());
    ASSERT_TRUE(profile->SaveImage(QString::fromStdString(dir.Path("hovered.png")), error)) << error.toStdString();
    EXPECT_EQ(QImage(QString::fromStdString(dir.Path("hovered.png"))),
              QImage(QString::fromStdString(dir.Path("p.png"))));
    ASSERT_TRUE(profile->SaveImage(QString::fromStdString(dir.Path("p.svg")), error)) << error.toStdString();
    EXPECT_TRUE(QSvgRenderer(QString::fromStdString(dir.Path("p.svg"))).isValid());
}

// A track through a waypoint: the chosen track covers the marker, which
// otherwise lies over it; a double click on a row fits the map to its group.
TEST_F(DataViewTest, TheChosenGroupIsDrawnOnTopAndADoubleClickFitsTheMapToIt)
{
    const std::size_t tracks = kTwoTracks.find("<trk>");
    ASSERT_TRUE(ShowAndWait(Write("t.gpx", Gpx("<wpt lat=\"0\" lon=\"0.5\"><name>On it</name></wpt>"
                                               "<wpt lat=\"20\" lon=\"20\"/>" +
                                               kTwoTracks.substr(tracks, kTwoTracks.find("</gpx>") - tracks))),
                            kGpxTracks));
    view.resize(800, 700);
    view.show();
    QTableWidget* table = view.Table();
    MapView* map = view.Map();
    const QSize size = map->size();
    const QColor track = TrackColour(0);
    for (const bool chosen : {false, true}) {
        if (chosen) table->selectRow(0);
        map->FitToData();
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        map->Render(painter, size);
        const QColor atWaypoint = image.pixelColor(map->ScreenOf(WorldOf(0, 0.5), size).toPoint());
        EXPECT_EQ(atWaypoint.rgb() == track.rgb(), chosen) << atWaypoint.name().toStdString();
    }
    const QPoint row = table->visualRect(table->model()->index(1, 1)).center();
    // A double click begins with a click, as the window system sends it.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, row);
    // The track "Broken", from 1° to 3° N, fills the map's height.
    const double top = map->ScreenOf(WorldOf(3, 0), map->size()).y(),
                 bottom = map->ScreenOf(WorldOf(1, 0), map->size()).y();
    EXPECT_NEAR(bottom - top, 0.85 * map->height(), 2);
    EXPECT_NEAR((top + bottom) / 2, map->height() / 2.0, 2);
}

TEST_F(DataViewTest, AReadStoppedByTheUserShowsNothingAndSaysSo)
{
    // The stop is asked for microseconds after the start: far before 200,000 points are read.
    const std::string file = Write("long.plt", LongTrack(200000));
    QSignalSpy done(&view, &DataView::ReadDone);
    view.ShowFile(QString::fromStdString(file), kKesTrack);
    EXPECT_TRUE(view.Reading());
    view.StopButton()->click();
    ASSERT_TRUE(done.wait(10000));
    EXPECT_FALSE(view.Data());
    EXPECT_EQ(view.Status(), "Reading long.plt stopped");
    ASSERT_TRUE(ShowAndWait(file, kKesTrack));  // read again whole when chosen again
    EXPECT_EQ(view.Data()->tracks.at(0).points.size(), 200000u);
}

TEST_F(WindowTest, ConvertWhileTheViewReadsStopsTheReadThenShowsTheOutputReadBack)
{
    Open();
    WriteText(dir.Path("in.plt"), LongTrack(100000));
    window->cInputFileFormat->setCurrentIndex(kKesTrack);
    window->cOutputFileFormat->setCurrentIndex(static_cast<int>(Output::GpxTrack));
    window->cOutPutFile->setText(QString::fromStdString(dir.Path("out.gpx")));
    window->cInputFile->setText(QString::fromStdString(dir.Path("in.plt")));
    window->cView->ShowFile(window->cInputFile->text(), kKesTrack);
    ASSERT_TRUE(window->cView->Reading());
    ConvertNow();
    EXPECT_TRUE(window->Lines().contains("Written: 100000 track points")) << window->Lines().join("|").toStdString();
    ASSERT_TRUE(window->cView->OutputButton()->isEnabled());
    QSignalSpy done(window->cView, &DataView::ReadDone);
    window->cView->OutputButton()->click();
    ASSERT_TRUE(done.wait(20000));
    ASSERT_TRUE(window->cView->Data());
    EXPECT_EQ(window->cView->Data()->tracks.at(0).points.size(), 100000u);
}

TEST_F(DataViewTest, TheMapIsSavedAsAValidPngOrSvg)
{
    ASSERT_TRUE(ShowAndWait(Write("t.gpx", kTwoTracks), kGpxTracks));
    view.resize(640, 480);
    QString error;
    ASSERT_TRUE(view.SaveMap(QString::fromStdString(dir.Path("map.png")), error)) << error.toStdString();
    const QImage png(QString::fromStdString(dir.Path("map.png")));
    EXPECT_EQ(png.size(), view.Map()->size().expandedTo(QSize(320, 240)));
    ASSERT_TRUE(view.SaveMap(QString::fromStdString(dir.Path("map.svg")), error));
    EXPECT_TRUE(QSvgRenderer(QString::fromStdString(dir.Path("map.svg"))).isValid());
    EXPECT_FALSE(view.SaveMap(QString::fromStdString(dir.Path("no/such/map.png")), error));
    EXPECT_FALSE(error.isEmpty());
}

// The land between Berlin and Paris: the same colour in the SVG as in the PNG.
TEST_F(DataViewTest, TheSvgFillsTheLandAsThePngDoes)
{
    ASSERT_TRUE(ShowAndWait(Write("w.gpx", kWaypointsOnly), kGpxWaypoints));
    view.resize(640, 480);
    view.Map()->FitToData();
    QString error;
    ASSERT_TRUE(view.SaveMap(QString::fromStdString(dir.Path("map.png")), error));
    ASSERT_TRUE(view.SaveMap(QString::fromStdString(dir.Path("map.svg")), error));
    const QImage png = QImage(QString::fromStdString(dir.Path("map.png"))).convertToFormat(QImage::Format_RGB32);
    QImage svg(png.size(), QImage::Format_RGB32);
    svg.fill(Qt::white);
    {
        QPainter painter(&svg);
        QSvgRenderer(QString::fromStdString(dir.Path("map.svg"))).render(&painter, QRectF(QPointF(), png.size()));
    }
    const QPoint land = QPoint(png.width() / 2 + 7, png.height() / 2 + 5);
    EXPECT_EQ(png.pixelColor(land), QColor(0xf4, 0xf1, 0xe6));
    EXPECT_EQ(svg.pixelColor(land), png.pixelColor(land));
    // Readers that scale a cosmetic line with its path painted the land in the coast's colour.
    std::string out;
    if (RunShell("command -v rsvg-convert", out) != 0) return;
    ASSERT_EQ(RunShell("rsvg-convert " + Quoted(dir.Path("map.svg")) + " -o " + Quoted(dir.Path("svg.png")), out), 0);
    EXPECT_EQ(QImage(QString::fromStdString(dir.Path("svg.png"))).pixelColor(land), png.pixelColor(land));
}

TEST(MapTiles, UrlsFromTheTemplate)
{
    EXPECT_EQ(MapTiles::TileUrl("https://t.example/{z}/{x}/{y}.png", 3, 4, 5), "https://t.example/3/4/5.png");
    EXPECT_EQ(MapTiles::TileUrl("https://t.example/{z}/{x}.png", 3, 4, 5), "");
    EXPECT_EQ(MapTiles::TileUrl("file:///{z}/{x}/{y}", 3, 4, 5), "");
}

// Tiles are off until an address is set, and then no request is made. What
// "Map tiles..." stores is in the settings file's keys and used at once: an
// empty address turns the tiles off again.
TEST_F(DataViewTest, MapTilesStoresItsKeysAndAnEmptyAddressMakesNoRequest)
{
    const auto rendered = [&] {
        const int before = view.Tiles()->RequestsMade();
        QImage image(300, 200, QImage::Format_RGB32);
        QPainter painter(&image);
        view.Map()->Render(painter, image.size());
        return view.Tiles()->RequestsMade() > before;
    };
    EXPECT_FALSE(view.Tiles()->Enabled());
    EXPECT_FALSE(rendered());
    const std::string file = dir.Path("kesTranscribe.ini");
    WriteText(file, "[View]\nTile Server=https://t.example/{z}/{x}/{y}.png\n");
    view.UseSettings({file, dir.Root().string(), false});
    EXPECT_TRUE(view.Tiles()->Enabled());
    struct Case {
        QString url, credit;
        std::string stored;
    };
    for (const Case& c : {Case{" http://127.0.0.1:9/{z}/{x}/{y}.png ", "© Us",
                               "[View]\nTile Server=http://127.0.0.1:9/{z}/{x}/{y}.png\nTile Attribution=© Us\n"},
                          Case{"", "© Us", "[View]\nTile Server=\nTile Attribution=© Us\n"}}) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TileDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                ADD_FAILURE() << "no Map tiles dialog";
                if (QApplication::activeModalWidget()) QApplication::activeModalWidget()->close();
                return;
            }
            dialog->UrlEdit()->setText(c.url);
            dialog->AttributionEdit()->setText(c.credit);
            dialog->accept();
        });
        view.ChooseTiles();
        EXPECT_EQ(ReadText(file), c.stored);
        EXPECT_EQ(view.Tiles()->Enabled(), !c.url.isEmpty());
        EXPECT_EQ(rendered(), !c.url.isEmpty());
    }
}
