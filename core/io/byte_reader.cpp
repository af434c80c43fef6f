// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/byte_reader.h"

#include <algorithm>

#include "core/io/input_file.h"

namespace {
// How far size() reads a pipe ahead to find its end: every record size a
// reader compares with what remains is smaller.
constexpr std::size_t kLookAhead = 64u << 10;
}  // namespace

static_assert(ByteReader::kMaxView <= InputFile::kMaxWindow);

ByteReader ByteReader::FromFile(const std::string& path, std::shared_ptr<ReadWatch> watch)
{
    ByteReader reader(std::span<const std::uint8_t>{});
    reader.input_ = InputFile::Open(path, std::move(watch));
    reader.size_ = reader.input_->Size();
    return reader;
}

std::size_t ByteReader::size()
{
    if (size_ == kFarOffset && input_) Hold(kLookAhead);
    return End();
}

std::size_t ByteReader::limit(std::size_t end)
{
    const std::size_t previous = end_;
    end_ = std::max(end, position());
    Clip();
    return previous;
}

bool ByteReader::Hold(std::size_t count)
{
    if (!input_) return false;
    const std::size_t at = position();
    const std::size_t end = End();
    if (end != kFarOffset && count > end - at) {
        if (static_cast<std::size_t>(limit_ - cursor_) < end - at) {  // what is left
            Adopt(at, input_->Load(at, end - at));
            size_ = input_->Size();
        }
        return false;
    }
    Adopt(at, input_->Load(at, count));
    size_ = input_->Size();
    return static_cast<std::size_t>(limit_ - cursor_) >= count;
}

bool ByteReader::MoveTo(std::size_t target)
{
    if (!input_ || target >= kFarOffset || target > End()) return false;  // bytes in memory are held whole
    if (input_->ByPosition()) {
        Adopt(target, {});  // read when a read comes
        return true;
    }
    const std::size_t at = position();
    const auto bytes = input_->Load(target, 0);  // a pipe is read on to the target, or to its end
    size_ = input_->Size();
    if (target > End()) {
        Adopt(at, {});
        return false;
    }
    Adopt(target, bytes);
    return true;
}

void ByteReader::Adopt(std::size_t offset, std::span<const std::uint8_t> bytes)
{
    held_ = cursor_ = bytes.data();
    heldEnd_ = bytes.data() + bytes.size();
    heldFrom_ = offset;
    Clip();
}

void ByteReader::Clip()
{
    const auto held = static_cast<std::size_t>(heldEnd_ - held_);
    limit_ = end_ - heldFrom_ < held ? held_ + (end_ - heldFrom_) : heldEnd_;
}

std::size_t ByteReader::read_some(std::span<std::uint8_t> out)
{
    std::size_t done = 0;
    while (done < out.size()) {
        if (cursor_ == limit_) {
            Hold(std::min(out.size() - done, InputFile::kFill));
            if (cursor_ == limit_) break;
        }
        const std::size_t count = std::min(out.size() - done, static_cast<std::size_t>(limit_ - cursor_));
        std::memcpy(out.data() + done, cursor_, count);
        cursor_ += count;
        done += count;
    }
    return done;
}

std::span<const std::uint8_t> ByteReader::view(std::size_t count)
{
    count = std::min(count, kMaxView);
    if (static_cast<std::size_t>(limit_ - cursor_) < count) Hold(count);
    return {cursor_, std::min(count, static_cast<std::size_t>(limit_ - cursor_))};
}
