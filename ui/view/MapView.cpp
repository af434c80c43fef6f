// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/MapView.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QGestureEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPinchGesture>
#include <QPointer>
#include <QThreadPool>
#include <QWheelEvent>
#include <cmath>

#include "core/io/file_io.h"
#include "ui/tiles/MapTiles.h"
#include "ui/view/BaseMap.h"
#include "ui/view/MapProjection.h"
#include "ui/view/PictureFile.h"
#include "ui/view/SvgWriter.h"
#include "ui/window/BackgroundPriority.h"

namespace {
// The whole world small (before the map has a size); a few cm a pixel.
constexpr double kLeastScale = 64, kMostScale = 256.0 * (1 << 21);
const QColor kSea(0xdd, 0xe8, 0xf0), kLand(0xf4, 0xf1, 0xe6), kCoast(0xb8, 0xb2, 0x9c), kBorder(0x8e, 0x5c, 0x8a);
const QColor kRoute(0x6a, 0x1b, 0x9a), kWaypoint(0xc6, 0x28, 0x28);
constexpr int kFewWaypoints = 40;  // more in sight, and their markers shrink

QPointF ToWorld(const ViewPoint& p) { return WorldOf(p.latitude, p.longitude); }

QString Degrees(double value, char positive, char negative) { return DegreesText(value, positive, negative, 5); }

// A graticule line's label: "45° N", "0°", "180°".
QString GridLabel(double value, int decimals, char positive, char negative)
{
    const QString number = QString::number(std::fabs(value), 'f', decimals) + "°";
    if (std::fabs(value) < 1e-9 || std::fabs(std::fabs(value) - 180) < 1e-9) return number;
    return number + ' ' + (value < 0 ? negative : positive);
}

constexpr double kPickPixels = 6;  // a click this near a point picks it
const QColor kChosen(255, 193, 7);
}  // namespace

QColor TrackColour(int index)
{
    // Golden-angle hues: neighbours far apart on the wheel, dark enough for the
    // pale land; the hues about the routes' purple are left to the routes.
    constexpr int kRouteFrom = 248, kRouteTo = 318, kFirst = 200;
    constexpr double kLeft = 360 - (kRouteTo - kRouteFrom);
    const double turn = ((index % 360) * 137 % 360) * kLeft / 360;
    const double hue = turn < kRouteFrom - kFirst ? kFirst + turn : kRouteTo + turn - (kRouteFrom - kFirst);
    return QColor::fromHsv(static_cast<int>(hue) % 360, 220, 190);
}

MapView::MapView(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(160, 120);
    setAttribute(Qt::WA_OpaquePaintEvent);
    grabGesture(Qt::PinchGesture);
    setAccessibleName("Map");
    setToolTip("Wheel, + and -: zoom; drag or arrow keys: move; double click or Home: fit to the data; "
               "right click: map tiles");
}

void MapView::SetTiles(MapTiles* tiles)
{
    tiles_ = tiles;
    if (tiles_) connect(tiles_, &MapTiles::Arrived, this, qOverload<>(&QWidget::update));
    update();
}

void MapView::SetData(std::shared_ptr<const ViewData> data)
{
    data_ = std::move(data);
    highlightKind_ = GroupKind::None;
    highlightIndex_ = -1;
    Project();
    FitToData();
}

void MapView::Project()
{
    trackWorld_.clear();
    routeWorld_.clear();
    waypointWorld_.clear();
    thinnedScale_ = 0;
    dataBox_ = QRectF();
    hasData_ = false;
    if (!data_) return;
    double left = 2, top = 2, right = -1, bottom = -1;
    auto take = [&](QPointF w) {
        left = std::min(left, w.x());
        right = std::max(right, w.x());
        top = std::min(top, w.y());
        bottom = std::max(bottom, w.y());
        return w;
    };
    for (const auto* groups : {&data_->tracks, &data_->routes}) {
        auto& world = groups == &data_->tracks ? trackWorld_ : routeWorld_;
        for (const ViewGroup& group : *groups) {
            std::vector<QPointF>& line = world.emplace_back();
            line.reserve(group.points.size());
            for (const ViewPoint& p : group.points) line.push_back(take(ToWorld(p)));
        }
    }
    for (const ViewWaypoint& w : data_->waypoints) waypointWorld_.push_back(take(WorldOf(w.latitude, w.longitude)));
    hasData_ = right >= left;
    if (hasData_) dataBox_ = QRectF(QPointF(left, top), QPointF(right, bottom));
}

