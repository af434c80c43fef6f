// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's conversion of a whole card: every file of a folder (or
// every file chosen, into an output folder) on its own, planned as the
// command's --each plans it, one after the other on the conversion's thread.
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/io/file_names.h"
#include "ui/panels/FilenameEditLabel.h"
#include "ui/view/DataView.h"
#include "ui/window/CardPlan.h"
#include "ui/window/ConversionRunner.h"
#include "ui/window/Unit1.h"

namespace {
QString Folder(const QString& typed)
{
    const QString name = QString::fromStdString(StripQuotes(typed.toStdString()));
    return !name.isEmpty() && QFileInfo(name).isDir() ? name : QString();
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The files there that the card's conversions would replace: each output and
// the file beside it (routes beside waypoints). Numbered track files are not
// known before reading, and one the question did not name is kept.
QStringList ExistingOutputs(const FormatCatalogue& catalogue, const ConversionPlan& plan)
{
    QStringList existing;
    for (const ConversionJob& job : plan.jobs) {
        if (job.refusal.Refused()) continue;
        std::vector<std::string> names = {job.output};
        for (const DerivedName& derived : DerivedNames(catalogue, job.output, job.outputPosition))
            if (!derived.numbered) names.push_back(derived.name);
        for (const std::string& name : names)
            if (QFileInfo::exists(Text(name)))
                existing << QDir::toNativeSeparators(QFileInfo(Text(name)).absoluteFilePath());
    }
    return existing;
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

// The files chosen (a folder standing for its files, not its subfolders),
// each into the output folder, or beside it when the field names none.
ConversionPlan TfmMain::PlanCardAsked(int outputPosition)
{
    QStringList chosen = cInputFile->ChosenFiles();
    if (chosen.isEmpty()) chosen = {FirstInputFile()};
    PlanRequest ask;
    for (const QString& file : chosen) ask.inputs.push_back(file.toStdString());
    ask.output = Folder(cOutPutFile->text()).toStdString();
    ask.outputPosition = outputPosition;
    ask.each = true;
    return PlanConversions(catalogue_, ask);
}

// Several files, or a folder, show as a list: each with the format found for it.
void TfmMain::ListChosenFiles()
{
    // Without an output chosen yet, each file is told as an output of everything would take it.
    int output = OutputPosition();
    for (const FileType_Record& row : catalogue_.Outputs())
        if (!catalogue_.IsOutput(output) && row.Kind == FormatKind::Everything) output = row.Position;
    const ConversionPlan plan = PlanCardAsked(output);
    ClearLines();
    AddLine(QString("%1 files chosen:").arg(plan.jobs.size()).toStdString());
    for (const ConversionJob& job : plan.jobs)
        AddLine((QFileInfo(Text(job.inputs.front())).fileName() + " - " +
                 (catalogue_.IsInput(job.inputPosition) ? Text(catalogue_.Inputs()[job.inputPosition].DisplayName)
                                                        : QString("format not known")))
                    .toStdString());
}

void TfmMain::StartCard()
{
    if (!catalogue_.IsOutput(OutputPosition())) {
        ShowMessage("Output File Format not Selected");
        return;
    }
    ConversionPlan plan = PlanCardAsked(OutputPosition());
    if (plan.problem.kind != PlanProblem::Kind::None) {
        ShowMessage(ProblemInWords(catalogue_, plan.problem).toStdString());
        return;
    }
    if (plan.jobs.empty()) {
        ShowMessage("The folder holds no files to convert");
        return;
    }
    const QStringList existing = ExistingOutputs(catalogue_, plan);
    approved_.clear();
    ClearLines();
    if (!existing.isEmpty()) {
        if (!AskReplace(existing)) {
            AddLine("Written: nothing - the existing files were kept");
            return;
        }
        approved_ = existing;
    }
    card_ = std::move(plan.jobs);
    written_.clear();
    bOpenFolder->setEnabled(false);
    cView->ClearOutputs();
    cView->StopReading();
    cardNext_ = 0;
    cardCounts_ = {.skipped = static_cast<int>(plan.skipped.size())};
    cardRunning_ = converting_ = true;
    bConvert->setText("&Stop");
    cardProgress_->setRange(0, static_cast<int>(card_.size()));
    cardProgress_->setValue(0);
    cardProgress_->show();
    NextCardFile();
}

void TfmMain::NextCardFile()
{
    const ConversionSettings settings = Settings();
    for (; cardNext_ < card_.size(); ++cardNext_) {
        const ConversionJob& job = card_[cardNext_];
        const QString file = Text(job.inputs.front());
        cardProgress_->setValue(static_cast<int>(cardNext_));
        QString refusal = RefusalInWords(catalogue_, job.refusal);
        JobRequest made;
        if (refusal.isEmpty()) {
            made = RequestFor(catalogue_, job, settings);
            refusal = Text(!made.stepError.empty() ? made.stepError : CheckChoices(catalogue_, made.request));
        }
        if (refusal.isEmpty()) {
            // Each file's lines stay in the pane, under a heading of their own.
            if (cardNext_ > 0) AddLine("");
            AddLine(QString("%1 of %2: %3").arg(cardNext_ + 1).arg(card_.size()).arg(file).toStdString());
            runner_->Start(std::move(made.request));
            return;
        }
        AddLine((file + ": not converted - " + refusal).toStdString());
        cardCounts_.notConverted << QFileInfo(file).fileName() + " (" + refusal + ")";
    }
    FinishCard(false);
}

void TfmMain::CardFileDone(const ConversionOutcome& outcome, bool stopped)
{
    if (stopped) {
        FinishCard(true);
        return;
    }
    const QString file = Text(card_[cardNext_].inputs.front());
    if (outcome.Succeeded()) {
        ++cardCounts_.converted;
        if (outcome.DataLeftOut()) ++cardCounts_.dataLeftOut;
    } else {
        const QString reason = outcome.state == ConversionOutcome::State::ExistingKept
                                   ? QString("it would replace a file not named in the question")
                                   : Text(outcome.reason);
        AddLine((file + ": not converted - " + reason).toStdString());
        cardCounts_.notConverted << QFileInfo(file).fileName() + " (" + reason + ")";
    }
    ++cardNext_;
    NextCardFile();
}

void TfmMain::FinishCard(bool stopped)
{
    cardRunning_ = converting_ = false;
    bConvert->setText("&Convert");
    cardProgress_->hide();
    const QString summary = CardSummary(cardCounts_);
    AddLine("");
    AddLine((stopped ? "Stopped - " + summary + "; the rest was not converted" : summary).toStdString());
    cView->ConversionDone(OutputPosition());
    bOpenFolder->setEnabled(!written_.isEmpty());
    emit ConversionEnded();
}
