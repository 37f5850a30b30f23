// The allocation counters under allocations and frees from two threads at once: the peak and
// the blocks at the peak must come from one consistent reading, never wrap.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "sdk/runtime/allocation.h"

namespace Vorn {
namespace {

std::atomic<int> g_ready{0};
std::atomic<int> g_done{0};

void AllocateAndFree(int rounds) {
  // Both threads start together, so their allocations overlap.
  g_ready.fetch_add(1);
  while (g_ready.load() < 2) {
  }
  for (int i = 0; i < rounds; ++i) {
    void* block = Allocate(16 + static_cast<size_t>(i % 4) * 16);
    Free(block);
  }
  g_done.fetch_add(1);
}

TEST(AllocationConcurrency, PeakStaysWithinWhatWasAllocated) {
  const AllocationStats before = ReadAllocationStats();
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t)
    threads.emplace_back(AllocateAndFree, 500000);
  // Readings taken meanwhile must be consistent too.
  AllocationStats wrong{};
  bool consistent = true;
  while (g_done.load() < 2 && consistent) {
    const AllocationStats now = ReadAllocationStats();
    consistent = now.peak_bytes <= now.bytes_allocated &&
                 now.live_blocks_at_peak <= now.allocations && now.frees <= now.allocations;
    if (!consistent) wrong = now;
  }
  for (std::thread& thread : threads)
    thread.join();

  EXPECT_TRUE(consistent) << "peak " << wrong.peak_bytes << " of " << wrong.bytes_allocated
                          << " bytes allocated";
  const AllocationStats after = ReadAllocationStats();
  EXPECT_LE(after.peak_bytes, after.bytes_allocated);
  EXPECT_LE(after.live_blocks_at_peak, after.allocations);
  // Nothing else allocates here: at most one block per thread was ever added to what was in use.
  const uint64_t in_use_before = before.bytes_allocated - before.bytes_freed;
  EXPECT_LE(after.peak_bytes, std::max<uint64_t>(before.peak_bytes, in_use_before + 2 * 256));
  EXPECT_EQ(after.bytes_allocated - after.bytes_freed, before.bytes_allocated - before.bytes_freed);
}

}  // namespace
}  // namespace Vorn
