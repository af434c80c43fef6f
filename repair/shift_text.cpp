// SPDX-License-Identifier: GPL-3.0-or-later
#include "repair/shift_text.h"

#include <cstdint>

std::optional<std::chrono::seconds> ParseShift(std::string_view text)
{
    struct Unit {
        char letter;
        std::int64_t seconds;
    };
    static constexpr Unit kUnits[] = {{'w', 604800}, {'d', 86400}, {'h', 3600}, {'m', 60}, {'s', 1}};
    constexpr std::int64_t kMost = 10000LL * 366 * 86400;
    std::size_t at = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++at;
    std::int64_t total = 0;
    std::size_t nextUnit = 0;  // units come in order, each once
    bool any = false;
    while (at < text.size()) {
        std::int64_t amount = 0;
        const std::size_t digitsFrom = at;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            amount = amount * 10 + (text[at] - '0');
            if (amount > kMost) return std::nullopt;
        }
        if (at == digitsFrom || at == text.size()) return std::nullopt;
        std::size_t unit = nextUnit;
        while (unit < std::size(kUnits) && kUnits[unit].letter != text[at]) ++unit;
        if (unit == std::size(kUnits)) return std::nullopt;
        total += amount * kUnits[unit].seconds;
        if (total > kMost) return std::nullopt;
        nextUnit = unit + 1;
        ++at;
        any = true;
    }
    if (!any) return std::nullopt;
    return std::chrono::seconds(negative ? -total : total);
}
