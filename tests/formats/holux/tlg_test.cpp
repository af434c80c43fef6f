// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/clock.h"
#include "core/file_io.h"
#include "core/store.h"
#include "formats/holux/Holux.h"
#include "formats/native/Kes.h"
#include "tests/support/byte_builder.h"
#include "tests/support/held_detail.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_files.h"

namespace {
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

class HoluxTracks : public ::testing::Test {
protected:
    void SetUp() override { PinClock(45000.25, 45000.0); }
    void TearDown() override { UnpinClock(); }

    // A native track file of `points` test points named `name`.
    std::string TrackFile(const std::string& file, int points, const std::string& name = "walk")
    {
        FillStore(points, name);
        WriteTrackFile(dir.Path(file));
        return dir.Path(file);
    }
    void FillStore(int points, const std::string& name)
    {
        ClearTracks();
        for (int e = 0; e < points; ++e) {
            TrackPointList[e].Longitude = LonUnits(e) / 36000.0;
            TrackPointList[e].Latitude = -NegLatUnits(e) / 36000.0;
            TrackPointList[e].Altitude = 10;
            TrackPointList[e].DateTime = 40000.5;
        }
        TrackProps.PointCount = points;
        TrackProps.Name = name;
    }
    std::string Write(const std::vector<std::string>& files)
    {
        WriteHoluxTrackFile(files, dir.Path("out.plt"));
        return ReadText(dir.Path("out.tlg"));
    }
    void Read(const ByteBuilder& image)
    {
        WriteText(dir.Path("in.tlg"), image.str());
        ReadHoluxTrackFile(dir.Path("in.tlg"), dir.Path("trip.plt"));
    }

    TempDir dir;
    RecordingFrontEnd front;
    ScopedFrontEnd scope{front};
};
}  // namespace

TEST_F(HoluxTracks, OneTrackGivesTheWholeLayoutByteForByte)
{
    const std::string image = Write({TrackFile("a.plt", 10)});

    ByteBuilder expected;
    for (int e = 0; e < 10; ++e) expected.i32(LonUnits(e)).i32(NegLatUnits(e));
    expected.fill(19920, 0x00).fill(40000 + 5536 + 40000 + 25536, 0xFF);
    expected.u8(0x00).u8(0x12).u8(0xCB).u8(0x38).u16(0).u16(10).u8(0).u8(0).u16(0).u32(0);
    expected.i16(10).i16(10).fixed("", 12).fixed("walk", 13).fill(3, 0).i32(-1).i32(-1).i32(0);
    expected.fill(4 * 44, 0x00).fill(1812, 0xFF);
    ASSERT_EQ(expected.size(), 133120u);
    EXPECT_EQ(image, expected.str());
    EXPECT_EQ(At<std::int32_t>(image, 0), -18000);    // longitude -0.5
    EXPECT_EQ(At<std::int32_t>(image, 4), -1629000);  // latitude 45.25
    EXPECT_TRUE(front.messages.empty());
}

TEST_F(HoluxTracks, FiveTracksFillTheirSlotsAndTheHeaderFollowsTheLastWithPoints)
{
    const std::string image = Write({TrackFile("a.plt", 3), TrackFile("b.plt", 2500), TrackFile("c.plt", 0),
                                     TrackFile("d.plt", 7), TrackFile("e.plt", 0)});
    ASSERT_EQ(image.size(), 133120u);
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
    EXPECT_TRUE(front.messages.empty());
}

TEST_F(HoluxTracks, AFullSlotIsTheSameFor2500And2501PointsButOnlyTheLargerWarns)
{
    const std::string full = Write({TrackFile("a.plt", 2500)});
    EXPECT_EQ(At<std::int16_t>(full, RecordAt(0)), 2500);
    EXPECT_EQ(At<std::int16_t>(full, RecordAt(0) + 2), 0);
    EXPECT_EQ(At<std::uint16_t>(full, kHeader + 6), 0);
    EXPECT_TRUE(front.messages.empty());

    const std::string cut = Write({TrackFile("b.plt", 2501)});
    EXPECT_EQ(cut, full);
    EXPECT_EQ(front.messages, std::vector<std::string>{kTooManyPoints});
}

