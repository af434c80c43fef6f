// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/document/Symbols.h"

#include <optional>
#include <string_view>
#include <vector>

#include "core/text/text_fields.h"
#include "formats/import/Mapsource.h"

namespace {
// A symbol name as compared: letter case and blanks do not count.
std::string Compact(std::string_view name)
{
    std::string out = UpperText(name);
    std::erase(out, ' ');
    return out;
}

// Table names that were cut at 15 characters, in full, as map programs know them.
struct FullName {
    std::int16_t symbol;
    const char* name;
};
constexpr FullName kFullNames[] = {
    {17, "Convenience Store"},  {36, "Medical Facility"},     {78, "Department Store"},    {79, "Diver Down Flag 1"},
    {80, "Diver Down Flag 2"},  {96, "Navaid, Green/Red"},    {97, "Navaid, Green/White"}, {100, "Navaid, Red/Green"},
    {101, "Navaid, Red/White"}, {104, "Navaid, White/Green"}, {105, "Navaid, White/Red"},
};
// A table name spelt otherwise than map programs spell it; only names written
// take this spelling, so that names read keep giving the native numbers they gave.
constexpr FullName kUsualSpellings[] = {{11, "Cemetery"}};
constexpr std::size_t kCutNameLength = 15;
constexpr std::int16_t kNoSymbol = 0;
}  // namespace

std::string SymbolName(std::int16_t symbol) { return symbol == kNoSymbol ? std::string() : SymbolNameOfCode(symbol); }

std::string SymbolNameOfCode(std::int16_t symbol)
{
    // Built once: readers ask for a name per waypoint.
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        const auto name = [&list](std::int16_t number) -> std::string& {
            if (static_cast<std::size_t>(number) >= list.size()) list.resize(static_cast<std::size_t>(number) + 1);
            return list[static_cast<std::size_t>(number)];
        };
        for (auto row = MapsourceSymbols.rbegin(); row != MapsourceSymbols.rend(); ++row) {
            if (row->Native < 0) continue;
            std::string& spaced = name(row->Native);  // the first row of a number wins
            spaced.clear();
            for (const char* c = row->Name; *c != '\0'; ++c) {
                spaced += *c;
                if (*c == ',') spaced += ' ';
            }
        }
        for (const FullName& full : kFullNames) name(full.symbol) = full.name;
        for (const FullName& usual : kUsualSpellings) name(usual.symbol) = usual.name;
        return list;
    }();
    const auto index = static_cast<std::size_t>(symbol);
    return symbol >= 0 && index < names.size() ? names[index] : std::string();
}

namespace {
std::optional<std::int16_t> NumberOf(std::string_view name)
{
    struct Known {
        std::string name;
        std::int16_t symbol;
        bool cut;
    };
    // Full names first, so that "Diver Down Flag 2" is not taken for the first cut one.
    static const std::vector<Known> known = [] {
        std::vector<Known> list;
        for (const FullName& full : kFullNames) list.push_back({Compact(full.name), full.symbol, false});
        for (const MapsourceSymbol& row : MapsourceSymbols)
            list.push_back({Compact(row.Name), row.Native, std::string_view(row.Name).size() == kCutNameLength});
        return list;
    }();
    const std::string wanted = Compact(name);
    for (const Known& k : known)
        if (k.name == wanted || (k.cut && wanted.starts_with(k.name))) return k.symbol;
    return std::nullopt;
}
}  // namespace

std::int16_t SymbolFromName(std::string_view name) { return NumberOf(name).value_or(kDefaultMapsourceSymbol); }

bool SymbolNumbered(std::string_view name) { return NumberOf(name).has_value(); }
