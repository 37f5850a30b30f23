// BindingTypeCode: the codes of the native binding types, and the name texts that type
// identifiers and messages print for them.
#pragma once

#include <cstdint>

namespace Vorn {

enum class BindingTypeCode : uint32_t {
  None = 0,
  Bool = 1,
  Int8 = 2,
  UInt8 = 3,
  Int16 = 4,
  UInt16 = 5,
  Int32 = 6,
  UInt32 = 7,
  Int64 = 8,
  UInt64 = 9,
  Float = 10,
  Double = 11,
  String = 12,
  Object = 13,  // a BindingProperty
  Blob = 14,    // a byte vector
  Vector = 15,
  Enum = 16,
  Struct = 17,
  Callback = 18,
  Map = 19,  // string keys
};

// "bool", "int8", ... "map"; the empty text for any other code.
constexpr const char* BindingTypeCodeName(uint32_t code) {
  constexpr const char* kNames[] = {"",       "bool",   "int8",   "uint8",    "int16",
                                    "uint16", "int32",  "uint32", "int64",    "uint64",
                                    "float",  "double", "string", "object",   "blob",
                                    "vector", "enum",   "struct", "callback", "map"};
  return code < sizeof(kNames) / sizeof(kNames[0]) ? kNames[code] : "";
}
constexpr const char* BindingTypeCodeName(BindingTypeCode code) {
  return BindingTypeCodeName(static_cast<uint32_t>(code));
}

}  // namespace Vorn
