// SPDX-License-Identifier: GPL-3.0-or-later
// A row of controls, packed to the right (or left), that wraps onto further lines when
// its room is narrower than the row: a narrow window (a small screen, a large
// scale) keeps every control whole.
#pragma once

#include <QLayout>
#include <QList>

class WrappingRow : public QLayout {
public:
    explicit WrappingRow(QWidget* parent = nullptr) : QLayout(parent) {}
    ~WrappingRow() override;
    // Packed to the left, as a row of fields reads, instead of to the right.
    void SetPackedLeft(bool left) { packedLeft_ = left; }

    void addItem(QLayoutItem* item) override
    {
        items_.append(item);
        invalidate();
    }
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return Arrange(QRect(0, 0, width, 0), false); }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;
    // A control shown or hidden changes the row's size: the layout around it hears of it.
    void invalidate() override;

private:
    // Lays the items out in rect (or only measures); the height they take.
    int Arrange(const QRect& rect, bool place) const;
    int Gap() const { return spacing() >= 0 ? spacing() : 6; }

    QList<QLayoutItem*> items_;
    bool packedLeft_ = false;
};
