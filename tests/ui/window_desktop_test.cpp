// The main window on a desktop: keys, the default button, the dialogs' kinds,
// bare output names, progress while converting, and captions at any font size.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "core/store.h"
#include "formats/native/Kes.h"
#include "tests/ui/window_fixture.h"
#include "ui/FilenameEditLabel.h"
#include "ui/Lyrlcomb.h"

namespace {
// Records which field's dialog opened, and how it was prepared.
struct DialogLog {
    std::vector<std::string> opened;
    QFileDialog::AcceptMode mode{};
    bool confirmsOverwrite = false;
    QString suffix, title;
    void Watch(TFilenameEditLabel* field, const std::string& name)
    {
        field->RunDialog = [this, name](QFileDialog& dialog) {
            opened.push_back(name);
            mode = dialog.acceptMode();
            confirmsOverwrite = !dialog.testOption(QFileDialog::DontConfirmOverwrite);
            suffix = dialog.defaultSuffix();
            title = dialog.windowTitle();
            return QStringList();
        };
    }
};

QString Text(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TEST_F(WindowTest, KeysOpenTheFieldsDialogsAndTheTooltipsSaySo)
{
    Open();
    ShowActive();
    DialogLog log;
    log.Watch(window->cInputFile, "input");
    log.Watch(window->cOutPutFile, "output");
    struct KeyCase {
        QWidget* focus;
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* opens;
    };
    const std::vector<KeyCase> cases = {
        {window->cInputFile, Qt::Key_F4, Qt::NoModifier, "input"},
        {window->cInputFile, Qt::Key_Down, Qt::AltModifier, "input"},
        {window->cOutPutFile, Qt::Key_F4, Qt::NoModifier, "output"},
        {window->cOutPutFile, Qt::Key_Down, Qt::AltModifier, "output"},
        {window->cOutPutFile, Qt::Key_O, Qt::ControlModifier, "input"},
        {window->cOutput, Qt::Key_O, Qt::ControlModifier, "input"},
        {window->cOutPutFile, Qt::Key_Down, Qt::NoModifier, nullptr},
        {window->cInputFile, Qt::Key_F5, Qt::NoModifier, nullptr},
    };
    for (const KeyCase& c : cases) {
        log.opened.clear();
        c.focus->setFocus();
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(c.key), c.modifiers);
        EXPECT_EQ(log.opened, c.opens ? std::vector<std::string>{c.opens} : std::vector<std::string>{})
            << QKeySequence(c.key | c.modifiers).toString().toStdString();
    }
    const QString inputTip = window->cInputFile->BrowseAction()->toolTip();
    const QString outputTip = window->cOutPutFile->BrowseAction()->toolTip();
    for (const char* key : {"F4", "Alt+Down", "Ctrl+O"}) EXPECT_TRUE(inputTip.contains(key)) << key;
    EXPECT_TRUE(outputTip.contains("F4") && outputTip.contains("Alt+Down")) << outputTip.toStdString();
    EXPECT_FALSE(outputTip.contains("Ctrl+O"));
}

TEST_F(WindowTest, ReturnAndEnterPressTheFocusedButtonAndConvertIsTheDefaultInAField)
{
    Open();
    ShowActive();
    struct ReturnCase {
        QWidget* focus;
        Qt::Key key;
        bool converts;
        bool convertIsDefault;
    };
    const std::vector<ReturnCase> cases = {
        {window->bConvert, Qt::Key_Return, true, true},       {window->bConvert, Qt::Key_Enter, true, true},
        {window->cInputFile, Qt::Key_Return, true, true},     {window->cOutPutFile, Qt::Key_Enter, true, true},
        {window->cInputFileFormat, Qt::Key_Return, false, false}, {window->cOutput, Qt::Key_Return, false, false},
    };
    for (const ReturnCase& c : cases) {
        boxes.clear();
        c.focus->setFocus();
        EXPECT_EQ(window->bConvert->isDefault(), c.convertIsDefault) << &c - cases.data();
        QTest::keyClick(QApplication::focusWidget(), c.key);
        const bool converted = boxes.size() == 1 && boxes[0].text == "Input File not specified";
        EXPECT_EQ(converted, c.converts) << &c - cases.data();
    }
    window->bClose->setFocus();
    EXPECT_FALSE(window->bConvert->isDefault());
    QTest::keyClick(window->bClose, Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(std::filesystem::exists(settingsPath));
}

TEST_F(WindowTest, TheOutputFieldSavesAndAsksBeforeReplacingWhileTheInputFieldOpens)
{
    Open();
    DialogLog log;
    log.Watch(window->cInputFile, "input");
    log.Watch(window->cOutPutFile, "output");
    window->cOutputFileFormat->setCurrentIndex(2);
    window->cOutPutFile->Browse();
    EXPECT_EQ(log.mode, QFileDialog::AcceptSave);
    EXPECT_TRUE(log.confirmsOverwrite);
    EXPECT_TRUE(log.title.contains("Save")) << log.title.toStdString();
    EXPECT_EQ(log.suffix, "wrt");  // so the file asked about is the one the writer replaces
    window->cInputFile->Browse();
    EXPECT_EQ(log.mode, QFileDialog::AcceptOpen);
    EXPECT_FALSE(log.title.contains("Save"));
}

TEST_F(WindowTest, ABareOutputNameGoesIntoTheOutputFieldsFolder)
{
    ClearWaypoints();
    WaypointCount = 1;
    WaypointList[1].Name = "HOME";
    WriteWaypointFile(dir.Path("in.wpt"));
    std::filesystem::create_directories(dir.Path("out dir"));
    Open();
    window->cInputFile->setText(Text(dir.Path("in.wpt")));
    window->cInputFileFormat->setCurrentIndex(0);
    window->cOutputFileFormat->setCurrentIndex(2);
    window->cOutPutFile->SetInitialDir(Text(dir.Path("out dir")));
    struct NameCase {
        QString typed;
        std::string written;
    };
    const std::vector<NameCase> cases = {
        {"myout", dir.Path("out dir/myout.wrt")},
        {"\"my out.x\"", dir.Path("out dir/my out.wrt")},
        {Text(dir.Path("elsewhere.wrt")), dir.Path("elsewhere.wrt")},
    };
    for (const NameCase& c : cases) {
        window->cOutPutFile->setText(c.typed);
        window->bConvert->click();
        EXPECT_TRUE(boxes.empty()) << c.typed.toStdString();
        EXPECT_TRUE(std::filesystem::exists(c.written)) << c.written;
        // The pane names the folder of every file written.
        const QStringList lines = window->Lines();
        const qsizetype writing = lines.indexOf("Writing Holux Waypoint file");
        ASSERT_GE(writing, 0);
        EXPECT_EQ(std::filesystem::path(lines[writing + 1].toStdString()).replace_extension(".wrt").string(),
                  c.written);
    }
    window->cOutPutFile->setText("  ");
    window->bConvert->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Output File not specified");
}

namespace {
// The pane's lines as last painted on screen.
class PaintWatch : public QObject {
public:
    PaintWatch(TfmMain& window) : window_(window) { window.cOutput->viewport()->installEventFilter(this); }
    QStringList painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) painted = window_.Lines();
        return false;
    }

private:
    TfmMain& window_;
};

void PostClick(QWidget* button)
{
    const QPointF at = QRectF(button->rect()).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(button, new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton,
                                                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                            Qt::NoModifier));
}
}  // namespace

