// SPDX-License-Identifier: GPL-3.0-or-later
// What became of each input of a command: the one line printed for it, the
// closing summary, and the JSON report (--report) written as the inputs go.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command/plan.h"
#include "core/convert/format_rows.h"

class FormatCatalogue;

// A message of a conversion that went on, or a loss: about `input` where
// several were read together, otherwise (empty) about the conversion.
struct Warning {
    std::string input;
    std::string text;
    friend bool operator==(const Warning&, const Warning&) = default;
};

struct JobOutcome {
    enum class State { Converted, NotConverted, Planned };
    State state = State::NotConverted;
    std::string reason;                // NotConverted: why
    std::vector<Warning> warnings;     // messages of a conversion that went on, and its losses
    std::vector<std::string> written;  // every file put in place (a plan: that it would write), in order
    WrittenCounts counts;
    bool dataLeftOut = false;
    std::vector<std::string> repairs;  // the repairs applied, in order ("shift +3h")
    std::vector<std::string> steps;    // what each shaping step did, one line each
};

// "IN -> OUT (N waypoints)", the same with "(dry run: nothing written)" for
// a plan, or "IN: not converted: reason".
std::string OutcomeLine(const FormatCatalogue& catalogue, const ConversionJob& job, const JobOutcome& outcome);

struct Tally {
    std::int64_t converted = 0, notConverted = 0, dataLeftOut = 0, skipped = 0, unreadable = 0;
    void Add(const JobOutcome& outcome);
    // "2,108 converted, 8 not converted, 3 with data left out, 12 skipped, 1
    // folder not read"; a plan says "would be converted".
    std::string Summary(bool planned) const;
};

class ReportFile;

// The report, written piece by piece and put in place whole by Finish, or by
// a signal that ends the command (then "interrupted" is true). The
// conversions do not depend on it: a write that fails ends the report alone
// (its temporary file goes), and Failure says why.
class JsonReport {
public:
    // Made before the plan, so that a run interrupted while it plans still
    // writes it. Raises FileError when it cannot be written where it is named.
    JsonReport(const std::string& path, const ConvertOptions& options, const std::vector<std::string>& inputs);
    ~JsonReport();
    // What the folders held besides the inputs; before the first Add.
    void Begin(const ConversionPlan& plan);
    void Add(const FormatCatalogue& catalogue, const ConversionJob& job, const JobOutcome& outcome, const Tally& tally);
    // "interrupted": a signal stopped the run in order.
    void Finish(const Tally& tally, bool interrupted);
    // The first write that failed: "FILE: reason".
    const std::optional<std::string>& Failure() const { return failure_; }

private:
    std::string Ending(const Tally& tally, bool interrupted) const;
    template <typename Write>
    void Try(Write write);
    std::unique_ptr<ReportFile> file_;
    std::optional<std::string> failure_;
    bool begun_ = false;
    bool first_ = true;
};
