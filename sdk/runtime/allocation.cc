// Counting hooks over the C runtime heap and the process-wide counters they keep.
#include "sdk/runtime/allocation.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "sdk/runtime/platform.h"

namespace Vorn {
namespace {

struct Counters {
  std::atomic<uint64_t> peak_bytes{0};
  std::atomic<uint64_t> live_blocks_at_peak{0};
  std::atomic<uint64_t> bytes_allocated{0};
  std::atomic<uint64_t> allocations{0};
  std::atomic<uint64_t> bytes_freed{0};
  std::atomic<uint64_t> frees{0};
};

// Constant-initialised, so the counting hooks are in place before the first allocation.
constinit Counters g_counters;

void CountAllocation(void* block) {
  if (block == nullptr) return;
  const uint64_t size = Platform::HeapBlockSize(block);
  const uint64_t allocated = g_counters.bytes_allocated.fetch_add(size) + size;
  const uint64_t count = g_counters.allocations.fetch_add(1) + 1;
  const uint64_t in_use = allocated - g_counters.bytes_freed.load();
  uint64_t peak = g_counters.peak_bytes.load();
  while (in_use > peak) {
    if (g_counters.peak_bytes.compare_exchange_weak(peak, in_use)) {
      g_counters.live_blocks_at_peak.store(count - g_counters.frees.load());
      break;
    }
  }
}

void CountFree(void* block) {
  if (block == nullptr) return;
  g_counters.bytes_freed.fetch_add(Platform::HeapBlockSize(block));
  g_counters.frees.fetch_add(1);
}

void* CountingAllocate(size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  CountAllocation(block);
  return block;
}

void CountingFree(void* block) {
  CountFree(block);
  std::free(block);
}

void* CountingReallocate(void* block, size_t size) {
  if (block == nullptr) return CountingAllocate(size);
  const uint64_t old_size = Platform::HeapBlockSize(block);
  void* moved = std::realloc(block, size == 0 ? 1 : size);
  if (moved == nullptr) return nullptr;  // the old block is still there and still counted
  g_counters.bytes_freed.fetch_add(old_size);
  g_counters.frees.fetch_add(1);
  CountAllocation(moved);
  return moved;
}

char* CountingDuplicate(const char* text) {
  if (text == nullptr) return nullptr;
  const size_t length = std::strlen(text);
  char* copy = static_cast<char*>(CountingAllocate(length + 1));
  if (copy != nullptr) std::memcpy(copy, text, length + 1);
  return copy;
}

constexpr AllocationHooks kCountingHooks{CountingAllocate, CountingFree, CountingReallocate,
                                         CountingDuplicate, Platform::HeapBlockSize};

constinit AllocationHooks g_hooks = kCountingHooks;

}  // namespace

const AllocationHooks& CountingAllocationHooks() {
  return kCountingHooks;
}

void SetAllocationHooks(const AllocationHooks& hooks) {
  g_hooks = hooks;
}

void* Allocate(size_t size) {
  return g_hooks.allocate(size);
}
void Free(void* block) {
  if (block != nullptr) g_hooks.free(block);
}
void* Reallocate(void* block, size_t size) {
  return g_hooks.reallocate(block, size);
}
char* DuplicateText(const char* text) {
  return g_hooks.duplicate(text);
}

char* DuplicateText(const char* text, size_t length) {
  char* copy = static_cast<char*>(g_hooks.allocate(length + 1));
  if (copy == nullptr) return nullptr;
  if (length != 0) std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

size_t BlockSize(void* block) {
  return g_hooks.block_size(block);
}

AllocationStats ReadAllocationStats() {
  return AllocationStats{g_counters.peak_bytes.load(),      g_counters.live_blocks_at_peak.load(),
                         g_counters.bytes_allocated.load(), g_counters.allocations.load(),
                         g_counters.bytes_freed.load(),     g_counters.frees.load()};
}

}  // namespace Vorn
