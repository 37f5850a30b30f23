// A diagnostic for the benchmarks: keeps regions of the process-wide page source mapped while a
// row runs, so that the trees it builds take recycled pages instead of fresh mappings. Rows
// that use it show what mapping and unmapping regions costs the plain SDK rows.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "sdk/binding/page_source.h"

namespace bench {

// Enough pages for the largest tree any benchmark builds.
inline constexpr size_t kReservedPages = 8192;

class PageRegionReserve {
 public:
  // Takes `pages` pages and gives back all but every eighth in address order. A region's pages
  // are adjacent, so each region taken whole keeps at least one page and is never released;
  // its other pages stay on the free list.
  explicit PageRegionReserve(size_t pages) {
    Vorn::BindingPageSource& source = Vorn::BindingPageSource::Instance();
    std::vector<void*> taken;
    taken.reserve(pages);
    for (size_t i = 0; i < pages; ++i) {
      if (void* page = source.TakePage()) taken.push_back(page);
    }
    std::sort(taken.begin(), taken.end());
    for (size_t i = 0; i < taken.size(); ++i) {
      if (i % 8 == 0) {
        held_.push_back(taken[i]);
      } else {
        source.ReturnPage(taken[i]);
      }
    }
  }
  ~PageRegionReserve() {
    for (void* page : held_)
      Vorn::BindingPageSource::Instance().ReturnPage(page);
  }
  PageRegionReserve(const PageRegionReserve&) = delete;
  PageRegionReserve& operator=(const PageRegionReserve&) = delete;

 private:
  std::vector<void*> held_;
};

}  // namespace bench
