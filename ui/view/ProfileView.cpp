// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/ProfileView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/view/MapProjection.h"
#include "ui/view/PictureFile.h"
#include "ui/view/TimeAxis.h"

namespace {
// The plot's margins: the elevations' captions left, the distances' below.
QRectF PlotOf(const QFontMetrics& metrics, QSize size)
{
    const int left = metrics.horizontalAdvance("-00000 ft") + 6, bottom = metrics.height() + 6, top = 8, right = 10;
    return QRectF(left, top, std::max(10, size.width() - left - right), std::max(10, size.height() - top - bottom));
}

// Labels stand apart by their width and a gap (along the bottom), by two lines (up the side).
constexpr int kLabelGap = 24;
constexpr double kLinesBetweenHeights = 2.2;

struct Mark {
    double at;  // a value of the axis
    QString text;
};

// Round values of a length axis in the units' unit, spaced for labels of about labelWidth.
std::vector<Mark> LengthMarks(double from, double to, LengthUnit unit, double pixels, double labelPixels)
{
    std::vector<Mark> marks;
    const double span = (to - from) / unit.metres;
    if (!(span > 0) || pixels <= 0) return marks;
    const double step = NiceStepAbove(std::max(span * labelPixels / pixels, span * 1e-6));
    for (double v = std::ceil(from / unit.metres / step) * step; v <= to / unit.metres + step * 1e-9; v += step)
        marks.push_back({v * unit.metres, QString("%1 %2").arg(v).arg(unit.symbol)});
    return marks;
}

// The marks along the bottom, from first to last: distances along, or times in the zone.
std::vector<Mark> BottomMarks(bool time, double first, double last, double pixels, const QFontMetrics& metrics,
                              Units units, const TimeZone& zone)
{
    std::vector<Mark> marks;
    if (time) {
        const double least = (last - first) * (metrics.horizontalAdvance("00:00:00") + kLabelGap) / pixels;
        for (TimeTick& tick : TimeTicks(first, last, least, zone))
            marks.push_back({tick.seconds, std::move(tick.text)});
        return marks;
    }
    const LengthUnit unit = LengthUnitFor(last, units);
    const QString widest = QString("%1 %2").arg(last / unit.metres, 0, 'f', 1).arg(unit.symbol);
    return LengthMarks(0, last, unit, pixels, metrics.horizontalAdvance(widest) + kLabelGap);
}
}  // namespace

ProfileView::ProfileView(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(90);
    setAccessibleName("Elevation profile");
    setMouseTracking(true);
}

double ProfileView::XOf(const ViewPoint& p) const
{
    if (!timeAxis_) return p.along;
    return p.time ? static_cast<double>(p.time->seconds) + p.time->nanoseconds * 1e-9 : NAN;
}

std::optional<ProfileView::Span> ProfileView::XSpan() const
{
    if (!group_) return std::nullopt;
    Span span{INFINITY, -INFINITY};
    int drawn = 0;
    for (const ViewPoint& p : group_->points) {
        const double x = XOf(p);
        if (std::isnan(x) || std::isnan(p.metres)) continue;
        span.first = std::min(span.first, x);
        span.last = std::max(span.last, x);
        ++drawn;
    }
    // Distances count from the first point, whether it has an elevation or not.
    if (!timeAxis_) span = {0, group_->points.back().along};
    if (drawn < 2 || !(span.last > span.first)) return std::nullopt;
    return span;
}

