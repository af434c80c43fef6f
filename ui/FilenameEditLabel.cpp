#include "ui/FilenameEditLabel.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
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

QStringList DroppedFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files << QDir::toNativeSeparators(url.toLocalFile());
    return files;
}

TFilenameEditLabel::TFilenameEditLabel(QWidget* parent)
    : QLineEdit(parent), link_(new LabelLink(this, "  ", false))
{
    QAction* browse = addAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QLineEdit::TrailingPosition);
    browse->setToolTip(tr("Browse"));
    connect(browse, &QAction::triggered, this, &TFilenameEditLabel::Browse);
    RunDialog = [](QFileDialog& dialog) {
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
    };
}

QStringList TFilenameEditLabel::ChosenFiles() const
{
    return text() == choiceText_ ? chosenFiles_ : QStringList();
}

void TFilenameEditLabel::Browse()
{
    QFileDialog dialog(window());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(multiSelect_ ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
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