// A reader's message box comes up in the middle of its read: by then the pane
// must show the reader's lines, and clicks made meanwhile must come to nothing.
TEST_F(WindowTest, ProgressShowsAsItComesAndInputDuringAConversionIsDropped)
{
    WriteText(dir.Path("in.wpt"), "Kestrelmaps Waypoint File Version 1.1\r\nNAD27\r\nReserved 2\r\n\r\n");
    Open();
    ShowActive();
    PaintWatch watch(*window);
    window->cInputFile->setText(Text(dir.Path("in.wpt")));
    window->cInputFileFormat->setCurrentIndex(0);
    window->cOutPutFile->setText(Text(dir.Path("out")));
    window->cOutputFileFormat->setCurrentIndex(2);
    QStringList paintedDuringRead;
    int datumBoxes = 0;
    window->ShowBox = [&](QMessageBox::Icon, const QString& text) {
        if (text != "The Data file datum must be WGS84") return;
        ++datumBoxes;
        paintedDuringRead = watch.painted;
        PostClick(window->bConvert);
        QTest::mouseClick(window->bConvert, Qt::LeftButton);
        window->cInputFile->setFocus();
        QCoreApplication::postEvent(window->cInputFile, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
        QCoreApplication::postEvent(window->cInputFileFormat->lineEdit(),
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier));
    };
    window->bConvert->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(paintedDuringRead, (QStringList{"Loading Kes Waypoint file", Text(dir.Path("in.wpt"))}));
    EXPECT_EQ(datumBoxes, 1);
    EXPECT_EQ(window->Lines().last(), "Done .....");
    EXPECT_EQ(window->InputPosition(), 0);  // the key in the list came to nothing too
    EXPECT_FALSE(window->Converting());

    window->bConvert->click();  // and the window takes clicks again afterwards
    EXPECT_EQ(datumBoxes, 2);
}

