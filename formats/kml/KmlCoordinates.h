// SPDX-License-Identifier: GPL-3.0-or-later
// The "lon,lat[,alt]" tuples of a KML coordinates list, separated by any
// whitespace, read as the text comes in pieces, so that a line of millions
// of points is never held whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/document/point.h"
#include "core/text/read_number.h"

namespace kml {

// The position of one tuple; a tuple that is no two or three numbers, or
// whose latitude or longitude is out of range, gives a point without a
// usable position. An altitude that is no number is none, and counted.
Point PositionOf(std::string_view tuple, char separator, UnreadableValues& elevations);

class CoordinateTuples {
public:
    // Calls `take(point)` for each tuple complete in the piece.
    template <typename Take>
    void Feed(std::string_view piece, UnreadableValues& elevations, Take take)
    {
        // A run of characters at a time: a line's text is millions of them.
        while (!piece.empty()) {
            const std::size_t blank = piece.find_first_of(" \n\t\r");
            const std::string_view run = piece.substr(0, blank);
            if (tuple_.empty() && blank != std::string_view::npos && !tooLong_) {
                if (!run.empty()) take(PositionOf(run.size() <= kLongestTuple ? run : "?", ',', elevations));
            } else {
                if (tuple_.size() + run.size() <= kLongestTuple) tuple_ += run;
                else tooLong_ = true;
                if (blank != std::string_view::npos && (!tuple_.empty() || tooLong_))
                    take(PositionOf(Tuple(), ',', elevations));
            }
            if (blank == std::string_view::npos) return;
            piece.remove_prefix(blank + 1);
        }
    }
    // The last tuple, when the text does not end in whitespace.
    template <typename Take>
    void Finish(UnreadableValues& elevations, Take take)
    {
        if (!tuple_.empty() || tooLong_) take(PositionOf(Tuple(), ',', elevations));
    }

private:
    // No real tuple is longer; a longer one is unreadable.
    static constexpr std::size_t kLongestTuple = 200;
    std::string_view Tuple()
    {
        held_.swap(tuple_);
        tuple_.clear();
        if (tooLong_) held_.clear();
        tooLong_ = false;
        return held_.empty() ? std::string_view("?") : std::string_view(held_);
    }
    std::string tuple_, held_;
    bool tooLong_ = false;
};

}  // namespace kml
