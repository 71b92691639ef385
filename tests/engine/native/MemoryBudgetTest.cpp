#include "MemoryBudget.h"

#include "LargeBuffer.h"

#include <gtest/gtest.h>

namespace zurbo::engine {
namespace {

// Images in flight stay within the budget's bytes; buffers they let go of are
// reused, and give way when a reservation needs their room.
TEST(MemoryBudgetTest, HoldsImagesInFlightWithinItsBytes)
{
    constexpr std::size_t megabyte = 1 << 20;
    MemoryBudget budget(8 * megabyte);
    auto first = budget.tryReserve(6 * megabyte);
    ASSERT_TRUE(first);
    EXPECT_FALSE(budget.tryReserve(4 * megabyte));
    first.reset();
    unsigned char* data = nullptr;
    {
        const LargeBuffer buffer(5 * megabyte, budget);
        data = buffer.data();
        data[0] = 1;
    }
    EXPECT_EQ(LargeBuffer(5 * megabyte, budget).data(), data);
    const auto all = budget.tryReserve(8 * megabyte);
    ASSERT_TRUE(all);
    EXPECT_EQ(budget.heldBytes(), 8 * megabyte);
}

} // namespace
} // namespace zurbo::engine
