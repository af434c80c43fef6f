// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "formats/holux/Holux.h"
#include "tests/support/byte_builder.h"
#include "tests/support/native_documents.h"

namespace {
using namespace native_documents;
constexpr std::size_t kSlotOffsets[5] = {0, 20000, 40000, 65536, 85536};
constexpr std::size_t kHeader = 131072, kRecords = 131088;
const char* kTooManyTracks = "Only the first 5 selected Tracks are saved - this is a limitation of the tlg format.";
const char* kTooManyPoints =
    "Only the first 2500 Track Points are saved from each track - this is a limitation of the tlg format.";

std::size_t RecordAt(int slot) { return kRecords + 44 * static_cast<std::size_t>(slot); }

// Point e of a test track, in tenths of an arc-second: longitude and negated latitude.
std::int32_t LonUnits(int e) { return -18000 + 36 * e; }
std::int32_t NegLatUnits(int e) { return -1629000 + 36 * e; }

template <typename T>
T At(const std::string& image, std::size_t offset)
{
    T value;
    std::memcpy(&value, image.data() + offset, sizeof value);
    return value;
}

// An image whose slots hold nothing: FF everywhere but a zeroed header and records.
ByteBuilder BlankImage()
{
    ByteBuilder b;
    b.fill(133120, 0xFF);
    for (std::size_t i = kHeader; i < kRecords + 220; ++i) b.put<std::uint8_t>(i, 0);
    return b;
}

void PutSlot(ByteBuilder& b, int slot, std::int16_t count, std::int16_t first, int points, const std::string& name)
{
    const std::size_t record = RecordAt(slot);
    b.put<std::int16_t>(record, count).put<std::int16_t>(record + 2, first);
    for (std::size_t i = 0; i < 12; ++i) b.put<char>(record + 4 + i, i < name.size() ? name[i] : '\0');
    b.put<std::int32_t>(record + 32, -1).put<std::int32_t>(record + 36, -1);
    for (int e = 0; e < points; ++e) {
        const std::size_t at = kSlotOffsets[slot] + 8 * static_cast<std::size_t>(e);
        b.put<std::int32_t>(at, LonUnits(e)).put<std::int32_t>(at + 4, NegLatUnits(e));
    }
}

Track TestTrack(int points, std::string name = {}, std::string description = {})
{
    std::vector<Point> list;
    for (int e = 0; e < points; ++e)
        list.push_back(native_documents::At(-NegLatUnits(e) / 36000.0, LonUnits(e) / 36000.0));
    Track track = TrackOf(list, std::move(name));
    track.info.description = std::move(description);
    return track;
}

struct Written {
    std::string image;
    WriteResult result;
};

Written Write(std::vector<Track> tracks)
{
    TempDir dir;
    Document document;
    document.tracks = std::move(tracks);
    Written w;
    w.result = WriteHoluxTrackFile(document, RequestFor(dir.Path("out.plt")));
    w.image = ReadText(dir.Path("out.tlg"));
    return w;
}

std::vector<std::string> Messages(const WriteResult& result)
{
    std::vector<std::string> messages;
    for (const Finding& f : result.findings.All())
        if (f.kind == FindingKind::Cut) messages.push_back(f.message);
    return messages;
}
}  // namespace

TEST(HoluxTracks, OneTrackGivesTheWholeLayoutByteForByte)
{
    const Written w = Write({TestTrack(10, "walk")});
    ByteBuilder expected;
    for (int e = 0; e < 10; ++e) expected.i32(LonUnits(e)).i32(NegLatUnits(e));
    expected.fill(19920, 0x00).fill(40000 + 5536 + 40000 + 25536, 0xFF);
    expected.u8(0x00).u8(0x12).u8(0xCB).u8(0x38).u16(0).u16(10).u8(0).u8(0).u16(0).u32(0);
    expected.i16(10).i16(10).fixed("walk", 12).fixed("", 13).fill(3, 0).i32(-1).i32(-1).i32(0);
    expected.fill(4 * 44, 0x00).fill(1812, 0xFF);
    ASSERT_EQ(expected.size(), 133120u);
    EXPECT_EQ(w.image, expected.str());
    EXPECT_EQ(w.result.counts, WrittenCounts{.trackPoints = 10});
    EXPECT_TRUE(w.result.findings.Empty());
}

