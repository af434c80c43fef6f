// SPDX-License-Identifier: GPL-3.0-or-later
// A whole card in the window: a folder dropped shows its files with the
// format found for each, and Convert writes each into the output folder, as the command's
// --each does, asking once about files it would replace, and sums up.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QProgressBar>
#include <filesystem>

#include "formats/format_table.h"
#include "tests/ui/window_fixture.h"
#include "ui/FilenameEditLabel.h"
#include "ui/Lyrlcomb.h"

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
