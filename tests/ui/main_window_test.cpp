// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <filesystem>

#include "core/convert/catalogue.h"
#include "core/text/text_fields.h"
#include "core/time/clock.h"
#include "formats/format_table.h"
#include "formats/native/Kes.h"
#include "tests/support/sample_files.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/CodePageBox.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"
#include "ui/panels/ShapePanel.h"
#include "ui/panels/TimesRow.h"

namespace {
QStringList ItemsOf(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

// Runs the input field's dialog without showing it and reports how it was prepared.
struct DialogSpy {
    QString directory;
    QStringList filters;
    QFileDialog::FileMode mode{};
    QStringList answer;
    QStringList operator()(QFileDialog& dialog)
    {
        directory = dialog.directory().absolutePath();
        filters = dialog.nameFilters();
        mode = dialog.fileMode();
        return answer;
    }
};
}  // namespace

TEST_F(WindowTest, FirstStartWithoutSettingsSelectsNothingAndOpensInTheProgramFolder)
{
    Open();
    EXPECT_EQ(window->windowTitle(), "Kestrelmaps File Format Converter (Version 1.13)");
    EXPECT_EQ(ItemsOf(window->cInputFileFormat).size(), static_cast<int>(Input::Count));
    EXPECT_EQ(window->cInputFileFormat->itemText(Position(Input::TomTom)), "TomTom Waypoint");
    EXPECT_EQ(window->cInputFileFormat->itemText(Position(Input::GpxWaypoints)), "GPX Waypoints/Routes (.gpx)");
    EXPECT_EQ(window->cInputFileFormat->itemText(Position(Input::GpxTracks)), "GPX Tracks (.gpx)");
    EXPECT_EQ(ItemsOf(window->cOutputFileFormat),
              (QStringList{"Kestrelmaps Waypoint (.wpt)", "Kestrelmaps Track (.plt)", "Holux Waypoint (.wrt)",
                           "Holux Track (.tlg)", "GPX Waypoints/Routes (.gpx)", "GPX Track (.gpx)",
                           "GPX Waypoints, Routes and Tracks (.gpx)", "KML Waypoints, Routes and Tracks (.kml)",
                           "GeoJSON Waypoints, Routes and Tracks (.geojson)", "CSV Waypoints, Routes and Tracks (.csv)",
                           "TomTom Waypoint"}));
    EXPECT_EQ(window->InputPosition(), -1);
    EXPECT_EQ(window->OutputPosition(), -1);
    EXPECT_EQ(window->cInputFile->InitialDir().toStdString(), ProgramFolder());
    EXPECT_EQ(window->cOutPutFile->InitialDir().toStdString(), ProgramFolder());
    EXPECT_TRUE(window->cInputFile->Filter().startsWith("All supported files|"));  // the content decides
    EXPECT_TRUE(window->cOutPutFile->Filter().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(settingsPath));  // nothing is written at start
}

TEST_F(WindowTest, RestoresFoldersAndFormatsAndTheirFilters)
{
    const struct {
        int input, output;
        const char* outputFilter;
    } cases[] = {
        {Position(Input::Nmea), Position(Output::HoluxTrack), "Holux Track (*.tlg)|*.tlg"},
        {Position(Input::GpxWaypoints), Position(Output::GpxWaypoints), "GPX Waypoint (*.gpx)|*.gpx"},
        {Position(Input::GpxTracks), Position(Output::GpxTrack), "GPX Track (*.gpx)|*.gpx"},
    };
    for (const auto& c : cases) {
        WriteText(settingsPath, "[Input File]\r\nInitial Folder=/data/in\r\nFile Format=" + std::to_string(c.input) +
                                    "\r\n[output file]\r\ninitial folder=/data/out\r\nfile format=" +
                                    std::to_string(c.output) + "\r\n");
        Open();
        EXPECT_EQ(window->cInputFile->InitialDir(), "/data/in");
        EXPECT_EQ(window->cOutPutFile->InitialDir(), "/data/out");
        EXPECT_EQ(window->InputPosition(), c.input);
        EXPECT_EQ(window->OutputPosition(), c.output);
        EXPECT_TRUE(window->cInputFile->Filter().startsWith("All supported files|"));
        EXPECT_EQ(window->cOutPutFile->Filter(), c.outputFilter);
        window.reset();
    }
}

TEST_F(WindowTest, AnOutOfRangeOrUnreadableFormatSelectsNothing)
{
    const std::string inputs = std::to_string(static_cast<int>(Input::Count));
    const std::string outputs = std::to_string(static_cast<int>(Output::Count));
    for (const std::string& formats :
         {"[Input File]\r\nFile Format=abc\r\n[Output File]\r\nFile Format=" + inputs + "\r\n",
          "[Input File]\r\nFile Format=" + inputs + "\r\n[Output File]\r\nFile Format=" + outputs + "\r\n"}) {
        WriteText(settingsPath, formats);
        Open();
        EXPECT_EQ(window->InputPosition(), -1) << formats;
        EXPECT_EQ(window->OutputPosition(), -1) << formats;
        window.reset();
    }
}

TEST_F(WindowTest, ClosingWritesTheSettingsInOrderWithMinusOneForAnEmptyList)
{
    Open();
    window->cInputFile->SetInitialDir("/my data");
    window->cOutputFileFormat->setCurrentIndex(Position(Output::KesTrack));
    CloseWindow();
    EXPECT_EQ(ReadText(settingsPath), "[Input File]\r\nInitial Folder=/my data\r\nFile Format=-1\r\n"
                                      "[Output File]\r\nInitial Folder=" +
                                          ProgramFolder() + "\r\nFile Format=1\r\n");
    window.reset();  // written once only
    Open();
    EXPECT_EQ(window->cInputFile->InitialDir(), "/my data");
    EXPECT_EQ(window->OutputPosition(), Position(Output::KesTrack));
}

TEST_F(WindowTest, ASettingsFileThatCannotBeWrittenIsReportedOnClose)
{
    settingsPath = dir.Path("no-such-folder/kesTranscribe.ini");
    Open();
    CloseWindow();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes[0].text, "Unable to write to " + settingsPath);
}

