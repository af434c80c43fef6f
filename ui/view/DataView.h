// SPDX-License-Identifier: GPL-3.0-or-later
// The view of what a file holds, beside the main window's fields: the map,
// the figures of each track, route and set of waypoints, and the elevation
// profile of the one chosen. The window tells it which file to show; it reads
// it in the background, and after a conversion can show the output read back.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <utility>

#include "core/document/view_data.h"
#include "core/time/time_zone.h"
#include "repair/time_repairs.h"
#include "ui/view/PreviewReader.h"
#include "ui/view/Units.h"
#include "ui/window/SettingsLocation.h"

enum class GroupKind;
class MapTiles;
class MapView;
class PointsPane;
class ProfileView;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QTimer;
class QToolButton;

class FormatCatalogue;

class DataView : public QWidget {
    Q_OBJECT
public:
    // The catalogue outlives the view.
    explicit DataView(const FormatCatalogue& catalogue, QWidget* parent = nullptr);
    ~DataView() override;

    // Reads the file as the input format at inputPosition and shows it; an
    // empty name, or one that is not a regular file, clears the view.
    void ShowFile(const QString& file, int inputPosition);
    // The same a moment later, so that a name being typed is read once it stands.
    void Choose(const QString& file, int inputPosition);
    // Stops a read and waits until its thread has ended: before a conversion,
    // which then has both cores to itself.
    // Nothing is read then until ConversionDone, which reads a file chosen meanwhile.
    void StopReading();
    // The files a conversion wrote, as the window hears of them; ConversionDone
    // then offers to show them (as the input formats their content names).
    // The window clears them when another input is opened.
    void ClearOutputs();
    void AddOutput(const QString& file);
    void ConversionDone(int outputPosition);
    void ShowOutput(bool output);

    // The repairs of the Times row, applied to the input shown (read again).
    void SetRepairs(const TimeRepairs& repairs);
    // The code page of the 8-bit inputs' texts ("auto" or a name iconv knows); the input is read again.
    void SetCodePage(const std::string& codePage);
    // The zone the figures show times in (the system's unless the settings
    // name another), and UTC instead while the UTC button is down.
    QString DisplayZone() const;
    // The zone the figures show times in now: UTC, or the display zone (UTC
    // until the host's zone is looked up, after the first paint; then
    // DisplayZoneChanged).
    const TimeZone& ShownZone() const { return displayZone_; }
    void SetDisplayZone(const QString& name);
    QToolButton* UtcButton() const { return utcButton_; }
    QWidget* EarlyBar() const { return earlyBar_; }
    QPushButton* EarlyButton() const { return earlyButton_; }

    void SetTileServer(const QString& urlTemplate, const QString& attribution);
    // Takes the tile server from the settings file, where "Map tiles..." keeps it.
    void UseSettings(const SettingsLocation& settings);
    // The "Map tiles..." dialog (from the map's context menu); what it stores is used at once.
    void ChooseTiles();
    MapTiles* Tiles() const { return tiles_; }
    // The units of the figures, from the map's menu; kept in the settings file.
    void ChooseUnits(Units units);
    Units ShownUnits() const { return units_; }
    QByteArray SplitState() const;
    void RestoreSplitState(const QByteArray& state);
    bool SaveMap(const QString& file, QString& error) const;

    // The map, the figures and the profile are shown only once the view has
    // been painted without them: the window's first picture comes as soon as
    // it did before it had a view.
    void ShowContentAfterFirstPaint();

    // The height at which the view shows six rows of figures or points, a map
    // as high as they are and a profile of a few lines: the window's first
    // height, where the screen has it.
    int FirstHeight() const;
    // Small: the window gives the view the room it sets aside for it, and growing it is the fields' turn.
    QSize sizeHint() const override { return minimumSizeHint(); }

