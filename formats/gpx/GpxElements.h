// SPDX-License-Identifier: GPL-3.0-or-later
// The elements of a GPX file the reader knows, where each may stand, and
// what their texts become: the model of the format, apart from the parser.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/convert/format_rows.h"
#include "core/document/document.h"

namespace gpx {

enum class Node : std::uint8_t {
    Gpx,
    Metadata,
    Author,
    Link,
    Wpt,
    Rte,
    Rtept,
    Trk,
    Trkseg,
    Trkpt,
    Extensions,       // of a point
    PointExtension,   // the common track point extension, inside Extensions
    Text,             // an element whose text is a field
    OtherExtensions,  // of the metadata, a route, a track, a track segment or the file
    Copyright,
    Email,  // GPX 1.1's author email, of two attributes
    Bounds,
};

enum class Field : std::uint8_t {
    Name,
    Desc,
    Cmt,
    Src,
    Sym,
    Type,
    Ele,
    Time,
    Fix,
    Sat,
    Hdop,
    Vdop,
    Pdop,
    Number,
    Keywords,
    Author,   // GPX 1.0's author text, or the name in 1.1's author element
    Url,      // GPX 1.0's link
    UrlName,  // GPX 1.0's link text
    LinkText,
    LinkType,
    Celsius,
    HeartRate,
    Cadence,
    WaterCelsius,
    Depth,
    Speed,
    Course,
    MagVar,
    GeoidHeight,
    AgeOfDgps,
    DgpsId,
    Email,  // GPX 1.0's
    CopyrightYear,
    CopyrightLicense,
};

bool IsPoint(Node node);
bool IsGroup(Node node);

// The known element `local` inside `parent`, with the field it holds for a
// Text node; nothing for an element that is skipped with all it holds.
// ofDocument: the element is of the document's namespace; uri: its namespace.
std::optional<Node> ChildOf(Node parent, std::string_view local, bool ofDocument, std::string_view uri, ReadMode mode,
                            Field& field);

// What the texts of the elements open go into: the point, route or track and
// metadata being read.
struct Owners {
    Point& point;
    GroupInfo& group;
    Metadata& metadata;
};

// Where the text of a field goes: the owner is the element that holds the
// Text node (a point, a route or track, the metadata, the root of GPX 1.0),
// or the owner of the link or extension that holds it.
void TakeText(Field field, std::string_view text, Node owner, const Owners& owners);
// A link element of its owner, with its href; its text and type follow.
void TakeLink(std::string_view href, Node owner, const Owners& owners);

}  // namespace gpx
