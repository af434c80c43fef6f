// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/reserved_pages.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace {
constexpr std::uintptr_t kHugePage = std::uintptr_t{1} << 21;
// Small tables stay on small pages: a huge page for a few points would be
// 2 MiB of memory cleared for nothing.
constexpr std::uintptr_t kSmallPagesFirst = std::uintptr_t{1} << 19;

std::uintptr_t RoundUp(std::uintptr_t address) { return (address + kHugePage - 1) & ~(kHugePage - 1); }
}  // namespace

ReservedPages::ReservedPages(std::size_t bytes) : bytes_(bytes)
{
    const bool large = bytes > kSmallPagesFirst;
    // A large table is placed so that its huge pages start right after its
    // small ones and its end fills its last huge page: what lies around
    // that is given back.
    const std::size_t reserved = large ? bytes + 2 * kHugePage + kSmallPagesFirst : bytes;
    void* mapped =
        ::mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    data_ = mapped;
    if (!large) return;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t huge = RoundUp(start + kSmallPagesFirst);
    const std::uintptr_t first = huge - kSmallPagesFirst;
    const std::uintptr_t end = RoundUp(first + bytes);
    if (first > start) ::munmap(mapped, first - start);
    if (start + reserved > end) ::munmap(reinterpret_cast<void*>(end), start + reserved - end);
    data_ = reinterpret_cast<void*>(first);
    bytes_ = end - first;
    // Only advice: without huge pages the table works the same.
    (void)::madvise(reinterpret_cast<void*>(huge), end - huge, MADV_HUGEPAGE);
}

ReservedPages::~ReservedPages()
{
    if (data_) ::munmap(data_, bytes_);
}

ReservedPages::ReservedPages(ReservedPages&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), bytes_(std::exchange(other.bytes_, 0))
{}

ReservedPages& ReservedPages::operator=(ReservedPages&& other) noexcept
{
    std::swap(data_, other.data_);
    std::swap(bytes_, other.bytes_);
    return *this;
}
