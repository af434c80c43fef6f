// SPDX-License-Identifier: GPL-3.0-or-later
// Any file opens as what it is: wherever it comes from, whatever format was
// left selected, the content (or, without a signature, the extension) decides.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <functional>

#include "core/convert/catalogue.h"
#include "formats/format_table.h"
#include "tests/support/test_catalogue.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"
#include "ui/view/DataView.h"
#include "ui/window/InputFormatOf.h"

namespace {
QString Text(const std::string& s) { return QString::fromStdString(s); }

const char* const kGpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\">"
                         "<wpt lat=\"1\" lon=\"2\"><name>A</name></wpt>"
                         "<trk><trkseg><trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"3\" lon=\"4\"/></trkseg></trk></gpx>\n";

// One TomTom record: type 2, length, longitude and latitude in 1e-5 degrees, a name.
std::string Ov2()
{
    const char bytes[] = {2, 18, 0, 0, 0, 0x40, 0x0D, 0x03, 0, char(0xA0), char(0x86), 0x01, 0, 'M', 'a', 'r', 'k', 0};
    return std::string(bytes, sizeof bytes);
}

void Drop(QWidget* target, const QString& file)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}
}  // namespace

TEST_F(WindowTest, EveryWayOfChoosingAFileSelectsWhatItIsForEveryOutputKind)
{
    const std::string gpx = dir.Path("expertgps.gpx"), ov2 = dir.Path("poi.ov2");
    WriteText(gpx, kGpx);
    WriteText(ov2, Ov2());
    Open();
    using Way = std::function<void(const QString&)>;
    const std::pair<const char*, Way> ways[] = {
        {"dialog",
         [&](const QString& file) {
             window->cInputFile->RunDialog = [file](QFileDialog&) { return QStringList{file}; };
             window->cInputFile->Browse();
         }},
        {"typed",
         [&](const QString& file) {
             window->cInputFile->clear();
             QTest::keyClicks(window->cInputFile, file);
             QTest::qWait(400);
         }},
        {"drop", [&](const QString& file) { Drop(window.get(), file); }},
        {"command line", [&](const QString& file) { window->ChooseInputFiles({file}); }},
        {"recent list",
         [&](const QString& file) {
             window->ChooseInputFiles({file});
             window->cInputFileFormat->setCurrentIndex(Position(Input::KesWaypoint));
             window->cInputFile->setText("elsewhere");
             window->RecentMenu()->aboutToShow();
             window->RecentMenu()->actions().front()->trigger();
         }},
    };
    const struct {
        std::string file;
        int output, expected;
    } rows[] = {
        {gpx, -1, Position(Input::GpxWaypoints)},
        {gpx, Position(Output::KesWaypoint), Position(Input::GpxWaypoints)},
        {gpx, Position(Output::KesTrack), Position(Input::GpxTracks)},
        {gpx, Position(Output::Gpx), Position(Input::GpxWaypoints)},
        {gpx, Position(Output::Kml), Position(Input::GpxWaypoints)},
        {ov2, -1, Position(Input::TomTom)},
        {ov2, Position(Output::KesWaypoint), Position(Input::TomTom)},
        {ov2, Position(Output::Csv), Position(Input::TomTom)},
    };
    for (const auto& [way, choose] : ways)
        for (const auto& row : rows) {
            window->cOutputFileFormat->setCurrentIndex(row.output);
            window->cInputFileFormat->setCurrentIndex(Position(Input::KesWaypoint));  // left from another file
            choose(Text(row.file));
            EXPECT_EQ(window->InputPosition(), row.expected) << way << " " << row.file << " into " << row.output;
        }
}

// A format chosen after the file that its content is not: the view and
// Convert say what the file is and offer that format.
TEST_F(WindowTest, AContentIsNeverReadAsAFormatItIsNot)
{
    const std::string gpx = dir.Path("walk.gpx");
    WriteText(gpx, kGpx);
    Open();
    std::vector<QString> asked;
    bool convertAsOffered = false;
    window->AskFormat = [&](const QString& what, const QString&) {
        asked.push_back(what);
        return convertAsOffered;
    };
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    window->ChooseInputFiles({Text(gpx)});
    window->cInputFileFormat->setCurrentIndex(Position(Input::KesWaypoint));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->cView->OfferButton()->isVisibleTo(window->cView); }, 5000));
    EXPECT_EQ(window->cView->Status(), "walk.gpx holds GPX Waypoints/Routes (.gpx), not Kestrelmaps Waypoint (.wpt).");
    for (bool answer : {false, true}) {
        convertAsOffered = answer;
        ConvertNow();
        EXPECT_EQ(window->WrittenFiles().size(), answer ? 1 : 0) << answer;
    }
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(window->InputPosition(), Position(Input::GpxWaypoints));
    EXPECT_TRUE(ReadText(dir.Path("walk.kml")).find("<name>A</name>") != std::string::npos);

    window->cInputFileFormat->setCurrentIndex(Position(Input::Nmea));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->cView->OfferButton()->isVisibleTo(window->cView); }, 5000));
    window->cView->OfferButton()->click();
    EXPECT_EQ(window->InputPosition(), Position(Input::GpxWaypoints));
}

