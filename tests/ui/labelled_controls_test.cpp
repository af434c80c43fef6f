// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <stdexcept>

#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"
#include "ui/window/help.h"

TEST(LabelPosition, LeftOfTheControlAndVerticallyCentredOrAboveIt)
{
    const QRect control(64, 11, 421, 21);
    EXPECT_EQ(LabelPosition(control, QSize(45, 13), TLabelAlignment::laLeft, 6), QPoint(13, 15));
    EXPECT_EQ(LabelPosition(control, QSize(45, 13), TLabelAlignment::laTop, 6), QPoint(64, -8));
    // Odd differences truncate toward zero, also when the label is the taller one.
    EXPECT_EQ(LabelPosition(QRect(0, 10, 50, 20), QSize(10, 13), TLabelAlignment::laLeft, 0).y(), 13);
    EXPECT_EQ(LabelPosition(QRect(0, 10, 50, 10), QSize(10, 13), TLabelAlignment::laLeft, 0).y(), 9);
}

TEST(TFilenameEditLabel, LabelFollowsTheControlAndItsProperties)
{
    QWidget other;
    QWidget form;
    form.show();  // a hidden widget hears of its moves only when shown
    auto& field = *new TFilenameEditLabel(&form);
    field.show();
    EXPECT_EQ(field.LabelCaption(), "  ");
    EXPECT_EQ(field.Gap(), 6);
    EXPECT_EQ(field.LabelAlignment(), TLabelAlignment::laLeft);
    field.SetLabelCaption("Input File");
    field.setGeometry(200, 40, 300, 21);
    TchangeLabel* label = field.Label();
    EXPECT_EQ(label->parentWidget(), &form);
    EXPECT_EQ(label->buddy(), &field);
    EXPECT_EQ(label->geometry().right() + 1, 200 - 6);
    EXPECT_EQ(label->y(), 40 + (21 - label->height()) / 2);
    field.SetGap(10);
    EXPECT_EQ(label->geometry().right() + 1, 190);
    field.SetLabelAlignment(TLabelAlignment::laTop);
    EXPECT_EQ(label->pos(), QPoint(200, 40 - 10 - label->height()));
    EXPECT_TRUE(label->alignment() & Qt::AlignLeft);
    field.move(220, 80);
    EXPECT_EQ(label->x(), 220);

    field.setParent(&other);
    EXPECT_EQ(label->parentWidget(), &other);
}

TEST(TFilenameEditLabel, ANegativeGapIsRefusedAndTheOldOneKept)
{
    QWidget form;
    TFilenameEditLabel field(&form);
    field.SetGap(3);
    try {
        field.SetGap(-1);
        FAIL() << "no error";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "Displayment must be positive.");
    }
    EXPECT_EQ(field.Gap(), 3);
}

TEST(TFilenameEditLabel, TheLabelGoesWithTheControl)
{
    QWidget form;
    auto* field = new TFilenameEditLabel(&form);
    QPointer<TchangeLabel> label = field->Label();
    delete field;
    EXPECT_TRUE(label.isNull());
}

TEST(DialogNameFilters, TheCataloguesFiltersInTheDialogsForm)
{
    EXPECT_EQ(DialogNameFilters("Kestrelmaps Waypoint (*.wpt)|*.wpt"), "Kestrelmaps Waypoint (*.wpt)");
    EXPECT_EQ(DialogNameFilters("Mapsource Waypoint (*.mps;*.gdb)|*.mps;*.gdb"), "Mapsource Waypoint (*.mps *.gdb)");
    // Every file, also those without a dot in their name.
    EXPECT_EQ(DialogNameFilters("NMEA Log (*.*)|*.*"), "NMEA Log (*)");
    EXPECT_EQ(DialogNameFilters("A|*.a|B|*.b"), "A (*.a);;B (*.b)");
    EXPECT_EQ(DialogNameFilters(""), "");
}

TEST(DialogDefaultSuffix, TheFirstPatternsExtensionUnlessItMatchesEveryFile)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {"Holux Track (*.tlg)|*.tlg", "tlg"},
        {"Mapsource (*.mps;*.gdb)|*.mps;*.gdb", "mps"},
        {"NMEA Log (*.*)|*.*", ""},
        {"Any|*", ""},
        {"Odd|*.t?g", ""},
        {"", ""},
    };
    for (const auto& [filter, suffix] : cases) EXPECT_EQ(DialogDefaultSuffix(filter), suffix) << filter.toStdString();
}

