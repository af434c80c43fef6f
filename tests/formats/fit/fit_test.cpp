// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "formats/fit/Fit.h"
#include "formats/fit/FitMessages.h"
#include "tests/support/byte_builder.h"
#include "tests/support/document_points.h"

namespace {
constexpr std::uint8_t kUint8 = 0x02, kUint16 = 0x84, kSint32 = 0x85, kUint32 = 0x86, kSint8 = 0x01, kText = 0x07;
constexpr std::uint32_t kTime = 1000000000;  // 2021-09-08T01:46:40Z

struct Field {
    std::uint8_t number, size, type;
};

// A FIT file put together record by record; values are written in the byte
// order of the latest definition.
class FitBuilder {
public:
    FitBuilder& Define(std::uint8_t local, std::uint16_t global, const std::vector<Field>& fields,
                       bool bigEndian = false, const std::vector<Field>& developer = {})
    {
        bigEndian_ = bigEndian;
        records_.u8(static_cast<std::uint8_t>(0x40 | (developer.empty() ? 0 : 0x20) | local)).u8(0);
        records_.u8(bigEndian ? 1 : 0);
        Put(global, 2);
        records_.u8(static_cast<std::uint8_t>(fields.size()));
        for (const Field& f : fields) records_.u8(f.number).u8(f.size).u8(f.type);
        if (!developer.empty()) records_.u8(static_cast<std::uint8_t>(developer.size()));
        for (const Field& f : developer) records_.u8(f.number).u8(f.size).u8(f.type);
        return *this;
    }
    FitBuilder& Data(std::uint8_t local) { return records_.u8(local), *this; }
    FitBuilder& Compressed(std::uint8_t local, std::uint8_t offset)
    {
        return records_.u8(static_cast<std::uint8_t>(0x80 | local << 5 | offset)), *this;
    }
    // A value of `size` bytes in the current byte order.
    FitBuilder& Put(std::uint64_t value, int size)
    {
        for (int i = 0; i < size; ++i)
            records_.u8(static_cast<std::uint8_t>(value >> 8 * (bigEndian_ ? size - 1 - i : i)));
        return *this;
    }
    FitBuilder& Text(const std::string& text, std::size_t width) { return records_.fixed(text, width), *this; }

    // The header of 14 bytes, the records and the checksum; `cut` bytes fewer.
    std::string File(std::size_t cut = 0, std::uint16_t headerCrcError = 0, std::uint16_t fileCrcError = 0) const
    {
        ByteBuilder b;
        b.u8(14).u8(0x20).u16(2100).u32(static_cast<std::uint32_t>(records_.size())).text(".FIT");
        b.u16(static_cast<std::uint16_t>(fit::Crc16(0, b.bytes) ^ headerCrcError));
        b.bytes.insert(b.bytes.end(), records_.bytes.begin(), records_.bytes.end());
        b.u16(static_cast<std::uint16_t>(fit::Crc16(0, b.bytes) ^ fileCrcError));
        std::string bytes = b.str();
        bytes.resize(bytes.size() - cut);
        return bytes;
    }

private:
    ByteBuilder records_;
    bool bigEndian_ = false;
};

const std::vector<Field> kRecordFields = {{253, 4, kUint32}, {0, 4, kSint32}, {1, 4, kSint32}, {2, 2, kUint16},
                                          {3, 1, kUint8},    {4, 1, kUint8},  {6, 2, kUint16}, {13, 1, kSint8}};

// A record of kRecordFields: semicircles, 3000 (100 m), 120 bpm, 80 rpm, 5.5 m/s, -3 °C.
void Record(FitBuilder& f, std::uint32_t time, std::int32_t lat, std::int32_t lon)
{
    f.Data(0).Put(time, 4).Put(static_cast<std::uint32_t>(lat), 4).Put(static_cast<std::uint32_t>(lon), 4);
    f.Put(3000, 2).Put(120, 1).Put(80, 1).Put(5500, 2).Put(0xFD, 1);
}

ReadResult Read(const std::string& bytes, ReadMode mode = ReadMode::Everything)
{
    ReadOptions options;
    options.mode = mode;
    return ReadFitFile(InputSource::Memory("in.fit", bytes), options);
}

std::int64_t Count(const ReadResult& r, FindingKind kind) { return r.findings.CountOf(kind); }
bool Has(const ReadResult& r, FindingKind kind) { return r.findings.Has(kind); }
}  // namespace

