// BindingProperty, the SDK's one dynamic value: scalars, texts, blobs, enumerators, collections
// and structures, stored in one pool per tree that the tree's root owns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "sdk/binding/property_pool.h"
#include "sdk/binding/property_visitor.h"
#include "sdk/binding/static_type.h"

namespace Vorn {

namespace detail {
struct BindingCollection;
struct BindingStructure;
struct BindingMember;
struct BindingChildTag {};
}  // namespace detail

template <bool kConst>
class BindingMemberRange;

// A value is either a root (made by a caller; owns its pool, created on first storage need) or
// a child (an element or member; stores into its root's pool and never destroys it). A tree is
// used by one thread at a time.
//
// Accessors come in pairs told apart by constness: on a const value ElementAt and MemberAt read
// (a miss gives the shared Empty value), on a non-const value they create what is missing. Use
// std::as_const to read a mutable value.
class alignas(8) BindingProperty {
 public:
  enum class Type : uint8_t {
    Empty = 0,
    Bool = 1,
    Signed = 2,
    Unsigned = 3,
    Float = 4,
    String = 5,
    Blob = 6,
    Enum = 7,
    Collection = 8,
    Structure = 9,
  };

  // Largest element count of a collection; Reserve above it is a length error.
  static constexpr size_t kMaxCollectionSize = 0x0FFFFFFF;

  // "empty", "bool", ... "structure"; the empty text for a number outside 0 to 9.
  static const char* TypeName(uint32_t type);
  static const char* TypeName(Type type) { return TypeName(static_cast<uint32_t>(type)); }

  // The shared value that read-only misses return; never modified.
  static const BindingProperty& Empty();

  // A root Empty value without a pool.
  constexpr BindingProperty() noexcept
      : payload_{}, pool_(nullptr), type_(Type::Empty), owner_(true) {}
  // A child of a tree stored in `pool`; used by the containers of a tree.
  BindingProperty(detail::BindingChildTag, BindingPropertyPool* pool) noexcept
      : payload_{}, pool_(pool), type_(Type::Empty), owner_(false) {}

  // A new root holding a deep copy.
  BindingProperty(const BindingProperty& other);
  // A new root: takes over a root's content and pool (a swap); copies from a child. The source
  // ends Empty in both cases.
  BindingProperty(BindingProperty&& other);
  BindingProperty& operator=(const BindingProperty& other) {
    CopyFrom(other);
    return *this;
  }
  BindingProperty& operator=(BindingProperty&& other) {
    MoveFrom(other);
    return *this;
  }
  ~BindingProperty();

  // Deep copy into this value's own pool; this value keeps its pool and owner flag. Copying a
  // value of the same tree (even an ancestor or descendant) is safe.
  void CopyFrom(const BindingProperty& source);
  // Deep copy of a value that neither contains nor lies inside this one. Within one tree it
  // skips CopyFrom's separate snapshot, and texts and member names take a reference on the
  // tree's interned records, so a copy costs what it creates.
  void CopyFromDisjoint(const BindingProperty& source);
  // Two roots swap everything, then the source is cleared; otherwise a deep copy and the source
  // is cleared. The source must not be an ancestor of this value.
  void MoveFrom(BindingProperty& source);
  // Releases the content; the value becomes Empty and keeps its pool.
  void Clear() noexcept;

  Type GetType() const { return type_; }
  bool IsOwner() const { return owner_; }
  // The tree's pool; null until the tree first needed storage.
  const BindingPropertyPool* Pool() const { return pool_; }
  // The tree's pool, created when missing: for children a caller keeps beside the tree
  // (BindingProperty(detail::BindingChildTag{}, pool)), which must be destroyed before its root.
  BindingPropertyPool* TreePool() { return EnsurePool(); }

  // Empty 0; String its length in bytes; Blob its byte count; Collection its element count;
  // Structure its member count; other kinds 1.
  uint32_t Size() const;
  // Holds its kind's default: Empty, false, 0, 0.0 (not NaN), empty text/blob/container, an
  // enumerator of value 0.
  bool IsEmpty() const;

