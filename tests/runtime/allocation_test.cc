// The counting allocation hooks: totals, the peak rule, reallocation and replacement hooks.
#include "sdk/runtime/allocation.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Vorn {
namespace {

TEST(AllocationHooks, CountBlocksAndBytes) {
  const AllocationStats before = ReadAllocationStats();
  void* block = Allocate(100);
  ASSERT_NE(block, nullptr);
  const size_t size = BlockSize(block);
  EXPECT_GE(size, 100u);
  const AllocationStats allocated = ReadAllocationStats();
  EXPECT_EQ(allocated.allocations - before.allocations, 1u);
  EXPECT_EQ(allocated.bytes_allocated - before.bytes_allocated, size);

  void* moved = Reallocate(block, 5000);
  ASSERT_NE(moved, nullptr);
  const size_t moved_size = BlockSize(moved);
  const AllocationStats reallocated = ReadAllocationStats();
  // A reallocation counts as a free of the old block and an allocation of the new one.
  EXPECT_EQ(reallocated.frees - allocated.frees, 1u);
  EXPECT_EQ(reallocated.bytes_freed - allocated.bytes_freed, size);
  EXPECT_EQ(reallocated.allocations - allocated.allocations, 1u);
  EXPECT_EQ(reallocated.bytes_allocated - allocated.bytes_allocated, moved_size);

  char* copy = DuplicateText("text");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "text");
  EXPECT_EQ(ReadAllocationStats().allocations - reallocated.allocations, 1u);

  Free(copy);
  Free(moved);
  const AllocationStats after = ReadAllocationStats();
  EXPECT_EQ(after.frees - before.frees, 3u);
  EXPECT_EQ((after.bytes_allocated - before.bytes_allocated),
            (after.bytes_freed - before.bytes_freed));
}

TEST(AllocationHooks, PeakFollowsBytesInUse) {
  const AllocationStats before = ReadAllocationStats();
  const uint64_t in_use = before.bytes_allocated - before.bytes_freed;
  void* large = Allocate(1 << 20);
  const AllocationStats peak = ReadAllocationStats();
  const uint64_t live_blocks = peak.allocations - peak.frees;
  EXPECT_GE(peak.peak_bytes, in_use + (1 << 20));
  EXPECT_EQ(peak.live_blocks_at_peak, live_blocks);
  Free(large);
  void* small = Allocate(16);
  const AllocationStats after = ReadAllocationStats();
  EXPECT_EQ(after.peak_bytes, peak.peak_bytes) << "the peak never falls";
  EXPECT_EQ(after.live_blocks_at_peak, peak.live_blocks_at_peak);
  Free(small);
}

TEST(AllocationHooks, DuplicateWithLengthAndNull) {
  char* copy = DuplicateText("abcdef", 3);
  EXPECT_STREQ(copy, "abc");
  Free(copy);
  EXPECT_EQ(DuplicateText(nullptr), nullptr);
  Free(nullptr);
}

int g_replaced_allocations = 0;

TEST(AllocationHooks, ReplacementHooksTakeOver) {
  AllocationHooks hooks = CountingAllocationHooks();
  hooks.allocate = [](size_t size) {
    ++g_replaced_allocations;
    return CountingAllocationHooks().allocate(size);
  };
  SetAllocationHooks(hooks);
  void* block = Allocate(8);
  SetAllocationHooks(CountingAllocationHooks());
  EXPECT_EQ(g_replaced_allocations, 1);
  Free(block);
}

}  // namespace
}  // namespace Vorn
