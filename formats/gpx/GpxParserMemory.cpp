// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/gpx/GpxParserMemory.h"

#include <cstdint>
#include <cstdlib>

namespace gpx {
namespace {
// Each block starts with its size, kept at the alignment malloc gives.
struct alignas(std::max_align_t) Header {
    std::size_t size;
};

struct Account {
    std::size_t held = 0;
    std::size_t allowance = SIZE_MAX;
    bool reached = false;
} account;

bool Allowed(std::size_t more)
{
    if (more <= account.allowance - account.held) return true;
    account.reached = true;
    return false;
}

void* Allocate(std::size_t size)
{
    if (!Allowed(size)) return nullptr;
    auto* block = static_cast<Header*>(std::malloc(sizeof(Header) + size));
    if (block == nullptr) return nullptr;
    block->size = size;
    account.held += size;
    return block + 1;
}

void* Reallocate(void* memory, std::size_t size)
{
    if (memory == nullptr) return Allocate(size);
    Header* block = static_cast<Header*>(memory) - 1;
    const std::size_t old = block->size;
    if (size > old && !Allowed(size - old)) return nullptr;
    auto* moved = static_cast<Header*>(std::realloc(block, sizeof(Header) + size));
    if (moved == nullptr) return nullptr;
    moved->size = size;
    account.held = account.held - old + size;
    return moved + 1;
}

void Free(void* memory)
{
    if (memory == nullptr) return;
    Header* block = static_cast<Header*>(memory) - 1;
    account.held -= block->size;
    std::free(block);
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
