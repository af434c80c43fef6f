// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/csv/CsvColumns.h"

#include <algorithm>
#include <array>

#include "core/text/text_fields.h"

namespace {
constexpr std::string_view kOurHeader =
    "type,track,route,section,lat,lon,ele_m,time,name,desc,sym,cmt,track_index,route_index";
constexpr double kMetresPerFoot = 0.3048;

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; });
    return lower;
}

// A header's word without a unit after it ("ele Ft", "alt (m)", "ele_m"),
// and the metres of that unit.
std::string WithoutUnit(std::string name, double& metresPerUnit)
{
    metresPerUnit = 1;
    for (const auto& [unit, metres] : std::array<std::pair<std::string_view, double>, 6>{
             {{"ft", kMetresPerFoot}, {"feet", kMetresPerFoot}, {"m", 1}, {"meters", 1}, {"metres", 1}, {"msl", 1}}})
        for (const std::string_view form : {" ", "_", " (", "(", " [", "["}) {
            std::string suffix = std::string(form) + std::string(unit);
            if (form.back() == '(') suffix += ')';
            if (form.back() == '[') suffix += ']';
            if (name.size() > suffix.size() && name.ends_with(suffix)) {
                metresPerUnit = metres;
                return name.substr(0, name.size() - suffix.size());
            }
        }
    return name;
}

bool OneOf(std::string_view word, std::initializer_list<std::string_view> spellings)
{
    return std::find(spellings.begin(), spellings.end(), word) != spellings.end();
}

void Name(CsvColumns& c, std::string_view header, int at)
{
    double metres = 1;
    const std::string word = WithoutUnit(Lower(TrimSpaces(header)), metres);
    const auto set = [at](int& column) {
        if (column == CsvColumns::kNone) column = at;
    };
    if (OneOf(word, {"lat", "latitude"})) set(c.latitude);
    else if (OneOf(word, {"lon", "lng", "long", "longitude"})) set(c.longitude);
    else if (OneOf(word, {"ele", "elevation", "alt", "altitude"})) {
        set(c.elevation);
        if (c.elevation == at) c.metresPerUnit = metres;
    } else if (OneOf(word, {"time", "datetime", "date_time", "date time", "timestamp"})) set(c.time);
    else if (word == "date") set(c.date);
    else if (word == "name") set(c.name);
    else if (OneOf(word, {"desc", "description"})) set(c.description);
    else if (OneOf(word, {"cmt", "comment"})) set(c.comment);
    else if (OneOf(word, {"sym", "symbol"})) set(c.symbol);
    else if (OneOf(word, {"url", "link"})) set(c.link);
    else if (word == "depth") set(c.depth);
    else if (OneOf(word, {"temp", "temperature"})) set(c.temperature);
    else if (OneOf(word, {"heart", "heartrate", "heart rate", "hr"})) set(c.heartRate);
    else if (OneOf(word, {"cad", "caden", "cadence"})) set(c.cadence);
}

std::optional<CsvColumns> ColumnsUnder(std::string_view line, char separator)
{
    CsvRecord record(separator);
    record.Feed(line);
    const std::vector<std::string>& fields = record.Fields();
    CsvColumns c;
    c.separator = separator;
    for (std::size_t at = 0; at < fields.size(); ++at) Name(c, fields[at], static_cast<int>(at));
    if (c.latitude == CsvColumns::kNone || c.longitude == CsvColumns::kNone) return std::nullopt;
    // A comment beside no description is the description.
    if (c.description == CsvColumns::kNone && c.comment != CsvColumns::kNone) std::swap(c.description, c.comment);
    // A date beside no time is the time; beside one, the day of its times of day.
    if (c.time == CsvColumns::kNone) std::swap(c.time, c.date);
    return c;
}

CsvColumns Ours()
{
    CsvColumns c;
    c.ours = true;
    c.kind = 0, c.track = 1, c.route = 2, c.section = 3, c.latitude = 4, c.longitude = 5, c.elevation = 6;
    c.time = 7, c.name = 8, c.description = 9, c.symbol = 10, c.comment = 11, c.trackIndex = 12, c.routeIndex = 13;
    return c;
}
}  // namespace

std::optional<CsvColumns> CsvHeader(std::string_view line)
{
    if (line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
    if (line == kOurHeader) return Ours();
    // The separator the line holds most of first.
    std::array<char, 3> separators{'\t', ';', ','};
    std::stable_sort(separators.begin(), separators.end(), [line](char a, char b) {
        return std::count(line.begin(), line.end(), a) > std::count(line.begin(), line.end(), b);
    });
    for (const char separator : separators)
        if (auto columns = ColumnsUnder(line, separator)) return columns;
    return std::nullopt;
}

void CsvRecord::Clear()
{
    fields_.clear();
    field_.clear();
    quoted_ = open_ = false;
    bytes_ = 0;
}

bool CsvRecord::Feed(std::string_view line, std::string_view lineBreak)
{
    if (!open_) Clear();
    else field_ += lineBreak;
    bytes_ += line.size() + 1;
    for (std::size_t at = 0; at < line.size(); ++at) {
        const char c = line[at];
        if (quoted_) {
            if (c != '"') field_ += c;
            else if (at + 1 < line.size() && line[at + 1] == '"') field_ += line[++at];
            else quoted_ = false;
        } else if (c == separator_) {
            fields_.push_back(std::move(field_));
            field_.clear();
        } else if (c == '"' && IsBlank(field_)) {
            quoted_ = true;
            field_.clear();
        } else {
            field_ += c;
        }
    }
    open_ = quoted_;
    if (!open_) fields_.push_back(std::move(field_));
    return !open_;
}
