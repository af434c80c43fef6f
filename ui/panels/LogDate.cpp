// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/LogDate.h"

#include <QDateEdit>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

LogDateAnswer AskDateOfLog(QWidget* parent, const QString& file)
{
    QDialog dialog(parent);
    dialog.setWindowTitle("kesTranscribe");
    const QFileInfo info(file);
    auto* text = new QLabel(QString("The log %1 gives the times of day of its fixes, but not their date.\n"
                                    "The date of its first fix (the file's own date is offered):")
                                .arg(info.fileName()),
                            &dialog);
    // A log is most often copied off its device the day it was recorded.
    const QDate offered = info.exists() ? info.lastModified().date() : QDate::currentDate();
    auto* date = new QDateEdit(offered, &dialog);
    date->setDisplayFormat("yyyy-MM-dd");
    date->setCalendarPopup(true);
    date->setAccessibleName("Date of the first fix");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton* without = buttons->addButton("&Without date", QDialogButtonBox::ActionRole);
    LogDateAnswer answer;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(without, &QPushButton::clicked, &dialog, [&] {
        answer.choice = LogDateAnswer::Choice::WithoutDate;
        dialog.reject();
    });
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(date);
    layout->addWidget(buttons);
    if (dialog.exec() == QDialog::Accepted) answer = {LogDateAnswer::Choice::Date, date->date()};
    return answer;
}
