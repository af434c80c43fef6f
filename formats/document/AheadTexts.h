// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of a long track's points, made on a second thread while the
// writer's own thread writes: the two take blocks of points in turn, so that
// each makes about half of the texts, and memory holds a few blocks however
// long the track is.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/point_list.h"

class AheadTexts {
public:
    using MakeText = std::function<void(std::string& out, const Point& point)>;
    static constexpr std::size_t kBlock = 1024;  // points
    // A track this long is worth a thread.
    static constexpr std::size_t kFrom = 4 * kBlock;

    // `make` is called on the second thread with each point kept as the
    // outputs write it (PreparedForWriting); the list must not change.
    AheadTexts(const PointList& list, MakeText make);
    ~AheadTexts();
    AheadTexts(const AheadTexts&) = delete;
    AheadTexts& operator=(const AheadTexts&) = delete;

    // Appends the text made for the point at `position` of the list (every
    // point counted, kept or not), asked in order; false for a point of the
    // blocks the caller makes itself.
    bool Append(std::string& out, std::size_t position);

private:
    struct Block {
        std::size_t first = 0;  // position of its first point
        std::string text;
        std::vector<std::size_t> ends;  // of each point's text; a point left out has none
    };
    void Make();

    const PointList& list_;
    MakeText make_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> ready_;
    bool stopping_ = false;
    bool finished_ = false;
    std::exception_ptr failure_;
    Block current_;       // taken last; none at first, as block 0 is the caller's
    std::thread thread_;  // last, started once the rest is in place
};
