// SPDX-License-Identifier: GPL-3.0-or-later
// TfmHelp: the help, a window of its own beside the main one (not modal),
// resizable and searchable: the user guide (the formats, the command line,
// what each output holds, the window, the view, its keys), shown as a page
// that follows the desktop's theme.
#pragma once

#include <QDialog>

class QLineEdit;
class QLabel;
class QTextBrowser;

class TfmHelp : public QDialog {
    Q_OBJECT
public:
    explicit TfmHelp(QWidget* parent = nullptr);

    QTextBrowser* Page() const { return page_; }
    QLineEdit* Search() const { return search_; }
    // Finds the next place the search text is, from the top again past the last; false when nowhere.
    bool FindNext();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Fill();
    QTextBrowser* page_;
    QLineEdit* search_;
    QLabel* found_;
    bool filled_ = false;
};
