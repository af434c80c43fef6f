// SPDX-License-Identifier: GPL-3.0-or-later
// Truncated, empty and random images of 0 to 200,000 bytes must read without
// a crash or a stray access; a file error is the only acceptable failure.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/store.h"
#include "core/text_fields.h"
#include "formats/holux/Holux.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/test_files.h"

namespace {
// A fixed-seed generator, so every run feeds the same inputs.
class Lcg {
public:
    explicit Lcg(std::uint64_t seed) : state_(seed) {}
    std::uint32_t Next()
    {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    std::size_t Below(std::size_t limit) { return Next() % limit; }

private:
    std::uint64_t state_;
};

// Random bytes, biased toward the values the images give meaning to.
std::string RandomBytes(Lcg& random, std::size_t size)
{
    static constexpr std::uint8_t kLikely[] = {0x00, 0xFF, 0x01, 0x09, 0xC4, 0x7F, 0x80};
    std::string bytes(size, '\0');
    const std::size_t mode = random.Below(3);
    for (char& b : bytes) {
        const bool likely = mode == 0 || (mode == 1 && random.Below(4) != 0);
        b = static_cast<char>(likely ? kLikely[random.Below(std::size(kLikely))] : random.Next() & 0xFF);
    }
    return bytes;
}

std::vector<std::size_t> Sizes(Lcg& random)
{
    std::vector<std::size_t> sizes = {0,     1,     7,     8,      1507,   1508,   21580,  23419,
                                      23420, 32768, 65536, 131072, 131089, 133119, 133120, 200000};
    for (int i = 0; i < 24; ++i) sizes.push_back(random.Below(200001));
    return sizes;
}

template <typename Read>
void FeedAll(Read read, std::uint64_t seed, const std::string& validImage)
{
    TempDir dir;
    RecordingFrontEnd front;
    ScopedFrontEnd scope(front);
    Lcg random(seed);
    std::vector<std::string> inputs;
    for (std::size_t size : Sizes(random)) inputs.push_back(RandomBytes(random, size));
    for (std::size_t cut = 0; cut <= validImage.size(); cut += 997) inputs.push_back(validImage.substr(0, cut));

    int index = 0;
    for (const std::string& input : inputs) {
        const std::string path = dir.Path("in" + std::to_string(index++));
        WriteText(path, input);
        try {
            read(path, dir.Path("out.plt"));
        } catch (const FileError&) {
        } catch (const ConversionError&) {}
        EXPECT_GE(WaypointCount, 0);
        EXPECT_LE(WaypointCount, 500);
        EXPECT_GE(TrackProps.PointCount, 0);
        EXPECT_LE(TrackProps.PointCount, 2500);
    }
}
}  // namespace

TEST(HoluxRandomInput, WaypointImagesOfAnyContentReadSafely)
{
    TempDir dir;
    ClearTracks();  // the counts checked after each read start from a clean store
    ClearWaypoints();
    WaypointCount = 500;
    WriteHoluxWaypointFile(dir.Path("valid"));
    FeedAll([](const std::string& in, const std::string&) { ReadHoluxWaypointFile(in); }, 20261208,
            ReadText(dir.Path("valid.wrt")));
    EXPECT_LE(RouteCount, 20);
}

TEST(HoluxRandomInput, TrackImagesOfAnyContentReadSafely)
{
    PinClock(45000.25, 45000.0);
    TempDir dir;
    ClearWaypoints();
    ClearTracks();
    for (int i = 0; i < 2500; ++i) TrackPointList[i] = TrackPoint{50, 4, 0, 0, 0};
    TrackProps.PointCount = 2500;
    WriteHoluxTrackFileFromStore(dir.Path("valid"));
    FeedAll([](const std::string& in, const std::string& out) { ReadHoluxTrackFile(in, out); }, 8122026,
            ReadText(dir.Path("valid.tlg")));
    UnpinClock();
}

TEST(HoluxRandomInput, AnImageEndingBeforeItsLastRecordIsReadInPart)
{
    TempDir dir;
    const struct {
        bool track;
        std::size_t size;
        bool inPart;
    } cases[] = {{false, 0, true}, {false, 23419, true}, {false, 23420, false},
                 {true, 0, true},  {true, 131307, true}, {true, 131308, false}};
    for (const auto& c : cases) {
        WriteText(dir.Path("in"), std::string(c.size, '\0'));
        StartConversionRecord();
        if (c.track) ReadHoluxTrackFile(dir.Path("in"), dir.Path("out.plt"));
        else ReadHoluxWaypointFile(dir.Path("in"));
        EXPECT_EQ(InputReadInPart(), c.inPart) << c.track << " " << c.size;
    }
}
