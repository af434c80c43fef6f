// SPDX-License-Identifier: GPL-3.0-or-later
// What an output has no place for of the inputs as a whole: one warning per
// kind of the file's own details, and the tracks a waypoint format leaves out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/left_out.h"

TEST(LeftOut, EachKindOfFileDetailIsOneWarningWhereTheOutputHoldsNone)
{
    Metadata m;
    m.name = "Trip";
    m.description = "Holiday";
    m.author.email = "me@example.org";
    m.copyrightYear = "2020";
    m.links = {{"http://a.example", "", ""}};
    m.keywords = "k";
    m.fileExtensions = "<x:y xmlns:x=\"urn:x\"/>";
    const std::vector<std::string> kinds = {"name", "description", "author", "copyright", "links", "keywords",
                                            "GPX extensions"};
    const struct {
        const char* kind;
        FileDetailsHeld held;
        std::size_t firstLost;  // of kinds
    } rows[] = {{"all", FileDetailsHeld::All, kinds.size()},
                {"all", FileDetailsHeld::NameAndDescription, 2},
                {"wp", FileDetailsHeld::None, 0}};
    for (const auto& row : rows) {
        const OutputFormatRow output{.position = 0, .texts = {"out", "Out", row.kind, "out", "Out", "*.out"},
                                     .writing = "", .file = nullptr, .write = nullptr, .extension = ".out",
                                     .fileDetails = row.held};
        Findings findings;
        TellFileDetailsLeftOut(m, output, findings);
        TellFileDetailsLeftOut(Metadata{}, output, findings);
        TellTracksLeftOut(3, output, findings);
        std::vector<Finding> expected;
        for (std::size_t k = row.firstLost; k < kinds.size(); ++k)
            expected.push_back({FindingKind::Reduced, "the file's " + kinds[k] + " dropped: a .out holds none", 1});
        if (std::string(row.kind) == "wp")
            expected.push_back({FindingKind::Reduced, "3 tracks of the input left out: a .out holds no tracks", 3});
        EXPECT_EQ(findings.All(), expected) << row.firstLost;
    }
}
