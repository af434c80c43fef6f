// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/convert/catalogue.h"
#include "core/convert/format_lookup.h"
#include "core/io/file_io.h"
#include "core/text/text_fields.h"
#include "formats/format_table.h"
#include "tests/support/byte_builder.h"
#include "tests/support/test_catalogue.h"
#include "tests/support/test_files.h"

namespace {
// A table of its own, so that the rules are seen apart from the real rows:
// two formats share a signature but not an extension, two share an
// extension, one is marked far beyond the head.
std::vector<FileType_Record> Table()
{
    const auto sig = [](const FileLook& f) { return f.StartsWith("SIG"); };
    std::vector<FileType_Record> rows = {
        {"A", "aa;shared", "", FormatKind::Waypoints, 0, "fmt-a", sig},
        {"B", "bb", "", FormatKind::Tracks, 1, "fmt-b", sig},
        {"C", "shared", "", FormatKind::Tracks, 2, "fmt-c", nullptr},
        {"D", "", "", FormatKind::Waypoints, 3, "fmt-d",
         [](const FileLook& f) { return f.HeadHolds("$MARK,") && f.HoldsAt(2, "x"); }},
        {"E", "ee", "", FormatKind::Tracks, 4, "fmt-e",
         [](const FileLook& f) { return f.HoldsAt(100000, std::string_view("\0\x7F", 2)); }},
    };
    return rows;
}

struct GuessCase {
    const char* file;
    std::string content;
    std::vector<FormatKind> kinds;
    std::vector<int> candidates;
    FormatEvidence evidence;
};
}  // namespace

TEST(FormatLookup, ExtensionsAreTheLastDotOfTheNameInAnyCase)
{
    const std::vector<FileType_Record> table = Table();
    EXPECT_EQ(FormatsWithExtension(table, "x.SHARED"), (std::vector<int>{0, 2}));
    EXPECT_EQ(FormatsWithExtension(table, "dir.aa/x.bb"), (std::vector<int>{1}));
    for (const char* none : {"dir.aa/x", "x.", "x.a", "aa", ""}) EXPECT_TRUE(FormatsWithExtension(table, none).empty());
}

TEST(FormatLookup, GuessesBySignatureThenExtensionKeptToTheKinds)
{
    const std::vector<FileType_Record> table = Table();
    std::string farMark = std::string(100000, 'x') + std::string("\0\x7F", 2);
    std::string marksTooLate = std::string(FileLook::kHeadSize, ' ') + "$MARK,";
    const GuessCase cases[] = {
        {"x.bin", "SIG and more", {}, {0, 1}, FormatEvidence::Signature},
        {"x.bin", "SIG and more", {FormatKind::Tracks}, {1}, FormatEvidence::Signature},
        {"x.aa", "SIG", {}, {0}, FormatEvidence::SignatureAndExtension},
        // The other side's kind settles nothing here, so both stay.
        {"x.bin", "SIG", {FormatKind::Everything}, {0, 1}, FormatEvidence::Signature},
        // The signature outweighs the extension.
        {"x.bb", "xxx$MARK,", {}, {3}, FormatEvidence::Signature},
        // One mark of two holds; B has a signature, not there: its extension alone does not make it B.
        {"x.bb", "xx $MARK,", {}, {}, FormatEvidence::None},
        // By extension only the format without a signature.
        {"x.shared", "nothing", {}, {2}, FormatEvidence::Extension},
        {"x.shared", "nothing", {FormatKind::Waypoints}, {2}, FormatEvidence::Extension},
        {"x.bin", "nothing", {}, {}, FormatEvidence::None},
        {"x.bin", "", {}, {}, FormatEvidence::None},
        {"x.bin", marksTooLate, {}, {}, FormatEvidence::None},
        {"x.bin", farMark, {}, {4}, FormatEvidence::Signature},
        {"x.bin", farMark.substr(0, 100001), {}, {}, FormatEvidence::None},
        {"x.bin", "SI", {}, {}, FormatEvidence::None},
    };
    for (const GuessCase& c : cases) {
        TempDir dir;
        WriteText(dir.Path(c.file), c.content);
        const FormatGuess guess = GuessFormat(table, dir.Path(c.file), c.kinds, true);
        EXPECT_EQ(guess.candidates, c.candidates) << c.file << " " << c.content.substr(0, 20);
        EXPECT_EQ(guess.evidence, c.evidence) << c.file << " " << c.content.substr(0, 20);
    }
}

TEST(FormatLookup, AFileThatCannotBeReadIsAFileErrorUnlessOnlyItsNameCounts)
{
    const std::vector<FileType_Record> table = Table();
    TempDir dir;
    EXPECT_THROW(GuessFormat(table, dir.Path("missing.aa"), {}, true), FileError);
    EXPECT_THROW(GuessFormat(table, dir.Root().string(), {}, true), FileError);
    EXPECT_EQ(GuessFormat(table, dir.Path("missing.aa"), {}, false).candidates, std::vector<int>{0});
}

TEST(FormatLookup, EveryRealRowHasAUniqueNameInAnyCase)
{
    for (const FormatTable table : {FormatTable(TestCatalogue().Inputs()), FormatTable(TestCatalogue().Outputs())})
        for (const FileType_Record& row : table) {
            EXPECT_FALSE(row.Name.empty()) << row.DisplayName;
            EXPECT_EQ(FormatNamed(table, UpperText(row.Name)), row.Position) << row.Name;
        }
}
