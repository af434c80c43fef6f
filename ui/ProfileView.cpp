// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProfileView.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/MapProjection.h"
#include "ui/PictureFile.h"

namespace {
// The plot's margins: the elevations' captions left, the distances' below.
QRectF PlotOf(const QFontMetrics& metrics, QSize size)
{
    const int left = metrics.horizontalAdvance("-00000 m") + 6, bottom = metrics.height() + 6, top = 8, right = 10;
    return QRectF(left, top, std::max(10, size.width() - left - right), std::max(10, size.height() - top - bottom));
}
}  // namespace

ProfileView::ProfileView(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(90);
    setAccessibleName("Elevation profile");
    setMouseTracking(true);
}

const ViewPoint* ProfileView::PointAt(double x, int width) const
{
    if (!group_ || group_->points.empty() || group_->points.back().along <= 0) return nullptr;
    const QRectF plot = PlotOf(fontMetrics(), QSize(width, height()));
    const double along = std::clamp((x - plot.left()) / plot.width(), 0.0, 1.0) * group_->points.back().along;
    const auto after = std::lower_bound(group_->points.begin(), group_->points.end(), along,
                                        [](const ViewPoint& p, double a) { return p.along < a; });
    if (after == group_->points.begin()) return &*after;
    if (after == group_->points.end()) return &group_->points.back();
    return along - std::prev(after)->along <= after->along - along ? &*std::prev(after) : &*after;
}

void ProfileView::mouseMoveEvent(QMouseEvent* event)
{
    const ViewPoint* point = PointAt(event->position().x(), width());
    hoverX_ = point ? event->position().x() : -1;
    update();
    emit Hovered(point);
}

void ProfileView::leaveEvent(QEvent*)
{
    hoverX_ = -1;
    update();
    emit Hovered(nullptr);
}

bool ProfileView::SaveImage(const QString& file, QString& error) const
{
    const DrawFunction draw = [this](QPainter& painter, QSize size) { Render(painter, size); };
    return SavePicture(file, size().expandedTo(QSize(320, 120)), devicePixelRatioF(), "kesTranscribe profile", draw,
                       error);
}

void ProfileView::SetGroup(std::shared_ptr<const ViewData> data, const ViewGroup* group, QColor colour)
{
    data_ = std::move(data);
    group_ = group;
    colour_ = colour;
    hasElevations_ = group_ && std::isfinite(group_->figures.lowest);
    update();
}

void ProfileView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Render(painter, size());
}

void ProfileView::Render(QPainter& painter, QSize size) const
{
    painter.fillRect(QRect(QPoint(), size), palette().base());
    painter.setPen(palette().text().color());
    const auto withElevation = group_ ? std::count_if(group_->points.begin(), group_->points.end(),
                                                      [](const ViewPoint& p) { return std::isfinite(p.metres); })
                                      : 0;
    if (!group_ || withElevation < 2 || group_->points.back().along <= 0) {
        painter.drawText(QRect(QPoint(), size), Qt::AlignCenter,
                         !group_ && data_ && data_->tracks.empty() && data_->routes.empty()
                             ? "No track or route to profile"
                         : !group_            ? "Choose a track for its elevation profile"
                         : withElevation == 0 ? "No elevations in this track"
                                              : "Too few points for a profile");
        return;
    }
    const double length = std::max(group_->points.back().along, 1.0);
    double low = group_->figures.lowest, high = group_->figures.highest;
    if (high - low < 10) {
        low -= 5;
        high += 5;
    }
    const QFontMetrics metrics = painter.fontMetrics();
    const QRectF plot = PlotOf(metrics, size);
    const double left = plot.left();
    auto xOf = [&](double along) { return plot.left() + along / length * plot.width(); };
    auto yOf = [&](double metres) { return plot.bottom() - (metres - low) / (high - low) * plot.height(); };

    // Axes with a few round values.
    painter.setPen(QColor(150, 150, 150));
    painter.drawRect(plot);
    const double heightStep = NiceStepBelow((high - low) / 3);
    for (double m = std::ceil(low / heightStep) * heightStep; m <= high; m += heightStep) {
        painter.drawLine(QPointF(plot.left() - 3, yOf(m)), QPointF(plot.right(), yOf(m)));
        painter.drawText(QRectF(0, yOf(m) - metrics.height() / 2.0, left - 5, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString("%1 m").arg(m));
    }
    const bool kilometres = length >= 2000;
    const double distanceStep = NiceStepBelow(length / 5);
    for (double d = 0; d <= length; d += distanceStep) {
        const QString text = kilometres ? QString("%1 km").arg(d / 1000) : QString("%1 m").arg(d);
        painter.drawLine(QPointF(xOf(d), plot.bottom()), QPointF(xOf(d), plot.bottom() + 3));
        painter.drawText(QPointF(xOf(d) - metrics.horizontalAdvance(text) / 2.0, plot.bottom() + 3 + metrics.ascent()),
                         text);
    }

    // A column per pixel: its lowest and highest elevation, so a spike is never lost.
    const int columns = std::max(1, static_cast<int>(plot.width()));
    std::vector<double> lowest(columns, NAN), highest(columns, NAN);
    for (const ViewPoint& p : group_->points) {
        if (!std::isfinite(p.metres)) continue;
        const int c = std::clamp(static_cast<int>(p.along / length * (columns - 1)), 0, columns - 1);
        lowest[c] = std::isnan(lowest[c]) ? p.metres : std::min(lowest[c], p.metres);
        highest[c] = std::isnan(highest[c]) ? p.metres : std::max(highest[c], p.metres);
    }
    QPolygonF outline;
    for (int c = 0; c < columns; ++c) {
        if (std::isnan(lowest[c])) continue;
        const double x = plot.left() + c;
        outline << QPointF(x, yOf(lowest[c]));
        if (highest[c] != lowest[c]) outline << QPointF(x, yOf(highest[c]));
    }
    if (outline.isEmpty()) return;
    QPolygonF area = outline;
    area << QPointF(outline.back().x(), plot.bottom()) << QPointF(outline.front().x(), plot.bottom());
    QColor fill = colour_;
    fill.setAlpha(60);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPolygon(area);
    painter.setPen(QPen(colour_, 1.5));
    painter.drawPolyline(outline);
    if (hoverX_ >= plot.left() && hoverX_ <= plot.right()) {
        painter.setPen(QPen(palette().text().color(), 1, Qt::DashLine));
        painter.drawLine(QPointF(hoverX_, plot.top()), QPointF(hoverX_, plot.bottom()));
    }
}
