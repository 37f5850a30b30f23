// Region bookkeeping of the process-wide page source.
#include "sdk/binding/page_source.h"

#include <algorithm>

#include "sdk/runtime/platform.h"

namespace Vorn {

BindingPageSource& BindingPageSource::Instance() {
  static BindingPageSource* const source = new BindingPageSource();
  return *source;
}

BindingPageSource::Region* BindingPageSource::FindRegion(uintptr_t page) {
  auto it = std::upper_bound(regions_.begin(), regions_.end(), page,
                             [](uintptr_t address, const Region& r) { return address < r.base; });
  if (it == regions_.begin()) return nullptr;
  --it;
  if (page - it->base >= kRegionSize) return nullptr;
  return &*it;
}

void BindingPageSource::Unlink(FreePage* page) {
  if (page->prev != nullptr) {
    page->prev->next = page->next;
  } else {
    free_ = page->next;
  }
  if (page->next != nullptr) page->next->prev = page->prev;
  --free_count_;
}

void BindingPageSource::PushFree(FreePage* page) {
  page->prev = nullptr;
  page->next = free_;
  if (free_ != nullptr) free_->prev = page;
  free_ = page;
  ++free_count_;
}

void* BindingPageSource::TakePage() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (free_ == nullptr) {
    void* region = Platform::ReserveRegion(kRegionSize);
    if (region == nullptr) return nullptr;
    const uintptr_t base = reinterpret_cast<uintptr_t>(region);
    auto it = std::upper_bound(regions_.begin(), regions_.end(), base,
                               [](uintptr_t address, const Region& r) { return address < r.base; });
    try {
      regions_.insert(it, Region{base, static_cast<uint32_t>(kPagesPerRegion)});
      ++free_regions_;
    } catch (...) {
      Platform::ReleaseRegion(region, kRegionSize);
      return nullptr;
    }
    // Pushed from the top so that pages are handed out in ascending address order.
    for (size_t i = kPagesPerRegion; i-- > 0;) {
      PushFree(reinterpret_cast<FreePage*>(base + i * kPageSize));
    }
  }
  FreePage* page = free_;
  Unlink(page);
  Region* region = FindRegion(reinterpret_cast<uintptr_t>(page));
  if (region->free_count-- == kPagesPerRegion) --free_regions_;
  return page;
}

void BindingPageSource::ReturnPage(void* page) {
  if (page == nullptr) return;
  std::lock_guard<std::mutex> lock(mutex_);
  const uintptr_t address = reinterpret_cast<uintptr_t>(page);
  Region* region = FindRegion(address);
  if (region == nullptr) return;  // not one of ours
  PushFree(static_cast<FreePage*>(page));
  if (++region->free_count < kPagesPerRegion) return;
  if (free_regions_ < kKeptFreeRegions) {
    ++free_regions_;
    return;
  }
  for (size_t i = 0; i < kPagesPerRegion; ++i) {
    Unlink(reinterpret_cast<FreePage*>(region->base + i * kPageSize));
  }
  Platform::ReleaseRegion(reinterpret_cast<void*>(region->base), kRegionSize);
  regions_.erase(regions_.begin() + (region - regions_.data()));
}

BindingPageSource::Stats BindingPageSource::GetStats() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return Stats{regions_.size(), free_count_, free_regions_};
}

}  // namespace Vorn
