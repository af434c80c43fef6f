// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/CardPlan.h"

#include "core/convert/catalogue.h"

namespace {
QString Captions(const FormatCatalogue& catalogue, const std::vector<int>& rows)
{
    QString text;
    for (std::size_t i = 0; i < rows.size(); ++i)
        text += QString(i == 0                 ? ""
                        : i + 1 == rows.size() ? " or "
                                               : ", ") +
                QString::fromStdString(catalogue.Inputs()[rows[i]].DisplayName);
    return text;
}

QString Text(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

QString RefusalInWords(const FormatCatalogue& catalogue, const JobRefusal& refusal)
{
    const QString whose = refusal.input.empty() ? QString() : Text(refusal.input) + ": ";
    switch (refusal.kind) {
    case JobRefusal::Kind::FormatUntold: return whose + "cannot tell its format from its content";
    case JobRefusal::Kind::FormatUncertain:
        return whose + "cannot tell its format: it may be " + Captions(catalogue, refusal.candidates);
    case JobRefusal::Kind::OutputKept: return "its output " + Text(refusal.name) + " exists already and is kept";
    case JobRefusal::Kind::Said: return Text(refusal.text);
    case JobRefusal::Kind::None: break;
    }
    return {};
}

QString ProblemInWords(const FormatCatalogue& catalogue, const PlanProblem& problem)
{
    switch (problem.kind) {
    case PlanProblem::Kind::OutputFormatUntold:
    case PlanProblem::Kind::NoOutputFormat: return "Output File Format not Selected";
    case PlanProblem::Kind::OutputNotAFolder:
        return "The files of a folder go into a folder, and " + Text(problem.name) + " is not one";
    case PlanProblem::Kind::GivenTwice: return Text(problem.name) + " is chosen twice";
    case PlanProblem::Kind::FilePerTrackIntoDevice:
        return Text(catalogue.Outputs()[problem.position].DisplayName) +
               " writes a file per track and cannot write into " + Text(problem.name) + ": name a file";
    case PlanProblem::Kind::None: break;
    }
    return {};
}

QString CardSummary(const CardCounts& counts)
{
    QString text = QString("%1 converted").arg(counts.converted);
    if (!counts.notConverted.isEmpty()) text += QString(", %1 not converted").arg(counts.notConverted.size());
    if (counts.dataLeftOut > 0) text += QString(", %1 with data left out").arg(counts.dataLeftOut);
    if (counts.skipped > 0) text += QString(", %1 skipped").arg(counts.skipped);
    if (!counts.notConverted.isEmpty()) text += ": " + counts.notConverted.join("; ");
    return text;
}
