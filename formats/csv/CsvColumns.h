// SPDX-License-Identifier: GPL-3.0-or-later
// What the columns of a CSV file hold, told from its header line: the
// columns this product writes, or those other programs name latitude,
// longitude, elevation, time, name and description in their own spellings;
// and how its fields are separated and quoted.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CsvColumns {
    static constexpr int kNone = -1;
    char separator = ',';
    int latitude = kNone, longitude = kNone, elevation = kNone, time = kNone, date = kNone;
    int name = kNone, description = kNone, comment = kNone, symbol = kNone, link = kNone;
    // What sensors measured beside the receiver.
    int depth = kNone, temperature = kNone, heartRate = kNone, cadence = kNone;
    double metresPerUnit = 1;  // of the elevation column (feet where its header says so)
    // The header this product writes, with its kind, group and section columns.
    bool ours = false;
    int kind = kNone, track = kNone, route = kNone, section = kNone, trackIndex = kNone, routeIndex = kNone;
    // A comma inside a number is its decimal point (a separator other than the comma).
    bool DecimalComma() const { return separator != ','; }
};

// The columns of a header line (a byte-order mark before it aside), with
// the separator (comma, semicolon or tab) under which it names a latitude
// and a longitude column; nothing when it names none.
std::optional<CsvColumns> CsvHeader(std::string_view line);

// The fields of a record, fed a line at a time: a quoted field may hold the
// separator, doubled quotes and line breaks, so that its record goes on on
// the next line.
class CsvRecord {
public:
    explicit CsvRecord(char separator) : separator_(separator) {}
    // True when the record is whole: no quoted field is open at the line's
    // end. `lineBreak`: what ended the line before, which a field open over it holds.
    bool Feed(std::string_view line, std::string_view lineBreak = "\n");
    // The fields of the record fed (valid until the next is fed), and its bytes so far.
    const std::vector<std::string>& Fields() const { return fields_; }
    std::size_t Bytes() const { return bytes_; }
    void Clear();

private:
    char separator_;
    std::vector<std::string> fields_;
    std::string field_;
    bool quoted_ = false, open_ = false;
    std::size_t bytes_ = 0;
};