void MapView::SetOverlay(std::shared_ptr<const ViewData> shaped)
{
    overlay_ = std::move(shaped);
    overlayWorld_.clear();
    overlayScale_ = 0;
    if (overlay_)
        for (const auto* groups : {&overlay_->tracks, &overlay_->routes})
            for (const ViewGroup& group : *groups) {
                std::vector<QPointF>& line = overlayWorld_.emplace_back();
                line.reserve(group.points.size());
                for (const ViewPoint& p : group.points) line.push_back(ToWorld(p));
            }
    update();
}

// The shaped lines dark over the faint original, each track point kept marked while they are few.
void MapView::DrawOverlay(QPainter& painter, QSize size) const
{
    if (!overlay_) return;
    if (overlayScale_ != scale_) {
        overlayScale_ = scale_;
        overlayLines_.resize(overlayWorld_.size());
        std::size_t i = 0;
        for (const auto* groups : {&overlay_->tracks, &overlay_->routes})
            for (const ViewGroup& group : *groups) {
                ThinGroup(overlayWorld_[i], group.points, overlayLines_[i]);
                ++i;
            }
    }
    std::size_t points = 0;
    for (const Line& line : overlayLines_) points += line.points.size();
    const QPointF offset = ScreenOf(QPointF(0, 0), size);
    painter.setBrush(Qt::NoBrush);
    for (std::size_t i = 0; i < overlayLines_.size(); ++i) {
        const bool track = i < overlay_->tracks.size();
        const QColor colour = track ? QColor(25, 25, 35) : kRoute.darker(150);
        painter.setPen(QPen(colour, 1.6, track ? Qt::SolidLine : Qt::DashLine, Qt::RoundCap, Qt::RoundJoin));
        DrawLine(painter, overlayLines_[i], size);
        if (points > 4000 || !track) continue;
        painter.setPen(QPen(colour, 4.5, Qt::SolidLine, Qt::RoundCap));
        for (const QPointF& p : overlayLines_[i].points) painter.drawPoint(p + offset);
    }
}

void MapView::Highlight(GroupKind kind, int index)
{
    highlightKind_ = kind;
    highlightIndex_ = index;
    update();
}

void MapView::FitToData() { FitToBox(hasData_ ? std::optional(dataBox_) : std::nullopt); }

void MapView::FitToGroup(GroupKind kind, int index)
{
    const std::vector<QPointF>* points = nullptr;
    if (kind == GroupKind::Track && index >= 0 && index < static_cast<int>(trackWorld_.size()))
        points = &trackWorld_[index];
    else if (kind == GroupKind::Route && index >= 0 && index < static_cast<int>(routeWorld_.size()))
        points = &routeWorld_[index];
    else if (kind == GroupKind::Waypoints) points = &waypointWorld_;
    if (!points || points->empty()) return FitToData();
    QRectF box(points->front(), points->front());
    for (const QPointF& p : *points)
        box = QRectF(QPointF(std::min(box.left(), p.x()), std::min(box.top(), p.y())),
                     QPointF(std::max(box.right(), p.x()), std::max(box.bottom(), p.y())));
    FitToBox(box);
}

// No box (no data) shows the whole world; a box of no size, a single place.
void MapView::FitToBox(std::optional<QRectF> box)
{
    fitPending_ = width() <= 0 || height() <= 0;
    const QSizeF room(std::max(width(), 1), std::max(height(), 1));
    if (!box) {
        centre_ = QPointF(0.5, 0.5);
        scale_ = room.width();
    } else {
        centre_ = box->center();
        const double span = std::max(box->width() / room.width(), box->height() / room.height());
        // A single place is shown at about ten metres a pixel.
        scale_ = span > 0 ? 0.85 / span : 256.0 * (1 << 14);
    }
    ClampView();
    update();
}

