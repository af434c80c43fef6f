// SPDX-License-Identifier: GPL-3.0-or-later
// The kinds of value a point holds, as an output may lack them, and a tally
// of them that a list of points keeps as points are added: what an output
// cannot hold of a long track is then counted without reading it again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct Point;

enum class PointValue : std::uint8_t {
    Name,
    Comment,
    Description,
    // A comment beside a description that says something else: lost where a
    // format holds one text (the description, else the comment).
    SecondText,
    // A comma or a control character in the name or the one text, which a
    // format of comma-separated lines cannot hold.
    TextBreak,
    SourceAndType,
    Links,
    Time,
    Elevation,
    SymbolName,        // a symbol given by its name
    UnnumberedSymbol,  // one given by its name alone, without a number of the native table
    AnySymbol,         // a symbol by its name or its number
    // A device's display mode and alarm circle.
    Display,
    Device,  // any of what a device keeps of it
    // What a device keeps of a waypoint beyond those: address, phone,
    // categories, its depth and temperature.
    DeviceDetails,
    // What sensors measured beside the receiver: heart rate, cadence,
    // temperatures, depth.
    Sensors,
    // How the receiver measured: fix, satellites, dilutions, speed, course,
    // magnetic variation, geoid height, DGPS.
    ReceiverFigures,
    Extensions,  // XML kept as read, or left out while reading for an output that holds none
    SectionStart,
    Count
};

// A set of kinds, a bit each.
constexpr std::uint32_t KindBit(PointValue value) { return std::uint32_t{1} << static_cast<unsigned>(value); }

// The kinds of value a point holds but those its texts tell, which only a
// point that has texts or a device's details needs looked at (KindsOfTexts).
std::uint32_t KindsOfTexts(const Point& point);

class ValueTally {
public:
    // A point of these kinds, `name` and `text` the bytes of its name and one text.
    void Add(std::uint32_t kinds, std::size_t name = 0, std::size_t text = 0);
    void Add(const ValueTally& other);
    // The points that hold a value of this kind.
    std::int64_t Holding(PointValue value) const
    {
        const bool pending = (runKinds_ & KindBit(value)) != 0;
        return counts_[static_cast<std::size_t>(value)] + (pending ? run_ : 0);
    }
    // The bytes of the longest name, and of the longest one text (the
    // description, else the comment): no format cuts a shorter one.
    std::size_t LongestName() const { return longestName_; }
    std::size_t LongestText() const { return longestText_; }

private:
    void Count(std::uint32_t kinds, std::int64_t points);
    std::array<std::int64_t, static_cast<std::size_t>(PointValue::Count)> counts_{};
    // The points of a long track are mostly alike: a run of points of the
    // same kinds is counted as it ends.
    std::uint32_t runKinds_ = 0;
    std::int64_t run_ = 0;
    std::size_t longestName_ = 0, longestText_ = 0;
};
