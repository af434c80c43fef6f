// SPDX-License-Identifier: GPL-3.0-or-later
// Packed inputs: gzip files and zip archives (and .kmz) read as what they hold.
#include <gtest/gtest.h>

#include "core/convert/catalogue.h"
#include "core/convert/format_lookup.h"
#include "core/io/file_io.h"
#include "core/io/input_source.h"
#include "core/io/unpacked_input.h"
#include "formats/format_table.h"
#include "plan/conversion_plan.h"
#include "tests/support/packed_files.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_files.h"

namespace {
// Every line of the input, or the message it ends with.
std::string ReadAll(const std::string& path)
{
    try {
        LineReader lines = InputSource::File(path).ReadLines();
        std::string all, line;
        while (lines.Next(line)) all += line + "\n";
        return all;
    } catch (const FileError& error) {
        return std::string("error: ") + error.SystemMessage();
    }
}

const std::string kLog = ReadText(FixturePath("nmea/receiver.log"));
}  // namespace

// A gzip file is read as what it holds, whatever its name, and its format
// is told from those bytes; its extension is that of its name without .gz.
TEST(UnpackedInput, GzipIsReadAsItsContent)
{
    TempDir dir;
    WriteText(dir.Path("log.gz"), Gzip(kLog));
    WriteText(dir.Path("plain.log"), kLog);
    EXPECT_EQ(ReadAll(dir.Path("log.gz")), ReadAll(dir.Path("plain.log")));
    EXPECT_EQ(GuessFormat(TestCatalogue().Inputs(), dir.Path("log.gz"), {}, true).candidates,
              (std::vector<int>{Position(Input::Nmea), Position(Input::NmeaWaypoints)}));
    // Several members one after the other are one content.
    WriteText(dir.Path("two.gz"), Gzip("first\n") + Gzip("second\n"));
    EXPECT_EQ(ReadAll(dir.Path("two.gz")), "first\nsecond\n");
    // A real one.
    EXPECT_EQ(ReadAll(FixturePath("compressed/waypoints.nmea.gz")).substr(0, 40),
              "$GPWPL,3558.322,N,08708.082,W,GCEBB*1D\n$");
    EXPECT_EQ(NameWithoutPacking("a/tomtom.OV2.GZ"), "a/tomtom.OV2");
}

