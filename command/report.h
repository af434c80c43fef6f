// SPDX-License-Identifier: GPL-3.0-or-later
// What became of each input of a command: the one line printed for it, the
// closing summary, and the JSON report (--report) written as the inputs go.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "command/plan.h"
#include "core/conversion_record.h"

struct JobOutcome {
    enum class State { Converted, NotConverted, Planned };
    State state = State::NotConverted;
    std::string reason;                 // NotConverted: why
    std::vector<std::string> warnings;  // messages of a conversion that went on
    std::vector<std::string> written;   // every file put in place, in order
    WrittenCounts counts;
    bool dataLeftOut = false;
};

// "IN -> OUT (N waypoints)", "IN (nmea) -> OUT (kes-plt)" for a plan, or
// "IN: not converted: reason".
std::string OutcomeLine(const ConversionJob& job, const JobOutcome& outcome);

struct Tally {
    std::int64_t converted = 0, notConverted = 0, dataLeftOut = 0;
    void Add(const JobOutcome& outcome);
    // "2,108 converted, 8 not converted, 3 with data left out"; a plan says
    // "would be converted".
    std::string Summary(bool planned) const;
};

class SafeFileWriter;

// The report, written piece by piece beside its name and put in place whole
// by Finish (a FileError when it cannot be).
class JsonReport {
public:
    explicit JsonReport(const std::string& path);
    ~JsonReport();
    void Add(const ConversionJob& job, const JobOutcome& outcome);
    void Finish(const Tally& tally);

private:
    std::unique_ptr<SafeFileWriter> file_;
    bool first_ = true;
};
