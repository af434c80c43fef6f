// SPDX-License-Identifier: GPL-3.0-or-later
// The "Shape" panel beside the view: the shaping steps the user chose, in
// order, added, moved and removed with the keyboard and the mouse; the map
// draws their result over the original, faint, and the panel's figures give
// the tracks, points and length before and after. Convert applies them; the
// settings keep them.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/document/document_step.h"
#include "core/document/view_data.h"
#include "core/time/time_zone.h"
#include "shape/step_choice.h"
#include "ui/panels/ShapePreview.h"

class IniFile;
struct IniEntry;
class MapView;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

class ShapePanel : public QWidget {
    Q_OBJECT
public:
    // The catalogue outlives the panel.
    ShapePanel(const FormatCatalogue& catalogue, MapView* map, QWidget* parent = nullptr);

    void SetInput(const QString& file, int position);
    // What the output holds, for the fit step.
    void SetCapacity(OutputCapacity capacity);
    std::vector<StepChoice> Choices() const;
    void SetChoices(const std::vector<StepChoice>& choices);
    // The steps of a conversion, made for its output.
    void AppendSteps(DocumentSteps& steps, OutputCapacity capacity) const;
    // Split by day follows the days of this zone (the view's display zone).
    void SetDayZone(const TimeZone& zone);
    // The steps kept; the panel is shown when there are some, and otherwise
    // waits for the user to open it.
    void ReadSettings(const IniFile& settings);
    void WriteSettings(std::vector<IniEntry>& entries) const;

    // Adds the step the kind list and the value field describe; false, and says why, when the value is wrong.
    bool AddChosen();
    void MoveCurrent(int by);
    void RemoveCurrent();

    QListWidget* List() const { return list_; }
    QComboBox* Kind() const { return kind_; }
    QLineEdit* Value() const { return value_; }
    QTableWidget* Figures() const { return figures_; }
    // Why the step last asked for was not added.
    QLabel* Message() const { return message_; }
    ShapePreview& Preview() { return preview_; }
    // How long the last preview took to shape, in milliseconds.
    double PreviewMilliseconds() const { return previewMilliseconds_; }

signals:
    // A preview reached the map and the figures.
    void PreviewUpdated();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void KindChosen();
    void StepsChanged();
    void Shown(std::shared_ptr<const ViewData> original, std::shared_ptr<const ViewData> shaped,
               const QStringList& lines, double milliseconds);

    const FormatCatalogue& catalogue_;
    MapView* map_;
    ShapePreview preview_;
    OutputCapacity capacity_;
    UtcOffsetAt dayOffset_ = UtcDays();  // the days of the zone the figures show
    QListWidget* list_ = nullptr;
    QComboBox* kind_ = nullptr;
    QLineEdit* value_ = nullptr;
    QPushButton *add_ = nullptr, *up_ = nullptr, *down_ = nullptr, *remove_ = nullptr;
    QLabel* message_ = nullptr;
    QLabel* lines_ = nullptr;
    QTableWidget* figures_ = nullptr;
    double previewMilliseconds_ = 0;
};
