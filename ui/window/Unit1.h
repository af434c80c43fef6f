// SPDX-License-Identifier: GPL-3.0-or-later
// TfmMain: the main window. It holds the two file fields, the two format
// lists, the progress pane and the buttons; it is the front end the Convert
// action and the readers report to, and it keeps the settings file.
#pragma once

#include <QDate>
#include <QMessageBox>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/convert/convert.h"
#include "core/convert/frontend.h"
#include "plan/conversion_plan.h"
#include "plan/job_request.h"
#include "ui/window/CardPlan.h"
#include "ui/window/SettingsLocation.h"

struct IniEntry;

class QGridLayout;
class QMenu;
class QTimer;
class QUrl;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QFrame;
class QSplitter;
class DataView;
class ShapePanel;
class TFilenameEditLabel;
class TLyrComboBox;
class TfmHelp;

// The question asked before existing files are replaced, naming them (the
// first few when there are many).
QString ReplaceQuestion(const QStringList& files);

class TfmMain : public QWidget, public PaneFrontEnd {
    Q_OBJECT
public:
    // The catalogue outlives the window.
    explicit TfmMain(const FormatCatalogue& catalogue, const SettingsLocation& settings = HostSettingsLocation(),
                     QWidget* parent = nullptr);
    ~TfmMain() override;

    TFilenameEditLabel* cInputFile;
    TLyrComboBox* cInputFileFormat;
    QFrame* Bevel1;
    TFilenameEditLabel* cOutPutFile;
    TLyrComboBox* cOutputFileFormat;
    QPlainTextEdit* cOutput;
    QPushButton* bHelp;
    QPushButton* bConvert;
    QPushButton* bClose;
    // Opens the folder of the files the last conversion wrote.
    QPushButton* bOpenFolder;
    class TimesRow* cTimes;
    class CodePageBox* cCodePage;
    // What the input file holds (and, after a conversion, what was written), beside the fields.
    DataView* cView;
    ShapePanel* shape_ = nullptr;         // the shaping steps, beside the view
    QPushButton* shapeButton_ = nullptr;  // shows and hides it

    // Shows a modal box titled with the program's name; tests replace it.
    std::function<void(QMessageBox::Icon, const QString&)> ShowBox;
    // Asks the date of a log that gives none (the file named); Cancel cancels
    // the conversion. Tests replace it.
    std::function<struct LogDateAnswer(const QString& file)> AskDate;
    // Says what an input holds (not the format chosen) and asks whether to convert it as the format
    // named; tests replace it.
    std::function<bool(const QString& what, const QString& format)> AskFormat;
    // Asks whether these existing files may be replaced; tests replace it.
    std::function<bool(const QStringList& files)> AskReplace;
    // Hands a folder to the desktop's file manager, false when none took it; tests replace it.
    std::function<bool(const QUrl& folder)> OpenUrl;
    // Asks whether a conversion running may be stopped to close; tests
    // replace it. The conversion ending answers yes: the window closes, as asked.
    std::function<bool()> AskStop;

    void SetHelpWindow(TfmHelp* help) { fmHelp_ = help; }

    // Files dropped on the window or named on the command line: they become
    // the input field's choice, as if chosen together in its dialog. Names
    // relative to the working folder are completed with it; none changes nothing.
    // The input format follows the first file where the selected one cannot be its.
    void ChooseInputFiles(const QStringList& files);

    QProgressBar* CardProgress() const { return cardProgress_; }
    // The files the last conversion wrote, with their full paths, in order.
    const QStringList& WrittenFiles() const { return written_; }
    // The input files chosen last, the latest first (at most kRecentKept).
    static constexpr int kRecentKept = 8;
    const QStringList& RecentFiles() const { return recent_; }
    QMenu* RecentMenu() const { return recentMenu_; }

    void FormCreate();
    // Writes the settings file; throws "Unable to write to <path>" when it cannot.
    void FormDestroy();

    void cInputFileFormatChange(int index);
    void cOutputFileFormatChange(int index);
    void bConvertClick();
    void bHelpClick();
    void bCloseClick();
    void bOpenFolderClick();
    // A conversion started by bConvertClick has ended (runs on the window's thread).
    void ConversionFinished(const struct ConversionOutcome& outcome, bool stopped);

    // The progress pane, one entry per line.
    QStringList Lines() const;
    bool Converting() const { return converting_; }

