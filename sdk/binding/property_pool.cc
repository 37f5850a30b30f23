// Size-class pages and the string table of a value tree's pool.
#include "sdk/binding/property_pool.h"

#include <cstring>

#include "sdk/binding/fnv1a.h"
#include "sdk/binding/page_source.h"

namespace Vorn {
namespace {

constinit BindingInternedString g_empty_string{"", 0, kFnv1aOffsetBasis, 0, 0, 0};

}  // namespace

BindingInternedString* BindingInternedString::Empty() {
  return &g_empty_string;
}

BindingPropertyPool::BindingPropertyPool() noexcept
    : slots_(initial_slots_), slot_mask_(kInitialSlots - 1), initial_slots_{} {
  for (SizeClass& size_class : classes_) {
    size_class.head = nullptr;
    size_class.inline_ready = false;
  }
}

BindingPropertyPool::~BindingPropertyPool() {
  // Normally empty by now: the root released everything its tree held.
  for (uint32_t i = 0; i <= slot_mask_ && string_count_ != 0; ++i) {
    while (slots_[i].record != nullptr)
      Remove(slots_[i].record);  // shifts a later record into the slot
  }
  Vorn::Free(chunk_);
  if (slots_ != initial_slots_) delete[] slots_;
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
  for (uint32_t i = hash & slot_mask_;; i = (i + 1) & slot_mask_) {
    const Slot& slot = slots_[i];
    if (slot.record == nullptr) return nullptr;
    if (slot.hash == hash && slot.record->length == text.size() &&
        std::memcmp(slot.record->text, text.data(), text.size()) == 0) {
      return slot.record;
    }
  }
}

BindingInternedString* BindingPropertyPool::Intern(std::string_view text) {
  if (text.empty()) return BindingInternedString::Empty();
  return Intern(text, Fnv1a32(text));
}

BindingInternedString* BindingPropertyPool::Intern(std::string_view text, uint32_t hash) {
  if (text.empty()) return BindingInternedString::Empty();
  uint32_t i = hash & slot_mask_;
  for (;; i = (i + 1) & slot_mask_) {
    Slot& slot = slots_[i];
    if (slot.record == nullptr) break;
    if (slot.hash == hash && slot.record->length == text.size() &&
        std::memcmp(slot.record->text, text.data(), text.size()) == 0) {
      ++slot.record->references;
      return slot.record;
    }
  }
  if ((string_count_ + 1) * 2 > slot_mask_ + 1) {
    GrowTable();
    for (i = hash & slot_mask_; slots_[i].record != nullptr; i = (i + 1) & slot_mask_) {
    }
  }
  BindingInternedString* record = NewRecord(text, hash);
  slots_[i] = Slot{record, hash};
  ++string_count_;
  return record;
}

BindingInternedString* BindingPropertyPool::NewRecord(std::string_view text, uint32_t hash) {
  if (text.size() > UINT32_MAX - 64) throw std::bad_alloc();
  constexpr size_t kAlign = alignof(BindingInternedString);
  constexpr size_t kHeader = (sizeof(TextChunk) + kAlign - 1) / kAlign * kAlign;
  const size_t bytes =
      (sizeof(BindingInternedString) + text.size() + 1 + kAlign - 1) / kAlign * kAlign;
  if (chunk_ == nullptr || chunk_->capacity - chunk_->used < bytes) {
    // A text too long for a chunk of the usual size gets a chunk of its own.
    const size_t size = bytes + kHeader > next_chunk_size_ ? bytes + kHeader : next_chunk_size_;
    if (size > UINT32_MAX) throw std::bad_alloc();
    auto* chunk = static_cast<TextChunk*>(Vorn::Allocate(size));
    if (chunk == nullptr) throw std::bad_alloc();
    *chunk = TextChunk{0, static_cast<uint32_t>(kHeader), static_cast<uint32_t>(size)};
    if (chunk_ != nullptr && chunk_->live == 0) Vorn::Free(chunk_);
    chunk_ = chunk;
    if (next_chunk_size_ < kLargestChunkSize) next_chunk_size_ *= 2;
  }
  unsigned char* block = reinterpret_cast<unsigned char*>(chunk_) + chunk_->used;
  char* copy = reinterpret_cast<char*>(block + sizeof(BindingInternedString));
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  auto* record = new (block) BindingInternedString{
      copy, static_cast<uint32_t>(text.size()), hash, 1, chunk_->used, NamePrefix(text)};
  chunk_->used += static_cast<uint32_t>(bytes);
  ++chunk_->live;
  return record;
}

void BindingPropertyPool::Remove(BindingInternedString* record) noexcept {
  uint32_t hole = record->hash & slot_mask_;
  while (slots_[hole].record != record)
    hole = (hole + 1) & slot_mask_;
  // Backward shift: later records of the probe run move into the hole where their home allows.
  for (uint32_t next = (hole + 1) & slot_mask_; slots_[next].record != nullptr;
       next = (next + 1) & slot_mask_) {
    const uint32_t home = slots_[next].hash & slot_mask_;
    if (((next - home) & slot_mask_) >= ((next - hole) & slot_mask_)) {
      slots_[hole] = slots_[next];
      hole = next;
    }
  }
  slots_[hole] = Slot{nullptr, 0};
  --string_count_;
  auto* chunk =
      reinterpret_cast<TextChunk*>(reinterpret_cast<unsigned char*>(record) - record->chunk_offset);
  if (--chunk->live == 0) {
    if (chunk == chunk_) {
      // The current chunk starts over instead of going back to the heap.
      constexpr size_t kAlign = alignof(BindingInternedString);
      chunk->used = static_cast<uint32_t>((sizeof(TextChunk) + kAlign - 1) / kAlign * kAlign);
    } else {
      Vorn::Free(chunk);
    }
  }
}

void BindingPropertyPool::GrowTable() {
  const uint32_t count = (slot_mask_ + 1) * 2;
  auto* slots = new (std::nothrow) Slot[count]();
  if (slots == nullptr) {
    if (string_count_ + 1 < slot_mask_) return;  // a fuller table still works
    throw std::bad_alloc();
  }
  for (uint32_t i = 0; i <= slot_mask_; ++i) {
    if (slots_[i].record == nullptr) continue;
    uint32_t j = slots_[i].hash & (count - 1);
    while (slots[j].record != nullptr)
      j = (j + 1) & (count - 1);
    slots[j] = slots_[i];
  }
  if (slots_ != initial_slots_) delete[] slots_;
  slots_ = slots;
  slot_mask_ = count - 1;
}

}  // namespace Vorn
