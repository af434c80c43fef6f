// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/Unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStringDecoder>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <exception>
#include <utility>

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/convert/format_lookup.h"
#include "core/convert/format_rows.h"
#include "core/io/file_io.h"
#include "core/io/file_names.h"
#include "core/text/text_fields.h"
#include "core/time/clock.h"
#include "repair/time_repairs.h"
#include "shape/step_choice.h"
#include "ui/panels/CodePageBox.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/LogDate.h"
#include "ui/panels/Lyrlcomb.h"
#include "ui/panels/ShapePanel.h"
#include "ui/panels/TimesRow.h"
#include "ui/view/DataView.h"
#include "ui/window/CardPlan.h"
#include "ui/window/ConversionRunner.h"
#include "ui/window/IniFile.h"
#include "ui/window/InputFormatOf.h"
#include "ui/window/MessageBoxes.h"
#include "ui/window/help.h"
#include <QListWidget>

namespace {
const char* const kTitle = "kesTranscribe";
const std::string kInputSection = "Input File", kOutputSection = "Output File";
const std::string kFolderKey = "Initial Folder", kFormatKey = "File Format";
const std::string kCodePageKey = "Code Page";
const std::string kViewSection = "View", kWindowSplitKey = "Window Split", kViewSplitKey = "View Split";
// The zone of the view's times (the system's when none is named), and whether UTC is shown instead.
const std::string kTimesZoneKey = "Times Zone", kTimesInUtcKey = "Times In UTC";
const std::string kWindowSection = "Window", kWidthKey = "Width", kHeightKey = "Height";
const std::string kMaximizedKey = "Maximized";
const std::string kRecentSection = "Recent Files";
// Typing in a format list searches its captions, which are longer than the ten
// characters a typed format name once had.
constexpr int kFormatTypingLength = 60;
// A typed input name is looked at once typing pauses, not at every key.
constexpr int kFollowTypingMs = 300;
// The question names this many files; the rest are behind its details button.
constexpr qsizetype kReplaceNamesShown = 12;

std::string RecentKey(int n) { return "File" + std::to_string(n); }

// A name in a file field: quoted when it holds a blank, as a dialog choice is.
QString FieldText(const QString& name) { return name.contains(' ') ? '"' + name + '"' : name; }

// Readers pass on bytes from the files they read; those need not be UTF-8.
QString ToQString(const std::string& text)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString result = decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return decoder.hasError() ? QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())) : result;
}

QPushButton* PictureButton(QWidget* parent, const QString& caption, QStyle::StandardPixmap picture)
{
    auto* button = new QPushButton(parent->style()->standardIcon(picture), caption, parent);
    // Return and Enter press a focused button, as Space does.
    button->setAutoDefault(true);
    return button;
}

// The width a list needs to show a text whole in its field.
int WidthShowing(const QComboBox* list, const QString& text)
{
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = list->isEditable();
    option.frame = list->hasFrame();
    // The field's own margins, two pixels a side, and its cursor.
    const QSize contents(list->fontMetrics().horizontalAdvance(text) + 6, list->fontMetrics().height());
    return list->style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, list).width();
}

void SelectIndex(TLyrComboBox* list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

}  // namespace

QString ReplaceQuestion(const QStringList& files)
{
    QString text = files.size() == 1
                       ? "This file exists already and will be replaced:\n\n"
                       : QString("These %1 files exist already and will be replaced:\n\n").arg(files.size());
    text += files.mid(0, kReplaceNamesShown).join('\n');
    if (files.size() > kReplaceNamesShown) text += QString("\n... and %1 more").arg(files.size() - kReplaceNamesShown);
    return text + (files.size() == 1 ? "\n\nReplace it?" : "\n\nReplace them?");
}

namespace {
// The pane's frame, drawn in whole device pixels. The style draws it on
// logical pixels, and at a fractional scale (1.5 at 144 dpi) the pane's
// content, placed by rounding, covered its top and right lines.
class PaneFramePainter : public QObject {
public:
    explicit PaneFramePainter(QFrame* pane) : QObject(pane), pane_(pane)
    {
        pane->setFrameStyle(QFrame::Box | QFrame::Plain);
        pane->setLineWidth(1);
        pane->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Paint) return false;
        QPainter painter(pane_);
        // What rounding leaves between the line and the content is the content's.
        painter.fillRect(pane_->rect(), pane_->palette().base());
        // The outline of the fields around it; width 0 is one device pixel at every scale.
        painter.setPen(QPen(pane_->palette().color(QPalette::Window).darker(140), 0));
        const qreal pixel = 1.0 / pane_->devicePixelRatioF();
        painter.drawRect(QRectF(pane_->rect()).adjusted(pixel / 2, pixel / 2, -pixel / 2, -pixel / 2));
        return true;
    }

private:
    QFrame* pane_;
};

// The pane stays on its last line while it is there: a line laid out after
// it was added (a long one, wrapped) or a pane made smaller keeps the end in
// view. Scrolled up by the user, it stays where the user put it.
class EndFollower : public QObject {
public:
    explicit EndFollower(QPlainTextEdit* pane) : QObject(pane)
    {
        QScrollBar* bar = pane->verticalScrollBar();
        connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) { atEnd_ = value == bar->maximum(); });
        connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
            if (atEnd_) bar->setValue(maximum);
        });
    }

private:
    bool atEnd_ = true;
};

// Sizes were drawn for a face 13 pixels high; a larger desktop font gets a
// window that much larger.
constexpr int kDrawnWidth = 505, kDrawnHeight = 363, kDrawnLineHeight = 13;
// The view beside the fields starts about as wide as they are.
constexpr int kViewWidth = 560;
}  // namespace

