// SPDX-License-Identifier: GPL-3.0-or-later
// What a reader or a writer refused to take, cut, skipped or assumed, as
// values beside the document: the window's messages and count line, the
// command's warnings, its report and --strict are all made from these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class FindingKind : std::uint8_t {
    Notice,     // told, nothing left out (a newer file version read as a known one)
    Damaged,    // the input is damaged: what came before the damage was read
    Truncated,  // the input ends inside a record: what came before it was read
    Cut,        // a capacity (of the product or of the output's format) left data out
    Unusable,   // points without a usable position left out
    Undated,    // points with a time of day and no date
    Stamped,    // points without a time given the time of conversion, which a format needs
    Skipped,    // records or sentences that could not be read, left out
    Reduced,    // texts or values the output cannot hold whole, shortened or dropped
};

struct Finding {
    FindingKind kind = FindingKind::Notice;
    // One line, as the user reads it; for Unusable and Undated the remark of
    // the count line, for the others the text of a message.
    std::string message;
    std::int64_t count = 0;  // of points, records or texts, where it counts any
    // The input it comes from where several are read together; empty: the
    // conversion as a whole (or its only input).
    std::string source{};

    // True when data of the input is missing from the output, or made up in it.
    bool LeavesDataOut() const { return kind != FindingKind::Notice; }
    friend bool operator==(const Finding&, const Finding&) = default;
};

class Findings {
public:
    // Adds a finding; one of the same kind, message and source counts on instead.
    void Add(FindingKind kind, std::string message, std::int64_t count = 0, std::string source = {});
    void Add(const Finding& finding) { Add(finding.kind, finding.message, finding.count, finding.source); }
    // Each finding without a source gets this one.
    void Attribute(const std::string& source);
    void Add(const Findings& other);
    const std::vector<Finding>& All() const { return items_; }
    bool Empty() const { return items_.empty(); }
    bool LeaveDataOut() const;
    // The count of one kind, over every message.
    std::int64_t CountOf(FindingKind kind) const;
    bool Has(FindingKind kind) const { return CountOf(kind) > 0 || Holds(kind); }
    void Remove(FindingKind kind);

private:
    bool Holds(FindingKind kind) const;
    std::vector<Finding> items_;
};
