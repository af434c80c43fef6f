// SPDX-License-Identifier: GPL-3.0-or-later
// Both MapSource readers against truncated, mutated and random files: each
// read returns or refuses the file, and never holds more points than the
// file has bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "formats/import/MapsourceFile.h"
#include "tests/support/byte_builder.h"

namespace {
void Record(ByteBuilder& file, char type, const ByteBuilder& body)
{
    file.i32(static_cast<std::int32_t>(body.size())).u8(static_cast<std::uint8_t>(type));
    file.bytes.insert(file.bytes.end(), body.bytes.begin(), body.bytes.end());
}

ByteBuilder Gap()
{
    ByteBuilder b;
    b.u32(0).u8(0).u32(0).fill(12, 0xff).u16(0).u32(0xffffffff);
    return b;
}

void Append(ByteBuilder& to, const ByteBuilder& from)
{
    to.bytes.insert(to.bytes.end(), from.bytes.begin(), from.bytes.end());
}

std::vector<std::uint8_t> MpsSeed()
{
    ByteBuilder f;
    f.text("MsRcd").u8(0).i32(2).u8('D').u16(103).i32(27).u8('A').u16(0);
    f.zeroText("SQA").zeroText("date").zeroText("time");
    for (int i = 0; i < 3; ++i) {
        ByteBuilder w;
        w.zeroText("WP" + std::to_string(i));
        Append(w, Gap());
        w.i32(1000000 * (i + 1)).i32(-2000000).u8(1).f64(120.5).zeroText("a, b").fill(17, 0).i32(i * 40).fill(20, 0);
        Record(f, 'W', w);
    }
    ByteBuilder t;
    t.zeroText("track").u8(0).i32(0).i32(4);
    for (int i = 0; i < 4; ++i) t.i32(i * 1000).i32(i * 2000).u8(1).f64(i * 10.0).u8(1).u32(1000u * i).u8(0).f64(0);
    Record(f, 'T', t);
    ByteBuilder r;
    r.fill(50, 0x41);
    Record(f, 'R', r);
    return f.bytes;
}

std::vector<std::uint8_t> GdbSeed()
{
    ByteBuilder f;
    f.text("MsRcf").u8(0).i32(2).u8('D').u16(108).i32(27).u8('A').u16(0);
    f.zeroText("SQA").zeroText("date").zeroText("time").zeroText("MapSource");
    for (int i = 0; i < 2; ++i) {
        ByteBuilder w;
        w.zeroText("WP" + std::to_string(i));
        Append(w, Gap());
        w.i32(1000000 * (i + 1)).i32(-2000000).u8(1).f64(50).zeroText("c,d").u8(1).f64(3);
        w.i32(1).i32(0).i32(7).i32(0).u8(1).f64(4).u16(0).i32(0).zeroText("x").zeroText("").u16(0).u8(0).u8(1).u32(99);
        Record(f, 'W', w);
    }
    ByteBuilder r;
    r.zeroText("route").u16(0).i32(1).i32(2).u8(0).i32(3).i32(4).u8(1).f64(5).u32(2);
    for (int k = 0; k < 2; ++k) {
        r.zeroText("P" + std::to_string(k));
        Append(r, Gap());
        r.fill(19, 0).u32(2).i32(10).i32(11).u8(1).f64(9).i32(12).i32(13).u8(0).zeroText("");
        r.i32(0).i32(0).u8(0).i32(0).i32(0).u8(0).fill(8, 0xff);
    }
    Record(f, 'R', r);
    ByteBuilder t;
    t.zeroText("track").u8(0).i32(0).u32(3);
    for (int i = 0; i < 3; ++i) t.i32(i * 1000).i32(i * 2000).u8(1).f64(7).u8(1).u32(5).u8(1).f64(2).u8(0);
    Record(f, 'T', t);
    return f.bytes;
}

std::size_t PointsOf(const Document& document)
{
    std::size_t points = document.waypoints.size();
    for (const Route& route : document.routes) points += route.points.size();
    for (const Track& track : document.tracks) points += track.points.size();
    return points;
}

class MapsourceFuzz : public ::testing::Test {
protected:
    void Feed(const std::vector<std::uint8_t>& bytes, bool gdb, bool trackMode)
    {
        const ReadOptions options{trackMode ? ReadMode::Tracks : ReadMode::Everything};
        try {
            const ReadResult read = ReadMapsourceFile(
                InputSource::Memory(gdb ? "in.gdb" : "in.mps", {bytes.begin(), bytes.end()}), options);
            ASSERT_LE(PointsOf(read.document), bytes.size());
        } catch (const InputRefused&) {}
        ++fed;
    }

    int fed = 0;
};

TEST_F(MapsourceFuzz, EveryTruncationOfValidFiles)
{
    for (bool gdb : {false, true}) {
        const std::vector<std::uint8_t> seed = gdb ? GdbSeed() : MpsSeed();
        for (std::size_t n = 0; n <= seed.size(); ++n) {
            Feed(std::vector<std::uint8_t>(seed.begin(), seed.begin() + static_cast<std::ptrdiff_t>(n)), gdb,
                 n % 8 == 1);
            if (HasFatalFailure()) return;
        }
    }
    EXPECT_GT(fed, 500);
}

TEST_F(MapsourceFuzz, MutatedValidFiles)
{
    std::mt19937 random(20240611);
    for (bool gdb : {false, true}) {
        const std::vector<std::uint8_t> seed = gdb ? GdbSeed() : MpsSeed();
        for (int round = 0; round < 300; ++round) {
            std::vector<std::uint8_t> bytes = seed;
            const int flips = 1 + static_cast<int>(random() % 8);
            for (int f = 0; f < flips; ++f) {
                // Past the header, so that most inputs reach the records.
                const std::size_t at = 13 + random() % (bytes.size() - 13);
                const std::uint8_t edge[] = {0x00, 0x01, 0x7f, 0x80, 0xff};
                bytes[at] = random() % 2 ? edge[random() % 5] : static_cast<std::uint8_t>(random());
            }
            Feed(bytes, gdb, round % 10 == 0);
            if (HasFatalFailure()) return;
        }
    }
}

TEST_F(MapsourceFuzz, RandomFilesUpTo200000Bytes)
{
    std::mt19937 random(77);
    const std::size_t sizes[] = {0, 1, 5, 6, 12, 13, 19, 20, 64, 1000, 4096, 65536, 150000, 200000};
    for (bool gdb : {false, true}) {
        for (std::size_t size : sizes) {
            for (int variant = 0; variant < 3; ++variant) {
                std::vector<std::uint8_t> bytes(size);
                for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
                // Variant 1 has a readable header; variant 2 is mostly record letters and small lengths.
                if (variant >= 1 && size >= 13) {
                    bytes[11] = static_cast<std::uint8_t>(gdb ? 108 : 103);
                    bytes[12] = 0;
                }
                if (variant == 2)
                    for (std::size_t i = 13; i + 5 <= size; i += 5 + random() % 40) {
                        bytes[i] = static_cast<std::uint8_t>(random() % 60);
                        bytes[i + 1] = bytes[i + 2] = bytes[i + 3] = 0;
                        bytes[i + 4] = "WTRLMV"[random() % 6];
                    }
                Feed(bytes, gdb, variant == 2 && size <= 4096);
                if (HasFatalFailure()) return;
            }
        }
    }
}
}  // namespace
