// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/point_values.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "core/point.h"

namespace {
bool BreaksALine(std::string_view text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return c == ',' || static_cast<unsigned char>(c) < 0x20; });
}

bool HasSensorValues(const Point& p)
{
    return p.heartRate >= 0 || p.cadence >= 0 || !std::isnan(p.celsius) || !std::isnan(p.waterCelsius) ||
           !std::isnan(p.depth);
}

bool HasReceiverFigures(const Point& p)
{
    return p.fix != 0 || p.satellites >= 0 || p.dgpsStation >= 0 || !std::isnan(p.hdop) || !std::isnan(p.vdop) ||
           !std::isnan(p.pdop) || !std::isnan(p.speed) || !std::isnan(p.course) || !std::isnan(p.magneticVariation) ||
           !std::isnan(p.geoidHeight) || !std::isnan(p.ageOfDgps);
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

void ValueTally::Add(const Point& p)
{
    const auto count = [this](PointValue value, bool held) {
        counts_[static_cast<std::size_t>(value)] += held ? 1 : 0;
    };
    // Most points of a long track hold no texts and no device's details: one look at each.
    if (p.HasTexts()) {
        const std::string& text = p.description.empty() ? p.comment : p.description;
        count(PointValue::Name, !p.name.empty());
        count(PointValue::Comment, !p.comment.empty());
        count(PointValue::Description, !p.description.empty());
        count(PointValue::SecondText, !p.description.empty() && !p.comment.empty() && p.comment != p.description);
        count(PointValue::TextBreak, BreaksALine(p.name) || BreaksALine(text));
        count(PointValue::SourceAndType, !p.source.empty() || !p.type.empty());
        count(PointValue::Links, !p.links.empty());
        count(PointValue::SymbolName, !p.symbol.empty());
        longestName_ = std::max(longestName_, p.name.size());
        longestText_ = std::max(longestText_, text.size());
    }
    if (!p.device.Empty()) {
        count(PointValue::Device, true);
        count(PointValue::Display, HasDisplay(p.device));
        count(PointValue::DeviceDetails, HasDetailsBeyondDisplay(p.device));
    }
    count(PointValue::Time, p.time.has_value());
    count(PointValue::Elevation, p.HasElevation());
    count(PointValue::AnySymbol, !p.symbol.empty() || p.symbolCode >= 0 || p.native.symbol.has_value());
    count(PointValue::Sensors, HasSensorValues(p));
    count(PointValue::ReceiverFigures, HasReceiverFigures(p));
    count(PointValue::Extensions, !p.extensions.empty() || p.extensionsLeftOut);
    count(PointValue::SectionStart, p.newSection);
}

void ValueTally::Add(const ValueTally& other)
{
    for (std::size_t i = 0; i < counts_.size(); ++i) counts_[i] += other.counts_[i];
    longestName_ = std::max(longestName_, other.longestName_);
    longestText_ = std::max(longestText_, other.longestText_);
}
