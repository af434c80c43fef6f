// SPDX-License-Identifier: GPL-3.0-or-later
// Smaller promises of the window: what a TomTom input writes, when a typed
// output name gives way to a new input, and Open Folder without a file manager.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/format_table.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"

namespace {
QString Text(const std::string& s) { return QString::fromStdString(s); }

std::string Ov2()
{
    const char bytes[] = {2, 18, 0, 0, 0, 0x40, 0x0D, 0x03, 0, char(0xA0), char(0x86), 0x01, 0, 'M', 'a', 'r', 'k', 0};
    return std::string(bytes, sizeof bytes);
}
}  // namespace

TEST_F(WindowTest, ATomTomInputIntoKmlWritesOneFileAndOpenFolderSaysWhenNoFileManagerCan)
{
    std::filesystem::create_directories(dir.Path("card"));
    WriteText(dir.Path("card/poi.ov2"), Ov2());
    Open();
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    window->ChooseInputFiles({Text(dir.Path("card/poi.ov2"))});
    ConvertNow();
    EXPECT_EQ(window->WrittenFiles(), QStringList{Text(dir.Path("card/poi.kml"))});
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path("card")))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"poi.kml", "poi.ov2"}));

    fileManagerOpens = false;
    window->bOpenFolder->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("No file manager could open the folder\n\n" + dir.Path("card")), std::string::npos);
}

// A name typed for one input's output gives way to the next input's, unless
// it names a folder of the user's choosing.
TEST_F(WindowTest, ATypedOutputNameGivesWayToANewInputUnlessItsFolderWasChosen)
{
    for (const char* name : {"a.gpx", "b.gpx"}) WriteText(dir.Path(name), "<gpx version=\"1.1\"></gpx>\n");
    std::filesystem::create_directories(dir.Path("mine"));
    Open();
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    const struct {
        std::string typed, expected;
    } rows[] = {
        {"typed.kml", dir.Path("b.kml")},
        {dir.Path("typed.kml"), dir.Path("b.kml")},  // the input's own folder: nothing chosen
        {dir.Path("mine/typed.kml"), dir.Path("mine/typed.kml")},
    };
    for (const auto& row : rows) {
        window->ChooseInputFiles({Text(dir.Path("a.gpx"))});
        window->cOutPutFile->setText(Text(row.typed));
        window->ChooseInputFiles({Text(dir.Path("b.gpx"))});
        EXPECT_EQ(window->cOutPutFile->text(), Text(row.expected)) << row.typed;
    }
}
