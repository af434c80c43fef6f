// SPDX-License-Identifier: GPL-3.0-or-later
// The flow of one conversion in the window: the format and the output name
// follow the input, the question before files are replaced, the files written
// and their folder, the format lists searched by typing, what is remembered.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <filesystem>
#include <map>

#include "core/io/file_names.h"
#include "formats/format_table.h"
#include "tests/support/test_catalogue.h"
#include "tests/ui/fifo_reader.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"

namespace {
QString Text(const std::string& s) { return QString::fromStdString(s); }

const char* const kTwoTracks = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\">"
                               "<trk><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk>"
                               "<trk><trkseg><trkpt lat=\"3\" lon=\"4\"/></trkseg></trk></gpx>\n";
const char* const kOneTrack = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\">"
                              "<trk><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk></gpx>\n";
const char* const kOneWaypoint = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\">"
                                 "<wpt lat=\"1\" lon=\"2\"><name>A</name></wpt></gpx>\n";
const char* const kNothing = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\"></gpx>\n";
}  // namespace

TEST_F(WindowTest, TheOpenDialogsChoiceSetsTheFormatByContentAndProposesTheOutputName)
{
    WriteText(dir.Path("ride.gpx"), kTwoTracks);
    Open();
    window->cInputFileFormat->setCurrentIndex(Position(Input::Nmea));
    window->cOutputFileFormat->setCurrentIndex(Position(Output::KesTrack));
    window->cInputFile->RunDialog = [&](QFileDialog&) { return QStringList{Text(dir.Path("ride.gpx"))}; };
    window->cInputFile->Browse();
    EXPECT_EQ(window->InputPosition(), Position(Input::GpxTracks));
    EXPECT_EQ(window->cOutPutFile->text(), Text(dir.Path("ride.plt")));
    window->cOutputFileFormat->setCurrentIndex(Position(Output::HoluxTrack));
    EXPECT_EQ(window->cOutPutFile->text(), Text(dir.Path("ride.tlg")));  // follows the format
    window->cOutPutFile->setText("mine");
    window->cOutputFileFormat->setCurrentIndex(Position(Output::KesTrack));
    EXPECT_EQ(window->cOutPutFile->text(), "mine");  // the user's own name stays
    EXPECT_EQ(window->RecentFiles(), QStringList{Text(dir.Path("ride.gpx"))});

    // A typed name is followed once typing pauses.
    WriteText(dir.Path("b.gpx"), kTwoTracks);
    window->cOutPutFile->clear();
    window->cInputFileFormat->setCurrentIndex(Position(Input::Nmea));
    window->cInputFile->clear();
    QTest::keyClicks(window->cInputFile, Text(dir.Path("b.gpx")));
    QTest::qWait(500);
    EXPECT_EQ(window->InputPosition(), Position(Input::GpxTracks));
    EXPECT_EQ(window->cOutPutFile->text(), Text(dir.Path("b.plt")));
}

// Every file the conversion would replace, the numbered track files included,
// is named in one question; "No" leaves every one as it was.
TEST_F(WindowTest, ReplacingFilesIsAskedOnceNamingEveryTrackFile)
{
    WriteText(dir.Path("ride.gpx"), kTwoTracks);
    const std::string first = dir.Path("trip_1.plt"), second = dir.Path("trip_2.plt");
    Open();
    window->ChooseInputFiles({Text(dir.Path("ride.gpx"))});
    window->cInputFileFormat->setCurrentIndex(Position(Input::GpxTracks));
    window->cOutputFileFormat->setCurrentIndex(Position(Output::KesTrack));
    window->cOutPutFile->setText(Text(dir.Path("trip.plt")));
    ConvertNow();  // nothing there yet: no question
    EXPECT_TRUE(replaceQuestions.empty());
    EXPECT_EQ(window->WrittenFiles(), (QStringList{Text(first), Text(second)}));
    EXPECT_TRUE(window->Lines().contains(Text("Saved: " + second)));

    const struct {
        bool answer;
        std::string kept;
        QStringList written;
    } rows[] = {{false, "old", {}}, {true, "", {Text(first), Text(second)}}};
    for (const auto& row : rows) {
        WriteText(first, "old");
        WriteText(second, "old");
        replaceQuestions.clear();
        replaceAnswer = row.answer;
        ConvertNow();
        ASSERT_EQ(replaceQuestions.size(), 1u);
        EXPECT_EQ(replaceQuestions[0], (QStringList{Text(first), Text(second)}));
        EXPECT_EQ(ReadText(second) == "old", !row.answer);
        EXPECT_EQ(window->WrittenFiles(), row.written);
        EXPECT_EQ(window->bOpenFolder->isEnabled(), row.answer);
        EXPECT_EQ(window->Lines().contains("Written: nothing - the existing files were kept"), !row.answer);
    }
    window->bOpenFolder->click();
    EXPECT_EQ(openedUrls, std::vector<QUrl>{QUrl::fromLocalFile(Text(dir.Root().string()))});
}