TEST(HoluxTracks, FiveTracksFillTheirSlotsAndTheHeaderFollowsTheLastWithPoints)
{
    const Written w = Write({TestTrack(3), TestTrack(2500), TestTrack(0), TestTrack(7), TestTrack(0)});
    const std::string& image = w.image;
    EXPECT_EQ(At<std::uint16_t>(image, kHeader + 6), 7);
    const std::int16_t counts[5] = {3, 2500, 0, 7, 0};
    const std::int16_t firsts[5] = {3, 0, 0, 7, 0};
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(At<std::int16_t>(image, RecordAt(t)), counts[t]) << t;
        EXPECT_EQ(At<std::int16_t>(image, RecordAt(t) + 2), firsts[t]) << t;
        EXPECT_EQ(At<std::int32_t>(image, RecordAt(t) + 32), -1) << t;
        const std::size_t slot = kSlotOffsets[t];
        if (counts[t] > 0) {
            EXPECT_EQ(At<std::int32_t>(image, slot + 8 * (counts[t] - 1)), LonUnits(counts[t] - 1)) << t;
            EXPECT_EQ(At<std::int32_t>(image, slot + 8 * (counts[t] - 1) + 4), NegLatUnits(counts[t] - 1)) << t;
        }
        const std::size_t used = 8 * static_cast<std::size_t>(counts[t]);
        EXPECT_EQ(image.substr(slot + used, 20000 - used), std::string(20000 - used, '\0')) << t;
    }
    EXPECT_EQ(image.substr(60000, 5536), std::string(5536, '\xFF'));
    EXPECT_EQ(image.substr(105536, 25536), std::string(25536, '\xFF'));
    EXPECT_EQ(w.result.counts.trackPoints, 2510);
}

TEST(HoluxTracks, TheFirstFiveTracksOfTheirFirst2500PointsWithTheirTextsCut)
{
    const Written full = Write({TestTrack(2500)});
    EXPECT_EQ(At<std::int16_t>(full.image, RecordAt(0)), 2500);
    EXPECT_EQ(At<std::int16_t>(full.image, RecordAt(0) + 2), 0);
    EXPECT_EQ(At<std::uint16_t>(full.image, kHeader + 6), 0);
    EXPECT_TRUE(full.result.findings.Empty());
    EXPECT_EQ(Write({TestTrack(2501)}).image, full.image);

    std::vector<Track> five(5, TestTrack(3));
    EXPECT_TRUE(Write(five).result.findings.Empty());  // five fit: nothing is said cut

    std::vector<Track> six;
    for (int i = 1; i <= 6; ++i)
        six.push_back(TestTrack(i == 6 ? 9 : 2600, "A fifteen char", "Description 1" + std::to_string(i)));
    const Written w = Write(six);
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(w.image.substr(RecordAt(t) + 4, 12), "A fifteen ch");
        EXPECT_EQ(w.image.substr(RecordAt(t) + 16, 16), "Description 1" + std::string(3, '\0'));
    }
    EXPECT_EQ(Messages(w.result), (std::vector<std::string>{kTooManyTracks, kTooManyPoints}));
    EXPECT_EQ(w.result.counts.trackPoints, 5 * 2500);
}

