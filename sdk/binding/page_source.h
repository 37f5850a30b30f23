// The process-wide source of 4096-byte pages for value storage pools: 64 KiB regions from the
// operating system, split into 16 pages. A few wholly free regions stay mapped, so that trees
// built and destroyed one after the other do not map and unmap a region each time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace Vorn {

class BindingPageSource {
 public:
  static constexpr size_t kPageSize = 4096;
  static constexpr size_t kRegionSize = 0x10000;
  static constexpr size_t kPagesPerRegion = kRegionSize / kPageSize;
  // Wholly free regions kept mapped; one freed beyond these goes back to the OS at once.
  static constexpr size_t kKeptFreeRegions = 4;

  // What a test can observe of the source; read under the mutex.
  struct Stats {
    size_t regions;       // regions currently reserved from the operating system
    size_t free_pages;    // pages of those regions not handed out
    size_t free_regions;  // regions none of whose pages is handed out
  };

  // The one source of the process, created at first use and never destroyed: pools destroyed by
  // static destructors at exit may still return pages. Regions still held at exit go back to
  // the operating system with the process.
  static BindingPageSource& Instance();

  // A 4096-aligned page, or null when no region can be reserved. Thread-safe.
  void* TakePage();
  // Takes back a page from TakePage(); a region all of whose pages are free goes back to the OS
  // unless fewer than kKeptFreeRegions such regions are kept. Thread-safe.
  void ReturnPage(void* page);

  Stats GetStats() const;

 private:
  struct Region {
    uintptr_t base;
    uint32_t free_count;
  };
  // Free pages are chained through their own first bytes, in both directions, so a region's 16
  // pages can be unlinked when it is released.
  struct FreePage {
    FreePage* next;
    FreePage* prev;
  };

  BindingPageSource() = default;
  Region* FindRegion(uintptr_t page);
  void Unlink(FreePage* page);
  void PushFree(FreePage* page);

  mutable std::mutex mutex_;
  std::vector<Region> regions_;  // sorted by base
  FreePage* free_ = nullptr;
  size_t free_count_ = 0;
  size_t free_regions_ = 0;  // regions whose free_count is kPagesPerRegion
};

}  // namespace Vorn
