// SPDX-License-Identifier: GPL-3.0-or-later
// The question of a log's date: a small dialog with a date field, asked when
// an NMEA log gives its fixes' times of day but no date.
#pragma once

#include <QDate>
#include <QString>
#include <optional>

class QWidget;

// The date the user gives for the log, none when the dialog is cancelled.
std::optional<QDate> AskDateOfLog(QWidget* parent, const QString& file);
