// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on a desktop: keys, the default button, the dialogs' kinds,
// bare output names, a long conversion, and captions at any font size.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include <QElapsedTimer>
#include <QTimer>

#include "core/io/file_names.h"
#include "formats/format_table.h"
#include "formats/native/Kes.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"
#include "ui/view/DataView.h"
#include "ui/view/MapView.h"

namespace {
// Records which field's dialog opened ("input" or "output"), and how the last one was prepared.
struct DialogLog {
    std::vector<std::string> opened;
    QFileDialog::AcceptMode mode{};
    bool confirmsOverwrite = false;
    QString suffix, title;
    explicit DialogLog(TfmMain& w)
    {
        for (auto [field, name] : {std::pair{w.cInputFile, "input"}, {w.cOutPutFile, "output"}})
            field->RunDialog = [this, name = std::string(name)](QFileDialog& dialog) {
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
    DialogLog log(*window);
    const struct {
        QWidget* focus;
        QKeyCombination key;
        std::vector<std::string> opens;
    } cases[] = {
        {window->cInputFile, Qt::Key_F4, {"input"}},
        {window->cInputFile, Qt::ALT | Qt::Key_Down, {"input"}},
        {window->cOutPutFile, Qt::Key_F4, {"output"}},
        {window->cOutPutFile, Qt::ALT | Qt::Key_Down, {"output"}},
        {window->cOutPutFile, Qt::CTRL | Qt::Key_O, {"input"}},
        {window->cOutput, Qt::CTRL | Qt::Key_O, {"input"}},
        {window->cOutPutFile, Qt::Key_Down, {}},
        {window->cInputFile, Qt::Key_F5, {}},
    };
    for (const auto& c : cases) {
        log.opened.clear();
        c.focus->setFocus();
        QTest::keyClick(QApplication::focusWidget(), c.key.key(), c.key.keyboardModifiers());
        EXPECT_EQ(log.opened, c.opens) << QKeySequence(c.key).toString().toStdString();
    }
    const QString inputTip = window->cInputFile->BrowseAction()->toolTip();
    const QString outputTip = window->cOutPutFile->BrowseAction()->toolTip();
    EXPECT_TRUE(inputTip.contains("F4") && inputTip.contains("Alt+Down") && inputTip.contains("Ctrl+O"));
    EXPECT_TRUE(outputTip.contains("F4") && outputTip.contains("Alt+Down") && !outputTip.contains("Ctrl+O"));
}

TEST_F(WindowTest, ReturnAndEnterPressTheFocusedButtonAndConvertIsTheDefaultInAField)
{
    Open();
    ShowActive();
    const struct {
        QWidget* focus;
        Qt::Key key;
        bool convertsAndIsDefault;
    } cases[] = {
        {window->bConvert, Qt::Key_Return, true},          {window->bConvert, Qt::Key_Enter, true},
        {window->cInputFile, Qt::Key_Return, true},        {window->cOutPutFile, Qt::Key_Enter, true},
        {window->cInputFileFormat, Qt::Key_Return, false}, {window->cOutput, Qt::Key_Return, false},
    };
    for (const auto& c : cases) {
        boxes.clear();
        c.focus->setFocus();
        EXPECT_EQ(window->bConvert->isDefault(), c.convertsAndIsDefault) << &c - cases;
        QTest::keyClick(QApplication::focusWidget(), c.key);
        EXPECT_EQ(boxes.size() == 1 && boxes[0].text == "Input File not specified", c.convertsAndIsDefault)
            << &c - cases;
    }
    window->bClose->setFocus();
    EXPECT_FALSE(window->bConvert->isDefault());
    QTest::keyClick(window->bClose, Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
}

// The conversion asks about every file it replaces: the dialog does not ask first.
TEST_F(WindowTest, TheOutputFieldSavesWithoutAskingTwiceWhileTheInputFieldOpens)
{
    Open();
    DialogLog log(*window);
    window->cOutputFileFormat->setCurrentIndex(Position(Output::HoluxWaypoint));
    window->cOutPutFile->Browse();
    EXPECT_EQ(log.mode, QFileDialog::AcceptSave);
    EXPECT_FALSE(log.confirmsOverwrite);
    EXPECT_TRUE(log.title.contains("Save")) << log.title.toStdString();
    EXPECT_EQ(log.suffix, "wrt");  // so the file asked about is the one the writer replaces
    window->cInputFile->Browse();
    EXPECT_EQ(log.mode, QFileDialog::AcceptOpen);
    EXPECT_FALSE(log.title.contains("Save"));
}

// Written exactly as named, whatever the format's extension; the field then
// shows the whole name of the file written.
TEST_F(WindowTest, ABareOutputNameGoesBesideTheInput)
{
    std::filesystem::create_directories(dir.Path("in dir"));
    WriteText(dir.Path("in dir/in.wpt"),
              "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n1,HOME,0,0\r\n");
    std::filesystem::create_directories(dir.Path("out dir"));
    Open();
    window->cInputFile->setText(Text(dir.Path("in dir/in.wpt")));
    window->cInputFileFormat->setCurrentIndex(Position(Input::KesWaypoint));
    window->cOutputFileFormat->setCurrentIndex(Position(Output::HoluxWaypoint));
    window->cOutPutFile->SetInitialDir(Text(dir.Path("out dir")));
    const struct {
        QString typed;
        std::string written;
    } cases[] = {
        {"myout", dir.Path("in dir/myout")},
        {"\"my out.x\"", dir.Path("in dir/my out.x")},
        {Text(dir.Path("elsewhere.wrt")), dir.Path("elsewhere.wrt")},
    };
    for (const auto& c : cases) {
        window->cOutPutFile->setText(c.typed);
        ConvertNow();
        EXPECT_TRUE(boxes.empty()) << c.written;
        EXPECT_TRUE(std::filesystem::exists(c.written)) << c.written;
        EXPECT_TRUE(window->Lines().contains(Text(c.written))) << c.written;  // the pane names its folder
        EXPECT_EQ(window->WrittenFiles(), QStringList{Text(c.written)});
        EXPECT_EQ(StripQuotes(window->cOutPutFile->text().toStdString()), c.written);
    }
    window->cOutPutFile->setText("  ");
    ConvertNow();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Output File not specified");
}

// A long conversion runs while the window goes on answering: its lines come
// as they are made, a resize is taken at once, and Close asks, then stops the
// conversion, which leaves the earlier output as it was.
TEST_F(WindowTest, TheWindowAnswersDuringALongConversionAndCloseStopsIt)
{
    std::string log;
    for (int i = 0; i < 400000; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "$GPRMC,%02d%02d%02d,A,4807.%03d,N,01131.000,E,,,230394\r\n", i / 3600 % 24,
                      i / 60 % 60, i % 60, i % 1000);
        log += line;
    }
    WriteText(dir.Path("long.log"), log);
    WriteText(dir.Path("out.gpx"), "earlier");
    Open();
    ShowActive();
    window->cInputFile->setText(Text(dir.Path("long.log")));
    window->cInputFileFormat->setCurrentIndex(Position(Input::Nmea));
    window->cOutPutFile->setText(Text(dir.Path("out.gpx")));
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Gpx));
    window->bConvert->click();
    ASSERT_TRUE(window->Converting());

