// The registry's records of one enumeration or record type, its fields and its enumerators.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sdk/binding/binding_converter.h"
#include "sdk/binding/binding_type_descriptor.h"
#include "sdk/binding/static_type.h"

namespace Vorn {

class BindingRegistry;
struct BindingTypeRecord;

// Bits of BindingFieldRecord::flags; other bits carry no meaning.
struct BindingFieldFlags {
  // Native to value leaves the member out when its value IsEmpty().
  static constexpr uint32_t OmitIfEmpty = 1;
  // Value to native fails when the member is missing or Empty.
  static constexpr uint32_t Required = 2;
};

struct BindingFieldRecord {
  std::string name;
  uint32_t name_hash = 0;  // FNV-1a 32 of name
  std::string description;
  const StaticTypeIdentity* identity = nullptr;  // of the field's native type
  uint32_t offset = 0;                           // in the native record
  BindingTypeDescriptor type;
  // Shown by the host's binding table in place of `type` when its code is not None; conversion
  // and help use `type`.
  BindingTypeDescriptor extra_type;
  uint32_t flags = 0;  // BindingFieldFlags
  std::unique_ptr<BindingConverter> converter;
  const BindingTypeRecord* owner = nullptr;
  // The native field is an optional wrapper (help shows it).
  bool optional = false;
};

struct BindingEnumValueRecord {
  int32_t value = 0;
  std::string name;
  std::string description;
  const BindingTypeRecord* owner = nullptr;
};

// Lives as long as its registry, at a fixed address. Filled during registration on the loading
// thread; read-only (and so safe to read from any thread) afterwards.
struct BindingTypeRecord {
  // Native size; for an enumeration the width of its integer (1, 2, 4 or 8).
  uint32_t size = 0;
  bool is_enum = false;
  std::string name;  // the registered name, unique in the registry
  uint32_t hash = 0;
  const StaticTypeIdentity* identity = nullptr;
  std::string name_space;
  std::string description;
  std::vector<std::string> tags;
  std::vector<BindingFieldRecord> fields;  // records, in registration order
  // Enumerations: by name, in unsigned byte order.
  std::map<std::string, BindingEnumValueRecord, std::less<>> values;
  BindingRegistry* registry = nullptr;

  // Whether some enumerator has this value.
  bool DefinesValue(int32_t value) const;
};

}  // namespace Vorn