TEST(ReplaceQuestion, NamesTheFirstFilesAndCountsTheRest)
{
    QStringList many;
    for (int n = 1; n <= 14; ++n) many << QString("/d/t_%1.plt").arg(n);
    EXPECT_EQ(ReplaceQuestion({"/d/a.wpt"}),
              "This file exists already and will be replaced:\n\n/d/a.wpt\n\nReplace it?");
    const QString text = ReplaceQuestion(many);
    EXPECT_TRUE(text.startsWith("These 14 files exist already")) << text.toStdString();
    EXPECT_TRUE(text.contains("/d/t_12.plt\n... and 2 more\n\nReplace them?")) << text.toStdString();
    EXPECT_FALSE(text.contains("t_13"));
}

// Typing searches the captions, letter case ignored, past ten characters.
TEST_F(WindowTest, TypingInAFormatListSelectsTheFirstCaptionHoldingIt)
{
    Open();
    const struct {
        TLyrComboBox* list;
        const char* typed;
        int selected;
    } rows[] = {
        {window->cOutputFileFormat, "track", Position(Output::KesTrack)},
        {window->cOutputFileFormat, "holux track (.t", Position(Output::HoluxTrack)},
        {window->cInputFileFormat, "gpx tr", Position(Input::GpxTracks)},
        {window->cInputFileFormat, "no such format", -1},
    };
    for (const auto& row : rows) {
        row.list->lineEdit()->clear();
        QTest::keyClicks(row.list->lineEdit(), row.typed);
        EXPECT_EQ(row.list->currentIndex(), row.selected) << row.typed;
    }
}

TEST_F(WindowTest, RecentFilesAndTheWindowsSizeAreRemembered)
{
    Open();
    ShowActive();
    window->resize(760, 520);
    for (int n = 0; n < 10; ++n) {
        WriteText(dir.Path(std::to_string(n) + ".plt"), "");
        window->ChooseInputFiles({Text(dir.Path(std::to_string(n) + ".plt"))});
    }
    window->ChooseInputFiles({Text(dir.Path("missing.plt"))});
    QTest::keySequence(window.get(), QKeySequence(Qt::CTRL | Qt::Key_W));
    EXPECT_FALSE(window->isVisible());
    window.reset();
    Open();
    EXPECT_EQ(window->size(), QSize(760, 520));
    ASSERT_EQ(window->RecentFiles().size(), TfmMain::kRecentKept);
    EXPECT_EQ(window->RecentFiles().front(), Text(dir.Path("9.plt")));
    EXPECT_EQ(window->RecentFiles().back(), Text(dir.Path("2.plt")));
}

// Alt and a letter reaches one control only: no letter serves two.
TEST_F(WindowTest, EveryMnemonicIsUsedOnce)
{
    Open();
    std::map<QChar, QString> used;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
        const qsizetype at = text.indexOf(QRegularExpression("&[^&]"));
        if (at < 0) continue;
        const QChar letter = text[at + 1].toLower();
        EXPECT_FALSE(used.count(letter)) << text.toStdString() << " and " << used[letter].toStdString();
        used[letter] = text;
    }
    EXPECT_GE(used.size(), 8u);
}

// An input that holds nothing the output takes never replaces a file with an
// empty one: the command refuses it, and so does the window.
TEST_F(WindowTest, AnInputHoldingNothingKeepsTheFileItWouldReplace)
{
    WriteText(dir.Path("empty.gpx"), kNothing);
    WriteText(dir.Path("notes.ov2"), "shopping list\nmilk\n");
    const struct {
        const char* input;
        Output output;
        const char* written;
    } rows[] = {{"empty.gpx", Output::Kml, "empty.kml"}, {"notes.ov2", Output::KesWaypoint, "notes.wpt"}};
    Open();
    for (const auto& row : rows) {
        WriteText(dir.Path(row.written), "old");
        window->ChooseInputFiles({Text(dir.Path(row.input))});
        window->cOutputFileFormat->setCurrentIndex(Position(row.output));
        window->cOutPutFile->setText(Text(dir.Path(row.written)));
        ConvertNow();
        EXPECT_EQ(ReadText(dir.Path(row.written)), "old") << row.input;
        EXPECT_TRUE(window->WrittenFiles().isEmpty()) << row.input;
        EXPECT_TRUE(window->Lines().last().startsWith("Not converted - no waypoints")) << row.input;
        EXPECT_TRUE(window->Lines().last().endsWith(": nothing is written")) << row.input;
    }
}