TEST(HoluxTracks, EachSlotWithPointsIsATrackWithItsSlot)
{
    ByteBuilder image = BlankImage();
    PutSlot(image, 0, 4, 4, 4, "first");
    PutSlot(image, 1, 5, 5, 5, "unused");
    image.put<std::int32_t>(RecordAt(1) + 32, 0);  // the slot is not in use
    PutSlot(image, 2, 2, 2, 2, "n\xE4me  ");
    for (std::size_t i = 0; i < 13; ++i) image.put<char>(RecordAt(2) + 16 + i, "description++"[i]);
    PutSlot(image, 3, 0, 0, 0, "empty");
    const ReadResult read = ReadBytes(ReadHoluxTrackFile, image.str());
    EXPECT_TRUE(read.findings.Empty());
    ASSERT_EQ(read.document.tracks.size(), 2u);
    EXPECT_EQ(read.document.tracks[0].slot, 1);
    const Track& third = read.document.tracks[1];
    EXPECT_EQ(third.slot, 3);
    EXPECT_EQ(third.info.name, "n\xC3\xA4me  ");
    EXPECT_EQ(third.info.description, "description++");
    const std::vector<Point> points = third.points.ToVector();
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[1].longitude, LonUnits(1) / 36000.0);
    EXPECT_EQ(points[1].latitude, -NegLatUnits(1) / 36000.0);
    EXPECT_TRUE(points[0].newSection);
    EXPECT_FALSE(points[1].newSection);
    EXPECT_FALSE(points[1].time || points[1].HasElevation());  // positions only
}

TEST(HoluxTracks, AFullSlotRunsFromItsFirstIndexRoundToTheOnesBefore)
{
    struct Case {
        std::int16_t count, first;
        int startsAt;
    };
    for (const Case c : {Case{2500, 100, 100}, Case{3000, 2499, 2499}, Case{2500, 2500, 0}, Case{2500, -1, 0}}) {
        ByteBuilder image = BlankImage();
        PutSlot(image, 4, c.count, c.first, 2500, "ring");
        const ReadResult read = ReadBytes(ReadHoluxTrackFile, image.str());
        const std::vector<Point> points = read.document.tracks.at(0).points.ToVector();
        ASSERT_EQ(points.size(), 2500u) << c.first;
        for (int l : {0, 1, 2499 - c.startsAt, 2500 - c.startsAt, 2499}) {
            if (l > 2499) continue;
            const int e = (c.startsAt + l) % 2500;
            EXPECT_EQ(points[l].longitude, LonUnits(e) / 36000.0) << c.first << " " << l;
            EXPECT_EQ(points[l].newSection, l == 0) << c.first << " " << l;
        }
    }
}

TEST(HoluxTracks, MissingBytesOfAShortImageReadAsFFAndSaySo)
{
    ByteBuilder image = BlankImage();
    PutSlot(image, 0, 4, 4, 4, "first");
    PutSlot(image, 1, 4, 4, 4, "second");
    image.bytes.resize(RecordAt(1) + 1);  // record 1's count gets an FF high byte: negative
    const ReadResult read = ReadBytes(ReadHoluxTrackFile, image.str());
    EXPECT_EQ(read.document.tracks.size(), 1u);
    EXPECT_TRUE(read.findings.Has(FindingKind::Truncated));
    EXPECT_TRUE(ReadBytes(ReadHoluxTrackFile, std::string(133120, '\0')).document.tracks.empty());
}

// Written and read back, five tracks keep their points to the image's unit.
TEST(HoluxTracks, FiveTracksReadBackAsWritten)
{
    std::vector<Track> tracks;
    for (int t = 0; t < 5; ++t) tracks.push_back(TestTrack(100 + t, "S"));
    const ReadResult back = ReadBytes(ReadHoluxTrackFile, Write(tracks).image);
    ASSERT_EQ(back.document.tracks.size(), 5u);
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(back.document.tracks[t].slot, t + 1);
        const std::vector<Point> written = tracks[t].points.ToVector();
        const std::vector<Point> read = back.document.tracks[t].points.ToVector();
        ASSERT_EQ(read.size(), written.size());
        for (std::size_t i = 0; i < read.size(); ++i) {
            EXPECT_EQ(read[i].latitude, written[i].latitude);
            EXPECT_EQ(read[i].longitude, written[i].longitude);
        }
    }
}
