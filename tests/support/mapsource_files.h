// SPDX-License-Identifier: GPL-3.0-or-later
// MapSource .mps and .gdb files built from bytes, for tests that need whole
// files of many records rather than one field at a time.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

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

// The 27 bytes between a name and its position, with an empty region text.
inline void NameGap(ByteBuilder& b) { b.u32(0).u8(0).u32(0).fill(12, 0xff).u16(0).u32(0xffffffff); }

inline void MpsWaypoint(ByteBuilder& file, const std::string& name, double lat, double lon)
{
    ByteBuilder w;
    w.zeroText(name);
    NameGap(w);
    w.i32(Semicircles(lat)).i32(Semicircles(lon)).u8(1).f64(100).zeroText("").fill(17, 0).i32(18).fill(20, 0);
    Record(file, 'W', w);
}

inline void GdbWaypoint(ByteBuilder& file, const std::string& name, double lat, double lon)
{
    ByteBuilder w;
    w.zeroText(name);
    NameGap(w);
    w.i32(Semicircles(lat)).i32(Semicircles(lon)).u8(0).zeroText("").u8(0).i32(0).i32(0).i32(18).i32(0).u8(0);
    w.u16(0).i32(0).zeroText("").zeroText("").u16(0).u8(0).u8(0);
    Record(file, 'W', w);
}

inline void MpsTrack(ByteBuilder& file, const std::string& name, int points)
{
    ByteBuilder t;
    t.zeroText(name).u8(0).i32(0).i32(points);
    for (int i = 0; i < points; ++i)
        t.i32(Semicircles(45)).i32(Semicircles(i * 1e-5)).u8(0).f64(0).u8(1).u32(1000000000u + i).u8(0).f64(0);
    Record(file, 'T', t);
}

inline void GdbTrack(ByteBuilder& file, const std::string& name, int points)
{
    ByteBuilder t;
    t.zeroText(name).u8(0).i32(0).u32(static_cast<std::uint32_t>(points));
    for (int i = 0; i < points; ++i)
        t.i32(Semicircles(45)).i32(Semicircles(i * 1e-5)).u8(0).u8(1).u32(1000000000u + i).u8(0).u8(0);
    Record(file, 'T', t);
}

// A version 108 route of `points` route points without link points.
inline void GdbRoute(ByteBuilder& file, const std::string& name, int points)
{
    ByteBuilder r;
    r.zeroText(name).u16(0).i32(0).i32(0).u8(0).i32(0).i32(0).u8(0).u32(static_cast<std::uint32_t>(points));
    for (int k = 1; k <= points; ++k) {
        r.zeroText("P" + std::to_string(k));
        NameGap(r);
        r.fill(19, 0).u32(0);
        r.u8(0).i32(0).i32(0).u8(0).i32(0).i32(0).u8(0).fill(8, 0xff);
    }
    Record(file, 'R', r);
}

}  // namespace mapsource_files
