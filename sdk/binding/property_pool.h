// Storage of one value tree: size-class blocks for the fixed-size parts of its values and the
// table of its interned texts. Created by a tree's root on first need, destroyed with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include "sdk/runtime/allocation.h"

namespace Vorn {

// One interned text of a pool. Equal texts of one tree share one record; each String value and
// each structure member name holds one reference. A record and its text are one block of the
// pool's text storage (SDK heap).
struct BindingInternedString {
  const char* text;  // NUL-terminated, right after the record (a literal in the empty record)
  uint32_t length;
  uint32_t hash;  // FNV-1a 32 of the text bytes
  uint32_t references;
  uint32_t chunk_offset;  // bytes from the start of the text chunk holding the record
  // The first 8 bytes as a big-endian number, zero-padded (NamePrefix): most names are ordered
  // by comparing these without reading the texts.
  uint64_t prefix;

  std::string_view View() const { return std::string_view(text, length); }

  // The process-wide empty text: never stored in a pool, never counted, never freed.
  static BindingInternedString* Empty();
};

// The first 8 bytes of `text` as a big-endian number, shorter texts padded with zeros. Two
// texts whose prefixes differ are ordered as their prefixes are.
inline uint64_t NamePrefix(std::string_view text) {
  unsigned char bytes[8] = {};
  std::memcpy(bytes, text.data(), text.size() < 8 ? text.size() : 8);
  uint64_t value = 0;
  for (unsigned char byte : bytes)
    value = value << 8 | byte;
  return value;
}

class BindingPropertyPool;

// A standard allocator over a pool's size classes, for containers whose fixed-size parts
// (nodes, cells) should come from the tree's pool. Requests above the largest class go to the
// SDK heap. Throws std::bad_alloc when no block can be had.
template <typename T>
class BindingPoolAllocator {
 public:
  using value_type = T;
  static_assert(alignof(T) <= 8, "pool blocks are aligned to at most 8 bytes");

  explicit BindingPoolAllocator(BindingPropertyPool* pool) noexcept : pool_(pool) {}
  template <typename U>
  BindingPoolAllocator(const BindingPoolAllocator<U>& other) noexcept : pool_(other.pool()) {}

  T* allocate(size_t count);
  void deallocate(T* block, size_t count) noexcept;

  BindingPropertyPool* pool() const noexcept { return pool_; }

  template <typename U>
  bool operator==(const BindingPoolAllocator<U>& other) const noexcept {
    return pool_ == other.pool();
  }

 private:
  BindingPropertyPool* pool_;
};

class BindingPropertyPool {
 public:
  static constexpr size_t kClassCount = 18;
  static constexpr size_t kGranularity = 4;
  static constexpr size_t kMaxBlockSize = kClassCount * kGranularity;  // 72
  static constexpr size_t kInlinePageSize = 144;
  static constexpr size_t kPageSize = 4096;

  // Header in the leading slots of every page.
  struct PageHeader {
    PageHeader* next;
    PageHeader* prev;
    uint16_t page_size;
    uint16_t used;
    uint16_t first_free;  // slot index; 0 = none (slot 0 always holds the header)
  };

  // Slots of a page of `page_bytes` that blocks of `block_size` can use (after the header).
  static constexpr size_t UsableSlots(size_t page_bytes, size_t block_size) {
    const size_t size = RoundedSize(block_size);
    return page_bytes / size - (sizeof(PageHeader) + size - 1) / size;
  }
  static constexpr size_t RoundedSize(size_t size) {
    return size == 0 ? kGranularity : (size + kGranularity - 1) / kGranularity * kGranularity;
  }

  BindingPropertyPool() noexcept;
  ~BindingPropertyPool();
  BindingPropertyPool(const BindingPropertyPool&) = delete;
  BindingPropertyPool& operator=(const BindingPropertyPool&) = delete;

  // A block of the size class of `size` (1 to 72 bytes); null when no page can be had.
  void* Allocate(size_t size) noexcept;
  // Gives back a block from Allocate with the same size.
  void Free(void* block, size_t size) noexcept;

  // The record for `text` with one more reference; the static empty record (uncounted) for an
  // empty or null text. Throws std::bad_alloc when the record cannot be allocated.
  BindingInternedString* Intern(std::string_view text);
  // As Intern, with the text's FNV-1a 32 hash already known (a reader that hashed the text while
  // scanning it, a copy between pools). `hash` must be Fnv1a32(text).
  BindingInternedString* Intern(std::string_view text, uint32_t hash);
  BindingInternedString* InternHashed(std::string_view text, uint32_t hash) {
    return Intern(text, hash);
  }
  BindingInternedString* Intern(const char* text) {
    return text == nullptr ? BindingInternedString::Empty() : Intern(std::string_view(text));
  }
  // One more reference on a record of this pool, without hashing its text again. The empty
  // record is ignored.
  void Retain(BindingInternedString* record) noexcept {
    if (record != BindingInternedString::Empty()) ++record->references;
  }
  // Drops one reference; the record is freed with its last. The empty record is ignored.
  void Release(BindingInternedString* record) noexcept {
    if (record->references > 1) {
      --record->references;
    } else if (record != BindingInternedString::Empty()) {
      Remove(record);
    }
  }
  // The record already interned for `text`, or null; takes no reference.
  const BindingInternedString* Find(std::string_view text) const;

