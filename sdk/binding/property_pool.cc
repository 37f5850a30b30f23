// Size-class pages and the string table of a value tree's pool.
#include "sdk/binding/property_pool.h"

#include <cstring>

#include "sdk/binding/fnv1a.h"
#include "sdk/binding/page_source.h"

namespace Vorn {
namespace {

constinit BindingInternedString g_empty_string{"", 0, kFnv1aOffsetBasis, 0, nullptr};

}  // namespace

BindingInternedString* BindingInternedString::Empty() {
  return &g_empty_string;
}

BindingPropertyPool::BindingPropertyPool() noexcept
    : buckets_(initial_buckets_), bucket_mask_(7), initial_buckets_{} {
  for (SizeClass& size_class : classes_) {
    size_class.head = nullptr;
    size_class.inline_ready = false;
  }
}

BindingPropertyPool::~BindingPropertyPool() {
  // Normally empty by now: the root released everything its tree held.
  for (uint32_t i = 0; i <= bucket_mask_; ++i) {
    for (BindingInternedString* record = buckets_[i]; record != nullptr;) {
      BindingInternedString* next = record->next;
      Vorn::Free(const_cast<char*>(record->text));
      record = next;
    }
  }
  if (buckets_ != initial_buckets_) delete[] buckets_;
  for (SizeClass& size_class : classes_) {
    for (PageHeader* page = size_class.head; page != nullptr;) {
      PageHeader* next = page->next;
      if (page->page_size == kPageSize) BindingPageSource::Instance().ReturnPage(page);
      page = next;
    }
  }
}

void BindingPropertyPool::InitPage(PageHeader* page, size_t page_bytes, size_t block_size) {
  const size_t slots = page_bytes / block_size;
  const size_t first = (sizeof(PageHeader) + block_size - 1) / block_size;
  unsigned char* base = reinterpret_cast<unsigned char*>(page);
  for (size_t slot = first; slot < slots; ++slot) {
    const uint16_t next = static_cast<uint16_t>(slot + 1 < slots ? slot + 1 : 0);
    std::memcpy(base + slot * block_size, &next, sizeof(next));
  }
  page->next = nullptr;
  page->prev = nullptr;
  page->page_size = static_cast<uint16_t>(page_bytes);
  page->used = 0;
  page->first_free = static_cast<uint16_t>(first < slots ? first : 0);
}

BindingPropertyPool::PageHeader* BindingPropertyPool::RefillClass(size_t index) noexcept {
  const size_t block_size = (index + 1) * kGranularity;
  SizeClass& size_class = classes_[index];
  PageHeader* page;
  if (!size_class.inline_ready) {
    // The inline page is chained on first use, so an unused class costs nothing.
    size_class.inline_ready = true;
    page = reinterpret_cast<PageHeader*>(size_class.inline_page);
    InitPage(page, kInlinePageSize, block_size);
  } else {
    void* memory = BindingPageSource::Instance().TakePage();
    if (memory == nullptr) return nullptr;
    page = static_cast<PageHeader*>(memory);
    InitPage(page, kPageSize, block_size);
  }
  size_class.head = page;
  return page;
}

void BindingPropertyPool::ReleaseEmptyPage(SizeClass& size_class, PageHeader* page) noexcept {
  if (page->prev != nullptr) {
    page->prev->next = page->next;
  } else {
    size_class.head = page->next;
  }
  if (page->next != nullptr) page->next->prev = page->prev;
  BindingPageSource::Instance().ReturnPage(page);
}

const BindingInternedString* BindingPropertyPool::Find(std::string_view text) const {
  if (text.empty()) return BindingInternedString::Empty();
  const uint32_t hash = Fnv1a32(text);
  for (BindingInternedString* record = buckets_[hash & bucket_mask_]; record != nullptr;
       record = record->next) {
    if (record->hash == hash && record->length == text.size() &&
        std::memcmp(record->text, text.data(), text.size()) == 0) {
      return record;
    }
  }
  return nullptr;
}

BindingInternedString* BindingPropertyPool::Intern(std::string_view text) {
  if (text.empty()) return BindingInternedString::Empty();
  return InternHashed(text, Fnv1a32(text));
}

BindingInternedString* BindingPropertyPool::InternHashed(std::string_view text, uint32_t hash) {
  if (text.empty()) return BindingInternedString::Empty();
  if (text.size() > UINT32_MAX) throw std::bad_alloc();
  BindingInternedString** bucket = &buckets_[hash & bucket_mask_];
  for (BindingInternedString* record = *bucket; record != nullptr; record = record->next) {
    if (record->hash == hash && record->length == text.size() &&
        std::memcmp(record->text, text.data(), text.size()) == 0) {
      ++record->references;
      return record;
    }
  }
  void* block = Allocate(sizeof(BindingInternedString));
  if (block == nullptr) throw std::bad_alloc();
  char* copy = Vorn::DuplicateText(text.data(), text.size());
  if (copy == nullptr) {
    Free(block, sizeof(BindingInternedString));
    throw std::bad_alloc();
  }
  auto* record =
      new (block) BindingInternedString{copy, static_cast<uint32_t>(text.size()), hash, 1, *bucket};
  *bucket = record;
  if (++string_count_ > bucket_mask_ + 1) GrowTable();
  return record;
}

void BindingPropertyPool::Remove(BindingInternedString* record) noexcept {
  BindingInternedString** link = &buckets_[record->hash & bucket_mask_];
  while (*link != record)
    link = &(*link)->next;
  *link = record->next;
  --string_count_;
  Vorn::Free(const_cast<char*>(record->text));
  Free(record, sizeof(BindingInternedString));
}

void BindingPropertyPool::GrowTable() {
  const uint32_t count = (bucket_mask_ + 1) * 2;
  auto* buckets = new (std::nothrow) BindingInternedString*[count]();
  if (buckets == nullptr) return;  // a fuller table still works
  for (uint32_t i = 0; i <= bucket_mask_; ++i) {
    for (BindingInternedString* record = buckets_[i]; record != nullptr;) {
      BindingInternedString* next = record->next;
      BindingInternedString*& head = buckets[record->hash & (count - 1)];
      record->next = head;
      head = record;
      record = next;
    }
  }
  if (buckets_ != initial_buckets_) delete[] buckets_;
  buckets_ = buckets;
  bucket_mask_ = count - 1;
}

}  // namespace Vorn
