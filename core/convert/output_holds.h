// SPDX-License-Identifier: GPL-3.0-or-later
// What an output holds of each kind of data a document carries, as its
// format's row declares it. One survey (core/convert/loss_survey.h) compares a
// document with the declaration and names every kind of loss, the same way
// for every output: writers write, they do not decide what to confess.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/document/point_values.h"

template <typename Kind>
class KindSet {
public:
    constexpr KindSet() = default;
    constexpr KindSet(std::initializer_list<Kind> kinds)
    {
        for (const Kind kind : kinds) bits_ |= Bit(kind);
    }
    constexpr bool Has(Kind kind) const { return (bits_ & Bit(kind)) != 0; }
    // Every kind there is.
    static constexpr KindSet All()
    {
        KindSet set;
        set.bits_ = ~std::uint32_t{0};
        return set;
    }
    constexpr KindSet Without(std::initializer_list<Kind> kinds) const
    {
        KindSet set = *this;
        for (const Kind kind : kinds) set.bits_ &= ~Bit(kind);
        return set;
    }

private:
    static constexpr std::uint32_t Bit(Kind kind) { return std::uint32_t{1} << static_cast<unsigned>(kind); }
    std::uint32_t bits_ = 0;
};
using PointValues = KindSet<PointValue>;

// A value some formats hold for a line only where each of its points has one.
enum class HeldWhere : std::uint8_t {
    Always,
    EveryPointOfSection,  // a section where some point lacks it is written without it
    EveryPointOfList,     // a route or track where some point lacks it is written without it
};

// What one kind of point is written with: waypoints, route points or track points.
struct PointHolds {
    // "waypoint", "route point", "track point"; nullptr: the format holds
    // none of them (the tracks of a waypoint file).
    const char* noun = nullptr;
    const char* file = nullptr;  // the file they go into: ".wpt", ".rte"
    PointValues values{};
    std::size_t nameLength = 0;  // the most characters of a name; 0 any
    // The description, else the comment, in one column; the other is lost.
    bool oneText = false;
    std::size_t textLength = 0;  // the most characters of that text; 0 any
    HeldWhere times = HeldWhere::Always;
    HeldWhere elevations = HeldWhere::Always;
    // Symbols go by numbers of a table: a name the table lacks is written as
    // its default symbol, and a point without one as number 0.
    bool symbolNumbers = false;
    // A point without a symbol is written with number 0, a symbol of its own ("Airport").
    bool symbolZeroTold = false;
};

// What a route or a track as a whole holds.
enum class GroupValue : std::uint8_t { Name, Comment, Description, LinksSourceAndType, Number, Colour, Extensions };
using GroupValues = KindSet<GroupValue>;

struct GroupHolds {
    const char* noun = nullptr;  // "route", "track"; nullptr: none are held
    const char* file = nullptr;
    GroupValues values{};
    std::size_t nameLength = 0;
    bool oneText = false;
    std::size_t textLength = 0;
    // A name the name column cuts is held whole as the text, where the group has none.
    bool nameWholeAsText = false;
};

// What a file says of itself.
enum class FileDetail : std::uint8_t { Name, Description, Author, Copyright, Links, Keywords, Time, Extensions };
using FileDetails = KindSet<FileDetail>;

struct OutputHolds {
    const char* file = nullptr;  // ".kml": the file the messages name
    FileDetails fileDetails{};
    PointHolds waypoints{}, routePoints{}, trackPoints{};
    GroupHolds routes{}, tracks{};
    bool sections = true;  // a track's sections stay apart
    // The road a route follows between its points (its link points), and their elevations.
    bool road = false;
    bool roadElevations = false;
    // A text as the format writes it (its separators and line breaks made
    // blanks, in 8 bits), where its length is measured; nullptr: as it is.
    std::string (*writtenText)(std::string_view utf8) = nullptr;
    // The symbol names the format's table has a number for (symbolNumbers).
    bool (*symbolNamed)(std::string_view name) = nullptr;
    const char* defaultSymbol = "";  // the name of the number a name the table lacks is written as
};
