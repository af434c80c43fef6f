// SPDX-License-Identifier: GPL-3.0-or-later
// A change made to the document between reading and writing: a repair of
// what the inputs got wrong, or a shaping step the user chose. The steps of a
// conversion run in the order given, each on the result of the one before.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/document/document.h"
#include "core/document/findings.h"

struct StepReport {
    // What the step did, in one line for the pane, the command and the report
    // ("simplify 5 m: 86,412 -> 3,904 points").
    std::string line;
    // What it left out or made up, counted as a reader's or a writer's findings are.
    Findings findings;
    // Kinds of the readers' findings the step made good (a date given to
    // times of day without one): the conversion drops them.
    std::vector<FindingKind> settled{};
};

class DocumentStep {
public:
    virtual ~DocumentStep() = default;
    // The step and its parameters as the user gave them ("simplify 5 m").
    virtual std::string Name() const = 0;
    virtual StepReport Apply(Document& document) const = 0;
    // A check that warns and changes nothing (whether times look 1024 weeks
    // early): no repair, no step the user chose.
    virtual bool OnlyLooks() const { return false; }
};

using DocumentSteps = std::vector<std::shared_ptr<const DocumentStep>>;

// Some step may change the document: a repair, or a step the user chose.
inline bool AnyStepChanges(const DocumentSteps& steps)
{
    for (const auto& step : steps)
        if (!step->OnlyLooks()) return true;
    return false;
}