TEST(Fit, RecordsReadInEitherByteOrderAndBothInOneFile)
{
    for (const int orders : {0, 1, 2}) {  // little, big, one of each
        SCOPED_TRACE(orders);
        FitBuilder f;
        f.Define(0, 20, kRecordFields, orders == 1);
        Record(f, kTime, 600000000, -100000000);
        f.Define(0, 20, kRecordFields, orders >= 1);
        Record(f, kTime + 1, -600000000, 100000000);
        const ReadResult read = Read(f.File());
        const std::vector<Point> points = TrackPoints(read);
        ASSERT_EQ(points.size(), 2u);
        EXPECT_EQ(points[0].latitude, 600000000 * (180.0 / 2147483648.0));
        EXPECT_EQ(points[1].longitude, 100000000 * (180.0 / 2147483648.0));
        EXPECT_EQ(Held(points[0]), "||||100.000|2021-09-08T01:46:40Z");
        EXPECT_EQ(Held(points[1]), "||||100.000|2021-09-08T01:46:41Z");
        EXPECT_EQ(std::tie(points[1].heartRate, points[1].cadence, points[1].speed, points[1].celsius),
                  std::make_tuple(std::int16_t{120}, std::int16_t{80}, 5.5, -3.0));
        EXPECT_TRUE(read.findings.Empty());
    }
}

// The five bits of a compressed header are the time's own low bits: past the
// latest time's, they roll over into the next 32 seconds.
TEST(Fit, CompressedTimestampsCountFromTheLatestTime)
{
    FitBuilder f;
    f.Define(0, 20, kRecordFields);
    Record(f, kTime + 30, 1, 1);  // low bits 30
    f.Define(1, 20, {{0, 4, kSint32}, {1, 4, kSint32}});
    for (const std::uint8_t offset : {31, 2, 2, 1}) f.Compressed(1, offset).Put(2, 4).Put(2, 4);
    const std::vector<Point> points = TrackPoints(Read(f.File()));
    std::vector<std::int64_t> times;
    for (const Point& p : points) times.push_back(p.time->seconds - (kTime + fit::kEpochFrom1970));
    EXPECT_EQ(times, (std::vector<std::int64_t>{30, 31, 34, 34, 65}));
}

TEST(Fit, BadInputsKeepTheWholeRecordsBeforeTheFault)
{
    FitBuilder good;
    good.Define(0, 20, kRecordFields);
    Record(good, kTime, 1, 1);
    Record(good, kTime + 1, 2, 2);
    const auto with = [&](auto&& add) {
        FitBuilder f = good;
        add(f);
        return f.File();
    };
    const struct {
        const char* what;
        std::string bytes;
        std::size_t points;
        FindingKind kind;
    } rows[] = {
        {"cut inside a record", good.File(10), 1, FindingKind::Truncated},
        {"cut before the checksum", good.File(2), 2, FindingKind::Truncated},
        {"wrong header checksum", good.File(0, 1), 2, FindingKind::Damaged},
        {"wrong file checksum", good.File(0, 0, 0x8000), 2, FindingKind::Damaged},
        {"a record of a local type never defined", with([](FitBuilder& f) { f.Data(5).Put(0, 4); }), 2,
         FindingKind::Damaged},
        {"a definition of no byte order", with([](FitBuilder& f) { f.Data(0x40).Put(0x0700, 2).Put(20, 2).Put(0, 1); }),
         2, FindingKind::Damaged},
        {"a record of 255 fields of 255 bytes, 4 bytes of it given", with([](FitBuilder& f) {
             f.Define(1, 20, std::vector<Field>(255, {7, 255, kText}));
             f.Data(1).Put(0, 4);
         }),
         2, FindingKind::Damaged},
        {"bytes after the data that start no further file", good.File() + "junk that is no FIT header", 2,
         FindingKind::Damaged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const ReadResult read = Read(row.bytes);
        EXPECT_EQ(TrackPoints(read).size(), row.points);
        EXPECT_TRUE(Has(read, row.kind));
        EXPECT_EQ(read.findings.All().size(), 1u) << read.findings.All().back().message;
    }
    EXPECT_THROW(Read("not a FIT file at all"), InputRefused);
    EXPECT_THROW(Read(good.File().substr(0, 11)), InputRefused);
}

// A position field of the wrong size or type is no position; a value of its
// type's invalid value is none: nothing is made up of either.
TEST(Fit, OddFieldsGiveNoValueAndDeveloperFieldsAreSkippedAndCounted)
{
    FitBuilder f;
    f.Define(0, 20, {{253, 4, kUint32}, {0, 3, kSint32}, {1, 4, kSint32}, {3, 1, kUint8}});
    f.Data(0).Put(kTime, 4).Put(1, 3).Put(1, 4).Put(100, 1);   // latitude of 3 bytes: readings only
    f.Data(0).Put(kTime, 4).Put(1, 3).Put(1, 4).Put(0xFF, 1);  // nothing usable
    f.Define(1, 20, {{0, 4, kSint32}, {1, 4, kSint32}, {3, 1, kUint8}}, true, {{0, 3, 0}, {1, 2, 0}});
    f.Data(1).Put(0x7FFFFFFF, 4).Put(1, 4).Put(90, 1).Put(0xABCDEF, 3).Put(0x1234, 2);  // invalid latitude
    f.Data(1).Put(10, 4).Put(20, 4).Put(0xFF, 1).Put(0, 3).Put(0, 2);
    const ReadResult read = Read(f.File());
    const std::vector<Point> points = TrackPoints(read);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].heartRate, -1);
    EXPECT_EQ(Count(read, FindingKind::Unusable), 1);
    EXPECT_EQ(Count(read, FindingKind::Skipped), 2 + 4);  // two records of readings, four developer values
}

