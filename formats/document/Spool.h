// SPDX-License-Identifier: GPL-3.0-or-later
// Text kept aside to be written later, in memory while it is small and in an
// unnamed temporary file beyond that, so that memory stays flat however much
// is kept (the tracks of a document, which come before its waypoints are known
// but are written after them).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class Spool {
public:
    Spool() = default;
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    // Raises FileError when the temporary file cannot be made or written.
    void Append(std::string_view text);
    bool Empty() const { return size_ == 0; }
    // Hands everything kept to sink, in order, in pieces of a bounded size.
    void PlayBack(const std::function<void(std::string_view)>& sink);

private:
    void Spill();

    static constexpr std::size_t kInMemory = 1 << 20;
    std::string buffer_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t spilled_ = 0;
};
