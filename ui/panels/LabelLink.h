// SPDX-License-Identifier: GPL-3.0-or-later
// The caption label that a labelled control carries: created beside the
// control, kept in the control's parent, placed again whenever the control
// moves, resizes, changes font or parent, and freed with the control.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include "ui/panels/LabelChange.h"

enum class TLabelAlignment { laLeft, laTop };

// Top-left corner of a label beside a control: to its left and vertically
// centred, or above it; `gap` pixels away.
QPoint LabelPosition(const QRect& control, const QSize& label, TLabelAlignment alignment, int gap);

class LabelLink : public QObject {
    Q_OBJECT
public:
    // wrapLongCaptions: a long caption that would start left of the parent's
    // edge is wrapped to fit instead (the drop-down list's variant).
    LabelLink(QWidget* control, const QString& caption, bool wrapLongCaptions);
    ~LabelLink() override;

    TchangeLabel* Label() const { return label_; }

    QString Caption() const;
    void SetCaption(const QString& caption);
    TLabelAlignment Alignment() const { return alignment_; }
    void SetAlignment(TLabelAlignment alignment);
    int Gap() const { return gap_; }
    // Throws std::invalid_argument "Displayment must be positive." for a negative gap.
    void SetGap(int gap);

    void Place();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* control_;
    TchangeLabel* label_;  // null once the label is gone
    TLabelAlignment alignment_ = TLabelAlignment::laLeft;
    int gap_ = 6;
    bool wrapLongCaptions_;
};
