// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/BaseMapFile.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/io/byte_reader.h"

namespace {
constexpr char kMagic[] = {'K', 'E', 'S', 'M', 'A', 'P'};
constexpr std::uint8_t kVersion = 1;

void PutVarint(std::string& out, std::uint64_t value)
{
    while (value >= 0x80) {
        out += static_cast<char>((value & 0x7f) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

void PutSigned(std::string& out, std::int64_t value)
{
    // Zigzag: small magnitudes of either sign take few bytes.
    const auto zigzag = static_cast<std::uint64_t>(value < 0 ? ~(value << 1) : value << 1);
    PutVarint(out, zigzag);
}

template <typename T>
void PutFixed(std::string& out, T value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename Unsigned>
bool GetVarint(ByteReader& in, Unsigned& value)
{
    constexpr int kBits = 8 * sizeof(Unsigned);
    value = 0;
    for (int shift = 0; shift < kBits; shift += 7) {
        std::uint8_t byte = 0;
        if (!in.u8(byte)) return false;
        if (shift + 7 > kBits && (byte & 0x7f) >> (kBits - shift)) return false;  // beyond the type
        value |= static_cast<Unsigned>(byte & 0x7f) << shift;
        if (!(byte & 0x80)) return true;
    }
    return false;
}

bool GetSigned(ByteReader& in, std::int64_t& value)
{
    std::uint64_t zigzag = 0;
    if (!GetVarint(in, zigzag)) return false;
    value = (zigzag & 1) ? -static_cast<std::int64_t>(zigzag >> 1) - 1 : static_cast<std::int64_t>(zigzag >> 1);
    return true;
}

bool InRange(std::int64_t v)
{
    return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

// Reads the shapes; the text says what is wrong, empty when nothing is.
std::string ReadShapes(ByteReader& in, BaseMapLayer& layer)
{
    std::uint32_t shapes = 0;
    if (!in.u32(shapes)) return "it ends before its count of shapes";
    // Every shape takes a byte at least, every ring one, every position two.
    if (shapes > in.remaining()) return "it counts more shapes than it holds";
    std::vector<std::int32_t> ring;
    for (std::uint32_t s = 0; s < shapes; ++s) {
        std::uint32_t rings = 0;
        if (!GetVarint(in, rings)) return "a shape's count of rings is cut short";
        if (rings == 0 || rings > in.remaining()) return "a shape counts more rings than the file holds";
        layer.AddShape();
        for (std::uint32_t r = 0; r < rings; ++r) {
            std::uint32_t count = 0;
            if (!GetVarint(in, count)) return "a ring's count of positions is cut short";
            const std::uint32_t least = layer.kind == BaseMapLayer::Kind::Areas ? 3 : 2;
            if (count < least) return "a ring has too few positions";
            if (count > in.remaining() / 2) return "a ring counts more positions than the file holds";
            ring.clear();
            std::int64_t x = 0, y = 0;
            for (std::uint32_t p = 0; p < count; ++p) {
                std::int64_t dx = 0, dy = 0;
                if (!GetSigned(in, dx) || !GetSigned(in, dy)) return "a ring's positions are cut short";
                if (!InRange(dx / 2) || !InRange(dy / 2)) return "a position lies beyond the map";
                x += dx;
                y += dy;
                if (!InRange(x) || !InRange(y)) return "a position lies beyond the map";
                ring.push_back(static_cast<std::int32_t>(x));
                ring.push_back(static_cast<std::int32_t>(y));
            }
            layer.AddRing(ring);
        }
    }
    return in.at_end() ? "" : "bytes follow its last shape";
}
}  // namespace

void BaseMapLayer::AddRing(std::span<const std::int32_t> positions)
{
    BaseMapBox& box = shapes.back().box;
    for (std::size_t i = 0; i + 1 < positions.size(); i += 2) {
        const bool first = box.west > box.east;
        box.west = first ? positions[i] : std::min(box.west, positions[i]);
        box.east = first ? positions[i] : std::max(box.east, positions[i]);
        box.south = first ? positions[i + 1] : std::min(box.south, positions[i + 1]);
        box.north = first ? positions[i + 1] : std::max(box.north, positions[i + 1]);
    }
    xy.insert(xy.end(), positions.begin(), positions.end());
    ringEnds.push_back(static_cast<std::uint32_t>(xy.size() / 2));
    shapes.back().ringsEnd = static_cast<std::uint32_t>(ringEnds.size());
}

std::string EncodeBaseMapLayer(const BaseMapLayer& layer)
{
    std::string out(kMagic, sizeof kMagic);
    out += static_cast<char>(kVersion);
    out += static_cast<char>(layer.kind);
    for (const double v : {layer.scaleX, layer.scaleY, layer.translateX, layer.translateY}) PutFixed(out, v);
    PutFixed(out, static_cast<std::uint32_t>(layer.shapes.size()));
    for (std::size_t s = 0; s < layer.shapes.size(); ++s) {
        const std::uint32_t begin = layer.RingsBegin(s);
        PutVarint(out, layer.shapes[s].ringsEnd - begin);
        for (std::uint32_t r = begin; r < layer.shapes[s].ringsEnd; ++r) {
            const std::uint32_t from = layer.PositionsBegin(r);
            PutVarint(out, layer.ringEnds[r] - from);
            std::int64_t x = 0, y = 0;
            for (std::uint32_t p = from; p < layer.ringEnds[r]; ++p) {
                PutSigned(out, layer.xy[2 * p] - x);
                PutSigned(out, layer.xy[2 * p + 1] - y);
                x = layer.xy[2 * p];
                y = layer.xy[2 * p + 1];
            }
        }
    }
    return out;
}

BaseMapLayer DecodeBaseMapLayer(std::span<const std::uint8_t> bytes, std::string& error)
{
    ByteReader in(bytes);
    std::string magic;
    std::uint8_t version = 0, kind = 0;
    BaseMapLayer layer;
    if (!in.text(sizeof kMagic, magic) || magic != std::string(kMagic, sizeof kMagic)) {
        error = "it is not a map outline of this program";
        return {};
    }
    if (!in.u8(version) || version != kVersion || !in.u8(kind) || kind > 1) {
        error = "it is of another version of this program";
        return {};
    }
    layer.kind = static_cast<BaseMapLayer::Kind>(kind);
    for (double* v : {&layer.scaleX, &layer.scaleY, &layer.translateX, &layer.translateY})
        if (!in.f64(*v) || !std::isfinite(*v)) {
            error = "its scale is cut short or not a number";
            return {};
        }
    if (layer.scaleX <= 0 || layer.scaleY <= 0) {
        error = "its scale is not positive";
        return {};
    }
    // Every position takes two bytes at least: room for all, grown once.
    layer.xy.reserve(std::min<std::size_t>(in.remaining(), std::size_t(1) << 24));
    error = ReadShapes(in, layer);
    return error.empty() ? layer : BaseMapLayer{};
}