    // The event loop turns every few milliseconds while the conversion runs.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    tick.start(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Lines().contains("processing ....."); }, 10000));
    QTest::qWait(30);
    const QSize larger = window->size() + QSize(40, 30);
    QElapsedTimer resized;
    resized.start();
    window->resize(larger);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->size() == larger; }, 1000));
    EXPECT_LT(resized.elapsed(), 50);
    EXPECT_LT(longest, 50) << "the event loop stood still";

    ASSERT_TRUE(window->Converting()) << "the conversion ended before Close could be tried";
    window->close();
    EXPECT_EQ(stopQuestions, 1);
    EXPECT_FALSE(window->Converting());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ReadText(dir.Path("out.gpx")), "earlier");
    for (const auto& entry : std::filesystem::directory_iterator(dir.Root()))
        EXPECT_EQ(entry.path().filename().string().find(".kes-"), std::string::npos) << entry.path();
}

namespace {
// Every caption is shown whole: each label has the size its text needs, lies
// inside the window on one line and ends left of its field; each button is as
// large as its caption needs.
void ExpectCaptionsWhole(TfmMain& w, const std::string& when)
{
    for (const auto& [label, field] : {std::pair<QLabel*, QWidget*>{w.cInputFile->Label(), w.cInputFile},
                                       {w.cInputFileFormat->Label(), w.cInputFileFormat},
                                       {w.cOutPutFile->Label(), w.cOutPutFile},
                                       {w.cOutputFileFormat->Label(), w.cOutputFileFormat}}) {
        const std::string what = when + ", " + label->text().toStdString();
        EXPECT_GE(label->width(), label->sizeHint().width()) << what;
        EXPECT_GE(label->height(), label->sizeHint().height()) << what;
        EXPECT_FALSE(label->wordWrap()) << what;
        EXPECT_GE(label->x(), 0) << what;
        EXPECT_LE(label->geometry().right(), field->x()) << what;
    }
    for (QPushButton* button : {w.bHelp, w.bConvert, w.bClose}) {
        EXPECT_TRUE(button->width() >= button->sizeHint().width() && button->height() >= button->sizeHint().height())
            << when << ", " << button->text().toStdString();
        EXPECT_TRUE(w.rect().contains(button->geometry())) << when;
    }
}
}  // namespace

