// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document/point_values.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <string_view>

#include "core/document/point.h"

namespace {
bool BreaksALine(std::string_view text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return c == ',' || static_cast<unsigned char>(c) < 0x20; });
}

bool HasDisplay(const DeviceDetails& d) { return !d.displayMode.empty() || !std::isnan(d.proximity); }

bool HasDetailsBeyondDisplay(const DeviceDetails& d)
{
    DeviceDetails rest = d;
    rest.displayMode.clear();
    rest.proximity = kNoValue;
    return !rest.Empty();
}
}  // namespace

std::uint32_t KindsOfTexts(const Point& p)
{
    std::uint32_t kinds = 0;
    const auto take = [&kinds](PointValue value, bool held) { kinds |= held ? KindBit(value) : 0; };
    if (p.HasTexts()) {
        const std::string& text = p.description.empty() ? p.comment : p.description;
        take(PointValue::Name, !p.name.empty());
        take(PointValue::Comment, !p.comment.empty());
        take(PointValue::Description, !p.description.empty());
        take(PointValue::SecondText, !p.description.empty() && !p.comment.empty() && p.comment != p.description);
        take(PointValue::TextBreak, BreaksALine(p.name) || BreaksALine(text));
        take(PointValue::SourceAndType, !p.source.empty() || !p.type.empty());
        take(PointValue::Links, !p.links.empty());
        take(PointValue::SymbolName, !p.symbol.empty());
        take(PointValue::UnnumberedSymbol, !p.symbol.empty() && p.symbolCode < 0 && !p.native.symbol);
        take(PointValue::AnySymbol, !p.symbol.empty());
    }
    if (!p.device.Empty()) {
        take(PointValue::Device, true);
        take(PointValue::Display, HasDisplay(p.device));
        take(PointValue::DeviceDetails, HasDetailsBeyondDisplay(p.device));
    }
    return kinds;
}

void ValueTally::Count(std::uint32_t kinds, std::int64_t points)
{
    for (; kinds != 0; kinds &= kinds - 1) counts_[static_cast<std::size_t>(std::countr_zero(kinds))] += points;
}

void ValueTally::Add(std::uint32_t kinds, std::size_t name, std::size_t text)
{
    longestName_ = std::max(longestName_, name);
    longestText_ = std::max(longestText_, text);
    if (kinds == runKinds_) {
        ++run_;
        return;
    }
    Count(runKinds_, run_);
    runKinds_ = kinds;
    run_ = 1;
}

void ValueTally::Add(const ValueTally& other)
{
    for (std::size_t i = 0; i < counts_.size(); ++i) counts_[i] += other.counts_[i];
    Count(other.runKinds_, other.run_);
    longestName_ = std::max(longestName_, other.longestName_);
    longestText_ = std::max(longestText_, other.longestText_);
}
