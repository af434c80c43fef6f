// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/native/NativeLosses.h"

#include <cmath>
#include <initializer_list>
#include <string>

#include "formats/native/KesRecords.h"

namespace kes {
namespace {
bool Any(std::initializer_list<double> values)
{
    for (const double v : values)
        if (!std::isnan(v)) return true;
    return false;
}

// What sensors measured beside the receiver. The receiver's own figures (fix,
// satellites, dilutions, speed and course) follow from what a native file
// keeps or only describe how it was measured: they go unmentioned.
bool HasSensorValues(const Point& p)
{
    return p.heartRate >= 0 || p.cadence >= 0 || Any({p.celsius, p.waterCelsius, p.depth});
}

bool HasDeviceDetails(const DeviceDetails& d, bool displayHeld)
{
    if (d.Empty()) return false;
    if (!displayHeld) return true;
    DeviceDetails rest = d;
    rest.displayMode.clear();
    rest.proximity = kNoValue;
    return !rest.Empty();
}
// Blanks that end a text are no part of it: a field padded with blanks keeps it whole.
std::size_t Length(const std::string& text) { return text.find_last_not_of(' ') + 1; }
}  // namespace

void LossSurvey::Count(How how, const char* what, const char* noun, const char* file, int length, std::int64_t count)
{
    // Few kinds, compared by their constant texts: no text is built per point.
    for (Loss& loss : losses_)
        if (loss.how == how && loss.what == what && loss.noun == noun && loss.file == file && loss.length == length) {
            loss.count += count;
            return;
        }
    const FindingKind kind = how == How::PartDropped ? FindingKind::Cut : FindingKind::Reduced;
    losses_.push_back({kind, how, what, noun, file, length, count});
}

void LossSurvey::Text(const char* what, std::size_t length, int most, const NativeHolds& h)
{
    if (length == 0) return;
    if (most < 0) Count(How::HoldsNone, what, h.noun, h.file);
    else if (most > 0 && length > static_cast<std::size_t>(most)) Count(How::CutTo, what, h.noun, h.file, most);
}

void LossSurvey::TakePoint(const Point& p, const NativeHolds& h)
{
    // Most points of a long track hold a position, a time and an elevation
    // alone: they are passed at once.
    if (!p.HasTexts() && p.extensions.empty() && !p.extensionsLeftOut && p.native.Empty() && !h.tellsSymbolZero &&
        (h.times || !p.time) && (h.elevations || !p.HasElevation()) && p.device.Empty() && !HasSensorValues(p))
        return;
    Text("names", h.nameLength > 0 ? Length(NativeName(p)) : p.name.size(), h.nameLength, h);
    if (h.textLength < 0) {
        Text("descriptions", p.description.size(), -1, h);
        Text("comments", p.comment.size(), -1, h);
    } else {
        const bool described = !p.description.empty();
        const std::size_t length = h.textLength > 0 ? Length(NativeDescription(p)) : (described ? 1 : p.comment.size());
        Text(described ? "descriptions" : "comments", length, h.textLength, h);
        if (described && !p.comment.empty() && p.comment != p.description)
            Count(How::HoldsOneText, "comments", h.noun, h.file);
    }
    Text("sources and types", p.source.size() + p.type.size(), -1, h);
    Text("links", p.links.size(), -1, h);
    Text("times", p.time ? 1 : 0, h.times ? 0 : -1, h);
    Text("elevations", p.HasElevation() ? 1 : 0, h.elevations ? 0 : -1, h);
    Text("symbols", p.symbol.size(), h.symbols ? 0 : -1, h);
    if (h.tellsSymbolZero && p.symbol.empty() && p.symbolCode < 0 && !p.native.symbol)
        Count(How::SymbolZero, "", h.noun, h.file);
    Text("addresses and other device details", HasDeviceDetails(p.device, h.display) ? 1 : 0, -1, h);
    Text("heart rates, cadences, temperatures and depths", HasSensorValues(p) ? 1 : 0, -1, h);
    Text("GPX extensions", p.extensions.size() + (p.extensionsLeftOut ? 1 : 0), -1, h);
}

void LossSurvey::TakeGroup(const GroupInfo& g, const char* noun, const char* file, int nameLength, int textLength)
{
    if (!g.links.empty() || !g.source.empty() || !g.type.empty())
        Count(How::HoldsNone, "links, sources and types", noun, file);
    if (nameLength > 0 && Length(NativeName(g)) > static_cast<std::size_t>(nameLength))
        Count(How::CutTo, "names", noun, file, nameLength);
    if (textLength < 0) {
        if (!g.description.empty()) Count(How::HoldsNone, "descriptions", noun, file);
        if (!g.comment.empty()) Count(How::HoldsNone, "comments", noun, file);
        return;
    }
    if (textLength > 0 && Length(NativeDescription(g)) > static_cast<std::size_t>(textLength))
        Count(How::CutTo, g.description.empty() ? "comments" : "descriptions", noun, file, textLength);
    if (!g.description.empty() && !g.comment.empty() && g.comment != g.description)
        Count(How::HoldsOneText, "comments", noun, file);
}

void LossSurvey::Dropped(std::int64_t count, const char* what, const char* file)
{
    if (count > 0) Count(How::PartDropped, "", what, file, 0, count);
}

void LossSurvey::AddTo(Findings& findings) const
{
    for (const Loss& loss : losses_) {
        const bool one = loss.count == 1;
        const std::string n = std::to_string(loss.count) + " " + loss.noun + (one ? "" : "s");
        const std::string file = loss.file;
        // "names of 14 waypoints", "the name of 1 waypoint"
        std::string what = loss.what;
        if (one && what.find(' ') == std::string::npos && what != "links")
            what = "the " + what.substr(0, what.size() - 1);
        std::string message;
        switch (loss.how) {
        case How::CutTo: message = what + " of " + n + " cut to " + std::to_string(loss.length) + " characters"; break;
        case How::HoldsNone: message = what + " of " + n + " dropped: a " + file + " holds none"; break;
        case How::HoldsOneText: message = what + " of " + n + " dropped: a " + file + " holds one text"; break;
        case How::SymbolZero:
            message = n + " without a symbol written with symbol 0, which a " + file +
                      " reads as \"Airport\": it has no code for none";
            break;
        case How::PartDropped: message = n + " dropped: a " + file + " written holds none"; break;
        }
        findings.Add(loss.kind, message, loss.count);
    }
}

}  // namespace kes
