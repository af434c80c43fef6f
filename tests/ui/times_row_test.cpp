// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QToolButton>
#include <filesystem>

#include "formats/format_table.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"
#include "ui/panels/TimesRow.h"
#include "ui/view/DataView.h"

namespace {
// A logger caught by the 2019 rollover: fixes of several systems, which no
// receiver gave in 1999, dated 1999-08-24.
std::string EarlyLog(const TempDir& dir)
{
    const std::string file = dir.Path("old.nmea");
    WriteText(file, "$GNRMC,120000,A,4807.038,N,01131.000,E,022.4,084.4,240899,003.1,W\r\n"
                    "$GNRMC,120500,A,4807.538,N,01132.000,E,022.4,084.4,240899,003.1,W\r\n");
    return file;
}
}  // namespace

// The warning above the map, its button, and the conversion that follows it.
TEST_F(WindowTest, TheEarlyTimesWarningsButtonRepairsTheViewAndTheConversion)
{
    Open();
    const int nmea = static_cast<int>(Input::Nmea);
    window->cInputFileFormat->setCurrentIndex(nmea);
    window->cOutputFileFormat->setCurrentIndex(static_cast<int>(Output::GpxTrack));
    window->cOutPutFile->setText(QString::fromStdString(dir.Path("out.gpx")));
    QSignalSpy done(window->cView, &DataView::ReadDone);
    window->cInputFile->setText(QString::fromStdString(EarlyLog(dir)));
    // The host's zone is looked up when the figures first need it, the table filled once.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    window->cView->ShowFile(window->cInputFile->text(), nmea);
    ASSERT_TRUE(done.count() > 0 || done.wait(10000));
    EXPECT_EQ(window->cView->Table()->item(0, 4)->text(), "1999-08-24 14:00:00 +02:00");
    const int rows = window->cView->Table()->rowCount();
    window->cView->UtcButton()->setChecked(true);
    zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
    EXPECT_EQ(window->cView->Table()->rowCount(), rows);
    EXPECT_FALSE(window->cView->EarlyBar()->isHidden());
    EXPECT_EQ(window->cView->Table()->item(0, 4)->text(), "1999-08-24 12:00:00 UTC");

    done.clear();
    window->cView->EarlyButton()->click();
    EXPECT_TRUE(window->cTimes->Rollover()->isChecked());
    ASSERT_TRUE(done.wait(10000));
    EXPECT_TRUE(window->cView->EarlyBar()->isHidden());
    EXPECT_EQ(window->cView->Table()->item(0, 4)->text(), "2019-04-09 12:00:00 UTC");
    ConvertNow();
    EXPECT_TRUE(window->Lines().contains("rollover 1: 2 times moved")) << window->Lines().join("|").toStdString();
    EXPECT_NE(ReadText(dir.Path("out.gpx")).find("<time>2019-04-09T12:05:00Z</time>"), std::string::npos);
}

TEST_F(WindowTest, TheTimesRowsShiftAndZoneReachTheConversionAndAWrongOneStopsIt)
{
    Open();
    const struct {
        const char* shift;
        const char* zone;
        const char* time;  // of the first point written; none: refused with a message
    } cases[] = {{"+1h30m", "as read (UTC)", "1999-08-24T13:30:00Z"},
                 {"", "Europe/Berlin", "1999-08-24T10:00:00Z"},
                 {"-45s", "Asia/Kolkata", "1999-08-24T06:29:15Z"},
                 {"+3 hours", "as read (UTC)", nullptr},
                 {"", "Mars/Olympus", nullptr}};
    const std::string input = EarlyLog(dir);
    for (const auto& c : cases) {
        boxes.clear();
        std::filesystem::remove(dir.Path("out.gpx"));
        window->cInputFileFormat->setCurrentIndex(static_cast<int>(Input::Nmea));
        window->cOutputFileFormat->setCurrentIndex(static_cast<int>(Output::GpxTrack));
        window->cOutPutFile->setText(QString::fromStdString(dir.Path("out.gpx")));
        window->cInputFile->setText(QString::fromStdString(input));
        window->cTimes->Shift()->setText(c.shift);
        window->cTimes->Zone()->setEditText(c.zone);
        ConvertNow();
        if (!c.time) {
            ASSERT_EQ(boxes.size(), 1u) << c.shift << c.zone;
            EXPECT_FALSE(std::filesystem::exists(dir.Path("out.gpx")));
            continue;
        }
        const std::string gpx = ReadText(dir.Path("out.gpx"));
        const std::size_t first = gpx.find("<trkpt");
        EXPECT_NE(gpx.find(std::string("<time>") + c.time, first), std::string::npos) << c.shift << c.zone;
    }
}
