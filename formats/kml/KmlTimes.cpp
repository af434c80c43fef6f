// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/kml/KmlTimes.h"

#include <cstring>

namespace kml {
namespace {
constexpr std::size_t kRecord = 12;
}

void TrackTimes::Clear()
{
    recent_.clear();
    read_.clear();
    readFrom_ = SIZE_MAX;
    spilled_ = count_ = 0;
}

void TrackTimes::Add(const std::optional<UtcTime>& time)
{
    recent_.push_back(time ? Held{time->seconds, time->nanoseconds} : Held{0, -1});
    ++count_;
    if (recent_.size() < kBlock) return;
    if (!spill_) spill_ = std::make_unique<SpillFile>(context_ ? context_->spillFallback : std::string());
    bytes_.resize(recent_.size() * kRecord);
    for (std::size_t i = 0; i < recent_.size(); ++i) {
        std::memcpy(&bytes_[i * kRecord], &recent_[i].seconds, 8);
        std::memcpy(&bytes_[i * kRecord + 8], &recent_[i].nanoseconds, 4);
    }
    spill_->WriteAt(spilled_ * kRecord, bytes_);
    spilled_ += recent_.size();
    recent_.clear();
}

std::optional<UtcTime> TrackTimes::Take(std::size_t index)
{
    if (index >= count_) return std::nullopt;
    Held held;
    if (index >= spilled_) {
        held = recent_[index - spilled_];
    } else {
        if (index < readFrom_ || index >= readFrom_ + read_.size()) {
            bytes_.clear();
            const std::size_t got = spill_->ReadAt(index * kRecord, kBlock * kRecord, bytes_) / kRecord;
            read_.resize(got);
            for (std::size_t i = 0; i < got; ++i) {
                std::memcpy(&read_[i].seconds, &bytes_[i * kRecord], 8);
                std::memcpy(&read_[i].nanoseconds, &bytes_[i * kRecord + 8], 4);
            }
            readFrom_ = index;
        }
        held = read_.at(index - readFrom_);
    }
    if (held.nanoseconds < 0) return std::nullopt;
    return UtcTime{held.seconds, held.nanoseconds};
}

}  // namespace kml