void MapView::ClampView()
{
    // Never out past the whole world: it fills the map's width or height at least.
    const double least = width() > 0 && height() > 0 ? std::min(width(), height()) : kLeastScale;
    scale_ = std::clamp(scale_, std::min(least, kMostScale), kMostScale);
    centre_.setX(std::clamp(centre_.x(), 0.0, 1.0));
    centre_.setY(std::clamp(centre_.y(), 0.0, 1.0));
}

void MapView::ZoomBy(double factor, QPointF about)
{
    const QPointF fixed = WorldAt(about, size());
    scale_ *= factor;
    ClampView();
    // The world point under `about` stays under it.
    centre_ = fixed - (about - QPointF(width() / 2.0, height() / 2.0)) / scale_;
    ClampView();
    update();
}

void MapView::PanBy(QPointF pixels)
{
    centre_ -= pixels / scale_;
    ClampView();
    update();
}

QPointF MapView::ScreenOf(QPointF world, QSize size) const
{
    return (world - centre_) * scale_ + QPointF(size.width() / 2.0, size.height() / 2.0);
}

QPointF MapView::WorldAt(QPointF pixel, QSize size) const
{
    return centre_ + (pixel - QPointF(size.width() / 2.0, size.height() / 2.0)) / scale_;
}

void MapView::ThinGroup(const std::vector<QPointF>& world, const std::vector<ViewPoint>& points, Line& line) const
{
    line.points.clear();
    line.breaks.clear();
    QPoint last(INT_MIN, INT_MIN);
    for (std::size_t i = 0; i < world.size(); ++i) {
        const QPointF p = world[i] * scale_;
        const QPoint pixel(static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y())));
        const bool starts = points[i].newSection;
        // The last point of a section is kept, so that a line ends where it ends.
        const bool ends = i + 1 == world.size() || points[i + 1].newSection;
        if (pixel == last && !starts && !ends) continue;
        last = pixel;
        line.points.push_back(p);
        line.breaks.push_back(starts);
    }
}

void MapView::Thin() const
{
    if (thinnedScale_ == scale_ || !data_) return;
    thinnedScale_ = scale_;
    trackLines_.resize(trackWorld_.size());
    routeLines_.resize(routeWorld_.size());
    for (std::size_t i = 0; i < trackWorld_.size(); ++i)
        ThinGroup(trackWorld_[i], data_->tracks[i].points, trackLines_[i]);
    for (std::size_t i = 0; i < routeWorld_.size(); ++i)
        ThinGroup(routeWorld_[i], data_->routes[i].points, routeLines_[i]);
}

const BaseMapLevel* MapView::LevelToDraw() const
{
    // The level for the zoom, or while it is read the nearest one that is there.
    const int wanted = static_cast<int>(DetailForScale(scale_));
    for (const int distance : {0, 1, 2})
        for (const int detail : {wanted - distance, wanted + distance})
            if (detail >= 0 && detail < kBaseMapDetails && levels_[detail]) return levels_[detail].get();
    return nullptr;
}

void MapView::DrawLand(QPainter& painter, QSize size) const
{
    painter.fillRect(QRect(QPoint(), size), palette().window());
    const QPointF origin = ScreenOf(QPointF(0, 0), size);
    painter.fillRect(QRectF(origin, QSizeF(scale_, scale_)), kSea);
    const BaseMapLevel* level = LevelToDraw();
    if (!level) return;
    painter.save();
    painter.setClipRect(QRectF(origin, QSizeF(scale_, scale_)));
    // The paths are in pixels with cosmetic lines, so that an SVG file's
    // readers fill and stroke them as the PNG is painted.
    QPen coast(kCoast, 1), border(kBorder, 1);
    coast.setCosmetic(true);
    border.setCosmetic(true);
    // Dash and dot, a country's border as maps draw it; faint and whole at the
    // world's scale, where the dashes would crowd into a blur.
    if (DetailForScale(scale_) == BaseMapDetail::World)
        border.setColor(QColor(kBorder.red(), kBorder.green(), kBorder.blue(), 110));
    else border.setDashPattern({6, 2, 1, 2});
    const QRectF view(WorldAt(QPointF(0, 0), size), WorldAt(QPointF(size.width(), size.height()), size));
    for (const int copy : {-1, 0, 1}) {
        const QRectF copyView = view.translated(-copy, 0);
        if (copyView.right() < -0.5 || copyView.left() > 1.5) continue;
        const QPointF copyOrigin = origin + QPointF(copy * scale_, 0);
        painter.setPen(coast);
        painter.setBrush(kLand);
        painter.drawPath(BaseMapPath(*level->land, copyView, copyOrigin, scale_));
        painter.setPen(border);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(BaseMapPath(*level->borders, copyView, copyOrigin, scale_));
    }
    painter.restore();
    if (!level->problem.isEmpty()) {
        const QString text = painter.fontMetrics().elidedText("Base map: " + level->problem, Qt::ElideMiddle,
                                                              std::max(0, size.width() - 16));
        const QRectF box = painter.fontMetrics().boundingRect(text).adjusted(-4, -2, 4, 2);
        const QRectF at = box.translated(4 - box.left(), size.height() - 40 - box.bottom());
        painter.fillRect(at, QColor(255, 255, 255, 210));
        painter.setPen(Qt::black);
        painter.drawText(at, Qt::AlignCenter, text);
    }
}

