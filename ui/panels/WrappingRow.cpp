// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/WrappingRow.h"

#include <QWidget>
#include <algorithm>

WrappingRow::~WrappingRow()
{
    while (QLayoutItem* item = takeAt(0)) delete item;
}

QLayoutItem* WrappingRow::takeAt(int index)
{
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QSize WrappingRow::sizeHint() const
{
    QSize size(0, 0);
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const QSize hint = item->sizeHint();
        size =
            QSize(size.width() + (size.width() > 0 ? Gap() : 0) + hint.width(), std::max(size.height(), hint.height()));
    }
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

// The widest control: the row wraps down to one control a line.
QSize WrappingRow::minimumSize() const
{
    QSize size(0, 0);
    for (const QLayoutItem* item : items_)
        if (!item->isEmpty()) size = size.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

void WrappingRow::invalidate()
{
    QLayout::invalidate();
    if (QWidget* owner = parentWidget()) owner->updateGeometry();
}

void WrappingRow::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int WrappingRow::Arrange(const QRect& rect, bool place) const
{
    const QRect room = rect.marginsRemoved(contentsMargins());
    int top = room.top(), height = 0;
    QList<QLayoutItem*> line;
    int lineWidth = 0;
    auto finishLine = [&] {
        // Packed to the right, as the controls stood before they wrapped (or to the left).
        int x = packedLeft_ ? room.left() : room.right() + 1 - lineWidth;
        int lineHeight = 0;
        for (QLayoutItem* item : line) lineHeight = std::max(lineHeight, item->sizeHint().height());
        for (QLayoutItem* item : line) {
            const QSize hint = item->sizeHint();
            if (place) item->setGeometry(QRect(QPoint(x, top + (lineHeight - hint.height()) / 2), hint));
            x += hint.width() + Gap();
        }
        if (!line.isEmpty()) {
            height = top + lineHeight - room.top();
            top += lineHeight + Gap();
        }
        line.clear();
        lineWidth = 0;
    };
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const int width = std::min(item->sizeHint().width(), room.width());
        if (!line.isEmpty() && lineWidth + Gap() + width > room.width()) finishLine();
        lineWidth += (line.isEmpty() ? 0 : Gap()) + width;
        line.append(item);
    }
    finishLine();
    const QMargins m = contentsMargins();
    return height + m.top() + m.bottom();
}
