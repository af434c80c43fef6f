// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/import/MapsourceSymbolNames.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {
// MapSource's own codes, each the index of its name.
// clang-format off
constexpr std::array<std::string_view, 249> kMapsourceNames = {{
    /*   0 */ "Anchor", "Bell", "Diamond, Green", "Diamond, Red", "Diver Down Flag 1", "Diver Down Flag 2", "Bank",
    /*   7 */ "Fishing Area", "Gas Station", "Horn", "Residence", "Restaurant", "Light", "Bar",
    /*  14 */ "Skull and Crossbones", "Square, Green", "Square, Red", "Buoy, White", "Waypoint", "Shipwreck",
    /*  20 */ "Man Overboard", "Navaid, Amber", "Navaid, Black", "Navaid, Blue", "Navaid, Green",
    /*  25 */ "Navaid, Green/Red", "Navaid, Green/White", "Navaid, Orange", "Navaid, Red", "Navaid, Red/Green",
    /*  30 */ "Navaid, Red/White", "Navaid, Violet", "Navaid, White", "Navaid, White/Green", "Navaid, White/Red",
    /*  35 */ "Dot, White", "Radio Beacon", "Boat Ramp", "Campground", "Restroom", "Shower", "Drinking Water",
    /*  42 */ "Telephone", "Medical Facility", "Information", "Parking Area", "Park", "Picnic Area", "Scenic Area",
    /*  49 */ "Skiing Area", "Swimming Area", "Dam", "Controlled Area", "Danger Area", "Restricted Area",
    /*  55 */ "Ball Park", "Car", "Hunting Area", "Shopping Center", "Lodging", "Mine", "Trail Head", "Truck Stop",
    /*  63 */ "Exit", "Flag", "Circle with X", "Mile Marker", "TracBack Point", "Golf Course", "City (Small)",
    /*  70 */ "City (Medium)", "City (Large)", "City (Capitol)", "Amusement Park", "Bowling", "Car Rental",
    /*  76 */ "Car Repair", "Fast Food", "Fitness Center", "Movie Theater", "Museum", "Pharmacy", "Pizza",
    /*  83 */ "Post Office", "RV Park", "School", "Stadium", "Department Store", "Zoo", "Convenience Store",
    /*  90 */ "Live Theater", "Scales", "Toll Booth", "Bridge", "Building", "Cemetery", "Church", "Civil",
    /*  98 */ "Crossing", "Ghost Town", "Levee", "Military", "Oil Field", "Tunnel", "Beach", "Forest", "Summit",
    /* 107 */ "Airport", "Heliport", "Private Field", "Soft Field", "Tall Tower", "Short Tower", "Glider Area",
    /* 114 */ "Ultralight Area", "Parachute Area", "Seaplane Base", "Geocache", "Geocache Found", "Contact, Afro",
    /* 120 */ "Contact, Alien", "Contact, Ball Cap", "Contact, Big Ears", "Contact, Biker", "Contact, Bug",
    /* 125 */ "Contact, Cat", "Contact, Dog", "Contact, Dreadlocks", "Contact, Female1", "Contact, Female2",
    /* 130 */ "Contact, Female3", "Contact, Goatee", "Contact, Kung-Fu", "Contact, Pig", "Contact, Pirate",
    /* 135 */ "Contact, Ranger", "Contact, Smiley", "Contact, Spike", "Contact, Sumo", "Water Hydrant", "Flag, Red",
    /* 141 */ "Flag, Blue", "Flag, Green", "Pin, Red", "Pin, Blue", "Pin, Green", "Block, Red", "Block, Blue",
    /* 148 */ "Block, Green", "Bike Trail", "Fishing Hot Spot Facility", "Police Station", "Ski Resort",
    /* 153 */ "Ice Skating", "Wrecker", "Anchor Prohibited", "Beacon", "Coast Guard", "Reef", "Weed Bed", "Dropoff",
    /* 161 */ "Dock", "Marina", "Bait and Tackle", "Stump", "Circle, Red", "Circle, Green", "Circle, Blue",
    /* 168 */ "Diamond, Blue", "Oval, Red", "Oval, Green", "Oval, Blue", "Rectangle, Red", "Rectangle, Green",
    /* 174 */ "Rectangle, Blue", "Square, Blue", "Letter A, Red", "Letter A, Green", "Letter A, Blue",
    /* 179 */ "Letter B, Red", "Letter B, Green", "Letter B, Blue", "Letter C, Red", "Letter C, Green",
    /* 184 */ "Letter C, Blue", "Letter D, Red", "Letter D, Green", "Letter D, Blue", "Number 0, Red",
    /* 189 */ "Number 0, Green", "Number 0, Blue", "Number 1, Red", "Number 1, Green", "Number 1, Blue",
    /* 194 */ "Number 2, Red", "Number 2, Green", "Number 2, Blue", "Number 3, Red", "Number 3, Green",
    /* 199 */ "Number 3, Blue", "Number 4, Red", "Number 4, Green", "Number 4, Blue", "Number 5, Red",
    /* 204 */ "Number 5, Green", "Number 5, Blue", "Number 6, Red", "Number 6, Green", "Number 6, Blue",
    /* 209 */ "Number 7, Red", "Number 7, Green", "Number 7, Blue", "Number 8, Red", "Number 8, Green",
    /* 214 */ "Number 8, Blue", "Number 9, Red", "Number 9, Green", "Number 9, Blue", "Triangle, Blue",
    /* 219 */ "Triangle, Green", "Triangle, Red", "Contact, Blonde", "Contact, Clown", "Contact, Glasses",
    /* 224 */ "Contact, Panda", "Multi-Cache", "Letterbox Cache", "Puzzle Cache", "Library", "Ground Transportation",
    /* 230 */ "City Hall", "Winery", "ATV", "Big Game", "Blind", "Blood Trail", "Cover", "Covey", "Food Source",
    /* 239 */ "Furbearer", "Lodge", "Small Game", "Animal Tracks", "Treed Quarry", "Tree Stand", "Truck",
    /* 246 */ "Upland Game", "Waterfowl", "Water Source",
}};
// clang-format on

