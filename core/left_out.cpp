// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/left_out.h"

#include <string>
#include <string_view>

void TellTracksLeftOut(std::int64_t tracks, const OutputFormatRow& output, Findings& findings)
{
    if (tracks <= 0 || std::string_view(output.texts.kind) != "wp") return;
    findings.Add(FindingKind::Reduced,
                 std::to_string(tracks) + (tracks == 1 ? " track" : " tracks") + " of the input left out: a " +
                     output.extension + " holds no tracks",
                 tracks);
}

void TellFileDetailsLeftOut(const Metadata& m, const OutputFormatRow& output, Findings& findings)
{
    if (output.fileDetails == FileDetailsHeld::All) return;
    const bool nameHeld = output.fileDetails == FileDetailsHeld::NameAndDescription;
    const Person& a = m.author;
    const struct {
        bool lost;
        const char* what;
    } kinds[] = {
        {!nameHeld && !m.name.empty(), "name"},
        {!nameHeld && !m.description.empty(), "description"},
        {!a.name.empty() || !a.email.empty() || !a.links.empty(), "author"},
        {!m.copyrightAuthor.empty() || !m.copyrightYear.empty() || !m.copyrightLicense.empty(), "copyright"},
        {!m.links.empty(), "links"},
        {!m.keywords.empty(), "keywords"},
        {!m.extensions.empty() || !m.fileExtensions.empty(), "GPX extensions"},
    };
    for (const auto& kind : kinds)
        if (kind.lost)
            findings.Add(FindingKind::Reduced,
                         std::string("the file's ") + kind.what + " dropped: a " + output.extension + " holds none", 1);
}
