// SPDX-License-Identifier: GPL-3.0-or-later
// The Shape panel: steps added, moved and removed from the keyboard, kept in
// the settings and applied by Convert; the preview made off the window's
// thread, with the figures before and after.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <thread>

#include "core/convert/catalogue.h"
#include "formats/format_table.h"
#include "tests/support/test_catalogue.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"
#include "ui/panels/ShapePanel.h"
#include "ui/view/MapView.h"
#include "ui/window/IniFile.h"

namespace {
// A GPX track of n points along a wavy line, one a second.
std::string WavyTrack(int n)
{
    std::string gpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\" "
                      "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><name>Wave</name><trkseg>\n";
    char line[128];
    for (int i = 0; i < n; ++i) {
        std::snprintf(line, sizeof line, "<trkpt lat=\"%.7f\" lon=\"%.7f\"/>\n", 47 + 0.0003 * std::sin(i / 20.0),
                      8 + i * 0.00003);
        gpx += line;
    }
    return gpx + "</trkseg></trk></gpx>\n";
}

void Add(ShapePanel& panel, const char* option, const QString& value)
{
    panel.Kind()->setCurrentIndex(panel.Kind()->findData(QString(option)));
    panel.Value()->setText(value);
    if (panel.Value()->isEnabled()) QTest::keyClick(panel.Value(), Qt::Key_Return);
    else panel.AddChosen();  // the Add button, for a step without a value
}

std::vector<std::string> Listed(const ShapePanel& panel)
{
    std::vector<std::string> names;
    for (int i = 0; i < panel.List()->count(); ++i) names.push_back(panel.List()->item(i)->text().toStdString());
    return names;
}
}  // namespace

TEST(ShapePanelTest, ThePreviewIsShapedOffTheWindowsThread)
{
    TempDir dir;
    WriteText(dir.Path("wave.gpx"), WavyTrack(100'000));
    ShapePanel panel(TestCatalogue(), nullptr);
    QSignalSpy shown(&panel, &ShapePanel::PreviewUpdated);
    panel.SetInput(QString::fromStdString(dir.Path("wave.gpx")), Position(Input::GpxTracks));
    Add(panel, "simplify", "5m");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return panel.Figures()->item(1, 1) && !panel.Figures()->item(1, 1)->text().isEmpty(); }, 60000));
    EXPECT_NE(panel.Preview().WorkerThread(), std::this_thread::get_id());
    EXPECT_NE(panel.Preview().WorkerThread(), std::thread::id());
    EXPECT_EQ(panel.Figures()->item(1, 0)->text(), "100,000");
    EXPECT_LT(panel.Figures()->item(1, 1)->text().remove(',').toInt(), 100'000);
    EXPECT_GE(shown.count(), 1);
}

TEST(ShapePanelTest, StepsAreAddedMovedAndRemovedByKeyboardAndKeptInTheSettings)
{
    TempDir dir;
    ShapePanel panel(TestCatalogue(), nullptr);
    Add(panel, "split-gap", "30m");
    Add(panel, "simplify", "five");  // refused: not added
    Add(panel, "simplify", "5m");
    Add(panel, "drop-repeats", "");
    EXPECT_EQ(Listed(panel), (std::vector<std::string>{"split at gaps over 30 min", "simplify 5 m", "drop repeats"}));
    panel.List()->setCurrentRow(2);
    QTest::keyClick(panel.List(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(Listed(panel), (std::vector<std::string>{"split at gaps over 30 min", "drop repeats", "simplify 5 m"}));
    panel.List()->setCurrentRow(0);
    QTest::keyClick(panel.List(), Qt::Key_Delete);
    EXPECT_EQ(Listed(panel), (std::vector<std::string>{"drop repeats", "simplify 5 m"}));

    std::vector<IniEntry> entries;
    panel.WriteSettings(entries);
    IniFile(dir.Path("k.ini")).WriteStrings(entries);
    ShapePanel again(TestCatalogue(), nullptr);
    again.ReadSettings(IniFile(dir.Path("k.ini")));
    EXPECT_EQ(again.Choices(), panel.Choices());
}

TEST_F(WindowTest, ConvertAppliesTheShapeSteps)
{
    WriteText(dir.Path("wave.gpx"), WavyTrack(3000));
    WriteText(settingsPath, "[Shape]\r\nSteps=split-points=1000;simplify=1m\r\n");
    Open();
    window->cInputFileFormat->setCurrentIndex(Position(Input::GpxTracks));
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    window->cInputFile->setText(QString::fromStdString(dir.Path("wave.gpx")));
    window->cOutPutFile->setText(QString::fromStdString(dir.Path("out.kml")));
    ConvertNow();
    EXPECT_TRUE(boxes.empty()) << boxes.front().text;
    const QString pane = window->cOutput->toPlainText();
    EXPECT_TRUE(pane.contains("split into pieces of 1,000 points: 1 -> 3 tracks")) << pane.toStdString();
    EXPECT_TRUE(pane.contains("simplify 1 m: 3,000 -> ")) << pane.toStdString();
    EXPECT_NE(ReadText(dir.Path("out.kml")).find("<name>Wave-3</name>"), std::string::npos);
}

// A wrong value is said in the panel's words: the step as the list names it,
// never the command line's option.
TEST(ShapePanelTest, AWrongValueIsSaidInThePanelsWords)
{
    MapView map;
    ShapePanel panel(TestCatalogue(), &map);
    const struct {
        const char* option;
        const char* value;
        const char* said;
    } cases[] = {
        {"simplify", "five", "\"Simplify within\" needs a length such as 5m or 2km, not 'five'"},
        {"split-gap", "-3m", "\"Split at time gaps over\" needs a time such as 30m or 2h, not '-3m'"},
        {"merge", "all", "\"Merge tracks (join: one section)\" takes 'join' or no value, not 'all'"},
        {"crop-box", "north", "\"Crop to box S,W,N,E\" needs degrees as S,W,N,E, not 'north'"},
    };
    for (const auto& c : cases) {
        Add(panel, c.option, c.value);
        EXPECT_EQ(panel.Message()->text(), c.said);
        EXPECT_EQ(panel.List()->count(), 0) << c.option;
    }
}
