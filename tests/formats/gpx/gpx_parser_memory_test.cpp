// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "formats/gpx/GpxParserMemory.h"

// The parser keeps a small block for every name it meets: each counts with
// what the allocator adds to it, or the allowance would hold a third of the
// memory it lets the parser take.
TEST(GpxParserMemory, SmallBlocksCountAtTheirRealSizeAndAGrowingBlockWhileItMoves)
{
    const XML_Memory_Handling_Suite& memory = gpx::CountedParserMemory();
    constexpr std::size_t kAllowance = 1 << 20;
    gpx::StartParserAccount(kAllowance);
    std::vector<void*> blocks;
    while (void* block = memory.malloc_fcn(24)) blocks.push_back(block);
    EXPECT_TRUE(gpx::ParserAllowanceReached());
    EXPECT_LE(blocks.size(), kAllowance / 48);
    EXPECT_GT(blocks.size(), kAllowance / 64);
    for (void* block : blocks) memory.free_fcn(block);

    gpx::StartParserAccount(kAllowance);
    void* block = memory.malloc_fcn(600 << 10);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(memory.realloc_fcn(block, 700 << 10), nullptr);
    EXPECT_TRUE(gpx::ParserAllowanceReached());
    memory.free_fcn(block);
}
