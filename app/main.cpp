// SPDX-License-Identifier: GPL-3.0-or-later
// kesTranscribe: the desktop converter. Creates the main window, then the
// hidden help window, takes the files named on the command line (as a file
// manager passes them) as the input choice, and runs the event loop until the
// main window closes.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>

#include "core/convert/catalogue.h"
#include "formats/format_table.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/window/Unit1.h"
#include "ui/window/WindowCommandLine.h"
#include "ui/window/help.h"

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

// The window thread's processor time since the process began, in ms: what
// others' load on the machine changes least.
double ThreadMillis()
{
    timespec cpu{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    return cpu.tv_sec * 1e3 + cpu.tv_nsec / 1e6;
}

// With KESTRANSCRIBE_QUIT_AFTER_PAINT set, the window closes as the Close
// button does once it has been painted whole the first time, and says when
// that was: the benchmark times the start-up up to the first picture.
class QuitAfterPaint : public QObject {
public:
    QuitAfterPaint() : atMain_(ThreadMillis()) { sinceMain_.start(); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // The window's children are painted in the same pass, before the timer runs.
            QTimer::singleShot(0, static_cast<QWidget*>(watched), [this, watched] {
                PrintLine(QString("first picture: %1 ms after main; window thread %2 ms of processor time, "
                                  "%3 ms of it before main")
                              .arg(sinceMain_.nsecsElapsed() / 1e6, 0, 'f', 1)
                              .arg(ThreadMillis(), 0, 'f', 1)
                              .arg(atMain_, 0, 'f', 1));
                static_cast<QWidget*>(watched)->close();
            });
        }
        return false;
    }

private:
    QElapsedTimer sinceMain_;
    double atMain_;
};
}  // namespace

int main(int argc, char** argv)
{
    QuitAfterPaint quitAfterPaint;
    // --help and --version answer without a display: no window is made for them.
    if (const std::optional<int> status = AnswerCommandLine({argv + std::min(argc, 1), argv + argc}, stdout))
        return *status;
    QApplication application(argc, argv);
    QApplication::setApplicationName("kesTranscribe");
    // Lets a desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(KES_APP_ID);
    QApplication::setWindowIcon(ProgramIcon());
    const FormatCatalogue catalogue(KnownFormats());
    TfmMain fmMain(catalogue);
    TfmHelp fmHelp(&fmMain);
    fmMain.SetHelpWindow(&fmHelp);
    QStringList files = QApplication::arguments().mid(1);
    files.removeOne("--");
    fmMain.ChooseInputFiles(files);
    if (qEnvironmentVariableIsSet("KESTRANSCRIBE_QUIT_AFTER_PAINT")) fmMain.installEventFilter(&quitAfterPaint);
    fmMain.show();
    if (qEnvironmentVariableIsSet("KESTRANSCRIBE_REPORT"))
        QTimer::singleShot(0, &fmMain, [&fmMain] { ReportAndClose(fmMain); });
    return application.exec();
}
