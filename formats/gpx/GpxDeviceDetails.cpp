// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/gpx/GpxDeviceDetails.h"

#include <utility>

#include "formats/document/DocumentText.h"

namespace gpx {
using namespace doctext;
namespace {
constexpr std::size_t kLongestValue = 1 << 20;

std::pair<std::string_view, std::string_view> Split(std::string_view name)
{
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos) return {{}, name};
    return {name.substr(0, colon), name.substr(colon + 1)};
}

void Number(const std::string& text, double& value)
{
    if (const auto parsed = ParseDecimal(text)) value = *parsed;
}

// The first of several is kept.
void First(const std::string& text, std::string& value)
{
    if (value.empty()) value = text;
}
}  // namespace

void DeviceDetailsReader::Start(std::string_view qualifiedName, std::size_t depth, std::string_view rootUri)
{
    const auto [prefix, local] = Split(qualifiedName);
    if (depth == 1) {
        active_ = local == "WaypointExtension" && rootUri == kDeviceExtensionUri;
        prefix_ = prefix;
        leaf_ = Leaf::None;
        return;
    }
    if (!active_ || prefix != prefix_ || leaf_ != Leaf::None) return;
    if (depth == 2) parent_ = local;
    struct Name {
        std::string_view parent, local;
        Leaf leaf;
    };
    static constexpr Name kNames[] = {
        {"", "DisplayMode", Leaf::DisplayMode},    {"", "Proximity", Leaf::Proximity},
        {"", "Temperature", Leaf::Temperature},    {"", "Depth", Leaf::Depth},
        {"", "PhoneNumber", Leaf::Phone},          {"Address", "StreetAddress", Leaf::Street},
        {"Address", "City", Leaf::City},           {"Address", "State", Leaf::State},
        {"Address", "Country", Leaf::Country},     {"Address", "PostalCode", Leaf::Postal},
        {"Categories", "Category", Leaf::Category}};
    const std::string_view parent = depth == 2 ? std::string_view() : std::string_view(parent_);
    if (depth > 3) return;
    for (const Name& n : kNames)
        if (n.parent == parent && n.local == local) {
            leaf_ = n.leaf;
            leafDepth_ = depth;
            text_.clear();
        }
}

void DeviceDetailsReader::Text(std::string_view text)
{
    if (leaf_ != Leaf::None && text_.size() < kLongestValue) text_.append(text.substr(0, kLongestValue));
}

void DeviceDetailsReader::End(std::size_t depth, DeviceDetails& d)
{
    if (depth == 1) active_ = false;
    if (leaf_ == Leaf::None || depth != leafDepth_) return;
    switch (leaf_) {
    case Leaf::DisplayMode: d.displayMode = text_; break;
    case Leaf::Proximity: Number(text_, d.proximity); break;
    case Leaf::Temperature: Number(text_, d.celsius); break;
    case Leaf::Depth: Number(text_, d.depth); break;
    case Leaf::Phone: First(text_, d.phone); break;
    case Leaf::Street: First(text_, d.street); break;
    case Leaf::City: d.city = text_; break;
    case Leaf::State: d.state = text_; break;
    case Leaf::Country: d.country = text_; break;
    case Leaf::Postal: d.postalCode = text_; break;
    case Leaf::Category: d.categories.push_back(text_); break;
    case Leaf::None: break;
    }
    leaf_ = Leaf::None;
}

}  // namespace gpx
