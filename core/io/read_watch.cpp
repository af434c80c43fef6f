// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/read_watch.h"

namespace {
thread_local ReadWatch* watching = nullptr;
// Points between two looks at the stop: a look costs an atomic load, a point far less.
constexpr std::uint64_t kPointsPerLook = 1024;

void StopWhenAsked()
{
    if (watching->cancel.load(std::memory_order_relaxed)) throw ReadCancelled{};
}
}  // namespace

ScopedReadWatch::ScopedReadWatch(ReadWatch& watch) : previous_(watching) { watching = &watch; }

ScopedReadWatch::~ScopedReadWatch() { watching = previous_; }

ReadWatch* ScopedReadWatch::Current() { return watching; }

void NoteBytesRead(std::uint64_t end, std::uint64_t size)
{
    if (!watching) return;
    watching->position.store(end, std::memory_order_relaxed);
    watching->size.store(size, std::memory_order_relaxed);
    StopWhenAsked();
}

void NotePointStored()
{
    if (!watching) return;
    const std::uint64_t stored = watching->points.fetch_add(1, std::memory_order_relaxed) + 1;
    if (stored % kPointsPerLook == 0) StopWhenAsked();
}

void StopReadIfAsked()
{
    if (watching) StopWhenAsked();
}