TEST_F(WindowTest, EachRefusalOfTheConvertActionIsAMessageBox)
{
    Open();
    window->cOutput->setPlainText("kept");
    auto convert = [&] {
        boxes.clear();
        ConvertNow();
        return boxes.size() == 1 && boxes[0].icon == QMessageBox::NoIcon ? boxes[0].text : "?";
    };
    EXPECT_EQ(convert(), "Input File not specified");
    window->cInputFile->setText("in.wpt");
    EXPECT_EQ(convert(), "Output File not specified");
    window->cOutPutFile->setText("out");
    EXPECT_EQ(convert(), "Input File Format not Selected");
    window->cInputFileFormat->setCurrentIndex(Position(Input::HoluxWaypoint));
    EXPECT_EQ(convert(), "Output File Format not Selected");
    window->cOutputFileFormat->setCurrentIndex(Position(Output::HoluxWaypoint));
    EXPECT_EQ(convert(), "Input and Output Formats cannot be the same");
    window->cInputFileFormat->setCurrentIndex(Position(Input::MapsendTrack));
    EXPECT_EQ(convert(), "Input and Output file format types are not the same");
    EXPECT_EQ(window->cOutput->toPlainText(), "kept");
}

// As on the command line, a file goes into its own format once a repair or
// a shaping step may change it; without one it is refused.
TEST_F(WindowTest, ARepairOrAStepLetsAFileBeWrittenInItsOwnFormat)
{
    WriteText(dir.Path("in.plt"), samples::KesTrack());
    Open();
    window->cInputFile->setText(QString::fromStdString(dir.Path("in.plt")));
    window->cInputFileFormat->setCurrentIndex(Position(Input::KesTrack));
    window->cOutputFileFormat->setCurrentIndex(Position(Output::KesTrack));
    window->cOutPutFile->setText(QString::fromStdString(dir.Path("out.plt")));
    const auto converted = [&] {
        boxes.clear();
        std::filesystem::remove(dir.Path("out.plt"));
        ConvertNow();
        return std::filesystem::exists(dir.Path("out.plt"));
    };
    EXPECT_FALSE(converted());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Input and Output Formats cannot be the same");
    window->cTimes->Shift()->setText("+1h");
    EXPECT_TRUE(converted());
    EXPECT_TRUE(boxes.empty());
    window->cTimes->Shift()->setText("");
    window->shape_->SetChoices({{"simplify", "1m"}});
    EXPECT_TRUE(converted());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(WindowTest, AFullConversionShowsItsProgressInThePane)
{
    WriteText(dir.Path("in.wpt"),
              "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n1,HOME,51.5,-0.1\r\n");
    Open();
    window->cInputFile->setText(QString::fromStdString(dir.Path("in.wpt")));
    window->cInputFileFormat->setCurrentIndex(Position(Input::KesWaypoint));
    window->cOutPutFile->setText(QString::fromStdString(dir.Path("out.wrt")));
    window->cOutputFileFormat->setCurrentIndex(Position(Output::HoluxWaypoint));
    ConvertNow();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(window->Lines(), (QStringList{"Loading Kes Waypoint file", QString::fromStdString(dir.Path("in.wpt")), "",
                                            "processing .....", "", "Writing Holux Waypoint file",
                                            QString::fromStdString(dir.Path("out.wrt")),
                                            QString::fromStdString("Saved: " + dir.Path("out.wrt")),
                                            "Written: 1 waypoint, 0 routes", "", "Done ....."}));
    EXPECT_TRUE(std::filesystem::exists(dir.Path("out.wrt")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, AnErrorEndsTheConversionInAnErrorBoxAndTheWindowLivesOn)
{
    Open();
    window->cInputFile->setText(QString::fromStdString(dir.Path("missing.wpt")));
    window->cInputFileFormat->setCurrentIndex(Position(Input::KesWaypoint));
    window->cOutPutFile->setText(QString::fromStdString(dir.Path("out")));
    window->cOutputFileFormat->setCurrentIndex(Position(Output::HoluxWaypoint));
    ConvertNow();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_NE(boxes[0].text.find("missing.wpt"), std::string::npos);
    EXPECT_FALSE(window->Lines().contains("Done ....."));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    EXPECT_EQ(window->Lines().last().left(19), "Written: nothing - ");
    WriteText(dir.Path("there.wpt"),
              "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n1,HOME,51.5,-0.1\r\n");
    window->cInputFile->setText(QString::fromStdString(dir.Path("there.wpt")));
    ConvertNow();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(window->Lines().last(), "Done .....");
}

TEST_F(WindowTest, TheDialogChoiceIsQuotedAndItsFolderRemembered)
{
    Open();
    std::filesystem::create_directories(dir.Path("My Data"));
    const QString chosen = QString::fromStdString(dir.Path("My Data/a.plt"));
    WriteText(chosen.toStdString(), "");
    window->cInputFileFormat->setCurrentIndex(Position(Input::MapsourceTracks));
    DialogSpy spy;
    spy.answer = {chosen, QString::fromStdString(dir.Path("My Data/b.plt"))};
    window->cInputFile->RunDialog = std::ref(spy);
    window->cInputFile->Browse();
    EXPECT_EQ(spy.directory.toStdString(), ProgramFolder());
    EXPECT_EQ(spy.filters.size(), int(Input::Count) + 3);  // every format, whatever is selected
    EXPECT_EQ(spy.mode, QFileDialog::ExistingFiles);
    EXPECT_EQ(window->cInputFile->text(), '"' + chosen + '"');
    EXPECT_EQ(window->ChosenInputFiles().size(), 2u);
    EXPECT_EQ(window->cInputFile->InitialDir().toStdString(), dir.Path("My Data"));
    CloseWindow();
    window.reset();
    Open();
    EXPECT_EQ(window->cInputFile->InitialDir().toStdString(), dir.Path("My Data"));
}

TEST_F(WindowTest, ATypedNameReplacesTheEarlierDialogChoice)
{
    Open();
    window->cInputFile->ApplyChoice({"/d/a.plt", "/d/c.plt"});
    EXPECT_EQ(window->ChosenInputFiles(), (std::vector<std::string>{"/d/a.plt", "/d/c.plt"}));
    window->cInputFile->setText("/d/b.plt");
    EXPECT_TRUE(window->ChosenInputFiles().empty());
    EXPECT_EQ(window->InputFileText(), "/d/b.plt");
}

TEST_F(WindowTest, TheDialogOpensInTheFolderOfATypedName)
{
    Open();
    DialogSpy spy;
    window->cOutPutFile->RunDialog = std::ref(spy);
    window->cOutPutFile->setText(QString::fromStdString(dir.Path("new.wpt")));
    window->cOutPutFile->Browse();
    EXPECT_EQ(spy.directory.toStdString(), dir.Root().string());
    EXPECT_EQ(spy.mode, QFileDialog::AnyFile);
    EXPECT_EQ(window->cOutPutFile->text().toStdString(), dir.Path("new.wpt"));  // cancelled: unchanged
}

namespace {
void Drop(QWidget* target, const QMimeData& data, QPointF at)
{
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}
}  // namespace

TEST_F(WindowTest, DroppedFilesFillTheFieldTheyLandOn)
{
    Open();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/d/one.plt"), QUrl::fromLocalFile("/d/two.plt")});
    Drop(window.get(), data, QPointF(250, 330));
    EXPECT_EQ(window->InputFileText(), "/d/one.plt");
    EXPECT_EQ(window->ChosenInputFiles().size(), 2u);
    EXPECT_EQ(window->cInputFile->InitialDir(), "/d");

    QMimeData third;
    third.setUrls({QUrl::fromLocalFile("/e/three.plt")});
    Drop(window->cOutput->viewport(), third, QPointF(5, 5));
    EXPECT_EQ(window->InputFileText(), "/e/three.plt");

    QMimeData other;
    other.setUrls({QUrl::fromLocalFile("/d/out.wpt")});
    Drop(window->cOutPutFile, other, QPointF(10, 10));
    EXPECT_EQ(window->OutputFileText(), "/d/out.wpt");
    EXPECT_EQ(window->InputFileText(), "/e/three.plt");
}

TEST_F(WindowTest, TabWalksTheControlsInOrder)
{
    Open();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // The buttons inside the file fields come after their field, each named.
    const QList<QToolButton*> in = window->cInputFile->findChildren<QToolButton*>();
    const QList<QToolButton*> out = window->cOutPutFile->findChildren<QToolButton*>();
    ASSERT_EQ(in.size(), 2);
    ASSERT_EQ(out.size(), 1);
    EXPECT_EQ(in[0]->accessibleName(), "Choose the input file");
    EXPECT_EQ(in[1]->accessibleName(), "Recent input files");
    EXPECT_EQ(out[0]->accessibleName(), "Choose the output file");
    EXPECT_EQ(window->cInputFileFormat->accessibleName(), "Input format");
    EXPECT_EQ(window->cOutputFileFormat->accessibleName(), "Output format");
    const std::vector<QWidget*> order = {window->cInputFile,
                                         in[0],
                                         in[1],
                                         window->cInputFileFormat,
                                         window->cCodePage,
                                         window->cTimes->Shift(),
                                         window->cTimes->Zone(),
                                         window->cTimes->Rollover(),
                                         window->cTimes->ForEveryFile(),
                                         window->cOutPutFile,
                                         out[0],
                                         window->cOutputFileFormat,
                                         window->cOutput,
                                         window->bHelp,
                                         window->bConvert,
                                         window->bClose,
                                         window->cInputFile};
    // The editable lists take the focus in their text part.
    auto owner = [&](QWidget* w) {
        if (std::find(order.begin(), order.end(), w) != order.end()) return w;
        for (QWidget* control : order)
            if (w && (w == control || control->isAncestorOf(w))) return control;
        return w;
    };
    window->cInputFile->setFocus();
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        ASSERT_EQ(owner(QApplication::focusWidget()), order[i]) << i;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

TEST_F(WindowTest, ThePaneKeepsEveryLineIncludingALeadingEmptyOne)
{
    Open();
    window->AddLine("old");
    window->ClearLines();
    EXPECT_TRUE(window->Lines().isEmpty());
    window->AddLine("");
    window->AddLine("x");
    window->AddLine("");
    EXPECT_EQ(window->Lines(), (QStringList{"", "x", ""}));
}
