// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/losses.h"

#include "command/json_text.h"
#include "core/convert/catalogue.h"
#include "core/convert/empty_output.h"
#include "core/convert/format_rows.h"

namespace {
std::string Counted(std::int64_t n, const char* one, const char* many)
{
    return Grouped(n) + " " + (n == 1 ? one : many);
}
}  // namespace

std::vector<Warning> LossWarnings(const FormatCatalogue& catalogue, const ConversionJob& job,
                                  const ConversionOutcome& outcome)
{
    const OutputFormatRow& output = catalogue.OutputRow(job.outputPosition);
    std::vector<Warning> warnings;
    for (const Finding& f : outcome.findings.All()) {
        const auto warn = [&](std::string text) { warnings.push_back({f.source, std::move(text)}); };
        switch (f.kind) {
        case FindingKind::Undated:
            warn(Counted(f.count, "track point was", "track points were") +
                 (output.datesUndatedToday ? " dated today" : " written without times") +
                 ": the input gives times of day but no date (--date gives their date)");
            break;
        case FindingKind::Stamped:
            warn(Counted(f.count, "point was", "points were") + " given the time of conversion: the input gives " +
                 (f.count == 1 ? "it" : "them") + " no time (--date gives a date)");
            break;
        case FindingKind::Unusable:
            warn(Counted(f.count, "point", "points") + " without a usable position " + (f.count == 1 ? "was" : "were") +
                 " left out");
            break;
        case FindingKind::Reduced:
            warn(!f.message.empty()
                     ? f.message
                     : Counted(f.count, "text was", "texts were") + " cut to the length the output format holds");
            break;
        case FindingKind::Skipped:
            if (!f.message.empty()) warn(f.message);
            break;
        default: break;  // told by the conversion's own messages
        }
    }
    return warnings;
}