  // Getters return the default unchanged when the kind differs; they never convert.
  bool GetBool(bool default_value = false) const {
    return type_ == Type::Bool ? payload_.boolean != 0 : default_value;
  }
  int64_t GetSigned(int64_t default_value = 0) const {
    return type_ == Type::Signed ? payload_.signed_value : default_value;
  }
  uint64_t GetUnsigned(uint64_t default_value = 0) const {
    return type_ == Type::Unsigned ? payload_.unsigned_value : default_value;
  }
  double GetFloat(double default_value = 0.0) const {
    return type_ == Type::Float ? payload_.float_value : default_value;
  }
  // The interned text (NUL-terminated, valid while this value is unchanged).
  const char* GetString(const char* default_value = "") const {
    return type_ == Type::String ? payload_.string->text : default_value;
  }
  std::string_view GetStringView(std::string_view default_value = {}) const {
    return type_ == Type::String ? payload_.string->View() : default_value;
  }
  const BindingBlob& GetBlob(const BindingBlob& default_value) const {
    return type_ == Type::Blob ? *payload_.blob : default_value;
  }
  // An empty blob for another kind.
  const BindingBlob& GetBlob() const;
  const BindingEnumCell& GetEnum(const BindingEnumCell& default_value) const {
    return type_ == Type::Enum ? *payload_.enum_cell : default_value;
  }

  // Setters replace the previous content. Those that need storage create the root's pool when
  // missing and throw std::bad_alloc when storage cannot be had (the value is then Empty).
  void SetBool(bool value) noexcept;
  void SetSigned(int64_t value) noexcept;
  void SetSigned(int32_t value) noexcept { SetSigned(static_cast<int64_t>(value)); }
  template <typename T>
  requires(std::is_integral_v<T>&& std::is_signed_v<T> && !std::is_same_v<T, int32_t> &&
           !std::is_same_v<T, int64_t>) void SetSigned(T value) noexcept {
    SetSigned(static_cast<int64_t>(value));
  }
  void SetUnsigned(uint64_t value) noexcept;
  void SetUnsigned(uint32_t value) noexcept { SetUnsigned(static_cast<uint64_t>(value)); }
  template <typename T>
  requires(std::is_integral_v<T>&& std::is_unsigned_v<T> && !std::is_same_v<T, bool> &&
           !std::is_same_v<T, uint32_t> &&
           !std::is_same_v<T, uint64_t>) void SetUnsigned(T value) noexcept {
    SetUnsigned(static_cast<uint64_t>(value));
  }
  void SetFloat(double value) noexcept;
  // A null or empty text refers to the static empty record and creates no pool. The view and
  // (pointer, length) forms keep every byte, NULs included.
  void SetString(const char* text);
  void SetString(const std::string& text) { SetString(std::string_view(text)); }
  void SetString(std::string_view text);
  void SetString(const char* text, size_t length) { SetString(std::string_view(text, length)); }
  // Moves the bytes (the source is left empty) or copies them.
  void SetBlob(BindingBlob&& bytes);
  void SetBlob(const BindingBlob& bytes);
  void SetBlob(const void* bytes, size_t count);
  void SetEnum(int32_t value, const StaticTypeIdentity* identity);

  // Becomes an empty container of that kind unless it already is one (content is kept).
  void MakeCollection();
  void MakeStructure();

  // Collections only: capacity of at least `count`; std::length_error above kMaxCollectionSize.
  void Reserve(size_t count);
  // Read-only: the element, or Empty() when this is no collection or index >= Size().
  const BindingProperty& ElementAt(size_t index) const;
  // Growing: MakeCollection(), then Empty elements are appended until index is valid.
  BindingProperty& ElementAt(size_t index);
  // MakeCollection(), then one Empty element at the end.
  BindingProperty& Append();
  // The elements of a collection in order; empty for other kinds. Invalidated by growth.
  std::span<const BindingProperty> Elements() const;
  std::span<BindingProperty> Elements();

