// SPDX-License-Identifier: GPL-3.0-or-later
#include "plan/job_request.h"

#include "core/convert/catalogue.h"
#include "core/convert/format_rows.h"

JobRequest RequestFor(const FormatCatalogue& catalogue, const ConversionJob& job, const ConversionSettings& settings)
{
    JobRequest made;
    ConversionRequest& request = made.request;
    for (std::size_t i = 0; i < job.inputs.size(); ++i)
        request.inputs.push_back({job.inputs[i], i < job.inputPositions.size() ? job.inputPositions[i] : -1});
    request.output = job.output;
    request.outputPosition = job.outputPosition;
    request.exactNames = true;
    request.neverReplace = settings.neverReplace;
    request.refuseNothingToWrite = true;
    request.steps = TimeRepairSteps(settings.repairs);
    made.repairSteps = request.steps.size();
    request.rawTexts = settings.rawTexts;
    request.codePage = settings.codePage;
    if (catalogue.IsOutput(job.outputPosition)) {
        const OutputFormatRow& row = catalogue.OutputRow(job.outputPosition);
        StepContext context;
        context.capacity = {row.trackPointCapacity, row.routePointCapacity};
        context.dayOffset = settings.dayOffset;
        made.stepError = AppendSteps(settings.steps, context, request.steps);
    }
    return made;
}
