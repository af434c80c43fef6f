// SPDX-License-Identifier: GPL-3.0-or-later
// What a native file cannot hold of the points and groups written to it,
// told as one finding per kind of loss ("names of 14 waypoints cut to 8
// characters"), so that a native write never drops data without a word.
#pragma once

#include <cstdint>
#include <vector>

#include "core/document.h"
#include "core/findings.h"

namespace kes {

// What one kind of record of a native file holds. A length is the most
// characters kept (0 all, -1 none).
struct NativeHolds {
    const char* file;  // ".wpt"
    const char* noun;  // one of the points: "waypoint", "route point", "point"
    int nameLength = 0;
    int textLength = 0;  // the one text: the description, else the comment
    bool times = true;
    bool elevations = true;
    bool symbols = true;
    bool display = false;  // a device's display mode and proximity
    // A point without a symbol is written with symbol 0, which reads back as
    // "Airport": told where the file is the waypoints' own.
    bool tellsSymbolZero = false;
};

class LossSurvey {
public:
    // Takes the losses of one point written as `holds` says.
    void TakePoint(const Point& p, const NativeHolds& holds);
    // Of a route or a track written with a name and a text of these lengths.
    void TakeGroup(const GroupInfo& g, const char* noun, const char* file, int nameLength, int textLength);
    // Whole parts of the document the file holds none of ("route", ".wrt").
    void Dropped(std::int64_t count, const char* what, const char* file);
    // Adds one Reduced finding per kind of loss (Cut for parts dropped).
    void AddTo(Findings& findings) const;

private:
    enum class How : std::uint8_t { CutTo, HoldsNone, HoldsOneText, SymbolZero, PartDropped };
    struct Loss {
        FindingKind kind;
        How how;
        const char *what, *noun, *file;
        int length;  // of CutTo
        std::int64_t count;
    };
    void Count(How how, const char* what, const char* noun, const char* file, int length = 0, std::int64_t count = 1);
    // A text of `length` characters where `most` are held (0 all, -1 none).
    void Text(const char* what, std::size_t length, int most, const NativeHolds& h);
    std::vector<Loss> losses_;
};

}  // namespace kes
