// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "core/document/document.h"
#include "core/document/point_list.h"

namespace {
// A point with every value, and texts of the length asked for.
Point RichPoint(int i, std::size_t textLength)
{
    Point p;
    p.latitude = -45 + i * 1e-5;
    p.longitude = 170 + i * 1e-5;
    p.elevation = i * 0.25;
    p.time = UtcTime{1700000000 + i, i % 1000 * 1000};
    p.speed = 3.5;
    p.course = 271;
    p.magneticVariation = -2;
    p.geoidHeight = 47.1;
    p.hdop = 0.9;
    p.vdop = 1.1;
    p.pdop = 1.4;
    p.ageOfDgps = 3;
    p.celsius = 21.5;
    p.waterCelsius = 12;
    p.depth = 4.5;
    p.dgpsStation = 17;
    p.satellites = 9;
    p.heartRate = 141;
    p.cadence = 88;
    p.fix = 3;
    p.newSection = i % 7 == 0;
    p.undated = i % 5 == 0;
    p.symbolCode = 18;
    p.name = std::string(textLength, static_cast<char>('a' + i % 26));
    p.comment = "cmt";
    p.description = "desc";
    p.source = "src";
    p.symbol = "Flag, Blue";
    p.type = "type";
    p.links = {{"https://a.example/" + std::to_string(i), "a", "text/html"}, {"https://b.example", "", ""}};
    p.device.city = "Görlitz";
    p.device.categories = {"one", "two"};
    p.device.proximity = 25;
    p.extensions = "<x:a xmlns:x=\"urn:x\">1</x:a>";
    if (i % 2 == 0) p.native = {.feet = 12.5f, .number = i, .noDateDay = true};
    if (i % 3 == 0) p.native.dayOfConversion = true;
    return p;
}
}  // namespace

// Whatever a point holds comes back equal, in order, from memory and from the
// temporary file a long list goes on in, also through a copy taken meanwhile.
TEST(PointList, KeepsEveryPointWholeInOrder)
{
    std::mt19937 random(7);
    for (const std::size_t count : {0u, 1u, 3u, 60000u}) {
        PointList list;
        std::vector<Point> expected;
        PointList copy;
        for (std::size_t i = 0; i < count; ++i) {
            Point p = random() % 3 == 0 ? RichPoint(static_cast<int>(i), random() % 1000) : Point{};
            if (p.name.empty()) {
                p.latitude = static_cast<double>(i);
                p.longitude = -static_cast<double>(i);
            }
            list.push_back(p);
            expected.push_back(p);
            if (i == count / 2) copy = list;
        }
        EXPECT_EQ(list.size(), count);
        EXPECT_EQ(list.ToVector(), expected);
        std::size_t i = 0;
        for (const Point& p : list) EXPECT_EQ(p, expected[i++]) << i;
        EXPECT_EQ(i, count);
        if (count > 0) {
            EXPECT_EQ(copy.size(), count / 2 + 1);
            EXPECT_EQ(copy.ToVector(), std::vector<Point>(expected.begin(), expected.begin() + count / 2 + 1));
        }
    }
}

// Lists joined in memory, joined where the whole goes on in its file, and a
// list appended to itself.
TEST(PointList, AppendKeepsEveryPointInOrder)
{
    constexpr std::size_t kText = 1000;  // a point takes somewhat more, packed
    for (const std::size_t count : {std::size_t{10}, PointList::kInMemory / kText}) {
        std::vector<Point> expected;
        PointList first, second;
        for (std::size_t i = 0; i < count; ++i) {
            expected.push_back(RichPoint(static_cast<int>(i), kText));
            (i < count / 2 ? first : second).push_back(expected.back());
        }
        first.Append(second);
        EXPECT_EQ(first.size(), count);
        EXPECT_EQ(first.ToVector(), expected);
        first.Append(first);
        const std::vector<Point> once = expected;
        expected.insert(expected.end(), once.begin(), once.end());
        EXPECT_EQ(first.ToVector(), expected);
    }
}

TEST(Document, AppendKeepsEveryPartInOrder)
{
    Document a, b;
    a.waypoints = {RichPoint(1, 3)};
    a.tracks.push_back({{.name = "first"}, {RichPoint(2, 1)}});
    b.metadata.name = "b";
    b.waypoints = {RichPoint(3, 2)};
    b.routes.push_back({{.name = "route"}, {RichPoint(4, 1), RichPoint(5, 1)}});
    b.tracks.push_back({{.name = "second"}, {}});
    a.Append(std::move(b));
    EXPECT_EQ(a.metadata.name, "b");
    EXPECT_EQ(a.waypoints.ToVector(), (std::vector<Point>{RichPoint(1, 3), RichPoint(3, 2)}));
    ASSERT_EQ(a.routes.size(), 1u);
    EXPECT_EQ(a.routes[0].points.size(), 2u);
    ASSERT_EQ(a.tracks.size(), 2u);
    EXPECT_EQ(a.tracks[1].info.name, "second");
    EXPECT_EQ(a.TrackPointCount(), 1);
}