TfmMain::TfmMain(const FormatCatalogue& catalogue, const SettingsLocation& settings, QWidget* parent)
    : QWidget(parent), catalogue_(catalogue), settings_(settings)
{
    ShowBox = [this](QMessageBox::Icon icon, const QString& text) { ::ShowMessage(this, icon, kTitle, text); };
    AskDate = [this](const QString& file) { return AskDateOfLog(this, file); };
    AskFormat = [this](const QString& what, const QString& format) {
        QMessageBox box(QMessageBox::Question, kTitle, what, QMessageBox::Cancel, this);
        QPushButton* convert = box.addButton("Convert as " + format, QMessageBox::AcceptRole);
        box.setDefaultButton(convert);
        KeepTitleWhole(box);
        box.exec();
        return box.clickedButton() == convert;
    };
    AskReplace = [this](const QStringList& files) {
        QMessageBox box(QMessageBox::Question, kTitle, ReplaceQuestion(files), QMessageBox::Yes | QMessageBox::No,
                        this);
        box.setDefaultButton(QMessageBox::No);
        if (files.size() > kReplaceNamesShown) box.setDetailedText(files.join('\n'));
        KeepTitleWhole(box);
        return box.exec() == QMessageBox::Yes;
    };
    OpenUrl = [](const QUrl& folder) { return QDesktopServices::openUrl(folder); };
    AskStop = [this] {
        QMessageBox box(QMessageBox::Question, kTitle, "A conversion is running. Stop it and close?",
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::No);
        KeepTitleWhole(box);
        // Nothing is left to stop once the conversion ends: the window closes, as the user asked.
        connect(this, &TfmMain::ConversionEnded, &box, [&box] { box.done(QMessageBox::Yes); });
        return box.exec() == QMessageBox::Yes;
    };
    runner_ = new ConversionRunner(catalogue_, *this, this);
    connect(runner_, &ConversionRunner::Finished, this, &TfmMain::ConversionFinished);
    BuildControls();
    ConnectControls();
    FormCreate();
}

TfmMain::~TfmMain()
{
    // The conversion's thread reports to this window: it ends first.
    runner_->StopAndWait();
    // The focus still moves while the QWidget part is torn down, when this part is gone.
    disconnect(focusWatch_);
    try {
        SaveOnce();
    } catch (const std::exception&) {
        // Nothing is left to show the error in; closing the window reports it.
    }
}

void TfmMain::BuildControls()
{
    setWindowTitle("Kestrelmaps File Format Converter (Version 1.13)");
    setAcceptDrops(true);

    cInputFile = new TFilenameEditLabel(this);
    cInputFile->SetLabelCaption("&Input File");
    cInputFile->SetMultiSelect(true);
    cInputFile->AddBrowseShortcut(QKeySequence::Open);

    cInputFileFormat = new TLyrComboBox(this);
    cInputFileFormat->SetLabelCaption("F&ormat");
    cInputFileFormat->SetPicture("normal");
    cInputFileFormat->SetMaxLength(kFormatTypingLength);
    cInputFileFormat->SetTypeAhead(true);

    cTimes = new TimesRow(this);
    cCodePage = new CodePageBox(this);
    codePageLabel_ = new QLabel("Code pa&ge", this);
    codePageLabel_->setBuddy(cCodePage);
    // Apart from its field, as the captions beside the other fields are.
    for (QLabel* caption : {codePageLabel_, cTimes->Label()}) {
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        caption->setIndent(6);
    }
    // Beside the Times row's first line, should the row take two.
    cTimes->Label()->setMinimumHeight(cTimes->Shift()->sizeHint().height());

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    cOutPutFile = new TFilenameEditLabel(this);
    cOutPutFile->SetLabelCaption("Ou&tput File");
    cOutPutFile->SetSaveDialog(true);
    // The conversion asks once about every file it replaces, track files included.
    cOutPutFile->SetDialogAsksBeforeReplacing(false);

    cOutputFileFormat = new TLyrComboBox(this);
    cOutputFileFormat->SetLabelCaption("Fo&rmat");
    cOutputFileFormat->SetPicture("uppercase");
    cOutputFileFormat->SetMaxLength(kFormatTypingLength);
    cOutputFileFormat->SetTypeAhead(true);

    cOutput = new QPlainTextEdit(this);
    cOutput->setReadOnly(true);
    cOutput->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    cOutput->setFocusPolicy(Qt::StrongFocus);
    cOutput->setTabChangesFocus(true);
    cOutput->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A long line (a card's summary, a long path) wraps rather than running past the pane's edge.
    cOutput->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    new PaneFramePainter(cOutput);
    new EndFollower(cOutput);

    bHelp = PictureButton(this, "&Help", QStyle::SP_DialogHelpButton);
    bConvert = PictureButton(this, "&Convert", QStyle::SP_DialogApplyButton);
    bClose = PictureButton(this, "C&lose", QStyle::SP_DialogCloseButton);
    bOpenFolder = PictureButton(this, "Open &Folder", QStyle::SP_DirOpenIcon);
    bOpenFolder->setToolTip("Open the folder of the files written");
    bOpenFolder->setEnabled(false);
    cardProgress_ = new QProgressBar(this);
    cardProgress_->setAccessibleName("Files converted");
    cardProgress_->setFormat("%v of %m");
    // Its room is kept while it is hidden, and Convert is as wide as Stop: a
    // folder conversion moves no button.
    cardProgress_->setMaximumWidth(fontMetrics().averageCharWidth() * 14);
    QSizePolicy kept = cardProgress_->sizePolicy();
    kept.setRetainSizeWhenHidden(true);
    cardProgress_->setSizePolicy(kept);
    cardProgress_->hide();
    FitConvertButton();

    recentMenu_ = new QMenu(this);
    QAction* recent =
        cInputFile->addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView), QLineEdit::TrailingPosition);
    recent->setToolTip("Recent input files");
    connect(recent, &QAction::triggered, this,
            [this] { recentMenu_->popup(cInputFile->mapToGlobal(cInputFile->rect().bottomRight())); });
    connect(recentMenu_, &QMenu::aboutToShow, this, &TfmMain::FillRecentMenu);
    followTimer_ = new QTimer(this);
    followTimer_->setSingleShot(true);
    followTimer_->setInterval(kFollowTypingMs);
    cView = new DataView(catalogue_, this);
    cView->ShowContentAfterFirstPaint();
    shape_ = new ShapePanel(catalogue_, cView->Map(), this);
    shape_->hide();
    shapeButton_ = new QPushButton("Shape", this);
    shapeButton_->setCheckable(true);
    // The fields' and the view's tab orders stay as they were.
    shapeButton_->setFocusPolicy(Qt::NoFocus);
    // The window's least size stays as it was: the bar gives way.
    shapeButton_->setMinimumWidth(1);
    shapeButton_->setToolTip(
        "The Shape panel: split, merge, simplify, crop and clean before converting (Ctrl+Shift+S)");
    cView->AddToBar(shapeButton_);

    // Files dropped on the lists or the pane go to the window, which takes them as input.
    for (QWidget* w : {static_cast<QWidget*>(cInputFileFormat), static_cast<QWidget*>(cInputFileFormat->lineEdit()),
                       static_cast<QWidget*>(cOutputFileFormat), static_cast<QWidget*>(cOutputFileFormat->lineEdit()),
                       static_cast<QWidget*>(cOutput), cOutput->viewport()})
        w->setAcceptDrops(false);

    cInputFileFormat->setAccessibleName("Input format");
    cOutputFileFormat->setAccessibleName("Output format");
    // The buttons inside the file fields are reached by Tab too, each named.
    const QList<QToolButton*> inputButtons = cInputFile->findChildren<QToolButton*>();
    const QList<QToolButton*> outputButtons = cOutPutFile->findChildren<QToolButton*>();
    const QStringList inputNames = {"Choose the input file", "Recent input files"};
    for (qsizetype i = 0; i < inputButtons.size(); ++i) {
        inputButtons[i]->setFocusPolicy(Qt::TabFocus);
        if (i < inputNames.size()) inputButtons[i]->setAccessibleName(inputNames[i]);
    }
    for (QToolButton* button : outputButtons) {
        button->setFocusPolicy(Qt::TabFocus);
        button->setAccessibleName("Choose the output file");
    }
    QWidget* before = cInputFile;
    for (QWidget* next : inputButtons) setTabOrder(std::exchange(before, next), next);
    setTabOrder(before, cInputFileFormat);
    setTabOrder(cInputFileFormat, cCodePage);
    setTabOrder(cCodePage, cTimes->Shift());
    setTabOrder(cTimes->Shift(), cTimes->Zone());
    setTabOrder(cTimes->Zone(), cTimes->Rollover());
    setTabOrder(cTimes->Rollover(), cTimes->ForEveryFile());
    setTabOrder(cTimes->ForEveryFile(), cOutPutFile);
    before = cOutPutFile;
    for (QWidget* next : outputButtons) setTabOrder(std::exchange(before, next), next);
    setTabOrder(before, cOutputFileFormat);
    setTabOrder(cOutputFileFormat, cOutput);
    setTabOrder(cOutput, bHelp);
    setTabOrder(bHelp, bConvert);
    setTabOrder(bConvert, bClose);
    setTabOrder(bClose, bOpenFolder);
    AddShortcuts();

    LayOut();
}