namespace {
// Every caption is shown whole: each label has at least the size its text
// needs, lies inside the window and ends left of its field; every button is
// as large as its caption needs.
void ExpectCaptionsWhole(TfmMain& w, const std::string& when)
{
    for (TFilenameEditLabel* field : {w.cInputFile, w.cOutPutFile}) {
        const QLabel* label = field->Label();
        EXPECT_GE(label->width(), label->sizeHint().width()) << when << " " << label->text().toStdString();
        EXPECT_GE(label->height(), label->sizeHint().height()) << when;
        EXPECT_GE(label->x(), 0) << when << " " << label->text().toStdString();
        EXPECT_LE(label->geometry().right(), field->x()) << when;
    }
    for (TLyrComboBox* list : {w.cInputFileFormat, w.cOutputFileFormat}) {
        const QLabel* label = list->Label();
        EXPECT_FALSE(label->wordWrap()) << when;
        EXPECT_GE(label->width(), label->sizeHint().width()) << when;
        EXPECT_GE(label->x(), 0) << when;
        EXPECT_LE(label->geometry().right(), list->x()) << when;
    }
    for (QPushButton* button : {w.bHelp, w.bConvert, w.bClose}) {
        EXPECT_GE(button->width(), button->sizeHint().width()) << when << " " << button->text().toStdString();
        EXPECT_GE(button->height(), button->sizeHint().height()) << when;
        EXPECT_TRUE(w.rect().contains(button->geometry())) << when;
    }
}
}  // namespace

// Also run with QT_FONT_DPI=144 and with scale factors 1.5 and 2 by CTest.
TEST_F(WindowTest, CaptionsStayWholeAtAnySizeTheWindowCanTake)
{
    Open();
    ShowActive();
    ExpectCaptionsWhole(*window, "first size");

    // The pane takes all the room the window gains, the fields all the width.
    const QSize pane = window->cOutput->size(), gain(300, 200);
    window->resize(window->size() + gain);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->cOutput->size(), pane + gain);
    EXPECT_EQ(window->cInputFile->width(), window->cOutput->width());
    EXPECT_EQ(window->cOutputFileFormat->width(), window->cOutput->width());
    ExpectCaptionsWhole(*window, "grown");

    window->resize(1, 1);
    QCoreApplication::processEvents();
    EXPECT_GE(window->width(), window->minimumSizeHint().width());
    ExpectCaptionsWhole(*window, "smallest");

    QFont larger = window->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.5);
    window->setFont(larger);
    window->resize(1, 1);
    QCoreApplication::processEvents();
    ExpectCaptionsWhole(*window, "larger font, smallest");
}
