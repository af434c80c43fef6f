// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of a track: lengths on the ellipsoid against published values,
// a built elevation profile, times across midnight, a box across the date line.
#include <gtest/gtest.h>

#include <GeographicLib/Geodesic.hpp>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "core/document/figures.h"
#include "core/document/measure.h"

namespace {
std::optional<UtcTime> At(int day, int hour, int minute, int second)
{
    return UtcTimeOf(2023, 12, day, hour, minute, second);
}
}  // namespace

TEST(Figures, LengthsOnTheEllipsoidMatchPublishedValues)
{
    const struct {
        double lat1, lon1, lat2, lon2, metres;
    } legs[] = {
        {0, 0, 0, 1, 111319.491},  // a degree along the equator
        {0, 0, 1, 0, 110574.389},  // the first degree of a meridian
    };
    for (const auto& leg : legs) {
        FiguresCounter counter;
        counter.Add(leg.lat1, leg.lon1, NAN, std::nullopt, true);
        counter.Add(leg.lat2, leg.lon2, NAN, std::nullopt, false);
        EXPECT_NEAR(counter.Result().metres, leg.metres, 0.001);
    }
}

// Short legs take a quicker way: it stays within a few nanometres of the exact
// solution anywhere on the ellipsoid, the poles and the date line included.
TEST(Figures, ShortLegsAreMeasuredAsExactlyAsLongOnes)
{
    std::mt19937_64 random(31);
    std::uniform_real_distribution<double> latitude(-90, 90), longitude(-180, 180), bearing(0, 360), metres(0, 300);
    for (int i = 0; i < 200000; ++i) {
        const double lat1 = i % 10 == 0 ? (i % 20 == 0 ? 89.9999 : -90) : latitude(random), lon1 = longitude(random);
        double lat2 = 0, lon2 = 0;
        GeographicLib::Geodesic::WGS84().Direct(lat1, lon1, bearing(random), metres(random), lat2, lon2);
        double exact = 0;
        GeographicLib::Geodesic::WGS84().Inverse(lat1, lon1, lat2, lon2, exact);
        ASSERT_NEAR(GeodesicMetres(lat1, lon1, lat2, lon2), exact, 5e-9) << lat1 << " " << lon1 << " " << exact;
    }
}

TEST(Figures, ProfileTimesSectionsAndBox)
{
    FiguresCounter counter;
    // Elevations 100, 150, (none), 120, 180, 90 over three sections; the
    // section break adds no length; the box crosses the date line.
    counter.Add(10, 179.5, 100, At(31, 23, 50, 0), true);
    counter.Add(10, 179.9, 150, At(31, 23, 55, 0), false);
    counter.Add(10.1, -179.9, NAN, std::nullopt, true);
    counter.Add(10.2, -179.8, 120, std::nullopt, false);
    counter.Add(10.2, -179.6, 180, At(31, 23, 59, 59), true);
    counter.Add(10.3, -179.5, 90, UtcTime{At(31, 23, 59, 59)->seconds + 3601, 500000000}, false);
    const Figures f = counter.Result();
    EXPECT_EQ(f.points, 6);
    EXPECT_EQ(f.sections, 3);
    EXPECT_DOUBLE_EQ(f.lowest, 90);
    EXPECT_DOUBLE_EQ(f.highest, 180);
    EXPECT_DOUBLE_EQ(f.ascent, 50 + 60);   // 100→150, 120→180 (150→120 is a descent)
    EXPECT_DOUBLE_EQ(f.descent, 30 + 90);  // 150→120 across the gap, 180→90
    ASSERT_TRUE(f.Seconds());
    EXPECT_DOUBLE_EQ(*f.Seconds(), 10 * 60 - 1 + 3601.5);  // across midnight and the year's end
    EXPECT_DOUBLE_EQ(f.west, 179.5);
    EXPECT_DOUBLE_EQ(f.east, -179.5);
    EXPECT_DOUBLE_EQ(f.south, 10);
    EXPECT_DOUBLE_EQ(f.north, 10.3);
    const double firstSection = GeodesicMetres(10, 179.5, 10, 179.9);
    const double secondSection = GeodesicMetres(10.1, -179.9, 10.2, -179.8);
    const double thirdSection = GeodesicMetres(10.2, -179.6, 10.3, -179.5);
    EXPECT_NEAR(f.metres, firstSection + secondSection + thirdSection, 1e-6);
}

TEST(Figures, NothingGivesNoFigures)
{
    const Figures f = FiguresCounter().Result();
    EXPECT_EQ(f.points, 0);
    EXPECT_TRUE(std::isnan(f.west));
    EXPECT_FALSE(f.Seconds());
}

// A long track is measured with half its places worked out on another
// thread: the figures are those of one pass, to the bit, whatever the track
// holds (breaks, points out of range, no elevation, no time).
TEST(Figures, ALongTrackMeasuresAsOnePass)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<double> step(-0.0005, 0.0005);
    Track track;
    Point p;
    p.latitude = 47.3;
    p.longitude = 8.5;
    FiguresCounter expected;
    for (int i = 0; i < 120001; ++i) {
        p.latitude += step(random);
        p.longitude += step(random);
        p.elevation = i % 7 == 0 ? kNoValue : 400 + 50 * std::sin(i / 500.0);
        p.time = i % 11 == 0 ? std::nullopt : std::optional(UtcTime{1700000000 + i, 0});
        p.newSection = i % 40000 == 0;
        Point stored = p;
        if (i % 997 == 0) stored.latitude = 91;  // out of range: left out of the figures
        track.points.push_back(stored);
        if (ValidPosition(stored))
            expected.Add(stored.latitude, stored.longitude, stored.elevation, stored.time, stored.newSection);
    }
    Document document;
    document.tracks.push_back(track);
    const Figures a = MeasureDocument(document).tracks.at(0).figures, b = expected.Result();
    EXPECT_EQ(std::tie(a.points, a.sections, a.start, a.end), std::tie(b.points, b.sections, b.start, b.end));
    EXPECT_EQ(std::vector({a.metres, a.lowest, a.highest, a.ascent, a.descent, a.south, a.north, a.west, a.east}),
              std::vector({b.metres, b.lowest, b.highest, b.ascent, b.descent, b.south, b.north, b.west, b.east}));
}