// Fields right of a column that holds their captions, the separator between
// input and output, the pane taking the height, the buttons spread in a row.
// The captions place themselves beside their fields; the column keeps room.
void TfmMain::LayOut()
{
    auto* fields = new QWidget(this);
    split_ = new QSplitter(Qt::Horizontal, this);
    split_->addWidget(fields);
    split_->addWidget(cView);
    split_->addWidget(shape_);
    // The width the window gains goes to the view: a wide window is for the map.
    split_->setStretchFactor(0, 0);
    split_->setStretchFactor(1, 1);
    split_->setStretchFactor(2, 0);
    split_->setChildrenCollapsible(false);
    auto* whole = new QHBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(split_);
    grid_ = new QGridLayout(fields);
    grid_->setContentsMargins(8, 11, 20, 7);
    grid_->setHorizontalSpacing(0);
    grid_->setVerticalSpacing(7);
    grid_->addWidget(cInputFile, 0, 1);
    grid_->addWidget(cInputFileFormat, 1, 1);
    // The code page and the repairs of the inputs' times, each on a row of its
    // own (beside the format, both were cut), captioned in the captions' column.
    grid_->addWidget(codePageLabel_, 2, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid_->addWidget(cCodePage, 2, 1);
    grid_->addWidget(cTimes->Label(), 3, 0, Qt::AlignRight | Qt::AlignTop);
    grid_->addWidget(cTimes, 3, 1);
    grid_->addWidget(Bevel1, 4, 1);
    grid_->addWidget(cOutPutFile, 5, 1);
    grid_->addWidget(cOutputFileFormat, 6, 1);
    grid_->addWidget(cOutput, 7, 1);
    grid_->setColumnStretch(1, 1);
    grid_->setRowStretch(7, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(2);
    buttons->addWidget(bHelp);
    buttons->addStretch(1);
    buttons->addWidget(bConvert);
    buttons->addStretch(1);
    buttons->addWidget(bClose);
    buttons->addStretch(1);
    buttons->addWidget(bOpenFolder);
    buttons->addStretch(2);
    buttons->addWidget(cardProgress_);
    grid_->addLayout(buttons, 8, 0, 1, 2);
    FitCaptionColumn();
    SizeAtFirst();
}

// The fields' width at which every entry of the lists shows whole, and the
// Times row's parts on at most two lines.
int TfmMain::WholeFieldsWidth() const
{
    int controls = 0;
    for (const QComboBox* list :
         std::initializer_list<const QComboBox*>{cInputFileFormat, cOutputFileFormat, cCodePage})
        for (int i = 0; i < list->count(); ++i) controls = std::max(controls, WidthShowing(list, list->itemText(i)));
    const QMargins m = grid_->contentsMargins();
    int captions = grid_->columnMinimumWidth(0);
    for (const QLabel* label : {codePageLabel_, cTimes->Label()})
        captions = std::max(captions, label->sizeHint().width());
    return m.left() + captions + controls + m.right();
}

// Two thirds of the screen, centred, and more where the fields' texts or six
// rows of figures need it and the screen has it: the map gets room on a large
// screen too. The fields get their whole texts' width, less than half a wide
// window; the view takes what is left.
void TfmMain::SizeAtFirst()
{
    const QSize least = minimumSizeHint();
    const int fields = std::max(split_->widget(0)->minimumSizeHint().width(), WholeFieldsWidth());
    const double scale = std::max(1.0, fontMetrics().height() / double(kDrawnLineHeight));
    QSize start = QSize(fields + int(kViewWidth * scale), cView->FirstHeight()).expandedTo(least);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        start = start.boundedTo(available.size()).expandedTo(available.size() * 2 / 3).expandedTo(least);
        QRect frame(QPoint(), start);
        frame.moveCenter(available.center());
        move(frame.topLeft());
    }
    resize(start);
    const int fieldsWidth = std::clamp(
        std::max(fields, std::min(int(kDrawnWidth * scale), start.width() * 2 / 5)),
        split_->widget(0)->minimumSizeHint().width(),
        std::max(split_->widget(0)->minimumSizeHint().width(), start.width() - cView->minimumSizeHint().width()));
    split_->setSizes({fieldsWidth, start.width() - fieldsWidth});
}

void TfmMain::FitCaptionColumn()
{
    int widest = 0;
    for (const auto& [label, gap] : {std::pair{cInputFile->Label(), cInputFile->Gap()},
                                     {cInputFileFormat->Label(), cInputFileFormat->Gap()},
                                     {cOutPutFile->Label(), cOutPutFile->Gap()},
                                     {cOutputFileFormat->Label(), cOutputFileFormat->Gap()}})
        if (label) widest = std::max(widest, label->sizeHint().width() + gap);
    grid_->setColumnMinimumWidth(0, widest);
}

void TfmMain::FitConvertButton()
{
    const QString caption = bConvert->text();
    bConvert->setMinimumWidth(0);
    int widest = 0;
    for (const char* text : {"&Convert", "&Stop"}) {
        bConvert->setText(text);
        widest = std::max(widest, bConvert->sizeHint().width());
    }
    bConvert->setText(caption);
    bConvert->setMinimumWidth(widest);
}

void TfmMain::changeEvent(QEvent* event)
{
    // The captions have taken the new font before the window hears of it.
    if (grid_ && (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)) {
        FitCaptionColumn();
        FitConvertButton();
    }
    QWidget::changeEvent(event);
}

void TfmMain::ConnectControls()
{
    connect(cInputFileFormat, &QComboBox::currentIndexChanged, this, &TfmMain::cInputFileFormatChange);
    connect(cOutputFileFormat, &QComboBox::currentIndexChanged, this, &TfmMain::cOutputFileFormatChange);
    connect(cOutputFileFormat, &TLyrComboBox::ChoiceMade, this, &TfmMain::OutputFormatChosen);
    connect(bConvert, &QPushButton::clicked, this, &TfmMain::bConvertClick);
    connect(bHelp, &QPushButton::clicked, this, &TfmMain::bHelpClick);
    connect(bClose, &QPushButton::clicked, this, &TfmMain::bCloseClick);
    connect(bOpenFolder, &QPushButton::clicked, this, &TfmMain::bOpenFolderClick);
    connect(cInputFile, &TFilenameEditLabel::Chosen, this, &TfmMain::InputChosen);
    connect(cOutPutFile, &QLineEdit::textChanged, this, &TfmMain::UpdateOutputNote);
    connect(cInputFile, &QLineEdit::textEdited, followTimer_, qOverload<>(&QTimer::start));
    connect(followTimer_, &QTimer::timeout, this, &TfmMain::FollowTypedInput);
    // Return in a file field presses Convert, the default button there.
    connect(cInputFile, &QLineEdit::returnPressed, bConvert, &QPushButton::click);
    connect(cOutPutFile, &QLineEdit::returnPressed, bConvert, &QPushButton::click);
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, &TfmMain::FocusChanged);
    connect(cInputFile, &QLineEdit::textChanged, this, &TfmMain::ShowInputInView);
    // After the view has the new name: the Times row cleared is read with it, not with the file before.
    // A folder is passed through while a name is typed: it counts once chosen, or once the typing pauses.
    connect(cInputFile, &QLineEdit::textChanged, this, [this] { InputNamed(false); });
    connect(cInputFileFormat, &TLyrComboBox::ChoiceMade, this, &TfmMain::NoteChoiceAhead);
    connect(cTimes, &TimesRow::Changed, this, &TfmMain::NoteChoiceAhead);
    connect(split_, &QSplitter::splitterMoved, this, [this] { layoutChosen_ = true; });
    connect(cView, &DataView::SplitMoved, this, [this] { layoutChosen_ = true; });
    // A format typed is read once the choice is made, not at every key.
    connect(cInputFileFormat, &TLyrComboBox::ChoiceMade, this, &TfmMain::ShowInputInView);
    connect(cView, &DataView::FormatOffered, cInputFileFormat, &QComboBox::setCurrentIndex);
    connect(cTimes, &TimesRow::Changed, this, [this] { cView->SetRepairs(cTimes->Repairs()); });
    connect(cCodePage, &CodePageBox::Changed, this, [this] { cView->SetCodePage(cCodePage->Choice()); });
    connect(cView, &DataView::RolloverAsked, this, [this] { cTimes->SetRollover(true); });
    // A split by day follows the days of the zone the figures show.
    shape_->SetDayZone(cView->ShownZone());
    connect(cView, &DataView::DisplayZoneChanged, shape_, &ShapePanel::SetDayZone);
    connect(shapeButton_, &QPushButton::toggled, this, &TfmMain::ShowShapePanel);
    connect(new QShortcut(QKeySequence("Ctrl+Shift+S"), this), &QShortcut::activated, shapeButton_,
            &QPushButton::toggle);
    connect(cOutputFileFormat, &QComboBox::currentIndexChanged, this, [this](int position) {
        if (catalogue_.IsOutput(position))
            shape_->SetCapacity(
                {catalogue_.OutputRow(position).trackPointCapacity, catalogue_.OutputRow(position).routePointCapacity});
    });
}

