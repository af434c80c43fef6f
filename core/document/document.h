// SPDX-License-Identifier: GPL-3.0-or-later
// The data of a conversion as one value: the waypoints, routes and tracks the
// inputs held, each point with every field a reader knows, without caps.
// Readers make one, steps change one, writers take one; the native formats
// apply their capacities when a document is written to them.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "core/document/point.h"
#include "core/document/point_list.h"

// A route or a track as a whole.
struct GroupInfo {
    std::string name{}, comment{}, description{}, source{}, type{};  // UTF-8
    std::vector<Link> links{};
    std::int32_t number = -1;  // none when negative
    // A colour the input gave it (0x00BBGGRR); none: the output's own.
    std::optional<std::uint32_t> colour{};
    std::string extensions{};  // XML kept as read, for the outputs that can hold it
    friend bool operator==(const GroupInfo&, const GroupInfo&) = default;
};

struct Route {
    GroupInfo info{};
    PointList points{};
    // The road a program traced from each point to the next (its link
    // points, autorouted), as the input gave it: after route point i come
    // linksAfter[i] of the links, in order. Empty where the input gives none.
    PointList links{};
    std::vector<std::uint32_t> linksAfter{};
    // Its points made anew (cropped, simplified): the road between them no longer holds.
    void ReplacePoints(PointList kept);
};

// A track; a point's newSection starts a section (the first point always does).
struct Track {
    GroupInfo info{};
    PointList points{};
    // The number the input gave its place (a Holux image's slot), which the
    // native track file written of it takes; 0: its place in the document.
    int slot = 0;
    // XML kept as read: the extensions of its sections, by their order.
    std::vector<std::string> sectionExtensions{};
    // Its reader made its sections by the rule of core/document/gap_sections.h, its
    // file holding none (an NMEA log): a repair that reads its times anew
    // makes them again.
    bool sectionsAtGaps = false;
    // The earliest its receiver can have logged it, as its file shows (an
    // NMEA log's sentences of a satellite system launched then): times long
    // before it are a week rollover's.
    std::optional<UtcTime> loggedNotBefore{};
};

struct Person {
    std::string name{}, email{};
    std::vector<Link> links{};
    friend bool operator==(const Person&, const Person&) = default;
};

// What a file says of itself.
struct Metadata {
    std::string name{}, description{}, keywords{};
    Person author{};
    std::string copyrightAuthor{}, copyrightYear{}, copyrightLicense{};
    std::vector<Link> links{};
    std::optional<UtcTime> time{};
    std::string extensions{};
    std::string fileExtensions{};  // XML kept as read: the extensions of the file as a whole
    bool bounds = false;           // the input gave its bounds: the output gives those of what it holds
    bool Empty() const { return *this == Metadata{}; }
    // Anything of the file's own, its bounds apart.
    bool HasDetails() const;
    friend bool operator==(const Metadata&, const Metadata&) = default;
};

struct Document {
    Metadata metadata{};
    PointList waypoints{};
    std::vector<Route> routes{};
    std::vector<Track> tracks{};

    bool Empty() const { return waypoints.empty() && routes.empty() && tracks.empty(); }
    std::int64_t TrackPointCount() const;
    // An empty list, route or track of the waypoints' context: a reader
    // makes every list it fills from the document it was given
    // (NewReadResult), so that each reports to its read and spills where it says.
    PointList NewList() const { return waypoints.EmptyLike(); }
    Route NewRoute() const { return Route{.points = NewList(), .links = NewList()}; }
    Track NewTrack() const { return Track{.points = NewList()}; }
    // Another document after this one: its waypoints, routes and tracks
    // follow these; its file details are taken whole where this one has
    // none, since one file's details are never mixed with another's. True
    // when the other's details were other than these and are dropped.
    bool Append(Document&& other);
};

// The same file details, bounds apart.
bool SameDetails(const Metadata& a, const Metadata& b);
