// SPDX-License-Identifier: GPL-3.0-or-later
// The map's shipped land and borders: the compact form read back exactly,
// damaged files refused, the detail chosen by zoom, and drawing cut to the view.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "ui/view/BaseMap.h"
#include "ui/view/MapProjection.h"

namespace {
BaseMapLayer Layer(BaseMapLayer::Kind kind, const std::vector<std::vector<std::vector<std::int32_t>>>& shapes)
{
    BaseMapLayer layer;
    layer.kind = kind;
    layer.scaleX = 360.0 / 99999;
    layer.scaleY = 0.0017;
    layer.translateX = -180;
    layer.translateY = -85.2;
    for (const auto& shape : shapes) {
        layer.AddShape();
        for (const auto& ring : shape) layer.AddRing(ring);
    }
    return layer;
}

const std::int32_t kFar = std::numeric_limits<std::int32_t>::max(), kNear = std::numeric_limits<std::int32_t>::min();
const BaseMapLayer kSquareWithHole =
    Layer(BaseMapLayer::Kind::Areas, {{{0, 0, 10, 0, 10, 10, 0, 10}, {2, 2, 3, 2, 3, 3}}});
const BaseMapLayer kExtremes =
    Layer(BaseMapLayer::Kind::Lines, {{{kNear, kFar, kFar, kNear, -1, 1}}, {{100050, 7, 99998, 7}}});

std::string Decoded(const std::string& bytes, BaseMapLayer* layer = nullptr)
{
    std::string error;
    const BaseMapLayer read =
        DecodeBaseMapLayer({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, error);
    if (layer) *layer = read;
    if (!error.empty()) {
        EXPECT_TRUE(read.shapes.empty());
    }
    return error;
}
}  // namespace

TEST(BaseMap, TheCompactFormReadsBackExactly)
{
    for (const BaseMapLayer& layer : {kSquareWithHole, kExtremes}) {
        BaseMapLayer read;
        EXPECT_EQ(Decoded(EncodeBaseMapLayer(layer), &read), "");
        EXPECT_EQ(read, layer);
    }
    EXPECT_EQ(kSquareWithHole.shapes[0].box.east, 10);
    EXPECT_EQ(kExtremes.shapes[0].box.west, kNear);
}

TEST(BaseMap, DamagedFilesAreRefusedWithAReason)
{
    const std::string good = EncodeBaseMapLayer(kSquareWithHole);
    // Cut anywhere, the file is refused.
    for (std::size_t size = 0; size < good.size(); ++size) EXPECT_NE(Decoded(good.substr(0, size)), "") << size;
    // Any byte changed, the file is read or refused whole (Decoded checks), never more.
    for (std::size_t at = 0; at < good.size(); ++at)
        for (const char value : {'\x00', '\x7f', '\x80', '\xff'}) {
            std::string changed = good;
            changed[at] = value;
            Decoded(changed);
        }
    struct Case {
        std::size_t at;
        std::string bytes;
        const char* reason;
    };
    const std::size_t shapes = 8 + 32;  // after the start, the version, the kind and the scale
    const Case cases[] = {
        {0, "X", "it is not a map outline of this program"},
        {6, "\x07", "it is of another version of this program"},
        {7, "\x05", "it is of another version of this program"},
        {8, std::string(8, '\0'), "its scale is not positive"},
        {8, std::string("\0\0\0\0\0\0\xf8\x7f", 8), "its scale is cut short or not a number"},
        {shapes, "\xff\xff\xff\x0f", "it counts more shapes than it holds"},
        {shapes + 4, std::string(1, '\0'), "a shape counts more rings than the file holds"},
        {shapes + 5, "\x02", "a ring has too few positions"},
        {shapes + 5, "\xff\x7f", "a ring counts more positions than the file holds"},
        {shapes + 6, "\xff\xff\xff\xff\xff\xff\xff\xff\xff\x7f", "a ring's positions are cut short"},
        {shapes + 6, "\xfe\xff\xff\xff\x1f", "a position lies beyond the map"},
        {good.size(), std::string(1, '\0'), "bytes follow its last shape"},
    };
    for (const Case& c : cases) {
        std::string bad = good;
        bad.replace(c.at, std::min(c.bytes.size(), bad.size() - c.at), c.bytes);
        EXPECT_EQ(Decoded(bad), c.reason) << c.at;
    }
}

TEST(BaseMap, TheDetailFollowsTheZoom)
{
    const std::pair<double, BaseMapDetail> cases[] = {
        {64, BaseMapDetail::World},     {2047, BaseMapDetail::World}, {2048, BaseMapDetail::Region},
        {16383, BaseMapDetail::Region}, {16384, BaseMapDetail::Town}, {256.0 * (1 << 21), BaseMapDetail::Town}};
    for (const auto& [scale, detail] : cases) EXPECT_EQ(DetailForScale(scale), detail) << scale;
}

// Every level is shipped whole; a town's view draws its land and borders
// within a few pixels of the view, whatever lies beyond.
TEST(BaseMap, TheShippedLevelsDrawCutToTheView)
{
    for (const BaseMapDetail detail : {BaseMapDetail::World, BaseMapDetail::Region, BaseMapDetail::Town}) {
        const auto level = ShippedBaseMap(detail);
        EXPECT_EQ(level->problem, "");
        EXPECT_GT(level->land->shapes.size(), 100u);
        EXPECT_EQ(level->land->points.size(), level->land->ringEnds.back());
        EXPECT_GT(level->borders->shapes.size(), 100u);
    }
    // Basel, where France, Germany and Switzerland meet, 1280 × 800 pixels at tile zoom 12.
    const double scale = 256 << 12;
    const QPointF basel = WorldOf(47.56, 7.59);
    const QRectF view(basel - QPointF(640, 400) / scale, QSizeF(1280, 800) / scale);
    const QPointF origin = -view.topLeft() * scale;
    const auto town = ShippedBaseMap(DetailForScale(scale));
    const QPainterPath land = BaseMapPath(*town->land, view, origin, scale);
    const QPainterPath borders = BaseMapPath(*town->borders, view, origin, scale);
    EXPECT_TRUE(land.contains(QPointF(640, 400)));
    const double beyond = 5;  // the cuts lie a few pixels beyond the view
    const QRectF near = QRectF(0, 0, 1280, 800).adjusted(-beyond, -beyond, beyond, beyond);
    EXPECT_TRUE(near.contains(land.boundingRect())) << land.boundingRect().width();
    EXPECT_LT(land.elementCount(), 2000);
}

// The build tool: land keeps its rings, whole on one side of the date line;
// borders are the arcs two countries share, each once; a file that is not a
// quantized topology is refused with a message.
TEST(BaseMap, TheBuildToolMakesLandAndBorders)
{
    const char* const square = R"("transform":{"scale":[0.0036000360003600037,1],"translate":[-180,0]},
        "arcs":[[[99980,0],[-99969,0],[0,10],[99969,0]],[[99980,10],[0,-10]],[[99980,0],[0,10]]],)";
    struct Case {
        const char* kind;
        std::string json;
        std::vector<std::vector<std::int32_t>> rings;  // of the one shape, or none when refused
    };
    const Case cases[] = {
        // A ring across the date line, from 179.93° E to 180.04° (179.96° W).
        {"land",
         std::string(R"({"type":"Topology",)") + square +
             R"("objects":{"land":{"type":"GeometryCollection","geometries":[{"type":"Polygon","arcs":[[0,1]]}]}}})",
         {{99980, 0, 100010, 0, 100010, 10, 99980, 10, 99980, 0}}},
        // Three countries, arc 2 between the last two: the one border.
        {"borders",
         std::string(R"({"type":"Topology",)") + square +
             R"("objects":{"countries":{"type":"GeometryCollection","geometries":[
                {"type":"Polygon","arcs":[[0,1]]},{"type":"MultiPolygon","arcs":[[[2]]]},{"type":"Polygon","arcs":[[-3]]}]}}})",
         {{99980, 0, 99980, 10}}},
        {"land", R"({"type":"Topology","arcs":[],"objects":{}})", {}},
        {"land",
         std::string(R"({"type":"Topology",)") + square + R"("objects":{"land":{"type":"Polygon","arcs":[[7]]}}})",
         {}},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        QFile json(dir.filePath("in.json"));
        ASSERT_TRUE(json.open(QIODevice::WriteOnly));
        json.write(c.json.data(), qint64(c.json.size()));
        json.close();
        QProcess tool;
        tool.start(KES_BASEMAP_PACK, {c.kind, json.fileName(), dir.filePath("out.kbm")});
        ASSERT_TRUE(tool.waitForFinished());
        EXPECT_EQ(tool.exitCode() == 0, !c.rings.empty()) << c.json;
        if (c.rings.empty()) {
            EXPECT_TRUE(tool.readAllStandardError().startsWith("kes-basemap-pack: ")) << c.json;
            continue;
        }
        QFile out(dir.filePath("out.kbm"));
        ASSERT_TRUE(out.open(QIODevice::ReadOnly));
        BaseMapLayer layer;
        EXPECT_EQ(Decoded(out.readAll().toStdString(), &layer), "");
        ASSERT_EQ(layer.shapes.size(), 1u) << c.json;
        EXPECT_EQ(layer.xy, c.rings[0]) << c.json;
    }
}
