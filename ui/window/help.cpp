// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/help.h"

#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

TfmHelp::TfmHelp(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Help");
    setModal(false);
    setSizeGripEnabled(true);
    search_ = new QLineEdit(this);
    search_->setPlaceholderText("Find in the help");
    search_->setAccessibleName("Find in the help");
    search_->setClearButtonEnabled(true);
    found_ = new QLabel(this);
    page_ = new QTextBrowser(this);
    page_->setOpenExternalLinks(true);
    page_->setAccessibleName("Help");
    auto* bar = new QHBoxLayout;
    auto* caption = new QLabel("&Find:", this);
    caption->setBuddy(search_);
    bar->addWidget(caption);
    bar->addWidget(search_, 1);
    bar->addWidget(found_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(page_, 1);
    connect(search_, &QLineEdit::returnPressed, this, &TfmHelp::FindNext);
    connect(search_, &QLineEdit::textChanged, this, [this] {
        page_->moveCursor(QTextCursor::Start);
        FindNext();
    });
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        search_->setFocus();
        search_->selectAll();
    });
    connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this, &TfmHelp::FindNext);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->availableGeometry().size().boundedTo(QSize(820, 1000)) * 0.8);
}

// Read when first shown: the window's start does not wait for the help.
void TfmHelp::Fill()
{
    if (filled_) return;
    filled_ = true;
    QFile guide(":/help/user-guide.md");
    page_->setMarkdown(guide.open(QIODevice::ReadOnly) ? QString::fromUtf8(guide.readAll()) : QString());
}

void TfmHelp::showEvent(QShowEvent* event)
{
    Fill();
    QDialog::showEvent(event);
}

bool TfmHelp::FindNext()
{
    Fill();
    const QString wanted = search_->text();
    if (wanted.isEmpty()) {
        found_->clear();
        return false;
    }
    bool found = page_->find(wanted);
    if (!found) {
        page_->moveCursor(QTextCursor::Start);
        found = page_->find(wanted);
    }
    found_->setText(found ? QString() : "Not found");
    return found;
}
