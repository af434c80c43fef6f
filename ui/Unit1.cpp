#include "ui/Unit1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <exception>

#include "core/catalogue.h"
#include "core/clock.h"
#include "core/convert.h"
#include "core/text_fields.h"
#include "ui/FilenameEditLabel.h"
#include "ui/IniFile.h"
#include "ui/Lyrlcomb.h"
#include "ui/help.h"

namespace {
const char* const kTitle = "kesTranscribe";
const std::string kInputSection = "Input File", kOutputSection = "Output File";
const std::string kFolderKey = "Initial Folder", kFormatKey = "File Format";

// Readers pass on bytes from the files they read; those need not be UTF-8.
QString ToQString(const std::string& text)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString result = decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return decoder.hasError() ? QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())) : result;
}

QPushButton* PictureButton(QWidget* parent, const QString& caption, QStyle::StandardPixmap picture,
                           const QRect& place)
{
    auto* button = new QPushButton(parent->style()->standardIcon(picture), caption, parent);
    button->setGeometry(place);
    return button;
}

void SelectIndex(TLyrComboBox* list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}
}  // namespace

std::string DefaultSettingsPath() { return ProgramFolder() + "/kesTranscribe.ini"; }

TfmMain::TfmMain(const std::string& settingsPath, QWidget* parent) : QWidget(parent), settingsPath_(settingsPath)
{
    ShowBox = [this](QMessageBox::Icon icon, const QString& text) {
        QMessageBox box(icon, kTitle, text, QMessageBox::Ok, this);
        box.exec();
    };
    BuildControls();
    ConnectControls();
    FormCreate();
}

TfmMain::~TfmMain()
{
    try {
        SaveOnce();
    } catch (const std::exception&) {
        // Nothing is left to show the error in; closing the window reports it.
    }
}

