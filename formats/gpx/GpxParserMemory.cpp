// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/gpx/GpxParserMemory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace gpx {
namespace {
// Each block starts with its size, kept at the alignment malloc gives.
struct alignas(std::max_align_t) Header {
    std::size_t size;
};

// Each thread's parsers are counted apart: two files may be read at once.
struct Account {
    std::size_t held = 0;
    std::size_t allowance = SIZE_MAX;
    bool reached = false;
};
thread_local Account account;

// What a block really takes: the parser keeps a small block for every name
// it meets, so the header and the allocator's own word and rounding count
// as much as the bytes asked for.
std::size_t Cost(std::size_t size)
{
    constexpr std::size_t kGrain = alignof(std::max_align_t);
    const std::size_t bytes = sizeof(Header) + size + sizeof(std::size_t);
    return bytes < size ? SIZE_MAX : (bytes + kGrain - 1) / kGrain * kGrain;
}

bool Allowed(std::size_t more)
{
    if (more <= account.allowance - std::min(account.held, account.allowance)) return true;
    account.reached = true;
    return false;
}

// The input buffer, which takes a whole file of up to 32 MB, is mapped on
// its own with huge pages advised: filled once, its small pages would cost
// a fault every 4 KB, more than the parse of what they hold.
constexpr std::size_t kMappedFrom = std::size_t{4} << 20;

bool Mapped(std::size_t size) { return size >= kMappedFrom; }

Header* Take(std::size_t size)
{
    if (!Mapped(size)) return static_cast<Header*>(std::malloc(sizeof(Header) + size));
    void* mapped = ::mmap(nullptr, sizeof(Header) + size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    (void)::madvise(mapped, sizeof(Header) + size, MADV_HUGEPAGE);
    return static_cast<Header*>(mapped);
}

void Give(Header* block)
{
    if (Mapped(block->size)) ::munmap(block, sizeof(Header) + block->size);
    else std::free(block);
}

void* Allocate(std::size_t size)
{
    if (!Allowed(Cost(size))) return nullptr;
    Header* block = Take(size);
    if (block == nullptr) return nullptr;
    block->size = size;
    account.held += Cost(size);
    return block + 1;
}

void Free(void* memory)
{
    if (memory == nullptr) return;
    Header* block = static_cast<Header*>(memory) - 1;
    account.held -= Cost(block->size);
    Give(block);
}

// A block that grows may be copied: the old and the new one are held at once.
void* Reallocate(void* memory, std::size_t size)
{
    if (memory == nullptr) return Allocate(size);
    Header* block = static_cast<Header*>(memory) - 1;
    const std::size_t old = block->size;
    if (size > old && !Allowed(Cost(size))) return nullptr;
    if (Mapped(old) || Mapped(size)) {
        void* moved = Allocate(size);
        if (moved == nullptr) return nullptr;
        std::memcpy(moved, memory, std::min(old, size));
        Free(memory);
        return moved;
    }
    auto* moved = static_cast<Header*>(std::realloc(block, sizeof(Header) + size));
    if (moved == nullptr) return nullptr;
    moved->size = size;
    account.held = account.held - Cost(old) + Cost(size);
    return moved + 1;
}

const XML_Memory_Handling_Suite kSuite{Allocate, Reallocate, Free};
}  // namespace

const XML_Memory_Handling_Suite& CountedParserMemory() { return kSuite; }

void StartParserAccount(std::size_t allowance)
{
    account.allowance = allowance;
    account.reached = false;
}

bool ParserAllowanceReached() { return account.reached; }

}  // namespace gpx
