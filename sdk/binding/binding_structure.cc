// Member storage of structures: sorted runs in SDK-heap blocks, searched by run and then within
// the run.
#include <new>

#include "sdk/binding/binding_property.h"

namespace Vorn::detail {
namespace {

constexpr uint32_t kFirstChunkCapacity = 4;

// A name looked for, with its prefix computed once.
struct Probe {
  std::string_view name;
  uint64_t prefix;
};

inline int CompareTo(const BindingMember& member, const Probe& probe) {
  const BindingInternedString& name = *member.name;
  if (name.prefix != probe.prefix) return name.prefix < probe.prefix ? -1 : 1;
  // The bytes before `equal` are the same in both.
  size_t equal = name.length < probe.name.size() ? name.length : probe.name.size();
  if (equal > 8) equal = 8;
  return CompareNames(name.View().substr(equal), probe.name.substr(equal));
}

BindingMemberChunk* NewChunk(uint32_t capacity) {
  void* block = Vorn::Allocate(sizeof(BindingMemberChunk) + capacity * sizeof(BindingMember));
  if (block == nullptr) throw std::bad_alloc();
  return new (block) BindingMemberChunk{0, capacity};
}

}  // namespace

BindingStructure::Position BindingStructure::Locate(std::string_view text) const {
  if (chunk_count == 0) return Position{0, 0, false};
  const Probe name{text, NamePrefix(text)};
  // Names arriving in order (copies, sorted documents) land after the last member at once.
  const uint32_t last_chunk = chunk_count - 1;
  const BindingMemberChunk* last = chunks[last_chunk];
  const int order = CompareTo(last->Members()[last->size - 1], name);
  if (order < 0) return Position{last_chunk, last->size, false};
  if (order == 0) return Position{last_chunk, last->size - 1, true};
  // The first run whose last member is not below the name; the last run qualifies.
  uint32_t low = 0;
  uint32_t high = last_chunk;
  while (low < high) {
    const uint32_t middle = (low + high) / 2;
    const BindingMemberChunk* chunk = chunks[middle];
    if (CompareTo(chunk->Members()[chunk->size - 1], name) < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  const BindingMember* members = chunks[low]->Members();
  uint32_t first = 0;
  uint32_t end = chunks[low]->size - 1;  // the run's last member is not below the name
  while (first < end) {
    const uint32_t middle = (first + end) / 2;
    if (CompareTo(members[middle], name) < 0) {
      first = middle + 1;
    } else {
      end = middle;
    }
  }
  return Position{low, first, CompareTo(members[first], name) == 0};
}

const BindingMember* BindingStructure::Find(std::string_view name) const {
  const Position at = Locate(name);
  return at.found ? &chunks[at.chunk]->Members()[at.index] : nullptr;
}

BindingMember* BindingStructure::OpenSlot(Position at) {
  if (chunk_count == 0) {
    if (single == nullptr) single = NewChunk(kFirstChunkCapacity);  // else a reserved run
    chunks = &single;
    chunk_count = 1;
    chunk_capacity = 1;
    at = Position{0, 0, false};
  }
  BindingMemberChunk* chunk = chunks[at.chunk];
  if (chunk->size == chunk->capacity && chunk->capacity < kMaxChunk) {
    const uint32_t capacity = chunk->capacity * 2 < kMaxChunk ? chunk->capacity * 2 : kMaxChunk;
    void* grown =
        Vorn::Reallocate(chunk, sizeof(BindingMemberChunk) + capacity * sizeof(BindingMember));
    if (grown == nullptr) throw std::bad_alloc();
    chunk = static_cast<BindingMemberChunk*>(grown);
    chunk->capacity = capacity;
    chunks[at.chunk] = chunk;
  } else if (chunk->size == chunk->capacity) {
    // A full run: a new run after it, empty when the slot is at its end (members arriving in
    // order fill whole runs), else holding the upper half.
    if (chunk_count == chunk_capacity) {
      const uint32_t capacity = chunk_capacity < 4 ? 4 : chunk_capacity * 2;
      auto* grown = static_cast<BindingMemberChunk**>(Vorn::Allocate(capacity * sizeof(void*)));
      if (grown == nullptr) throw std::bad_alloc();
      for (uint32_t i = 0; i < chunk_count; ++i)
        grown[i] = chunks[i];
      if (chunks != &single) Vorn::Free(chunks);
      chunks = grown;
      chunk_capacity = capacity;
    }
    BindingMemberChunk* next = NewChunk(kMaxChunk);
    const uint32_t keep = at.index == chunk->size ? chunk->size : chunk->size / 2;
    next->size = chunk->size - keep;
    if (next->size != 0) {
      std::memcpy(static_cast<void*>(next->Members()), chunk->Members() + keep,
                  next->size * sizeof(BindingMember));
    }
    chunk->size = keep;
    for (uint32_t i = chunk_count; i > at.chunk + 1; --i)
      chunks[i] = chunks[i - 1];
    chunks[at.chunk + 1] = next;
    ++chunk_count;
    if (at.index >= keep) {
      chunk = next;
      at.index -= keep;
    }
  }
  BindingMember* slot = chunk->Members() + at.index;
  if (at.index < chunk->size) {
    std::memmove(static_cast<void*>(slot + 1), slot,
                 (chunk->size - at.index) * sizeof(BindingMember));
  }
  ++chunk->size;
  ++count;
  return slot;
}

void BindingStructure::Reserve(size_t members) {
  const uint32_t wanted = members < kMaxChunk ? static_cast<uint32_t>(members) : kMaxChunk;
  if (chunk_count > 1 || wanted == 0) return;
  // With no member yet the run waits in `single` and counts only once it holds one.
  if (single == nullptr) {
    single = NewChunk(wanted);
    return;
  }
  if (single->capacity >= wanted) return;
  void* grown =
      Vorn::Reallocate(single, sizeof(BindingMemberChunk) + wanted * sizeof(BindingMember));
  if (grown == nullptr) throw std::bad_alloc();
  single = static_cast<BindingMemberChunk*>(grown);
  single->capacity = wanted;
}

void BindingStructure::FreeStorage() noexcept {
  for (uint32_t i = 0; i < chunk_count; ++i)
    Vorn::Free(chunks[i]);
  if (chunks != &single) Vorn::Free(chunks);
  if (chunk_count == 0) Vorn::Free(single);  // a reserved run
  single = nullptr;
  chunks = &single;
  chunk_count = 0;
  count = 0;
}

}  // namespace Vorn::detail
