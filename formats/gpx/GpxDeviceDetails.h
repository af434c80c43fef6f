// SPDX-License-Identifier: GPL-3.0-or-later
// A waypoint's device details read from the common GPX extension of device
// waypoints while its subtree is kept as XML, so that outputs that hold
// these values in fields of their own get them too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/document/point.h"

namespace gpx {

inline constexpr std::string_view kDeviceExtensionUri = "http://www.garmin.com/xmlschemas/GpxExtensions/v3";

class DeviceDetailsReader {
public:
    // An element of a point's kept subtree starts, `depth` 1 being its root;
    // `rootUri` is the namespace of the root's name.
    void Start(std::string_view qualifiedName, std::size_t depth, std::string_view rootUri);
    void Text(std::string_view text);
    // An element ends; a value it held goes into `details`.
    void End(std::size_t depth, DeviceDetails& details);
    bool Active() const { return active_; }

private:
    enum class Leaf {
        None,
        DisplayMode,
        Proximity,
        Temperature,
        Depth,
        Phone,
        Street,
        City,
        State,
        Country,
        Postal,
        Category
    };
    bool active_ = false;
    std::string prefix_;      // of the root's name; its children are of the same namespace
    std::string parent_;      // the local name of the element at depth 2
    Leaf leaf_ = Leaf::None;  // of the element whose text is read
    std::size_t leafDepth_ = 0;
    std::string text_;
};

}  // namespace gpx
