// ToPlain, FromPlain and the freeing of plain records. Recursion is bounded by the nesting
// limit; deeper trees (built through the interface, never read from outside) are walked with
// an explicit stack.
#include "sdk/binding/plain_value.h"

#include <cstring>
#include <new>
#include <vector>

#include "sdk/binding/nesting_limit.h"
#include "sdk/runtime/allocation.h"
#include "sdk/runtime/format_text.h"

namespace Vorn {
namespace {

constexpr const char* kPlainKindNames[] = {"",      "bool",       "signed",   "unsigned",
                                           "float", "string",     "string",   "blob",
                                           "blob",  "collection", "structure"};

// A zeroed array of `count` records from the hooks (kind 0, keys null and not owned).
template <typename T>
T* NewPlainArray(uint32_t count) {
  if (count == 0) return nullptr;
  void* block = Vorn::Allocate(static_cast<size_t>(count) * sizeof(T));
  if (block == nullptr) throw std::bad_alloc();
  std::memset(block, 0, static_cast<size_t>(count) * sizeof(T));
  return static_cast<T*>(block);
}

char* CopyText(std::string_view text) {
  char* copy = Vorn::DuplicateText(text.data(), text.size());
  if (copy == nullptr) throw std::bad_alloc();
  return copy;
}

void SetRef(BindingPlainValue& out, uint32_t kind, const void* data, uint32_t count) {
  out.kind = kind;
  out.payload.ref.data = data;
  out.payload.ref.count = count;
}

class PlainWriter {
 public:
  explicit PlainWriter(const BindingEnumNameLookup* names) : names_(names) {}

  // Fills a scalar kind; false for containers.
  bool FillScalar(BindingPlainValue& out, const BindingProperty& value) const {
    switch (value.GetType()) {
      case BindingProperty::Type::Bool:
        out.kind = kBindingPlainBool;
        out.payload.boolean = value.GetBool() ? 1 : 0;
        return true;
      case BindingProperty::Type::Signed:
        out.kind = kBindingPlainSigned;
        out.payload.signed_value = value.GetSigned();
        return true;
      case BindingProperty::Type::Unsigned:
        out.kind = kBindingPlainUnsigned;
        out.payload.unsigned_value = value.GetUnsigned();
        return true;
      case BindingProperty::Type::Float:
        out.kind = kBindingPlainFloat;
        out.payload.float_value = value.GetFloat();
        return true;
      case BindingProperty::Type::String: {
        const std::string_view text = value.GetStringView();
        SetRef(out, kBindingPlainString, CopyText(text), static_cast<uint32_t>(text.size()));
        return true;
      }
      case BindingProperty::Type::Blob:
        FillBlob(out, value.GetBlob());
        return true;
      case BindingProperty::Type::Enum:
        FillEnum(out, value.GetEnum(BindingEnumCell{}));
        return true;
      case BindingProperty::Type::Collection:
      case BindingProperty::Type::Structure:
        return false;
      default:
        out.kind = kBindingPlainEmpty;
        return true;
    }
  }

  void FillBlob(BindingPlainValue& out, const BindingBlob& bytes) const {
    const uint32_t count = static_cast<uint32_t>(bytes.size());
    uint8_t* copy = NewPlainArray<uint8_t>(count);
    if (count != 0) std::memcpy(copy, bytes.data(), count);
    SetRef(out, kBindingPlainBlob, copy, count);
  }

  void FillEnum(BindingPlainValue& out, const BindingEnumCell& cell) const {
    const char* name = names_ != nullptr && cell.identity != nullptr
                           ? names_->FindEnumeratorName(*cell.identity, cell.value)
                           : nullptr;
    if (name != nullptr) {
      const std::string_view text(name);
      SetRef(out, kBindingPlainString, CopyText(text), static_cast<uint32_t>(text.size()));
    } else {
      out.kind = kBindingPlainSigned;
      out.payload.signed_value = cell.value;
    }
  }