// The window's first picture holds the fields alone; the view's content
// follows at once (the caption test below checks the room kept for it).
TEST_F(WindowTest, TheViewsContentShowsRightAfterTheFirstPicture)
{
    Open();
    EXPECT_FALSE(window->cView->Map()->isVisibleTo(window.get()));
    ShowActive();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->cView->Map()->isVisible(); }));
    EXPECT_TRUE(window->cView->Table()->isVisible());
}

// Also run with QT_FONT_DPI=144 and with scale factors 1.5 and 2 by CTest.
TEST_F(WindowTest, CaptionsStayWholeAtAnySizeTheWindowCanTake)
{
    Open();
    ShowActive();
    ExpectCaptionsWhole(*window, "first size");

    // The pane takes all the height the window gains; of the width, the view takes the larger share.
    const QSize pane = window->cOutput->size(), gain(300, 200);
    const int view = window->cView->width();
    window->resize(window->size() + gain);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->cOutput->height(), pane.height() + gain.height());
    EXPECT_GT(window->cView->width() - view, window->cOutput->width() - pane.width());
    EXPECT_EQ(window->cView->width() - view + window->cOutput->width() - pane.width(), gain.width());
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
    // A new font reaches the layouts through events that post further ones: let them all run.
    for (int pass = 0; pass < 5; ++pass) QCoreApplication::processEvents();
    window->resize(1, 1);
    QCoreApplication::processEvents();
    ExpectCaptionsWhole(*window, "larger font, smallest");
}

// Also run with scale factors 1.5 and 2 by CTest: at 1.5 the pane's content
// once covered the top and right lines of its frame.
TEST_F(WindowTest, ThePanesFrameIsDrawnOnEveryEdge)
{
    Open();
    ShowActive();
    const QImage image = window->cOutput->grab().toImage();
    // A line is darker than the window around it and the content inside.
    const int around = window->palette().color(QPalette::Window).lightness();
    const int w = image.width(), h = image.height();
    for (const QPoint& at : {QPoint(w / 3, 0), QPoint(w / 3, h - 1), QPoint(0, h / 2), QPoint(w - 1, h / 2)})
        EXPECT_LT(QColor(image.pixel(at)).lightness(), around) << at.x() << "," << at.y() << " of " << w << "x" << h;
}
