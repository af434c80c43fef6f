// SPDX-License-Identifier: GPL-3.0-or-later
// Route records, laid out alike in .mps and .gdb files: the routes of the
// store, their points placed by the link points and given what their
// waypoints hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "core/format_rows.h"
#include "core/store.h"
#include "formats/import/MapsourceGDB.h"

class ByteReader;

namespace mapsource {

// What the file kinds lay out differently in a route record.
struct RouteLayout {
    bool utf8 = false;  // texts are UTF-8 (.gdb version 109)
    // .mps: the 27 bytes between a name and its position are fixed, and a
    // position's altitude double follows its flag whatever the flag.
    bool mps = false;
    std::size_t pointEnd = 0;  // bytes that end a route point after its bounds
};

class RouteReader {
public:
    RouteReader(RouteLayout layout, ReadMode mode) : layout_(layout), mode_(mode) {}

    // The waypoint stored at `index`: route points of its name take what it
    // holds. The waypoints stored before the first route are looked up then.
    void NoteWaypoint(int index)
    {
        if (routeRead_) Index(index);
    }

    // Reads one record body into the next route of the store (from route 1).
    // Routes and route points past the table's capacity are counted and
    // dropped; the caller continues at the record's end.
    void ReadRoute(ByteReader& body);

private:
    void Index(int index);
    PositionBlock ReadBlock(ByteReader& body) const;
    bool SkipNameGap(ByteReader& body) const;
    void GiveDetail(RouteWpRecord& point, const std::string& nameBytes) const;

    const RouteLayout layout_;
    const ReadMode mode_;
    int nextRoute_ = 1;
    // The first stored waypoint of each name, by the name's hash; names are compared on lookup.
    std::unordered_multimap<std::size_t, int> waypoints_;
    bool routeRead_ = false;  // waypoints are indexed from the first route on
};

}  // namespace mapsource
