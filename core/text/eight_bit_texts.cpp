// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/eight_bit_texts.h"

#include <functional>

#include "core/text/text_encoding.h"

namespace {
bool HasUpper(const std::string& text)
{
    for (const char c : text)
        if ((c & 0x80) != 0) return true;
    return false;
}

// The bytes of a text a reader read as Windows-1252; false for a text it
// did not (one of characters the table lacks, as a UTF-8 file's are).
bool BytesOf(const std::string& text, std::string& bytes)
{
    bytes = Utf8ToLegacy(text);
    return LegacyToUtf8(bytes) == text;
}

using TextVisit = std::function<void(std::string&)>;

// Point or const Point.
template <typename P, typename Visit>
void VisitPointTexts(P& p, Visit&& visit)
{
    for (auto* text : {&p.name, &p.comment, &p.description, &p.source, &p.type}) visit(*text);
    for (auto& link : p.links) visit(link.text);
    auto& d = p.device;
    for (auto* text : {&d.street, &d.city, &d.state, &d.postalCode, &d.country, &d.phone}) visit(*text);
    for (auto& category : d.categories) visit(category);
}

void VisitGroupTexts(GroupInfo& g, const TextVisit& visit)
{
    for (std::string* text : {&g.name, &g.comment, &g.description, &g.source, &g.type}) visit(*text);
    for (Link& link : g.links) visit(link.text);
}

// Changes the points of a list, made again only when a point holds a text
// of more than ASCII, which the list knows without reading its points.
void ChangePoints(PointList& list, const std::function<bool(Point&)>& change)
{
    if (!list.NonAsciiTexts()) return;
    bool any = false;
    PointList changed = list.EmptyLike();
    list.ForEach([&](const Point& p) {
        Point copy = p;
        any = change(copy) || any;
        changed.push_back(copy);
    });
    if (any) list = std::move(changed);
}

// Every text of the document that the 8-bit formats hold: the waypoints',
// the routes' and their points', and the tracks' own (their points hold none).
void VisitDocument(Document& document, const std::function<bool(std::string&)>& visit)
{
    const auto point = [&](Point& p) {
        bool changed = false;
        VisitPointTexts(p, [&](std::string& text) { changed = visit(text) || changed; });
        return changed;
    };
    const auto group = [&](GroupInfo& g) { VisitGroupTexts(g, [&](std::string& text) { visit(text); }); };
    Metadata& m = document.metadata;
    for (std::string* text : {&m.name, &m.description, &m.keywords}) visit(*text);
    ChangePoints(document.waypoints, point);
    for (Route& route : document.routes) {
        group(route.info);
        ChangePoints(route.points, point);
    }
    for (Track& track : document.tracks) group(track.info);
}

}  // namespace

CodePageGuess ReadEightBitTexts(Document& document, std::string_view choice)
{
    std::string texts, bytes;
    VisitDocument(document, [&](std::string& text) {
        if (HasUpper(text) && BytesOf(text, bytes)) texts.append(bytes).push_back('\n');
        return false;
    });
    CodePageGuess used = choice == kAutomaticCodePage ? GuessCodePage(texts) : CodePageGuess{CodePage::Open(choice)};
    used.mattered = !texts.empty();
    if (used.codePage.IsWindows1252() || texts.empty()) return used;
    VisitDocument(document, [&](std::string& text) {
        if (!HasUpper(text) || !BytesOf(text, bytes)) return false;
        text = used.codePage.Decode(bytes);
        return true;
    });
    return used;
}

std::int64_t WriteEightBitTexts(Document& document, const CodePage& target)
{
    std::int64_t unheld = 0;
    const auto write = [&](std::string& text) {
        if (!HasUpper(text)) return false;
        const std::string bytes = target.Encode(text, unheld);
        if (target.IsWindows1252()) return false;
        text = LegacyToUtf8(bytes);
        return true;
    };
    // The texts the native writers take: the name, and the description or else the comment.
    const auto texts = [&](std::string& name, std::string& description, std::string& comment) {
        const bool changed = write(name);
        return write(description.empty() ? comment : description) || changed;
    };
    const auto point = [&](Point& p) { return texts(p.name, p.description, p.comment); };
    const auto group = [&](GroupInfo& g) { texts(g.name, g.description, g.comment); };
    ChangePoints(document.waypoints, point);
    for (Route& route : document.routes) {
        group(route.info);
        ChangePoints(route.points, point);
    }
    for (Track& track : document.tracks) group(track.info);
    return unheld;
}
