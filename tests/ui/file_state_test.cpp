// SPDX-License-Identifier: GPL-3.0-or-later
// What the window holds for a file goes with it: another file opened gets
// its own points list, its own Times row (unless pinned for every file) and
// its own format, and Convert stops the view's read of the file.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "formats/format_table.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"
#include "ui/panels/TimesRow.h"
#include "ui/view/DataView.h"
#include "ui/view/MapView.h"
#include "ui/view/PointsPane.h"

namespace {
QString Text(const std::string& s) { return QString::fromStdString(s); }

std::string Gpx(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\" xmlns=\"http://www.topografix.com/GPX/1/1\">" +
           body + "</gpx>\n";
}

// A logger caught by the 2019 rollover (as the Times row's tests have it).
const char* const kEarlyLog = "$GNRMC,120000,A,4807.038,N,01131.000,E,022.4,084.4,240899,003.1,W\r\n"
                              "$GNRMC,120500,A,4807.538,N,01132.000,E,022.4,084.4,240899,003.1,W\r\n";

class FileStateTest : public WindowTest {
protected:
    // Opens the file as the recent list, a drop or the command line do, and waits until the view shows it.
    void OpenFile(const std::string& file)
    {
        window->ChooseInputFiles({Text(file)});
        const QString name = QFileInfo(Text(file)).fileName();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !window->cView->Reading() && window->cView->Status().startsWith(name); }, 10000))
            << window->cView->Status().toStdString();
    }
    QStringList PointNames() const
    {
        QStringList names;
        const QAbstractItemModel* rows = window->cView->PointsTab()->Table()->model();
        for (int r = 0; r < rows->rowCount(); ++r) names << rows->index(r, PointTableModel::Name).data().toString();
        return names;
    }
    QString PointTime(int row) const
    {
        return window->cView->PointsTab()->Table()->model()->index(row, PointTableModel::Time).data().toString();
    }
};
}  // namespace

// The list of the file before, its search and its rows, never stand for the
// file opened, nor for the same file read again with its times repaired.
TEST_F(FileStateTest, ThePointsTabShowsTheFileOpenAndItsRepairedTimes)
{
    const std::string cities = dir.Path("cities.gpx"), south = dir.Path("south.gpx");
    WriteText(cities, Gpx("<wpt lat=\"52.5\" lon=\"13.4\"><name>Berlin</name></wpt>"
                          "<wpt lat=\"48.85\" lon=\"2.35\"><name>Paris</name></wpt>"));
    WriteText(south, Gpx("<wpt lat=\"41.9\" lon=\"12.5\"><time>2022-05-01T10:00:00Z</time><name>Rome</name></wpt>"
                         "<wpt lat=\"37.98\" lon=\"23.73\"><name>Athens</name></wpt>"));
    Open();
    window->show();
    OpenFile(cities);
    window->cView->Tabs()->setCurrentWidget(window->cView->PointsTab());
    window->cView->PointsTab()->SearchField()->setText("Ber");
    ASSERT_EQ(PointNames(), QStringList{"Berlin"});

    OpenFile(south);
    EXPECT_TRUE(window->cView->PointsTab()->SearchField()->text().isEmpty());
    EXPECT_EQ(PointNames(), (QStringList{"Rome", "Athens"}));
    QTableView* table = window->cView->PointsTab()->Table();
    table->setCurrentIndex(table->model()->index(0, PointTableModel::Name));
    EXPECT_EQ(window->cView->Map()->ChosenPoint(), QPointF(41.9, 12.5));

    // Read again with a shift: the rows are the new reading's.
    EXPECT_TRUE(PointTime(0).contains("10:00:00")) << PointTime(0).toStdString();
    window->cTimes->Shift()->setText("+1h");
    ASSERT_TRUE(QTest::qWaitFor([&] { return PointTime(0).contains("11:00:00"); }, 10000))
        << PointTime(0).toStdString();
}

