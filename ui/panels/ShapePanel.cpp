// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/ShapePanel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <filesystem>

#include "core/convert/catalogue.h"
#include "core/convert/format_lookup.h"
#include "core/io/file_io.h"
#include "core/text/number_format.h"
#include "shape/shape_text.h"
#include "ui/view/MapView.h"
#include "ui/window/IniFile.h"

namespace {
const char* const kSection = "Shape";
const char* const kStepsKey = "Steps";

struct StepKind {
    const char* option;
    const char* label;
    const char* value;  // offered at first; nullptr: the step takes none
};
const StepKind kKinds[] = {
    {"split-gap", "Split at time gaps over", "30m"},
    {"split-distance", "Split at jumps over", "500m"},
    {"split-day", "Split by day (the figures' zone)", nullptr},
    {"split-points", "Split into pieces of N points", "10000"},
    {"merge", "Merge tracks (join: one section)", ""},
    {"simplify", "Simplify within", "5m"},
    {"simplify-to", "Simplify to N points", "500"},
    {"crop-time", "Crop to times FROM..TO", "2024-05-01T08:00Z..2024-05-01T18:00Z"},
    {"crop-box", "Crop to box S,W,N,E", ""},
    {"dedupe", "Dedupe waypoints within", "25m"},
    {"drop-repeats", "Drop repeated points", nullptr},
    {"drop-unfixed", "Drop points without a fix", nullptr},
    {"max-speed", "Drop points faster than", "300kmh"},
    {"fit", "Fit what the output holds", nullptr},
};

constexpr int kOptionRole = Qt::UserRole, kValueRole = Qt::UserRole + 1;

struct Totals {
    std::int64_t tracks = 0, points = 0;
    double metres = 0;
};
Totals TotalsOf(const ViewData& data)
{
    Totals totals;
    totals.tracks = static_cast<std::int64_t>(data.tracks.size());
    for (const auto* groups : {&data.tracks, &data.routes})
        for (const ViewGroup& group : *groups) {
            totals.points += static_cast<std::int64_t>(group.points.size());
            totals.metres += group.figures.metres;
        }
    return totals;
}

QString Text(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

ShapePanel::ShapePanel(const FormatCatalogue& catalogue, MapView* map, QWidget* parent)
    : QWidget(parent), catalogue_(catalogue), map_(map), preview_(catalogue)
{
    BuildControls();
    connect(kind_, &QComboBox::currentIndexChanged, this, &ShapePanel::KindChosen);
    connect(add_, &QPushButton::clicked, this, &ShapePanel::AddChosen);
    connect(value_, &QLineEdit::returnPressed, this, &ShapePanel::AddChosen);
    connect(up_, &QPushButton::clicked, this, [this] { MoveCurrent(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { MoveCurrent(1); });
    connect(remove_, &QPushButton::clicked, this, &ShapePanel::RemoveCurrent);
    // A step dragged to another place with the mouse.
    connect(list_->model(), &QAbstractItemModel::rowsMoved, this, &ShapePanel::StepsChanged);
    connect(&preview_, &ShapePreview::Ready, this, &ShapePanel::Shown);
    KindChosen();
}

void ShapePanel::BuildControls()
{
    auto* title = new QLabel("<b>Shape</b>", this);
    list_ = new QListWidget(this);
    list_->setAccessibleName("Shape steps");
    list_->setToolTip("The steps, applied in order between reading and writing. Drag, or Alt+Up and Alt+Down, "
                      "to move one; Delete removes it");
    list_->setDragDropMode(QAbstractItemView::InternalMove);
    list_->setDefaultDropAction(Qt::MoveAction);
    list_->installEventFilter(this);
    kind_ = new QComboBox(this);
    kind_->setAccessibleName("Step");
    for (const StepKind& k : kKinds) kind_->addItem(k.label, QString(k.option));
    value_ = new QLineEdit(this);
    value_->setAccessibleName("Step value");
    add_ = new QPushButton("Add", this);
    up_ = new QPushButton("Up", this);
    down_ = new QPushButton("Down", this);
    remove_ = new QPushButton("Remove", this);
    message_ = new QLabel(this);
    message_->setWordWrap(true);
    message_->setStyleSheet("color: #b00020");
    lines_ = new QLabel(this);
    lines_->setWordWrap(true);
    lines_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figures_ = new QTableWidget(3, 2, this);
    figures_->setAccessibleName("Shape figures");
    figures_->setHorizontalHeaderLabels({"Before", "After"});
    figures_->setVerticalHeaderLabels({"Tracks", "Points", "Length"});
    figures_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    figures_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    figures_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    figures_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    figures_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    figures_->setFixedHeight(figures_->horizontalHeader()->sizeHint().height() +
                             3 * figures_->verticalHeader()->defaultSectionSize() + 2 * figures_->frameWidth());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 8, 6, 6);
    layout->addWidget(title);
    layout->addWidget(list_, 1);
    layout->addWidget(kind_);
    auto* adding = new QHBoxLayout;
    adding->addWidget(value_, 1);
    adding->addWidget(add_);
    layout->addLayout(adding);
    auto* moving = new QHBoxLayout;
    moving->addWidget(up_);
    moving->addWidget(down_);
    moving->addWidget(remove_);
    moving->addStretch(1);
    layout->addLayout(moving);
    layout->addWidget(message_);
    layout->addWidget(figures_);
    layout->addWidget(lines_);
    setMinimumWidth(260);
}

void ShapePanel::KindChosen()
{
    const StepKind& k = kKinds[std::max(0, kind_->currentIndex())];
    value_->setEnabled(k.value != nullptr);
    value_->setText(k.value ? k.value : "");
    value_->setPlaceholderText(k.value ? "" : "no value");
    message_->clear();
}

bool ShapePanel::AddChosen()
{
    const StepChoice choice{kind_->currentData().toString().toStdString(), value_->text().trimmed().toStdString()};
    const MadeStep made = MakeStep(choice, {capacity_, dayOffset_});
    if (!made.step) {
        // Said of the step as the list names it: the panel has no options.
        message_->setText(QString("\"%1\" %2").arg(kind_->currentText(), Text(made.need)));
        return false;
    }
    message_->clear();
    auto* item = new QListWidgetItem(Text(made.step->Name()));
    item->setData(kOptionRole, Text(choice.option));
    item->setData(kValueRole, Text(choice.value));
    list_->addItem(item);
    list_->setCurrentItem(item);
    StepsChanged();
    return true;
}

void ShapePanel::MoveCurrent(int by)
{
    const int row = list_->currentRow(), to = row + by;
    if (row < 0 || to < 0 || to >= list_->count()) return;
    QListWidgetItem* item = list_->takeItem(row);
    list_->insertItem(to, item);
    list_->setCurrentRow(to);
    StepsChanged();
}

void ShapePanel::RemoveCurrent()
{
    const int row = list_->currentRow();
    if (row < 0) return;
    delete list_->takeItem(row);
    StepsChanged();
}

bool ShapePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) {
            RemoveCurrent();
            return true;
        }
        if ((key->modifiers() & Qt::AltModifier) && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            MoveCurrent(key->key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::vector<StepChoice> ShapePanel::Choices() const
{
    std::vector<StepChoice> choices;
    for (int i = 0; i < list_->count(); ++i)
        choices.push_back({list_->item(i)->data(kOptionRole).toString().toStdString(),
                           list_->item(i)->data(kValueRole).toString().toStdString()});
    return choices;
}

void ShapePanel::SetChoices(const std::vector<StepChoice>& choices)
{
    list_->clear();
    for (const StepChoice& choice : choices) {
        const MadeStep made = MakeStep(choice, {capacity_, dayOffset_});
        if (!made.step) continue;  // a settings file edited by hand
        auto* item = new QListWidgetItem(Text(made.step->Name()));
        item->setData(kOptionRole, Text(choice.option));
        item->setData(kValueRole, Text(choice.value));
        list_->addItem(item);
    }
    StepsChanged();
}

void ShapePanel::AppendSteps(DocumentSteps& steps, OutputCapacity capacity) const
{
    ::AppendSteps(Choices(), {capacity, dayOffset_}, steps);
}

// With no format chosen, the file is shaped as the first format its content names, as the view reads it.
void ShapePanel::SetInput(const QString& file, int position)
{
    std::error_code error;
    const std::string name = file.toStdString();
    if (!std::filesystem::is_regular_file(name, error)) {
        preview_.SetInput({}, -1);
        return;
    }
    if (!catalogue_.IsInput(position)) {
        try {
            const FormatGuess guess = GuessFormat(catalogue_.Inputs(), name, {}, true);
            if (!guess.candidates.empty()) position = guess.candidates.front();
        } catch (const FileError&) {
            // Unreadable: the view says why.
        }
    }
    preview_.SetInput(name, position);
}

void ShapePanel::SetCapacity(OutputCapacity capacity)
{
    capacity_ = capacity;
    StepsChanged();
}

// "simplify=5m;split-day": values hold no semicolon.
void ShapePanel::ReadSettings(const IniFile& settings)
{
    std::vector<StepChoice> choices;
    const QString saved = Text(settings.ReadString(kSection, kStepsKey, ""));
    for (const QString& step : saved.split(';', Qt::SkipEmptyParts)) {
        const qsizetype equals = step.indexOf('=');
        choices.push_back({(equals < 0 ? step : step.left(equals)).toStdString(),
                           equals < 0 ? std::string() : step.mid(equals + 1).toStdString()});
    }
    SetChoices(choices);
    setVisible(!choices.empty());
}

void ShapePanel::WriteSettings(std::vector<IniEntry>& entries) const
{
    std::string saved;
    for (const StepChoice& c : Choices())
        saved += (saved.empty() ? "" : ";") + c.option + (c.value.empty() ? "" : "=" + c.value);
    if (!saved.empty()) entries.push_back({kSection, kStepsKey, saved});
}

void ShapePanel::StepsChanged() { preview_.SetSteps(Choices(), capacity_, dayOffset_); }

void ShapePanel::SetDayZone(const TimeZone& zone)
{
    dayOffset_ = [zone](const UtcTime& time) { return zone.OffsetAt(time); };
    StepsChanged();
}

void ShapePanel::Shown(std::shared_ptr<const ViewData> original, std::shared_ptr<const ViewData> shaped,
                       const QStringList& lines, double milliseconds)
{
    previewMilliseconds_ = milliseconds;
    if (map_) map_->SetOverlay(shaped);
    const auto put = [&](int column, const ViewData* data) {
        const Totals totals = data ? TotalsOf(*data) : Totals{};
        const QString texts[] = {data ? Text(GroupedInt(totals.tracks)) : "",
                                 data ? Text(GroupedInt(totals.points)) : "",
                                 data ? Text(LengthText(totals.metres)) : ""};
        for (int row = 0; row < 3; ++row) {
            auto* cell = new QTableWidgetItem(texts[row]);
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            figures_->setItem(row, column, cell);
        }
    };
    put(0, original.get());
    put(1, shaped.get());
    lines_->setText(lines.isEmpty() ? QString()
                                    : lines.join("\n") + QString("\nshaped in %1 ms").arg(milliseconds, 0, 'f', 1));
    emit PreviewUpdated();
}
