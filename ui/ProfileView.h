// SPDX-License-Identifier: GPL-3.0-or-later
// The elevation profile of one track or route: elevation by distance along
// it, drawn a column of pixels at a time whatever the number of points.
#pragma once

#include <QWidget>
#include <memory>

#include "core/view_data.h"

class ProfileView : public QWidget {
    Q_OBJECT
public:
    explicit ProfileView(QWidget* parent = nullptr);
    // The group to show (none: an empty profile) of the data shown, which keeps it alive.
    void SetGroup(std::shared_ptr<const ViewData> data, const ViewGroup* group, QColor colour);
    bool HasElevations() const { return hasElevations_; }
    void Render(QPainter& painter, QSize size) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<const ViewData> data_;
    const ViewGroup* group_ = nullptr;
    QColor colour_;
    bool hasElevations_ = false;
};
