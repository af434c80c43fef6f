// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/FilenameEditLabel.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMimeData>
#include <QShortcut>
#include <QStyle>
#include <QUrl>

QString DialogNameFilters(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // The description usually repeats its patterns in parentheses; the
        // dialog reads the patterns from the last parentheses, so give it ours.
        if (description.endsWith(')') && description.lastIndexOf('(') > 0)
            description = description.left(description.lastIndexOf('(')).trimmed();
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == "*.*") pattern = "*";
        }
        filters << description + " (" + patterns.join(' ') + ")";
    }
    return filters.join(";;");
}

QString DialogDefaultSuffix(const QString& filter)
{
    const QStringList parts = filter.split('|');
    if (parts.size() < 2) return {};
    const QString pattern = parts[1].split(';').first().trimmed();
    if (!pattern.startsWith("*.")) return {};
    const QString suffix = pattern.mid(2);
    return suffix.contains('*') || suffix.contains('?') ? QString() : suffix;
}

QStringList DroppedFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files << QDir::toNativeSeparators(url.toLocalFile());
    return files;
}

TFilenameEditLabel::TFilenameEditLabel(QWidget* parent) : QLineEdit(parent), link_(new LabelLink(this, "  ", false))
{
    browse_ = addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    connect(browse_, &QAction::triggered, this, &TFilenameEditLabel::Browse);
    browseKeys_ << QKeySequence(Qt::Key_F4).toString(QKeySequence::NativeText)
                << QKeySequence(Qt::ALT | Qt::Key_Down).toString(QKeySequence::NativeText);
    UpdateBrowseToolTip();
    RunDialog = [](QFileDialog& dialog) {
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
    };
}

QStringList TFilenameEditLabel::ChosenFiles() const { return text() == choiceText_ ? chosenFiles_ : QStringList(); }

void TFilenameEditLabel::AddBrowseShortcut(const QKeySequence& key)
{
    auto* shortcut = new QShortcut(key, this, this, &TFilenameEditLabel::Browse, Qt::WindowShortcut);
    browseKeys_ << shortcut->key().toString(QKeySequence::NativeText);
    UpdateBrowseToolTip();
}

void TFilenameEditLabel::UpdateBrowseToolTip()
{
    QString keys = browseKeys_.first();
    for (qsizetype i = 1; i < browseKeys_.size(); ++i)
        keys += (i + 1 == browseKeys_.size() ? tr(" or ") : QStringLiteral(", ")) + browseKeys_[i];
    browse_->setToolTip(tr("Choose a file (%1)").arg(keys));
}

void TFilenameEditLabel::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_F4 && modifiers == Qt::NoModifier) ||
        (event->key() == Qt::Key_Down && modifiers == Qt::AltModifier)) {
        event->accept();
        Browse();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TFilenameEditLabel::Browse()
{
    QFileDialog dialog(window());
    if (saveDialog_) {
        // The writers give the name this extension anyway: adding it here lets
        // the dialog ask about the file that will really be replaced.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(DialogDefaultSuffix(filter_));
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !dialogAsks_);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(multiSelect_ ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    }
    const QString nameFilters = DialogNameFilters(filter_);
    if (!nameFilters.isEmpty()) dialog.setNameFilters(nameFilters.split(";;"));
    // A typed name whose folder exists opens the dialog there.
    const QString typed = text().trimmed().remove('"');
    const QFileInfo typedInfo(typed);
    if (!typed.isEmpty() && typedInfo.dir().exists() && typed.contains(QDir::separator())) {
        dialog.setDirectory(typedInfo.absolutePath());
        dialog.selectFile(typedInfo.fileName());
    } else {
        dialog.setDirectory(initialDir_);
        if (!typed.isEmpty() && !typed.contains(QDir::separator())) dialog.selectFile(typed);
    }
    const QStringList files = RunDialog(dialog);
    if (!files.isEmpty()) ApplyChoice(files);
}

void TFilenameEditLabel::ApplyChoice(const QStringList& files)
{
    if (files.isEmpty()) return;
    chosenFiles_ = multiSelect_ ? files : QStringList{files.first()};
    const QString first = QDir::toNativeSeparators(files.first());
    choiceText_ = first.contains(' ') ? '"' + first + '"' : first;
    setText(choiceText_);
    initialDir_ = QDir::toNativeSeparators(QFileInfo(first).absolutePath());
    emit Chosen(chosenFiles_);
}

void TFilenameEditLabel::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
    else QLineEdit::dragEnterEvent(event);
}

void TFilenameEditLabel::dropEvent(QDropEvent* event)
{
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) {
        QLineEdit::dropEvent(event);
        return;
    }
    ApplyChoice(files);
    event->acceptProposedAction();
}
