// SPDX-License-Identifier: GPL-3.0-or-later
// Truncated, empty and random images of 0 to 200,000 bytes must read without
// a crash or a stray access, within the images' capacities.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "formats/holux/Holux.h"
#include "tests/support/native_documents.h"

namespace {
using namespace native_documents;
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

// Every input read within the image's capacities; a part of a valid image says it ends inside a record.
template <typename Check>
void FeedAll(ReadResult (*read)(const InputSource&, const ReadOptions&), std::uint64_t seed, const std::string& valid,
             std::size_t wholeSize, Check check)
{
    Lcg random(seed);
    std::vector<std::string> inputs;
    for (std::size_t size : Sizes(random)) inputs.push_back(RandomBytes(random, size));
    for (std::size_t cut = 0; cut <= valid.size(); cut += 997) inputs.push_back(valid.substr(0, cut));
    for (const std::string& input : inputs) {
        const ReadResult result = ReadBytes(read, input);
        check(result.document);
        EXPECT_EQ(result.findings.Has(FindingKind::Truncated), input.size() < wholeSize) << input.size();
    }
}

Document Full()
{
    Document document;
    for (int i = 0; i < 500; ++i) document.waypoints.push_back(At(50, 4, "W"));
    for (int t = 0; t < 5; ++t) document.tracks.push_back(TrackOf(std::vector<Point>(2500, At(50, 4))));
    return document;
}
}  // namespace

TEST(HoluxRandomInput, WaypointImagesOfAnyContentReadSafely)
{
    TempDir dir;
    WriteHoluxWaypointFile(Full(), RequestFor(dir.Path("valid")));
    FeedAll(ReadHoluxWaypointFile, 20261208, ReadText(dir.Path("valid.wrt")), 23420, [](const Document& d) {
        EXPECT_LE(d.waypoints.size(), 500u);
        EXPECT_LE(d.routes.size(), 20u);
        for (const Route& route : d.routes) EXPECT_LE(route.points.size(), 30u);
    });
}

TEST(HoluxRandomInput, TrackImagesOfAnyContentReadSafely)
{
    TempDir dir;
    WriteHoluxTrackFile(Full(), RequestFor(dir.Path("valid")));
    FeedAll(ReadHoluxTrackFile, 8122026, ReadText(dir.Path("valid.tlg")), 131308, [](const Document& d) {
        EXPECT_LE(d.tracks.size(), 5u);
        for (const Track& track : d.tracks) EXPECT_LE(track.points.size(), 2500u);
    });
}