// The device codes of land (from 8192) and aviation (from 16384) symbols
// that MapSource's list also holds, in ascending order.
struct DeviceSymbol {
    std::int32_t code;
    std::string_view name;
};
// clang-format off
constexpr DeviceSymbol kDeviceNames[] = {
    {8195, "Mile Marker"}, {8196, "TracBack Point"}, {8197, "Golf Course"}, {8198, "City (Small)"},
    {8199, "City (Medium)"}, {8200, "City (Large)"}, {8203, "City (Capitol)"}, {8204, "Amusement Park"},
    {8205, "Bowling"}, {8206, "Car Rental"}, {8207, "Car Repair"}, {8208, "Fast Food"}, {8209, "Fitness Center"},
    {8210, "Movie Theater"}, {8211, "Museum"}, {8212, "Pharmacy"}, {8213, "Pizza"}, {8214, "Post Office"},
    {8215, "RV Park"}, {8216, "School"}, {8217, "Stadium"}, {8218, "Department Store"}, {8219, "Zoo"},
    {8220, "Convenience Store"}, {8221, "Live Theater"}, {8226, "Scales"}, {8227, "Toll Booth"}, {8233, "Bridge"},
    {8234, "Building"}, {8235, "Cemetery"}, {8236, "Church"}, {8237, "Civil"}, {8238, "Crossing"},
    {8239, "Ghost Town"}, {8240, "Levee"}, {8241, "Military"}, {8242, "Oil Field"}, {8243, "Tunnel"},
    {8244, "Beach"}, {8245, "Forest"}, {8246, "Summit"}, {8249, "Police Station"}, {8251, "Ski Resort"},
    {8252, "Ice Skating"}, {8253, "Wrecker"}, {8255, "Geocache"}, {8256, "Geocache Found"},
    {8257, "Contact, Smiley"}, {8258, "Contact, Ball Cap"}, {8259, "Contact, Big Ears"}, {8260, "Contact, Spike"},
    {8261, "Contact, Goatee"}, {8262, "Contact, Afro"}, {8263, "Contact, Dreadlocks"}, {8264, "Contact, Female1"},
    {8265, "Contact, Female2"}, {8266, "Contact, Female3"}, {8267, "Contact, Ranger"}, {8268, "Contact, Kung-Fu"},
    {8269, "Contact, Sumo"}, {8270, "Contact, Pirate"}, {8271, "Contact, Biker"}, {8272, "Contact, Alien"},
    {8273, "Contact, Bug"}, {8274, "Contact, Cat"}, {8275, "Contact, Dog"}, {8276, "Contact, Pig"},
    {8282, "Water Hydrant"}, {8284, "Flag, Blue"}, {8285, "Flag, Green"}, {8286, "Flag, Red"}, {8287, "Pin, Blue"},
    {8288, "Pin, Green"}, {8289, "Pin, Red"}, {8290, "Block, Blue"}, {8291, "Block, Green"}, {8292, "Block, Red"},
    {8293, "Bike Trail"}, {8294, "Circle, Red"}, {8295, "Circle, Green"}, {8296, "Circle, Blue"},
    {8299, "Diamond, Blue"}, {8300, "Oval, Red"}, {8301, "Oval, Green"}, {8302, "Oval, Blue"},
    {8303, "Rectangle, Red"}, {8304, "Rectangle, Green"}, {8305, "Rectangle, Blue"}, {8308, "Square, Blue"},
    {8309, "Letter A, Red"}, {8310, "Letter B, Red"}, {8311, "Letter C, Red"}, {8312, "Letter D, Red"},
    {8313, "Letter A, Green"}, {8314, "Letter C, Green"}, {8315, "Letter B, Green"}, {8316, "Letter D, Green"},
    {8317, "Letter A, Blue"}, {8318, "Letter B, Blue"}, {8319, "Letter C, Blue"}, {8320, "Letter D, Blue"},
    {8321, "Number 0, Red"}, {8322, "Number 1, Red"}, {8323, "Number 2, Red"}, {8324, "Number 3, Red"},
    {8325, "Number 4, Red"}, {8326, "Number 5, Red"}, {8327, "Number 6, Red"}, {8328, "Number 7, Red"},
    {8329, "Number 8, Red"}, {8330, "Number 9, Red"}, {8331, "Number 0, Green"}, {8332, "Number 1, Green"},
    {8333, "Number 2, Green"}, {8334, "Number 3, Green"}, {8335, "Number 4, Green"}, {8336, "Number 5, Green"},
    {8337, "Number 6, Green"}, {8338, "Number 7, Green"}, {8339, "Number 8, Green"}, {8340, "Number 9, Green"},
    {8341, "Number 0, Blue"}, {8342, "Number 1, Blue"}, {8343, "Number 2, Blue"}, {8344, "Number 3, Blue"},
    {8345, "Number 4, Blue"}, {8346, "Number 5, Blue"}, {8347, "Number 6, Blue"}, {8348, "Number 7, Blue"},
    {8349, "Number 8, Blue"}, {8350, "Number 9, Blue"}, {8351, "Triangle, Blue"}, {8352, "Triangle, Green"},
    {8353, "Triangle, Red"}, {16384, "Airport"}, {16388, "Heliport"}, {16389, "Private Field"},
    {16390, "Soft Field"}, {16391, "Tall Tower"}, {16392, "Short Tower"}, {16393, "Glider Area"},
    {16394, "Ultralight Area"}, {16395, "Parachute Area"}, {16402, "Seaplane Base"},
};
// clang-format on

constexpr std::string_view kDefaultName = "Waypoint";
}  // namespace

std::string_view MapsourceSymbolName(std::int32_t code)
{
    if (code >= 0 && static_cast<std::size_t>(code) < kMapsourceNames.size()) return kMapsourceNames[code];
    const auto row = std::lower_bound(std::begin(kDeviceNames), std::end(kDeviceNames), code,
                                      [](const DeviceSymbol& s, std::int32_t c) { return s.code < c; });
    return row != std::end(kDeviceNames) && row->code == code ? row->name : kDefaultName;
}
