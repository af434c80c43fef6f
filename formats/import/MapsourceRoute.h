// SPDX-License-Identifier: GPL-3.0-or-later
// Route records, laid out alike in .mps and .gdb files: each route point
// placed by the link points and given what its waypoint holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/import/MapsourceGDB.h"

class ByteReader;

namespace mapsource {

class DocumentBuilder;

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
    RouteReader(RouteLayout layout, DocumentBuilder& builder) : layout_(layout), builder_(builder) {}

    // Reads one record body into the next route of the document; the caller
    // continues at the record's end.
    void ReadRoute(ByteReader& body);

private:
    PositionBlock ReadBlock(ByteReader& body) const;
    bool SkipNameGap(ByteReader& body) const;

    const RouteLayout layout_;
    DocumentBuilder& builder_;
};

}  // namespace mapsource