const ViewPoint* ProfileView::PointAt(double x, int width) const
{
    const std::optional<Span> span = XSpan();
    if (!span) return nullptr;
    const QRectF plot = PlotOf(fontMetrics(), QSize(width, height()));
    const double wanted =
        span->first + std::clamp((x - plot.left()) / plot.width(), 0.0, 1.0) * (span->last - span->first);
    if (!timeAxis_) {
        const auto after = std::lower_bound(group_->points.begin(), group_->points.end(), wanted,
                                            [](const ViewPoint& p, double a) { return p.along < a; });
        if (after == group_->points.begin()) return &*after;
        if (after == group_->points.end()) return &group_->points.back();
        return wanted - std::prev(after)->along <= after->along - wanted ? &*std::prev(after) : &*after;
    }
    // Times need not rise along a track: the nearest is looked for among all.
    const ViewPoint* nearest = nullptr;
    double distance = INFINITY;
    for (const ViewPoint& p : group_->points)
        if (const double d = std::fabs(XOf(p) - wanted); d < distance) {
            distance = d;
            nearest = &p;
        }
    return nearest;
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

void ProfileView::SetTimeAxis(bool time)
{
    timeAxis_ = time;
    update();
}

void ProfileView::SetZone(const TimeZone& zone)
{
    zone_ = zone;
    update();
}

void ProfileView::SetUnits(Units units)
{
    units_ = units;
    update();
}

void ProfileView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Render(painter, size());
    // The line that follows the pointer is the screen's own: a saved profile goes without it.
    const QRectF plot = PlotOf(painter.fontMetrics(), size());
    if (XSpan() && hoverX_ >= plot.left() && hoverX_ <= plot.right()) {
        painter.setPen(QPen(palette().text().color(), 1, Qt::DashLine));
        painter.drawLine(QPointF(hoverX_, plot.top()), QPointF(hoverX_, plot.bottom()));
    }
}

QStringList ProfileView::BottomLabels(QSize size) const
{
    QStringList labels;
    const std::optional<Span> span = XSpan();
    if (!span) return labels;
    const QFontMetrics metrics = fontMetrics();
    for (const Mark& mark :
         BottomMarks(timeAxis_, span->first, span->last, PlotOf(metrics, size).width(), metrics, units_, zone_))
        labels << mark.text;
    return labels;
}

void ProfileView::Render(QPainter& painter, QSize size) const
{
    painter.fillRect(QRect(QPoint(), size), palette().base());
    painter.setPen(palette().text().color());
    const auto withElevation = group_ ? std::count_if(group_->points.begin(), group_->points.end(),
                                                      [](const ViewPoint& p) { return std::isfinite(p.metres); })
                                      : 0;
    const std::optional<Span> span = XSpan();
    if (!span) {
        painter.drawText(QRect(QPoint(), size), Qt::AlignCenter,
                         !group_ && data_ && data_->tracks.empty() && data_->routes.empty()
                             ? "No track or route to profile"
                         : !group_            ? "Choose a track for its elevation profile"
                         : withElevation == 0 ? "No elevations in this track"
                         : timeAxis_          ? "Too few points with a time for a profile by time"
                                              : "Too few points for a profile");
        return;
    }
    double low = group_->figures.lowest, high = group_->figures.highest;
    if (high - low < 10) {
        low -= 5;
        high += 5;
    }
    const QFontMetrics metrics = painter.fontMetrics();
    const QRectF plot = PlotOf(metrics, size);
    const double left = plot.left(), length = span->last - span->first;
    auto xOf = [&](double x) { return plot.left() + (x - span->first) / length * plot.width(); };
    auto yOf = [&](double metres) { return plot.bottom() - (metres - low) / (high - low) * plot.height(); };

    // Axes with round values, their labels apart.
    painter.setPen(QColor(150, 150, 150));
    painter.drawRect(plot);
    const LengthUnit heightUnit = HeightUnit(units_);
    for (const Mark& mark :
         LengthMarks(low, high, heightUnit, plot.height(), metrics.height() * kLinesBetweenHeights)) {
        painter.drawLine(QPointF(plot.left() - 3, yOf(mark.at)), QPointF(plot.right(), yOf(mark.at)));
        painter.drawText(QRectF(0, yOf(mark.at) - metrics.height() / 2.0, left - 5, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, mark.text);
    }
    for (const Mark& mark : BottomMarks(timeAxis_, span->first, span->last, plot.width(), metrics, units_, zone_)) {
        const double x = xOf(mark.at);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 3));
        const double half = metrics.horizontalAdvance(mark.text) / 2.0;
        painter.drawText(
            QPointF(std::clamp(x - half, 0.0, size.width() - 2 * half), plot.bottom() + 3 + metrics.ascent()),
            mark.text);
    }

    // A column per pixel: its lowest and highest elevation, so a spike is never lost.
    const int columns = std::max(1, static_cast<int>(plot.width()));
    std::vector<double> lowest(columns, NAN), highest(columns, NAN);
    for (const ViewPoint& p : group_->points) {
        const double x = XOf(p);
        if (!std::isfinite(p.metres) || std::isnan(x)) continue;
        const int c = std::clamp(static_cast<int>((x - span->first) / length * (columns - 1)), 0, columns - 1);
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
}
