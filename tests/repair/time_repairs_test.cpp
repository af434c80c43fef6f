// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/time/time_zone.h"
#include "formats/import/nmea.h"
#include "repair/rollover.h"
#include "repair/shift_text.h"
#include "repair/time_repairs.h"
#include "tests/support/native_documents.h"

namespace {
using namespace std::chrono;
using native_documents::At;
using native_documents::Timed;
using native_documents::TrackOf;

UtcTime Iso(const char* text) { return *ParseIsoTime(text); }

TEST(TimeRepairs, ShiftsAreReadAsTyped)
{
    const struct {
        const char* text;
        std::optional<long long> seconds;
    } cases[] = {{"+3h", 10800},
                 {"-1d2h30m", -95400},
                 {"+45s", 45},
                 {"+1024w", 619315200},
                 {"2m", 120},
                 {"+0s", 0},
                 {"", {}},
                 {"+", {}},
                 {"3", {}},
                 {"+3x", {}},
                 {"+1h1d", {}},
                 {"+1h1h", {}},
                 {"+h", {}},
                 {"1h-2m", {}},
                 {"+99999999999999999999w", {}}};
    for (const auto& c : cases) {
        const auto shift = ParseShift(c.text);
        EXPECT_EQ(shift ? std::optional<long long>(shift->count()) : std::nullopt, c.seconds) << c.text;
    }
}

// Europe/Berlin moves from +01:00 to +02:00 at 2024-03-31T01:00:00Z (02:00 local).
TEST(TimeRepairs, BerlinWallClockTimesAcrossTheSpringChange)
{
    const TimeZone berlin = *TimeZone::Named("Europe/Berlin");
    const struct {
        const char* wallClock;
        const char* utc;
    } cases[] = {{"2024-03-31T01:59:59Z", "2024-03-31T00:59:59Z"},
                 // skipped by the clocks: read with the offset before the change
                 {"2024-03-31T02:30:00Z", "2024-03-31T01:30:00Z"},
                 {"2024-03-31T03:00:00Z", "2024-03-31T01:00:00Z"},
                 // shown twice in autumn: the first time
                 {"2024-10-27T02:30:00Z", "2024-10-27T00:30:00Z"}};
    for (const auto& c : cases) EXPECT_EQ(IsoTime(berlin.ToUtc(Iso(c.wallClock))), c.utc) << c.wallClock;
    // After a point, a time shown twice takes the second offset only where
    // the first would put it before that point and the second would not.
    const struct {
        const char* wallClock;
        const char* previous;
        const char* utc;
    } after[] = {{"2024-10-27T02:10:00Z", "2024-10-27T00:59:00Z", "2024-10-27T01:10:00Z"},
                 {"2024-10-27T02:10:00Z", "2024-10-27T00:05:00Z", "2024-10-27T00:10:00Z"},
                 {"2024-10-27T02:10:00Z", "2024-10-27T01:30:00Z", "2024-10-27T00:10:00Z"},  // out of order either way
                 {"2024-03-31T02:30:00Z", "2024-03-31T01:45:00Z", "2024-03-31T01:30:00Z"},  // skipped: as before
                 {"2024-07-01T12:00:00Z", "2024-07-01T11:00:00Z", "2024-07-01T10:00:00Z"}};
    for (const auto& c : after)
        EXPECT_EQ(IsoTime(berlin.ToUtcAfter(Iso(c.wallClock), Iso(c.previous))), c.utc) << c.wallClock;
    EXPECT_EQ(berlin.OffsetText(Iso("2024-03-31T00:59:59Z")), "+01:00");
    EXPECT_EQ(berlin.LocalIsoTime(Iso("2024-03-31T01:00:00Z")), "2024-03-31T03:00:00+02:00");
    EXPECT_EQ(IsoTime(berlin.DayStart(Iso("2024-03-31T21:30:00Z"))), "2024-03-30T23:00:00Z");
    EXPECT_FALSE(TimeZone::Named("Nowhere/Else"));
    EXPECT_TRUE(TimeZone().IsUtc());
}

// The property of the display zone: every time lies in the local day that starts at its DayStart.
TEST(TimeRepairs, EveryTimeLiesWithinItsLocalDay)
{
    for (const char* name : {"Europe/Berlin", "America/St_Johns", "Asia/Kathmandu", "Pacific/Apia", "UTC"}) {
        const TimeZone zone = *TimeZone::Named(name);
        for (std::int64_t t = Iso("2011-12-28T00:00:00Z").seconds; t < Iso("2012-01-03T00:00:00Z").seconds; t += 3599) {
            const UtcTime start = zone.DayStart({t, 0});
            EXPECT_LE(start.seconds, t) << name;
            EXPECT_GT(start.seconds + 25 * 3600, t) << name;
            EXPECT_EQ(zone.LocalIsoTime(start).substr(11, 8), "00:00:00") << name << " " << t;
        }
    }
}

// Only a day the file itself shows its receiver cannot have logged before
// makes times look early: every time before it, by less than 1024 weeks.
TEST(TimeRepairs, TimesLookEarlyOnlyBeforeTheDayTheirReceiverCanHaveLoggedThem)
{
    const struct {
        const char* first;
        const char* last;
        const char* notBefore;  // none: the file shows no such day
        bool early;
    } cases[] = {{"1999-08-24T12:00:00Z", "1999-08-25T12:00:00Z", "2000-07-01T00:00:00Z", true},
                 {"1999-08-24T12:00:00Z", "1999-08-25T12:00:00Z", nullptr, false},  // honest, however old
                 {"2003-05-01T12:00:00Z", "2003-05-01T13:00:00Z", "2012-06-01T00:00:00Z", true},
                 {"2000-07-15T12:00:00Z", "2000-07-15T13:00:00Z", "2000-07-01T00:00:00Z", false},
                 {"1999-12-01T12:00:00Z", "2000-08-01T12:00:00Z", "2000-07-01T00:00:00Z", false},   // partly after
                 {"2000-06-30T12:00:00Z", "2000-06-30T13:00:00Z", "2000-07-01T00:00:00Z", false},   // within a day
                 {"1980-03-01T12:00:00Z", "1980-03-02T12:00:00Z", "2000-07-01T00:00:00Z", false},   // over 1024 weeks
                 {"1999-08-20T12:00:00Z", "1999-08-24T12:00:00Z", "2005-12-28T00:00:00Z", false},   // across a rollover
                 {"1979-12-31T12:00:00Z", "1979-12-31T13:00:00Z", "1999-01-01T00:00:00Z", false}};  // before GPS
    for (const auto& c : cases) {
        Document document;
        std::vector<Point> points = {At(1, 2), At(1, 2)};
        points[0].time = Iso(c.first);
        points[1].time = Iso(c.last);
        Track track = TrackOf(points);
        if (c.notBefore) track.loggedNotBefore = Iso(c.notBefore);
        document.tracks.push_back(track);
        EXPECT_EQ(FindEarlyTimes(document).has_value(), c.early) << c.first << " " << (c.notBefore ? c.notBefore : "");
        EXPECT_EQ(TimeRepairSteps({})[0]->Apply(document).findings.Has(FindingKind::Notice), c.early);
    }
}

// A Berlin log written in wall-clock time, read and repaired: every time is
// the UTC time its fix was logged at, and its sections are its gaps of over
// an hour in UTC. A fix a minute across either change of 2024 stays one
// section, where its wall-clock times jump an hour forward in spring and
// back in autumn; two fixes are split by their gap in UTC, however long it
// looked on the clock.
TEST(TimeRepairs, AWallClockLogBecomesItsUtcTimesInSectionsAtItsGapsInUtc)
{
    const TimeZone berlin = *TimeZone::Named("Europe/Berlin");
    const auto rmc = [](const std::string& time, const std::string& date) {
        return "$GPRMC," + time + ",A,5230.000,N,01323.000,E,,," + date + ",,\r\n";
    };
    const auto repaired = [&](const std::string& log) {
        ReadResult read = native_documents::ReadBytes(ReadNmeaLogFile, log);
        TimeRepairs repairs;
        repairs.zone = berlin;
        for (const auto& step : TimeRepairSteps(repairs)) step->Apply(read.document);
        std::pair<std::vector<std::string>, int> timesAndSections;
        for (const Point& p : read.document.tracks.at(0).points) {
            timesAndSections.first.push_back(IsoTime(*p.time));
            timesAndSections.second += p.newSection ? 1 : 0;
        }
        return timesAndSections;
    };
    for (const char* start : {"2024-03-31T00:00:00Z", "2024-10-26T23:30:00Z"}) {
        std::string log;
        std::vector<std::string> logged;
        for (std::int64_t t = Iso(start).seconds; t < Iso(start).seconds + 3 * 3600; t += 60) {
            const std::string local = berlin.LocalIsoTime({t, 0});  // 2024-03-31T03:00:00+02:00
            log += rmc(local.substr(11, 2) + local.substr(14, 2) + local.substr(17, 2),
                       local.substr(8, 2) + local.substr(5, 2) + local.substr(2, 2));
            logged.push_back(IsoTime({t, 0}));
        }
        EXPECT_EQ(repaired(log), std::make_pair(logged, 1)) << start;
    }
    // The second fix's wall-clock time, after one at 01:30 (00:30Z) on the day of the spring change.
    const std::pair<const char*, int> gaps[] = {{"032000", 1}, {"034500", 2}, {"013000", 1}, {"023100", 2}};
    for (const auto& [wallClock, sections] : gaps)
        EXPECT_EQ(repaired(rmc("013000", "310324") + rmc(wallClock, "310324")).second, sections) << wallClock;
}

// The repairs run in their fixed order whatever the user typed first: date,
// zone, rollover, shift.
TEST(TimeRepairs, RepairsRunInTheirOrderAndNameThemselves)
{
    Document document;
    Point undated = At(48, 11);
    undated.time = UtcTime{12 * 3600, 0};  // 12:00 of the unknown first day
    undated.undated = true;
    document.tracks.push_back(TrackOf({undated}));
    document.waypoints = PointList({At(47, 10, "no time")});
    TimeRepairs repairs;
    repairs.shift = seconds(90);
    repairs.shiftText = "+1m30s";
    repairs.rollovers = 1;
    repairs.zone = TimeZone::Named("Europe/Berlin");
    repairs.date = 1999y / August / 24d;
    EXPECT_EQ(TimeRepairNames(repairs),
              (std::vector<std::string>{"date 1999-08-24", "zone Europe/Berlin", "rollover 1", "shift +1m30s"}));
    std::vector<std::string> lines;
    for (const auto& step : TimeRepairSteps(repairs)) lines.push_back(step->Apply(document).line);
    EXPECT_EQ(lines, (std::vector<std::string>{"date 1999-08-24: 1 time of day dated, 1 time given",
                                               "zone Europe/Berlin: 2 times read as local time",
                                               "rollover 1: 2 times moved", "shift +1m30s: 2 times moved"}));
    EXPECT_EQ(IsoTime(*document.tracks[0].points.ToVector()[0].time), "2019-04-09T10:01:30Z");
    EXPECT_EQ(IsoTime(*document.waypoints.ToVector()[0].time), "2019-04-08T22:01:30Z");
}

TEST(TimeRepairs, ATimeShiftedOutOfTheCalendarLosesItsTimeAndIsCounted)
{
    Document document;
    document.tracks.push_back(TrackOf({Timed(At(1, 2), 9999, 12, 31, 0, 0, 0), Timed(At(1, 2), 2000, 1, 1, 0, 0, 0)}));
    TimeRepairs repairs;
    repairs.shift = seconds(2 * 86400);
    repairs.shiftText = "+2d";
    const StepReport report = TimeRepairSteps(repairs).back()->Apply(document);
    EXPECT_EQ(report.findings.CountOf(FindingKind::Reduced), 1);
    const auto points = document.tracks[0].points.ToVector();
    EXPECT_FALSE(points[0].time);
    EXPECT_EQ(IsoTime(*points[1].time), "2000-01-03T00:00:00Z");
}
}  // namespace

namespace {
// The range a list keeps is the range of its dated points, through copies and moves.
TEST(TimeRepairs, AListsTimeRangeIsThatOfItsDatedPoints)
{
    std::uint32_t seed = 7;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 50; ++round) {
        PointList list;
        std::optional<UtcTime> earliest, latest;
        for (int i = 0, n = static_cast<int>(next() % 40); i < n; ++i) {
            Point p = native_documents::At(1, 2);
            if (next() % 4 != 0) p.time = UtcTime{static_cast<std::int64_t>(next() % 2000000000) - 500000000, 0};
            p.undated = p.time && next() % 5 == 0;
            if (p.time && !p.undated) {
                if (!earliest || *p.time < *earliest) earliest = p.time;
                if (!latest || *latest < *p.time) latest = p.time;
            }
            list.push_back(p);
        }
        const PointList copy = list;
        PointList moved = std::move(list);
        for (const PointList* l : {&copy, static_cast<const PointList*>(&moved)}) {
            EXPECT_EQ(l->Times().earliest, earliest);
            EXPECT_EQ(l->Times().latest, latest);
        }
        moved.clear();
        EXPECT_FALSE(moved.Times().earliest);
    }
}
}  // namespace
