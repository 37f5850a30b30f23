// Counting hooks over the C runtime heap and the process-wide counters they keep.
#include "sdk/runtime/allocation.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "sdk/runtime/platform.h"

namespace Vorn {
namespace {

// The six reported counters and the bytes and blocks in use, all changed together under one
// lock: a peak computed from counters read at different moments can see a block freed that its
// own allocation has not yet counted, and `allocated - freed` then wraps.
struct Counters {
  AllocationStats stats{};
  uint64_t bytes_in_use = 0;
  uint64_t blocks_in_use = 0;
};

// Constant-initialised, so the counting hooks are in place before the first allocation.
constinit Counters g_counters;

// Made at the first allocation (std::mutex is not constant-initialised on every C runtime) and
// never destroyed, since blocks are freed by late static destructors too. Held only for a few
// additions, never around a call out.
std::mutex& CountersLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

void CountAllocation(void* block) {
  if (block == nullptr) return;
  const uint64_t size = Platform::HeapBlockSize(block);
  std::lock_guard<std::mutex> hold(CountersLock());
  AllocationStats& stats = g_counters.stats;
  stats.bytes_allocated += size;
  ++stats.allocations;
  g_counters.bytes_in_use += size;
  ++g_counters.blocks_in_use;
  if (g_counters.bytes_in_use > stats.peak_bytes) {
    stats.peak_bytes = g_counters.bytes_in_use;
    stats.live_blocks_at_peak = g_counters.blocks_in_use;
  }
}

void CountFreedBytes(uint64_t size) {
  std::lock_guard<std::mutex> hold(CountersLock());
  g_counters.stats.bytes_freed += size;
  ++g_counters.stats.frees;
  // A block that other hooks allocated was never counted in use.
  g_counters.bytes_in_use -= std::min(size, g_counters.bytes_in_use);
  if (g_counters.blocks_in_use != 0) --g_counters.blocks_in_use;
}

void CountFree(void* block) {
  if (block != nullptr) CountFreedBytes(Platform::HeapBlockSize(block));
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
  CountFreedBytes(old_size);
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
  std::lock_guard<std::mutex> hold(CountersLock());
  return g_counters.stats;
}

}  // namespace Vorn