  BindingPlainValue* BeginCollection(BindingPlainValue& out, uint32_t count) const {
    BindingPlainValue* elements = NewPlainArray<BindingPlainValue>(count);
    SetRef(out, kBindingPlainCollection, elements, count);
    return elements;
  }

  BindingPlainMember* BeginStructure(BindingPlainValue& out, uint32_t count) const {
    BindingPlainMember* members = NewPlainArray<BindingPlainMember>(count);
    SetRef(out, kBindingPlainStructure, members, count);
    return members;
  }

  static void FillKey(BindingPlainMember& member, std::string_view name) {
    member.key = CopyText(name);
    member.key_owned = 1;
  }

  void Fill(BindingPlainValue& out, const BindingProperty& value, int depth) const;

 private:
  const BindingEnumNameLookup* names_;
};

// Builds the plain form from the events of a walk; used below the recursion limit.
class PlainBuilder final : public BindingPropertyVisitor {
 public:
  PlainBuilder(const PlainWriter& writer, BindingPlainValue& out)
      : writer_(writer), current_(&out) {}

  bool VisitEmpty() override {
    current_->kind = kBindingPlainEmpty;
    return true;
  }
  bool VisitBool(bool value) override {
    current_->kind = kBindingPlainBool;
    current_->payload.boolean = value ? 1 : 0;
    return true;
  }
  bool VisitSigned(int64_t value) override {
    current_->kind = kBindingPlainSigned;
    current_->payload.signed_value = value;
    return true;
  }
  bool VisitUnsigned(uint64_t value) override {
    current_->kind = kBindingPlainUnsigned;
    current_->payload.unsigned_value = value;
    return true;
  }
  bool VisitFloat(double value) override {
    current_->kind = kBindingPlainFloat;
    current_->payload.float_value = value;
    return true;
  }
  bool VisitString(std::string_view text) override {
    SetRef(*current_, kBindingPlainString, CopyText(text), static_cast<uint32_t>(text.size()));
    return true;
  }
  bool VisitBlob(const BindingBlob& bytes) override {
    writer_.FillBlob(*current_, bytes);
    return true;
  }
  bool VisitEnum(const BindingEnumCell& value) override {
    writer_.FillEnum(*current_, value);
    return true;
  }
  bool BeginCollection(uint32_t count) override {
    frames_.push_back(Frame{current_, 0});
    writer_.BeginCollection(*current_, count);
    return true;
  }
  bool BeginElement(uint32_t index) override {
    current_ = &static_cast<BindingPlainValue*>(
        const_cast<void*>(frames_.back().node->payload.ref.data))[index];
    return true;
  }
  bool EndElement(uint32_t) override { return true; }
  bool EndCollection() override { return Pop(); }
  bool BeginStructure(uint32_t count) override {
    frames_.push_back(Frame{current_, 0});
    writer_.BeginStructure(*current_, count);
    return true;
  }
  bool BeginMember(std::string_view name) override {
    Frame& frame = frames_.back();
    BindingPlainMember& member = static_cast<BindingPlainMember*>(
        const_cast<void*>(frame.node->payload.ref.data))[frame.next++];
    PlainWriter::FillKey(member, name);
    current_ = &member.value;
    return true;
  }
  bool EndMember(std::string_view) override { return true; }
  bool EndStructure() override { return Pop(); }

 private:
  struct Frame {
    BindingPlainValue* node;
    uint32_t next;
  };
  bool Pop() {
    current_ = frames_.back().node;
    frames_.pop_back();
    return true;
  }