std::vector<MapView::GraticuleMark> MapView::GraticuleLabels(QSize size, const QRectF& keepOut) const
{
    std::vector<GraticuleMark> labels;
    const QPointF topLeft = WorldAt(QPointF(0, 0), size),
                  bottomRight = WorldAt(QPointF(size.width(), size.height()), size);
    const double west = std::max(-180.0, LongitudeOf(topLeft)), east = std::min(180.0, LongitudeOf(bottomRight));
    const double north = std::min(kMercatorLimit, LatitudeOf(topLeft));
    const double south = std::max(-kMercatorLimit, LatitudeOf(bottomRight));
    if (east <= west || north <= south) return labels;
    // Lines some 80 pixels apart at least.
    const double step = std::min(90.0, NiceStepAbove(80 * 360 / scale_));
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step))));
    const QFontMetricsF metrics(font());
    // The meridians' labels along the top, below a line of text kept there (why tiles are missing).
    const double top = keepOut.isEmpty() ? 2 : keepOut.bottom() + 2;
    for (double lon = std::ceil(west / step) * step; lon <= east; lon += step) {
        const QString text = GridLabel(lon, decimals, 'E', 'W');
        const double x = ScreenOf(WorldOf(0, lon), size).x();
        labels.push_back({text, QRectF(x + 3, top, metrics.horizontalAdvance(text), metrics.height()), true, x});
    }
    // The parallels' labels along the left, none over the scale bar or the line kept.
    const QRectF scaleBar = ScaleBarBox(size);
    for (double lat = std::ceil(south / step) * step; lat <= north; lat += step) {
        const QString text = GridLabel(lat, decimals, 'N', 'S');
        const double y = ScreenOf(WorldOf(lat, 0), size).y();
        const QRectF box(3, y - 3 - metrics.ascent(), metrics.horizontalAdvance(text), metrics.height());
        const bool clear = !box.intersects(scaleBar) && !box.intersects(keepOut);
        labels.push_back({clear ? text : QString(), box, false, y});
    }
    return labels;
}

void MapView::DrawGraticule(QPainter& painter, QSize size, const QRectF& keepOut) const
{
    painter.save();
    painter.setPen(QPen(QColor(90, 110, 130, 90), 1));
    painter.setFont(font());
    const std::vector<GraticuleMark> labels = GraticuleLabels(size, keepOut);
    const QPointF worldTopLeft = ScreenOf(QPointF(0, 0), size), worldBottomRight = ScreenOf(QPointF(1, 1), size);
    for (const GraticuleMark& label : labels)
        if (label.meridian)
            painter.drawLine(QPointF(label.line, std::max(0.0, worldTopLeft.y())),
                             QPointF(label.line, std::min<double>(size.height(), worldBottomRight.y())));
        else
            painter.drawLine(QPointF(std::max(0.0, worldTopLeft.x()), label.line),
                             QPointF(std::min<double>(size.width(), worldBottomRight.x()), label.line));
    painter.setPen(QColor(60, 70, 80));
    for (const GraticuleMark& label : labels)
        if (!label.text.isEmpty())
            painter.drawText(QPointF(label.box.left(), label.box.top() + QFontMetricsF(font()).ascent()), label.text);
    painter.restore();
}

