// SPDX-License-Identifier: GPL-3.0-or-later
// The question of a log's date: a small dialog with a date field, asked when
// an NMEA log gives its fixes' times of day but no date.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

class QWidget;

// What the user answers: a date, no date (the times are written without one),
// or Cancel, which cancels the conversion.
struct LogDateAnswer {
    enum class Choice { Date, WithoutDate, Cancel };
    Choice choice = Choice::Cancel;
    QDate date;
};

// Asks the date of the log, offering the file's modification date.
LogDateAnswer AskDateOfLog(QWidget* parent, const QString& file);