// The file written is the one the field shows: no extension added, a pipe
// written into, one track into the name itself.
TEST_F(WindowTest, TheFileWrittenIsTheOneTheFieldShows)
{
    WriteText(dir.Path("walk.gpx"), kOneWaypoint);
    WriteText(dir.Path("ride.gpx"), kOneTrack);
    FifoReader pipe(dir.Path("pipe"));
    pipe.Start();
    const struct {
        const char* input;
        Output output;
        const char* named;
        const char* notWritten;
    } rows[] = {{"walk.gpx", Output::Kml, "mine.txt", "mine.kml"},
                {"ride.gpx", Output::KesTrack, "trip.plt", "trip_1.plt"},
                {"walk.gpx", Output::Kml, "pipe", "pipe.kml"}};
    Open();
    for (const auto& row : rows) {
        window->ChooseInputFiles({Text(dir.Path(row.input))});
        window->cOutputFileFormat->setCurrentIndex(Position(row.output));
        window->cOutPutFile->setText(Text(dir.Path(row.named)));
        ConvertNow();
        EXPECT_TRUE(boxes.empty()) << row.named;
        EXPECT_EQ(window->WrittenFiles(), QStringList{Text(dir.Path(row.named))});
        EXPECT_EQ(window->cOutPutFile->text(), Text(dir.Path(row.named)));
        EXPECT_FALSE(std::filesystem::exists(dir.Path(row.notWritten))) << row.notWritten;
    }
    EXPECT_NE(ReadText(dir.Path("mine.txt")).find("<kml"), std::string::npos);
    EXPECT_NE(pipe.Finish().find("<kml"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_fifo(dir.Path("pipe")));
    // What the plan writes beside the name shown is said on the field.
    window->cOutputFileFormat->setCurrentIndex(Position(Output::KesWaypoint));
    window->cOutPutFile->setText(Text(dir.Path("spots.wpt")));
    EXPECT_TRUE(window->cOutPutFile->toolTip().contains(Text(dir.Path("spots.rte"))));
    window->cOutputFileFormat->setCurrentIndex(Position(Output::KesTrack));
    window->cOutPutFile->setText(Text(dir.Path("trip.plt")));
    EXPECT_TRUE(window->cOutPutFile->toolTip().contains(Text(dir.Path("trip_1.plt"))));
}

// A write that fails leaves a line saying that nothing was written, beside its box.
TEST_F(WindowTest, AFailedWriteSaysNothingWasWritten)
{
    WriteText(dir.Path("walk.gpx"), kOneWaypoint);
    Open();
    window->ChooseInputFiles({Text(dir.Path("walk.gpx"))});
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    window->cOutPutFile->setText(Text(dir.Path("no such folder/walk.kml")));
    ConvertNow();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(window->Lines().last(), "Written: nothing - " + Text(boxes[0].text));
    EXPECT_TRUE(window->WrittenFiles().isEmpty());
}

// A file into its own format (a GPX file written again as GPX) gets a name
// of its own beside it, never its own name, nor none.
TEST_F(WindowTest, AFileIntoItsOwnFormatIsProposedANameBesideIt)
{
    WriteText(dir.Path("ride.gpx"), kOneTrack);
    Open();
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Gpx));
    window->ChooseInputFiles({Text(dir.Path("ride.gpx"))});
    EXPECT_EQ(window->cOutPutFile->text(), Text(dir.Path("ride-converted.gpx")));
    ConvertNow();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(window->WrittenFiles(), QStringList{Text(dir.Path("ride-converted.gpx"))});
    EXPECT_EQ(ReadText(dir.Path("ride.gpx")), kOneTrack);
}

// Close asks while a conversion runs; the conversion ending takes the
// question away, and the window closes, as the user asked.
TEST_F(WindowTest, TheStopQuestionGoesWhenTheConversionEndsAndTheWindowCloses)
{
    WriteText(dir.Path("walk.gpx"), kOneWaypoint);
    FifoReader pipe(dir.Path("pipe"));
    // The window's own question, not the fixture's answer to it.
    window = std::make_unique<TfmMain>(TestCatalogue(), SettingsLocation{settingsPath, ProgramFolder(), false});
    window->ShowBox = [this](QMessageBox::Icon icon, const QString& text) {
        boxes.push_back({icon, text.toStdString()});
    };
    ShowActive();
    window->ChooseInputFiles({Text(dir.Path("walk.gpx"))});
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    window->cOutPutFile->setText(Text(pipe.Path()));
    window->bConvert->click();
    // The conversion waits for the pipe's reader, who comes once the question is up.
    ASSERT_TRUE(window->Converting());
    bool asked = false, stuck = false;
    QTimer watch, giveUp;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!asked && qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = true;
            pipe.Start();
        }
    });
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            stuck = true;
            box->done(QMessageBox::No);
        }
    });
    watch.start(20);
    giveUp.start(15000);
    QTimer::singleShot(0, window.get(), [this] { window->close(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible() || stuck; }, 30000));
    EXPECT_TRUE(asked);
    EXPECT_FALSE(stuck) << "the question stayed after the conversion ended";
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(pipe.Finish().find("<kml"), std::string::npos);  // it ended by itself, whole
    EXPECT_TRUE(boxes.empty());
}
