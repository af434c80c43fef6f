// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/PointsPane.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/view/MapView.h"

namespace {
QString Points(std::size_t n) { return QString("%1 point%2").arg(n).arg(n == 1 ? "" : "s"); }
}  // namespace

PointsPane::PointsPane(QWidget* parent) : QWidget(parent)
{
    points_ = new PointTableModel(this);
    rows_ = new PointFilterModel(points_, this);
}

// The pane's fields are made when it is first shown or used: behind the
// figures, a table and its header would cost the window's start some ms.
void PointsPane::Build()
{
    if (table_) return;
    lists_ = new QComboBox(this);
    lists_->setAccessibleName("Points of");
    lists_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    lists_->setMinimumContentsLength(16);
    search_ = new QLineEdit(this);
    search_->setPlaceholderText("Search names");
    search_->setAccessibleName("Search names");
    search_->setClearButtonEnabled(true);
    table_ = new QTableView(this);
    table_->setModel(rows_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setTabKeyNavigation(false);
    table_->setWordWrap(false);
    table_->setAccessibleName("Points");
    table_->verticalHeader()->hide();
    // Rows of one height: a long track scrolls without measuring its rows.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table_->setSortingEnabled(true);
    details_ = new QLabel(this);
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    details_->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(lists_, 1);
    top->addWidget(search_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(3);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    layout->addWidget(details_);

    connect(lists_, &QComboBox::currentIndexChanged, this, &PointsPane::ListChosen);
    connect(search_, &QLineEdit::textChanged, rows_, &PointFilterModel::Search);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &PointsPane::RowChanged);
    connect(rows_, &QAbstractItemModel::modelReset, this, &PointsPane::RowChanged);
    // Made while the pane is being shown, they are shown by hand.
    if (isVisible())
        for (QWidget* field : std::initializer_list<QWidget*>{lists_, search_, table_, details_}) field->show();
}

void PointsPane::SetData(std::shared_ptr<const ViewData> data)
{
    data_ = std::move(data);
    // Nothing of the data before stays, even where the new data's first list is of
    // the same kind: not its rows (which would lead the map to their places), not
    // its search.
    points_->SetSource(nullptr, {GroupKind::None, -1});
    if (search_) search_->clear();
    // Hidden behind the figures, the pane waits: a long track's read ends without it.
    fillWaits_ = true;
    if (isVisible()) Fill();
}

void PointsPane::showEvent(QShowEvent* event)
{
    Build();
    if (fillWaits_) Fill();
    QWidget::showEvent(event);
}

void PointsPane::Fill()
{
    fillWaits_ = false;
    const QSignalBlocker quiet(lists_);
    lists_->clear();
    if (data_) {
        if (!data_->waypoints.empty())
            lists_->addItem(QString("Waypoints (%1)").arg(data_->waypoints.size()),
                            QVariant::fromValue(static_cast<int>(GroupKind::Waypoints)));
        for (const auto& [groups, kind, caption] : {std::tuple{&data_->tracks, GroupKind::Track, "Track"},
                                                    std::tuple{&data_->routes, GroupKind::Route, "Route"}})
            for (std::size_t i = 0; i < groups->size(); ++i) {
                const ViewGroup& group = (*groups)[i];
                const QString name = group.name.empty()
                                         ? QString("%1 %2").arg(caption).arg(i + 1)
                                         : QString("%1 %2").arg(caption, QString::fromStdString(group.name));
                lists_->addItem(QString("%1 (%2)").arg(name, Points(group.points.size())),
                                QVariant::fromValue(static_cast<int>(kind)));
                lists_->setItemData(lists_->count() - 1, static_cast<int>(i), Qt::UserRole + 1);
            }
    }
    lists_->setEnabled(lists_->count() > 0);
    ListChosen(lists_->count() > 0 ? 0 : -1);
}

void PointsPane::ShowSource(PointSource source)
{
    Build();
    if (fillWaits_) Fill();
    for (int entry = 0; entry < lists_->count(); ++entry)
        if (static_cast<GroupKind>(lists_->itemData(entry).toInt()) == source.kind &&
            (source.kind == GroupKind::Waypoints ||
             lists_->itemData(entry, Qt::UserRole + 1).toInt() == source.index)) {
            if (entry != lists_->currentIndex()) lists_->setCurrentIndex(entry);
            return;
        }
}

void PointsPane::ListChosen(int entry)
{
    PointSource source{GroupKind::None, -1};
    if (entry >= 0) {
        source.kind = static_cast<GroupKind>(lists_->itemData(entry).toInt());
        source.index = source.kind == GroupKind::Waypoints ? 0 : lists_->itemData(entry, Qt::UserRole + 1).toInt();
    }
    if (!(source == points_->Source()) || entry < 0) {
        // A sort stays: the rows of the new list come sorted the same way.
        points_->SetSource(data_, source);
        // Widths from the first and last rows only: measuring a long track's rows would stall the window.
        const QFontMetrics metrics = table_->fontMetrics();
        const int rows = points_->rowCount();
        for (int c = 0; c < PointTableModel::Columns; ++c) {
            table_->setColumnHidden(c, !points_->ColumnShown(c));
            int width = metrics.horizontalAdvance(points_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
            for (const int row : {0, rows - 1})
                if (row >= 0)
                    width = std::max(width, metrics.horizontalAdvance(points_->index(row, c).data().toString()));
            table_->setColumnWidth(
                c, std::min(width + 2 * metrics.averageCharWidth() + 8, 40 * metrics.averageCharWidth()));
        }
    }
}

void PointsPane::SelectPoint(PointSource source, int point)
{
    ShowSource(source);
    if (!(points_->Source() == source) || point < 0 || point >= points_->rowCount()) return;
    QModelIndex at = rows_->mapFromSource(points_->index(point, PointTableModel::Name));
    if (!at.isValid()) {
        search_->clear();
        at = rows_->mapFromSource(points_->index(point, PointTableModel::Name));
    }
    table_->setCurrentIndex(at);
    table_->scrollTo(at, QAbstractItemView::PositionAtCenter);
}

int PointsPane::SelectedPoint() const
{
    if (!table_) return -1;
    const QModelIndex current = table_->selectionModel()->currentIndex();
    return current.isValid() ? rows_->mapToSource(current).row() : -1;
}

void PointsPane::RowChanged()
{
    const int point = SelectedPoint();
    details_->setText(points_->Details(point));
    emit PointChosen(points_->Source(), point);
}
