// SPDX-License-Identifier: GPL-3.0-or-later
// The command line as a plan of conversions (plan/conversion_plan.h), with
// the formats named by their command-line names, and the command's words for
// what stops a plan or one of its conversions.
#pragma once

#include <string>

#include "command/options.h"
#include "plan/conversion_plan.h"

class FormatCatalogue;

struct CommandPlan {
    ConversionPlan conversions;
    std::string usageError;  // one line with its hint, when nothing can run as the command stands
};

CommandPlan PlanCommand(const FormatCatalogue& catalogue, const ConvertOptions& options);

// Why the report cannot be written to `report`: an output of the plan goes
// to the same place, however either is named (a link, /proc/self/fd/1,
// standard output), or the name is one of the plan's (ClaimOf); empty when
// it can.
std::string ReportClash(const FormatCatalogue& catalogue, const ConversionPlan& plan, const std::string& report);

// Why a conversion of the plan is not run, naming the options that would help.
std::string RefusalText(const FormatCatalogue& catalogue, const JobRefusal& refusal);
