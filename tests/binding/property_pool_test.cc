// The size classes, the page source and the string table of a value tree's pool.
#include "sdk/binding/property_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "sdk/binding/binding_property.h"
#include "sdk/binding/fnv1a.h"
#include "sdk/binding/page_source.h"

namespace Vorn {
namespace {

size_t PagesHandedOut() {
  const BindingPageSource::Stats stats = BindingPageSource::Instance().GetStats();
  return stats.regions * BindingPageSource::kPagesPerRegion - stats.free_pages;
}

bool Inside(const void* block, const void* page, size_t size) {
  const auto* b = static_cast<const unsigned char*>(block);
  const auto* p = static_cast<const unsigned char*>(page);
  return b >= p && b < p + size;
}

TEST(BindingPropertyPoolTest, RequestsAreRoundedUpToTheirSizeClass) {
  struct Row {
    size_t request;
    size_t block_size;
  };
  constexpr Row kRows[] = {{1, 4}, {4, 4}, {5, 8}, {8, 8}, {9, 12}, {70, 72}, {72, 72}};
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.request);
    BindingPropertyPool pool;
    void* block = pool.Allocate(row.request);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(
        Inside(block, pool.InlinePage(row.block_size), BindingPropertyPool::kInlinePageSize));
    pool.Free(block, row.request);
  }
}

TEST(BindingPropertyPoolTest, PagesGoBackWithTheirLastBlockButTheInlinePageStays) {
  constexpr size_t kSize = 8;
  const size_t inline_slots =
      BindingPropertyPool::UsableSlots(BindingPropertyPool::kInlinePageSize, kSize);
  const size_t page_slots = BindingPropertyPool::UsableSlots(BindingPropertyPool::kPageSize, kSize);
  const size_t pages_before = PagesHandedOut();

  BindingPropertyPool pool;
  std::vector<void*> inline_blocks;
  std::vector<void*> page_blocks;
  for (size_t i = 0; i < inline_slots; ++i)
    inline_blocks.push_back(pool.Allocate(kSize));
  for (size_t i = 0; i < page_slots; ++i)
    page_blocks.push_back(pool.Allocate(kSize));
  for (void* block : inline_blocks) {
    EXPECT_TRUE(Inside(block, pool.InlinePage(kSize), BindingPropertyPool::kInlinePageSize));
  }
  const void* page =
      reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(page_blocks[0]) & ~uintptr_t{4095});
  for (void* block : page_blocks)
    EXPECT_TRUE(Inside(block, page, 4096));
  EXPECT_EQ(pool.HeadPage(kSize), nullptr) << "both pages are full and out of the list";
  EXPECT_EQ(PagesHandedOut(), pages_before + 1);

  // The full page comes back at the head of the list with its first released block, and the
  // freed slot is the next one handed out.
  void* last = page_blocks.back();
  pool.Free(last, kSize);
  EXPECT_EQ(pool.HeadPage(kSize), page);
  EXPECT_EQ(pool.Allocate(kSize), last);
  EXPECT_EQ(pool.HeadPage(kSize), nullptr);

  for (void* block : page_blocks)
    pool.Free(block, kSize);
  EXPECT_EQ(PagesHandedOut(), pages_before) << "an empty page goes back to the page source";
  EXPECT_EQ(pool.HeadPage(kSize), nullptr);

  for (void* block : inline_blocks)
    pool.Free(block, kSize);
  EXPECT_EQ(pool.HeadPage(kSize), pool.InlinePage(kSize)) << "the inline page stays";
  EXPECT_EQ(PagesHandedOut(), pages_before);
}

TEST(BindingPropertyPoolTest, BlocksAreUsableAndDistinctAcrossManyPages) {
  constexpr size_t kSize = 72;
  constexpr size_t kCount = 3000;
  BindingPropertyPool pool;
  std::vector<unsigned char*> blocks;
  for (size_t i = 0; i < kCount; ++i) {
    auto* block = static_cast<unsigned char*>(pool.Allocate(kSize));
    ASSERT_NE(block, nullptr);
    std::memset(block, static_cast<int>(i & 0xFF), kSize);
    blocks.push_back(block);
  }
  for (size_t i = 0; i < kCount; ++i) {
    ASSERT_EQ(blocks[i][0], i & 0xFF);
    ASSERT_EQ(blocks[i][kSize - 1], i & 0xFF);
  }
  // Release every other block, then all: the free lists inside the slots must stay intact.
  for (size_t i = 0; i < kCount; i += 2)
    pool.Free(blocks[i], kSize);
  for (size_t i = 0; i < kCount; i += 2)
    blocks[i] = static_cast<unsigned char*>(pool.Allocate(kSize));
  for (unsigned char* block : blocks)
    pool.Free(block, kSize);
  EXPECT_EQ(pool.HeadPage(kSize), pool.InlinePage(kSize));
}

