// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "formats/csv/Csv.h"
#include "formats/gpx/Gpx.h"
#include "tests/support/odd_document.h"
#include "tests/support/written_back.h"

namespace {
ReadResult Read(const std::string& csv, ReadMode mode = ReadMode::Everything)
{
    return ReadCsvFile(InputSource::Memory("in", csv), {.mode = mode});
}
}  // namespace

// The CSV this product writes reads back to the document written: every
// column, the roads of routes and the sections of tracks; written again,
// the file is the same byte for byte.
TEST(CsvReader, WhatIsWrittenReadsBack)
{
    for (const char* file : {"gpx/expertgps.gpx", "gpx/basecamp.gpx", "gpx/GC7FA4.gpx"}) {
        SCOPED_TRACE(file);
        const Document gpx = ReadGpxFile(InputSource::File(FixturePath(file)), {}).document;
        const WrittenBack back = WriteAndReadBack(WriteCsvFile, ReadCsvFile, gpx);
        EXPECT_EQ(back.first, back.second);
        const Document& read = back.read.document;
        ExpectSamePoints(gpx.waypoints, read.waypoints, 1e-9);
        ASSERT_EQ(read.routes.size(), gpx.routes.size());
        for (std::size_t i = 0; i < gpx.routes.size(); ++i) {
            EXPECT_EQ(read.routes[i].info.name, gpx.routes[i].info.name);
            ExpectSamePoints(gpx.routes[i].points, read.routes[i].points, 1e-9);
            ExpectSamePoints(gpx.routes[i].links, read.routes[i].links, 1e-9);
            EXPECT_EQ(read.routes[i].linksAfter, gpx.routes[i].linksAfter);
        }
        ASSERT_EQ(read.tracks.size(), gpx.tracks.size());
        for (std::size_t i = 0; i < gpx.tracks.size(); ++i)
            ExpectSamePoints(gpx.tracks[i].points, read.tracks[i].points, 1e-9);
    }
    const WrittenBack odd = WriteAndReadBack(WriteCsvFile, ReadCsvFile, odd_document::Build());
    EXPECT_EQ(odd.first, odd.second);
    // A route's road: the link points after each of its points.
    Document road;
    road.routes.push_back({.info = {.name = "R"},
                           .points = odd_document::Points({{1, 1, 5, {}}, {2, 2, 6, {}}, {3, 3, 7, {}}}),
                           .links = odd_document::Points({{1.5, 1.5, NAN, {}}, {1.6, 1.6, NAN, {}}}),
                           .linksAfter = {0, 2, 0}});
    const WrittenBack back = WriteAndReadBack(WriteCsvFile, ReadCsvFile, road);
    EXPECT_EQ(back.first, back.second);
    ASSERT_EQ(back.read.document.routes.size(), 1u);
    EXPECT_EQ(back.read.document.routes[0].linksAfter, (std::vector<std::uint32_t>{0, 2, 0}));
}

// Other programs' headers: their spellings, separators and units.
TEST(CsvReader, HeaderSpellingsAndSeparators)
{
    struct Case {
        std::string csv;
        std::string held;  // name|comment|description|symbol|metres|time
        double latitude, longitude;
    };
    const Case cases[] = {
        {"lat,lon\n1.5,2.5\n", "|||||", 1.5, 2.5},
        {"Latitude,Longitude,Name,Description,Elevation,Time\n-1,-2,A,B,10,2020-06-08T18:39:00Z\n",
         "A||B||10.000|2020-06-08T18:39:00Z", -1, -2},
        {"name;lat;lng;ele;comment\nA;1,25;2,5;3,5;c\n", "A||c||3.500|", 1.25, 2.5},
        {"name\tLAT\tLong\talt\tdatetime\nA\t1\t2\t4\t2020/06/08 18:39:00\n", "A||||4.000|2020-06-08T18:39:00Z", 1, 2},
        {"\xEF\xBB\xBF\"lat\",\"longitude\",\"desc\",\"cmt\"\n1,2,\"say \"\"hi\"\", twice\",x\n",
         "|x|say \"hi\", twice|||", 1, 2},
        {"ele Ft,lat,lon\n3280.84,1,2\n", "||||1000.000|", 1, 2},
        {"lat,lon,altitude (m),date,time,symbol\n1,2,5,2002/08/15,07:00:00,Flag\n",
         "|||Flag|5.000|2002-08-15T07:00:00Z", 1, 2},
        {"lat,lon,desc\n1,2,\"two\nlines\"\n", "||two\nlines|||", 1, 2},
        {"lat,lon,desc\r\n1,2,\"two\r\nlines\rthree\"\r\n", "||two\r\nlines\rthree|||", 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.csv);
        const ReadResult read = Read(c.csv);
        ASSERT_EQ(read.document.waypoints.size(), 1u);
        const Point p = read.document.waypoints.ToVector()[0];
        EXPECT_EQ(Held(p), c.held);
        EXPECT_EQ(p.latitude, c.latitude);
        EXPECT_EQ(p.longitude, c.longitude);
        EXPECT_TRUE(read.findings.Empty());
    }
    // Rows of a track output are one track.
    const ReadResult track = Read("lat,lon\n1,2\n3,4\n", ReadMode::Tracks);
    ASSERT_EQ(track.document.tracks.size(), 1u);
    EXPECT_EQ(track.document.tracks[0].points.size(), 2u);
}

// Rows whose position cannot be read are left out and counted; optional
// values that are no number are left unset and counted; a file without
// position columns is refused.
TEST(CsvReader, BadInputs)
{
    struct Case {
        const char* what;
        std::string csv;
        std::size_t waypoints;
        FindingKind finding;
        std::int64_t count;
    };
    const Case cases[] = {
        {"an empty latitude", "lat,lon\n,2\n1,2\n", 1, FindingKind::Unusable, 1},
        {"a word for a longitude", "lat,lon\n1,east\n1,2\n", 1, FindingKind::Unusable, 1},
        {"a latitude beyond the pole", "lat,lon\n91,2\n1,2\n", 1, FindingKind::Unusable, 1},
        {"a decimal comma under commas", "lat,lon\n1,5,2\n", 1, FindingKind::Notice, 0},
        {"a short row", "lat,lon,name\n1\n1,2\n", 1, FindingKind::Unusable, 1},
        {"an elevation that is no number", "lat,lon,ele\n1,2,high\n", 1, FindingKind::Skipped, 1},
        {"a time that is none", "lat,lon,time\n1,2,noon\n", 1, FindingKind::Skipped, 1},
        {"a quote never closed", "lat,lon,name\n1,2,\"open\n3,4,x\n", 0, FindingKind::Skipped, 1},
        {"a row of no known type",
         "type,track,route,section,lat,lon,ele_m,time,name,desc,sym,cmt,track_index,route_index\n"
         "area,,,,1,2,,,,,,,,\nwaypoint,,,,1,2,,,,,,,,\n",
         1, FindingKind::Skipped, 1},
        {"blank lines", "lat,lon\n\n1,2\n  \n", 1, FindingKind::Notice, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ReadResult read = Read(c.csv);
        EXPECT_EQ(read.document.waypoints.size(), c.waypoints);
        EXPECT_EQ(c.finding == FindingKind::Notice ? read.findings.Empty() : read.findings.Has(c.finding), true);
        if (c.count > 0) {
            EXPECT_EQ(read.findings.CountOf(c.finding), c.count);
        }
    }
    for (const char* refused : {"", "\n\n", "name,desc\nA,B\n", "latitude only\n1\n", "lat|lon\n1|2\n"})
        EXPECT_THROW(Read(refused), InputRefused) << refused;
}
