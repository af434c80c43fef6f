// A main window on a settings file in a temporary folder, whose message boxes
// are recorded instead of shown.
#pragma once

#include <QMessageBox>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_files.h"
#include "ui/Unit1.h"

struct RecordedBox {
    QMessageBox::Icon icon;
    std::string text;
};

class WindowTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string settingsPath = dir.Path("kesTranscribe.ini");
    std::unique_ptr<TfmMain> window;
    std::vector<RecordedBox> boxes;

    void Open()
    {
        window = std::make_unique<TfmMain>(settingsPath);
        window->ShowBox = [this](QMessageBox::Icon icon, const QString& text) {
            boxes.push_back({icon, text.toStdString()});
        };
    }
    // Closing writes the settings, as the Close button does.
    void CloseWindow() { window->close(); }
};
