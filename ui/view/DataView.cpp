// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/DataView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>

#include "core/convert/catalogue.h"
#include "core/convert/format_lookup.h"
#include "core/io/file_io.h"
#include "ui/panels/TwoLineLabel.h"
#include "ui/panels/WrappingRow.h"
#include "ui/tiles/MapTiles.h"
#include "ui/tiles/TileDialog.h"
#include "ui/view/MapView.h"
#include "ui/view/PointsPane.h"
#include "ui/view/ProfileView.h"
#include "ui/window/IniFile.h"
#include "ui/window/InputFormatOf.h"
#include "ui/window/MessageBoxes.h"

namespace {
enum Column {
    Kind,
    Name,
    Points,
    Sections,
    Start,
    End,
    Duration,
    Length,
    Lowest,
    Highest,
    Ascent,
    Descent,
    Box,
    Columns
};
const char* const kHeadings[] = {"",       "Name",   "Points",  "Sections", "Start",   "End", "Duration",
                                 "Length", "Lowest", "Highest", "Ascent",   "Descent", "Box"};
constexpr int kProgressMillis = 100;
constexpr int kRowsShown = 6;  // of the figures and the points, at the first size
const std::string kUnitsKey = "Units";
constexpr int kTypingMillis = 300;
const QColor kRouteColour(0x6a, 0x1b, 0x9a), kWaypointColour(0xc6, 0x28, 0x28);

QString Span(std::optional<double> seconds)
{
    if (!seconds) return {};
    const bool negative = *seconds < 0;
    auto whole = static_cast<long long>(std::llround(std::fabs(*seconds)));
    const long long days = whole / 86400;
    whole %= 86400;
    QString text = QString("%1:%2:%3")
                       .arg(whole / 3600)
                       .arg(whole / 60 % 60, 2, 10, QChar('0'))
                       .arg(whole % 60, 2, 10, QChar('0'));
    if (days > 0) text = QString("%1 d %2").arg(days).arg(text);
    return negative ? "-" + text : text;
}

QString BoxText(const Figures& f)
{
    if (!std::isfinite(f.south)) return {};
    return QString("%1, %2 to %3, %4")
        .arg(f.south, 0, 'f', 5)
        .arg(f.west, 0, 'f', 5)
        .arg(f.north, 0, 'f', 5)
        .arg(f.east, 0, 'f', 5);
}

QString Count(std::size_t n, const char* what) { return QString("%1 %2%3").arg(n).arg(what).arg(n == 1 ? "" : "s"); }

QIcon Swatch(QColor colour)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

QTableWidgetItem* Cell(const QString& text, bool number)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

int FormatOfContent(const FormatCatalogue& catalogue, const QString& file)
{
    try {
        const FormatGuess guess = GuessFormat(catalogue.Inputs(), file.toStdString(), {}, true);
        if (!guess.candidates.empty()) return guess.candidates.front();
    } catch (const FileError&) {
        // Unreadable: the read says why once a format is chosen.
    }
    return -1;
}

// Only a regular file is read for the view: a pipe is read once, by the conversion.
bool RegularFile(const QString& file)
{
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(file.toStdString()), error);
}
}  // namespace