QRectF MapView::ProblemBox(QSize size) const
{
    if (!tiles_ || !tiles_->Enabled() || tiles_->Problem().isEmpty()) return {};
    const QString text = fontMetrics().elidedText(tiles_->Problem(), Qt::ElideRight, std::max(0, size.width() - 16));
    const QRectF box = fontMetrics().boundingRect(text).adjusted(-4, -2, 4, 2);
    return box.translated(4 - box.left(), 4 - box.top());
}

QList<QRectF> MapView::LabelBoxes(QSize size) const
{
    QList<QRectF> boxes;
    for (const GraticuleMark& label : GraticuleLabels(size, ProblemBox(size)))
        if (!label.text.isEmpty()) boxes << label.box;
    return boxes;
}

// A line in pieces: a section's break and a stretch outside the widget end a piece.
void MapView::DrawLine(QPainter& painter, const Line& line, QSize size) const
{
    const QPointF offset = ScreenOf(QPointF(0, 0), size);
    const QRectF room = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(-50, -50, 50, 50);
    auto flush = [&] {
        if (drawn_.size() == 1) painter.drawPoint(drawn_.front());
        else if (drawn_.size() > 1) painter.drawPolyline(drawn_.data(), static_cast<int>(drawn_.size()));
        drawn_.clear();
    };
    drawn_.clear();
    for (std::size_t i = 0; i < line.points.size(); ++i) {
        const QPointF p = line.points[i] + offset;
        if (line.breaks[i]) flush();
        const bool inside = room.contains(p);
        const bool nextInside = i + 1 < line.points.size() && room.contains(line.points[i + 1] + offset);
        const bool previousInside = !drawn_.empty();
        if (inside || nextInside || previousInside) drawn_.push_back(p);
        if (!inside && !nextInside) flush();
    }
    flush();
}

void MapView::DrawWaypoints(QPainter& painter, QSize size, bool highlighted) const
{
    const QRectF room(QPointF(0, 0), QSizeF(size));
    int shown = 0;
    for (const QPointF& w : waypointWorld_) shown += room.contains(ScreenOf(w, size));
    // Many markers, or markers over lines, are smaller and let the lines through.
    const bool crowded = shown > kFewWaypoints && !highlighted;
    const bool overLines = !trackWorld_.empty() || !routeWorld_.empty();
    const bool otherChosen = highlightKind_ != GroupKind::None && !highlighted;
    const double radius = highlighted ? 5 : crowded ? 2.5 : 3.5;
    QColor fill = kWaypoint, rim = Qt::white, ink(40, 20, 20), halo(255, 255, 255, 200);
    if (!highlighted && (crowded || overLines)) {
        fill.setAlpha(otherChosen ? 90 : 170);
        rim.setAlpha(otherChosen ? 80 : 150);
    }
    if (otherChosen) {
        ink.setAlpha(130);
        halo.setAlpha(110);
    }
    const QPen rimPen(rim, crowded ? 1 : 1.5);
    const bool names = shown <= 300 || highlighted;
    painter.setPen(rimPen);
    painter.setBrush(fill);
    // A name that would cover one drawn already is left out: its marker stays.
    std::vector<QRectF> labels;
    for (std::size_t i = 0; i < waypointWorld_.size(); ++i) {
        const QPointF p = ScreenOf(waypointWorld_[i], size);
        if (!room.adjusted(-100, -20, 20, 20).contains(p)) continue;
        painter.drawEllipse(p, radius, radius);
        if (!names) continue;
        const QString name = QString::fromStdString(data_->waypoints[i].name);
        const QPointF at = p + QPointF(radius + 3, 4);
        const QRectF label = painter.fontMetrics().boundingRect(name).translated(at.toPoint()).adjusted(-2, -1, 2, 1);
        if (std::any_of(labels.begin(), labels.end(), [&](const QRectF& r) { return r.intersects(label); })) continue;
        labels.push_back(label);
        painter.setPen(QPen(halo, 3));
        QPainterPath text;
        text.addText(at, font(), name);
        painter.strokePath(text, painter.pen());
        painter.fillPath(text, ink);
        painter.setPen(rimPen);
    }
}

