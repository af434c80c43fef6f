// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/document/AheadTexts.h"

#include "formats/document/DocumentWriter.h"

namespace {
// Blocks made and not yet taken: the second thread waits beyond them.
constexpr std::size_t kMostReady = 2;
}  // namespace

AheadTexts::AheadTexts(const PointList& list, MakeText make)
    : list_(list), make_(std::move(make)), thread_([this] { Make(); })
{}

AheadTexts::~AheadTexts()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

// The odd blocks: from kBlock, every other one.
void AheadTexts::Make()
{
    try {
        PointList::Cursor cursor(list_);
        Point point;
        std::size_t at = 0;  // the cursor's position
        for (std::size_t first = kBlock; first < list_.size(); first += 2 * kBlock) {
            if (!cursor.Skip(first - at)) break;
            at = first;
            Block block{first, {}, {}};
            block.ends.reserve(kBlock);
            for (; at < first + kBlock && cursor.Next(point); ++at) {
                if (PreparedForWriting(point)) make_(block.text, point);
                block.ends.push_back(block.text.size());
            }
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || ready_.size() < kMostReady; });
            if (stopping_) return;
            ready_.push_back(std::move(block));
            lock.unlock();
            changed_.notify_all();
        }
    } catch (...) {
        const std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
    }
    {
        const std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}

bool AheadTexts::Append(std::string& out, std::size_t position)
{
    const std::size_t first = position - position % kBlock;
    if ((first / kBlock) % 2 == 0) return false;
    while (current_.first != first) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
        if (failure_) std::rethrow_exception(failure_);
        // A block of points that are all left out is never asked for.
        if (ready_.empty() || ready_.front().first > first) return false;
        current_ = std::move(ready_.front());
        ready_.pop_front();
        lock.unlock();
        changed_.notify_all();
    }
    const std::size_t index = position - first;
    if (index >= current_.ends.size()) return false;
    const std::size_t begin = index == 0 ? 0 : current_.ends[index - 1];
    out.append(current_.text, begin, current_.ends[index] - begin);
    return true;
}