DataView::DataView(const FormatCatalogue& catalogue, QWidget* parent)
    : QWidget(parent), catalogue_(catalogue), reader_(catalogue)
{
    BuildControls();
    connect(&reader_, &PreviewReader::Finished, this, &DataView::Finished);
    connect(progressTimer_, &QTimer::timeout, this, &DataView::UpdateProgress);
    connect(stopButton_, &QPushButton::clicked, &reader_, &PreviewReader::Cancel);
    connect(fitButton_, &QPushButton::clicked, map_, &MapView::FitToData);
    connect(saveButton_, &QPushButton::clicked, this, &DataView::SaveMapClick);
    connect(outputButton_, &QPushButton::toggled, this, &DataView::ShowOutput);
    connect(earlyButton_, &QPushButton::clicked, this, &DataView::RolloverAsked);
    connect(utcButton_, &QPushButton::toggled, this, [this](bool utc) {
        TakeHostZone();
        displayZone_ = utc ? TimeZone() : localZone_;
        FillTable();
        pointList_->SetZone(displayZone_);
        profile_->SetZone(displayZone_);
        emit DisplayZoneChanged(displayZone_);
    });
    connect(table_, &QTableWidget::itemSelectionChanged, this, &DataView::RowChosen);
    // A double click (or Enter) on a row fits the map to its group.
    connect(table_, &QAbstractItemView::activated, this, [this](const QModelIndex& at) {
        const auto [kind, index] = GroupOfRow(at.row());
        map_->FitToGroup(kind, index);
    });
    connect(split_, &QSplitter::splitterMoved, this, &DataView::SplitMoved);
    connect(chooseTimer_, &QTimer::timeout, this, [this] { ShowFile(chosenFile_, chosenPosition_); });
    auto* pane = new QShortcut(QKeySequence(Qt::Key_F6), this, this, &DataView::SwitchPane, Qt::WindowShortcut);
    pane->setAutoRepeat(false);
    // Hovering the profile marks the place on the map.
    connect(profile_, &ProfileView::Hovered, this, [this](const ViewPoint* point) {
        map_->MarkPlace(point ? std::optional(QPointF(point->latitude, point->longitude)) : std::nullopt);
    });
    profile_->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* saveProfile = new QAction("Save profile...", profile_);
    connect(saveProfile, &QAction::triggered, this, [this] {
        SavePictureClick("Save profile",
                         [this](const QString& name, QString& error) { return profile_->SaveImage(name, error); });
    });
    profile_->addAction(saveProfile);
    auto* timeAxis = new QAction("Time axis", profile_);
    timeAxis->setCheckable(true);
    connect(timeAxis, &QAction::toggled, profile_, &ProfileView::SetTimeAxis);
    profile_->addAction(timeAxis);
    ConnectPointList();
    connect(map_, &MapView::PointerMoved, this,
            [this](const QString& where) { map_->setAccessibleDescription(where); });
}

DataView::~DataView() { reader_.Stop(); }

void DataView::ConnectPointList()
{
    // Choosing a row marks its point and brings it to the middle of the map.
    connect(pointList_, &PointsPane::PointChosen, this, [this](PointSource, int point) {
        if (point < 0) {
            map_->ChoosePoint(std::nullopt);
            return;
        }
        const QPointF place = pointList_->PlaceOf(point);
        map_->ChoosePoint(place);
        if (!pointFromMap_) map_->CentreOn(place);
    });
    // A click on a point of the map shows its row, and the row its details.
    connect(map_, &MapView::PointClicked, this, [this](GroupKind kind, int group, int point) {
        tabs_->setCurrentWidget(pointList_);
        pointFromMap_ = true;
        pointList_->SelectPoint({kind, group}, point);
        pointFromMap_ = false;
    });
}

QList<QWidget*> DataView::ShownContent() const
{
    // The progress and its Stop button show only during a read.
    return {status_, outputButton_, fitButton_, saveButton_, split_};
}

void DataView::ShowContentAfterFirstPaint()
{
    contentWaits_ = true;
    // Hidden, they keep their room: the window's layout and least size stay as they will be.
    for (QWidget* w : ShownContent()) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
        w->hide();
    }
}

void DataView::paintEvent(QPaintEvent* event)
{
    // Listing the time-zone database takes milliseconds: the host's zone is
    // looked up once the window is painted, unless figures need it sooner.
    if (!hostZoneAsked_) {
        hostZoneAsked_ = true;
        QTimer::singleShot(0, this, &DataView::TakeHostZone);
    }
    if (contentWaits_) {
        contentWaits_ = false;
        QTimer::singleShot(0, this, [this] {
            for (QWidget* w : ShownContent()) {
                w->show();
                QSizePolicy policy = w->sizePolicy();
                policy.setRetainSizeWhenHidden(false);
                w->setSizePolicy(policy);
            }
        });
    }
    QWidget::paintEvent(event);
}

