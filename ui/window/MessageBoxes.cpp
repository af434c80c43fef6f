// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/MessageBoxes.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

namespace {
// A title bar's font is mostly bold and somewhat larger; its icon and buttons take about this much.
constexpr double kTitleFontGrowth = 1.25;
constexpr int kTitleBarButtons = 10;  // in lines of the box's font
}  // namespace

void KeepTitleWhole(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    QFont bold = box.font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int width = static_cast<int>(metrics.horizontalAdvance(box.windowTitle()) * kTitleFontGrowth) +
                      kTitleBarButtons * metrics.height();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    KeepTitleWhole(box);
    box.exec();
}
