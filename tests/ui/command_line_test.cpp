#include <gtest/gtest.h>

#include <QDir>

#include "tests/ui/window_fixture.h"
#include "ui/FilenameEditLabel.h"

// The files a file manager or a shell passes to the program take the same
// path as files dropped on the window.
TEST_F(WindowTest, FilesNamedOnTheCommandLineBecomeTheInputChoice)
{
    Open();
    const QString root = QString::fromStdString(dir.Root().string());
    const QString folder = root + "/my tracks";
    const QString started = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root));
    window->ChooseInputFiles({"my tracks/a.plt", "", "./my tracks/../my tracks/b.plt"});
    QDir::setCurrent(started);

    EXPECT_EQ(window->cInputFile->text(), '"' + folder + "/a.plt\"");
    EXPECT_EQ(window->cInputFile->ChosenFiles(), QStringList({folder + "/a.plt", folder + "/b.plt"}));
    EXPECT_EQ(window->cInputFile->InitialDir(), folder);

    // No names (the program started from its menu entry) keep what is there.
    for (const QStringList& none : {QStringList(), QStringList{""}}) {
        window->ChooseInputFiles(none);
        EXPECT_EQ(window->cInputFile->ChosenFiles().size(), 2);
        EXPECT_EQ(window->cInputFile->InitialDir(), folder);
    }
}