void MapView::DrawData(QPainter& painter, QSize size) const
{
    if (!data_) return;
    Thin();
    const bool anyHighlight = highlightKind_ != GroupKind::None;
    auto pen = [&](QColor colour, bool chosen) {
        if (anyHighlight && !chosen) colour.setAlpha(110);
        if (overlay_) colour.setAlpha(90);  // the original beneath what the steps made of it
        return QPen(colour, chosen ? 4.5 : 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    };
    auto drawLines = [&](bool chosenPass) {
        painter.setBrush(Qt::NoBrush);
        for (std::size_t i = 0; i < trackLines_.size(); ++i) {
            const bool chosen = highlightKind_ == GroupKind::Track && highlightIndex_ == static_cast<int>(i);
            if (chosen != chosenPass) continue;
            painter.setPen(pen(TrackColour(static_cast<int>(i)), chosen));
            DrawLine(painter, trackLines_[i], size);
        }
        for (std::size_t i = 0; i < routeLines_.size(); ++i) {
            const bool chosen = highlightKind_ == GroupKind::Route && highlightIndex_ == static_cast<int>(i);
            if (chosen != chosenPass) continue;
            QPen line = pen(kRoute, chosen);
            line.setStyle(Qt::DashLine);
            painter.setPen(line);
            DrawLine(painter, routeLines_[i], size);
            painter.setPen(QPen(line.color(), chosen ? 9 : 6, Qt::SolidLine, Qt::RoundCap));
            for (const QPointF& p : routeLines_[i].points) painter.drawPoint(p + ScreenOf(QPointF(0, 0), size));
        }
    };
    // The chosen group is drawn last, on top of everything else, the waypoints included.
    const bool waypointsChosen = highlightKind_ == GroupKind::Waypoints;
    drawLines(false);
    if (!waypointsChosen) DrawWaypoints(painter, size, false);
    drawLines(true);
    if (waypointsChosen) DrawWaypoints(painter, size, true);
    DrawOverlay(painter, size);
}

QRectF MapView::ScaleBarBox(QSize size) const
{
    const double metresPerPixel = kEquatorMetres * std::cos(LatitudeOf(centre_) * M_PI / 180) / scale_;
    const RoundLength round = RoundLengthBelow(metresPerPixel * std::min(140, size.width() / 3), units_);
    const double length = round.metres / metresPerPixel;
    const QFontMetricsF metrics(font());
    const double width = std::max(length, metrics.horizontalAdvance(round.text) + 4);
    return QRectF(6, size.height() - 14 - 8 - metrics.height(), width + 12, metrics.height() + 8 + 8);
}

void MapView::DrawScaleBar(QPainter& painter, QSize size) const
{
    const double metresPerPixel = kEquatorMetres * std::cos(LatitudeOf(centre_) * M_PI / 180) / scale_;
    const RoundLength round = RoundLengthBelow(metresPerPixel * std::min(140, size.width() / 3), units_);
    const double length = round.metres / metresPerPixel;
    const QPointF left(12, size.height() - 14);
    painter.save();
    // On a pale box of its own, over the lines and the waypoints' names beneath.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 190));
    painter.drawRoundedRect(ScaleBarBox(size), 3, 3);
    painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(left, left + QPointF(length, 0));
    painter.drawLine(left, left - QPointF(0, 6));
    painter.drawLine(left + QPointF(length, 0), left + QPointF(length, -6));
    painter.drawText(left + QPointF(4, -5), round.text);
    painter.restore();
}

void MapView::SetUnits(Units units)
{
    units_ = units;
    update();
}

void MapView::ChoosePoint(std::optional<QPointF> latitudeLongitude)
{
    chosen_ = latitudeLongitude;
    update();
}

void MapView::CentreOn(QPointF latitudeLongitude)
{
    centre_ = WorldOf(latitudeLongitude.x(), latitudeLongitude.y());
    ClampView();
    update();
}

MapView::PointPick MapView::PointNear(QPointF pixel, QSize size) const
{
    PointPick best{GroupKind::None};
    double nearest = kPickPixels * kPickPixels;
    auto consider = [&](const std::vector<QPointF>& world, GroupKind kind, int group) {
        for (std::size_t i = 0; i < world.size(); ++i) {
            const QPointF d = ScreenOf(world[i], size) - pixel;
            const double distance = QPointF::dotProduct(d, d);
            // The first drawn of points in one place is taken: a waypoint before a line's point.
            if (distance < nearest) {
                nearest = distance;
                best = {kind, group, static_cast<int>(i)};
            }
        }
    };
    if (!data_) return best;
    consider(waypointWorld_, GroupKind::Waypoints, 0);
    for (std::size_t g = 0; g < trackWorld_.size(); ++g)
        consider(trackWorld_[g], GroupKind::Track, static_cast<int>(g));
    for (std::size_t g = 0; g < routeWorld_.size(); ++g)
        consider(routeWorld_[g], GroupKind::Route, static_cast<int>(g));
    return best;
}

void MapView::DrawMarks(QPainter& painter, QSize size) const
{
    if (chosen_) {
        // The point chosen in the list: a bold ring that no line's colour has.
        const QPointF at = ScreenOf(WorldOf(chosen_->x(), chosen_->y()), size);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, 5));
        painter.drawEllipse(at, 9, 9);
        painter.setPen(QPen(kChosen, 3));
        painter.drawEllipse(at, 9, 9);
    }
    if (mark_) {
        // The place the profile is hovered at.
        const QPointF at = ScreenOf(WorldOf(mark_->x(), mark_->y()), size);
        painter.setPen(QPen(Qt::white, 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, 7, 7);
        painter.setPen(QPen(Qt::black, 1.5));
        painter.drawEllipse(at, 7, 7);
    }
}