void TfmMain::FocusChanged(QWidget*, QWidget* now)
{
    // A focused push button is its own default; elsewhere Convert is the
    // default only where Return presses it.
    if (now != bConvert) bConvert->setDefault(now == cInputFile || now == cOutPutFile);
}

void TfmMain::FormCreate()
{
    // The program's folder, or the home folder when the program's cannot be written.
    const std::string& defaultFolder = settings_.defaultFolder;
    cInputFile->SetInitialDir(ToQString(defaultFolder));
    cOutPutFile->SetInitialDir(ToQString(defaultFolder));

    {
        // Filling an empty list selects its first entry: that is no choice of the user's.
        const QSignalBlocker quietInput(cInputFileFormat), quietOutput(cOutputFileFormat);
        cInputFileFormat->clear();
        for (const FileType_Record& row : catalogue_.Inputs())
            cInputFileFormat->addItem(QString::fromStdString(row.DisplayName));
        cInputFileFormat->setCurrentIndex(-1);
        cOutputFileFormat->clear();
        for (const FileType_Record& row : catalogue_.Outputs())
            cOutputFileFormat->addItem(QString::fromStdString(row.DisplayName));
        cOutputFileFormat->setCurrentIndex(-1);
    }

    const IniFile settings(settings_.file);
    cInputFile->SetInitialDir(ToQString(settings.ReadString(kInputSection, kFolderKey, defaultFolder)));
    cOutPutFile->SetInitialDir(ToQString(settings.ReadString(kOutputSection, kFolderKey, defaultFolder)));
    SelectIndex(cInputFileFormat, settings.ReadInteger(kInputSection, kFormatKey, -1));
    cCodePage->SetChoice(settings.ReadString(kInputSection, kCodePageKey, std::string(kAutomaticCodePage)));
    cView->SetCodePage(cCodePage->Choice());
    SelectIndex(cOutputFileFormat, settings.ReadInteger(kOutputSection, kFormatKey, -1));
    ReadWindowSettings(settings);
    shape_->ReadSettings(settings);
    shapeButton_->setChecked(shape_->isVisibleTo(this));

    cInputFileFormatChange(cInputFileFormat->currentIndex());
    cOutputFileFormatChange(cOutputFileFormat->currentIndex());
    // The layout is kept once the user has moved a splitter: until then the settings hold what they always did.
    const std::string windowSplit = settings.ReadString(kViewSection, kWindowSplitKey, "");
    const std::string viewSplit = settings.ReadString(kViewSection, kViewSplitKey, "");
    layoutChosen_ = !windowSplit.empty() || !viewSplit.empty();
    split_->restoreState(QByteArray::fromHex(QByteArray::fromStdString(windowSplit)));
    cView->RestoreSplitState(QByteArray::fromHex(QByteArray::fromStdString(viewSplit)));
    cView->UseSettings(settings_);
    if (const std::string zone = settings.ReadString(kViewSection, kTimesZoneKey, ""); !zone.empty())
        cView->SetDisplayZone(ToQString(zone));
    cView->UtcButton()->setChecked(settings.ReadString(kViewSection, kTimesInUtcKey, "") == "1");
    // The format restored was the last run's file's: no choice for the next one.
    choicesAhead_ = false;
}

