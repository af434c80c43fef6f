// SPDX-License-Identifier: GPL-3.0-or-later
// Inputs read through the window: files cut short while read, pipes read once.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>
#include <unistd.h>

#include "core/io/byte_reader.h"
#include "core/io/file_io.h"
#include "core/io/input_file.h"
#include "core/io/line_reader.h"
#include "tests/support/test_files.h"

namespace {
// A pipe that a thread fills, named by its descriptor as /dev/stdin names one.
class Pipe {
public:
    explicit Pipe(std::string content)
    {
        int ends[2];
        if (::pipe(ends) != 0) throw std::runtime_error("pipe");
        readEnd_ = ends[0];
        writer_ = std::thread([content = std::move(content), fd = ends[1]] {
            sigset_t pipeSignal;  // a reader that stops early ends the writing, not the test
            sigemptyset(&pipeSignal);
            sigaddset(&pipeSignal, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
            for (std::size_t done = 0; done < content.size();) {
                const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
                if (n <= 0) break;
                done += static_cast<std::size_t>(n);
            }
            ::close(fd);
        });
    }
    ~Pipe()
    {
        ::close(readEnd_);
        writer_.join();
    }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(readEnd_); }

private:
    int readEnd_ = -1;
    std::thread writer_;
};

// 3 MB of short lines with every kind of line end, so that lines and values straddle the window's edges.
std::string MixedContent()
{
    std::mt19937 random(11);
    const std::string alphabet = "ab,\r\n\r\n";
    std::string content(3 << 20, ' ');
    for (char& c : content) c = alphabet[random() % alphabet.size()];
    return content;
}

void ExpectSameLines(LineReader& file, const std::string& content, const std::string& path)
{
    LineReader memory(content);
    std::string line, held;
    while (memory.Next(held)) {
        ASSERT_TRUE(file.Next(line)) << path;
        ASSERT_EQ(line, held) << path;
        ASSERT_EQ(file.BreakBefore(), memory.BreakBefore()) << path;
    }
    EXPECT_FALSE(file.Next(line)) << path;
}

// Mixed widths from an odd offset: every value lies across four-byte bounds.
void ExpectSameValues(ByteReader& file, const std::string& content, const std::string& path)
{
    ByteReader memory(std::span(reinterpret_cast<const std::uint8_t*>(content.data()), content.size()));
    ASSERT_TRUE(file.skip(1) && memory.skip(1));
    for (std::size_t k = 0;; ++k) {
        std::uint32_t a = 0, b = 0;
        double x = 0, y = 0;
        const bool read = k % 3 ? file.u32(a) : file.f64(x);
        ASSERT_EQ(read, k % 3 ? memory.u32(b) : memory.f64(y)) << path << " " << k;
        if (!read) break;
        ASSERT_TRUE(a == b && std::memcmp(&x, &y, 8) == 0) << path << " " << k;
    }
    EXPECT_EQ(file.position(), memory.position()) << path;
}
}  // namespace

TEST(InputFile, AFileCutShortWhileItIsReadEndsTheReadingWithAFileError)
{
    TempDir dir;
    const std::string path = dir.Path("log.txt");
    for (const bool lines : {true, false}) {
        for (const std::uintmax_t left : {0u, 300000u}) {
            WriteText(path, MixedContent());
            try {
                if (lines) {
                    LineReader file = LineReader::FromFile(path);
                    std::string_view line;
                    file.Next(line);
                    std::filesystem::resize_file(path, left);
                    while (file.Next(line)) {}
                } else {
                    ByteReader file = ByteReader::FromFile(path);
                    std::uint8_t byte = 0;
                    file.u8(byte);
                    std::filesystem::resize_file(path, left);
                    while (file.u8(byte)) {}
                }
                ADD_FAILURE() << "read on after the cut to " << left;
            } catch (const FileError& error) {
                EXPECT_EQ(error.SystemMessage(), "The file was cut short while it was read") << lines;
                EXPECT_EQ(error.Path(), path);
            }
        }
    }
}

// The look at a signature comes first, as the format check makes it: a pipe
// then gives the reader what the look read, from its first byte on.
TEST(InputFile, AFileAndAPipeReadAsMemoryAcrossTheWindowsEdges)
{
    TempDir dir;
    const std::string content = MixedContent();
    WriteText(dir.Path("mixed.txt"), content);
    for (const bool lines : {true, false}) {
        const Pipe pipe(content);
        for (const std::string& path : {dir.Path("mixed.txt"), pipe.Path()}) {
            EXPECT_EQ(ReadFileRange(path, 0, 6), content.substr(0, 6));
            EXPECT_EQ(ReadFileRange(path, 131072, 4), content.substr(131072, 4));
            if (lines) {
                LineReader file = LineReader::FromFile(path);
                ExpectSameLines(file, content, path);
            } else {
                ByteReader file = ByteReader::FromFile(path);
                ExpectSameValues(file, content, path);
            }
        }
    }
}

