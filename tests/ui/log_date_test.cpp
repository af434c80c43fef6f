// SPDX-License-Identifier: GPL-3.0-or-later
// The question of a log's date: the window asks it for a log of times of day
// only, and its dialog gives the date chosen, or none when cancelled.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include "core/convert/catalogue.h"
#include "formats/format_table.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/LogDate.h"
#include "ui/panels/Lyrlcomb.h"

TEST_F(WindowTest, ALogWithoutADateIsDatedByTheUsersAnswer)
{
    WriteText(dir.Path("gga.log"), "$GNGGA,120000,4807.038,N,01131.000,E,1,05,1.6,100,M,,\r\n");
    Open();
    using Choice = LogDateAnswer::Choice;
    const struct {
        LogDateAnswer answer;
        const char* written;
        const char* held;
        const char* dated;  // the date's line, as the command's --date says it; none
    } cases[] = {
        {{Choice::Date, QDate(2019, 5, 1)},
         "Written: 1 track point",
         "<time>2019-05-01T12:00:00Z</time>",
         "date 2019-05-01: 1 time of day dated"},
        {{Choice::WithoutDate, {}},
         "Written: 1 track point, without times - the log gives no date",
         "<ele>100</ele><fix>",
         nullptr},
        // Cancel cancels: the file written before stays as it was
        {{Choice::Cancel, {}}, "Stopped - nothing was written", "<ele>100</ele><fix>", nullptr},
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
        EXPECT_EQ(window->Lines().filter("of day dated"), c.dated ? QStringList{c.dated} : QStringList());
        EXPECT_NE(ReadText(dir.Path("out.gpx")).find(c.held), std::string::npos);
        EXPECT_TRUE(boxes.empty());
    }
}

// The file's own date is offered; Ok gives the date chosen, "Without date"
// none, Cancel cancels.
TEST(LogDateDialog, OffersTheFilesDateAndTellsWithoutDateFromCancel)
{
    TempDir dir;
    const std::string log = dir.Path("gga.log");
    WriteText(log, "");
    QFile file(QString::fromStdString(log));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2011, 3, 4), QTime(12, 0)), QFileDevice::FileModificationTime));
    file.close();
    using Choice = LogDateAnswer::Choice;
    const struct {
        QString button;
        Choice choice;
    } rows[] = {{"OK", Choice::Date}, {"&Without date", Choice::WithoutDate}, {"&Cancel", Choice::Cancel}};
    for (const auto& row : rows) {
        QDate offered;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            offered = dialog->findChild<QDateEdit*>()->date();
            for (QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons())
                if (button->text().remove('&') == QString(row.button).remove('&')) button->click();
        });
        const LogDateAnswer answer = AskDateOfLog(nullptr, QString::fromStdString(log));
        EXPECT_EQ(offered, QDate(2011, 3, 4));
        EXPECT_EQ(answer.choice, row.choice) << row.button.toStdString();
        EXPECT_EQ(answer.date, row.choice == Choice::Date ? QDate(2011, 3, 4) : QDate());
    }
}
