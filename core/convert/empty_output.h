// SPDX-License-Identifier: GPL-3.0-or-later
// Why an output holds nothing of what its format takes: the inputs held none
// of it, a step left none, or all they held is of a part the format holds
// none of (routes, for a .wrt). Said on the count line and, where a front end
// writes no such output, as the reason its conversion gives.
#pragma once

#include <cstdint>
#include <string>

#include "core/convert/format_rows.h"
#include "core/convert/output_holds.h"
#include "core/document/document.h"
#include "core/document/findings.h"

struct EmptyCause {
    std::string step;    // the step that left no point ("crop to 0,0,1,1"); empty: none did
    std::string unheld;  // all the document held, of parts the output holds none of ("1 route")
    std::string rule;    // why those are not written ("a .wrt holds no routes")
};

// Waypoints, route points and track points.
std::int64_t PointCount(const Document& document);

// Notes the parts of the document when each one that holds anything is one
// the output holds none of.
void NoteUnheldParts(const Document& document, const OutputHolds& holds, EmptyCause& cause);

// True when the counts hold nothing of what a format of `kind` takes.
bool WroteNothing(FormatKind kind, const WrittenCounts& written);

// What the count line says after "Written: no track points": " - none were
// found in the input", " - crop to 0,0,1,1 left none"...
std::string NothingRemark(const EmptyCause& cause, const Findings& findings);

// The same in a sentence: "no track points were found in the input", "crop
// to 0,0,1,1 left no track points", "the input holds only 1 route, and a
// .wrt holds no routes".
std::string NothingReason(FormatKind kind, const EmptyCause& cause, const Findings& findings);