TEST_F(HoluxTracks, SixFilesKeepTheFirstFiveAndEachLimitIsNamedOnce)
{
    std::vector<std::string> files;
    for (int i = 1; i <= 6; ++i) {
        const std::string n = std::to_string(i);
        files.push_back(TrackFile("t" + n + ".plt", i == 6 ? 9 : 2600, "T" + n));
    }
    const std::string image = Write(files);
    for (int t = 0; t < 5; ++t) EXPECT_EQ(image.substr(RecordAt(t) + 16, 3), "T" + std::to_string(t + 1) + '\0');
    EXPECT_EQ(front.messages, (std::vector<std::string>{kTooManyTracks, kTooManyPoints}));
}

TEST_F(HoluxTracks, AMissingInputEndsTheWriteBeforeTheImageExists)
{
    EXPECT_THROW(Write({TrackFile("a.plt", 3), dir.Path("missing.plt")}), FileError);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.tlg")));
}

TEST_F(HoluxTracks, TheStoreTrackBecomesSlotZeroWithItsTextsCut)
{
    FillStore(3000, "A fifteen char");
    TrackProps.Description = "Description 15!";
    WriteHoluxTrackFileFromStore(dir.Path("store"));
    const std::string image = ReadText(dir.Path("store.tlg"));
    ASSERT_EQ(image.size(), 133120u);
    EXPECT_EQ(At<std::int16_t>(image, RecordAt(0)), 2500);
    EXPECT_EQ(image.substr(RecordAt(0) + 4, 12), "A fifteen ch");
    EXPECT_EQ(image.substr(RecordAt(0) + 16, 13), "Description 1");
    EXPECT_EQ(image.substr(RecordAt(0) + 29, 3), std::string(3, '\0'));
    EXPECT_EQ(At<std::int32_t>(image, 8 * 2499), LonUnits(2499));
    EXPECT_EQ(image.substr(20000, 20000), std::string(20000, '\xFF'));
    EXPECT_EQ(image.substr(RecordAt(1), 44), std::string(44, '\0'));
    EXPECT_EQ(front.messages, std::vector<std::string>{kTooManyPoints});
}

TEST_F(HoluxTracks, ReadingWritesOneFilePerSlotWithPointsNumberedBySlot)
{
    ByteBuilder image = BlankImage();
    PutSlot(image, 0, 4, 4, 4, "first");
    PutSlot(image, 1, 5, 5, 5, "unused");
    image.put<std::int32_t>(RecordAt(1) + 32, 0);  // the slot is not in use
    PutSlot(image, 2, 2, 2, 2, "third");
    PutSlot(image, 3, 0, 0, 0, "empty");
    Read(image);
    namespace fs = std::filesystem;
    EXPECT_TRUE(fs::exists(dir.Path("trip_1.plt")));
    EXPECT_TRUE(fs::exists(dir.Path("trip_3.plt")));
    for (const char* missing : {"trip_2.plt", "trip_4.plt", "trip_5.plt", "trip.plt"})
        EXPECT_FALSE(fs::exists(dir.Path(missing))) << missing;

    ReadTrackFile(dir.Path("trip_3.plt"));
    EXPECT_EQ(TrackProps.Description, "third");
    ASSERT_EQ(TrackProps.PointCount, 2);
    EXPECT_NEAR(TrackPointList[1].Longitude, LonUnits(1) / 36000.0, 1e-6);
    EXPECT_NEAR(TrackPointList[1].Latitude, -NegLatUnits(1) / 36000.0, 1e-6);
    EXPECT_EQ(TrackPointList[0].NewSection, 1);
    EXPECT_EQ(TrackPointList[1].NewSection, 0);
}

