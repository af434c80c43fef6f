// SPDX-License-Identifier: GPL-3.0-or-later
// Each shaping step checked by the property that defines it, on random
// tracks: what simplify leaves out lies within its tolerance of what it
// keeps, a split leaves no gap over its limit inside a track, a merge keeps
// every point once in time order, a crop keeps exactly the points inside,
// dedupe keeps the first of each group, fit keeps the least it must.
#include <gtest/gtest.h>

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/GeodesicLine.hpp>
#include <algorithm>
#include <cmath>
#include <random>

#include "core/document/figures.h"
#include "shape/douglas_peucker.h"
#include "shape/shape_steps.h"
#include "shape/step_choice.h"

namespace {
// A walk of `count` points from near (lat, lon), steps up to `stride` metres,
// one a second with pauses; each point's number in its elevation, to follow it.
PointList Walk(std::mt19937& random, std::size_t count, double latitude, double longitude, double stride,
               std::int64_t start = 1'700'000'000)
{
    std::uniform_real_distribution<double> unit(-1, 1), turn(-0.6, 0.6), pause(0, 1);
    PointList points;
    double heading = unit(random) * 3.14, seconds = static_cast<double>(start);
    for (std::size_t i = 0; i < count; ++i) {
        Point p;
        p.latitude = latitude;
        p.longitude = longitude;
        p.elevation = static_cast<double>(i);
        p.time = UtcTime{static_cast<std::int64_t>(seconds), 0};
        p.newSection = i == 0;
        points.push_back(p);
        heading += turn(random);
        const double metres = stride * (0.2 + std::abs(unit(random)));
        latitude += metres * std::cos(heading) / 111'000;
        longitude += metres * std::sin(heading) / (111'000 * std::cos(latitude * 3.14159 / 180));
        seconds += pause(random) < 0.02 ? 600 + std::floor(3600 * pause(random)) : 1;
    }
    return points;
}

// Metres from p to the ellipsoid's geodesic from a to b, found by a golden-section search along it.
double ToGeodesic(const Point& p, const Point& a, const Point& b)
{
    const auto& earth = GeographicLib::Geodesic::WGS84();
    const GeographicLib::GeodesicLine line = earth.InverseLine(a.latitude, a.longitude, b.latitude, b.longitude);
    const auto at = [&](double s) {
        double latitude = 0, longitude = 0;
        line.Position(s, latitude, longitude);
        return GeodesicMetres(p.latitude, p.longitude, latitude, longitude);
    };
    double low = 0, high = line.Distance();
    const double ratio = (std::sqrt(5.0) - 1) / 2;
    for (int i = 0; i < 80; ++i) {
        const double m1 = high - ratio * (high - low), m2 = low + ratio * (high - low);
        if (at(m1) < at(m2)) high = m2;
        else low = m1;
    }
    return std::min({at((low + high) / 2), at(0), at(line.Distance())});
}

std::int64_t Number(const Point& p) { return static_cast<std::int64_t>(p.elevation); }
}  // namespace

TEST(ShapeProperties, SimplifiedPointsLieWithinTheToleranceOfTheKeptLine)
{
    std::mt19937 random(7);
    const struct {
        double latitude, longitude, stride, tolerance;
    } cases[] = {{47, 8, 10, 5}, {78, -20, 40, 5}, {-33, 151, 400, 30}, {0, 179.99, 2000, 100}, {60, 25, 30, 0.5}};
    for (const auto& c : cases) {
        const std::vector<Point> all = Walk(random, 3000, c.latitude, c.longitude, c.stride).ToVector();
        const std::vector<Point> kept = Simplified(PointList(all), c.tolerance).ToVector();
        ASSERT_GE(kept.size(), 2u);
        EXPECT_EQ(Number(kept.front()), 0);
        EXPECT_EQ(Number(kept.back()), static_cast<std::int64_t>(all.size()) - 1);
        EXPECT_EQ(CountKept(PointList(all), c.tolerance), static_cast<std::int64_t>(kept.size()));
        double worst = 0;
        for (std::size_t k = 0; k + 1 < kept.size(); ++k) {
            ASSERT_LT(Number(kept[k]), Number(kept[k + 1]));
            for (auto i = Number(kept[k]) + 1; i < Number(kept[k + 1]); ++i)
                worst = std::max(worst, ToGeodesic(all[i], kept[k], kept[k + 1]) - c.tolerance);
        }
        // The stated bound of the sphere's distances: 0.5% of the tolerance plus 1 cm.
        EXPECT_LE(worst, c.tolerance * 0.005 + 0.01) << c.latitude << " " << c.stride;
    }
}

TEST(ShapeProperties, SplitAtGapsLeavesEveryGapOverTheLimitBetweenTracks)
{
    std::mt19937 random(11);
    Document document;
    for (int t = 0; t < 3; ++t) document.tracks.push_back({{.name = "T"}, Walk(random, 2000, 46, 7, 5)});
    const std::int64_t before = document.TrackPointCount();
    const double limit = 600;
    SplitAtGaps(limit)->Apply(document);
    EXPECT_EQ(document.TrackPointCount(), before);
    EXPECT_GT(document.tracks.size(), 3u);
    std::optional<Point> last;
    for (const Track& track : document.tracks) {
        const std::vector<Point> points = track.points.ToVector();
        EXPECT_TRUE(points.front().newSection);
        // Between the walks, time goes back: a gap too.
        if (last) {
            EXPECT_GT(std::abs(points.front().time->seconds - last->time->seconds), limit);
        }
        for (std::size_t i = 1; i < points.size(); ++i)
            EXPECT_LE(std::abs(points[i].time->seconds - points[i - 1].time->seconds), limit);
        last = points.back();
    }
}

TEST(ShapeProperties, SplitsByDayDistanceAndCountKeepTheirLimitInsideEachTrack)
{
    std::mt19937 random(5);
    const auto offset = [](const UtcTime&) { return std::chrono::seconds(-5 * 3600); };
    const auto dayOf = [](const Point& p) { return (p.time->seconds - 5 * 3600) / 86400; };
    for (const StepPointer& step : {SplitByDay(offset), SplitAtDistances(22), SplitIntoPieces(700)}) {
        Document document;
        document.tracks.push_back({{.name = "Day"}, Walk(random, 5000, 40, -74, 20, 1'700'049'000)});
        step->Apply(document);
        SCOPED_TRACE(step->Name());
        EXPECT_EQ(document.TrackPointCount(), 5000);
        ASSERT_GT(document.tracks.size(), 1u);
        EXPECT_EQ(document.tracks.front().info.name,
                  "Day-" + std::string(std::to_string(document.tracks.size()).size() - 1, '0') + "1");
        for (const Track& track : document.tracks) {
            const std::vector<Point> p = track.points.ToVector();
            if (step->Name() == "split by day") {
                EXPECT_EQ(dayOf(p.front()), dayOf(p.back()));
            }
            if (step->Name().find("700") != std::string::npos) {
                EXPECT_LE(p.size(), 700u);
            }
            for (std::size_t i = 1; i < p.size() && step->Name().find("jumps") != std::string::npos; ++i)
                EXPECT_LE(GeodesicMetres(p[i - 1].latitude, p[i - 1].longitude, p[i].latitude, p[i].longitude), 22);
        }
    }
}

TEST(ShapeProperties, MergeKeepsEveryPointOnceInTimeOrder)
{
    std::mt19937 random(3);
    std::uniform_int_distribution<std::int64_t> start(1'700'000'000, 1'700'010'000);
    Document document;
    std::int64_t number = 0;
    std::vector<std::int64_t> followed(6000, -1);  // the point each untimed point came after
    for (int t = 0; t < 6; ++t) {
        std::vector<Point> points = Walk(random, 1000, 46, 7, 5, start(random)).ToVector();
        if (t == 4) std::shuffle(points.begin() + 1, points.end(), random);  // a track out of order
        for (std::size_t i = 0; i < points.size(); ++i) {
            points[i].elevation = static_cast<double>(number++);
            if (i % 97 == 5) {
                points[i].time.reset();
                followed[Number(points[i])] = Number(points[i - 1]);
            }
        }
        document.tracks.push_back({{.name = "T" + std::to_string(t)}, PointList(points)});
    }
    MergeTracks(true)->Apply(document);
    ASSERT_EQ(document.tracks.size(), 1u);
    const std::vector<Point> merged = document.tracks.front().points.ToVector();
    std::vector<std::int64_t> numbers;
    std::optional<UtcTime> last;
    for (std::size_t i = 0; i < merged.size(); ++i) {
        numbers.push_back(Number(merged[i]));
        EXPECT_EQ(merged[i].newSection, i == 0);
        if (!merged[i].time) {
            EXPECT_EQ(Number(merged[i - 1]), followed[Number(merged[i])]);
            continue;
        }
        if (last) {
            EXPECT_LE(*last, *merged[i].time);
        }
        last = merged[i].time;
    }
    std::sort(numbers.begin(), numbers.end());
    for (std::int64_t i = 0; i < number; ++i) ASSERT_EQ(numbers[i], i);
    EXPECT_EQ(static_cast<std::int64_t>(numbers.size()), number);
}

TEST(ShapeProperties, CropKeepsExactlyThePointsInside)
{
    std::mt19937 random(9);
    const std::vector<Point> all = Walk(random, 4000, 46, 7, 30).ToVector();
    const Box box{45.99, 6.99, 46.01, 7.01};
    const TimeWindow window{UtcTime{1'700'000'500, 0}, UtcTime{1'700'002'000, 0}};
    const auto inBox = [&](const Point& p) { return box.Holds(p.latitude, p.longitude); };
    const auto inWindow = [&](const Point& p) { return !(*p.time < *window.from) && !(*window.to < *p.time); };
    for (const bool byBox : {true, false}) {
        Document document;
        document.tracks.push_back({{}, PointList(all)});
        document.waypoints = PointList(all);
        (byBox ? CropToBox(box) : CropToTime(window))->Apply(document);
        std::vector<std::int64_t> expected, kept;
        for (const Point& p : all)
            if (byBox ? inBox(p) : inWindow(p)) expected.push_back(Number(p));
        for (const Track& track : document.tracks)
            for (const Point& p : track.points) kept.push_back(Number(p));
        EXPECT_EQ(kept, expected) << byBox;
        EXPECT_EQ(document.waypoints.size(), byBox ? expected.size() : all.size());
    }
}

TEST(ShapeProperties, DedupeKeepsTheFirstOfEachGroup)
{
    std::mt19937 random(13);
    std::uniform_int_distribution<int> name(0, 5);
    std::uniform_real_distribution<double> near(-0.0005, 0.0005);
    std::vector<Point> all;
    for (int i = 0; i < 1500; ++i) {
        Point p;
        p.name = "W" + std::to_string(name(random));
        p.latitude = 46 + near(random);
        p.longitude = 7 + near(random);
        p.elevation = i;
        all.push_back(p);
    }
    std::vector<std::int64_t> expected;  // by comparing each with every waypoint kept before it
    std::vector<Point> kept;
    for (const Point& p : all) {
        const bool seen = std::any_of(kept.begin(), kept.end(), [&](const Point& k) {
            return k.name == p.name && GeodesicMetres(k.latitude, k.longitude, p.latitude, p.longitude) <= 25;
        });
        if (!seen) kept.push_back(p), expected.push_back(Number(p));
    }
    Document document;
    document.waypoints = PointList(all);
    DedupeWaypoints(25)->Apply(document);
    std::vector<std::int64_t> numbers;
    for (const Point& p : document.waypoints) numbers.push_back(Number(p));
    EXPECT_EQ(numbers, expected);
}

TEST(ShapeProperties, FitKeepsTheMostPointsThatFitWithinItsPrecision)
{
    std::mt19937 random(17);
    for (const std::int64_t capacity : {2500, 1000, 100}) {
        const PointList points = Walk(random, 12'000, 50, 10, 8);
        const std::optional<double> tolerance = ToleranceToFit(points, capacity);
        ASSERT_TRUE(tolerance);
        EXPECT_LE(CountKept(points, *tolerance), capacity);
        const double finer = *tolerance - std::max(kFitPrecisionMetres, *tolerance * kFitPrecision);
        EXPECT_GT(CountKept(points, finer), capacity) << capacity;
        Document document;
        document.tracks.push_back({{}, points});
        const StepReport report = FitInto({capacity, 0})->Apply(document);
        EXPECT_LE(document.tracks.front().points.size(), static_cast<std::size_t>(capacity)) << report.line;
    }
}

TEST(ShapeProperties, CleaningDropsOnlyWhatItNames)
{
    std::mt19937 random(19);
    std::vector<Point> all = Walk(random, 3000, 46, 7, 5).ToVector();
    for (std::size_t i = 0; i < all.size(); ++i) all[i].time = UtcTime{1'700'000'000 + static_cast<std::int64_t>(i), 0};
    for (std::size_t i = 10; i < all.size(); i += 50) all[i].fix = 1;          // no fix
    for (std::size_t i = 20; i < all.size(); i += 50) all[i].latitude += 0.1;  // 11 km in a second
    for (std::size_t i = 31; i < all.size(); i += 50) {                        // repeated
        all[i] = all[i - 1];
        all[i].newSection = false;
    }
    const struct {
        StepPointer step;
        std::function<bool(std::size_t)> dropped;
    } cases[] = {
        {DropUnfixed(), [](std::size_t i) { return i >= 10 && i % 50 == 10; }},
        {DropFasterThan(300 / 3.6), [](std::size_t i) { return i >= 20 && i % 50 == 20; }},
        {DropRepeats(), [](std::size_t i) { return i >= 31 && i % 50 == 31; }},
    };
    for (const auto& c : cases) {
        Document document;
        document.tracks.push_back({{}, PointList(all)});
        c.step->Apply(document);
        std::vector<std::int64_t> expected, kept;
        for (std::size_t i = 0; i < all.size(); ++i)
            if (!c.dropped(i)) expected.push_back(Number(all[i]));
        for (const Point& p : document.tracks.front().points) kept.push_back(Number(p));
        EXPECT_EQ(kept, expected) << c.step->Name();
    }
}

// 22:30 and 23:30 UTC on 2024-03-30 are one day in UTC and two in Berlin (UTC+1 then).
TEST(ShapeProperties, SplitByDayFollowsTheZoneNamed)
{
    for (const auto& [zone, tracks] : {std::pair<std::string, std::size_t>{"", 1}, {"Europe/Berlin", 2}}) {
        Document document;
        Track& track = document.tracks.emplace_back();
        for (const std::int64_t at : {1711837800, 1711841400}) {
            Point p;
            p.latitude = 52.5;
            p.longitude = 13.4;
            p.time = UtcTime{at};
            track.points.push_back(p);
        }
        MakeStep({"split-day", zone}).step->Apply(document);
        EXPECT_EQ(document.tracks.size(), tracks) << zone;
    }
    EXPECT_FALSE(MakeStep({"split-day", "Mars/Olympus"}).step);
}
