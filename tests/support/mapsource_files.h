// SPDX-License-Identifier: GPL-3.0-or-later
// MapSource .mps and .gdb files built from bytes: whole files of many
// records, and records whose every field a test chooses.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/byte_builder.h"

namespace mapsource_files {

inline std::int32_t Semicircles(double degrees)
{
    return static_cast<std::int32_t>(std::lround(degrees * 2147483648.0 / 180.0));
}

inline ByteBuilder MpsHeader(std::uint16_t version)
{
    ByteBuilder f;
    f.text("MsRcd").u8(0).i32(2).u8('D').u16(version).i32(27).u8('A').u16(0);
    f.zeroText("SQA").zeroText("Oct 22 2001").zeroText("15:45:05");
    return f;
}

inline ByteBuilder GdbHeader(std::uint16_t version)
{
    ByteBuilder f;
    f.text("MsRcf").u8(0).i32(2).u8('D').u16(version).i32(27).u8('A').u16(0);
    f.zeroText("SQA").zeroText("Aug  8 2005").zeroText("10:17:17").zeroText("MapSource");
    return f;
}

inline void Record(ByteBuilder& file, char type, const ByteBuilder& body)
{
    file.i32(static_cast<std::int32_t>(body.size())).u8(static_cast<std::uint8_t>(type));
    file.bytes.insert(file.bytes.end(), body.bytes.begin(), body.bytes.end());
}

// The 27 bytes between a name and its position, with a region text (.gdb:
// of its own length; .mps: in three fixed bytes).
inline void NameGap(ByteBuilder& b, const std::string& region = "", bool mps = false)
{
    b.u32(0);
    if (mps) b.fixed(region, 3).u16(0);
    else b.zeroText(region).u32(0);
    b.fill(12, 0xff).u16(0).u32(0xffffffff);
}

// A value the file holds only after a flag byte of 1.
inline void Flagged(ByteBuilder& b, std::optional<double> value)
{
    b.u8(value ? 1 : 0);
    if (value) b.f64(*value);
}

struct Wpt {
    std::string name = "WP1";
    double lat = 51.5, lon = -0.25;
    std::optional<double> metres{};
    std::string comment{};
    std::int32_t symbol = 18;
    std::string region{};
    // .gdb only
    std::optional<double> proximity{};
    std::int32_t display = 0;
    std::optional<double> depth{};
    std::string description{}, link{};
    std::optional<std::uint32_t> seconds{};
    std::vector<std::string> list{};  // version 109: the texts of its list; the link is the first
    std::string facility{};           // texts where an ordinary waypoint has its values after the symbol
    std::string city{}, state{};
    std::string street{}, phone{}, country{}, postalCode{};  // version 109
    std::uint16_t categories = 0;
    std::optional<double> celsius = 1.5;
};

// An .mps waypoint: its altitude double stands there whatever its flag.
inline void MpsWaypoint(ByteBuilder& file, const Wpt& w)
{
    ByteBuilder b;
    b.zeroText(w.name);
    NameGap(b, w.region, true);
    b.i32(Semicircles(w.lat)).i32(Semicircles(w.lon)).u8(w.metres ? 1 : 0).f64(w.metres.value_or(0));
    b.zeroText(w.comment).fill(17, 0).i32(w.symbol).fill(20, 0);
    Record(file, 'W', b);
}

inline void GdbWaypoint(ByteBuilder& file, const Wpt& w, std::uint16_t version = 108)
{
    ByteBuilder b;
    b.zeroText(w.name);
    NameGap(b, w.region);
    b.i32(Semicircles(w.lat)).i32(Semicircles(w.lon));
    Flagged(b, w.metres);
    b.zeroText(w.comment);
    Flagged(b, w.proximity);
    b.i32(w.display).i32(0).i32(w.symbol);
    if (!w.facility.empty()) {
        b.text(w.facility).fill(13, 0);
    } else {
        b.zeroText(w.city).zeroText(w.state).u16(0);  // and an empty facility text, and a byte
        Flagged(b, w.depth);
        if (version >= 109) b.zeroText(w.street).fill(5, 0);
        else b.fill(6, 0);
        b.zeroText(w.description);
        if (version >= 109) {
            b.u32(static_cast<std::uint32_t>(w.list.size()));
            for (const std::string& text : w.list) b.zeroText(text);
        } else {
            b.zeroText(w.link);
        }
        b.u16(w.categories);
        Flagged(b, w.celsius);
    }
    b.u8(w.seconds ? 1 : 0);
    if (w.seconds) b.u32(*w.seconds);
    if (version >= 109 && w.facility.empty()) {
        b.u32(w.phone.empty() ? 0 : 1);
        if (!w.phone.empty()) b.zeroText(w.phone).u8(0);
        b.zeroText(w.country).zeroText(w.postalCode);
    }
    Record(file, 'W', b);
}

inline void MpsWaypoint(ByteBuilder& file, const std::string& name, double lat, double lon)
{
    MpsWaypoint(file, {.name = name, .lat = lat, .lon = lon, .metres = 100});
}
inline void GdbWaypoint(ByteBuilder& file, const std::string& name, double lat, double lon)
{
    GdbWaypoint(file, {.name = name, .lat = lat, .lon = lon});
}

struct Fix {
    double lat = 50, lon = 8;
    std::optional<double> metres{};
    std::optional<std::uint32_t> seconds = 0;
    std::optional<double> depth{};  // .gdb only
};

inline void TrackRecord(ByteBuilder& file, const std::string& name, const std::vector<Fix>& points, bool mps)
{
    ByteBuilder b;
    b.zeroText(name).u8(0).i32(0).u32(static_cast<std::uint32_t>(points.size()));
    for (const Fix& p : points) {
        b.i32(Semicircles(p.lat)).i32(Semicircles(p.lon));
        if (mps) {
            b.u8(p.metres ? 1 : 0).f64(p.metres.value_or(0)).u8(p.seconds ? 1 : 0).u32(p.seconds.value_or(0));
            b.u8(0).f64(0);
            continue;
        }
        Flagged(b, p.metres);
        b.u8(p.seconds ? 1 : 0);
        if (p.seconds) b.u32(*p.seconds);
        Flagged(b, p.depth);
        Flagged(b, std::nullopt);
    }
    Record(file, 'T', b);
}

inline void MpsTrack(ByteBuilder& file, const std::string& name, int points)
{
    std::vector<Fix> list;
    for (int i = 0; i < points; ++i) list.push_back({45, i * 1e-5, std::nullopt, 1000000000u + i});
    TrackRecord(file, name, list, true);
}
inline void GdbTrack(ByteBuilder& file, const std::string& name, int points)
{
    std::vector<Fix> list;
    for (int i = 0; i < points; ++i) list.push_back({45, i * 1e-5, std::nullopt, 1000000000u + i});
    TrackRecord(file, name, list, false);
}

struct LinkPoint {
    double lat, lon;
};
struct RoutePoint {
    std::string name;
    std::vector<LinkPoint> links{};
    bool bounds = true;  // the two blocks of the leg's bounds, after a flag byte 0
};

// A route of the layout of a .gdb file of that version, or of an .mps file.
inline ByteBuilder RouteBody(const std::string& name, const std::vector<RoutePoint>& points, std::uint16_t version,
                             bool mps = false)
{
    ByteBuilder b;
    const auto block = [&](const LinkPoint& p, std::optional<double> metres) {
        b.i32(Semicircles(p.lat)).i32(Semicircles(p.lon));
        if (mps) b.u8(metres ? 1 : 0).f64(metres.value_or(0));
        else Flagged(b, metres);
    };
    b.zeroText(name).u16(0);
    block({1, 1}, 10);
    block({2, 2}, std::nullopt);
    b.u32(static_cast<std::uint32_t>(points.size()));
    for (const RoutePoint& p : points) {
        b.zeroText(p.name);
        NameGap(b, "", mps);
        b.fill(19, 0).u32(static_cast<std::uint32_t>(p.links.size()));
        for (std::size_t l = 0; l < p.links.size(); ++l)
            block(p.links[l], l == 0 ? std::optional(100.0) : std::nullopt);
        b.u8(p.bounds ? 0 : 1);
        if (p.bounds) {
            block({7, 7}, std::nullopt);
            block({8, 8}, 3);
        }
        if (!mps && version >= 108) b.fill(8, 0xff);
        if (!mps && version >= 109) b.u16(0);
    }
    return b;
}

// A version 108 route of `points` route points without link points.
inline void GdbRoute(ByteBuilder& file, const std::string& name, int points)
{
    std::vector<RoutePoint> list;
    for (int k = 1; k <= points; ++k) list.push_back({"P" + std::to_string(k)});
    Record(file, 'R', RouteBody(name, list, 108));
}

}  // namespace mapsource_files