void DataView::BuildControls()
{
    status_ = new TwoLineLabel(this);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    progress_ = new QProgressBar(this);
    progress_->setMaximumWidth(160);
    // A read makes the window no wider: a screen of 960 logical pixels holds it.
    progress_->setMinimumWidth(fontMetrics().height() * 4);
    progress_->hide();
    stopButton_ = new QPushButton("Sto&p reading", this);
    stopButton_->hide();
    fitButton_ = new QPushButton("Fit to &data", this);
    saveButton_ = new QPushButton("Sa&ve map...", this);
    outputButton_ = new QPushButton("Show o&utput", this);
    outputButton_->setCheckable(true);
    outputButton_->setEnabled(false);
    outputButton_->setToolTip("Show the files the last conversion wrote, read back");
    offerButton_ = new QPushButton(this);
    offerButton_->hide();
    offerMenu_ = new QMenu(offerButton_);
    connect(offerButton_, &QPushButton::clicked, this, [this] {
        if (offered_ >= 0) emit FormatOffered(offered_);
    });
    for (QPushButton* button : {stopButton_, fitButton_, saveButton_, outputButton_, offerButton_})
        button->setAutoDefault(true);
    // The figures' times: the system's zone by default (TakeHostZone), UTC one choice away.
    utcButton_ = new QToolButton(this);
    utcButton_->setText("UTC");
    utcButton_->setCheckable(true);
    earlyBar_ = new QFrame(this);
    earlyBar_->setAutoFillBackground(true);
    QPalette warning = earlyBar_->palette();
    warning.setColor(QPalette::Window, QColor(255, 236, 179));
    warning.setColor(QPalette::WindowText, Qt::black);
    earlyBar_->setPalette(warning);
    earlyText_ = new QLabel(earlyBar_);
    earlyText_->setWordWrap(true);
    earlyButton_ = new QPushButton("&Add 1024 weeks", earlyBar_);
    earlyButton_->setToolTip("Repair the times in the view and in the conversion (the Times row's +1024 weeks)");
    auto* early = new QHBoxLayout(earlyBar_);
    early->setContentsMargins(6, 4, 6, 4);
    early->addWidget(earlyText_, 1);
    early->addWidget(earlyButton_);
    earlyBar_->hide();

    tiles_ = new MapTiles(this);
    map_ = new MapView(this);
    map_->SetTiles(tiles_);
    // The map's context menu (right click, or the menu key once it has the focus).
    map_->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto addAction = [this](const QString& text, auto slot) {
        auto* action = new QAction(text, map_);
        connect(action, &QAction::triggered, this, slot);
        map_->addAction(action);
    };
    addAction("Fit to data", [this] { map_->FitToData(); });
    addAction("Save map...", [this] { SaveMapClick(); });
    addAction("Map tiles...", [this] { ChooseTiles(); });
    addAction("Retry tiles", [this] { tiles_->Retry(); });
    auto* unitsMenu = new QMenu("Units", map_);
    auto* unitsGroup = new QActionGroup(unitsMenu);
    for (const auto& [caption, units] : {std::pair{"Metric (m, km)", Units::Metric},
                                         {"Imperial (ft, mi)", Units::Imperial},
                                         {"Nautical (m, NM)", Units::Nautical}}) {
        QAction* action = unitsMenu->addAction(caption, this, [this, units] { ChooseUnits(units); });
        action->setCheckable(true);
        action->setData(static_cast<int>(units));
        unitsGroup->addAction(action);
    }
    unitsGroup_ = unitsGroup;
    map_->addAction(unitsMenu->menuAction());
    // The columns are made with the first figures: sizing their headings costs the window's start some ms.
    table_ = new QTableWidget(this);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->setTabKeyNavigation(false);
    table_->setAccessibleName("Figures");
    table_->setWordWrap(false);
    profile_ = new ProfileView(this);
    profile_->SetZone(displayZone_);
    pointList_ = new PointsPane(this);
    pointList_->SetZone(displayZone_);
    tabs_ = new QTabWidget(this);
    tabs_->setDocumentMode(true);
    tabs_->addTab(table_, "Figures");
    tabs_->addTab(pointList_, "Points");

    split_ = new QSplitter(Qt::Vertical, this);
    split_->addWidget(map_);
    split_->addWidget(tabs_);
    split_->addWidget(profile_);
    split_->setStretchFactor(0, 5);
    split_->setStretchFactor(1, 2);
    split_->setStretchFactor(2, 2);
    split_->setChildrenCollapsible(false);
    split_->setSizes({500, 170, 150});

    // The buttons wrap when the view is narrow: the window fits a small screen at a large scale.
    auto* buttons = new QWidget(this);
    bar_ = new WrappingRow(buttons);
    bar_->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : std::initializer_list<QWidget*>{progress_, stopButton_, offerButton_, outputButton_, fitButton_,
                                                      saveButton_, utcButton_})
        bar_->addWidget(w);
    // The file's line above the buttons, two lines high whatever it says: the map below never moves.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 11, 8, 7);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    layout->addWidget(earlyBar_);
    layout->addWidget(split_, 1);

    for (QWidget* w :
         std::initializer_list<QWidget*>{map_, table_, stopButton_, fitButton_, saveButton_, outputButton_})
        w->setFocusPolicy(Qt::ClickFocus);
    chooseTimer_ = new QTimer(this);
    chooseTimer_->setSingleShot(true);
    chooseTimer_->setInterval(kTypingMillis);
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressMillis);
    status_->SetFullText("Choose an input file to see what it holds");
}