// Each damaged or hostile input ends its reading with a message; none is
// read as anything else.
TEST(UnpackedInput, BadPackedInputsAreRefusedWithAMessage)
{
    TempDir dir;
    const std::string packed = Gzip(kLog);
    std::string badCrc = packed;
    badCrc[badCrc.size() - 6] ^= 0x55;
    std::string storedZip;
    {
        WriteZip(dir.Path("stored.zip"), {{"log.txt", kLog}}, true);
        storedZip = ReadText(dir.Path("stored.zip"));
        storedZip[storedZip.find("$GP") + 10] ^= 0x01;
    }
    WriteZip(dir.Path("inner.zip"), {{"log.txt", kLog}});
    // 40 MB of zeros in members of 1 MB, one after the other.
    std::string bomb;
    const std::string megabyte = Gzip(std::string(1u << 20, '\0'));
    for (int i = 0; i < 40; ++i) bomb += megabyte;
    const struct {
        const char* name;
        std::string bytes;  // empty: the test made the file
        const char* says;
    } cases[] = {
        {"cut.gz", packed.substr(0, packed.size() / 2), "cut short"},
        {"crc.gz", badCrc, "incorrect data check"},
        {"bomb.gz", bomb, "decompression bomb"},
        {"nested.gz", Gzip(ReadText(dir.Path("inner.zip"))), "archive inside an archive"},
        {"crc.zip", storedZip, "CRC"},
        {"cut.zip", ReadText(dir.Path("inner.zip")).substr(0, 100), "damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(dir.Path(c.name), c.bytes);
        const std::string read = ReadAll(dir.Path(c.name));
        EXPECT_TRUE(read.starts_with("error: ")) << read.substr(0, 200);
        EXPECT_NE(read.find(c.says), std::string::npos) << read;
    }
}

// An archive stands for its members: named ARCHIVE/MEMBER, each read as its
// content says, bounded in what each expands to.
TEST(UnpackedInput, ZipMembersAreInputsOfTheirOwn)
{
    TempDir dir;
    const std::string zip = dir.Path("logs.zip");
    WriteZip(zip, {{"day/one.log", kLog}, {"two.log", kLog}});
    EXPECT_EQ(ArchiveMembers(zip), (std::vector<std::string>{"day/one.log", "two.log"}));
    EXPECT_EQ(ReadAll(zip + "/day/one.log"), ReadAll(FixturePath("nmea/receiver.log")));
    EXPECT_EQ(ReadAll(zip + "/none.log"), "error: The archive holds no file named none.log");
    // Named alone, an archive of several files says how to name one.
    EXPECT_NE(ReadAll(zip).find("holds 2 files"), std::string::npos);

    WriteZip(dir.Path("nested.zip"), {{"inner.zip", ReadText(zip)}});
    EXPECT_EQ(ReadAll(dir.Path("nested.zip")), "error: An archive inside an archive is not read");
    WriteZip(dir.Path("empty.zip"), {});
    EXPECT_TRUE(ReadAll(dir.Path("empty.zip")).starts_with("error: The archive"));
    // A bomb's declared size is refused before a byte is expanded.
    WriteZip(dir.Path("bomb.zip"), {{"zeros.log", std::string(40u << 20, '\0')}});
    EXPECT_NE(ReadAll(dir.Path("bomb.zip")).find("decompression bomb"), std::string::npos);
}

// A .kmz is read as its KML document, whichever reader its content names.
TEST(UnpackedInput, KmzHandsItsDocumentToTheReaderItsContentNames)
{
    TempDir dir;
    const std::string gpx = ReadText(FixturePath("gpx/basecamp.gpx"));
    WriteZip(dir.Path("map.kmz"), {{"files/a.kml", "<kml/>"}, {"doc.kml", gpx}, {"files/icon.png", "PNG"}});
    EXPECT_EQ(ArchiveMembers(dir.Path("map.kmz")), std::vector<std::string>{"doc.kml"});
    EXPECT_EQ(ReadAll(dir.Path("map.kmz")), ReadAll(FixturePath("gpx/basecamp.gpx")));
    EXPECT_EQ(FormatsWithSignature(TestCatalogue().Inputs(), dir.Path("map.kmz")),
              (std::vector<int>{Position(Input::GpxWaypoints), Position(Input::GpxTracks)}));
    WriteZip(dir.Path("bare.kmz"), {{"files/icon.png", "PNG"}});
    EXPECT_EQ(ReadAll(dir.Path("bare.kmz")), "error: The KMZ file holds no KML document");
}

// With --each a member's output is named after the member, beside the
// archive or in the folder given; a .gz's after its name without .gz.
TEST(UnpackedInput, EachNamesOutputsAfterMembers)
{
    TempDir dir;
    WriteZip(dir.Path("logs.zip"), {{"2020/one.log", kLog}, {"__MACOSX/2020/._one.log", "junk"}, {"two.log", kLog}});
    WriteText(dir.Path("three.log.gz"), Gzip(kLog));
    const ConversionPlan plan =
        PlanConversions(TestCatalogue(), {.inputs = {dir.Path("logs.zip"), dir.Path("three.log.gz")},
                                          .outputPosition = Position(Output::Gpx),
                                          .output = dir.Path("out"),
                                          .each = true});
    std::vector<std::string> outputs;
    for (const ConversionJob& job : plan.jobs) {
        EXPECT_FALSE(job.refusal.Refused()) << job.refusal.text;
        outputs.push_back(job.output);
    }
    EXPECT_EQ(outputs,
              (std::vector<std::string>{dir.Path("out/one.gpx"), dir.Path("out/two.gpx"), dir.Path("out/three.gpx")}));
    EXPECT_EQ(OutputNameFor(TestCatalogue(), dir.Path("logs.zip/2020/one.log"), "", Position(Output::Gpx), ""),
              dir.Path("one.gpx"));
}

namespace {
// What an unpacker of bytes as a pipe gives them, whole, or the message it ends with.
std::string Unpacked(const std::string& bytes)
{
    try {
        const std::unique_ptr<Unpacker> unpacker = Unpacker::OfStream("pipe", -1, bytes);
        if (!unpacker) return "not packed";
        std::string all;
        std::uint8_t chunk[1000];
        while (const std::size_t got = unpacker->Read(chunk, sizeof chunk)) all.append(chunk, chunk + got);
        return all;
    } catch (const FileError& error) {
        return std::string("error: ") + error.SystemMessage();
    }
}
}  // namespace

// Packed bytes that come as a pipe's are unpacked by their first bytes alone,
// bounded by the packed bytes read so far; a zip archive gives its one file
// (or a KMZ its document, which comes first) as it comes.
TEST(UnpackedInput, PackedBytesOfAPipeAreUnpackedAsTheyCome)
{
    TempDir dir;
    const auto zip = [&](const Members& members, bool stored = false) {
        WriteZip(dir.Path("z"), members, stored);
        return ReadText(dir.Path("z"));
    };
    std::string bomb;
    const std::string megabyte = Gzip(std::string(1u << 20, '\0'));
    for (int i = 0; i < 40; ++i) bomb += megabyte;
    const struct {
        const char* what;
        std::string bytes;
        std::string read;  // whole, or the start of its message
    } rows[] = {
        {"gzip", Gzip(kLog) + Gzip("more\n"), kLog + "more\n"},
        {"a zip of one file", zip({{"log.txt", kLog}}), kLog},
        {"stored", zip({{"log.txt", kLog}}, true), kLog},
        {"a KMZ", zip({{"doc.kml", "<kml/>"}, {"files/icon.png", "PNG"}}), "<kml/>"},
        {"two files", zip({{"a.log", kLog}, {"b.log", kLog}}), "error: The archive holds several files"},
        {"no file", zip({}), "error: The archive"},
        {"a bomb", bomb, "error: The packed data expands to over 24 MB"},
        {"packed twice", Gzip(Gzip(kLog)), "error: An archive inside an archive is not read"},
        {"cut short", Gzip(kLog).substr(0, 500), "error: The compressed file was cut short"},
        {"plain", kLog, "not packed"},
        {"a gzip mark alone", "\x1F", "not packed"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string read = Unpacked(row.bytes);
        EXPECT_EQ(read.substr(0, row.read.size()), row.read);
        if (!row.read.starts_with("error")) {
            EXPECT_EQ(read, row.read);
        }
    }
}
