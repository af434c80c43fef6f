// SPDX-License-Identifier: GPL-3.0-or-later
// What a conversion lost or made up, in the command's words: one warning per
// kind of loss, from the values the conversion record keeps.
#pragma once

#include <string>
#include <vector>

#include "command/plan.h"
#include "core/conversion_record.h"

// The warnings of the conversion just run (points without time or given one,
// points left out, texts cut); empty when nothing was lost.
std::vector<std::string> LossWarnings(const ConversionJob& job, const WrittenCounts& written);

// Why a conversion that wrote nothing of what its output holds is refused
// (its files are not put in place); empty when something was written.
std::string NothingToWrite(const ConversionJob& job, const WrittenCounts& written);
