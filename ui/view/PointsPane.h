// SPDX-License-Identifier: GPL-3.0-or-later
// The list of the points of the data shown: the waypoints or one track's or
// route's points, chosen above it, sortable by any column and searchable by
// name, with every value of the point chosen below it.
#pragma once

#include <QWidget>
#include <memory>

#include "ui/view/PointTableModel.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

class PointsPane : public QWidget {
    Q_OBJECT
public:
    explicit PointsPane(QWidget* parent = nullptr);

    // The data's lists, the first shown (the waypoints where there are some);
    // filled when the pane is first shown or asked for a list.
    void SetData(std::shared_ptr<const ViewData> data);
    // Shows another list, when the data has it.
    void ShowSource(PointSource source);
    PointSource Source() const { return points_->Source(); }
    // Selects a point's row (clearing a search that hides it), as a click on the map asks.
    void SelectPoint(PointSource source, int point);
    // The point of the row selected, -1 none.
    int SelectedPoint() const;
    // Latitude and longitude of a point of the list shown.
    QPointF PlaceOf(int point) const { return points_->Place(point); }
    void SetZone(const TimeZone& zone) { points_->SetZone(zone); }
    void SetUnits(Units units) { points_->SetUnits(units); }

    // The pane's fields, made now if they are not yet.
    QComboBox* Lists() { return Made(lists_); }
    QLineEdit* SearchField() { return Made(search_); }
    QTableView* Table() { return Made(table_); }
    QLabel* DetailsLabel() { return Made(details_); }
    // The fields are made (shown or used once).
    bool Built() const { return table_ != nullptr; }
    PointFilterModel* Rows() const { return rows_; }

signals:
    // A row was selected, by the user or by SelectPoint; -1: none.
    void PointChosen(PointSource source, int point);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Build();
    // The field, once the fields are made (it is read after Build).
    template <typename Field>
    Field* Made(Field* const& field)
    {
        Build();
        return field;
    }
    void Fill();
    void ListChosen(int entry);
    void RowChanged();

    std::shared_ptr<const ViewData> data_;
    bool fillWaits_ = false;
    PointTableModel* points_;
    PointFilterModel* rows_;
    QComboBox* lists_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* details_ = nullptr;
};
