// SPDX-License-Identifier: GPL-3.0-or-later
// A read in the background reports how far it has gone and can be stopped:
// the front end that runs it makes a watch and passes it in (ReadContext),
// the file layer and the point lists note their progress to it, and it
// raises ReadCancelled once a stop is asked for.
#pragma once

#include <atomic>
#include <cstdint>

// Not a std::exception: no reader's error handling may take it for a fault of the file.
struct ReadCancelled {};

struct ReadWatch {
    std::atomic<bool> cancel{false};
    std::atomic<std::uint64_t> position{0};  // bytes of the input read so far
    std::atomic<std::uint64_t> size{0};      // the input's size; 0 unknown
    std::atomic<std::uint64_t> points{0};    // points stored so far

    // Throws ReadCancelled when a stop is asked for: for long work between fills.
    void StopIfAsked() const
    {
        if (cancel.load(std::memory_order_relaxed)) throw ReadCancelled{};
    }
    // By the file layer after each fill: the bytes up to end of an input of size.
    void NoteBytesRead(std::uint64_t end, std::uint64_t inputSize)
    {
        position.store(end, std::memory_order_relaxed);
        size.store(inputSize, std::memory_order_relaxed);
        StopIfAsked();
    }
    // By the point lists for each point kept. The stop is looked at with the
    // first point and every kPointsPerLook after: a look costs an atomic
    // load, a point far less, and a read of bytes in memory has no fills.
    void NotePointStored()
    {
        constexpr std::uint64_t kPointsPerLook = 1024;
        const std::uint64_t stored = points.fetch_add(1, std::memory_order_relaxed);
        if (stored % kPointsPerLook == 0) StopIfAsked();
    }
};