namespace {
// A list on a form, with the form's other controls around it.
struct ListForm {
    QWidget form;
    QLineEdit before{&form};
    TLyrComboBox list{&form};
    QPushButton button{"OK", &form};
    QLineEdit after{&form};

    ListForm()
    {
        form.show();
        form.activateWindow();
        (void)QTest::qWaitForWindowActive(&form);
        list.setFocus();
    }
    // Each character as the keyboard delivers it, also those beyond ASCII.
    void Type(const QString& keys)
    {
        for (const QChar c : keys) {
            QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode() < 128 ? c.toUpper().unicode() : 0, Qt::NoModifier,
                            QString(c));
            QCoreApplication::sendEvent(QApplication::focusWidget(), &press);
        }
    }
};
}  // namespace

TEST(TLyrComboBox, NewListDefaults)
{
    TLyrComboBox list;
    EXPECT_EQ(list.height(), 17);
    EXPECT_EQ(list.MaxLength(), 10);
    EXPECT_EQ(list.Picture(), "uppercase");
    EXPECT_EQ(list.LabelCaption(), "");
    EXPECT_EQ(list.Gap(), 6);
}

TEST(TLyrComboBox, UppercasePictureRaisesOnlyAtoZ)
{
    ListForm f;
    f.Type(QString::fromUtf8("ab1é"));
    EXPECT_EQ(f.list.currentText(), QString::fromUtf8("AB1é"));
}

TEST(TLyrComboBox, TypingStopsAtTheMaximumLengthButEntriesMayBeLonger)
{
    ListForm f;
    f.list.SetPicture("normal");
    f.list.addItems({"Kestrelmaps Waypoint (.wpt)", "short"});
    f.list.setCurrentIndex(0);
    EXPECT_EQ(f.list.currentText(), "Kestrelmaps Waypoint (.wpt)");
    f.list.lineEdit()->selectAll();
    f.Type("abcdefghijklmn");
    EXPECT_EQ(f.list.currentText(), "abcdefghij");
    EXPECT_EQ(f.list.currentIndex(), -1);  // typed text that is no entry selects nothing
    f.list.lineEdit()->selectAll();
    f.Type("short");
    EXPECT_EQ(f.list.currentIndex(), 1);
    EXPECT_EQ(f.list.currentText(), "short");
}

TEST(TLyrComboBox, EnterMovesOnPastPushButtons)
{
    ListForm f;
    ASSERT_EQ(QApplication::focusWidget(), &f.list);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), &f.after);
    EXPECT_EQ(f.list.currentText(), "");
}

TEST(TLyrComboBox, LongCaptionsWrapToFitWhileShortOnesDoNot)
{
    QWidget form;
    form.show();
    TLyrComboBox list(&form);
    list.show();
    list.setGeometry(40, 50, 200, 21);
    list.SetLabelCaption("Format");
    TchangeLabel* label = list.Label();
    EXPECT_FALSE(label->wordWrap());
    EXPECT_EQ(label->geometry().right() + 1, 40 - 6);

    list.SetLabelCaption("Twenty characters ok");
    ASSERT_EQ(list.LabelCaption().size(), 20);
    EXPECT_TRUE(label->wordWrap());
    EXPECT_EQ(label->x(), 2);
    EXPECT_EQ(label->geometry().right() + 1, 40 - 6);

    list.setGeometry(10, 50, 200, 21);
    list.SetLabelCaption("Ten chars!");
    EXPECT_FALSE(label->wordWrap());
    EXPECT_LT(label->x(), 2);
}

// The user guide, searchable, in a window beside the main one.
TEST(TfmHelp, ShowsTheUserGuideSearchableAndNotModal)
{
    TfmHelp help;
    EXPECT_EQ(help.windowTitle(), "Help");
    EXPECT_FALSE(help.isModal());
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    const QString text = help.Page()->toPlainText();
    for (const char* part : {"Outputs that hold everything", "The view of the data", "Retry tiles", "F1"})
        EXPECT_TRUE(text.contains(part)) << part;
    for (const char* builders : {"Fuzzing", "Adding a format", "Expat"})
        EXPECT_FALSE(text.contains(builders)) << builders;
    help.Search()->setText("retry tiles");
    EXPECT_EQ(help.Page()->textCursor().selectedText().toLower(), "retry tiles");
    help.Search()->setText("no such words here");
    EXPECT_FALSE(help.FindNext());
    const QSize first = help.size();
    help.resize(first / 2);
    QCoreApplication::processEvents();
    EXPECT_LT(help.width(), first.width());  // not a fixed size
}