    std::string InputFileText();
    std::vector<std::string> ChosenInputFiles();
    // A bare name goes into the output field's initial folder, where its
    // dialog would have put it, not into the program's working folder.
    std::string OutputFileText();
    int InputPosition();
    int OutputPosition();
    void AddLine(const std::string& text) override;
    void ClearLines() override;
    void ShowMessage(const std::string& text) override;
    void SetBusyCursor(bool busy) override;
    void ProcessMessages() override;
    std::optional<std::chrono::year_month_day> DateOfLog(const std::string& file) override;
    void OutputWritten(const std::string& name) override;
    bool ConfirmReplacing(const std::vector<std::string>& names) override;

signals:
    // The conversion Convert started is over: its lines are in the pane.
    void ConversionEnded();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void SelectInputFormatOf(const std::string& file);
    // The input field names another existing file (or folder, with folders):
    // the choices made for the one before (its format, the Times row unless
    // pinned) go.
    void InputNamed(bool folders);
    // A format or a repair chosen with no input named is for the next one.
    void NoteChoiceAhead();
    bool InputsAreWhatTheyAre(ConversionRequest& request);
    // What every conversion runs with: the time repairs of the Times row, the
    // steps of the Shape panel, the code page.
    ConversionSettings Settings() const;
    // The conversion the fields and lists ask for, planned as the command
    // plans it; none, with a message shown, when it cannot run.
    std::optional<ConversionRequest> PlannedRequest();
    bool ChoicesHold(const std::string& input, const ConversionSettings& settings);
    // The plan of a whole card: each file on its own into the output folder.
    ConversionPlan PlanCardAsked(int outputPosition);
    // The output field's tooltip names the files written beside the output.
    void UpdateOutputNote();
    // A whole card: a folder chosen as input, or an existing folder as output.
    bool CardChosen();
    void ListChosenFiles();
    void StartCard();
    void NextCardFile();
    void CardFileDone(const struct ConversionOutcome& outcome, bool stopped);
    void FinishCard(bool stopped);
    void OutputFormatChosen();
    void InputChosen(const QStringList& files);
    void FollowTypedInput();
    void ProposeOutputName();
    void ProposeForNewInput();
    void ProposeAnyway();
    QString FirstInputFile() const;
    void AddRecent(const QString& file);
    void FillRecentMenu();
    void AddShortcuts();
    void ReadWindowSettings(const class IniFile& settings);
    void KeepInsideScreen();
    void WriteWindowSettings(std::vector<IniEntry>& entries) const;
    void BuildControls();
    void LayOut();
    int WholeFieldsWidth() const;
    void SizeAtFirst();
    void FitCaptionColumn();
    // Convert is as wide as its other caption, Stop: the buttons beside it never move.
    void FitConvertButton();
    void ConnectControls();
    void FocusChanged(QWidget* old, QWidget* now);
    void SaveOnce();
    void ShowInputInView();
    void ShowShapePanel(bool shown);

    const FormatCatalogue& catalogue_;
    SettingsLocation settings_;
    QTimer* followTimer_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QString proposedOutput_;
    QString inputFolder_;  // of the input an output name was last proposed for
    // The input the format and the Times row were chosen for (empty: none yet);
    // true while they were chosen with no input named, for the next one.
    QString openInput_;
    bool choicesAhead_ = false;
    QStringList written_;
    QStringList recent_;
    bool shown_ = false;
    QSize sizeShown_;
    QGridLayout* grid_ = nullptr;
    class QLabel* codePageLabel_ = nullptr;
    QSplitter* split_ = nullptr;  // the fields and the pane beside the view
    bool layoutChosen_ = false;   // a splitter moved by the user, now or in an earlier run
    QMetaObject::Connection focusWatch_;
    TfmHelp* fmHelp_ = nullptr;
    int lineCount_ = 0;
    bool busy_ = false;
    bool converting_ = false;
    class ConversionRunner* runner_ = nullptr;
    bool saved_ = false;
    // The card being converted, file by file on the conversion's thread.
    std::vector<ConversionJob> card_;
    std::size_t cardNext_ = 0;
    CardCounts cardCounts_;
    QStringList approved_;  // the existing files the one question allowed to replace
    bool cardRunning_ = false;
    QProgressBar* cardProgress_ = nullptr;
};
