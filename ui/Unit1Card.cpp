// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's conversion of a whole card: every file of a folder (or
// every file chosen, into an output folder) on its own, as the command's
// --each does, one after the other on the conversion's thread.
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>

#include "core/catalogue.h"
#include "core/convert.h"
#include "core/file_names.h"
#include "ui/CardPlan.h"
#include "ui/ConversionRunner.h"
#include "ui/DataView.h"
#include "ui/FilenameEditLabel.h"
#include "ui/Unit1.h"

namespace {
QString Folder(const QString& typed)
{
    const QString name = QString::fromStdString(StripQuotes(typed.toStdString()));
    return !name.isEmpty() && QFileInfo(name).isDir() ? name : QString();
}
}  // namespace

bool TfmMain::CardChosen()
{
    QStringList chosen = cInputFile->ChosenFiles();
    if (chosen.isEmpty()) chosen = {FirstInputFile()};
    const bool folderIn =
        std::any_of(chosen.begin(), chosen.end(), [](const QString& f) { return QFileInfo(f).isDir(); });
    return folderIn || !Folder(cOutPutFile->text()).isEmpty();
}

// Several files, or a folder, show as a list: each with the format found for it.
void TfmMain::ListChosenFiles()
{
    const std::vector<CardFile> plan =
        PlanCard(CardFiles(cInputFile->ChosenFiles()), Folder(cOutPutFile->text()), OutputPosition());
    ClearLines();
    AddLine(QString("%1 files chosen:").arg(plan.size()).toStdString());
    for (const CardFile& file : plan)
        AddLine((QFileInfo(file.file).fileName() + " - " +
                 (IsInputPosition(file.position) ? QString::fromStdString(InputFormats[file.position].DisplayName)
                                                 : QString("format not known")))
                    .toStdString());
}

void TfmMain::StartCard()
{
    QStringList chosen = cInputFile->ChosenFiles();
    if (chosen.isEmpty()) chosen = {FirstInputFile()};
    if (!IsOutputPosition(OutputPosition())) {
        ShowMessage("Output File Format not Selected");
        return;
    }
    card_ = PlanCard(CardFiles(chosen), Folder(cOutPutFile->text()), OutputPosition());
    if (card_.empty()) {
        ShowMessage("The folder holds no files to convert");
        return;
    }
    QStringList existing;
    for (const CardFile& file : card_)
        if (file.refusal.isEmpty() && QFileInfo::exists(file.output))
            existing << QDir::toNativeSeparators(QFileInfo(file.output).absoluteFilePath());
    approved_.clear();
    ClearLines();
    if (!existing.isEmpty()) {
        if (!AskReplace(existing)) {
            AddLine("Written: nothing - the existing files were kept");
            return;
        }
        approved_ = existing;
    }
    written_.clear();
    bOpenFolder->setEnabled(false);
    cView->ClearOutputs();
    cView->StopReading();
    cardNext_ = 0;
    cardConverted_ = 0;
    cardNotConverted_.clear();
    cardRunning_ = converting_ = true;
    bConvert->setText("&Stop");
    cardProgress_->setRange(0, static_cast<int>(card_.size()));
    cardProgress_->setValue(0);
    cardProgress_->show();
    NextCardFile();
}

void TfmMain::NextCardFile()
{
    for (; cardNext_ < card_.size(); ++cardNext_) {
        const CardFile& file = card_[cardNext_];
        cardProgress_->setValue(static_cast<int>(cardNext_));
        QString refusal = file.refusal;
        ConversionRequest request;
        request.inputs = {{file.file.toStdString(), file.position}};
        request.output = file.output.toStdString();
        request.outputPosition = OutputPosition();
        AddRepairs(request);
        if (refusal.isEmpty()) refusal = QString::fromStdString(CheckChoices(request));
        if (refusal.isEmpty()) {
            AddLine(QString("%1 of %2: %3").arg(cardNext_ + 1).arg(card_.size()).arg(file.file).toStdString());
            runner_->Start(std::move(request));
            return;
        }
        AddLine((file.file + ": not converted - " + refusal).toStdString());
        cardNotConverted_ << QFileInfo(file.file).fileName() + " (" + refusal + ")";
    }
    FinishCard(false);
}

void TfmMain::CardFileDone(const ConversionOutcome& outcome, bool stopped)
{
    if (stopped) {
        FinishCard(true);
        return;
    }
    const CardFile& file = card_[cardNext_];
    if (outcome.Succeeded()) ++cardConverted_;
    else {
        const QString reason = outcome.state == ConversionOutcome::State::ExistingKept
                                   ? QString("it would replace a file not named in the question")
                                   : QString::fromStdString(outcome.reason);
        AddLine((file.file + ": not converted - " + reason).toStdString());
        cardNotConverted_ << QFileInfo(file.file).fileName() + " (" + reason + ")";
    }
    ++cardNext_;
    NextCardFile();
}

void TfmMain::FinishCard(bool stopped)
{
    cardRunning_ = converting_ = false;
    bConvert->setText("&Convert");
    cardProgress_->hide();
    const QString summary = CardSummary(cardConverted_, cardNotConverted_);
    AddLine((stopped ? "Stopped - " + summary + "; the rest was not converted" : summary).toStdString());
    cView->ConversionDone(OutputPosition());
    bOpenFolder->setEnabled(!written_.isEmpty());
    emit ConversionEnded();
}
