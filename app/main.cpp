// kesTranscribe: the desktop converter. Creates the main window, then the
// hidden help window, and runs the event loop until the main window closes.
#include <QApplication>

#include "ui/Unit1.h"
#include "ui/help.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("kesTranscribe");
    TfmMain fmMain;
    TfmHelp fmHelp(&fmMain);
    fmMain.SetHelpWindow(&fmHelp);
    fmMain.show();
    return application.exec();
}
