// SPDX-License-Identifier: GPL-3.0-or-later
// The window at its first size, on the screens CTest runs it with (1280x800,
// and 1920x1080 at scale 2), a MapSource file open: every entry of the lists,
// the zone's first entry and the file's line whole, six rows of figures and
// of points where the screen is 800 high; and nothing moves while a folder
// is converted.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTextDocument>
#include <filesystem>

#include "formats/format_table.h"
#include "tests/ui/window_fixture.h"
#include "ui/panels/CodePageBox.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/panels/Lyrlcomb.h"
#include "ui/panels/TimesRow.h"
#include "ui/panels/TwoLineLabel.h"
#include "ui/view/DataView.h"
#include "ui/view/MapView.h"
#include "ui/view/PointsPane.h"

namespace {
// The text fits the list's field: its width less the field's margins of two pixels a side.
bool ShowsWhole(const QComboBox* list, const QString& text)
{
    const QLineEdit* field = list->lineEdit();
    return field->contentsRect().width() - 4 >= field->fontMetrics().horizontalAdvance(text);
}

int RowsShown(const QAbstractItemView* table, int rowHeight) { return table->viewport()->height() / rowHeight; }

class WindowLayoutTest : public WindowTest {
protected:
    void OpenSample()
    {
        Open();
        window->ChooseInputFiles({QString::fromStdString(FixturePath("mapsource/gdb-sample.gdb"))});
        ShowActive();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return window->cView->Map()->isVisible() && window->cView->Status().startsWith("gdb-sample.gdb:"); },
            10000));
        QCoreApplication::processEvents();
    }
    // A screen of the sizes the window is drawn for: 960x540 logical pixels or more.
    bool ScreenOfTheWindowsSize() const
    {
        const QSize available = window->screen()->availableGeometry().size();
        return available.width() >= 960 && available.height() >= 540;
    }
};
}  // namespace

TEST_F(WindowLayoutTest, AtItsFirstSizeNothingIsCutAndSixRowsShowOnAScreen800High)
{
    OpenSample();
    if (!ScreenOfTheWindowsSize()) GTEST_SKIP() << "a screen smaller than the window is drawn for";
    for (const QComboBox* list : std::initializer_list<const QComboBox*>{window->cInputFileFormat,
                                                                         window->cOutputFileFormat, window->cCodePage})
        for (int i = 0; i < list->count(); ++i)
            EXPECT_TRUE(ShowsWhole(list, list->itemText(i)))
                << list->itemText(i).toStdString() << " in " << list->lineEdit()->width();
    EXPECT_TRUE(ShowsWhole(window->cTimes->Zone(), "as read (UTC)"));
    for (const QCheckBox* box : {window->cTimes->Rollover(), window->cTimes->ForEveryFile()})
        EXPECT_GE(box->width(), box->sizeHint().width()) << box->text().toStdString();
    // The file's line in two lines at most, whole.
    const TwoLineLabel* line = window->cView->StatusLine();
    EXPECT_FALSE(line->Cut()) << line->FullText().toStdString();
    EXPECT_LE(line->height(), 2 * line->fontMetrics().lineSpacing() + line->contentsMargins().top() +
                                  line->contentsMargins().bottom() + 1);

    if (window->screen()->availableGeometry().height() < 800) return;
    const int rowHeight = window->cView->Table()->verticalHeader()->defaultSectionSize();
    EXPECT_GE(RowsShown(window->cView->Table(), rowHeight), 6);
    window->cView->Tabs()->setCurrentWidget(window->cView->PointsTab());
    QCoreApplication::processEvents();
    EXPECT_GE(RowsShown(window->cView->PointsTab()->Table(), rowHeight), 6);
}

// Where every control stands, in the window's pixels.
QList<QRect> Places(const TfmMain& w)
{
    QList<QRect> places;
    for (const QWidget* control : std::initializer_list<const QWidget*>{
             w.cInputFile, w.cInputFileFormat, w.cTimes, w.cOutPutFile, w.cOutputFileFormat, w.cOutput, w.bHelp,
             w.bConvert, w.bClose, w.bOpenFolder, w.cView, w.cView->Map(), w.cView->Tabs()})
        places << QRect(control->mapTo(&w, QPoint(0, 0)), control->size());
    return places;
}

TEST_F(WindowLayoutTest, NothingMovesWhileAFolderIsConverted)
{
    const std::string card = dir.Path("card");
    std::filesystem::create_directories(card);
    for (int n = 0; n < 12; ++n)
        WriteText(card + "/walk" + std::to_string(n) + ".gpx",
                  "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\"><wpt lat=\"1\" lon=\"" +
                      std::to_string(n) + "\"><name>P</name></wpt></gpx>\n");
    WriteText(card + "/notes.txt", "shopping list\n");
    OpenSample();
    window->cOutputFileFormat->setCurrentIndex(Position(Output::Kml));
    window->ChooseInputFiles({QString::fromStdString(card)});
    std::filesystem::create_directories(dir.Path("out"));
    window->cOutPutFile->setText(QString::fromStdString(dir.Path("out")));
    QCoreApplication::processEvents();
    const QList<QRect> before = Places(*window);
    // Looked at whenever the pane hears of the conversion, and at its end.
    int looks = 0, moved = 0;
    QObject::connect(window->cOutput->document(), &QTextDocument::contentsChanged, window.get(), [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        ++looks;
        moved += Places(*window) != before ? 1 : 0;
    });
    ConvertNow();
    EXPECT_GT(looks, 12);
    EXPECT_EQ(moved, 0) << "of " << looks;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    EXPECT_EQ(Places(*window), before);
    EXPECT_EQ(window->WrittenFiles().size(), 12);
}
