// SPDX-License-Identifier: GPL-3.0-or-later
// What a conversion lost or made up, in the command's words: one warning per
// kind of loss, from the findings of the conversion's outcome.
#pragma once

#include <string>
#include <vector>

#include "command/plan.h"
#include "command/report.h"
#include "core/convert/convert.h"

class FormatCatalogue;

// The warnings of the conversion's losses that its messages do not tell
// (points without time or given one, points left out, texts cut, records
// skipped); empty when nothing was lost.
std::vector<Warning> LossWarnings(const FormatCatalogue& catalogue, const ConversionJob& job,
                                  const ConversionOutcome& outcome);