TEST(Fit, LapsAndSessionsEndSectionsWhereverTheyAreWritten)
{
    const std::vector<Field> lap = {{253, 4, kUint32}, {2, 4, kUint32}, {7, 4, kUint32}};
    FitBuilder f;
    f.Define(1, 19, lap).Data(1).Put(kTime + 2, 4).Put(kTime, 4).Put(2000, 4);  // a course's lap, first
    f.Define(0, 20, kRecordFields);
    for (std::uint32_t t = 0; t < 6; ++t) {
        if (t == 4) f.Define(1, 18, lap).Data(1).Put(kTime + 3, 4).Put(0xFFFFFFFF, 4).Put(0xFFFFFFFF, 4);
        Record(f, kTime + t, 1, 1);
    }
    f.Define(2, 19, {{254, 2, kUint16}}).Data(2).Put(1, 2);  // a lap without a time: the next point starts one
    Record(f, kTime + 6, 1, 1);
    std::string starts;
    for (const Point& p : TrackPoints(Read(f.File()))) starts += p.newSection ? 'S' : '.';
    EXPECT_EQ(starts, "S..SS.S");
}

TEST(Fit, LocationsAndCoursePointsAreWaypointsAndTheModeLeavesOutTheOtherKind)
{
    FitBuilder f;
    f.Define(0, 29, {{0, 8, kText}, {1, 4, kSint32}, {2, 4, kSint32}, {4, 2, kUint16}, {6, 8, kText}});
    f.Data(0).Text("Hut", 8).Put(1 << 29, 4).Put(1 << 28, 4).Put(2500 + 5 * 1200, 2).Text("warm", 8);
    f.Define(1, 32, {{1, 4, kUint32}, {2, 4, kSint32}, {3, 4, kSint32}, {5, 1, 0}, {6, 8, kText}});
    f.Data(1).Put(kTime, 4).Put(1 << 29, 4).Put(1 << 28, 4).Put(1, 1).Text("Top", 8);
    f.Data(1).Put(kTime, 4).Put(0x7FFFFFFF, 4).Put(1, 4).Put(6, 1).Text("Lost", 8);
    f.Define(2, 31, {{5, 8, kText}}).Data(2).Text("Loop", 8);
    f.Define(0, 20, kRecordFields);
    Record(f, kTime, 1, 1);
    const ReadResult all = Read(f.File());
    const std::vector<Point> w = all.document.waypoints.ToVector();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(std::tie(w[0].latitude, w[0].longitude), std::make_tuple(45.0, 22.5));
    EXPECT_EQ(Held(w[0]), "Hut||warm||1200.000|");
    EXPECT_EQ(Held(w[1]), "Top|||Summit||2021-09-08T01:46:40Z");
    EXPECT_EQ(w[1].type, "summit");
    EXPECT_EQ(Count(all, FindingKind::Unusable), 1);
    ASSERT_EQ(all.document.tracks.size(), 1u);
    EXPECT_EQ(all.document.tracks[0].info.name, "Loop");

    const ReadResult tracks = Read(f.File(), ReadMode::Tracks);
    EXPECT_TRUE(tracks.document.waypoints.empty());
    EXPECT_EQ(tracks.waypointsLeftOut, 2);
    const ReadResult waypoints = Read(f.File(), ReadMode::Waypoints);
    EXPECT_TRUE(waypoints.document.tracks.empty());
    EXPECT_EQ(waypoints.tracksLeftOut, 1);
}
