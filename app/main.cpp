// SPDX-License-Identifier: GPL-3.0-or-later
// kesTranscribe: the desktop converter. Creates the main window, then the
// hidden help window, takes the files named on the command line (as a file
// manager passes them) as the input choice, and runs the event loop until the
// main window closes.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "ui/FilenameEditLabel.h"
#include "ui/Unit1.h"
#include "ui/WindowCommandLine.h"
#include "ui/help.h"

namespace {
// The icon built into the program at every rendered size.
QIcon ProgramIcon()
{
    QIcon icon;
    const QDir icons(":/icons");
    for (const QString& name : icons.entryList({"*.png"})) icon.addFile(icons.filePath(name));
    return icon;
}

void PrintLine(const QString& text) { std::printf("%s\n", text.toLocal8Bit().constData()); }

// With KESTRANSCRIBE_REPORT set, the program prints what the window shows once
// it is up (the input field, its chosen files, the icon's sizes) and closes as
// the Close button does, printing message boxes instead of showing them. The
// install check reads an installed program back this way.
void ReportAndClose(TfmMain& window)
{
    window.ShowBox = [](QMessageBox::Icon, const QString& text) { PrintLine("message: " + text); };
    PrintLine("input field: " + window.cInputFile->text());
    for (const QString& file : window.cInputFile->ChosenFiles()) PrintLine("chosen file: " + file);
    QStringList sizes;
    for (const QSize& size : window.windowIcon().availableSizes()) sizes << QString::number(size.width());
    PrintLine("window icon: " + sizes.join(' '));
    window.close();
}
}  // namespace

int main(int argc, char** argv)
{
    // --help and --version answer without a display: no window is made for them.
    if (const std::optional<int> status = AnswerCommandLine({argv + std::min(argc, 1), argv + argc}, stdout))
        return *status;
    QApplication application(argc, argv);
    QApplication::setApplicationName("kesTranscribe");
    // Lets a desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(KES_APP_ID);
    QApplication::setWindowIcon(ProgramIcon());
    TfmMain fmMain;
    TfmHelp fmHelp(&fmMain);
    fmMain.SetHelpWindow(&fmHelp);
    QStringList files = QApplication::arguments().mid(1);
    files.removeOne("--");
    fmMain.ChooseInputFiles(files);
    fmMain.show();
    if (qEnvironmentVariableIsSet("KESTRANSCRIBE_REPORT"))
        QTimer::singleShot(0, &fmMain, [&fmMain] { ReportAndClose(fmMain); });
    return application.exec();
}