QList<QWidget*> DataView::FocusRing() const
{
    QList<QWidget*> ring;
    // A points pane never shown has no fields to take the focus.
    const bool points = pointList_->Built();
    for (QWidget* w :
         {static_cast<QWidget*>(map_), static_cast<QWidget*>(table_),
          static_cast<QWidget*>(points ? pointList_->Lists() : nullptr),
          static_cast<QWidget*>(points ? pointList_->SearchField() : nullptr),
          static_cast<QWidget*>(points ? pointList_->Table() : nullptr), static_cast<QWidget*>(stopButton_),
          static_cast<QWidget*>(outputButton_), static_cast<QWidget*>(fitButton_), static_cast<QWidget*>(saveButton_)})
        if (w && w->isVisible() && w->isEnabled()) ring << w;
    return ring;
}

bool DataView::focusNextPrevChild(bool next)
{
    const QList<QWidget*> ring = FocusRing();
    QWidget* focus = QApplication::focusWidget();
    qsizetype at = -1;
    for (qsizetype i = 0; i < ring.size(); ++i)
        if (focus == ring[i] || ring[i]->isAncestorOf(focus)) at = i;
    if (at < 0 || ring.isEmpty()) return QWidget::focusNextPrevChild(next);
    ring[(at + (next ? 1 : ring.size() - 1)) % ring.size()]->setFocus(next ? Qt::TabFocusReason
                                                                           : Qt::BacktabFocusReason);
    return true;
}

void DataView::SwitchPane()
{
    QWidget* focus = QApplication::focusWidget();
    if (focus && isAncestorOf(focus)) {
        if (focusBefore_) focusBefore_->setFocus(Qt::OtherFocusReason);
        else focusNextPrevChild(true);
        return;
    }
    focusBefore_ = focus;
    map_->setFocus(Qt::OtherFocusReason);
}

void DataView::Choose(const QString& file, int inputPosition)
{
    chosenFile_ = file;
    chosenPosition_ = inputPosition;
    chooseTimer_->start();
}

QString DataView::Status() const { return status_->FullText(); }

void DataView::ShowFile(const QString& file, int inputPosition)
{
    if (held_) {
        chosenFile_ = file;
        chosenPosition_ = inputPosition;
        choiceWaits_ = true;
        return;
    }
    if (file == file_.name && inputPosition == file_.position && (reader_.Running() || file_.data)) return;
    file_ = ShownFile{.name = file, .position = inputPosition, .readPosition = -1, .data = nullptr};
    outputButton_->setChecked(false);
    showingOutput_ = false;
    // With no format chosen yet (a GPX may be read as tracks or as waypoints),
    // the view reads the file as the first format its content names.
    file_.readPosition =
        catalogue_.IsInput(inputPosition) || !RegularFile(file) ? inputPosition : FormatOfContent(catalogue_, file);
    offerButton_->hide();
    // A content that names another format is not read as the one chosen.
    if (RegularFile(file) && ContentIsNot(catalogue_, file.toStdString(), inputPosition)) {
        reader_.Stop();
        Show(nullptr);
        const int found = FormatOfContent(catalogue_, file);
        status_->SetFullText(
            QString::fromStdString(WhatTheFileIs(catalogue_, file.toStdString(), found, inputPosition)));
        Offer({found});
        emit ReadDone();
        return;
    }
    // A content that names no format, with none chosen: what it looks like, and what it may be.
    if (!catalogue_.IsInput(file_.readPosition))
        if (const std::optional<FormatNotTold> notTold = FormatNotToldOf(catalogue_, file.toStdString())) {
            reader_.Stop();
            Show(nullptr);
            status_->SetFullText(QString::fromStdString(NotToldLine(file.toStdString(), *notTold)) +
                                 "\nChoose its format in the list, or read it as one it may be");
            Offer(notTold->mayBe);
            emit ReadDone();
            return;
        }
    if (file.isEmpty() || !RegularFile(file) || !catalogue_.IsInput(file_.readPosition)) {
        reader_.Stop();
        Show(nullptr);
        status_->SetFullText(file.isEmpty() || RegularFile(file) || !QFileInfo::exists(file)
                                 ? "Choose an input file and its format to see what it holds"
                                 : "Not shown: only a regular file is read before converting");
        emit ReadDone();
        return;
    }
    Read({{file.toStdString(), file_.readPosition}}, QFileInfo(file).fileName());
}

