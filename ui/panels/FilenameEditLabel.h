// SPDX-License-Identifier: GPL-3.0-or-later
// TFilenameEditLabel: a single-line file-name field with a browse button that
// opens the file dialog (also on F4 or Alt+Down), and a caption label beside it.
#pragma once

#include <QLineEdit>
#include <QStringList>
#include <functional>

#include "ui/panels/LabelLink.h"

class QAction;
class QFileDialog;
class QKeySequence;

// "description|pattern[|description|pattern...]" in the dialog's own form;
// "*.*" means every file, as it does where the filters come from.
QString DialogNameFilters(const QString& filter);
// The extension of the filter's first pattern ("wpt" for "*.wpt"), or none
// when it matches every file.
QString DialogDefaultSuffix(const QString& filter);

class TFilenameEditLabel : public QLineEdit {
    Q_OBJECT
public:
    explicit TFilenameEditLabel(QWidget* parent = nullptr);

    QString LabelCaption() const { return link_->Caption(); }
    void SetLabelCaption(const QString& caption) { link_->SetCaption(caption); }
    TLabelAlignment LabelAlignment() const { return link_->Alignment(); }
    void SetLabelAlignment(TLabelAlignment alignment) { link_->SetAlignment(alignment); }
    int Gap() const { return link_->Gap(); }
    void SetGap(int gap) { link_->SetGap(gap); }
    TchangeLabel* Label() const { return link_->Label(); }

    QString Filter() const { return filter_; }
    void SetFilter(const QString& filter) { filter_ = filter; }
    QString InitialDir() const { return initialDir_; }
    void SetInitialDir(const QString& folder) { initialDir_ = folder; }
    // Several files at once, existing files only (the input side).
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool on) { multiSelect_ = on; }
    // A Save dialog, which asks before replacing a file (the output side).
    bool SaveDialog() const { return saveDialog_; }
    void SetSaveDialog(bool on) { saveDialog_ = on; }
    // Off when the owner asks itself, about every file it will replace.
    bool DialogAsksBeforeReplacing() const { return dialogAsks_; }
    void SetDialogAsksBeforeReplacing(bool on) { dialogAsks_ = on; }

    QAction* BrowseAction() const { return browse_; }
    // One more key, anywhere in the window, that opens this field's dialog.
    void AddBrowseShortcut(const QKeySequence& key);

    // Every file of the last dialog choice (or drop) while the field still
    // shows it; empty once another name has been typed or pasted.
    QStringList ChosenFiles() const;

    // Opens the file dialog and applies the choice.
    void Browse();
    // What a choice does: the field shows the first file (quoted when it holds
    // a blank) and the dialog's folder follows it.
    void ApplyChoice(const QStringList& files);

    // Runs the prepared dialog and returns the chosen files (none = cancelled);
    // tests replace it.
    std::function<QStringList(QFileDialog&)> RunDialog;

signals:
    // A choice was applied: from the dialog, a drop or the owner.
    void Chosen(const QStringList& files);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void UpdateBrowseToolTip();

    LabelLink* link_;
    QAction* browse_;
    QStringList browseKeys_;
    QString filter_;
    QString initialDir_;
    bool multiSelect_ = false;
    bool saveDialog_ = false;
    bool dialogAsks_ = true;
    QStringList chosenFiles_;
    QString choiceText_;
};

// The local files a drag carries, or none.
QStringList DroppedFiles(const class QMimeData* data);
