// SPDX-License-Identifier: GPL-3.0-or-later
// The "Times" row of the window: the repairs of the inputs' times (a shift,
// the zone of wall-clock times, the week rollover), which the conversion and
// the view both apply.
#pragma once

#include <QWidget>

#include "repair/time_repairs.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class TimesRow : public QWidget {
    Q_OBJECT
public:
    explicit TimesRow(QWidget* parent = nullptr);

    // The repairs chosen; the shift only when it reads as one.
    TimeRepairs Repairs() const;
    // Why the shift or the zone typed is none ("" when both are right).
    QString Error() const;
    void SetRollover(bool on);
    // Another file is opened: the repairs were chosen for the one before and
    // go, unless they are pinned for every file (a batch).
    void ForAnotherFile();

    QLabel* Label() const { return label_; }
    QLineEdit* Shift() const { return shift_; }
    QComboBox* Zone() const { return zone_; }
    QCheckBox* Rollover() const { return rollover_; }
    QCheckBox* ForEveryFile() const { return forEveryFile_; }

signals:
    void Changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* label_;
    QLineEdit* shift_;
    QComboBox* zone_;
    QCheckBox* rollover_;
    QCheckBox* forEveryFile_;
    bool zonesOffered_ = false;
};