void DataView::Offer(const std::vector<int>& positions)
{
    // One format on the button; several in its menu.
    offered_ = positions.size() == 1 ? positions.front() : -1;
    offerMenu_->clear();
    for (const int position : positions)
        offerMenu_->addAction(QString::fromStdString(catalogue_.Inputs()[position].DisplayName), this,
                              [this, position] { emit FormatOffered(position); });
    offerButton_->setMenu(positions.size() > 1 ? offerMenu_ : nullptr);
    offerButton_->setText(positions.size() == 1
                              ? "Read as " + QString::fromStdString(catalogue_.Inputs()[positions.front()].DisplayName)
                              : "Read as");
    offerButton_->setVisible(!positions.empty());
}

void DataView::Read(std::vector<PreviewFile> files, const QString& what)
{
    reading_ = what;
    // The outputs read back hold the repaired times already.
    reader_.Start(std::move(files), showingOutput_ ? TimeRepairs{} : repairs_, codePage_);
    status_->SetFullText(QString("Reading %1...").arg(what));
    progress_->setRange(0, 0);
    progress_->show();
    stopButton_->show();
    progressTimer_->start();
}

void DataView::StopReading()
{
    held_ = true;
    if (chooseTimer_->isActive()) {
        chooseTimer_->stop();
        choiceWaits_ = true;
    }
    const bool wasReading = reader_.Running();
    reader_.Stop();
    if (!wasReading) return;
    progressTimer_->stop();
    progress_->hide();
    stopButton_->hide();
    // The read was cut short: it is made again once the conversion is over.
    if (!showingOutput_) {
        file_.data.reset();
        if (!choiceWaits_) {
            chosenFile_ = file_.name;
            chosenPosition_ = file_.position;
            choiceWaits_ = true;
        }
    }
    status_->SetFullText(QString("Reading %1 stopped").arg(reading_));
}

void DataView::UpdateProgress()
{
    const double fraction = reader_.Fraction();
    if (fraction >= 0) {
        progress_->setRange(0, 1000);
        progress_->setValue(static_cast<int>(fraction * 1000));
    }
    status_->SetFullText(QString("Reading %1... %2 points").arg(reading_).arg(reader_.PointsRead()));
}

void DataView::Finished(std::shared_ptr<const ViewData> data, const QString& error, bool cancelled)
{
    progressTimer_->stop();
    progress_->hide();
    stopButton_->hide();
    if (cancelled) {
        status_->SetFullText(QString("Reading %1 stopped").arg(reading_));
    } else if (!error.isEmpty()) {
        Show(nullptr);
        status_->SetFullText(QString("%1 could not be read: %2").arg(reading_, error));
    } else {
        (showingOutput_ ? outputData_ : file_.data) = data;
        Show(data);
    }
    emit ReadDone();
}

