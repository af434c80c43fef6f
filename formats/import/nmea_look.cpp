// SPDX-License-Identifier: GPL-3.0-or-later
// An NMEA log told from its content: by an RMC, GGA or WPL sentence among its
// first lines. A receiver may send many other sentences before its first fix
// (the satellites in view while it searches), so a
// file whose head holds sentences only is looked at further, while its lines
// stay sentences, up to a bound: any other file is passed at its head.
#include <algorithm>
#include <cstdint>

#include "core/convert/format_lookup.h"
#include "core/io/byte_scan.h"
#include "core/text/text_units.h"
#include "formats/import/nmea.h"

namespace {
// Bytes of a file looked at for its first fix: some 20,000 sentences, far
// more than a receiver sends before it, read in a millisecond or two. A pipe
// keeps what a look read for its reader, and this is half what it may keep.
constexpr std::size_t kLookedAt = 1u << 20;
// The first look past the head; each next one is twice as long, so that a
// file whose sentences stop soon is not read further.
constexpr std::size_t kFirstStep = 16u << 10;

enum class Lines { Fix, Other, Sentences };

// The lines of `text` from its start: a fix or a waypoint before any line that is no
// sentence ($ or ! first, blanks aside) and before the end of the file (byte
// 26), or such a line or that end, or sentences only. The last line, cut
// unless `toEnd`, is then left in `cut`.
Lines Scan(std::string_view text, bool toEnd, std::string_view& cut)
{
    cut = {};
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = bytescan::FindLineEnd(text.data(), start, text.size());
        if (end == text.size() && !toEnd) {
            cut = text.substr(start);
            return Lines::Sentences;
        }
        std::string_view line = text.substr(start, end - start);
        while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        if (!line.empty()) {
            if (line.front() != '$' && line.front() != '!') return Lines::Other;
            if (HoldsNmeaData(line.substr(0, 7))) return Lines::Fix;  // "$GPRMC,"
        }
        if (end == text.size()) break;
        if (text[end] == '\x1A') return Lines::Other;
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return Lines::Sentences;
}

void AppendText(std::string& text, std::string_view bytes, TextUnits units)
{
    if (units == TextUnits::Bytes) text += bytes;
    else AppendUnits(bytes, units, text);
}

// The lines of the head, `headText`, and those after it, read in growing steps.
bool FixAmongSentences(const FileLook& file, TextUnits units, std::string_view headText)
{
    std::string_view cut;
    const Lines head = Scan(headText, false, cut);
    if (head != Lines::Sentences) return head == Lines::Fix;
    std::string text(cut);
    std::size_t step = kFirstStep;
    for (std::uint64_t offset = FileLook::kHeadSize; offset < kLookedAt; offset += step, step *= 2) {
        const std::size_t count = std::min<std::size_t>(step, kLookedAt - offset);
        const std::string bytes = file.BytesAt(offset, count);
        const bool toEnd = bytes.size() < count;
        AppendText(text, bytes, units);
        const Lines found = Scan(text, toEnd, cut);
        if (found != Lines::Sentences || toEnd) return found == Lines::Fix;
        text.erase(0, text.size() - cut.size());  // the cut line stays
    }
    return false;
}
}  // namespace

bool IsNmeaLog(const FileLook& file)
{
    const std::string_view head = file.Head();
    const UnitsFound units = UnitsOf(head);
    std::string decoded;
    std::string_view text = head;
    if (units.units != TextUnits::Bytes) {
        AppendUnits(head.substr(units.markSize), units.units, decoded);
        text = decoded;
    }
    if (HoldsNmeaData(text)) return true;
    if (head.size() != FileLook::kHeadSize) return false;  // the whole file was looked at
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    return FixAmongSentences(file, units.units, text);
}
