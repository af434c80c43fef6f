// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "core/io/byte_reader.h"
#include "core/io/file_io.h"
#include "core/io/line_reader.h"
#include "tests/support/byte_builder.h"
#include "tests/support/test_files.h"

namespace {
std::vector<std::string> AllLines(const std::string& content)
{
    LineReader reader(content);
    std::vector<std::string> lines;
    std::string line;
    while (reader.Next(line)) lines.push_back(line);
    return lines;
}
}  // namespace

TEST(LineReader, EveryLineEndAndTheEndOfFileByte)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(AllLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(AllLines("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(AllLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(AllLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(AllLines("a\n\r"), (Lines{"a", ""}));  // LF then a lone CR: two breaks
    EXPECT_EQ(AllLines("a\r\nb\x1A"
                       "c\r\nd"),
              (Lines{"a", "b"}));
    EXPECT_EQ(AllLines("\x1A"
                       "abc"),
              Lines{});
    EXPECT_EQ(AllLines(""), Lines{});
}

TEST(ByteReader, ReadsLittleEndianAndNeverPastTheEnd)
{
    ByteBuilder b;
    b.u16(0x1234).i32(-2).f64(1.5).u8(7);
    ByteReader r(b.bytes);
    std::uint16_t u = 0;
    std::int32_t i = 0;
    double d = 0;
    std::uint8_t byte = 0;
    ASSERT_TRUE(r.u16(u));
    ASSERT_TRUE(r.i32(i));
    ASSERT_TRUE(r.f64(d));
    EXPECT_EQ(u, 0x1234);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(d, 1.5);
    std::uint32_t tooWide = 99;
    EXPECT_FALSE(r.u32(tooWide));
    EXPECT_EQ(tooWide, 99u);
    EXPECT_EQ(r.position(), 14u);
    ASSERT_TRUE(r.u8(byte));
    EXPECT_TRUE(r.at_end());
    EXPECT_FALSE(r.u8(byte));
}

TEST(ByteReader, SeeksAndSkipsCannotOverflowTheBound)
{
    ByteBuilder b;
    b.fill(10, 0xAB);
    ByteReader r(b.bytes);
    EXPECT_FALSE(r.skip(static_cast<std::size_t>(-1)));
    EXPECT_FALSE(r.seek(11));
    EXPECT_TRUE(r.seek(10));
    EXPECT_TRUE(r.seek(4));
    EXPECT_FALSE(r.skip(7));
    EXPECT_EQ(r.position(), 4u);
    std::uint8_t out[8] = {};
    EXPECT_EQ(r.read_some(out), 6u);
    std::string text;
    EXPECT_FALSE(r.text(1, text));
}

namespace {
// Lines as the product's rules give them, one byte at a time.
std::vector<std::string> ReferenceLines(const std::string& content)
{
    std::vector<std::string> lines;
    std::string line;
    std::size_t i = 0;
    while (i < content.size() && content[i] != '\x1A') {
        const char c = content[i++];
        if (c != '\r' && c != '\n') {
            line += c;
            if (i == content.size() || content[i] == '\x1A') lines.push_back(line);
            continue;
        }
        if (c == '\r' && i < content.size() && content[i] == '\n') ++i;
        lines.push_back(line);
        line.clear();
    }
    return lines;
}

std::vector<std::string> FileLines(const std::string& path)
{
    LineReader reader = LineReader::FromFile(path);
    std::vector<std::string> lines;
    std::string line;
    while (reader.Next(line)) lines.push_back(line);
    return lines;
}

// Lines of 0 to 120 bytes, a few of them empty, as a text file holds them.
std::vector<std::string> SomeLines(std::size_t totalBytes)
{
    std::mt19937 random(7);
    std::vector<std::string> lines;
    std::size_t size = 0;
    while (size < totalBytes) {
        std::string line(random() % 121, ' ');
        for (char& c : line) c = static_cast<char>('!' + random() % 90);
        size += line.size() + 2;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines, const std::string& end)
{
    std::string content;
    for (const std::string& line : lines) content += line + end;
    return content;
}
}  // namespace

TEST(LineReader, ACrOnlyFileReadsTheSameLinesAsItsCrLfTwin)
{
    TempDir dir;
    const std::vector<std::string> lines = SomeLines(3 << 20);
    const std::vector<std::pair<const char*, std::string>> twins = {
        {"crlf.txt", "\r\n"}, {"cr.txt", "\r"}, {"lf.txt", "\n"}};
    for (const auto& [name, end] : twins) {
        WriteText(dir.Path(name), Joined(lines, end));
        EXPECT_EQ(FileLines(dir.Path(name)), lines) << name;
    }
}

TEST(LineReader, AgreesWithTheRulesOnRandomBytes)
{
    const std::string alphabet = "ab,\t \r\n\r\n\x1A\xD1";
    std::mt19937 random(3);
    for (int round = 0; round < 3000; ++round) {
        std::string content(random() % 70, ' ');
        for (char& c : content) c = alphabet[random() % (round % 3 == 0 ? alphabet.size() : alphabet.size() - 1)];
        ASSERT_EQ(AllLines(content), ReferenceLines(content)) << round;
    }
}

// The lines and the breaks between them give back the content, but for the
// break after the last line.
TEST(LineReader, TheBreaksBetweenLinesGiveBackTheContent)
{
    const std::string alphabet = "ab,\r\n\r\n";
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round) {
        std::string content(random() % 70, ' ');
        for (char& c : content) c = alphabet[random() % alphabet.size()];
        LineReader reader(content);
        std::string joined, line;
        for (bool first = true; reader.Next(line); first = false)
            joined += (first ? "" : std::string(reader.BreakBefore())) + line;
        ASSERT_TRUE(content.starts_with(joined)) << round;
        const std::string rest = content.substr(joined.size());
        EXPECT_TRUE(rest.empty() || rest == "\n" || rest == "\r" || rest == "\r\n") << round;
    }
}

TEST(LineReader, AnOverlongLineGivesItsFirstPartAndTheNextLineFollows)
{
    TempDir dir;
    const std::size_t limit = LineReader::kMaxLineLength;
    const std::string longLine(limit + (9 << 20), 'x');
    using Lines = std::vector<std::string>;
    const std::string head(limit, 'x');
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"first\r\n" + longLine + "\r\nnext\r\n", {"first", head, "next"}},
        {longLine + "\n\nlast", {head, "", "last"}},
        {longLine, {head}},
        {longLine + "\x1A"
                    "after\r\n",
         {head}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        WriteText(dir.Path("long.txt"), cases[i].first);
        EXPECT_EQ(FileLines(dir.Path("long.txt")), cases[i].second) << i;
    }
}

TEST(LineReader, AFileWithoutASizeAndAnEndlessDevice)
{
    const std::vector<std::string> status = FileLines("/proc/self/status");  // a size of 0 on disk
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.front().substr(0, 5), "Name:");
    try {
        FileLines("/dev/zero");  // endless
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.SystemMessage(), "File too large");
    }
}