void TfmMain::FormDestroy()
{
    MakeSettingsFolder(settings_);
    std::vector<IniEntry> entries = {{kInputSection, kFolderKey, cInputFile->InitialDir().toStdString()},
                                     {kOutputSection, kFolderKey, cOutPutFile->InitialDir().toStdString()},
                                     {kInputSection, kFormatKey, std::to_string(cInputFileFormat->currentIndex())},
                                     {kOutputSection, kFormatKey, std::to_string(cOutputFileFormat->currentIndex())}};
    // Written once chosen: the file of a user who never chose one keeps its keys.
    if (const std::string codePage = cCodePage->Choice();
        codePage != kAutomaticCodePage || !IniFile(settings_.file).ReadString(kInputSection, kCodePageKey, "").empty())
        entries.push_back({kInputSection, kCodePageKey, codePage});
    WriteWindowSettings(entries);
    if (cView->UtcButton()->isChecked()) entries.push_back({kViewSection, kTimesInUtcKey, "1"});
    shape_->WriteSettings(entries);
    if (layoutChosen_) {
        entries.push_back({kViewSection, kWindowSplitKey, split_->saveState().toHex().toStdString()});
        entries.push_back({kViewSection, kViewSplitKey, cView->SplitState().toHex().toStdString()});
    }
    // A value the file cannot hold is said where the window's other warnings go.
    for (const IniEntry& e : IniFile(settings_.file).WriteStrings(entries))
        qWarning("%s", ("kesTranscribe: " + settings_.file + ": [" + e.section + "] " + e.key +
                        (e.droppable ? " is left out: the file would grow past 64 KB"
                                     : " is left out: its value holds a line break"))
                           .c_str());
}

void TfmMain::ReadWindowSettings(const IniFile& settings)
{
    for (int n = 1; n <= kRecentKept; ++n) {
        const QString file = ToQString(settings.ReadString(kRecentSection, RecentKey(n), ""));
        if (!file.isEmpty() && !recent_.contains(file)) recent_ << file;
    }
    const QSize saved(settings.ReadInteger(kWindowSection, kWidthKey, -1),
                      settings.ReadInteger(kWindowSection, kHeightKey, -1));
    // Shown maximized again, over the size it had before it was maximized.
    if (settings.ReadInteger(kWindowSection, kMaximizedKey, 0) == 1) setWindowState(Qt::WindowMaximized);
    if (saved.width() <= 0 || saved.height() <= 0) return;
    QSize size = saved.expandedTo(minimumSizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        size = size.boundedTo(available.size()).expandedTo(minimumSizeHint());
        QRect frame(QPoint(), size);
        frame.moveCenter(available.center());
        move(frame.topLeft());
    }
    resize(size);
}

// Written after the settings every version reads; the size only of a window
// that was shown, the recent files only when there are some.
void TfmMain::WriteWindowSettings(std::vector<IniEntry>& entries) const
{
    if (shown_) {
        // A maximized window keeps the size it will go back to.
        const QSize normal = isMaximized() && normalGeometry().isValid() ? normalGeometry().size() : size();
        entries.push_back({kWindowSection, kWidthKey, std::to_string(normal.width())});
        entries.push_back({kWindowSection, kHeightKey, std::to_string(normal.height())});
        entries.push_back({kWindowSection, kMaximizedKey, isMaximized() ? "1" : "0"});
    }
    for (int n = 1; n <= recent_.size(); ++n)
        entries.push_back({kRecentSection, RecentKey(n), recent_[n - 1].toStdString(), true});
}

void TfmMain::showEvent(QShowEvent* event)
{
    shown_ = true;
    QWidget::showEvent(event);
    sizeShown_ = size();
    QTimer::singleShot(0, this, &TfmMain::KeepInsideScreen);
}

// Once the frame is known: the whole window, its buttons' row included, inside the available screen.
void TfmMain::KeepInsideScreen()
{
    const QScreen* shownOn = screen();
    // A size set since it was shown is the user's, or a program's, to keep.
    if (!shownOn || isMaximized() || isFullScreen() || size() != sizeShown_) return;
    const QRect available = shownOn->availableGeometry();
    const QRect frame = frameGeometry();
    const QSize margins = frame.size() - size();
    if (frame.width() > available.width() || frame.height() > available.height())
        resize(size().boundedTo(available.size() - margins).expandedTo(minimumSizeHint()));
    QRect moved = frameGeometry();
    moved.moveRight(std::min(moved.right(), available.right()));
    moved.moveBottom(std::min(moved.bottom(), available.bottom()));
    moved.moveLeft(std::max(moved.left(), available.left()));
    moved.moveTop(std::max(moved.top(), available.top()));
    if (moved.topLeft() != frame.topLeft()) move(moved.topLeft());
}

