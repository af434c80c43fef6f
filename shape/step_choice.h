// SPDX-License-Identifier: GPL-3.0-or-later
// A shaping step as the user chose it, by its option's name and value
// ("simplify", "5m"), the way the command line and the window's settings
// keep it, and the step made of it.
#pragma once

#include <string>
#include <vector>

#include "core/document/document_step.h"
#include "shape/shape_steps.h"

struct StepChoice {
    std::string option;  // the long option's name: "split-gap", "merge", "fit" ...
    std::string value;   // as typed; empty for an option without one
    friend bool operator==(const StepChoice&, const StepChoice&) = default;
};

// What a step is made with besides its choice: the output's capacity (for
// fit) and the day boundary (for split by day, UTC's by default).
struct StepContext {
    OutputCapacity capacity{};
    UtcOffsetAt dayOffset = UtcDays();
};

struct MadeStep {
    StepPointer step;   // none when the choice is wrong
    std::string error;  // why, in one line ("option '--simplify' needs a length such as 5m, not 'x'")
    std::string need;   // the same without the option, for a front end that names the step its own way
};
MadeStep MakeStep(const StepChoice& choice, const StepContext& context = {});
// True for the names of the shaping options.
bool IsStepOption(const std::string& option);
// Appends the steps of the choices, in order, to `steps`; the first error, or empty.
std::string AppendSteps(const std::vector<StepChoice>& choices, const StepContext& context, DocumentSteps& steps);
