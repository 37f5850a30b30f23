// Storage, copying, teardown and the walk of BindingProperty trees. Containers recurse up to
// kMaxNestingDepth levels and continue with an explicit stack below that, so no tree built
// through the interface can exhaust the call stack.
#include "sdk/binding/binding_property.h"

#include <memory>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "sdk/binding/nesting_limit.h"

namespace Vorn {
namespace {

constinit const BindingProperty g_empty_value;

// Builds a copy from the events of a walk; used below the recursion limit.
class CopyBuilder final : public BindingPropertyVisitor {
 public:
  explicit CopyBuilder(BindingProperty& target) : current_(&target) {}

  bool VisitEmpty() override {
    current_->Clear();
    return true;
  }
  bool VisitBool(bool value) override {
    current_->SetBool(value);
    return true;
  }
  bool VisitSigned(int64_t value) override {
    current_->SetSigned(value);
    return true;
  }
  bool VisitUnsigned(uint64_t value) override {
    current_->SetUnsigned(value);
    return true;
  }
  bool VisitFloat(double value) override {
    current_->SetFloat(value);
    return true;
  }
  bool VisitString(std::string_view text) override {
    current_->SetString(text);
    return true;
  }
  bool VisitBlob(const BindingBlob& bytes) override {
    current_->SetBlob(bytes);
    return true;
  }
  bool VisitEnum(const BindingEnumCell& value) override {
    current_->SetEnum(value.value, value.identity);
    return true;
  }
  bool BeginCollection(uint32_t count) override {
    current_->Clear();
    current_->MakeCollection();
    current_->Reserve(count);
    return true;
  }
  bool BeginElement(uint32_t) override {
    stack_.push_back(current_);
    current_ = &current_->Append();
    return true;
  }
  bool EndElement(uint32_t) override { return Pop(); }
  bool EndCollection() override { return true; }
  bool BeginStructure(uint32_t) override {
    current_->Clear();
    current_->MakeStructure();
    return true;
  }
  bool BeginMember(std::string_view name) override {
    stack_.push_back(current_);
    current_ = &current_->MemberAt(name);
    return true;
  }
  bool EndMember(std::string_view) override { return Pop(); }
  bool EndStructure() override { return true; }

 private:
  bool Pop() {
    current_ = stack_.back();
    stack_.pop_back();
    return true;
  }