void TfmMain::AddShortcuts()
{
    auto add = [this](const QKeySequence& key, auto action) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, action);
    };
    add(QKeySequence(Qt::Key_F1), &TfmMain::bHelpClick);
    add(QKeySequence(Qt::CTRL | Qt::Key_Q), &TfmMain::bCloseClick);
    add(QKeySequence(Qt::CTRL | Qt::Key_W), &TfmMain::bCloseClick);
}

void TfmMain::AddRecent(const QString& file)
{
    if (!QFileInfo(file).isFile()) return;  // a name that led nowhere is no recent file
    const QString whole = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
    recent_.removeAll(whole);
    recent_.prepend(whole);
    while (recent_.size() > kRecentKept) recent_.removeLast();
}

void TfmMain::FillRecentMenu()
{
    recentMenu_->clear();
    if (recent_.isEmpty()) recentMenu_->addAction("No recent files")->setEnabled(false);
    for (const QString& file : recent_) {
        QString caption = file;
        recentMenu_->addAction(caption.replace('&', "&&"), this, [this, file] { ChooseInputFiles({file}); });
    }
}

void TfmMain::SaveOnce()
{
    if (saved_) return;
    saved_ = true;
    FormDestroy();
}

// The open dialog offers every format whatever is selected: the content decides.
void TfmMain::cInputFileFormatChange(int)
{
    cInputFile->SetFilter(QString::fromStdString(OpenDialogFilter(catalogue_)));
}

void TfmMain::cOutputFileFormatChange(int index)
{
    if (catalogue_.IsOutput(index))
        cOutPutFile->SetFilter(QString::fromStdString(catalogue_.Outputs()[static_cast<std::size_t>(index)].Filter));
    ProposeOutputName();
    UpdateOutputNote();
}

// The field shows the file written; what the plan writes beside it is said when the pointer rests on it.
void TfmMain::UpdateOutputNote()
{
    const std::string output = StripQuotes(cOutPutFile->text().toStdString());
    QStringList notes;
    if (!IsBlank(output) && catalogue_.IsOutput(OutputPosition()) && !QFileInfo(ToQString(output)).isDir())
        for (const DerivedName& derived : DerivedNames(catalogue_, output, OutputPosition()))
            notes << (derived.numbered ? "With several tracks, each goes into a file of its own: " +
                                             ToQString(NumberedFileName(output, 1)) + ", " +
                                             ToQString(NumberedFileName(output, 2)) + ", ..."
                                       : "Routes go beside it into " + ToQString(derived.name));
    cOutPutFile->setToolTip(notes.join('\n'));
}

// The output's kind settles between the two modes of one file type.
void TfmMain::OutputFormatChosen()
{
    if (const QString input = FirstInputFile(); !input.isEmpty()) SelectInputFormatOf(input.toStdString());
}

QString TfmMain::FirstInputFile() const
{
    const QStringList chosen = cInputFile->ChosenFiles();
    return chosen.isEmpty() ? ToQString(StripQuotes(cInputFile->text().toStdString())) : chosen.front();
}

// `<input folder>/<input name>.<ext>` of the output format, while the output
// field is empty or still shows the name proposed last: a name of the user's
// own is never replaced.
void TfmMain::ProposeOutputName()
{
    const QString shown = cOutPutFile->text();
    if (!shown.trimmed().isEmpty() && shown != proposedOutput_) return;
    ProposeAnyway();
}

// A new input: a name of the user's own goes too, unless it names a folder
// the user chose (one other than the earlier input's).
void TfmMain::ProposeForNewInput()
{
    const QString shown = ToQString(StripQuotes(cOutPutFile->text().toStdString()));
    const QFileInfo own(shown);
    const bool folderChosen = shown.contains('/') && own.absolutePath() != inputFolder_;
    if (shown.trimmed().isEmpty() || cOutPutFile->text() == proposedOutput_ || !folderChosen) ProposeAnyway();
    inputFolder_ = QFileInfo(FirstInputFile()).absolutePath();
}

void TfmMain::ProposeAnyway()
{
    const QString input = FirstInputFile();
    if (input.isEmpty() || !catalogue_.IsOutput(OutputPosition())) return;
    const QFileInfo info(input);
    // A folder's files go beside them, each named after its input.
    if (info.isDir()) {
        proposedOutput_ = FieldText(QDir::toNativeSeparators(info.absoluteFilePath()));
        cOutPutFile->setText(proposedOutput_);
        return;
    }
    // The name the command gives an output beside its input.
    const std::string whole = info.absoluteFilePath().toStdString();
    std::string name = OutputNameFor(catalogue_, whole, {}, OutputPosition());
    // A file into its own format (with a repair or a step) never replaces itself.
    if (name == whole) name = ChangeFileExt(name, "") + "-converted" + ExtractFileExt(name);
    proposedOutput_ = FieldText(QDir::toNativeSeparators(ToQString(name)));
    cOutPutFile->setText(proposedOutput_);
}

void TfmMain::bConvertClick()
{
    // While a conversion runs the button stops it.
    if (converting_) {
        runner_->Stop();
        return;
    }
    // A name typed a moment ago is followed before it is converted.
    if (followTimer_->isActive()) {
        followTimer_->stop();
        FollowTypedInput();
    }
    if (CardChosen()) {
        StartCard();
        return;
    }
    if (const QString input = FirstInputFile(); QFileInfo(input).isFile()) {
        AddRecent(input);
        // No format chosen yet: the content's.
        if (!catalogue_.IsInput(InputPosition())) SelectInputFormatOf(input.toStdString());
    }
    if (const QString times = cTimes->Error(); !times.isEmpty()) {
        ShowMessage(times.toStdString());
        return;
    }
    std::optional<ConversionRequest> request = PlannedRequest();
    if (!request) return;
    written_.clear();
    bOpenFolder->setEnabled(false);
    cView->ClearOutputs();
    // The view's read gives the conversion the machine; it reads again after.
    cView->StopReading();
    converting_ = true;
    bConvert->setText("&Stop");
    runner_->Start(std::move(*request));
}

ConversionSettings TfmMain::Settings() const
{
    ConversionSettings settings;
    settings.repairs = cTimes->Repairs();
    settings.steps = shape_->Choices();
    // A split by day follows the days of the zone the figures show, as the panel's preview does.
    settings.dayOffset = [zone = cView->ShownZone()](const UtcTime& time) { return zone.OffsetAt(time); };
    settings.codePage = cCodePage->Choice();
    return settings;
}