void TfmMain::BuildControls()
{
    setWindowTitle("Kestrelmaps File Format Converter (Version 1.13)");
    setFixedSize(505, 363);
    // The layout is drawn for a small, narrow 8-point face; wider ones cut
    // the captions left of the fields off.
    QFont small = font();
    small.setPointSize(8);
    small.setStretch(QFont::Condensed);
    setFont(small);
    setAcceptDrops(true);

    cInputFile = new TFilenameEditLabel(this);
    cInputFile->setGeometry(64, 11, 421, 21);
    cInputFile->SetLabelCaption("Input File");
    cInputFile->SetMultiSelect(true);

    cInputFileFormat = new TLyrComboBox(this);
    cInputFileFormat->setGeometry(64, 39, 421, 21);
    cInputFileFormat->SetLabelCaption("Format");
    cInputFileFormat->SetPicture("normal");
    cInputFileFormat->SetMaxLength(10);

    Bevel1 = new QFrame(this);
    Bevel1->setGeometry(55, 70, 433, 6);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    cOutPutFile = new TFilenameEditLabel(this);
    cOutPutFile->setGeometry(64, 83, 421, 21);
    cOutPutFile->SetLabelCaption("Output File");

    cOutputFileFormat = new TLyrComboBox(this);
    cOutputFileFormat->setGeometry(64, 113, 421, 21);
    cOutputFileFormat->SetLabelCaption("Format");
    cOutputFileFormat->SetPicture("uppercase");
    cOutputFileFormat->SetMaxLength(10);

    cOutput = new QPlainTextEdit(this);
    cOutput->setGeometry(64, 143, 421, 177);
    cOutput->setReadOnly(true);
    cOutput->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    cOutput->setFocusPolicy(Qt::StrongFocus);
    cOutput->setTabChangesFocus(true);
    cOutput->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cOutput->setLineWrapMode(QPlainTextEdit::NoWrap);

    bHelp = PictureButton(this, "Help", QStyle::SP_DialogHelpButton, {93, 331, 75, 25});
    bConvert = PictureButton(this, "Convert", QStyle::SP_DialogApplyButton, {215, 331, 75, 25});
    bClose = PictureButton(this, "Close", QStyle::SP_DialogCloseButton, {337, 331, 75, 25});

    // Files dropped on the lists or the pane go to the window, which takes them as input.
    for (QWidget* w : {static_cast<QWidget*>(cInputFileFormat), static_cast<QWidget*>(cInputFileFormat->lineEdit()),
                       static_cast<QWidget*>(cOutputFileFormat), static_cast<QWidget*>(cOutputFileFormat->lineEdit()),
                       static_cast<QWidget*>(cOutput), cOutput->viewport()})
        w->setAcceptDrops(false);

    setTabOrder(cInputFile, cInputFileFormat);
    setTabOrder(cInputFileFormat, cOutPutFile);
    setTabOrder(cOutPutFile, cOutputFileFormat);
    setTabOrder(cOutputFileFormat, cOutput);
    setTabOrder(cOutput, bHelp);
    setTabOrder(bHelp, bConvert);
    setTabOrder(bConvert, bClose);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TfmMain::ConnectControls()
{
    connect(cInputFileFormat, &QComboBox::currentIndexChanged, this, &TfmMain::cInputFileFormatChange);
    connect(cOutputFileFormat, &QComboBox::currentIndexChanged, this, &TfmMain::cOutputFileFormatChange);
    connect(bConvert, &QPushButton::clicked, this, &TfmMain::bConvertClick);
    connect(bHelp, &QPushButton::clicked, this, &TfmMain::bHelpClick);
    connect(bClose, &QPushButton::clicked, this, &TfmMain::bCloseClick);
}

void TfmMain::FormCreate()
{
    const QString programFolder = QString::fromStdString(ProgramFolder());
    cInputFile->SetInitialDir(programFolder);
    cOutPutFile->SetInitialDir(programFolder);

    BuildFormatCatalogue();
    {
        // Filling an empty list selects its first entry: that is no choice of the user's.
        const QSignalBlocker quietInput(cInputFileFormat), quietOutput(cOutputFileFormat);
        cInputFileFormat->clear();
        for (const FileType_Record& row : InputFormats)
            cInputFileFormat->addItem(QString::fromStdString(row.DisplayName));
        cInputFileFormat->setCurrentIndex(-1);
        cOutputFileFormat->clear();
        for (const FileType_Record& row : OutputFormats)
            cOutputFileFormat->addItem(QString::fromStdString(row.DisplayName));
        cOutputFileFormat->setCurrentIndex(-1);
    }

    const IniFile settings(settingsPath_);
    cInputFile->SetInitialDir(ToQString(settings.ReadString(kInputSection, kFolderKey, ProgramFolder())));
    cOutPutFile->SetInitialDir(ToQString(settings.ReadString(kOutputSection, kFolderKey, ProgramFolder())));
    SelectIndex(cInputFileFormat, settings.ReadInteger(kInputSection, kFormatKey, -1));
    SelectIndex(cOutputFileFormat, settings.ReadInteger(kOutputSection, kFormatKey, -1));

    cInputFileFormatChange(cInputFileFormat->currentIndex());
    cOutputFileFormatChange(cOutputFileFormat->currentIndex());

    TimeZoneBias = HostTimeZoneBias();
}

void TfmMain::FormDestroy()
{
    IniFile settings(settingsPath_);
    settings.WriteString(kInputSection, kFolderKey, cInputFile->InitialDir().toStdString());
    settings.WriteString(kOutputSection, kFolderKey, cOutPutFile->InitialDir().toStdString());
    settings.WriteInteger(kInputSection, kFormatKey, cInputFileFormat->currentIndex());
    settings.WriteInteger(kOutputSection, kFormatKey, cOutputFileFormat->currentIndex());
}

void TfmMain::SaveOnce()
{
    if (saved_) return;
    saved_ = true;
    FormDestroy();
}

void TfmMain::cInputFileFormatChange(int index)
{
    if (index >= 0 && index < kInputFormatCount)
        cInputFile->SetFilter(QString::fromStdString(InputFormats[static_cast<std::size_t>(index)].Filter));
}

void TfmMain::cOutputFileFormatChange(int index)
{
    if (index >= 0 && index < kOutputFormatCount)
        cOutPutFile->SetFilter(QString::fromStdString(OutputFormats[static_cast<std::size_t>(index)].Filter));
}

void TfmMain::bConvertClick()
{
    if (converting_) return;
    converting_ = true;
    try {
        Convert(*this);
    } catch (const std::exception& error) {
        ShowBox(QMessageBox::Critical, ToQString(error.what()));
    }
    converting_ = false;
}

void TfmMain::bHelpClick()
{
    if (!fmHelp_) fmHelp_ = new TfmHelp(this);
    fmHelp_->exec();
}

void TfmMain::bCloseClick() { close(); }

void TfmMain::closeEvent(QCloseEvent* event)
{
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

QStringList TfmMain::Lines() const
{
    QStringList lines;
    if (lineCount_ == 0) return lines;
    for (QTextBlock block = cOutput->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

std::string TfmMain::InputFileText() { return cInputFile->text().toStdString(); }

std::vector<std::string> TfmMain::ChosenInputFiles()
{
    std::vector<std::string> files;
    for (const QString& file : cInputFile->ChosenFiles()) files.push_back(file.toStdString());
    return files;
}

std::string TfmMain::OutputFileText() { return cOutPutFile->text().toStdString(); }

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
    cOutput->clear();
    lineCount_ = 0;
}

void TfmMain::ShowMessage(const std::string& text) { ShowBox(QMessageBox::NoIcon, ToQString(text)); }

void TfmMain::SetBusyCursor(bool busy)
{
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void TfmMain::ProcessMessages()
{
    // Paint the cleared pane and the cursor; clicks wait until the action has returned.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