TEST_F(WindowTest, TheOpenDialogOffersEverySupportedFileThenEachFormatThenAll)
{
    Open();
    QStringList filters;
    window->cInputFile->RunDialog = [&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        return QStringList();
    };
    window->cInputFileFormat->setCurrentIndex(Position(Input::Nmea));
    window->cInputFile->Browse();
    ASSERT_EQ(filters.size(), int(Input::Count) + 3);
    EXPECT_TRUE(filters.front().startsWith("All supported files (*.wpt *.plt *.wrt *.tlg"))
        << filters.front().toStdString();
    for (const char* pattern : {"*.ov2", "*.gpx", "*.fit", "*.gz", "*.zip", "*.kmz"})
        EXPECT_TRUE(filters.front().contains(pattern)) << pattern;
    EXPECT_EQ(filters[filters.size() - 2], "Packed files: gzip, zip, KMZ (*.gz *.zip *.kmz)");
    EXPECT_EQ(filters[1 + Position(Input::Nmea)], "NMEA Log (*)");
    EXPECT_EQ(filters.back(), "All files (*)");
}

// Arrowing down the typed matches and pressing Return chooses the entry
// highlighted; the input is read once, when the choice is made.
TEST_F(WindowTest, ChoosingAFormatByTypingKeepsTheHighlightedEntry)
{
    const std::string gdb = dir.Path("walk.gpx");
    WriteText(gdb, kGpx);
    Open();
    window->show();
    window->ChooseInputFiles({Text(gdb)});
    QTest::qWait(600);  // the first read, of the file chosen
    int reads = 0;
    QObject::connect(window->cView, &DataView::ReadDone, [&] { ++reads; });
    window->cInputFileFormat->setFocus();
    window->cInputFileFormat->lineEdit()->clear();
    QTest::keyClicks(window->cInputFileFormat->lineEdit(), "mapsource");
    QTest::qWait(400);
    EXPECT_EQ(reads, 0);
    QWidget* popup = window->cInputFileFormat->completer()->popup();
    ASSERT_TRUE(popup->isVisible());
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(window->InputPosition(), Position(Input::MapsourceTracks));
    EXPECT_EQ(window->cInputFileFormat->currentText(), "Mapsource Track");
}

// Escape while typing in a format list cancels: the entry chosen before
// stays, whole, and no read or conversion follows the text typed.
TEST_F(WindowTest, EscapeInAFormatListCancelsWhatWasTyped)
{
    Open();
    ShowActive();
    const struct {
        TLyrComboBox* list;
        int before;
        const char* typed;
    } lists[] = {{window->cInputFileFormat, Position(Input::KesTrack), "mapsource"},
                 {window->cOutputFileFormat, Position(Output::KesWaypoint), "kml"}};
    for (const auto& l : lists) {
        l.list->setCurrentIndex(l.before);
        const QString shown = l.list->currentText();
        l.list->setFocus();
        l.list->lineEdit()->selectAll();
        QTest::keyClicks(l.list->lineEdit(), l.typed);
        ASSERT_NE(l.list->currentIndex(), l.before) << l.typed;  // the first match, while typing
        QWidget* popup = l.list->completer()->popup();
        QTest::keyClick(popup->isVisible() ? popup : static_cast<QWidget*>(l.list->lineEdit()), Qt::Key_Escape);
        window->cOutPutFile->setFocus();  // leaving the list ends the typing
        EXPECT_EQ(l.list->currentIndex(), l.before) << l.typed;
        EXPECT_EQ(l.list->currentText(), shown) << l.typed;
    }
}

// What a content that names no format looks like, and the formats of its look
// offered, those its extension names first (text, as the window shows it, is
// tested with the window); a content that names one is left to be read as it.
TEST(FormatNotTold, SaysWhatTheContentLooksLikeAndOffersTheFormatsOfItsLook)
{
    TempDir dir;
    using enum Input;
    const std::vector<int> gpx = {Position(GpxWaypoints), Position(GpxTracks)};
    const std::vector<int> xml = {Position(GpxWaypoints),    Position(GpxTracks),    Position(Tcx),
                                  Position(TcxCoursePoints), Position(KmlWaypoints), Position(KmlTracks)};
    const struct {
        const char* name;
        std::string bytes;
        const char* looks;
        std::vector<int> mayBe;
    } rows[] = {
        {"places.xml", "<?xml version=\"1.0\"?>\n<!-- by hand -->\n<osm version=\"0.6\">",
         "it looks like XML, its first element <osm>", xml},
        {"dump.bin",
         std::string("MZ\x90\0\x03\0\0\0\x04", 9),
         "it looks like binary data: 4D 5A 90 00 03 00 00 00",
         {Position(HoluxWaypoint), Position(HoluxTrack), Position(MapsendWaypoint), Position(MapsendTrack),
          Position(MapsourceWaypoints), Position(MapsourceTracks), Position(TomTom), Position(WintecTes),
          Position(FitTracks), Position(FitWaypoints)}},
        {"empty.gpx", "", "it is empty", gpx},
    };
    for (const auto& row : rows) {
        WriteText(dir.Path(row.name), row.bytes);
        const std::optional<FormatNotTold> notTold = FormatNotToldOf(TestCatalogue(), dir.Path(row.name));
        ASSERT_TRUE(notTold) << row.name;
        EXPECT_EQ(notTold->looks, row.looks) << row.name;
        EXPECT_EQ(notTold->mayBe, row.mayBe) << row.name;
    }
    WriteText(dir.Path("walk.gpx"), kGpx);
    EXPECT_FALSE(FormatNotToldOf(TestCatalogue(), dir.Path("walk.gpx")));
    EXPECT_FALSE(FormatNotToldOf(TestCatalogue(), dir.Path("missing.dat")));
}
