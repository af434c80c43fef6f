// SPDX-License-Identifier: GPL-3.0-or-later
// The elevation profile of one track or route: elevation by distance along
// it, or by time, drawn a column of pixels at a time whatever the number of
// points.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "core/document/view_data.h"
#include "core/time/time_zone.h"
#include "ui/view/Units.h"

class ProfileView : public QWidget {
    Q_OBJECT
public:
    explicit ProfileView(QWidget* parent = nullptr);
    // The group to show (none: an empty profile) of the data shown, which keeps it alive.
    void SetGroup(std::shared_ptr<const ViewData> data, const ViewGroup* group, QColor colour);
    bool HasElevations() const { return hasElevations_; }
    // Time instead of distance along the bottom, in the zone given.
    void SetTimeAxis(bool time);
    bool TimeAxis() const { return timeAxis_; }
    void SetZone(const TimeZone& zone);
    void SetUnits(Units units);
    // The labels along the bottom of a picture of that size, left to right.
    QStringList BottomLabels(QSize size) const;
    void Render(QPainter& painter, QSize size) const;
    // A PNG or an SVG file, by the name's extension; false with the reason when it cannot be written.
    bool SaveImage(const QString& file, QString& error) const;
    // The point of the group nearest the distance at x in a picture of that width; null when none.
    const ViewPoint* PointAt(double x, int width) const;

signals:
    // The pointer is over the profile at this point of the group, or has left it (null).
    void Hovered(const ViewPoint* point);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Where a point lies along the bottom: metres along, or seconds since 1970 (NaN: no time).
    double XOf(const ViewPoint& p) const;
    struct Span {
        double first = 0, last = 0;
    };
    std::optional<Span> XSpan() const;  // none: too few points to draw

    std::shared_ptr<const ViewData> data_;
    bool timeAxis_ = false;
    TimeZone zone_;
    Units units_ = Units::Metric;
    const ViewGroup* group_ = nullptr;
    QColor colour_;
    bool hasElevations_ = false;
    double hoverX_ = -1;  // the pointer's column, marked with a line; -1 none
};
