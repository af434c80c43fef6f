// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/PointTableModel.h"

#include <QPointF>
#include <cmath>

#include "ui/view/MapView.h"

namespace {
const char* const kHeadings[] = {"#",    "Name",     "Latitude", "Longitude", "Elevation",
                                 "Time", "Distance", "Symbol",   "Comment"};

double Seconds(const std::optional<UtcTime>& time)
{
    return time ? static_cast<double>(time->seconds) + time->nanoseconds * 1e-9 : NAN;
}

// Names in the order a reader expects: case aside, then as written.
bool NameLess(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}
}  // namespace

PointTableModel::PointTableModel(QObject* parent) : QAbstractTableModel(parent), source_{GroupKind::None, -1} {}

void PointTableModel::SetSource(std::shared_ptr<const ViewData> data, PointSource source)
{
    beginResetModel();
    data_ = std::move(data);
    source_ = source;
    endResetModel();
}

void PointTableModel::SetZone(const TimeZone& zone)
{
    zone_ = zone;
    if (rowCount() > 0) emit dataChanged(index(0, Time), index(rowCount() - 1, Time));
}

void PointTableModel::SetUnits(Units units)
{
    units_ = units;
    if (rowCount() > 0) emit dataChanged(index(0, Elevation), index(rowCount() - 1, Along));
}

const ViewGroup* PointTableModel::Group() const
{
    if (!data_ || source_.index < 0) return nullptr;
    const auto& groups = source_.kind == GroupKind::Track ? data_->tracks : data_->routes;
    if (source_.kind != GroupKind::Track && source_.kind != GroupKind::Route) return nullptr;
    return source_.index < static_cast<int>(groups.size()) ? &groups[source_.index] : nullptr;
}

bool PointTableModel::ColumnShown(int column) const
{
    const bool waypoints = source_.kind == GroupKind::Waypoints;
    if (column == Symbol || column == Comment) return waypoints;
    if (column == Along) return !waypoints;
    return true;
}

int PointTableModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !data_) return 0;
    if (source_.kind == GroupKind::Waypoints) return static_cast<int>(data_->waypoints.size());
    const ViewGroup* group = Group();
    return group ? static_cast<int>(group->points.size()) : 0;
}

int PointTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns; }

QPointF PointTableModel::Place(int row) const
{
    if (row < 0 || row >= rowCount()) return {NAN, NAN};
    if (source_.kind == GroupKind::Waypoints) return {data_->waypoints[row].latitude, data_->waypoints[row].longitude};
    const ViewPoint& p = Group()->points[row];
    return {p.latitude, p.longitude};
}

QString PointTableModel::NameOf(int row) const
{
    if (row < 0 || row >= rowCount()) return {};
    if (source_.kind == GroupKind::Waypoints) return QString::fromStdString(data_->waypoints[row].name);
    const std::string_view name = Group()->NameOf(row);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

double PointTableModel::Value(int row, int column) const
{
    const bool waypoints = source_.kind == GroupKind::Waypoints;
    const ViewWaypoint* w = waypoints ? &data_->waypoints[row] : nullptr;
    const ViewPoint* p = waypoints ? nullptr : &Group()->points[row];
    switch (column) {
    case Number: return row + 1;
    case Latitude: return w ? w->latitude : p->latitude;
    case Longitude: return w ? w->longitude : p->longitude;
    case Elevation: return w ? w->metres : p->metres;
    case Time: return Seconds(w ? w->time : p->time);
    case Along: return p ? p->along : NAN;
    default: return NAN;
    }
}

QString PointTableModel::Text(int row, int column) const
{
    const bool waypoints = source_.kind == GroupKind::Waypoints;
    switch (column) {
    case Number: return QString::number(row + 1);
    case Name: return NameOf(row);
    case Latitude: return DegreesText(Value(row, column), 'N', 'S');
    case Longitude: return DegreesText(Value(row, column), 'E', 'W');
    case Elevation: return HeightText(Value(row, column), units_);
    case Time: return TimeText(waypoints ? data_->waypoints[row].time : Group()->points[row].time, zone_);
    case Along: return waypoints ? QString() : DistanceText(Value(row, column), units_);
    case Symbol: return waypoints ? QString::fromStdString(data_->waypoints[row].symbol) : QString();
    case Comment:
        // One line in the cell; the details below the list show it whole.
        return waypoints ? QString::fromStdString(data_->waypoints[row].comment).simplified() : QString();
    default: return {};
    }
}

QVariant PointTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const int column = index.column();
    if (role == Qt::DisplayRole) return Text(index.row(), column);
    if (role == Qt::TextAlignmentRole && column != Name && column != Symbol && column != Comment)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == kSortRole) {
        if (column == Name || column == Symbol || column == Comment) return Text(index.row(), column);
        return Value(index.row(), column);
    }
    return {};
}

QVariant PointTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= Columns) return {};
    return kHeadings[section];
}

bool PointTableModel::Less(int left, int right, int column) const
{
    if (column == Name || column == Symbol || column == Comment)
        return NameLess(Text(left, column), Text(right, column));
    const double a = Value(left, column), b = Value(right, column);
    // A point without the value comes last, whichever way the list is sorted by it.
    if (std::isnan(a) || std::isnan(b)) return !std::isnan(a) && std::isnan(b);
    return a < b;
}

QString PointTableModel::Details(int row) const
{
    if (row < 0 || row >= rowCount()) return {};
    QStringList parts;
    const QString name = NameOf(row);
    parts << (source_.kind == GroupKind::Waypoints ? (name.isEmpty() ? "Waypoint" : name)
                                                   : QString("Point %1 of %2").arg(row + 1).arg(rowCount()) +
                                                         (name.isEmpty() ? QString() : ": " + name));
    parts << Text(row, Latitude) + ", " + Text(row, Longitude);
    for (const int column : {Elevation, Time, Along})
        if (const QString text = Text(row, column); !text.isEmpty())
            parts << (column == Along ? text + " along" : text);
    if (source_.kind == GroupKind::Waypoints) {
        const ViewWaypoint& w = data_->waypoints[row];
        if (!w.symbol.empty()) parts << "symbol " + QString::fromStdString(w.symbol);
        if (!w.comment.empty()) parts << QString::fromStdString(w.comment);
    }
    return parts.join(" · ");
}

PointFilterModel::PointFilterModel(PointTableModel* points, QObject* parent)
    : QSortFilterProxyModel(parent), points_(points)
{
    setSourceModel(points);
    setSortRole(PointTableModel::kSortRole);
}

void PointFilterModel::Search(const QString& text)
{
    search_ = text.trimmed();
    invalidateFilter();
}

bool PointFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    return points_->Less(left.row(), right.row(), left.column());
}

bool PointFilterModel::filterAcceptsRow(int row, const QModelIndex&) const
{
    return search_.isEmpty() || points_->NameOf(row).contains(search_, Qt::CaseInsensitive);
}
