// SPDX-License-Identifier: GPL-3.0-or-later
// A label of at most two lines, always two lines high: a text that needs more
// is cut at the end of the second line and shown whole in its tooltip, so that
// the controls below it never move as its text changes.
#pragma once

#include <QLabel>

class TwoLineLabel : public QLabel {
    Q_OBJECT
public:
    explicit TwoLineLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    QString FullText() const { return full_; }
    // The text needs more than two lines at the label's width.
    bool Cut() const { return cut_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Fit();

    QString full_;
    bool cut_ = false;
};