void DataView::Show(std::shared_ptr<const ViewData> data)
{
    shown_ = std::move(data);
    earlyBar_->hide();
    map_->SetData(shown_);
    profile_->SetGroup(shown_, nullptr, QColor());
    map_->ChoosePoint(std::nullopt);
    pointList_->SetData(shown_);
    FillTable();
    if (!shown_) return;
    QString text;
    if (shown_->refused) text = QString("%1 was refused by its reader").arg(reading_);
    else if (shown_->Empty()) text = QString("%1 holds no tracks, routes or waypoints").arg(reading_);
    else
        text = QString("%1: %2, %3, %4")
                   .arg(reading_, Count(shown_->tracks.size(), "track"), Count(shown_->routes.size(), "route"),
                        Count(shown_->waypoints.size(), "waypoint"));
    if (showingOutput_) text = "Output " + text;
    if (shown_->readInPart) text += " (read in part)";
    if (!shown_->codePage.empty()) text += "\nTexts read in " + QString::fromStdString(shown_->codePage);
    for (const std::string& message : shown_->messages) text += "\n" + QString::fromStdString(message);
    status_->SetFullText(text);
    QStringList warnings;
    for (const std::string& warning : shown_->warnings)
        warnings << QString::fromStdString(warning).replace("; --rollover repairs them", "");
    earlyText_->setText(warnings.join('\n'));
    earlyBar_->setVisible(!warnings.isEmpty() && !showingOutput_);
}

void DataView::FillTable()
{
    // Figures to show need the host's zone: taking it fills the table.
    if (shown_ && !hostZoneKnown_) return TakeHostZone();
    table_->setRowCount(0);
    if (!shown_) return;
    if (table_->columnCount() == 0) {
        table_->setColumnCount(Columns);
        for (int c = 0; c < Columns; ++c) table_->setHorizontalHeaderItem(c, new QTableWidgetItem(kHeadings[c]));
    }
    auto add = [this](const QString& kind, QColor colour, const std::string& name, const Figures& f, bool line) {
        const int row = table_->rowCount();
        table_->insertRow(row);
        QTableWidgetItem* kindItem = Cell(kind, false);
        kindItem->setIcon(Swatch(colour));
        table_->setItem(row, Kind, kindItem);
        table_->setItem(row, Name, Cell(QString::fromStdString(name), false));
        table_->setItem(row, Points, Cell(QString::number(f.points), true));
        table_->setItem(row, Sections, Cell(line ? QString::number(f.sections) : QString(), true));
        table_->setItem(row, Start, Cell(TimeText(f.start, displayZone_), false));
        table_->setItem(row, End, Cell(TimeText(f.end, displayZone_), false));
        // A set of waypoints is no journey: it has no duration.
        table_->setItem(row, Duration, Cell(line ? Span(f.Seconds()) : QString(), true));
        table_->setItem(row, Length, Cell(line ? DistanceText(f.metres, units_) : QString(), true));
        table_->setItem(row, Lowest, Cell(HeightText(f.lowest, units_), true));
        table_->setItem(row, Highest, Cell(HeightText(f.highest, units_), true));
        table_->setItem(row, Ascent, Cell(line ? HeightText(f.ascent, units_) : QString(), true));
        table_->setItem(row, Descent, Cell(line ? HeightText(f.descent, units_) : QString(), true));
        table_->setItem(row, Box, Cell(BoxText(f), false));
    };
    for (std::size_t i = 0; i < shown_->tracks.size(); ++i)
        add("Track", TrackColour(static_cast<int>(i)), shown_->tracks[i].name, shown_->tracks[i].figures, true);
    for (const ViewGroup& route : shown_->routes) add("Route", kRouteColour, route.name, route.figures, true);
    if (!shown_->waypoints.empty()) add("Waypoints", kWaypointColour, "", shown_->waypointFigures, false);
    table_->resizeColumnsToContents();
    // No row is current: the first key in the table chooses one.
    table_->setCurrentCell(-1, -1);
}

std::pair<GroupKind, int> DataView::GroupOfRow(int row) const
{
    if (!shown_ || row < 0) return {GroupKind::None, -1};
    const int tracks = static_cast<int>(shown_->tracks.size()), routes = static_cast<int>(shown_->routes.size());
    if (row < tracks) return {GroupKind::Track, row};
    if (row < tracks + routes) return {GroupKind::Route, row - tracks};
    return {GroupKind::Waypoints, 0};
}

