// SPDX-License-Identifier: GPL-3.0-or-later
// A read in the background reports how far it has gone and can be stopped:
// the file layer and the point lists note their progress to the watch of the
// reading thread, which throws ReadCancelled once a stop is asked for.
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
};

// Makes watch the one of this thread for the life of this object.
class ScopedReadWatch {
public:
    // The watch of this thread, for a thread it starts to take on; nullptr for none.
    static ReadWatch* Current();
    explicit ScopedReadWatch(ReadWatch& watch);
    ~ScopedReadWatch();
    ScopedReadWatch(const ScopedReadWatch&) = delete;
    ScopedReadWatch& operator=(const ScopedReadWatch&) = delete;

private:
    ReadWatch* previous_;
};

// Called by the file layer after each fill: the bytes up to end of an input of size.
void NoteBytesRead(std::uint64_t end, std::uint64_t size);
// Called by the point lists for each point kept.
void NotePointStored();
// Throws ReadCancelled when a stop is asked for: for long work between fills.
void StopReadIfAsked();
