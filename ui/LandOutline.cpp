// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LandOutline.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace {
constexpr qint64 kLargestOutline = 8 << 20;
const char* const kOutlineName = "land-110m.json";

// Arcs are quantized and delta-encoded: each position adds to the one before.
QList<QPolygonF> DecodeArcs(const QJsonObject& topology)
{
    const QJsonArray scale = topology["transform"]["scale"].toArray();
    const QJsonArray translate = topology["transform"]["translate"].toArray();
    const bool quantized = scale.size() == 2 && translate.size() == 2;
    QList<QPolygonF> arcs;
    for (const QJsonValue& arcValue : topology["arcs"].toArray()) {
        QPolygonF arc;
        double x = 0, y = 0;
        for (const QJsonValue& position : arcValue.toArray()) {
            const QJsonArray p = position.toArray();
            if (p.size() < 2) continue;
            if (quantized) {
                x += p[0].toDouble();
                y += p[1].toDouble();
                arc << QPointF(x * scale[0].toDouble() + translate[0].toDouble(),
                               y * scale[1].toDouble() + translate[1].toDouble());
            } else {
                arc << QPointF(p[0].toDouble(), p[1].toDouble());
            }
        }
        arcs << arc;
    }
    return arcs;
}

// A ring is its arcs joined, each after the first without its first position
// (the last of the one before); ~i is arc i reversed.
bool AppendRing(const QList<QPolygonF>& arcs, const QJsonArray& indexes, QList<QPolygonF>& rings)
{
    QPolygonF ring;
    for (const QJsonValue& value : indexes) {
        const int index = value.toInt();
        const qsizetype arcIndex = index >= 0 ? index : ~qsizetype(index);
        if (arcIndex >= arcs.size()) return false;
        QPolygonF arc = arcs[arcIndex];
        if (index < 0) std::reverse(arc.begin(), arc.end());
        if (!ring.isEmpty() && !arc.isEmpty()) arc.removeFirst();
        ring << arc;
    }
    if (ring.size() >= 3) rings << ring;
    return true;
}

void AppendPolygon(const QList<QPolygonF>& arcs, const QJsonArray& polygon, LandPolygons& out)
{
    QList<QPolygonF> rings;
    for (const QJsonValue& ring : polygon)
        if (!AppendRing(arcs, ring.toArray(), rings)) return;
    if (!rings.isEmpty()) out << rings;
}
}  // namespace

LandPolygons ParseLandOutline(const QByteArray& topoJson)
{
    const QJsonObject topology = QJsonDocument::fromJson(topoJson).object();
    if (topology["type"].toString() != "Topology") return {};
    const QList<QPolygonF> arcs = DecodeArcs(topology);
    LandPolygons polygons;
    const QJsonObject objects = topology["objects"].toObject();
    for (const QJsonValue& object : objects) {
        QJsonArray geometries = object["geometries"].toArray();
        if (geometries.isEmpty()) geometries.append(object);
        for (const QJsonValue& geometry : geometries) {
            const QString type = geometry["type"].toString();
            const QJsonArray parts = geometry["arcs"].toArray();
            if (type == "Polygon") AppendPolygon(arcs, parts, polygons);
            else if (type == "MultiPolygon")
                for (const QJsonValue& polygon : parts) AppendPolygon(arcs, polygon.toArray(), polygons);
        }
    }
    return polygons;
}

QStringList LandOutlinePlaces()
{
    const QString program = QCoreApplication::applicationDirPath();
    QStringList places = {program + "/" + kOutlineName, program + "/../share/kesTranscribe/" + kOutlineName};
    places << QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QString("kesTranscribe/") + kOutlineName);
    // Programs of the build tree outside its bin folder (tests, benchmarks).
    places << QString(KES_BUILD_SHARE) + "/" + kOutlineName;
    return places;
}

const LandPolygons& LandOutline()
{
    static const LandPolygons outline = [] {
        for (const QString& place : LandOutlinePlaces()) {
            QFile file(place);
            if (file.size() > kLargestOutline || !file.open(QIODevice::ReadOnly)) continue;
            LandPolygons polygons = ParseLandOutline(file.read(kLargestOutline));
            if (!polygons.isEmpty()) return polygons;
        }
        return LandPolygons{};
    }();
    return outline;
}