void MapView::Render(QPainter& painter, QSize size) const
{
    // A picture made for a file or a test waits for the land.
    const auto wanted = DetailForScale(scale_);
    auto& level = levels_[static_cast<int>(wanted)];
    if (!level) level = ShippedBaseMap(wanted);
    Draw(painter, size);
}

void MapView::AskForLand()
{
    // Each level is read off the window's thread when first wanted: the
    // world's at once, a finer one when the zoom reaches it. Neither the
    // window's start nor a file's read then shares the processor with it.
    // The map is drawn again when it is there.
    for (const int detail : {0, static_cast<int>(DetailForScale(scale_))}) {
        if (levelAsked_[detail] || levels_[detail]) continue;
        levelAsked_[detail] = true;
        QThreadPool::globalInstance()->start([self = QPointer<MapView>(this), detail] {
            LowerThisThreadsPriority();
            auto level = ShippedBaseMap(static_cast<BaseMapDetail>(detail));
            if (!level->problem.isEmpty()) qWarning("%s", qPrintable(level->problem));
            QMetaObject::invokeMethod(qApp, [self, level, detail] {
                if (!self) return;
                self->levels_[detail] = level;
                self->update();
            });
        });
    }
}

void MapView::Draw(QPainter& painter, QSize size, const QRectF& keepOut) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    DrawLand(painter, size);
    if (tiles_ && tiles_->Enabled()) tiles_->Draw(painter, *this, size);
    DrawGraticule(painter, size, keepOut);
    DrawData(painter, size);
    DrawMarks(painter, size);
    DrawScaleBar(painter, size);
    if (tiles_ && tiles_->Credited()) {
        const QString credit = tiles_->Attribution();
        const QRectF box = painter.fontMetrics().boundingRect(credit).adjusted(-4, -2, 4, 2);
        const QRectF at = box.translated(size.width() - box.right() - 2, size.height() - box.bottom() - 2);
        painter.fillRect(at, QColor(255, 255, 255, 200));
        painter.setPen(Qt::black);
        painter.drawText(at, Qt::AlignCenter, credit);
    }
}

bool MapView::SaveImage(const QString& file, QString& error) const
{
    const DrawFunction draw = [this](QPainter& painter, QSize size) { Render(painter, size); };
    return SavePicture(file, size().expandedTo(QSize(320, 240)), devicePixelRatioF(), "kesTranscribe map", draw, error);
}