// "Add 1024 weeks" chosen for one log is not applied to the file opened
// next, unless the row is pinned for every file.
TEST_F(FileStateTest, TheTimesRowBelongsToTheFileItWasChosenForUnlessPinned)
{
    const std::string log = dir.Path("old.nmea"), walk = dir.Path("walk.gpx");
    WriteText(log, kEarlyLog);
    WriteText(walk, Gpx("<trk><trkseg><trkpt lat=\"50\" lon=\"8\"><time>2022-05-01T10:00:00Z</time></trkpt>"
                        "<trkpt lat=\"50.01\" lon=\"8\"><time>2022-05-01T10:05:00Z</time></trkpt></trkseg></trk>"));
    Open();
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    OpenFile(log);
    ASSERT_FALSE(window->cView->EarlyBar()->isHidden());
    window->cView->EarlyButton()->click();
    ASSERT_TRUE(window->cTimes->Rollover()->isChecked());

    OpenFile(walk);
    EXPECT_FALSE(window->cTimes->Rollover()->isChecked());
    window->cOutPutFile->setText(Text(dir.Path("walk.kml")));
    ConvertNow();
    const std::string kml = ReadText(dir.Path("walk.kml"));
    EXPECT_NE(kml.find("2022-05-01T10:00:00Z"), std::string::npos);
    EXPECT_EQ(kml.find("2042"), std::string::npos);

    // Pinned, the row stays for the next file, and the next.
    window->cTimes->ForEveryFile()->setChecked(true);
    window->cTimes->Shift()->setText("+1h");
    window->cTimes->SetRollover(true);
    for (const std::string& file : {log, walk}) {
        OpenFile(file);
        EXPECT_EQ(window->cTimes->Shift()->text(), "+1h") << file;
        EXPECT_TRUE(window->cTimes->Rollover()->isChecked()) << file;
    }
}

// A file whose content names no format is not read as the format of the file
// before: opened fresh or after another, the view says what it looks like and
// offers the formats it may be, and Convert says the same.
TEST_F(FileStateTest, AFileOfNoKnownFormatIsDescribedWhateverCameBefore)
{
    const std::string notes = dir.Path("notes.dat"), walk = dir.Path("walk.gpx");
    WriteText(notes, "just some words\r\nand some more\r\n");
    WriteText(walk, Gpx("<wpt lat=\"1\" lon=\"2\"><name>A</name></wpt>"));
    QString fresh;
    for (const bool gpxBefore : {false, true}) {
        SCOPED_TRACE(gpxBefore);
        boxes.clear();
        Open();
        window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
        if (gpxBefore) {
            OpenFile(walk);
            ASSERT_EQ(window->InputPosition(), Position(Input::GpxWaypoints));
        }
        OpenFile(notes);
        EXPECT_EQ(window->InputPosition(), -1);
        const QString status = window->cView->Status();
        EXPECT_TRUE(status.contains("looks like text") && status.contains("just some words")) << status.toStdString();
        if (!gpxBefore) fresh = status;
        EXPECT_EQ(status, fresh);
        QPushButton* offer = window->cView->OfferButton();
        ASSERT_TRUE(offer->isVisibleTo(window->cView));
        ASSERT_NE(offer->menu(), nullptr);
        QStringList offered;
        for (QAction* action : offer->menu()->actions()) offered << action->text();
        EXPECT_TRUE(offered.contains("NMEA Log of GPRMC Sentences")) << offered.join('|').toStdString();
        EXPECT_FALSE(offered.contains("Holux Track (.tlg)")) << offered.join('|').toStdString();

        window->cOutPutFile->setText(Text(dir.Path("notes.kml")));
        ConvertNow();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes.front().text.find("looks like text"), std::string::npos) << boxes.front().text;
        EXPECT_TRUE(window->WrittenFiles().isEmpty());

        // Chosen from the offer, the file is read as that format.
        offer->menu()->actions().at(offered.indexOf("NMEA Log of GPRMC Sentences"))->trigger();
        EXPECT_EQ(window->InputPosition(), Position(Input::Nmea));
    }
}

// Convert stops the view's read of a long file and has the machine to itself;
// the view reads it again once the conversion is over.
TEST_F(FileStateTest, ConvertStopsTheViewsReadAndTheViewReadsAgainAfter)
{
    std::string body = "<trk><trkseg>";
    for (int i = 0; i < 150000; ++i)
        body += "<trkpt lat=\"50." + std::to_string(i) + "\" lon=\"8\"><ele>" + std::to_string(i % 900) +
                "</ele></trkpt>\n";
    const std::string big = dir.Path("big.gpx");
    WriteText(big, Gpx(body + "</trkseg></trk>"));
    Open();
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    window->ChooseInputFiles({Text(big)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->cView->Reading(); }, 5000));
    window->bConvert->click();
    EXPECT_FALSE(window->cView->Reading());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Converting(); }, 60000));
    EXPECT_EQ(window->WrittenFiles().size(), 1);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !window->cView->Reading() && window->cView->Status().startsWith("big.gpx: 1 track"); }, 20000))
        << window->cView->Status().toStdString();
}
