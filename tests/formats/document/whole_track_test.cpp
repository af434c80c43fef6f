// SPDX-License-Identifier: GPL-3.0-or-later
// Properties of the four outputs that hold everything, on random tracks and
// on one longer than a point list keeps in memory: every point with a usable
// position is written once, in order, the others are counted as left out,
// the four formats agree on the sections, and no undated time is written.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/document/document.h"
#include "core/time/utc_time.h"
#include "formats/csv/Csv.h"
#include "formats/document/DocumentText.h"
#include "formats/geojson/GeoJson.h"
#include "formats/gpx/Gpx.h"
#include "formats/kml/Kml.h"
#include "tests/support/test_files.h"

namespace {
using Writer = WriteResult (*)(const Document&, const WriteRequest&);
const std::pair<std::string, Writer> kOutputs[] = {
    {"gpx", WriteGpxFile}, {"kml", WriteKmlFile}, {"geojson", WriteGeoJsonFile}, {"csv", WriteCsvFile}};

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

// "section lat lon time" of each track point row of a CSV file (no field of
// these documents is quoted).
std::vector<std::string> TrackRows(const std::string& csv)
{
    std::vector<std::string> rows;
    for (const std::string& line : SplitCrLf(csv)) {
        std::vector<std::string> f(1);
        for (const char c : line) {
            if (c == ',') f.emplace_back();
            else f.back() += c;
        }
        if (f[0] == "track point") rows.push_back(f[3] + ' ' + f[4] + ' ' + f[5] + ' ' + f[7]);
    }
    return rows;
}

std::string Decimal(double value)
{
    std::string text;
    doctext::AppendDecimal(text, value, doctext::kPositionDecimals);
    return text;
}

// A section starts at a track's first usable point and at the first usable
// point at or after a point that starts one; an undated time is none.
void CheckEveryOutput(const Document& document, const TempDir& dir)
{
    std::int64_t leftOut = 0;
    std::size_t sections = 0;
    std::vector<std::string> rows, positions;
    for (const Track& track : document.tracks) {
        int section = 0;
        bool starts = true;
        for (const Point& p : track.points) {
            starts = starts || p.newSection;
            if (!ValidPosition(p)) {
                ++leftOut;
                continue;
            }
            section += starts ? 1 : 0;
            sections += starts ? 1 : 0;
            starts = false;
            positions.push_back(Decimal(p.latitude) + ' ' + Decimal(p.longitude));
            rows.push_back(std::to_string(section) + ' ' + positions.back() + ' ' +
                           (p.time && !p.undated ? IsoTime(*p.time) : ""));
        }
    }
    for (const auto& [format, write] : kOutputs) {
        SCOPED_TRACE(format);
        WriteRequest request;
        request.outputName = dir.Path("whole." + format);
        request.exactNames = true;
        const WriteResult written = write(document, request);
        EXPECT_EQ(written.counts.trackPoints, static_cast<std::int64_t>(rows.size()));
        EXPECT_EQ(written.counts.tracks, static_cast<std::int64_t>(document.tracks.size()));
        EXPECT_EQ(written.findings.CountOf(FindingKind::Cut), leftOut);
        const std::string text = ReadText(request.outputName);
        if (format == "gpx") {
            EXPECT_EQ(Count(text, "<trkseg>"), sections);
            std::vector<std::string> written;
            constexpr std::string_view kStart = "<trkpt lat=\"";
            for (std::size_t at = text.find(kStart); at != std::string::npos; at = text.find(kStart, at + 1)) {
                const std::size_t lat = at + kStart.size(), lon = text.find('"', lat) + 7;
                written.push_back(text.substr(lat, lon - 7 - lat) + ' ' + text.substr(lon, text.find('"', lon) - lon));
            }
            EXPECT_TRUE(written == positions);
        } else if (format == "kml") {
            EXPECT_EQ(Count(text, "<gx:Track>") + Count(text, "<LineString>"), sections);
            EXPECT_EQ(Count(text, "<when>"), Count(text, "<gx:coord>"));
        } else if (format == "geojson") {
            std::size_t positions = 0;  // each opens with a bracket before a number
            for (std::size_t i = 0; i + 1 < text.size(); ++i)
                positions += text[i] == '[' && (text[i + 1] == '-' || (text[i + 1] >= '0' && text[i + 1] <= '9'));
            EXPECT_EQ(positions, rows.size());
        } else {
            EXPECT_TRUE(TrackRows(text) == rows);
        }
    }
}

// `count` points, some out of range (all from `outFrom` to `outTo`), some
// starting sections, with times, undated times and none.
Track RandomTrack(std::mt19937& random, int count, int outFrom = 0, int outTo = 0)
{
    std::uniform_int_distribution<int> percent(0, 99);
    Track track;
    for (int i = 0; i < count; ++i) {
        Point p;
        p.latitude = percent(random) < 10 || (i >= outFrom && i < outTo) ? 90.5 : -89 + i % 178;
        p.longitude = percent(random) < 5 ? -180.25 : 0.001 * i;
        p.newSection = percent(random) < 15;
        if (percent(random) < 70) p.time = UtcTime{1600000000 + i, 0};
        p.undated = p.time && percent(random) < 20;
        p.elevation = percent(random) < 50 ? i * 0.5 : kNoValue;
        track.points.push_back(p);
    }
    return track;
}
}  // namespace

TEST(WholeTrack, EveryUsablePointOfRandomTracksIsWrittenOnceInOrder)
{
    TempDir dir;
    std::mt19937 random(31);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        Document document;
        for (int t = 0; t < round % 4; ++t) document.tracks.push_back(RandomTrack(random, round * 10 + t));
        CheckEveryOutput(document, dir);
    }
    // A long track with two long runs of points out of range.
    constexpr int kBlock = 4096;
    Document document;
    document.tracks.push_back(RandomTrack(random, 8 * kBlock + 1, 3 * kBlock - 1, 5 * kBlock + 1));
    CheckEveryOutput(document, dir);
}

TEST(WholeTrack, ATrackLongerThanMemoryKeepsIsWrittenWhole)
{
    TempDir dir;
    Document document;
    Track& track = document.tracks.emplace_back();
    Point p;
    p.elevation = 12.5;
    // 5,000 sections, more than a writer keeps the shapes of; packed, a point
    // takes 44 bytes, so the list goes on in its temporary file.
    for (int i = 0; i < 250000; ++i) {
        p.latitude = 51 + i * 1e-6;
        p.longitude = -0.1 - i * 1e-6;
        p.newSection = i % 50 == 0;
        p.time = UtcTime{1600000000 + i, 0};
        track.points.push_back(p);
    }
    CheckEveryOutput(document, dir);
}