  // Read-only: the member, or Empty() when this is no structure or has no such member.
  const BindingProperty& MemberAt(const char* name) const {
    return MemberAt(std::string_view(name == nullptr ? "" : name));
  }
  const BindingProperty& MemberAt(const std::string& name) const {
    return MemberAt(std::string_view(name));
  }
  const BindingProperty& MemberAt(std::string_view name) const;
  const BindingProperty& MemberAt(const char* name, size_t length) const {
    return MemberAt(std::string_view(name, length));
  }
  // Inserting: MakeStructure(), then the member, created Empty when missing.
  BindingProperty& MemberAt(const char* name) {
    return MemberAt(std::string_view(name == nullptr ? "" : name));
  }
  BindingProperty& MemberAt(const std::string& name) { return MemberAt(std::string_view(name)); }
  BindingProperty& MemberAt(std::string_view name);
  BindingProperty& MemberAt(const char* name, size_t length) {
    return MemberAt(std::string_view(name, length));
  }
  // Inserting, named by all the bytes of a String value (Empty names ""): a String of this tree
  // lends its interned record to a new member instead of interning the text again.
  BindingProperty& MemberNamedBy(const BindingProperty& name);
  // Inserting, for readers that hashed the name while scanning it: `hash` must be
  // Fnv1a32(name); it spares hashing the name again when the member is new.
  BindingProperty& MemberAt(std::string_view name, uint32_t hash);
  // Structures only: room for `count` members (up to one storage run, see BindingStructure) so
  // that a reader that knows an object's size grows it once. A hint; never needed.
  void ReserveMembers(size_t count);
  // (name, value) pairs in ascending unsigned byte order of the names; empty for other kinds.
  BindingMemberRange<true> Members() const;
  BindingMemberRange<false> Members();

  // Depth-first walk (see BindingPropertyVisitor); any depth is safe.
  void Accept(BindingPropertyVisitor& visitor) const;

 private:
  union Payload {
    uint64_t unsigned_value;  // first, so that zero-initialising the union clears all 8 bytes
    uint8_t boolean;
    int64_t signed_value;
    double float_value;
    BindingInternedString* string;
    BindingBlob* blob;
    BindingEnumCell* enum_cell;
    detail::BindingCollection* collection;
    detail::BindingStructure* structure;
  };

  BindingPropertyPool* EnsurePool();
  // Releases the content, recursing to a bounded depth and walking iteratively below it.
  void ReleaseAt(int depth) noexcept;
  static void ReleaseDeep(BindingProperty& value) noexcept;
  void CopyAt(const BindingProperty& source, int depth);
  void AcceptAt(BindingPropertyVisitor& visitor, int depth) const;
  void AcceptDeep(BindingPropertyVisitor& visitor) const;
  void GrowCollection(size_t count);
  BindingProperty& InsertMember(std::string_view name, const uint32_t* hash);
  void ResetToEmpty() noexcept {
    payload_.unsigned_value = 0;
    type_ = Type::Empty;
  }

