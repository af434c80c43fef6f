// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/help.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>

namespace {
// About as many lines as the first help window showed.
constexpr int kVisibleLines = 22;
}  // namespace

QString HelpText()
{
    // Two lines end in a blank ("by the "); they are part of the text.
    return QStringLiteral("Fields\n"
                          "======\n"
                          "\n"
                          "Input File - Select the file to convert.\n"
                          "Format - Select the input file format.\n"
                          "\n"
                          "Output File - Select the file to convert to.\n"
                          "Format - Select the output file format.\n"
                          "\n"
                          "Operation\n"
                          "=========\n"
                          "\n"
                          "1. Set the Input file format.\n"
                          "2. Select the input file.\n"
                          "3. Set the output file format.\n"
                          "4. Select the output file if it already exists\n"
                          "otherwise select the folder to use and type in the\n"
                          "output file name. The file extension is added\n"
                          "automatically.\n"
                          "5. Press the Convert button.\n"
                          "\n"
                          "File Formats\n"
                          "============\n"
                          "\n"
                          "Holux WRT Waypoint and Route Format\n"
                          "-----------------------------------\n"
                          "Maximum number of waypoints per file = 500\n"
                          "Maximum number of routes per file = 20\n"
                          "Maximum number of waypoints per route = 30\n"
                          "\n"
                          "Holux TLG Track Format\n"
                          "----------------------\n"
                          "Maximum number of tracks per file = 5\n"
                          "maximum number of track points per track = 2500\n"
                          "\n"
                          "When converting to Kestrelmaps format each track is\n"
                          "written to a separate file. Each file uses the\n"
                          "specified name with a number appended to it.\n"
                          "\n"
                          "When converting to the TLG format up to 5\n"
                          "Kestrelmaps Track Files can be selected in the\n"
                          "Input File window (they must all be in the same\n"
                          "folder). The 5 track files will be written into the\n"
                          "tlg file.\n"
                          "\n"
                          "Magellan Mapsend Waypoint Files\n"
                          "-------------------------------\n"
                          "Read only.\n"
                          "\n"
                          "Magellan Mapsend Track Files\n"
                          "----------------------------\n"
                          "Read only.\n"
                          "\n"
                          "Magellan GPS Waypoint Files\n"
                          "-------------------------------\n"
                          "These are the files saved on the memory card by the \n"
                          "gps.\n"
                          "Read only.\n"
                          "\n"
                          "Magellan GPS Track Files\n"
                          "----------------------------\n"
                          "Read only.\n"
                          "\n"
                          "These are the files saved on the memory card by the \n"
                          "gps.\n"
                          "\n"
                          "Nobletec Export Files\n"
                          "---------------------\n"
                          "Read only.\n"
                          "\n"
                          "Contains both Waypoints and Tracks but only one\n"
                          "is converted at a time.\n"
                          "\n"
                          "All tracks are written to the 1 output file\n"
                          "but as different track sections.\n"
                          "\n"
                          "NMEA Log Files\n"
                          "--------------\n"
                          "Read only.\n"
                          "\n"
                          "Text files of NMEA sentences.\n"
                          "\n"
                          "The GPRMC sentence is converted to Kestrelmaps\n"
                          "track files.\n"
                          "\n"
                          "The altitude is read from the GPGGA sentence\n"
                          "\n"
                          "Mapsource File (mps)\n"
                          "------------------\n"
                          "Read only\n"
                          "\n"
                          "Contains both Waypoints and Tracks but only one\n"
                          "is converted at a time.\n"
                          "\n"
                          "Each track is written to a separate output file\n"
                          "with \"_1\" etc added to the file name.\n"
                          "\n"
                          "Works with Mapsource file Version 4.09 or later.\n"
                          "\n"
                          "Mapsource GDB Format\n"
                          "--------------------------------------\n"
                          "Read only\n"
                          "\n"
                          "Contains both Waypoints, Routes and Tracks\n"
                          "but tracks are converted separately.\n"
                          "\n"
                          "Each track is written to a separate output file\n"
                          "with \"_1\" etc added to the file name.\n"
                          "\n"
                          "Routes and Waypoints will be saved from\n"
                          "GDB files which contain Routes. Select\n"
                          "Kestrelmaps Waypoint as the Output File Format.\n"
                          "Both .wpt file and .rte file will be saved.\n"
                          "\n"
                          "GPX Files (gpx)\n"
                          "---------------\n"
                          "GPX 1.0 and 1.1 files are read, GPX 1.1 files\n"
                          "are written.\n"
                          "\n"
                          "Waypoints and Routes are converted together,\n"
                          "Tracks separately.\n"
                          "\n"
                          "When converting to GPX all the tracks of the\n"
                          "input are written into the 1 output file, each\n"
                          "as its own track.");
}

TfmHelp::TfmHelp(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setWindowTitle("Help");
    setModal(true);
    Memo1 = new QPlainTextEdit(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
    Memo1->setReadOnly(true);
    // Each line of the text is one line on screen; a narrow window scrolls sideways.
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    Memo1->setFont(font);
    Memo1->setPlainText(HelpText());

    QSize start = FittingSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        start = start.boundedTo(available.size() * 0.9);
        QRect frame(QPoint(), start);
        frame.moveCenter(available.center());
        move(frame.topLeft());
    }
    resize(start);
}

QSize TfmHelp::FittingSize() const
{
    // Measured in the face the font resolved to, which need not be the one asked for.
    const QFontMetrics metrics(Memo1->font());
    int longest = 0;
    for (const QString& line : HelpText().split('\n')) longest = std::max(longest, metrics.horizontalAdvance(line));
    const int margins = 2 * (Memo1->frameWidth() + qCeil(Memo1->document()->documentMargin()));
    // The cursor's pixel past the last character keeps a scroll bar from appearing.
    const int width = longest + margins + Memo1->verticalScrollBar()->sizeHint().width() + Memo1->cursorWidth() + 1;
    const int height = kVisibleLines * metrics.lineSpacing() + margins;
    return {width, height};
}
