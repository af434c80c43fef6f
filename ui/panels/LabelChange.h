// SPDX-License-Identifier: GPL-3.0-or-later
// TchangeLabel: a caption label that reports every change of its text, so the
// control it belongs to can place it again.
#pragma once

#include <QLabel>

class TchangeLabel : public QLabel {
    Q_OBJECT
public:
    explicit TchangeLabel(QWidget* parent = nullptr);
    ~TchangeLabel() override;

    // Sets the text and, when it differs, fits the size and fires OnChange.
    void SetCaption(const QString& text);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    void SetWordWrap(bool on);

    // With auto-size on: one line fits its text; a wrapped label keeps its
    // width and takes the height its text needs.
    void FitSize();

protected:
    void changeEvent(QEvent* event) override;

signals:
    void OnChange(TchangeLabel* sender);
    // After a new font has been taken and the size fitted to it.
    void FontChanged(TchangeLabel* sender);
    // Before the label is torn down, so its control stops using it.
    void Destroying(TchangeLabel* sender);

private:
    bool autoSize_ = true;
};