  const PlainWriter& writer_;
  BindingPlainValue* current_;
  std::vector<Frame> frames_;
};

void PlainWriter::Fill(BindingPlainValue& out, const BindingProperty& value, int depth) const {
  if (FillScalar(out, value)) return;
  if (depth >= kMaxNestingDepth) {
    PlainBuilder builder(*this, out);
    value.Accept(builder);
    return;
  }
  if (value.GetType() == BindingProperty::Type::Collection) {
    const std::span<const BindingProperty> elements = value.Elements();
    BindingPlainValue* array = BeginCollection(out, static_cast<uint32_t>(elements.size()));
    for (size_t i = 0; i < elements.size(); ++i)
      Fill(array[i], elements[i], depth + 1);
  } else {
    BindingPlainMember* member = BeginStructure(out, value.Size());
    for (const auto& [name, child] : value.Members()) {
      FillKey(*member, name);
      Fill(member->value, child, depth + 1);
      ++member;
    }
  }
}

// ---- freeing ----

void FreeDeep(BindingPlainValue& value) noexcept;

void FreeAt(BindingPlainValue& value, int depth) noexcept {
  const uint32_t kind = value.kind;
  void* data = const_cast<void*>(value.payload.ref.data);
  const uint32_t count = value.payload.ref.count;
  switch (kind) {
    case kBindingPlainString:
    case kBindingPlainBlob:
      Vorn::Free(data);
      break;
    case kBindingPlainCollection:
      if (depth >= kMaxNestingDepth) return FreeDeep(value);
      if (data != nullptr) {
        BindingPlainValue* elements = static_cast<BindingPlainValue*>(data);
        for (uint32_t i = 0; i < count; ++i)
          FreeAt(elements[i], depth + 1);
      }
      Vorn::Free(data);
      break;
    case kBindingPlainStructure:
      if (depth >= kMaxNestingDepth) return FreeDeep(value);
      if (data != nullptr) {
        BindingPlainMember* members = static_cast<BindingPlainMember*>(data);
        for (uint32_t i = 0; i < count; ++i) {
          if (members[i].key_owned != 0) Vorn::Free(const_cast<char*>(members[i].key));
          FreeAt(members[i].value, depth + 1);
        }
      }
      Vorn::Free(data);
      break;
    default:
      break;
  }
  std::memset(&value, 0, sizeof(value));
}

void FreeDeep(BindingPlainValue& value) noexcept {
  // Arrays are detached onto a work list and freed one at a time.
  std::vector<BindingPlainValue> work;
  auto detach = [&work](BindingPlainValue& item) {
    const uint32_t kind = item.kind;
    if (kind == kBindingPlainCollection || kind == kBindingPlainStructure) {
      work.push_back(item);
      std::memset(&item, 0, sizeof(item));
    } else {
      FreeAt(item, 0);
    }
  };
  detach(value);
  while (!work.empty()) {
    const BindingPlainValue item = work.back();
    work.pop_back();
    void* data = const_cast<void*>(item.payload.ref.data);
    const uint32_t count = item.payload.ref.count;
    if (data != nullptr) {
      if (item.kind == kBindingPlainCollection) {
        BindingPlainValue* elements = static_cast<BindingPlainValue*>(data);
        for (uint32_t i = 0; i < count; ++i)
          detach(elements[i]);
      } else {
        BindingPlainMember* members = static_cast<BindingPlainMember*>(data);
        for (uint32_t i = 0; i < count; ++i) {
          if (members[i].key_owned != 0) Vorn::Free(const_cast<char*>(members[i].key));
          detach(members[i].value);
        }
      }
    }
    Vorn::Free(data);
  }
}

// ---- reading ----

bool Fail(BindingPlainResult* sink, const std::string& message) {
  if (sink != nullptr) SetPlainError(*sink, message);
  return false;
}

bool FromPlainAt(BindingPlainResult* sink, BindingProperty& target, const BindingPlainValue& plain,
                 const char* name, int level) {
  const uint32_t kind = plain.kind;
  switch (kind) {
    case kBindingPlainEmpty:
      target.Clear();
      return true;
    case kBindingPlainBool:
      target.SetBool(plain.payload.boolean != 0);
      return true;
    case kBindingPlainSigned:
      target.SetSigned(static_cast<int64_t>(plain.payload.signed_value));
      return true;
    case kBindingPlainUnsigned:
      target.SetUnsigned(static_cast<uint64_t>(plain.payload.unsigned_value));
      return true;
    case kBindingPlainFloat:
      target.SetFloat(static_cast<double>(plain.payload.float_value));
      return true;
    case kBindingPlainStringRef:
    case kBindingPlainString:
      target.SetString(static_cast<const char*>(plain.payload.ref.data));
      return true;
    default:
      break;
  }
  const void* data = plain.payload.ref.data;
  const uint32_t count = plain.payload.ref.count;
  const bool malformed = data == nullptr && count != 0;
  switch (kind) {
    case kBindingPlainBlobRef:
    case kBindingPlainBlob:
      if (malformed) break;
      target.SetBlob(data, count);
      return true;
    case kBindingPlainCollection: {
      if (malformed || count > BindingProperty::kMaxCollectionSize) break;
      if (level > kMaxNestingDepth) {
        return Fail(sink, FormatText("Couldn't assign value to '%1' because the input is nested "
                                     "too deeply.",
                                     name));
      }
      target.MakeCollection();
      target.Reserve(count);
      const BindingPlainValue* elements = static_cast<const BindingPlainValue*>(data);
      for (uint32_t i = 0; i < count; ++i) {
        if (!FromPlainAt(sink, target.ElementAt(i), elements[i], name, level + 1)) return false;
      }
      return true;
    }
    case kBindingPlainStructure: {
      if (malformed || count > BindingProperty::kMaxCollectionSize) break;
      if (level > kMaxNestingDepth) {
        return Fail(sink, FormatText("Couldn't assign value to '%1' because the input is nested "
                                     "too deeply.",
                                     name));
      }
      target.MakeStructure();
      const BindingPlainMember* members = static_cast<const BindingPlainMember*>(data);
      for (uint32_t i = 0; i < count; ++i) {
        const char* key = members[i].key;
        if (!FromPlainAt(sink, target.MemberAt(key == nullptr ? "" : key), members[i].value, name,
                         level + 1)) {
          return false;
        }
      }
      return true;
    }
    default:
      return Fail(sink, FormatText("Couldn't assign value to '%1' of type object because the "
                                   "input is of an incompatible type '%2'.",
                                   name, PlainKindName(kind)));
  }
  return Fail(sink,
              FormatText("Couldn't assign value to '%1' because the input is malformed.", name));
}

}  // namespace

const char* PlainKindName(uint32_t kind) {
  return kind <= 10 ? kPlainKindNames[kind] : "";
}

BindingPlainValue ToPlain(const BindingProperty& value, const BindingEnumNameLookup* names) {
  BindingPlainValue out;
  std::memset(&out, 0, sizeof(out));
  try {
    PlainWriter(names).Fill(out, value, 0);
  } catch (...) {
    FreePlainValue(out);
    throw;
  }
  return out;
}

bool FromPlain(BindingPlainResult* sink, BindingProperty& target, const BindingPlainValue& plain,
               const char* name) {
  return FromPlainAt(sink, target, plain, name == nullptr ? "" : name, 1);
}

void FreePlainValue(BindingPlainValue& value) noexcept {
  FreeAt(value, 0);
}

void FreePlainResult(BindingPlainResult& result) noexcept {
  FreePlainValue(result.value);
  if (result.failed != 0) Vorn::Free(const_cast<char*>(result.error));
  std::memset(&result, 0, sizeof(result));
}

void SetPlainError(BindingPlainResult& result, std::string_view message) {
  FreePlainValue(result.value);
  char* copy = Vorn::DuplicateText(message.data(), message.size());
  if (result.failed != 0) Vorn::Free(const_cast<char*>(result.error));
  result.error = copy;  // null only when the hooks are out of memory; still a failure
  result.failed = 1;
}

}  // namespace Vorn
