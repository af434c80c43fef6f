#include "ui/LabelChange.h"

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
