// SPDX-License-Identifier: GPL-3.0-or-later
// The compact form of the map's land and borders made at build time: the
// outlines' quantized positions, delta- and varint-coded per ring, read back
// with every count and bound checked. Plain C++, so the build tool uses it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct BaseMapBox {
    std::int32_t west = 0, south = 0, east = -1, north = -1;  // quantized; empty while west > east
    bool Meets(const BaseMapBox& other) const
    {
        return west <= other.east && other.west <= east && south <= other.north && other.south <= north;
    }
    bool Holds(const BaseMapBox& other) const
    {
        return west <= other.west && other.east <= east && south <= other.south && other.north <= north;
    }
    bool operator==(const BaseMapBox&) const = default;
};

// A layer is areas (each shape an outline and its holes, filled) or lines
// (each shape one line). Positions are integers; degrees are
// position × scale + translate, longitude in x, latitude in y.
struct BaseMapLayer {
    enum class Kind : std::uint8_t { Areas = 0, Lines = 1 };
    struct Shape {
        BaseMapBox box;
        std::uint32_t ringsEnd = 0;  // its rings end before this index of ringEnds
        bool operator==(const Shape&) const = default;
    };
    Kind kind = Kind::Areas;
    double scaleX = 1, scaleY = 1, translateX = 0, translateY = 0;
    std::vector<std::int32_t> xy;         // x, y of every position, ring after ring
    std::vector<std::uint32_t> ringEnds;  // each ring's positions end before this index of xy / 2
    std::vector<Shape> shapes;

    // Starts a shape and adds rings to it; the box follows the positions.
    void AddShape() { shapes.push_back({BaseMapBox(), static_cast<std::uint32_t>(ringEnds.size())}); }
    void AddRing(std::span<const std::int32_t> positions);
    std::uint32_t RingsBegin(std::size_t shape) const { return shape == 0 ? 0 : shapes[shape - 1].ringsEnd; }
    std::uint32_t PositionsBegin(std::size_t ring) const { return ring == 0 ? 0 : ringEnds[ring - 1]; }
    bool operator==(const BaseMapLayer&) const = default;
};

std::string EncodeBaseMapLayer(const BaseMapLayer& layer);

// The layer, or an empty one with why the bytes are not one in `error`.
BaseMapLayer DecodeBaseMapLayer(std::span<const std::uint8_t> bytes, std::string& error);
