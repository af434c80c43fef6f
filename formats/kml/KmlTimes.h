// SPDX-License-Identifier: GPL-3.0-or-later
// The times of a gx:Track, which come before its positions: held until each
// position takes its time, in memory up to a megabyte and on in a temporary
// file past it, so that a track of millions of points keeps memory flat.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/io/read_context.h"
#include "core/io/spill_file.h"
#include "core/time/utc_time.h"

namespace kml {

class TrackTimes {
public:
    // Spilled where the read's context says (none: the temporary folder only).
    explicit TrackTimes(std::shared_ptr<const ReadContext> context) : context_(std::move(context)) {}
    void Clear();
    void Add(const std::optional<UtcTime>& time);
    std::size_t size() const { return count_; }
    // The time at `index`, asked in order from 0; nothing past the last.
    std::optional<UtcTime> Take(std::size_t index);

private:
    struct Held {
        std::int64_t seconds;
        std::int32_t nanoseconds;  // -1: no time
    };
    static constexpr std::size_t kBlock = 1 << 16;  // times, of 12 bytes on disk

    std::vector<Held> recent_;         // after the spilled ones
    std::vector<Held> read_;           // a block read back
    std::size_t readFrom_ = SIZE_MAX;  // the index of read_[0]
    std::shared_ptr<const ReadContext> context_;
    std::unique_ptr<SpillFile> spill_;
    std::size_t spilled_ = 0, count_ = 0;
    std::string bytes_;
};

}  // namespace kml