    bool Reading() const { return reader_.Running(); }
    std::shared_ptr<const ViewData> Data() const { return shown_; }
    QString Status() const;
    // The file's line above the map: at most two lines, always two lines high.
    class TwoLineLabel* StatusLine() const { return status_; }
    MapView* Map() const { return map_; }
    QTableWidget* Table() const { return table_; }
    ProfileView* Profile() const { return profile_; }
    // The points of the data, in a tab beside the figures, synchronised with the map.
    PointsPane* PointsTab() const { return pointList_; }
    QTabWidget* Tabs() const { return tabs_; }
    QPushButton* OutputButton() const { return outputButton_; }
    QPushButton* StopButton() const { return stopButton_; }
    QPushButton* OfferButton() const { return offerButton_; }
    // Puts a control of the window at the right of the view's bar (the Shape panel's button).
    void AddToBar(QWidget* control);

signals:
    // A read is over: the data shown, or why there is none.
    void ReadDone();
    // The user asks to read the file shown as the format its content names.
    void FormatOffered(int position);
    // The user moved the line between the map, the figures and the profile.
    void SplitMoved();
    // The button of the warning of early times: the rollover repair is asked for.
    void RolloverAsked();
    // The zone the figures show times in changed (UTC chosen, or another zone).
    void DisplayZoneChanged(const TimeZone& zone);

protected:
    // Tab walks the view's own controls; they are not in the fields' tab order, which F6 leaves and enters.
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    // The height the figures' and points' tabs take to show that many rows.
    int TabsHeightForRows(int rows) const;
    void SwitchPane();
    QList<QWidget*> FocusRing() const;
    QList<QWidget*> ShownContent() const;
    // The "Read as" button: one format, or a menu of several; none hides it.
    void Offer(const std::vector<int>& positions);
    void Read(std::vector<PreviewFile> files, const QString& what);
    void Finished(std::shared_ptr<const ViewData> data, const QString& error, bool cancelled);
    void Show(std::shared_ptr<const ViewData> data);
    void FillTable();
    void TakeHostZone();
    // `zone` becomes the display zone, and the figures' zone unless they show UTC.
    void ShowZone(const TimeZone& zone);
    std::pair<GroupKind, int> GroupOfRow(int row) const;
    void RowChosen();
    void UpdateProgress();
    void SaveMapClick();
    void SavePictureClick(const QString& title, const std::function<bool(const QString&, QString&)>& save);
    void ShowUnits(Units units);
    void ConnectPointList();

    const FormatCatalogue& catalogue_;
    PreviewReader reader_;
    MapTiles* tiles_ = nullptr;
    MapView* map_ = nullptr;
    QTableWidget* table_ = nullptr;
    ProfileView* profile_ = nullptr;
    PointsPane* pointList_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    bool pointFromMap_ = false;  // a click on the map chose the point: the map stays where it is
    QSplitter* split_ = nullptr;
    bool splitChosen_ = false;  // by the user, now or in an earlier run (the settings)
    class TwoLineLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* fitButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* outputButton_ = nullptr;
    QPushButton* offerButton_ = nullptr;  // "Read as" the format the content names, or those it may be
    class QMenu* offerMenu_ = nullptr;
    int offered_ = -1;  // the one format of the button; -1: its menu offers them
    QToolButton* utcButton_ = nullptr;
    QWidget* earlyBar_ = nullptr;
    QLabel* earlyText_ = nullptr;
    QPushButton* earlyButton_ = nullptr;
    TimeRepairs repairs_;
    std::string codePage_ = "auto";
    TimeZone displayZone_, localZone_;
    class WrappingRow* bar_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    QTimer* chooseTimer_ = nullptr;
    QString chosenFile_;
    int chosenPosition_ = -1;
    QPointer<QWidget> focusBefore_;
    bool contentWaits_ = false;
    // The host's zone is in localZone_ (or the settings named another).
    bool hostZoneKnown_ = false, hostZoneAsked_ = false;
    bool held_ = false;  // a conversion runs
    bool choiceWaits_ = false;

    // What the view holds of the input file shown: replaced whole when another is shown.
    struct ShownFile {
        QString name;
        int position = -1;      // the format chosen
        int readPosition = -1;  // the format chosen, or the one the content names
        std::shared_ptr<const ViewData> data;
    };
    ShownFile file_;
    QString reading_;
    // The files the last conversion wrote, those of them that can be read back, and what they hold.
    QStringList outputs_;
    std::vector<PreviewFile> outputFiles_;
    std::shared_ptr<const ViewData> outputData_, shown_;
    bool showingOutput_ = false;
    QString statusText_;
    Units units_ = Units::Metric;
    class QActionGroup* unitsGroup_ = nullptr;
    SettingsLocation settings_;
};
