// SPDX-License-Identifier: GPL-3.0-or-later
// The question of a log's date: the window asks it for a log of times of day
// only, and its dialog gives the date chosen, or none when cancelled.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>

#include "core/catalogue.h"
#include "formats/format_table.h"
#include "tests/ui/window_fixture.h"
#include "ui/FilenameEditLabel.h"
#include "ui/LogDate.h"
#include "ui/Lyrlcomb.h"

TEST_F(WindowTest, ALogWithoutADateIsDatedByTheUsersAnswer)
{
    WriteText(dir.Path("gga.log"), "$GNGGA,120000,4807.038,N,01131.000,E,1,05,1.6,100,M,,\r\n");
    Open();
    const struct {
        std::optional<QDate> answer;
        const char* written;
        const char* held;
    } cases[] = {
        {QDate(2019, 5, 1), "Written: 1 track point", "<time>2019-05-01T12:00:00Z</time>"},
        {std::nullopt, "Written: 1 track point, without times - the log gives no date", "<ele>100</ele><fix>"},
    };
    for (const auto& c : cases) {
        QStringList asked;
        window->AskDate = [&](const QString& file) {
            asked << file;
            return c.answer;
        };
        window->cInputFile->setText(QString::fromStdString(dir.Path("gga.log")));
        window->cInputFileFormat->setCurrentIndex(Position(Input::Nmea));
        window->cOutPutFile->setText(QString::fromStdString(dir.Path("out.gpx")));
        window->cOutputFileFormat->setCurrentIndex(Position(Output::GpxTrack));
        ConvertNow();
        EXPECT_EQ(asked, QStringList{QString::fromStdString(dir.Path("gga.log"))});
        EXPECT_TRUE(window->Lines().contains(c.written)) << window->Lines().join('\n').toStdString();
        EXPECT_NE(ReadText(dir.Path("out.gpx")).find(c.held), std::string::npos);
        EXPECT_TRUE(boxes.empty());
    }
}

TEST(LogDateDialog, OkGivesTheDateChosenAndCancelNone)
{
    for (const auto button : {QDialogButtonBox::Ok, QDialogButtonBox::Cancel}) {
        QTimer::singleShot(0, [button] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QDateEdit*>()->setDate(QDate(2004, 8, 7));
            dialog->findChild<QDialogButtonBox*>()->button(button)->click();
        });
        const std::optional<QDate> date = AskDateOfLog(nullptr, "/cards/gga.log");
        EXPECT_EQ(date, button == QDialogButtonBox::Ok ? std::optional(QDate(2004, 8, 7)) : std::nullopt);
    }
}
