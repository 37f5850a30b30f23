// The SDK's heap: five replaceable hooks through which every boundary text and array, interned
// text, blob byte and element array is allocated, and the counters the default hooks keep.
// The global operator new is never replaced: the library shares its process with the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

namespace Vorn {

struct AllocationHooks {
  void* (*allocate)(size_t size);
  void (*free)(void* block);
  void* (*reallocate)(void* block, size_t size);
  char* (*duplicate)(const char* text);
  size_t (*block_size)(void* block);
};

// Six counters, in the order GetMemoryStats reports them.
struct AllocationStats {
  uint64_t peak_bytes;
  uint64_t live_blocks_at_peak;
  uint64_t bytes_allocated;
  uint64_t allocations;
  uint64_t bytes_freed;
  uint64_t frees;
};

// The counting hooks over the C runtime heap, installed until someone replaces them.
const AllocationHooks& CountingAllocationHooks();
void SetAllocationHooks(const AllocationHooks& hooks);

void* Allocate(size_t size);
void Free(void* block);
void* Reallocate(void* block, size_t size);
// Copy of a NUL-terminated text; a null text gives null.
char* DuplicateText(const char* text);
// Copy of `length` bytes of `text` followed by a NUL.
char* DuplicateText(const char* text, size_t length);
size_t BlockSize(void* block);

// One consistent reading of all six counters.
AllocationStats ReadAllocationStats();

// A standard allocator over the hooks, for containers whose storage is SDK heap.
template <typename T>
struct HookAllocator {
  using value_type = T;
  HookAllocator() noexcept = default;
  template <typename U>
  HookAllocator(const HookAllocator<U>&) noexcept {}

  T* allocate(size_t count) {
    if (count > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
    void* block = Allocate(count * sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* block, size_t) noexcept { Free(block); }

  template <typename U>
  bool operator==(const HookAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace Vorn
