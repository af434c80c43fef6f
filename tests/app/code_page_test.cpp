// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <iconv.h>
#include <uchardet/uchardet.h>

#include "core/convert/catalogue.h"
#include "core/convert/convert.h"
#include "core/text/code_page.h"
#include "core/text/eight_bit_texts.h"
#include "core/text/text_encoding.h"
#include "formats/format_table.h"
#include "tests/support/byte_builder.h"
#include "tests/support/mapsource_files.h"
#include "tests/support/sample_files.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_files.h"

namespace {
// A text in a code page, by the C library's iconv: how the files' writers made them.
std::string InCodePage(const std::string& utf8, const char* codePage)
{
    const iconv_t cd = iconv_open(codePage, "UTF-8");
    std::string out(utf8.size() * 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* to = out.data();
    std::size_t left = utf8.size(), room = out.size();
    iconv(cd, &in, &left, &to, &room);
    iconv_close(cd);
    out.resize(out.size() - room);
    return out;
}

// Names of places as their users type them: 8 words of some 8 letters each.
struct Language {
    const char* codePage;
    std::vector<std::string> names;
};
const Language kLanguages[] = {
    {"CP1251",
     {"5 КАЛИНИНА", "Дом у реки", "Гора Эльбрус", "Озеро Байкал", "Красная площадь", "Мост через Неву",
      "Старая мельница", "Родник"}},
    {"KOI8-R",
     {"Дача", "Лесная поляна", "Стоянка у моста", "Школа номер три", "Речной вокзал", "Церковь", "Перевал Дятлова",
      "Заправка"}},
    {"CP1250",
     {"Příliš žluťoučký kůň", "Zámek Český Krumlov", "Kraków Główny", "Łódź Kaliska", "Nádraží Žižkov",
      "Hořejší rybník", "Świętokrzyskie góry", "Ústí nad Labem"}},
    {"CP1253",
     {"Ακρόπολη Αθηνών", "Θεσσαλονίκη", "Μετέωρα", "Λίμνη Πλαστήρα", "Φάρος του λιμανιού", "Ορειβατικό καταφύγιο",
      "Παλιά γέφυρα", "Πηγή νερού"}},
};

// One file of each 8-bit format of these names, as waypoints.
std::string Gdb(const std::vector<std::string>& names)
{
    ByteBuilder f = mapsource_files::GdbHeader(108);
    for (const std::string& name : names) mapsource_files::GdbWaypoint(f, {.name = name, .comment = name});
    return f.str();
}
std::string Mapsend(const std::vector<std::string>& names)
{
    ByteBuilder b = samples::MapsendHeader(1);
    b.i32(static_cast<std::int32_t>(names.size()));
    for (const std::string& name : names) {
        b.u8(static_cast<std::uint8_t>(name.size())).text(name).u8(0).u32(0).u8(3).u8(0).f64(120).f64(37.6).f64(55.75);
    }
    return b.str();
}
std::string Wrt(const std::vector<std::string>& names)
{
    ByteBuilder b = samples::EmptyWrtImage();
    for (std::size_t slot = 0; slot < names.size(); ++slot) {
        b.put<std::int16_t>(8 + 2 * slot, static_cast<std::int16_t>(slot));
        ByteBuilder r;
        const std::string& name = names[slot];
        r.fixed(name.substr(0, 8), 8, ' ')
            .fixed(name.substr(std::min<std::size_t>(8, name.size()), 12), 12, ' ')
            .i32(36000)
            .i32(-360000);
        r.u8(1).u8(3).u16(2004).u32(43200).u16(0).u8(1).u8(0);
        std::copy(r.bytes.begin(), r.bytes.end(), b.bytes.begin() + static_cast<std::ptrdiff_t>(1508 + 40 * slot));
    }
    return b.str();
}
std::string Wpt(const std::vector<std::string>& names)
{
    std::string s = "Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n";
    for (std::size_t i = 0; i < names.size(); ++i) s += std::to_string(i + 1) + "," + names[i] + ",52.1,4.3\r\n";
    return s;
}

struct EightBitFormat {
    Input input;
    std::string (*file)(const std::vector<std::string>& names);
    // The part of each name the format holds (a Holux name is 8 bytes, its note 12 more).
    std::size_t nameBytes;
};
const EightBitFormat kFormats[] = {
    {Input::MapsourceWaypoints, Gdb, 255},
    {Input::MapsendWaypoint, Mapsend, 255},
    {Input::HoluxWaypoint, Wrt, 8},
    {Input::KesWaypoint, Wpt, 255},
};

ReadResult Read(const EightBitFormat& format, const std::vector<std::string>& bytes, const std::string& choice)
{
    return ReadInput(TestCatalogue(), InputSource::Memory("file", format.file(bytes)), Position(format.input),
                     {.codePage = choice});
}

TEST(CodePage, EachReadsItsOwnBytesAndWritesThemBack)
{
    const struct {
        const char* name;
        std::string bytes, utf8;
    } rows[] = {
        {"cp1251", "\x35\x20\xCA\xC0\xCB\xC8\xCD\xC8\xCD\xC0", "5 КАЛИНИНА"},
        {"windows-1250", "\xA3\xF3\x64\x9F\x20\x4B\x61\x6C\x69\x73\x6B\x61", "Łódź Kaliska"},
        {"CP1253", "\xC1\xEA\xF1\xFC\xF0\xEF\xEB\xE7", "Ακρόπολη"},
        {"koi8-r", "\xE2\xC1\xCA\xCB\xC1\xCC", "Байкал"},
        {"cp1252", "Caf\xE9 \x80", "Café €"},
        {"utf-8", "Caf\xC3\xA9", "Café"},
    };
    for (const auto& row : rows) {
        const CodePage page = CodePage::Open(row.name);
        std::int64_t unheld = 0;
        EXPECT_EQ(page.Decode(row.bytes), row.utf8) << row.name;
        EXPECT_EQ(page.Encode(row.utf8, unheld), row.bytes) << row.name;
        EXPECT_EQ(unheld, 0) << row.name;
        // What a code page lacks, and a broken sequence, is one '?' each, counted.
        EXPECT_EQ(page.Encode("中\xFF", unheld), page.IsUtf8() ? "中?" : "??") << row.name;
        EXPECT_EQ(unheld, page.IsUtf8() ? 1 : 2) << row.name;
    }
    for (const char* unknown : {"no-such-page", "UTF-16", "EBCDIC-US", ""})
        EXPECT_THROW(CodePage::Open(unknown), UnknownCodePage) << unknown;
}

// A waypoint whose only text beyond ASCII is in its address is read again too.
TEST(CodePage, AnAddressAloneIsReadAgain)
{
    Document document;
    Point w;
    w.device.city = LegacyToUtf8("\xCA\xC0\xCB\xC8\xCD\xC8\xCD\xC0");  // as a reader takes the bytes
    document.waypoints.push_back(w);
    ReadEightBitTexts(document, "cp1251");
    EXPECT_EQ(document.waypoints.ToVector().at(0).device.city, "КАЛИНИНА");
}

// Every byte a single-byte code page defines comes back as itself.
TEST(CodePage, SingleBytePagesRoundTripEveryByte)
{
    std::string all;
    for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
    for (const char* name : {"cp1250", "cp1251", "cp1253", "koi8-r", "iso-8859-7", "cp866", "cp1252"}) {
        const CodePage page = CodePage::Open(name);
        std::int64_t unheld = 0;
        const std::string back = page.Encode(page.Decode(all), unheld);
        ASSERT_EQ(back.size(), all.size()) << name;
        for (std::size_t i = 0; i < all.size(); ++i)
            EXPECT_TRUE(back[i] == all[i] || back[i] == '?') << name << " byte " << i + 1;
        EXPECT_LE(unheld, 8) << name;  // only the few bytes the page leaves undefined above 0x9F
    }
}

// The guess over a file's texts names the code page they were written in,
// in each 8-bit format; texts too short to guess are read as Windows-1252.
TEST(CodePage, AutomaticReadsEachLanguageInEachFormat)
{
    for (const EightBitFormat& format : kFormats)
        for (const Language& language : kLanguages) {
            std::vector<std::string> bytes;
            for (const std::string& name : language.names) bytes.push_back(InCodePage(name, language.codePage));
            const ReadResult read = Read(format, bytes, "auto");
            const std::string label = std::string(language.codePage) + " in format " + PositionText(format.input);
            ASSERT_TRUE(read.texts.codePage) << label;
            EXPECT_TRUE(read.texts.codePage->guessed) << label;
            std::size_t i = 0;
            for (const Point& p : read.document.waypoints) {
                std::string held = bytes[i++].substr(0, format.nameBytes);
                held.erase(held.find_last_not_of(' ') + 1);
                EXPECT_EQ(InCodePage(p.name, language.codePage), held)
                    << label << " guessed " << read.texts.codePage->codePage.Name();
            }
            // The same names in UTF-8 are UTF-8 (whole: a fixed width may cut a character); one short name is no guess.
            if (format.nameBytes > 8) {
                EXPECT_TRUE(Read(format, language.names, "auto").texts.codePage->codePage.IsUtf8()) << label;
            }
            const ReadResult shortText = Read(format, {bytes[0].substr(0, 8)}, "auto");
            EXPECT_FALSE(shortText.texts.codePage->guessed) << label;
            EXPECT_EQ(shortText.document.waypoints.ToVector().at(0).name, LegacyToUtf8(bytes[0].substr(0, 8)));
            // Chosen, the code page holds even for one short name.
            const ReadResult chosen = Read(format, {bytes[0].substr(0, 8)}, language.codePage);
            EXPECT_EQ(InCodePage(chosen.document.waypoints.ToVector().at(0).name, language.codePage),
                      bytes[0].substr(0, 8));
        }
}

// What the detector itself names for texts joined as the readers join them.
std::string DetectorGuess(const std::string& texts)
{
    const uchardet_t detector = uchardet_new();
    uchardet_handle_data(detector, texts.data(), texts.size());
    uchardet_data_end(detector);
    std::string name = uchardet_get_charset(detector);
    uchardet_delete(detector);
    return name;
}

// Czech names, and Czech and Polish ones together (a trip along the
// border), that the detector takes for ISO-8859-2 come from Windows machines,
// which write Windows-1250: read as ISO-8859-2, Ž, Š, ť, ś and ź would be
// control characters and ą an š. Every letter is read right.
TEST(CodePage, AnIsoLatin2GuessIsReadAsWindows1250)
{
    const std::vector<std::string> languages[] = {
        {"Český ráj", "Kost", "Žďárec", "Ťapkova chata", "Králický Sněžník", "Lázně Bělohrad", "Šťáhlavy",
         "Příliš žluťoučký kůň"},
        {"Čáslav", "Žďárské vrchy", "Řevnice", "Příliš žluťoučký kůň", "Świnoujście", "Łódź Kaliska", "Šiklův mlýn",
         "Jeseník", "Źdźary", "Ťapkova chata", "Kraków Główny", "Zażółć gęślą jaźń"},
    };
    for (const std::vector<std::string>& names : languages) {
        std::vector<std::string> bytes;
        std::string texts;
        for (const std::string& name : names) texts += bytes.emplace_back(InCodePage(name, "CP1250")) + '\n';
        ASSERT_EQ(DetectorGuess(texts), "ISO-8859-2") << names[0];
        const ReadResult read = Read(kFormats[3], bytes, "auto");
        ASSERT_TRUE(read.texts.codePage) << names[0];
        EXPECT_EQ(read.texts.codePage->codePage.Name(), "windows-1250");
        std::vector<std::string> got;
        for (const Point& p : read.document.waypoints) got.push_back(p.name);
        EXPECT_EQ(got, names);
    }
}

// A Cyrillic .gdb gives a Cyrillic .wpt (the code page read is the one
// written; the native name of a MapSource waypoint is of ASCII letters, its
// comment the description), GPX its UTF-8; Windows-1252 writes '?' and counts them.
TEST(CodePage, ConversionsWriteTheCodePageRead)
{
    TempDir dir;
    std::vector<std::string> bytes;
    for (const std::string& name : kLanguages[0].names) bytes.push_back(InCodePage(name, "CP1251"));
    const std::string gdb = dir.Path("in.gdb");
    WriteText(gdb, Gdb(bytes));
    const CommandResult wpt = RunConvert({gdb, "-O", dir.Path("out.wpt"), "--report", dir.Path("r.json")});
    ASSERT_EQ(wpt.exitCode, 0) << wpt.err;
    const std::string written = ReadText(dir.Path("out.wpt"));
    for (const std::string& name : bytes) EXPECT_NE(written.find("," + name + ","), std::string::npos) << name;
    EXPECT_NE(ReadText(dir.Path("r.json")).find("\"repairs\": [\"code page windows-1251 (guessed)\"]"),
              std::string::npos);
    EXPECT_NE(wpt.err.find("repairs: code page windows-1251 (guessed)"), std::string::npos) << wpt.err;

    ASSERT_EQ(RunConvert({gdb, "-O", dir.Path("out.gpx")}).exitCode, 0);
    EXPECT_NE(ReadText(dir.Path("out.gpx")).find("<name>5 КАЛИНИНА</name>"), std::string::npos);

    const CommandResult latin =
        RunConvert({gdb, "--charset", "cp1251", "-O", dir.Path("latin.wrt"), "-o", "holux-wrt"});
    ASSERT_EQ(latin.exitCode, 0) << latin.err;
    EXPECT_NE(ReadText(dir.Path("latin.wrt")).find(bytes[0]), std::string::npos);
    const CommandResult strict =
        RunConvert({dir.Path("out.gpx"), "--strict", "--charset", "cp1252", "-O", dir.Path("q.wpt")});
    EXPECT_NE(strict.exitCode, 0);
    EXPECT_NE(strict.err.find("characters of texts that cp1252 cannot hold written as '?'"), std::string::npos)
        << strict.err;
    EXPECT_NE(ReadText(dir.Path("q.wpt")).find("5 ????????"), std::string::npos);

    const CommandResult unknown = RunConvert({gdb, "--charset", "martian", "-O", dir.Path("x.wpt")});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("'iconv -l' lists the names known"), std::string::npos) << unknown.err;
    const CommandResult info = RunConvert({"--info", gdb});
    EXPECT_NE(info.out.find("code page: windows-1251 (guessed)"), std::string::npos) << info.out;
}
}  // namespace
