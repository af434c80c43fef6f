// SPDX-License-Identifier: GPL-3.0-or-later
// The request each conversion of a plan runs with, made the same way for the
// command and the window from the job and the settings the user chose.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/convert/convert.h"
#include "plan/conversion_plan.h"
#include "repair/time_repairs.h"
#include "shape/step_choice.h"

class FormatCatalogue;

// What every conversion is run with besides its files: the repairs of
// times, the shaping steps, the code page, and how outputs are written.
struct ConversionSettings {
    TimeRepairs repairs;
    std::vector<StepChoice> steps;  // in the order the user chose them
    // The day boundary of a split by day: UTC's days unless a zone is shown.
    UtcOffsetAt dayOffset = UtcDays();
    std::string codePage{kAutomaticCodePage};
    bool rawTexts = false;
    bool neverReplace = false;
};

struct JobRequest {
    ConversionRequest request;
    std::size_t repairSteps = 0;  // the first steps of the request are the repairs'
    std::string stepError;        // why a shaping step cannot be made; such a request is not run
};

// The job's inputs in their formats, its output written under exactly its
// name, the repairs first and then the shaping steps (fitted to the output's
// capacity); an output that would hold nothing of what it takes is refused,
// so that it never replaces a file.
JobRequest RequestFor(const FormatCatalogue& catalogue, const ConversionJob& job, const ConversionSettings& settings);