  BindingProperty* current_;
  std::vector<BindingProperty*> stack_;
};

// The record of a text of a value stored in `from`, for a value stored in `to`: within one tree
// it takes a reference, between trees it is interned (its hash is known).
BindingInternedString* CopiedText(BindingPropertyPool* to, const BindingPropertyPool* from,
                                  BindingInternedString* text) {
  if (to == from) {
    to->Retain(text);
    return text;
  }
  return to->InternHashed(text->View(), text->hash);
}

// A new Empty member at `at` under `key`, a name on which the caller holds a reference that the
// member takes over (released again when the insertion fails).
BindingProperty& OpenMember(detail::BindingStructure& structure,
                            detail::BindingStructure::Position at, BindingInternedString* key,
                            BindingPropertyPool* pool) {
  detail::BindingMember* member;
  try {
    member = structure.OpenSlot(at);
  } catch (...) {
    pool->Release(key);
    throw;
  }
  member->name = key;
  return *new (&member->value) BindingProperty(detail::BindingChildTag{}, pool);
}

constexpr const char* kTypeNames[] = {"empty",  "bool", "signed", "unsigned",   "float",
                                      "string", "blob", "enum",   "collection", "structure"};

}  // namespace

const char* BindingProperty::TypeName(uint32_t type) {
  return type < 10 ? kTypeNames[type] : "";
}

const BindingProperty& BindingProperty::Empty() {
  return g_empty_value;
}

const BindingBlob& BindingProperty::GetBlob() const {
  static const BindingBlob empty;
  return type_ == Type::Blob ? *payload_.blob : empty;
}

BindingProperty::BindingProperty(const BindingProperty& other) : BindingProperty() {
  CopyAt(other, 0);
}

BindingProperty::BindingProperty(BindingProperty&& other) : BindingProperty() {
  MoveFrom(other);
}

BindingProperty::~BindingProperty() {
  ReleaseAt(0);
  if (owner_) delete pool_;
}

BindingPropertyPool* BindingProperty::EnsurePool() {
  if (pool_ == nullptr) pool_ = new BindingPropertyPool();
  return pool_;
}

// ---- teardown ----

void BindingProperty::Clear() noexcept {
  ReleaseAt(0);
}

void BindingProperty::ReleaseAt(int depth) noexcept {
  switch (type_) {
    case Type::String:
      // An empty text may live in a root that never made a pool.
      if (payload_.string != BindingInternedString::Empty()) pool_->Release(payload_.string);
      break;
    case Type::Blob:
      std::destroy_at(payload_.blob);
      pool_->Free(payload_.blob, sizeof(BindingBlob));
      break;
    case Type::Enum:
      pool_->Free(payload_.enum_cell, sizeof(BindingEnumCell));
      break;
    case Type::Collection: {
      if (depth >= kMaxNestingDepth) return ReleaseDeep(*this);
      detail::BindingCollection* collection = payload_.collection;
      for (uint32_t i = 0; i < collection->size; ++i)
        collection->data[i].ReleaseAt(depth + 1);
      Vorn::Free(collection->data);
      pool_->Free(collection, sizeof(detail::BindingCollection));
      break;
    }
    case Type::Structure: {
      if (depth >= kMaxNestingDepth) return ReleaseDeep(*this);
      detail::BindingStructure* structure = payload_.structure;
      for (auto& [name, value] : *structure) {
        pool_->Release(name);
        value.ReleaseAt(depth + 1);
      }
      structure->FreeStorage();
      pool_->Free(structure, sizeof(detail::BindingStructure));
      break;
    }
    default:
      break;
  }
  ResetToEmpty();
}

void BindingProperty::ReleaseDeep(BindingProperty& value) noexcept {
  // Containers are detached onto a work list and taken apart one at a time.
  struct Detached {
    Payload payload;
    Type type;
  };
  BindingPropertyPool* pool = value.pool_;
  std::vector<Detached> work;
  auto detach = [&work](BindingProperty& child) {
    if (child.type_ == Type::Collection || child.type_ == Type::Structure) {
      work.push_back(Detached{child.payload_, child.type_});
      child.ResetToEmpty();
    } else {
      child.ReleaseAt(0);
    }
  };
  detach(value);
  while (!work.empty()) {
    const Detached item = work.back();
    work.pop_back();
    if (item.type == Type::Collection) {
      detail::BindingCollection* collection = item.payload.collection;
      for (uint32_t i = 0; i < collection->size; ++i)
        detach(collection->data[i]);
      Vorn::Free(collection->data);
      pool->Free(collection, sizeof(detail::BindingCollection));
    } else {
      detail::BindingStructure* structure = item.payload.structure;
      for (auto& [name, member] : *structure) {
        pool->Release(name);
        detach(member);
      }
      structure->FreeStorage();
      pool->Free(structure, sizeof(detail::BindingStructure));
    }
  }
}

// ---- copy and move ----

void BindingProperty::CopyFrom(const BindingProperty& source) {
  if (&source == this) return;
  if (source.pool_ != nullptr && source.pool_ == pool_ &&
      (source.type_ == Type::Collection || source.type_ == Type::Structure)) {
    // The same tree: the source may lie inside this value (or contain it), so rebuilding in
    // place would read what it is freeing. Copy through a separate tree.
    const BindingProperty snapshot(source);
    CopyAt(snapshot, 0);
    return;
  }
  CopyAt(source, 0);
}

void BindingProperty::CopyFromDisjoint(const BindingProperty& source) {
  if (&source != this) CopyAt(source, 0);
}

void BindingProperty::CopyAt(const BindingProperty& source, int depth) {
  switch (source.type_) {
    case Type::Bool:
    case Type::Signed:
    case Type::Unsigned:
    case Type::Float: {
      const Payload payload = source.payload_;
      const Type type = source.type_;
      ReleaseAt(0);
      payload_ = payload;
      type_ = type;
      break;
    }
    case Type::String: {
      BindingInternedString* text = source.payload_.string;
      BindingInternedString* record = text->length == 0
                                          ? BindingInternedString::Empty()
                                          : CopiedText(EnsurePool(), source.pool_, text);
      ReleaseAt(0);
      payload_.string = record;
      type_ = Type::String;
      break;
    }
    case Type::Blob:
      SetBlob(*source.payload_.blob);
      break;
    case Type::Enum:
      SetEnum(source.payload_.enum_cell->value, source.payload_.enum_cell->identity);
      break;
    case Type::Collection: {
      if (depth >= kMaxNestingDepth) {
        CopyBuilder builder(*this);
        source.Accept(builder);
        break;
      }
      const detail::BindingCollection& from = *source.payload_.collection;
      ReleaseAt(0);
      MakeCollection();
      Reserve(from.size);
      detail::BindingCollection* to = payload_.collection;
      for (uint32_t i = 0; i < from.size; ++i) {
        BindingProperty* element =
            new (&to->data[i]) BindingProperty(detail::BindingChildTag{}, pool_);
        to->size = i + 1;
        element->CopyAt(from.data[i], depth + 1);
      }
      break;
    }
    case Type::Structure: {
      if (depth >= kMaxNestingDepth) {
        CopyBuilder builder(*this);
        source.Accept(builder);
        break;
      }
      ReleaseAt(0);
      MakeStructure();
      detail::BindingStructure& to = *payload_.structure;
      to.Reserve(source.payload_.structure->size());
      for (const auto& [name, value] : *source.payload_.structure) {
        // Source members come in order, so each goes in at the end without a search.
        OpenMember(to, to.EndPosition(), CopiedText(pool_, source.pool_, name), pool_)
            .CopyAt(value, depth + 1);
      }
      break;
    }
    default:
      ReleaseAt(0);
      break;
  }
}

void BindingProperty::MoveFrom(BindingProperty& source) {
  if (&source == this) return;
  if (owner_ && source.owner_) {
    std::swap(payload_, source.payload_);
    std::swap(pool_, source.pool_);
    std::swap(type_, source.type_);
    source.Clear();
    return;
  }
  if (source.pool_ != nullptr && source.pool_ == pool_) {
    // The same tree: clearing the source first keeps this value's rebuild from reading freed
    // storage when the source lies inside it.
    BindingProperty snapshot(source);
    source.Clear();
    CopyAt(snapshot, 0);
    return;
  }
  CopyAt(source, 0);
  source.Clear();
}

// ---- inspection ----

uint32_t BindingProperty::Size() const {
  switch (type_) {
    case Type::Empty:
      return 0;
    case Type::String:
      return payload_.string->length;
    case Type::Blob:
      return static_cast<uint32_t>(payload_.blob->size());
    case Type::Collection:
      return payload_.collection->size;
    case Type::Structure:
      return payload_.structure->size();
    default:
      return 1;
  }
}

bool BindingProperty::IsEmpty() const {
  switch (type_) {
    case Type::Empty:
      return true;
    case Type::Bool:
      return payload_.boolean == 0;
    case Type::Signed:
    case Type::Unsigned:
      return payload_.unsigned_value == 0;
    case Type::Float:
      return payload_.float_value == 0.0;
    case Type::Enum:
      return payload_.enum_cell->value == 0;
    default:
      return Size() == 0;
  }
}

// ---- setters ----

void BindingProperty::SetBool(bool value) noexcept {
  ReleaseAt(0);
  payload_.boolean = value ? 1 : 0;
  type_ = Type::Bool;
}

void BindingProperty::SetSigned(int64_t value) noexcept {
  ReleaseAt(0);
  payload_.signed_value = value;
  type_ = Type::Signed;
}

void BindingProperty::SetUnsigned(uint64_t value) noexcept {
  ReleaseAt(0);
  payload_.unsigned_value = value;
  type_ = Type::Unsigned;
}

void BindingProperty::SetFloat(double value) noexcept {
  ReleaseAt(0);
  payload_.float_value = value;
  type_ = Type::Float;
}

void BindingProperty::SetString(const char* text) {
  SetString(text == nullptr ? std::string_view() : std::string_view(text));
}

void BindingProperty::SetString(std::string_view text) {
  BindingInternedString* record =
      text.empty() ? BindingInternedString::Empty() : EnsurePool()->Intern(text);
  ReleaseAt(0);
  payload_.string = record;
  type_ = Type::String;
}

namespace {

template <typename... Args>
BindingBlob* NewBlobCell(BindingPropertyPool* pool, Args&&... args) {
  void* cell = pool->Allocate(sizeof(BindingBlob));
  if (cell == nullptr) throw std::bad_alloc();
  try {
    return new (cell) BindingBlob(std::forward<Args>(args)...);
  } catch (...) {
    pool->Free(cell, sizeof(BindingBlob));
    throw;
  }
}

}  // namespace

void BindingProperty::SetBlob(BindingBlob&& bytes) {
  BindingBlob* cell = NewBlobCell(EnsurePool(), std::move(bytes));
  ReleaseAt(0);
  payload_.blob = cell;
  type_ = Type::Blob;
}

void BindingProperty::SetBlob(const BindingBlob& bytes) {
  BindingBlob* cell = NewBlobCell(EnsurePool(), bytes);
  ReleaseAt(0);
  payload_.blob = cell;
  type_ = Type::Blob;
}

void BindingProperty::SetBlob(const void* bytes, size_t count) {
  const uint8_t* begin = static_cast<const uint8_t*>(bytes);
  BindingBlob* cell =
      count == 0 ? NewBlobCell(EnsurePool()) : NewBlobCell(EnsurePool(), begin, begin + count);
  ReleaseAt(0);
  payload_.blob = cell;
  type_ = Type::Blob;
}

void BindingProperty::SetEnum(int32_t value, const StaticTypeIdentity* identity) {
  void* cell = EnsurePool()->Allocate(sizeof(BindingEnumCell));
  if (cell == nullptr) throw std::bad_alloc();
  ReleaseAt(0);
  payload_.enum_cell = new (cell) BindingEnumCell{value, identity};
  type_ = Type::Enum;
}

// ---- collections ----

void BindingProperty::MakeCollection() {
  if (type_ == Type::Collection) return;
  void* cell = EnsurePool()->Allocate(sizeof(detail::BindingCollection));
  if (cell == nullptr) throw std::bad_alloc();
  ReleaseAt(0);
  payload_.collection = new (cell) detail::BindingCollection{nullptr, 0, 0};
  type_ = Type::Collection;
}

void BindingProperty::GrowCollection(size_t count) {
  detail::BindingCollection* collection = payload_.collection;
  // Elements relocate bitwise: nothing points back into the array.
  void* data =
      Vorn::Reallocate(static_cast<void*>(collection->data), count * sizeof(BindingProperty));
  if (data == nullptr) throw std::bad_alloc();
  collection->data = static_cast<BindingProperty*>(data);
  collection->capacity = static_cast<uint32_t>(count);
}

void BindingProperty::Reserve(size_t count) {
  if (type_ != Type::Collection) return;
  if (count > kMaxCollectionSize) throw std::length_error("BindingProperty::Reserve");
  if (count > payload_.collection->capacity) GrowCollection(count);
}

const BindingProperty& BindingProperty::ElementAt(size_t index) const {
  if (type_ != Type::Collection || index >= payload_.collection->size) return Empty();
  return payload_.collection->data[index];
}

BindingProperty& BindingProperty::ElementAt(size_t index) {
  MakeCollection();
  detail::BindingCollection* collection = payload_.collection;
  if (index < collection->size) return collection->data[index];
  if (index >= kMaxCollectionSize) throw std::length_error("BindingProperty::ElementAt");
  if (index >= collection->capacity) {
    const size_t doubled = static_cast<size_t>(collection->capacity) * 2;
    GrowCollection(doubled > index + 1 && doubled <= kMaxCollectionSize ? doubled : index + 1);
  }
  for (size_t i = collection->size; i <= index; ++i) {
    new (&collection->data[i]) BindingProperty(detail::BindingChildTag{}, pool_);
  }
  collection->size = static_cast<uint32_t>(index + 1);
  return collection->data[index];
}

BindingProperty& BindingProperty::Append() {
  MakeCollection();
  detail::BindingCollection* collection = payload_.collection;
  if (collection->size == collection->capacity) {
    if (collection->size >= kMaxCollectionSize) throw std::length_error("BindingProperty::Append");
    const size_t doubled =
        collection->capacity < 4 ? 4 : static_cast<size_t>(collection->capacity) * 2;
    GrowCollection(doubled <= kMaxCollectionSize ? doubled : kMaxCollectionSize);
  }
  BindingProperty* element =
      new (&collection->data[collection->size]) BindingProperty(detail::BindingChildTag{}, pool_);
  ++collection->size;
  return *element;
}

// ---- structures ----

void BindingProperty::MakeStructure() {
  if (type_ == Type::Structure) return;
  BindingPropertyPool* pool = EnsurePool();
  void* cell = pool->Allocate(sizeof(detail::BindingStructure));
  if (cell == nullptr) throw std::bad_alloc();
  ReleaseAt(0);
  auto* structure = new (cell) detail::BindingStructure{nullptr, nullptr, 0, 0, 0};
  structure->chunks = &structure->single;
  payload_.structure = structure;
  type_ = Type::Structure;
}

void BindingProperty::ReserveMembers(size_t count) {
  if (type_ == Type::Structure) payload_.structure->Reserve(count);
}

const BindingProperty& BindingProperty::MemberAt(std::string_view name) const {
  if (type_ != Type::Structure) return Empty();
  const detail::BindingMember* member = payload_.structure->Find(name);
  return member == nullptr ? Empty() : member->value;
}

BindingProperty& BindingProperty::MemberAt(std::string_view name) {
  return InsertMember(name, nullptr);
}

BindingProperty& BindingProperty::MemberAt(std::string_view name, uint32_t hash) {
  return InsertMember(name, &hash);
}

BindingProperty& BindingProperty::InsertMember(std::string_view name, const uint32_t* hash) {
  MakeStructure();
  detail::BindingStructure& structure = *payload_.structure;
  const detail::BindingStructure::Position at = structure.Locate(name);
  if (at.found) return structure.At(at).value;
  return OpenMember(structure, at,
                    hash == nullptr ? pool_->Intern(name) : pool_->Intern(name, *hash), pool_);
}

BindingProperty& BindingProperty::MemberNamedBy(const BindingProperty& name) {
  MakeStructure();
  const std::string_view text = name.GetStringView();
  if (name.type_ != Type::String || name.pool_ != pool_ || text.empty()) return MemberAt(text);
  detail::BindingStructure& structure = *payload_.structure;
  const detail::BindingStructure::Position at = structure.Locate(text);
  if (at.found) return structure.At(at).value;
  pool_->Retain(name.payload_.string);
  return OpenMember(structure, at, name.payload_.string, pool_);
}

// ---- walk ----

void BindingProperty::Accept(BindingPropertyVisitor& visitor) const {
  AcceptAt(visitor, 0);
}

void BindingProperty::AcceptAt(BindingPropertyVisitor& visitor, int depth) const {
  switch (type_) {
    case Type::Empty:
      visitor.VisitEmpty();
      break;
    case Type::Bool:
      visitor.VisitBool(payload_.boolean != 0);
      break;
    case Type::Signed:
      visitor.VisitSigned(payload_.signed_value);
      break;
    case Type::Unsigned:
      visitor.VisitUnsigned(payload_.unsigned_value);
      break;
    case Type::Float:
      visitor.VisitFloat(payload_.float_value);
      break;
    case Type::String:
      visitor.VisitString(payload_.string->View());
      break;
    case Type::Blob:
      visitor.VisitBlob(*payload_.blob);
      break;
    case Type::Enum:
      visitor.VisitEnum(*payload_.enum_cell);
      break;
    case Type::Collection: {
      if (depth >= kMaxNestingDepth) return AcceptDeep(visitor);
      const detail::BindingCollection& collection = *payload_.collection;
      visitor.BeginCollection(collection.size);
      for (uint32_t i = 0; i < collection.size; ++i) {
        visitor.BeginElement(i);
        collection.data[i].AcceptAt(visitor, depth + 1);
        visitor.EndElement(i);
      }
      visitor.EndCollection();
      break;
    }
    case Type::Structure: {
      if (depth >= kMaxNestingDepth) return AcceptDeep(visitor);
      const detail::BindingStructure& structure = *payload_.structure;
      visitor.BeginStructure(structure.size());
      for (const auto& [name, value] : structure) {
        visitor.BeginMember(name->View());
        value.AcceptAt(visitor, depth + 1);
        visitor.EndMember(name->View());
      }
      visitor.EndStructure();
      break;
    }
    default:
      break;
  }
}

void BindingProperty::AcceptDeep(BindingPropertyVisitor& visitor) const {
  struct Frame {
    const BindingProperty* node;
    uint32_t index;
    bool open;  // a child's Begin was sent and its End is due
    detail::BindingStructure::const_iterator member;
  };
  std::vector<Frame> stack;
  // Scalars are visited at once; containers open a frame.
  auto enter = [&](const BindingProperty& node) {
    if (node.type_ == Type::Collection) {
      visitor.BeginCollection(node.payload_.collection->size);
      stack.push_back(Frame{&node, 0, false, {}});
    } else if (node.type_ == Type::Structure) {
      visitor.BeginStructure(node.payload_.structure->size());
      stack.push_back(Frame{&node, 0, false, std::as_const(*node.payload_.structure).begin()});
    } else {
      node.AcceptAt(visitor, 0);
    }
  };
  enter(*this);
  while (!stack.empty()) {
    Frame& frame = stack.back();
    const BindingProperty* child;
    if (frame.node->type_ == Type::Collection) {
      const detail::BindingCollection& collection = *frame.node->payload_.collection;
      if (frame.open) {
        visitor.EndElement(frame.index++);
        frame.open = false;
      }
      if (frame.index == collection.size) {
        visitor.EndCollection();
        stack.pop_back();
        continue;
      }
      visitor.BeginElement(frame.index);
      child = &collection.data[frame.index];
    } else {
      const detail::BindingStructure& structure = *frame.node->payload_.structure;
      if (frame.open) {
        visitor.EndMember(frame.member->name->View());
        ++frame.member;
        frame.open = false;
      }
      if (frame.member == structure.end()) {
        visitor.EndStructure();
        stack.pop_back();
        continue;
      }
      visitor.BeginMember(frame.member->name->View());
      child = &frame.member->value;
    }
    frame.open = true;
    enter(*child);  // may grow the stack: `frame` is not used after this
  }
}

}  // namespace Vorn
