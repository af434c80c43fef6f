// SPDX-License-Identifier: GPL-3.0-or-later
// One warning per kind of the file's details an output holds none of, and for the tracks a waypoint format leaves out.
#include <gtest/gtest.h>

#include "core/left_out.h"

TEST(LeftOut, EachKindOfFileDetailIsOneWarningWhereTheOutputHoldsNone)
{
    const Metadata m{.name = "Trip",
                     .description = "Holiday",
                     .keywords = "k",
                     .author = {.email = "a@b.c"},
                     .copyrightYear = "2020",
                     .links = {{"http://a.example"}},
                     .fileExtensions = "<x/>"};
    const std::string kinds[] = {"name", "description", "author", "copyright", "links", "keywords", "GPX extensions"};
    const std::pair<FileDetailsHeld, std::size_t> rows[] = {
        {FileDetailsHeld::All, std::size(kinds)}, {FileDetailsHeld::NameAndDescription, 2}, {FileDetailsHeld::None, 0}};
    for (const auto& [held, firstLost] : rows) {
        const char* kind = held == FileDetailsHeld::None ? "wp" : "all";
        const OutputFormatRow output{0, {"o", "O", kind, "o", "O", "*.o"}, "", nullptr, nullptr, ".o"};
        OutputFormatRow row = output;
        row.fileDetails = held;
        Findings findings;
        TellFileDetailsLeftOut(m, row, findings);
        TellFileDetailsLeftOut(Metadata{}, row, findings);
        TellTracksLeftOut(3, row, findings);
        std::vector<Finding> expected;
        for (std::size_t k = firstLost; k < std::size(kinds); ++k)
            expected.push_back({FindingKind::Reduced, "the file's " + kinds[k] + " dropped: a .o holds none", 1});
        if (held == FileDetailsHeld::None)
            expected.push_back({FindingKind::Reduced, "3 tracks of the input left out: a .o holds no tracks", 3});
        EXPECT_EQ(findings.All(), expected) << firstLost;
    }
}
