// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/text_fields.h"

#include "core/text/read_number.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <unistd.h>

#include "core/io/byte_scan.h"
#include "core/text/number_format.h"
#include "core/time/clock.h"

namespace {
std::string_view TrimView(std::string_view s)
{
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Calls onComma(offset) for each comma of the line in order, until it returns
// true. The line is searched a word at a time, so the text between commas is
// passed over without a search call each.
template <typename OnComma>
void ForEachComma(std::string_view line, OnComma onComma)
{
    std::size_t i = 0;
    for (; line.size() - i >= 8; i += 8) {
        for (std::uint64_t marked = bytescan::Equal(bytescan::Load(line.data() + i), ','); marked != 0;
             marked &= marked - 1)
            if (onComma(i + bytescan::FirstMarked(marked))) return;
    }
    for (; i < line.size(); ++i)
        if (line[i] == ',' && onComma(i)) return;
}

// The n-th comma-separated field, untrimmed; nothing when the line has fewer fields.
std::optional<std::string_view> CommaField(std::string_view line, int n)
{
    if (n < 1) return std::nullopt;
    int commas = 0;  // passed so far; the field starts after comma n-1 and ends at comma n
    std::size_t start = 0, end = line.size();
    ForEachComma(line, [&](std::size_t at) {
        if (++commas == n) {
            end = at;
            return true;
        }
        start = at + 1;
        return false;
    });
    if (commas < n - 1) return std::nullopt;
    return line.substr(start, end - start);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::string TrimLeftSpaces(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return std::string(text);
}

std::string TrimRightSpaces(std::string_view text)
{
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string(text);
}

std::string TrimSpaces(std::string_view text) { return std::string(TrimView(text)); }

bool IsBlank(std::string_view text) { return TrimView(text).empty(); }

std::string UpperText(std::string_view text)
{
    std::string s(text);
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string PadLeftZeros(std::string_view text, int width)
{
    if (width <= 0 || text.size() >= static_cast<std::size_t>(width)) return std::string(text);
    return std::string(static_cast<std::size_t>(width) - text.size(), '0') + std::string(text);
}

std::string PadRightSpaces(std::string_view text, int width)
{
    const std::size_t w = width < 0 ? 0 : static_cast<std::size_t>(width);
    std::string s(text.substr(0, w));
    s.resize(w, ' ');
    return s;
}

std::string ProgramFolder()
{
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return ".";
    const std::string program(path, static_cast<std::size_t>(length));
    const std::size_t slash = program.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : program.substr(0, slash);
}

namespace {
// Reads blank-trimmed text that holds no comma: a decimal number with optional
// sign, point and exponent. When anything else follows, the value is the
// digits read up to there as one whole number.
double ParseDecimal(std::string_view s)
{
    if (s.empty()) return 0.0;
    if (const auto exact = ShortDecimal(s)) return *exact;
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < s.size() && IsDigit(s[i])) ++i;
        return i > start;
    };
    auto partial = [&] {
        double value = 0;
        for (std::size_t k = 0; k < i; ++k)
            if (IsDigit(s[k])) value = value * 10 + (s[k] - '0');
        return value;
    };

    if (s[i] == '+' || s[i] == '-') ++i;
    bool anyDigit = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        anyDigit = digits() || anyDigit;
    }
    if (!anyDigit) return partial();
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (!digits()) return partial();
    }
    if (i != s.size()) return partial();

    const char* first = s.data() + (s[0] == '+' ? 1 : 0);  // from_chars takes '-' only
    double value = 0;
    const auto result = std::from_chars(first, s.data() + s.size(), value);
    if (result.ec == std::errc()) return value;
    const std::string text(s);  // out of range: strtod tells an overflow from an underflow
    errno = 0;
    value = std::strtod(text.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value))
        throw ConversionError("'" + text + "' is not a valid floating point value");
    return value;
}

// Copies text into a small buffer with every byte mapped, without allocating
// for the short texts that numbers are.
template <typename Map>
class MappedText {
public:
    MappedText(std::string_view text, Map map)
    {
        char* target = text.size() <= sizeof small_ ? small_ : (large_.resize(text.size()), large_.data());
        for (std::size_t k = 0; k < text.size(); ++k) target[k] = map(text[k]);
        view_ = TrimView(std::string_view(target, text.size()));
    }
    std::string_view View() const { return view_; }

private:
    char small_[64];
    std::string large_;
    std::string_view view_;
};
}  // namespace

namespace {
std::string_view FieldView(std::optional<std::string_view> field, std::string_view defaultValue)
{
    if (!field || field->empty()) return defaultValue;
    return TrimView(*field);
}
}  // namespace

std::string GetField(std::string_view line, int n, std::string_view defaultValue)
{
    return std::string(FieldView(CommaField(line, n), defaultValue));
}

CommaFields::CommaFields(std::string_view line) : line_(line)
{
    ForEachComma(line, [&](std::size_t at) {
        commas_[commaCount_++] = at;
        return commaCount_ == kKept;
    });
}

std::optional<std::string_view> CommaFields::FieldPastKept(int n) const { return CommaField(line_, n); }

std::string CommaFields::Text(int n, std::string_view defaultValue) const { return std::string(View(n, defaultValue)); }

std::string GetSpaceField(std::string_view line, int n, std::string_view defaultValue)
{
    if (n < 1) return std::string(defaultValue);
    // The separator is the first blank of the rest of the line, or its first
    // tab when the rest holds no blank: that is when the rest begins after
    // the line's last blank.
    const std::string_view text = TrimView(line);
    const std::size_t lastBlank = text.rfind(' ');
    auto separator = [&](std::size_t from) {
        const char c = lastBlank != std::string_view::npos && lastBlank >= from ? ' ' : '\t';
        std::size_t at = from;
        while (at < text.size() && text[at] != c) ++at;
        return at;
    };
    std::size_t start = 0;
    for (int counter = 1; counter < n; ++counter) {
        start = separator(start);
        if (start == text.size()) return std::string(defaultValue);
        ++start;
        while (start < text.size() && text[start] == ' ') ++start;  // a run of blanks is one separator
    }
    const std::string_view field = TrimView(text.substr(start, separator(start) - start));
    if (field.empty()) return std::string(defaultValue);
    return std::string(field);
}

double TextToFloat(std::string_view text)
{
    const std::string_view trimmed = TrimView(text);
    if (std::find(trimmed.begin(), trimmed.end(), ',') == trimmed.end()) return ParseDecimal(trimmed);
    const MappedText mapped(trimmed, [](char c) { return c == ',' ? '.' : c; });
    return ParseDecimal(mapped.View());
}