TEST_F(HoluxTracks, APartSlotGivesPositionsOnlyAndFillsTheRestOfTheSlot)
{
    ByteBuilder image = BlankImage();
    PutSlot(image, 4, 3, 3, 3, "n\xE4me  ");
    for (std::size_t i = 0; i < 13; ++i) image.put<char>(RecordAt(4) + 16 + i, "description++"[i]);
    Read(image);
    // The store holds the last slot examined, slot 4.
    EXPECT_EQ(TrackProps.Name, "n\xE4me  ");
    EXPECT_EQ(TrackProps.Description, "description++");
    EXPECT_EQ(TrackProps.Detail.name, "n\xC3\xA4me  ");
    EXPECT_EQ(TrackProps.Detail.description, "description++");
    EXPECT_EQ(Held(TrackPointList[2]), "|||||");  // neither time nor elevation
    ASSERT_EQ(TrackProps.PointCount, 3);
    EXPECT_DOUBLE_EQ(TrackPointList[0].Longitude, -0.5);
    EXPECT_DOUBLE_EQ(TrackPointList[0].Latitude, 45.25);
    EXPECT_FLOAT_EQ(TrackPointList[2].Altitude, -777.0f);
    EXPECT_DOUBLE_EQ(TrackPointList[2].DateTime, 45000.0);  // the time of reading, in UTC
    EXPECT_DOUBLE_EQ(TrackPointList[3].Latitude, -777.0);
    EXPECT_DOUBLE_EQ(TrackPointList[2499].Longitude, -777.0);
    EXPECT_DOUBLE_EQ(TrackPointList[2499].DateTime, 45000.0);
    EXPECT_TRUE(std::filesystem::exists(dir.Path("trip_5.plt")));
}

TEST_F(HoluxTracks, AFullSlotRunsFromItsFirstIndexRoundToTheOnesBefore)
{
    struct Case {
        std::int16_t count, first;
        int startsAt;
    };
    for (const Case c : {Case{2500, 100, 100}, Case{3000, 2499, 2499}, Case{2500, 2500, 0}, Case{2500, -1, 0}}) {
        ByteBuilder image = BlankImage();
        PutSlot(image, 4, c.count, c.first, 2500, "ring");
        Read(image);
        ASSERT_EQ(TrackProps.PointCount, 2500) << c.first;
        for (int l : {0, 1, 2499 - c.startsAt, 2500 - c.startsAt, 2499}) {
            if (l > 2499) continue;
            const int e = (c.startsAt + l) % 2500;
            EXPECT_DOUBLE_EQ(TrackPointList[l].Longitude, LonUnits(e) / 36000.0) << c.first << " " << l;
            EXPECT_EQ(TrackPointList[l].NewSection, l == 0 ? 1 : 0) << c.first << " " << l;
        }
    }
}

TEST_F(HoluxTracks, MissingBytesOfAShortImageReadAsFF)
{
    ByteBuilder image = BlankImage();
    PutSlot(image, 0, 4, 4, 4, "first");
    PutSlot(image, 1, 4, 4, 4, "second");
    image.bytes.resize(RecordAt(1) + 1);  // record 1's count gets an FF high byte: negative
    Read(image);
    Read(ByteBuilder{});
    ByteBuilder zeros;
    zeros.fill(133120, 0x00);
    Read(zeros);
    EXPECT_TRUE(std::filesystem::exists(dir.Path("trip_1.plt")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Root()), {}), 2);  // and in.tlg
    EXPECT_EQ(TrackProps.PointCount, 0);
}

TEST_F(HoluxTracks, FiveTracksWrittenAndReadBackKeepTheirPositions)
{
    std::vector<std::string> files;
    for (int t = 0; t < 5; ++t) files.push_back(TrackFile("s" + std::to_string(t) + ".plt", 100 + t, "S"));
    WriteHoluxTrackFile(files, dir.Path("all"));
    ReadHoluxTrackFile(dir.Path("all.tlg"), dir.Path("back.plt"));
    for (int t = 0; t < 5; ++t) {
        ReadTrackFile(dir.Path("back_" + std::to_string(t + 1) + ".plt"));
        ASSERT_EQ(TrackProps.PointCount, 100 + t);
        const int e = 99 + t;
        EXPECT_NEAR(TrackPointList[e].Longitude, LonUnits(e) / 36000.0, 1e-6);
        EXPECT_NEAR(TrackPointList[e].Latitude, -NegLatUnits(e) / 36000.0, 1e-6);
    }
}