  // The four block allocators of the value kinds that keep cells in the pool.
  template <typename T>
  BindingPoolAllocator<T> Allocator() noexcept {
    return BindingPoolAllocator<T>(this);
  }

  // Inspection, for tests: the first page of a class that still has a free slot (null when
  // every page of the class is full), the class's inline page, records interned.
  const void* HeadPage(size_t block_size) const { return classes_[ClassIndex(block_size)].head; }
  const void* InlinePage(size_t block_size) const {
    return classes_[ClassIndex(block_size)].inline_page;
  }
  size_t InternedCount() const { return string_count_; }

 private:
  struct SizeClass {
    PageHeader* head;
    bool inline_ready;
    alignas(8) unsigned char inline_page[kInlinePageSize];
  };

  static size_t ClassIndex(size_t size) { return size == 0 ? 0 : (size - 1) / kGranularity; }
  static void InitPage(PageHeader* page, size_t page_bytes, size_t block_size);
  PageHeader* RefillClass(size_t index) noexcept;
  void ReleaseEmptyPage(SizeClass& size_class, PageHeader* page) noexcept;
  // The string table: open addressing with linear probing, the hash kept beside each record so
  // that a probe touches no record whose hash differs. At most half full.
  struct Slot {
    BindingInternedString* record;  // null: free
    uint32_t hash;
  };
  // Records and their texts are carved from chunks of SDK heap; a chunk is freed when its last
  // record is, so texts cost one counted allocation per chunk rather than one per text.
  struct TextChunk {
    uint32_t live;      // records in the chunk
    uint32_t used;      // bytes handed out, header included
    uint32_t capacity;  // bytes of the chunk
  };
  static constexpr size_t kInitialSlots = 16;
  static constexpr uint32_t kFirstChunkSize = 512;
  static constexpr uint32_t kLargestChunkSize = 32768;

  BindingInternedString* NewRecord(std::string_view text, uint32_t hash);
  void Remove(BindingInternedString* record) noexcept;
  void GrowTable();

  SizeClass classes_[kClassCount];
  Slot* slots_;
  uint32_t slot_mask_;
  uint32_t string_count_ = 0;
  TextChunk* chunk_ = nullptr;  // the chunk new records are carved from
  uint32_t next_chunk_size_ = kFirstChunkSize;
  Slot initial_slots_[kInitialSlots];
};

inline void* BindingPropertyPool::Allocate(size_t size) noexcept {
  const size_t index = ClassIndex(size);
  const size_t block_size = (index + 1) * kGranularity;
  SizeClass& size_class = classes_[index];
  PageHeader* page = size_class.head;
  if (page == nullptr) {
    page = RefillClass(index);
    if (page == nullptr) return nullptr;
  }
  unsigned char* block = reinterpret_cast<unsigned char*>(page) + page->first_free * block_size;
  uint16_t next_free;
  std::memcpy(&next_free, block, sizeof(next_free));
  page->first_free = next_free;
  ++page->used;
  if (next_free == 0) {  // full: leaves the list
    size_class.head = page->next;
    if (page->next != nullptr) page->next->prev = nullptr;
    page->next = nullptr;
  }
  return block;
}

inline void BindingPropertyPool::Free(void* block, size_t size) noexcept {
  if (block == nullptr) return;
  const size_t index = ClassIndex(size);
  const size_t block_size = (index + 1) * kGranularity;
  SizeClass& size_class = classes_[index];
  unsigned char* address = static_cast<unsigned char*>(block);
  PageHeader* page;
  if (address >= size_class.inline_page && address < size_class.inline_page + kInlinePageSize) {
    page = reinterpret_cast<PageHeader*>(size_class.inline_page);
  } else {
    page = reinterpret_cast<PageHeader*>(reinterpret_cast<uintptr_t>(block) &
                                         ~static_cast<uintptr_t>(kPageSize - 1));
  }
  if (page->first_free == 0) {  // was full: back at the head of the list
    page->prev = nullptr;
    page->next = size_class.head;
    if (size_class.head != nullptr) size_class.head->prev = page;
    size_class.head = page;
  }
  const uint16_t next_free = page->first_free;
  std::memcpy(address, &next_free, sizeof(next_free));
  page->first_free =
      static_cast<uint16_t>((address - reinterpret_cast<unsigned char*>(page)) / block_size);
  if (--page->used == 0 && page->page_size == kPageSize) ReleaseEmptyPage(size_class, page);
}

template <typename T>
T* BindingPoolAllocator<T>::allocate(size_t count) {
  if (count > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
  const size_t bytes = count * sizeof(T);
  void* block =
      bytes <= BindingPropertyPool::kMaxBlockSize ? pool_->Allocate(bytes) : Vorn::Allocate(bytes);
  if (block == nullptr) throw std::bad_alloc();
  return static_cast<T*>(block);
}

template <typename T>
void BindingPoolAllocator<T>::deallocate(T* block, size_t count) noexcept {
  const size_t bytes = count * sizeof(T);
  if (bytes <= BindingPropertyPool::kMaxBlockSize) {
    pool_->Free(block, bytes);
  } else {
    Vorn::Free(block);
  }
}

}  // namespace Vorn
