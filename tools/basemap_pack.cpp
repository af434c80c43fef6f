// SPDX-License-Identifier: GPL-3.0-or-later
// Build tool: turns a TopoJSON outline of land or of countries into the
// compact form the map reads. Land gives its polygons; countries give the
// borders, the arcs that two countries share, each drawn once.
// Usage: kes-basemap-pack land|borders INPUT.json OUTPUT
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "ui/view/BaseMapFile.h"

namespace {
using Arc = std::vector<std::int32_t>;  // x, y, x, y…: absolute quantized positions

[[noreturn]] void Fail(const QString& message)
{
    std::fprintf(stderr, "kes-basemap-pack: %s\n", qPrintable(message));
    std::exit(1);
}

std::vector<Arc> DecodeArcs(const QJsonArray& arcs)
{
    std::vector<Arc> out;
    for (const QJsonValue& arcValue : arcs) {
        Arc& arc = out.emplace_back();
        std::int32_t x = 0, y = 0;
        for (const QJsonValue& position : arcValue.toArray()) {
            const QJsonArray p = position.toArray();
            if (p.size() < 2) Fail("a position has fewer than two numbers");
            x += p[0].toInt();
            y += p[1].toInt();
            arc.push_back(x);
            arc.push_back(y);
        }
    }
    return out;
}

const Arc& ArcAt(const std::vector<Arc>& arcs, int index)
{
    const std::size_t at = index >= 0 ? std::size_t(index) : std::size_t(~index);
    if (at >= arcs.size()) Fail(QString("arc %1 does not exist").arg(index));
    return arcs[at];
}

// A ring across the date line goes on past 180° unbroken: the copies of the
// world beside this one draw the part beyond.
void Unwrap(Arc& ring, std::int32_t world)
{
    std::int32_t shift = 0, previous = ring[0];
    for (std::size_t i = 2; i < ring.size(); i += 2) {
        const std::int32_t raw = ring[i];
        if (raw - previous > world / 2) shift -= world;
        if (raw - previous < -world / 2) shift += world;
        previous = raw;
        ring[i] = raw + shift;
    }
    // The ring's middle in the world, not in a copy beside it.
    std::int32_t west = ring[0], east = ring[0];
    for (std::size_t i = 0; i < ring.size(); i += 2) {
        west = std::min(west, ring[i]);
        east = std::max(east, ring[i]);
    }
    const std::int32_t middle = west + (east - west) / 2;
    const std::int32_t whole = middle < 0 ? world : middle >= world ? -world : 0;
    for (std::size_t i = 0; i < ring.size(); i += 2) ring[i] += whole;
}

// Joins arcs into a ring, each after the first without its first position (the
// last of the one before); ~i is arc i reversed.
Arc Ring(const std::vector<Arc>& arcs, const QJsonArray& indexes)
{
    Arc ring;
    for (const QJsonValue& value : indexes) {
        const Arc& arc = ArcAt(arcs, value.toInt());
        const std::size_t n = arc.size() / 2;
        for (std::size_t k = ring.empty() ? 0 : 1; k < n; ++k) {
            const std::size_t i = value.toInt() >= 0 ? k : n - 1 - k;
            ring.push_back(arc[2 * i]);
            ring.push_back(arc[2 * i + 1]);
        }
    }
    return ring;
}

std::vector<QJsonArray> Polygons(const QJsonObject& geometry)
{
    const QJsonArray parts = geometry["arcs"].toArray();
    if (geometry["type"].toString() == "Polygon") return {parts};
    std::vector<QJsonArray> polygons;
    if (geometry["type"].toString() == "MultiPolygon")
        for (const QJsonValue& polygon : parts) polygons.push_back(polygon.toArray());
    return polygons;
}

void AddLand(const QJsonArray& geometries, const std::vector<Arc>& arcs, std::int32_t world, BaseMapLayer& layer)
{
    for (const QJsonValue& geometry : geometries)
        for (const QJsonArray& polygon : Polygons(geometry.toObject())) {
            layer.AddShape();
            for (const QJsonValue& indexes : polygon) {
                Arc ring = Ring(arcs, indexes.toArray());
                if (ring.size() < 6) continue;
                Unwrap(ring, world);
                layer.AddRing(ring);
            }
            if (layer.RingsBegin(layer.shapes.size() - 1) == layer.shapes.back().ringsEnd) layer.shapes.pop_back();
        }
}

void AddBorders(const QJsonArray& geometries, const std::vector<Arc>& arcs, std::int32_t world, BaseMapLayer& layer)
{
    // An arc of two countries' outlines is a border between them; one of a
    // single country is its coast, which the land draws.
    std::map<std::size_t, std::set<int>> users;
    for (int g = 0; g < geometries.size(); ++g)
        for (const QJsonArray& polygon : Polygons(geometries[g].toObject()))
            for (const QJsonValue& ring : polygon)
                for (const QJsonValue& index : ring.toArray()) {
                    const int i = index.toInt();
                    ArcAt(arcs, i);
                    users[i >= 0 ? std::size_t(i) : std::size_t(~i)].insert(g);
                }
    for (const auto& [index, countries] : users) {
        if (countries.size() < 2 || arcs[index].size() < 4) continue;
        Arc line = arcs[index];
        Unwrap(line, world);
        layer.AddShape();
        layer.AddRing(line);
    }
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4 || (std::string(argv[1]) != "land" && std::string(argv[1]) != "borders"))
        Fail("usage: kes-basemap-pack land|borders INPUT.json OUTPUT");
    const bool land = std::string(argv[1]) == "land";
    QFile input(argv[2]);
    if (!input.open(QIODevice::ReadOnly)) Fail(QString("%1: %2").arg(argv[2], input.errorString()));
    const QJsonObject topology = QJsonDocument::fromJson(input.readAll()).object();
    const QJsonArray scale = topology["transform"]["scale"].toArray();
    const QJsonArray translate = topology["transform"]["translate"].toArray();
    if (topology["type"].toString() != "Topology" || scale.size() != 2 || translate.size() != 2)
        Fail(QString("%1 is not a quantized topology").arg(argv[2]));
    BaseMapLayer layer;
    layer.kind = land ? BaseMapLayer::Kind::Areas : BaseMapLayer::Kind::Lines;
    layer.scaleX = scale[0].toDouble();
    layer.scaleY = scale[1].toDouble();
    layer.translateX = translate[0].toDouble();
    layer.translateY = translate[1].toDouble();
    const auto world = static_cast<std::int32_t>(std::lround(360 / layer.scaleX));
    const std::vector<Arc> arcs = DecodeArcs(topology["arcs"].toArray());
    const QJsonArray geometries = topology["objects"][land ? "land" : "countries"]["geometries"].toArray();
    if (land) AddLand(geometries, arcs, world, layer);
    else AddBorders(geometries, arcs, world, layer);
    if (layer.shapes.empty()) Fail(QString("%1 holds no %2").arg(argv[2], argv[1]));
    QFile output(argv[3]);
    const std::string bytes = EncodeBaseMapLayer(layer);
    if (!output.open(QIODevice::WriteOnly) || output.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        Fail(QString("%1: %2").arg(argv[3], output.errorString()));
    return 0;
}
