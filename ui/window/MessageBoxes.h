// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes whose title stays whole: a window manager cuts a title that is
// wider than its box, which a short message makes narrow.
#pragma once

#include <QMessageBox>

// Widens the box to its title's width and the window manager's buttons beside it.
void KeepTitleWhole(QMessageBox& box);
// Shows a box with one OK button, its title whole, and waits.
void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text);
