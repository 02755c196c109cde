// Tests of the memory for large arrays: blocks from 2 MiB on are aligned to 2 MiB and wholly
// usable, and vectors that grow across 2 MiB keep their values.

#include "wordstore/large_array.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

TEST(AllocateLarge, BlocksFromTwoMiBOnAreAlignedToTwoMiBAndWhollyUsable)
{
    const std::size_t sizes[] = {2 * kMiB, 2 * kMiB + 1, 5 * kMiB + 3};
    for (const std::size_t size : sizes) {
        SCOPED_TRACE(size);
        const TLargeBlock block = MakeLargeBlock(size);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.get()) % (2 * kMiB), 0u);
        // Under the sanitizer, a block shorter than asked fails here.
        std::memset(block.get(), 0x5A, size);
        EXPECT_EQ(block[size - 1], 0x5A);
        EXPECT_EQ(block[0], 0x5A);
    }
}

TEST(AllocateLarge, VectorGrowingPastTwoMiBKeepsItsValues)
{
    // Growing moves the values from ordinary blocks into huge-page ones, each freed the way it
    // was taken.
    std::vector<std::int32_t, TLargeAllocator<std::int32_t>> values;
    for (std::int32_t i = 0; i < 1500000; ++i) {
        values.push_back(i * 3 - 7);
    }
    ASSERT_EQ(values.size(), 1500000u);
    EXPECT_EQ(values[0], -7);
    EXPECT_EQ(values[524288], 1572857);
    EXPECT_EQ(values[1499999], 4499990);
    values.shrink_to_fit();
    values.resize(100);
    values.shrink_to_fit();
    EXPECT_EQ(values[99], 290);
}

}  // namespace
