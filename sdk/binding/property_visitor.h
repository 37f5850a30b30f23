// The depth-first walk over a value: BindingProperty::Accept calls one of these per step.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "sdk/runtime/allocation.h"

namespace Vorn {

struct StaticTypeIdentity;

// Bytes of a Blob value; its storage is SDK heap.
using BindingBlob = std::vector<uint8_t, HookAllocator<uint8_t>>;

// The Enum payload: the enumerator's value and its enumeration's identity record.
struct BindingEnumCell {
  int32_t value;
  const StaticTypeIdentity* identity;
};

// Every operation returns true to go on; Accept ignores the answer. Texts and names are views
// of interned records: NUL-terminated, valid while the value is unchanged.
class BindingPropertyVisitor {
 public:
  virtual bool VisitEmpty() = 0;
  virtual bool VisitBool(bool value) = 0;
  virtual bool VisitSigned(int64_t value) = 0;
  virtual bool VisitUnsigned(uint64_t value) = 0;
  virtual bool VisitFloat(double value) = 0;
  virtual bool VisitString(std::string_view text) = 0;
  virtual bool VisitBlob(const BindingBlob& bytes) = 0;
  virtual bool VisitEnum(const BindingEnumCell& value) = 0;
  virtual bool BeginCollection(uint32_t count) = 0;
  virtual bool BeginElement(uint32_t index) = 0;
  virtual bool EndElement(uint32_t index) = 0;
  virtual bool EndCollection() = 0;
  virtual bool BeginStructure(uint32_t count) = 0;
  virtual bool BeginMember(std::string_view name) = 0;
  virtual bool EndMember(std::string_view name) = 0;
  virtual bool EndStructure() = 0;
  virtual ~BindingPropertyVisitor() = default;
};

}  // namespace Vorn