  Payload payload_;
  BindingPropertyPool* pool_;
  Type type_;
  bool owner_;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(BindingProperty) == 16, "BindingProperty is 16 bytes in the 32-bit ABIs");
#endif
static_assert(alignof(BindingProperty) == 8);

namespace detail {

// Elements live in one SDK-heap array; values relocate bitwise (nothing refers back to them).
struct BindingCollection {
  BindingProperty* data;
  uint32_t size;
  uint32_t capacity;
};

// Unsigned byte order of the names (the C library's string comparison), shorter first on a tie.
inline int CompareNames(std::string_view a, std::string_view b) {
  const size_t common = a.size() < b.size() ? a.size() : b.size();
  const int order = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
  if (order != 0) return order;
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

struct BindingMember {
  BindingInternedString* name;  // one reference
  BindingProperty value;
};

// A run of members in name order, in one SDK-heap block; members relocate bitwise.
struct alignas(8) BindingMemberChunk {
  uint32_t size;
  uint32_t capacity;
  BindingMember* Members() { return reinterpret_cast<BindingMember*>(this + 1); }
  const BindingMember* Members() const { return reinterpret_cast<const BindingMember*>(this + 1); }
};

template <bool kConst>
class BindingStructureIterator {
 public:
  using Member = std::conditional_t<kConst, const BindingMember, BindingMember>;
  BindingStructureIterator() = default;
  BindingStructureIterator(BindingMemberChunk* const* chunk, uint32_t index)
      : chunk_(chunk), index_(index) {}
  Member& operator*() const { return (*chunk_)->Members()[index_]; }
  Member* operator->() const { return &(*chunk_)->Members()[index_]; }
  BindingStructureIterator& operator++() {
    if (++index_ == (*chunk_)->size) {
      ++chunk_;
      index_ = 0;
    }
    return *this;
  }
  bool operator==(const BindingStructureIterator& other) const {
    return chunk_ == other.chunk_ && index_ == other.index_;
  }

 private:
  BindingMemberChunk* const* chunk_ = nullptr;
  uint32_t index_ = 0;
};

// The members of a structure in ascending name order: runs of at most kMaxChunk members, each
// run sorted and every run before the next, so an insertion moves at most one run's tail. The
// cell lives in the pool and never moves, so a lone run is held inline.
struct BindingStructure {
  static constexpr uint32_t kMaxChunk = 32;
  using iterator = BindingStructureIterator<false>;
  using const_iterator = BindingStructureIterator<true>;

  BindingMemberChunk** chunks;  // chunk_count runs; points at `single` while there is one
  BindingMemberChunk* single;
  uint32_t chunk_count;
  uint32_t chunk_capacity;
  uint32_t count;

  uint32_t size() const { return count; }
  iterator begin() { return iterator(chunks, 0); }
  iterator end() { return iterator(chunks + chunk_count, 0); }
  const_iterator begin() const { return const_iterator(chunks, 0); }
  const_iterator end() const { return const_iterator(chunks + chunk_count, 0); }

  // The member of that name, or null.
  const BindingMember* Find(std::string_view name) const;
  // Where the member of that name is or would go.
  struct Position {
    uint32_t chunk;
    uint32_t index;
    bool found;
  };
  Position Locate(std::string_view name) const;
  // Opens a slot at `at` (the member's name and value are the caller's to construct); throws
  // std::bad_alloc without a change when storage cannot be had.
  BindingMember* OpenSlot(Position at);
  // The place after every member, for names known to come last (copies).
  Position EndPosition() const {
    return Position{chunk_count == 0 ? 0 : chunk_count - 1,
                    chunk_count == 0 ? 0 : chunks[chunk_count - 1]->size, false};
  }
  BindingMember& At(Position at) { return chunks[at.chunk]->Members()[at.index]; }
  void Reserve(size_t members);
  // Frees the runs; the members must have been released.
  void FreeStorage() noexcept;
};

}  // namespace detail

template <bool kConst>
class BindingMemberIterator {
 public:
  using MapIterator = std::conditional_t<kConst, detail::BindingStructure::const_iterator,
                                         detail::BindingStructure::iterator>;
  using ValueReference = std::conditional_t<kConst, const BindingProperty&, BindingProperty&>;
  struct Entry {
    std::string_view name;  // NUL-terminated
    ValueReference value;
  };

  BindingMemberIterator() = default;
  explicit BindingMemberIterator(MapIterator it) : it_(it) {}
  Entry operator*() const { return Entry{it_->name->View(), it_->value}; }
  BindingMemberIterator& operator++() {
    ++it_;
    return *this;
  }
  bool operator==(const BindingMemberIterator& other) const { return it_ == other.it_; }

 private:
  MapIterator it_{};
};

template <bool kConst>
class BindingMemberRange {
 public:
  using Iterator = BindingMemberIterator<kConst>;
  BindingMemberRange() = default;
  BindingMemberRange(Iterator begin, Iterator end) : begin_(begin), end_(end) {}
  Iterator begin() const { return begin_; }
  Iterator end() const { return end_; }
  bool empty() const { return begin_ == end_; }

 private:
  Iterator begin_;
  Iterator end_;
};

inline BindingMemberRange<true> BindingProperty::Members() const {
  if (type_ != Type::Structure) return {};
  const detail::BindingStructure& map = *payload_.structure;
  return {BindingMemberIterator<true>(map.begin()), BindingMemberIterator<true>(map.end())};
}

inline BindingMemberRange<false> BindingProperty::Members() {
  if (type_ != Type::Structure) return {};
  detail::BindingStructure& map = *payload_.structure;
  return {BindingMemberIterator<false>(map.begin()), BindingMemberIterator<false>(map.end())};
}

inline std::span<const BindingProperty> BindingProperty::Elements() const {
  if (type_ != Type::Collection) return {};
  return {payload_.collection->data, payload_.collection->size};
}

inline std::span<BindingProperty> BindingProperty::Elements() {
  if (type_ != Type::Collection) return {};
  return {payload_.collection->data, payload_.collection->size};
}

}  // namespace Vorn
