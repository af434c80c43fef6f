// SPDX-License-Identifier: GPL-3.0-or-later
// The points of one track, route or the waypoints of the data shown, as rows
// of a table: read from the data when a row is drawn, never copied, so that a
// track of any length lists at once. Its proxy sorts and searches by name.
#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <memory>

#include "core/document/view_data.h"
#include "core/time/time_zone.h"
#include "ui/view/Units.h"

enum class GroupKind;

// Which points a list shows: the waypoints, or a track's or a route's (by index).
struct PointSource {
    GroupKind kind;
    int index = -1;
    friend bool operator==(const PointSource&, const PointSource&) = default;
};

class PointTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Number, Name, Latitude, Longitude, Elevation, Time, Along, Symbol, Comment, Columns };
    // The role that gives a cell's value for sorting: a number, a time or a name.
    static constexpr int kSortRole = Qt::UserRole;

    explicit PointTableModel(QObject* parent = nullptr);

    void SetSource(std::shared_ptr<const ViewData> data, PointSource source);
    PointSource Source() const { return source_; }
    void SetZone(const TimeZone& zone);
    void SetUnits(Units units);
    // Whether a column says something for the points listed (the waypoints
    // have a symbol and a comment, a line's points a number and a distance).
    bool ColumnShown(int column) const;
    // Latitude and longitude of a row's point; its name.
    QPointF Place(int row) const;
    QString NameOf(int row) const;
    // Every value of a row's point on one line, for the details below the list.
    QString Details(int row) const;
    // Orders two rows by a column without making texts for numbers and times.
    bool Less(int left, int right, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const ViewGroup* Group() const;
    double Value(int row, int column) const;  // NaN none
    QString Text(int row, int column) const;

    std::shared_ptr<const ViewData> data_;
    PointSource source_{};
    TimeZone zone_;
    Units units_ = Units::Metric;
};

// Sorts with the model's own order and keeps the rows whose name holds the text searched for.
class PointFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit PointFilterModel(PointTableModel* points, QObject* parent = nullptr);
    void Search(const QString& text);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    PointTableModel* points_;
    QString search_;
};
