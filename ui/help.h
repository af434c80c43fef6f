// SPDX-License-Identifier: GPL-3.0-or-later
// TfmHelp: the fixed help text in a modal tool window, first sized to show
// its longest line.
#pragma once

#include <QDialog>

class QPlainTextEdit;

// The help text, line by line, as the help window shows it.
QString HelpText();

class TfmHelp : public QDialog {
    Q_OBJECT
public:
    explicit TfmHelp(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1;

    // Wide enough for the longest line of the text in the pane's font.
    QSize FittingSize() const;
};