// The choices of the fields, checked in the action's order on the first
// input, after the question where its content names another format.
bool TfmMain::ChoicesHold(const std::string& input, const ConversionSettings& settings)
{
    ConversionJob asked;
    asked.inputs = {input};
    asked.inputPositions = {InputPosition()};
    asked.output = StripQuotes(OutputFileText());
    asked.outputPosition = OutputPosition();
    JobRequest first = RequestFor(catalogue_, asked, settings);
    if (!InputsAreWhatTheyAre(first.request)) return false;
    const std::string failed = CheckChoices(catalogue_, first.request);
    if (!failed.empty()) ShowMessage(failed);
    return failed.empty();
}

std::optional<ConversionRequest> TfmMain::PlannedRequest()
{
    std::vector<std::string> inputs = ChosenInputFiles();
    if (inputs.empty()) inputs = {InputFileText()};
    for (std::string& input : inputs) input = StripQuotes(input);
    const ConversionSettings settings = Settings();
    if (!ChoicesHold(inputs.front(), settings)) return std::nullopt;
    const auto refuse = [this](const QString& why) -> std::optional<ConversionRequest> {
        ShowMessage(why.toStdString());
        return std::nullopt;
    };
    // Then the plan, as the command makes it: the other inputs' formats told
    // from their content, the output written under exactly its name.
    PlanRequest ask;
    ask.inputs = inputs;
    ask.firstInputPosition = InputPosition();
    ask.outputPosition = OutputPosition();
    ask.output = StripQuotes(OutputFileText());
    const ConversionPlan plan = PlanConversions(catalogue_, ask);
    if (plan.problem.kind != PlanProblem::Kind::None) return refuse(ProblemInWords(catalogue_, plan.problem));
    if (plan.jobs.empty()) return refuse("Input File not specified");
    const ConversionJob& job = plan.jobs.front();
    if (job.refusal.Refused()) return refuse(RefusalInWords(catalogue_, job.refusal));
    JobRequest made = RequestFor(catalogue_, job, settings);
    if (!made.stepError.empty()) return refuse(ToQString(made.stepError));
    if (const std::string failed = CheckChoices(catalogue_, made.request); !failed.empty())
        return refuse(ToQString(failed));
    // The field shows the file written, its folder included.
    if (ToQString(StripQuotes(cOutPutFile->text().toStdString())) != ToQString(job.output))
        cOutPutFile->setText(FieldText(QDir::toNativeSeparators(ToQString(job.output))));
    return std::move(made.request);
}

void TfmMain::ConversionFinished(const ConversionOutcome& outcome, bool stopped)
{
    if (cardRunning_) {
        CardFileDone(outcome, stopped);
        return;
    }
    converting_ = false;
    bConvert->setText("&Convert");
    if (stopped) {
        AddLine("Stopped - nothing was written");
    } else if (outcome.state == ConversionOutcome::State::Failed) {
        AddLine("Written: nothing - " + outcome.reason);
        ShowBox(QMessageBox::Critical, ToQString(outcome.reason));
    } else if (outcome.state == ConversionOutcome::State::NothingToWrite) {
        // The file there, if any, stays as it was.
        AddLine("Not converted - " + outcome.reason);
    }
    cView->ConversionDone(OutputPosition());
    bOpenFolder->setEnabled(!written_.isEmpty());
    emit ConversionEnded();
}

void TfmMain::bOpenFolderClick()
{
    if (written_.isEmpty()) return;
    const QString folder = QFileInfo(written_.last()).absolutePath();
    if (!OpenUrl(QUrl::fromLocalFile(folder)))
        ShowBox(QMessageBox::Information, "No file manager could open the folder\n\n" +
                                              QDir::toNativeSeparators(folder) +
                                              "\n\nThe files written are listed in the pane, with their full paths.");
}

void TfmMain::bHelpClick()
{
    if (!fmHelp_) fmHelp_ = new TfmHelp(this);
    // Beside the window, not in its way: both can be used at once.
    fmHelp_->show();
    fmHelp_->raise();
    fmHelp_->activateWindow();
}

void TfmMain::bCloseClick() { close(); }

void TfmMain::closeEvent(QCloseEvent* event)
{
    if (converting_) {
        if (!AskStop()) {
            event->ignore();
            return;
        }
        // The question may have ended with the conversion: then nothing is left to stop.
        if (converting_) runner_->StopAndWait();
        converting_ = false;
    }
    try {
        SaveOnce();
    } catch (const std::exception& error) {
        ShowBox(QMessageBox::Critical, ToQString(error.what()));
    }
    event->accept();
}

// A file dragged from a file manager anywhere but the output field is an input choice.
void TfmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TfmMain::dropEvent(QDropEvent* event)
{
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) return;
    ChooseInputFiles(files);
    event->acceptProposedAction();
}

void TfmMain::ChooseInputFiles(const QStringList& files)
{
    QStringList whole;
    for (const QString& file : files)
        if (!file.isEmpty()) whole << QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
    cInputFile->ApplyChoice(whole);
}

// Wherever a choice comes from (the dialog, a drop, the command line, the
// recent files), the format follows the file and an output name is proposed.
void TfmMain::InputChosen(const QStringList& files)
{
    if (files.isEmpty()) return;
    InputNamed(true);
    SelectInputFormatOf(files.front().toStdString());
    AddRecent(files.front());
    ProposeForNewInput();
    if (files.size() > 1 || QFileInfo(files.front()).isDir()) ListChosenFiles();
}

void TfmMain::FollowTypedInput()
{
    const QFileInfo typed(FirstInputFile());
    if (typed.isDir()) InputNamed(true);
    if (!typed.isFile()) return;
    SelectInputFormatOf(typed.absoluteFilePath().toStdString());
    ProposeForNewInput();
}

// Wherever a file comes from, the input format follows its content (its
// extension for a format without a signature): a format left selected from an
// earlier file stays only where the file may be it.
void TfmMain::SelectInputFormatOf(const std::string& file)
{
    const int position = InputFormatFor(catalogue_, file, InputPosition(), OutputPosition());
    if (position != InputPosition()) cInputFileFormat->setCurrentIndex(position);
}

