// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LogDate.h"

#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

std::optional<QDate> AskDateOfLog(QWidget* parent, const QString& file)
{
    QDialog dialog(parent);
    dialog.setWindowTitle("kesTranscribe");
    auto* text = new QLabel(QString("The log %1 gives the times of day of its fixes, but not their date.\n"
                                    "The date of its first fix (Cancel leaves them without a date):")
                                .arg(QFileInfo(file).fileName()),
                            &dialog);
    auto* date = new QDateEdit(QDate::currentDate(), &dialog);
    date->setDisplayFormat("yyyy-MM-dd");
    date->setCalendarPopup(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(date);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return date->date();
}