TEST(InputFile, APipeIsReadOnceAndItsSizeIsKnownAtItsEnd)
{
    const Pipe shortPipe(std::string(100, 'x'));
    ByteReader small = ByteReader::FromFile(shortPipe.Path());
    EXPECT_EQ(small.remaining(), 100u);
    EXPECT_FALSE(small.skip(101));
    EXPECT_TRUE(small.skip(100) && small.at_end());

    const Pipe longPipe(std::string(3 << 20, 'y'));
    ByteReader file = ByteReader::FromFile(longPipe.Path());
    ASSERT_TRUE(file.skip(1000));
    EXPECT_TRUE(file.seek(10));  // still in the window
    ASSERT_TRUE(file.skip(2 << 20));
    try {
        file.seek(10);
        ADD_FAILURE() << "went back in a pipe";
    } catch (const FileError& error) {
        EXPECT_EQ(error.SystemMessage(), "A pipe is read only once: the reader went back to bytes it had passed");
    }
}

TEST(InputFile, WhatALookKeptOfAPipeGoesToItsReaderOrIsLetGo)
{
    const Pipe taken(std::string(100, 'x')), released(std::string(100, 'x'));
    EXPECT_EQ(InputFile::Peek(taken.Path(), 0, 4), "xxxx");
    EXPECT_EQ(ByteReader::FromFile(taken.Path()).remaining(), 100u);
    EXPECT_EQ(InputFile::Peek(released.Path(), 0, 4), "xxxx");
    InputFile::Release(released.Path());
    EXPECT_EQ(ByteReader::FromFile(released.Path()).remaining(), 0u);  // the look had read it all
}

namespace {
std::string SixteenBit(const std::string& text, bool littleEndian, bool mark)
{
    std::string bytes = mark ? (littleEndian ? "\xFF\xFE" : "\xFE\xFF") : "";
    for (const char c : text) bytes += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
    return bytes;
}
}  // namespace

// ASCII in 16-bit units, from a file or a pipe, in either byte order, with or
// without a mark: the same lines as the bytes, a window at a time; an
// over-long line gives its first part.
TEST(InputFile, SixteenBitTextReadsAsTheSameLinesAcrossTheWindowsEdges)
{
    TempDir dir;
    const std::string overlong(LineReader::kMaxLineLength + 5, 'x');
    const std::string contents[] = {MixedContent(), "a\r\n" + overlong + "\nb", "first\r\n\x1A" + std::string(99, 'z')};
    for (const std::string& content : contents)
        for (const bool littleEndian : {true, false})
            for (const bool mark : {true, false}) {
                const std::string bytes = SixteenBit(content, littleEndian, mark);
                WriteText(dir.Path("wide.txt"), bytes);
                const Pipe pipe(bytes);
                for (const std::string& path : {dir.Path("wide.txt"), pipe.Path()}) {
                    LineReader file = LineReader::FromFileOfAnyUnits(path);
                    EXPECT_EQ(file.Units(), littleEndian ? TextUnits::Utf16LittleEndian : TextUnits::Utf16BigEndian);
                    ExpectSameLines(file, content, path);
                    LineReader memory = LineReader::OfAnyUnits(bytes);
                    ExpectSameLines(memory, content, path);
                }
            }
    WriteText(dir.Path("narrow.txt"), "$GPRMC\r\n");
    EXPECT_EQ(LineReader::FromFileOfAnyUnits(dir.Path("narrow.txt")).Units(), TextUnits::Bytes);
}

TEST(InputFile, SixteenBitUnitsAreToldByTheirMarkOrTheirZeroBytes)
{
    const std::pair<TextUnits, std::vector<std::string_view>> rows[] = {
        {TextUnits::Utf16LittleEndian, {"\xFF\xFE", {"$\0G\0P\0R\0", 8}}},
        {TextUnits::Utf16BigEndian, {"\xFE\xFF$", {"\0$\0G", 4}}},
        {TextUnits::Bytes,  // one unit tells nothing
         {{"$\0", 2}, {"$\0G\0\xE9\0", 6}, {"\0\0\0$", 4}, "$GPRMC", "\xEF\xBB\xBF$GPRMC", ""}}};
    for (const auto& [units, starts] : rows)
        for (const std::string_view start : starts) EXPECT_EQ(UnitsOf(start).units, units) << start.size();
    // '$', a degree sign, U+4700, NUL, U+2424, U+0D0A, U+0100, U+FFFF, an odd byte.
    std::string little("$\0\xB0\0\0G\0\0$$\n\r\0\x01\xFF\xFF\x01", 17), big = little;
    for (std::size_t i = 0; i + 1 < big.size(); i += 2) std::swap(big[i], big[i + 1]);
    const std::string text = {'$', kNotAscii, kNotAscii, '\0', kNotAscii, kNotAscii, kNotAscii, kNotAscii, kNotAscii};
    EXPECT_EQ(TextOfUnits(little, TextUnits::Utf16LittleEndian), text);
    EXPECT_EQ(TextOfUnits(big, TextUnits::Utf16BigEndian), text);
}
