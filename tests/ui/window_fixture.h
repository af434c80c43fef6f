// SPDX-License-Identifier: GPL-3.0-or-later
// A main window on a settings file in a temporary folder, whose message boxes
// are recorded instead of shown; its dialogs open in the program's folder.
#pragma once

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "core/text/text_fields.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_files.h"
#include "ui/window/Unit1.h"

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
    // The replace questions asked (the files each named), answered with replaceAnswer.
    std::vector<QStringList> replaceQuestions;
    bool replaceAnswer = true;
    std::vector<QUrl> openedUrls;
    bool fileManagerOpens = true;
    int stopQuestions = 0;  // answered yes

    void Open() { Open(SettingsLocation{settingsPath, ProgramFolder(), false}); }
    void Open(const SettingsLocation& location)
    {
        window = std::make_unique<TfmMain>(TestCatalogue(), location);
        window->ShowBox = [this](QMessageBox::Icon icon, const QString& text) {
            boxes.push_back({icon, text.toStdString()});
        };
        window->AskReplace = [this](const QStringList& files) {
            replaceQuestions.push_back(files);
            return replaceAnswer;
        };
        window->OpenUrl = [this](const QUrl& url) {
            openedUrls.push_back(url);
            return fileManagerOpens;
        };
        window->AskStop = [this] {
            ++stopQuestions;
            return true;
        };
    }
    // Presses Convert and waits until the conversion it starts is over.
    void ConvertNow()
    {
        window->bConvert->click();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Converting(); }, 60000));
    }
    // Closing writes the settings, as the Close button does.
    void CloseWindow() { window->close(); }
    void ShowActive()
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
};
