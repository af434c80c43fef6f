// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/LabelChange.h"

#include <QEvent>

TchangeLabel::TchangeLabel(QWidget* parent) : QLabel(parent) {}

TchangeLabel::~TchangeLabel() { emit Destroying(this); }

void TchangeLabel::SetCaption(const QString& text)
{
    if (text == this->text()) return;
    setText(text);
    FitSize();
    emit OnChange(this);
}

void TchangeLabel::SetAutoSize(bool on)
{
    autoSize_ = on;
    FitSize();
}

void TchangeLabel::SetWordWrap(bool on)
{
    setWordWrap(on);
    FitSize();
}

void TchangeLabel::FitSize()
{
    if (!autoSize_) return;
    if (wordWrap()) resize(width(), heightForWidth(width()));
    else resize(sizeHint());
}

void TchangeLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    // Only now has the label let go of the size its old font gave it.
    if (event->type() == QEvent::FontChange) {
        FitSize();
        emit FontChanged(this);
    }
}
