// SPDX-License-Identifier: GPL-3.0-or-later
// The map of what a file holds: the land outline, optional raster tiles, a
// graticule and a scale bar, with tracks, routes and waypoints on top; zoom,
// pan and fit by mouse, touch and keyboard, and the map saved as PNG or SVG.
#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "core/document/view_data.h"
#include "ui/view/Units.h"

class MapTiles;
struct BaseMapLevel;

enum class GroupKind { None, Track, Route, Waypoints };

class MapView : public QWidget {
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);

    // Shows the data (none: nothing) and fits the map to it.
    void SetData(std::shared_ptr<const ViewData> data);
    // Draws the tracks and routes of shaped on top, the data beneath faint
    // (none: the data as it is), without fitting the map again.
    void SetOverlay(std::shared_ptr<const ViewData> shaped);
    bool HasOverlay() const { return overlay_ != nullptr; }
    void Highlight(GroupKind kind, int index);
    GroupKind HighlightKind() const { return highlightKind_; }
    int HighlightIndex() const { return highlightIndex_; }
    void FitToData();
    // Fits the map to one track, route or the waypoints (index ignored).
    void FitToGroup(GroupKind kind, int index);
    // By factor (above 1 in), about a point of the widget.
    void ZoomBy(double factor, QPointF about);
    void PanBy(QPointF pixels);
    void SetTiles(MapTiles* tiles);

    // Draws the map, without the pointer's coordinates, as the widget shows it
    // (with the land: it is read first if the widget has not shown it yet).
    void Render(QPainter& painter, QSize size) const;
    // Marks a place (latitude, longitude) with a ring, or none.
    void MarkPlace(std::optional<QPointF> latitudeLongitude)
    {
        mark_ = latitudeLongitude;
        update();
    }
    std::optional<QPointF> MarkedPlace() const { return mark_; }
    // Marks the point chosen in the point list (latitude, longitude), or none.
    void ChoosePoint(std::optional<QPointF> latitudeLongitude);
    std::optional<QPointF> ChosenPoint() const { return chosen_; }
    // Moves the map so that the place is in its middle, at the same scale.
    void CentreOn(QPointF latitudeLongitude);
    // The point drawn nearest a pixel of a picture of that size, within a few pixels; none: kind None.
    struct PointPick {
        GroupKind kind;
        int group = -1, point = -1;
    };
    PointPick PointNear(QPointF pixel, QSize size) const;
    // The units of the scale bar.
    void SetUnits(Units units);
    // A PNG or an SVG file, by the name's extension; false with the reason when it cannot be written.
    bool SaveImage(const QString& file, QString& error) const;

    // Where the graticule's labels go on the screen: clear of the scale bar and
    // of the line that says why tiles are missing (ProblemBox, empty without one).
    QList<QRectF> LabelBoxes(QSize size) const;
    QRectF ProblemBox(QSize size) const;

    double Scale() const { return scale_; }  // pixels per world unit
    QPointF Centre() const { return centre_; }
    QPointF ScreenOf(QPointF world, QSize size) const;
    QPointF WorldAt(QPointF pixel, QSize size) const;

signals:
    void PointerMoved(const QString& coordinates);
    // A click (not a drag) near a point of the data.
    void PointClicked(GroupKind kind, int group, int point);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    std::optional<QPointF> mark_, chosen_;
    Units units_ = Units::Metric;
    QPointF pressedAt_;
    // A group's line, its points in world units times the scale, thinned to a
    // point per pixel; kept until the scale changes, so panning redraws only.
    struct Line {
        std::vector<QPointF> points;
        std::vector<bool> breaks;  // a section starts at this point
    };
    void Project();
    void AskForLand();
    // keepOut: a place on the screen the labels stay clear of.
    void Draw(QPainter& painter, QSize size, const QRectF& keepOut = {}) const;
    struct GraticuleMark {
        QString text;  // empty: the line goes without its label
        QRectF box;
        bool meridian;  // else a parallel
        double line;    // the line's x (a meridian) or y (a parallel)
    };
    std::vector<GraticuleMark> GraticuleLabels(QSize size, const QRectF& keepOut) const;
    void Thin() const;
    void ThinGroup(const std::vector<QPointF>& world, const std::vector<ViewPoint>& points, Line& line) const;
    void DrawLand(QPainter& painter, QSize size) const;
    void DrawGraticule(QPainter& painter, QSize size, const QRectF& keepOut) const;
    void DrawLine(QPainter& painter, const Line& line, QSize size) const;
    void DrawData(QPainter& painter, QSize size) const;
    void DrawWaypoints(QPainter& painter, QSize size, bool highlighted) const;
    // The box the scale bar takes at the bottom left, which the graticule's labels keep out of.
    QRectF ScaleBarBox(QSize size) const;
    void DrawScaleBar(QPainter& painter, QSize size) const;
    void DrawMarks(QPainter& painter, QSize size) const;
    void DrawOverlay(QPainter& painter, QSize size) const;
    void FitToBox(std::optional<QRectF> box);
    void ClampView();

    std::shared_ptr<const ViewData> data_;
    std::vector<std::vector<QPointF>> trackWorld_, routeWorld_;
    std::vector<QPointF> waypointWorld_;
    QRectF dataBox_;  // world units
    bool hasData_ = false;
    // The land and borders at each detail, once read (off the window's thread).
    mutable std::array<std::shared_ptr<const BaseMapLevel>, 3> levels_;
    const BaseMapLevel* LevelToDraw() const;
    std::array<bool, 3> levelAsked_{};
    MapTiles* tiles_ = nullptr;

    mutable double thinnedScale_ = 0;
    mutable std::vector<Line> trackLines_, routeLines_;
    mutable std::vector<QPointF> drawn_;  // reused by every line drawn

    std::shared_ptr<const ViewData> overlay_;
    std::vector<std::vector<QPointF>> overlayWorld_;  // its tracks, then its routes
    mutable std::vector<Line> overlayLines_;
    mutable double overlayScale_ = 0;

    QPointF centre_{0.5, 0.5};
    double scale_ = 256;
    GroupKind highlightKind_ = GroupKind::None;
    int highlightIndex_ = -1;
    QPointF dragFrom_;
    bool dragging_ = false;
    QString pointer_;
    bool fitPending_ = true;
};

// The colour of track number index, distinct from its neighbours.
QColor TrackColour(int index);