void TfmMain::InputNamed(bool folders)
{
    const QFileInfo named(FirstInputFile());
    if (FirstInputFile().isEmpty() || !(named.isFile() || (folders && named.isDir())) ||
        named.absoluteFilePath() == openInput_)
        return;
    openInput_ = named.absoluteFilePath();
    // The outputs of the file before are not this one's (unless it is being converted).
    if (!converting_) cView->ClearOutputs();
    if (std::exchange(choicesAhead_, false)) return;
    cTimes->ForAnotherFile();
    // Told again from the new file's content, by whoever named it (or by Convert).
    cInputFileFormat->setCurrentIndex(-1);
}

void TfmMain::NoteChoiceAhead()
{
    const QString named = FirstInputFile();
    if (named.isEmpty() || !QFileInfo::exists(named)) choicesAhead_ = true;
}

// A file whose content names another format than the one chosen is not
// converted as it: the question says what it is and offers that format. One
// whose content names none, with none chosen, is said to be what it looks like.
bool TfmMain::InputsAreWhatTheyAre(ConversionRequest& request)
{
    for (ConversionInput& input : request.inputs) {
        const std::string name = StripQuotes(input.name);
        if (!catalogue_.IsInput(input.position))
            if (const std::optional<FormatNotTold> notTold = FormatNotToldOf(catalogue_, name)) {
                std::string formats;
                for (std::size_t i = 0; i < notTold->mayBe.size(); ++i)
                    formats += (i == 0                           ? ""
                                : i + 1 == notTold->mayBe.size() ? " or "
                                                                 : ", ") +
                               catalogue_.Inputs()[notTold->mayBe[i]].DisplayName;
                ShowMessage(NotToldLine(name, *notTold) + ".\n\nChoose its format in the list" +
                            (formats.empty() ? "." : ": it may be " + formats + "."));
                return false;
            }
        if (!ContentIsNot(catalogue_, name, input.position)) continue;
        const int found = InputFormatFor(catalogue_, name, -1, OutputPosition());
        if (!AskFormat(ToQString(WhatTheFileIs(catalogue_, name, found, input.position)),
                       QString::fromStdString(catalogue_.Inputs()[found].DisplayName)))
            return false;
        if (input.position == InputPosition()) cInputFileFormat->setCurrentIndex(found);
        input.position = found;
    }
    return true;
}

QStringList TfmMain::Lines() const
{
    QStringList lines;
    if (lineCount_ == 0) return lines;
    for (QTextBlock block = cOutput->document()->begin(); block.isValid(); block = block.next()) lines << block.text();
    return lines;
}

std::string TfmMain::InputFileText() { return cInputFile->text().toStdString(); }

std::vector<std::string> TfmMain::ChosenInputFiles()
{
    std::vector<std::string> files;
    for (const QString& file : cInputFile->ChosenFiles()) files.push_back(file.toStdString());
    return files;
}

std::string TfmMain::OutputFileText()
{
    const std::string typed = cOutPutFile->text().toStdString();
    const std::string name = StripQuotes(typed);
    if (IsBlank(name) || name.find('/') != std::string::npos) return typed;
    // Beside the input; without one, where the output dialog would have put it.
    const QString input = FirstInputFile();
    std::string folder =
        input.isEmpty() ? cOutPutFile->InitialDir().toStdString() : QFileInfo(input).absolutePath().toStdString();
    // The installed program's folder, or any system folder, never takes an output.
    if (IsSystemFolder(folder) || (settings_.perUser && folder == ProgramFolder())) folder = settings_.defaultFolder;
    return folder.empty() ? typed : JoinPath(folder, name);
}

int TfmMain::InputPosition() { return cInputFileFormat->currentIndex(); }

int TfmMain::OutputPosition() { return cOutputFileFormat->currentIndex(); }

void TfmMain::AddLine(const std::string& text)
{
    QTextCursor cursor(cOutput->document());
    cursor.movePosition(QTextCursor::End);
    // The empty pane already holds one empty line: the first text goes into it.
    if (lineCount_ > 0) cursor.insertBlock();
    cursor.insertText(ToQString(text));
    ++lineCount_;
    cOutput->verticalScrollBar()->setValue(cOutput->verticalScrollBar()->maximum());
}

void TfmMain::ClearLines()
{
    // A card keeps every file's lines, each under its own heading.
    if (cardRunning_) return;
    cOutput->clear();
    lineCount_ = 0;
}

void TfmMain::ShowMessage(const std::string& text)
{
    // A card's files each say theirs in the pane: a box per file would stop the run at each.
    if (cardRunning_) AddLine(text);
    else ShowBox(QMessageBox::NoIcon, ToQString(text));
}

std::optional<std::chrono::year_month_day> TfmMain::DateOfLog(const std::string& file)
{
    // The question is asked with the ordinary cursor, amid the busy one of the conversion.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const LogDateAnswer answer = AskDate(ToQString(file));
    QApplication::restoreOverrideCursor();
    // Cancel stops the conversion: the runner ends it as the question returns.
    if (answer.choice == LogDateAnswer::Choice::Cancel) runner_->Stop();
    if (answer.choice != LogDateAnswer::Choice::Date || !answer.date.isValid()) return std::nullopt;
    return std::chrono::year(answer.date.year()) / answer.date.month() / answer.date.day();
}

void TfmMain::OutputWritten(const std::string& name)
{
    const QString whole = QDir::toNativeSeparators(QFileInfo(ToQString(name)).absoluteFilePath());
    written_ << whole;
    cView->AddOutput(ToQString(name));
    AddLine("Saved: " + whole.toStdString());
}

bool TfmMain::ConfirmReplacing(const std::vector<std::string>& names)
{
    QStringList files;
    for (const std::string& name : names)
        files << QDir::toNativeSeparators(QFileInfo(ToQString(name)).absoluteFilePath());
    // A card asks once, before it starts: a file that question did not name is kept.
    if (cardRunning_)
        return std::all_of(files.begin(), files.end(), [this](const QString& f) { return approved_.contains(f); });
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool replace = AskReplace(files);
    QApplication::restoreOverrideCursor();
    return replace;
}

void TfmMain::ShowShapePanel(bool shown)
{
    shape_->setVisible(shown);
    if (shown) shape_->List()->setFocus();
}

// The view shows the input as it is chosen: the first of files chosen together.
void TfmMain::ShowInputInView()
{
    const QStringList chosen = cInputFile->ChosenFiles();
    const QString file = chosen.isEmpty() ? ToQString(StripQuotes(InputFileText())) : chosen.front();
    cView->Choose(file, InputPosition());
    shape_->SetInput(file, InputPosition());
}

void TfmMain::SetBusyCursor(bool busy)
{
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void TfmMain::ProcessMessages() {}
