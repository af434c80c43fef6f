// SPDX-License-Identifier: GPL-3.0-or-later
// The window's words for what the plan of a conversion refuses (the plan is
// the command's: plan/conversion_plan.h), and the summary of a whole card
// converted, each file on its own into the output folder.
#pragma once

#include <QString>
#include <QStringList>

#include "plan/conversion_plan.h"

// Why a conversion of the plan is not run, the formats named by their captions.
QString RefusalInWords(const FormatCatalogue& catalogue, const JobRefusal& refusal);
// Why nothing of the plan can run as the fields stand.
QString ProblemInWords(const FormatCatalogue& catalogue, const PlanProblem& problem);

// What became of a card, counted as the command counts it: "41 converted, 2
// not converted, 3 with data left out, 1 skipped: a.txt (why); b.dat (why)".
struct CardCounts {
    int converted = 0;
    QStringList notConverted{};  // "name (why)"
    int dataLeftOut = 0;
    int skipped = 0;
};
QString CardSummary(const CardCounts& counts);
