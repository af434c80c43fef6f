// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/LabelLink.h"

#include <QEvent>
#include <QWidget>
#include <stdexcept>

QPoint LabelPosition(const QRect& control, const QSize& label, TLabelAlignment alignment, int gap)
{
    if (alignment == TLabelAlignment::laTop) return {control.left(), control.top() - gap - label.height()};
    // C++ division truncates toward zero, as the placement wants.
    return {control.left() - gap - label.width(), control.top() + (control.height() - label.height()) / 2};
}

LabelLink::LabelLink(QWidget* control, const QString& caption, bool wrapLongCaptions)
    : QObject(control), control_(control), wrapLongCaptions_(wrapLongCaptions)
{
    label_ = new TchangeLabel(control->parentWidget());
    label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label_->setBuddy(control);
    label_->SetCaption(caption);
    label_->setVisible(control->parentWidget() && !control->isHidden());
    connect(label_, &TchangeLabel::OnChange, this, &LabelLink::Place);
    connect(label_, &TchangeLabel::FontChanged, this, &LabelLink::Place);
    connect(label_, &TchangeLabel::Destroying, this, [this](TchangeLabel*) { label_ = nullptr; });
    control->installEventFilter(this);
    Place();
}

LabelLink::~LabelLink()
{
    // The label belongs to the control: it never outlives it, whoever owns it.
    delete label_;
    label_ = nullptr;
}

QString LabelLink::Caption() const { return label_ ? label_->text() : QString(); }

void LabelLink::SetCaption(const QString& caption)
{
    if (label_) label_->SetCaption(caption);
}

void LabelLink::SetAlignment(TLabelAlignment alignment)
{
    if (!label_ || alignment == alignment_) return;
    alignment_ = alignment;
    label_->setAlignment((alignment == TLabelAlignment::laLeft ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    Place();
}

void LabelLink::SetGap(int gap)
{
    if (gap < 0) throw std::invalid_argument("Displayment must be positive.");
    if (gap == gap_) return;
    gap_ = gap;
    Place();
}

void LabelLink::Place()
{
    if (!label_) return;
    if (wrapLongCaptions_) {
        // Measure the caption on one line again before deciding to wrap it.
        label_->setWordWrap(false);
        label_->SetAutoSize(false);
        label_->SetAutoSize(true);
    }
    label_->move(LabelPosition(control_->geometry(), label_->size(), alignment_, gap_));
    if (wrapLongCaptions_ && alignment_ == TLabelAlignment::laLeft && label_->x() < 2 && label_->text().size() > 10) {
        label_->SetAutoSize(false);
        label_->setWordWrap(true);
        label_->resize(label_->width() + label_->x() - 2, label_->height());
        label_->SetAutoSize(true);
        label_->move(LabelPosition(control_->geometry(), label_->size(), alignment_, gap_));
    }
}

bool LabelLink::eventFilter(QObject*, QEvent* event)
{
    if (!label_) return false;
    const QEvent::Type type = event->type();
    switch (type) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::FontChange: Place(); break;
    case QEvent::ParentChange:
        label_->setParent(control_->parentWidget());
        label_->setVisible(control_->parentWidget() && !control_->isHidden());
        Place();
        break;
    case QEvent::Show:
        label_->show();
        Place();
        break;
    case QEvent::Hide: label_->hide(); break;
    default: break;
    }
    return false;
}