void DataView::RowChosen()
{
    const QList<QTableWidgetSelectionRange> ranges = table_->selectedRanges();
    const auto [kind, index] = GroupOfRow(ranges.isEmpty() ? -1 : ranges.front().topRow());
    map_->Highlight(kind, index);
    if (kind != GroupKind::None) pointList_->ShowSource({kind, index});
    if (kind == GroupKind::Track) profile_->SetGroup(shown_, &shown_->tracks[index], TrackColour(index));
    else if (kind == GroupKind::Route) profile_->SetGroup(shown_, &shown_->routes[index], kRouteColour);
    else profile_->SetGroup(shown_, nullptr, QColor());
}

void DataView::AddToBar(QWidget* control) { bar_->addWidget(control); }

void DataView::ClearOutputs()
{
    outputs_.clear();
    outputFiles_.clear();
    outputData_.reset();
    outputButton_->setChecked(false);
    outputButton_->setEnabled(false);
}

void DataView::AddOutput(const QString& file) { outputs_ << file; }

void DataView::ConversionDone(int outputPosition)
{
    held_ = false;
    if (choiceWaits_) {
        choiceWaits_ = false;
        ShowFile(chosenFile_, chosenPosition_);
    }
    outputFiles_.clear();
    outputData_.reset();
    std::vector<FormatKind> kinds;
    if (catalogue_.IsOutput(outputPosition)) kinds.push_back(catalogue_.Outputs()[outputPosition].Kind);
    for (const QString& file : outputs_) {
        if (!RegularFile(file)) continue;
        try {
            const FormatGuess guess = GuessFormat(catalogue_.Inputs(), file.toStdString(), kinds, true);
            if (!guess.candidates.empty()) outputFiles_.push_back({file.toStdString(), guess.candidates.front()});
        } catch (const FileError&) {
            // A file gone since it was written is not shown.
        }
    }
    outputButton_->setEnabled(!outputFiles_.empty());
}

void DataView::ShowOutput(bool output)
{
    if (output == showingOutput_) return;
    reader_.Stop();
    showingOutput_ = output;
    if (output) {
        const QString what = outputFiles_.size() == 1
                                 ? QFileInfo(QString::fromStdString(outputFiles_.front().name)).fileName()
                                 : QString("%1 output files").arg(outputFiles_.size());
        reading_ = what;
        if (outputData_) Show(outputData_);
        else Read(outputFiles_, what);
    } else {
        reading_ = QFileInfo(file_.name).fileName();
        if (file_.data) Show(file_.data);
        else if (!file_.name.isEmpty() && RegularFile(file_.name))
            Read({{file_.name.toStdString(), file_.readPosition}}, reading_);
    }
}

void DataView::SetCodePage(const std::string& codePage)
{
    if (codePage == codePage_) return;
    codePage_ = codePage;
    SetRepairs(repairs_);
}

void DataView::SetRepairs(const TimeRepairs& repairs)
{
    repairs_ = repairs;
    file_.data.reset();
    // A file chosen a moment ago is read with them once it stands; during a
    // conversion the file shown is read again after it.
    if (chooseTimer_->isActive() || choiceWaits_) return;
    if (held_) {
        chosenFile_ = file_.name;
        chosenPosition_ = file_.position;
        choiceWaits_ = true;
        return;
    }
    if (showingOutput_ || file_.name.isEmpty() || !RegularFile(file_.name) || !catalogue_.IsInput(file_.readPosition))
        return;
    Read({{file_.name.toStdString(), file_.readPosition}}, QFileInfo(file_.name).fileName());
}

QString DataView::DisplayZone() const { return QString::fromStdString(localZone_.Name()); }

void DataView::TakeHostZone()
{
    if (hostZoneKnown_) return;
    hostZoneKnown_ = true;
    ShowZone(TimeZone::System());
}

void DataView::SetDisplayZone(const QString& name)
{
    const auto zone = TimeZone::Named(name.toStdString());
    if (!zone) return;
    hostZoneKnown_ = true;
    ShowZone(*zone);
}

void DataView::ShowZone(const TimeZone& zone)
{
    localZone_ = zone;
    if (!utcButton_->isChecked()) displayZone_ = localZone_;
    utcButton_->setToolTip(QString("Times in UTC; up: in %1").arg(DisplayZone()));
    FillTable();
    pointList_->SetZone(displayZone_);
    profile_->SetZone(displayZone_);
    emit DisplayZoneChanged(displayZone_);
}