void MapView::paintEvent(QPaintEvent*)
{
    AskForLand();
    QPainter painter(this);
    const QRectF problem = ProblemBox(size());
    Draw(painter, size(), problem);
    if (!pointer_.isEmpty()) {
        const QRectF box = painter.fontMetrics().boundingRect(pointer_).adjusted(-4, -2, 4, 2);
        const double bottom = tiles_ && tiles_->Credited() ? height() - box.height() - 4 : height() - 2;
        const QRectF at = box.translated(width() - box.right() - 2, bottom - box.bottom());
        painter.fillRect(at, QColor(255, 255, 255, 210));
        painter.setPen(Qt::black);
        painter.drawText(at, Qt::AlignCenter, pointer_);
    }
    // Why tiles are missing, on the screen only: a saved map goes without it.
    if (!problem.isEmpty()) {
        painter.fillRect(problem, QColor(255, 255, 255, 210));
        painter.setPen(Qt::black);
        painter.drawText(problem, Qt::AlignCenter,
                         fontMetrics().elidedText(tiles_->Problem(), Qt::ElideRight, std::max(0, width() - 16)));
    }
    if (hasFocus()) {
        // A frame only: the style's focus rectangle fills, and would tint the whole map.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(palette().highlight().color(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

void MapView::resizeEvent(QResizeEvent* event)
{
    if (fitPending_) FitToData();
    else ClampView();
    QWidget::resizeEvent(event);
}

void MapView::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0) ZoomBy(std::pow(1.25, steps), event->position());
    event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragging_ = true;
    dragFrom_ = pressedAt_ = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void MapView::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_) {
        PanBy(event->position() - dragFrom_);
        dragFrom_ = event->position();
    }
    const QPointF world = WorldAt(event->position(), size());
    pointer_ = world.x() < 0 || world.x() > 1 || world.y() < 0 || world.y() > 1
                   ? QString()
                   : Degrees(LatitudeOf(world), 'N', 'S') + "  " + Degrees(LongitudeOf(world), 'E', 'W');
    emit PointerMoved(pointer_);
    update();
}

void MapView::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = dragging_ && event->button() == Qt::LeftButton &&
                       (event->position() - pressedAt_).manhattanLength() <= kPickPixels / 2;
    dragging_ = false;
    unsetCursor();
    if (click) {
        const PointPick pick = PointNear(event->position(), size());
        if (pick.kind != GroupKind::None) emit PointClicked(pick.kind, pick.group, pick.point);
    }
    QWidget::mouseReleaseEvent(event);
}

void MapView::mouseDoubleClickEvent(QMouseEvent*) { FitToData(); }

void MapView::leaveEvent(QEvent* event)
{
    pointer_.clear();
    update();
    QWidget::leaveEvent(event);
}

void MapView::keyPressEvent(QKeyEvent* event)
{
    const QPointF middle(width() / 2.0, height() / 2.0);
    const double step = std::max(width(), height()) / 8.0;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: ZoomBy(2, middle); break;
    case Qt::Key_Minus: ZoomBy(0.5, middle); break;
    case Qt::Key_Left: PanBy(QPointF(step, 0)); break;
    case Qt::Key_Right: PanBy(QPointF(-step, 0)); break;
    case Qt::Key_Up: PanBy(QPointF(0, step)); break;
    case Qt::Key_Down: PanBy(QPointF(0, -step)); break;
    case Qt::Key_Home:
    case Qt::Key_0: FitToData(); break;
    default: return QWidget::keyPressEvent(event);
    }
    event->accept();
}

bool MapView::event(QEvent* event)
{
    if (event->type() == QEvent::NativeGesture) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            ZoomBy(1 + gesture->value(), gesture->position());
            return true;
        }
    }
    if (event->type() == QEvent::Gesture) {
        auto* gestures = static_cast<QGestureEvent*>(event);
        if (auto* pinch = static_cast<QPinchGesture*>(gestures->gesture(Qt::PinchGesture))) {
            if (pinch->changeFlags() & QPinchGesture::ScaleFactorChanged)
                ZoomBy(pinch->scaleFactor(), mapFromGlobal(pinch->centerPoint()));
            gestures->accept(pinch);
            return true;
        }
    }
    return QWidget::event(event);
}