// Bytes the window has passed are read again from the file: every value is
// still there, through the reader, a second reader read in chunks, and after a
// seek back.
TEST(ByteReader, AFileReadsTheSameAfterItsWindowMovedOn)
{
    TempDir dir;
    ByteBuilder b;
    constexpr std::uint32_t kValues = 3 << 20;  // 12 MB
    for (std::uint32_t v = 0; v < kValues; ++v) b.u32(v * 2654435761u);
    WriteText(dir.Path("pattern.bin"), b.str());

    ByteReader file = ByteReader::FromFile(dir.Path("pattern.bin"));
    ASSERT_EQ(file.size(), b.size());
    ByteReader part = ByteReader::FromFile(dir.Path("pattern.bin"));
    ASSERT_TRUE(part.skip(4));
    ByteReader inMemory(b.bytes);
    std::uint32_t value = 0, held = 0;
    for (std::uint32_t v = 0; v < kValues; ++v) {
        ASSERT_TRUE(file.u32(value) && inMemory.u32(held));
        ASSERT_EQ(value, v * 2654435761u) << v;
        ASSERT_EQ(held, value) << v;
    }
    // In chunks, as a streaming parser takes them.
    std::vector<std::uint8_t> chunk(65536 + 3);
    for (std::size_t at = 4; at < b.size(); at += chunk.size()) {
        const std::size_t got = part.read_some(chunk);
        ASSERT_EQ(got, std::min(chunk.size(), b.size() - at));
        ASSERT_EQ(std::memcmp(chunk.data(), b.bytes.data() + at, got), 0) << at;
    }
    ASSERT_TRUE(file.seek(0));
    ASSERT_TRUE(file.u32(value));
    EXPECT_EQ(value, 0u);
    // A view gives the window's worth at most, and what is left at the end.
    EXPECT_EQ(file.view(b.size()).size(), ByteReader::kMaxView);
    EXPECT_EQ(std::memcmp(file.view(100).data(), b.bytes.data() + 4, 100), 0);
    // A limit ends the reads as the end of the data does, across the window's edge, until it is lifted.
    ASSERT_TRUE(file.seek(262140));
    const std::size_t outer = file.limit(262146);
    EXPECT_EQ(file.size(), 262146u);
    EXPECT_TRUE(file.u32(value) && !file.u32(value) && !file.skip(3) && file.skip(2) && file.at_end());
    file.limit(outer);
    ASSERT_TRUE(file.seek(262144) && file.u32(value));
    EXPECT_EQ(value, 65536u * 2654435761u);
    ASSERT_TRUE(file.seek(b.size() - 6));
    EXPECT_EQ(file.view(100).size(), 6u);
    EXPECT_EQ(std::memcmp(file.view(6).data(), b.bytes.data() + b.size() - 6, 6), 0);
}

TEST(ByteReader, FileErrorsCarryTheSystemMessage)
{
    TempDir dir;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir.Path("missing.bin"), "No such file or directory"}, {dir.Path(""), "Is a directory"}};
    for (const auto& [path, message] : cases) {
        try {
            ByteReader::FromFile(path);
            ADD_FAILURE() << path;
        } catch (const FileError& error) {
            EXPECT_EQ(error.SystemMessage(), message);
        }
    }
    WriteText(dir.Path("empty.bin"), "");
    EXPECT_TRUE(ByteReader::FromFile(dir.Path("empty.bin")).at_end());
}
