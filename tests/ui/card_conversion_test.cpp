// SPDX-License-Identifier: GPL-3.0-or-later
// A whole card in the window: a folder dropped shows its files with the
// format found for each, and Convert writes each into the output folder, as the command's
// --each does, asking once about files it would replace, and sums up.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextCursor>
#include <filesystem>

#include "formats/format_table.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"

namespace {
QString Text(const std::string& s) { return QString::fromStdString(s); }

std::string GpxWith(int n)
{
    return "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\"><wpt lat=\"1\" lon=\"" + std::to_string(n) +
           "\"><name>P" + std::to_string(n) + "</name></wpt></gpx>\n";
}
}  // namespace

TEST_F(WindowTest, AFolderDroppedConvertsEveryFileWithASummary)
{
    const std::string card = dir.Path("card");
    std::filesystem::create_directories(card);
    constexpr int kTracks = 40;
    for (int n = 0; n < kTracks; ++n) WriteText(card + "/walk" + std::to_string(n) + ".gpx", GpxWith(n));
    WriteText(card + "/notes.txt", "shopping list\n");
    Open();
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Text(card))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &drop);
    EXPECT_EQ(window->Lines().value(0), QString("%1 files chosen:").arg(kTracks + 1));
    EXPECT_TRUE(window->Lines().contains("notes.txt - format not known"));
    EXPECT_TRUE(window->Lines().contains("walk7.gpx - GPX Waypoints/Routes (.gpx)"));

    // Into a folder of its own: a second run finds the first's files there, not among the inputs.
    std::filesystem::create_directories(dir.Path("out"));
    window->cOutPutFile->setText(Text(dir.Path("out")));
    const QString summary =
        QString("%1 converted, 1 not converted: notes.txt (cannot tell its format from its content)").arg(kTracks);
    for (const bool again : {false, true}) {
        ConvertNow();
        EXPECT_EQ(window->Lines().last(), summary);
        EXPECT_EQ(window->WrittenFiles().size(), kTracks);
        EXPECT_NE(ReadText(dir.Path("out/walk39.kml")).find("P39"), std::string::npos);
        EXPECT_FALSE(window->CardProgress()->isVisible());
        // The second time, one question names every file it replaces.
        ASSERT_EQ(replaceQuestions.size(), again ? 1u : 0u);
        if (again) {
            EXPECT_EQ(replaceQuestions[0].size(), kTracks);
        }
    }
    EXPECT_TRUE(boxes.empty());
}

namespace {
// A card of files that hold waypoints, files that hold nothing, and a file of no format.
void WriteCard(const std::string& card, int withPoints, int empty, const std::string& walk = "walk")
{
    std::filesystem::create_directories(card);
    for (int n = 0; n < withPoints; ++n) WriteText(card + "/" + walk + std::to_string(n) + ".gpx", GpxWith(n));
    for (int n = 0; n < empty; ++n)
        WriteText(card + "/empty" + std::to_string(n) + ".gpx",
                  "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\"></gpx>\n");
    WriteText(card + "/notes.txt", "shopping list\n");
}
}  // namespace

// Files that hold nothing are not converted and replace nothing: the window
// counts a card as the command's --each counts it.
TEST_F(WindowTest, AFolderIsCountedAsTheCommandCountsIt)
{
    const std::string card = dir.Path("card");
    WriteCard(card, 3, 2);
    WriteText(card + "/damaged.gpx", "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\"><wpt lat=\"1\" lon=\"2\"/>"
                                     "<wpt lat=\"x\" lon=\"2\"/></gpx>\n");
    std::filesystem::create_directories(dir.Path("out"));
    WriteText(dir.Path("out/empty0.kml"), "old");
    Open();
    window->ChooseInputFiles({Text(card)});
    // Listed before an output is chosen, each file as its content names it.
    EXPECT_TRUE(window->Lines().contains("walk0.gpx - GPX Waypoints/Routes (.gpx)"));
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    window->cOutPutFile->setText(Text(dir.Path("out")));
    ConvertNow();
    EXPECT_EQ(ReadText(dir.Path("out/empty0.kml")), "old");
    EXPECT_EQ(window->WrittenFiles().size(), 4);
    const CommandResult command = RunConvert({"--each", card, "-O", dir.Path("command"), "-o", "kml"});
    ASSERT_FALSE(command.errLines.empty());
    const std::string said = command.errLines.back().substr(std::string("kes-convert: ").size());
    EXPECT_EQ(said, "4 converted, 3 not converted, 1 with data left out");
    EXPECT_TRUE(window->Lines().last().startsWith(Text(said) + ": ")) << window->Lines().last().toStdString();
}

// Every file's lines stay in the pane, each under its heading, and the
// summary wraps within the pane instead of running past its edge.
TEST_F(WindowTest, EveryFilesLinesStayAndTheSummaryWraps)
{
    // Names long enough to wrap in the pane, as the summary does.
    const std::string card = dir.Path("card"), walk = "a-walk-along-the-river-on-a-long-summer-evening-";
    WriteCard(card, 3, 4, walk);
    Open();
    ShowActive();
    window->ChooseInputFiles({Text(card)});
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    ConvertNow();
    const QStringList lines = window->Lines();
    EXPECT_EQ(lines.count("Done ....."), 7);
    for (int n = 0; n < 3; ++n) EXPECT_TRUE(lines.contains(Text(card + "/" + walk + std::to_string(n) + ".gpx"))) << n;
    EXPECT_TRUE(lines.contains(QString("4 of 8: ") + Text(card + "/empty0.gpx")));
    const QString summary = lines.last();
    ASSERT_TRUE(summary.startsWith("3 converted, 5 not converted: ")) << summary.toStdString();
    EXPECT_GT(window->cOutput->fontMetrics().horizontalAdvance(summary), window->cOutput->viewport()->width());
    EXPECT_EQ(window->cOutput->horizontalScrollBar()->maximum(), 0);
    // The pane ends on the summary's last line, however many lines it wrapped
    // into, also once the pane is made smaller.
    QTextCursor end(window->cOutput->document());
    end.movePosition(QTextCursor::End);
    EXPECT_TRUE(window->cOutput->viewport()->rect().contains(window->cOutput->cursorRect(end)));
    const int tall = window->cOutput->viewport()->height();
    window->resize(window->size() - QSize(0, 120));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->cOutput->viewport()->height() < tall; }, 2000));
    EXPECT_TRUE(window->cOutput->viewport()->rect().contains(window->cOutput->cursorRect(end)));
}
