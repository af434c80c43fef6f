// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/TimesRow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <cstring>

#include "repair/shift_text.h"
#include "ui/panels/TextStart.h"
#include "ui/panels/WrappingRow.h"

namespace {
const char* const kAsRead = "as read (UTC)";
}

TimesRow::TimesRow(QWidget* parent) : QWidget(parent)
{
    label_ = new QLabel("Ti&mes", this);
    shift_ = new QLineEdit(this);
    shift_->setPlaceholderText("shift +3h");
    shift_->setToolTip("Added to every time: a sign, then amounts of w, d, h, m and s in that order");
    shift_->setMaxLength(40);
    // Wide enough for its hint and a shift such as -1d2h30m.
    shift_->setFixedWidth(fontMetrics().horizontalAdvance(shift_->placeholderText() + "  ") + 12);
    label_->setBuddy(shift_);
    zone_ = new QComboBox(this);
    zone_->setEditable(true);
    zone_->setInsertPolicy(QComboBox::NoInsert);
    // Wide enough for its first entry whole; the longest zone name would widen the window's fields.
    zone_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    zone_->setMinimumContentsLength(static_cast<int>(std::strlen(kAsRead)) + 1);
    zone_->setToolTip("The zone whose wall-clock times the inputs hold");
    zone_->addItem(kAsRead);
    zone_->addItem("UTC");
    // The host's zone, and every zone of the database as a name is typed,
    // are offered once the list is first used: listing the database would
    // hold up the window's start.
    zone_->installEventFilter(this);
    rollover_ = new QCheckBox("+1024 weeks", this);
    rollover_->setToolTip("The repair of a receiver's week rollover");
    forEveryFile_ = new QCheckBox("for every file", this);
    forEveryFile_->setToolTip("Keep these repairs for every file opened after this one (a batch); otherwise they "
                              "belong to the file open and go when another is opened");

    // Onto a second line where the fields are narrow: each part stays whole.
    auto* row = new WrappingRow(this);
    row->SetPackedLeft(true);
    row->setContentsMargins(0, 0, 0, 0);
    for (QWidget* part : std::initializer_list<QWidget*>{shift_, zone_, rollover_, forEveryFile_}) row->addWidget(part);

    connect(shift_, &QLineEdit::textChanged, this, &TimesRow::Changed);
    connect(zone_, &QComboBox::currentTextChanged, this, &TimesRow::Changed);
    ShowTextStart(zone_);
    connect(rollover_, &QCheckBox::toggled, this, &TimesRow::Changed);
}

TimeRepairs TimesRow::Repairs() const
{
    TimeRepairs repairs;
    const std::string shift = shift_->text().trimmed().toStdString();
    if (const auto seconds = ParseShift(shift)) {
        repairs.shift = *seconds;
        repairs.shiftText = shift;
    }
    if (zone_->currentText() != kAsRead) repairs.zone = TimeZone::Named(zone_->currentText().toStdString());
    repairs.rollovers = rollover_->isChecked() ? 1 : 0;
    return repairs;
}

QString TimesRow::Error() const
{
    const QString zone = zone_->currentText();
    if (zone != kAsRead && !TimeZone::Named(zone.toStdString()))
        return QString("The zone '%1' is not in the time-zone database (as Europe/Berlin)").arg(zone);
    const QString shift = shift_->text().trimmed();
    if (shift.isEmpty() || ParseShift(shift.toStdString())) return {};
    return QString("The shift '%1' is none: type a sign, then amounts of w, d, h, m and s in that order (+3h, "
                   "-1d2h30m)")
        .arg(shift);
}

void TimesRow::SetRollover(bool on) { rollover_->setChecked(on); }

void TimesRow::ForAnotherFile()
{
    const bool chosen = !shift_->text().isEmpty() || zone_->currentText() != kAsRead || rollover_->isChecked();
    if (forEveryFile_->isChecked() || !chosen) return;
    {
        const QSignalBlocker quietShift(shift_), quietZone(zone_), quietRollover(rollover_);
        shift_->clear();
        zone_->setCurrentIndex(0);
        zone_->setEditText(kAsRead);
        rollover_->setChecked(false);
    }
    emit Changed();
}

bool TimesRow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == zone_ && !zonesOffered_ &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress ||
         event->type() == QEvent::Wheel)) {
        zonesOffered_ = true;
        if (const TimeZone system = TimeZone::System(); !system.IsUtc())
            zone_->insertItem(1, QString::fromStdString(system.Name()));
        QStringList names;
        for (const std::string& name : TimeZone::Names()) names << QString::fromStdString(name);
        auto* completer = new QCompleter(names, zone_);
        completer->setCompletionMode(QCompleter::PopupCompletion);
        completer->setFilterMode(Qt::MatchContains);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        zone_->setCompleter(completer);
    }
    return QWidget::eventFilter(watched, event);
}