void DataView::SetTileServer(const QString& urlTemplate, const QString& attribution)
{
    tiles_->SetServer(urlTemplate, attribution);
}

void DataView::UseSettings(const SettingsLocation& settings)
{
    settings_ = settings;
    ShowUnits(UnitsNamed(QString::fromStdString(IniFile(settings_.file).ReadString("View", kUnitsKey, ""))));
    const TileServer server = ReadTileServer(settings_.file);
    SetTileServer(server.urlTemplate, server.attribution);
}

void DataView::ShowUnits(Units units)
{
    units_ = units;
    for (QAction* action : unitsGroup_->actions())
        action->setChecked(action->data().toInt() == static_cast<int>(units));
    FillTable();
    pointList_->SetUnits(units);
    map_->SetUnits(units);
    profile_->SetUnits(units);
}

void DataView::ChooseUnits(Units units)
{
    ShowUnits(units);
    if (settings_.file.empty()) return;
    try {
        MakeSettingsFolder(settings_);
        IniFile(settings_.file).WriteString("View", kUnitsKey, UnitsName(units).toStdString());
    } catch (const std::exception& error) {
        ShowMessage(this, QMessageBox::Critical, "kesTranscribe", QString::fromLocal8Bit(error.what()));
    }
}

void DataView::ChooseTiles()
{
    TileDialog dialog(ReadTileServer(settings_.file), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const TileServer server = dialog.Server();
    SetTileServer(server.urlTemplate, server.attribution);
    if (settings_.file.empty()) return;
    try {
        WriteTileServer(settings_, server);
    } catch (const std::exception& error) {
        ShowMessage(this, QMessageBox::Critical, "kesTranscribe", QString::fromLocal8Bit(error.what()));
    }
}

QByteArray DataView::SplitState() const { return split_->saveState(); }

void DataView::RestoreSplitState(const QByteArray& state) { splitChosen_ = split_->restoreState(state); }

int DataView::TabsHeightForRows(int rows) const
{
    // The points list is the taller: its list and search above the table, the point's details below.
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height(), row = line + 6, frames = 4 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const int tabBar = line + 12, fields = line + 12, heading = line + 10, details = 2 * metrics.lineSpacing();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return tabBar + fields + heading + rows * row + scrollBar + details + frames + 4 * 3;
}

int DataView::FirstHeight() const
{
    const int tabs = TabsHeightForRows(kRowsShown);
    const QMargins m = layout()->contentsMargins();
    const int spacing = layout()->spacing() * 2 + split_->handleWidth() * 2;
    return m.top() + m.bottom() + status_->sizeHint().height() + bar_->sizeHint().height() + spacing + 2 * tabs +
           fontMetrics().height() * 8;
}

void DataView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // At the first size, unless the user has set the splits: six rows of
    // figures or points where the map keeps more than half the height, the
    // profile a few lines, the map the rest.
    if (splitChosen_ || split_->height() <= 0) return;
    splitChosen_ = true;
    const int room = split_->height() - 2 * split_->handleWidth();
    const int profile = std::min(fontMetrics().height() * 8, room / 6);
    const int tabs = std::min(TabsHeightForRows(kRowsShown), room * 9 / 20);
    split_->setSizes({room - tabs - profile, tabs, profile});
}

bool DataView::SaveMap(const QString& file, QString& error) const { return map_->SaveImage(file, error); }

void DataView::SaveMapClick()
{
    SavePictureClick("Save map", [this](const QString& name, QString& error) { return SaveMap(name, error); });
}

void DataView::SavePictureClick(const QString& title, const std::function<bool(const QString&, QString&)>& save)
{
    QString chosenFilter;
    const QString file =
        QFileDialog::getSaveFileName(this, title, QString(), "PNG image (*.png);;SVG drawing (*.svg)", &chosenFilter);
    if (file.isEmpty()) return;
    QString name = file;
    if (QFileInfo(name).suffix().isEmpty()) name += chosenFilter.startsWith("SVG") ? ".svg" : ".png";
    QString error;
    if (!save(name, error))
        ShowMessage(this, QMessageBox::Critical, "kesTranscribe", QString("%1: %2").arg(name, error));
}