TEST(BindingPageSourceTest, AFewFreeRegionsStayMappedAndTheRestAreReleased) {
  constexpr size_t kKept = BindingPageSource::kKeptFreeRegions;
  const BindingPageSource::Stats before = BindingPageSource::Instance().GetStats();
  {
    BindingProperty tree;
    // Enum cells are pool blocks; 100,000 of them fill a dozen regions or more.
    for (int i = 0; i < 100000; ++i)
      tree.Append().SetEnum(i, nullptr);
    const BindingPageSource::Stats during = BindingPageSource::Instance().GetStats();
    EXPECT_GE(during.regions, before.regions + kKept + 1) << "the tree needs many regions";
  }
  const BindingPageSource::Stats after = BindingPageSource::Instance().GetStats();
  EXPECT_EQ(after.free_regions, kKept);
  EXPECT_EQ(after.regions - after.free_regions, before.regions - before.free_regions)
      << "regions in use before are in use still, and no other region stays but the kept";
  EXPECT_EQ(after.free_pages,
            before.free_pages + (kKept - before.free_regions) * BindingPageSource::kPagesPerRegion);
}

TEST(BindingPageSourceTest, PagesAreAlignedAndReusedAfterRelease) {
  constexpr size_t kKept = BindingPageSource::kKeptFreeRegions;
  constexpr size_t kPages = BindingPageSource::kPagesPerRegion;
  BindingPageSource& source = BindingPageSource::Instance();
  const BindingPageSource::Stats before = source.GetStats();
  ASSERT_EQ(before.regions, before.free_regions) << "every earlier tree has gone";
  std::vector<void*> pages;
  for (size_t i = 0; i < (before.regions + kKept + 3) * kPages; ++i) {
    void* page = source.TakePage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(page) % BindingPageSource::kPageSize, 0u);
    pages.push_back(page);
  }
  const BindingPageSource::Stats full = source.GetStats();
  ASSERT_EQ(full.free_pages, 0u);
  ASSERT_EQ(full.free_regions, 0u);
  // A region's pages are adjacent, so in address order every run of 16 is one region.
  std::sort(pages.begin(), pages.end());
  for (size_t region = 0; region < full.regions; ++region) {
    for (size_t i = 0; i < kPages; ++i)
      source.ReturnPage(pages[region * kPages + i]);
    const BindingPageSource::Stats now = source.GetStats();
    SCOPED_TRACE(region);
    EXPECT_EQ(now.free_regions, std::min(region + 1, kKept));
    EXPECT_EQ(now.regions, full.regions - (region + 1 > kKept ? region + 1 - kKept : 0));
  }
  // A kept region serves the next page without a new reservation.
  void* page = source.TakePage();
  EXPECT_EQ(source.GetStats().regions, kKept);
  EXPECT_EQ(source.GetStats().free_regions, kKept - 1);
  source.ReturnPage(page);
  EXPECT_EQ(source.GetStats().free_regions, kKept);
}

TEST(BindingPropertyPoolTest, InternSharesOneRecordPerTextUntilTheLastRelease) {
  BindingPropertyPool pool;
  BindingInternedString* first = pool.Intern("name");
  BindingInternedString* second = pool.Intern(std::string_view("name"));
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->references, 2u);
  EXPECT_EQ(first->hash, Fnv1a32("name"));
  EXPECT_EQ(pool.InternedCount(), 1u);
  pool.Release(first);
  EXPECT_EQ(pool.Find("name"), second);
  pool.Release(second);
  EXPECT_EQ(pool.Find("name"), nullptr);
  EXPECT_EQ(pool.InternedCount(), 0u);
}

TEST(BindingPropertyPoolTest, EmptyTextsUseTheStaticRecordAndCountNothing) {
  BindingPropertyPool pool;
  BindingInternedString* empty = BindingInternedString::Empty();
  EXPECT_EQ(pool.Intern(""), empty);
  EXPECT_EQ(pool.Intern(static_cast<const char*>(nullptr)), empty);
  EXPECT_EQ(empty->references, 0u);
  pool.Release(empty);
  EXPECT_EQ(empty->references, 0u);
  EXPECT_STREQ(empty->text, "");
  EXPECT_EQ(pool.InternedCount(), 0u);
}

TEST(BindingPropertyPoolTest, TheStringTableGrowsAndKeepsEveryRecord) {
  BindingPropertyPool pool;
  std::vector<BindingInternedString*> records;
  for (int i = 0; i < 1000; ++i)
    records.push_back(pool.Intern("text" + std::to_string(i)));
  for (int i = 0; i < 1000; ++i) {
    EXPECT_EQ(pool.Find("text" + std::to_string(i)), records[i]);
  }
  for (BindingInternedString* record : records)
    pool.Release(record);
  EXPECT_EQ(pool.InternedCount(), 0u);
}

TEST(BindingPropertyPoolTest, MemberNamesOfOneTreeShareARecord) {
  BindingProperty tree;
  tree.Append().MemberAt("shared").SetString("value");
  tree.Append().MemberAt("shared").SetString("value");
  const BindingPropertyPool* pool = tree.Pool();
  ASSERT_NE(pool, nullptr);
  EXPECT_EQ(pool->InternedCount(), 2u);
  const BindingInternedString* name = pool->Find("shared");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->references, 2u);
  EXPECT_EQ((*tree.ElementAt(0).Members().begin()).name.data(),
            (*tree.ElementAt(1).Members().begin()).name.data());

  tree.ElementAt(0).Clear();
  EXPECT_EQ(name->references, 1u);
  EXPECT_STREQ(std::as_const(tree).ElementAt(1).MemberAt("shared").GetString(), "value");
  tree.ElementAt(1).Clear();
  EXPECT_EQ(pool->Find("shared"), nullptr);
  EXPECT_EQ(pool->Find("value"), nullptr);
}

}  // namespace
}  // namespace Vorn
