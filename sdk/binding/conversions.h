// Conversion between native values and BindingProperty: the primitive entry points (with their
// exact messages), records driven by their registered fields, and the typed forms for any
// native binding type.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "sdk/binding/binding_converter.h"
#include "sdk/binding/binding_native_type.h"
#include "sdk/binding/binding_registry.h"
#include "sdk/binding/binding_result.h"
#include "sdk/binding/binding_type_record.h"
#include "sdk/binding/conversion_message.h"
#include "sdk/binding/static_type_hash.h"

namespace Vorn {

// Inclusive bounds of a numeric target and the type name its messages print.
struct BindingSignedRange {
  const char* type_name;
  int64_t min;
  int64_t max;
};
struct BindingUnsignedRange {
  const char* type_name;
  uint64_t max;
};
struct BindingFloatRange {
  const char* type_name;
  double min;
  double max;
};

inline constexpr BindingSignedRange kBindingInt8Range{"int8", -128, 127};
inline constexpr BindingSignedRange kBindingInt16Range{"int16", -32768, 32767};
inline constexpr BindingSignedRange kBindingInt32Range{"int32", INT32_MIN, INT32_MAX};
inline constexpr BindingSignedRange kBindingInt64Range{"int64", INT64_MIN, INT64_MAX};
inline constexpr BindingUnsignedRange kBindingUInt8Range{"uint8", 255};
inline constexpr BindingUnsignedRange kBindingUInt16Range{"uint16", 65535};
inline constexpr BindingUnsignedRange kBindingUInt32Range{"uint32", UINT32_MAX};
inline constexpr BindingUnsignedRange kBindingUInt64Range{"uint64", UINT64_MAX};
inline constexpr BindingFloatRange kBindingFloatRange{"float", -3.4028234663852886e38,
                                                      3.4028234663852886e38};
inline constexpr BindingFloatRange kBindingDoubleRange{"double", -1.7976931348623157e308,
                                                       1.7976931348623157e308};

// Value to native for the primitive targets. Each does nothing and gives nullopt when `result`
// has already failed; otherwise gives the native outcome, or fails `result` with the message of
// the rule and gives nullopt. `name` is the '%1' of the messages (never joined into a path).
//
// Integers: Signed, Unsigned, Float (truncated toward zero; NaN and values whose truncation
// would not fit are out of range), String (C notation: decimal, 0x hexadecimal, 0 octal,
// leading blanks and a sign) and Enum inputs, range-checked against `range`.
std::optional<int64_t> AssignSigned(BindingResult& result, const BindingProperty& value,
                                    const char* name, const BindingSignedRange& range);
std::optional<uint64_t> AssignUnsigned(BindingResult& result, const BindingProperty& value,
                                       const char* name, const BindingUnsignedRange& range);
// Floats: integers widen; Float and String (strtod) are checked against `range`.
std::optional<double> AssignFloat(BindingResult& result, const BindingProperty& value,
                                  const char* name, const BindingFloatRange& range);
// Bool, or one of the texts "1", "true", "0", "false".
std::optional<bool> AssignBool(BindingResult& result, const BindingProperty& value,
                               const char* name);
// String, or an Enum named through `names` (may be null).
std::optional<std::string> AssignString(BindingResult& result, const BindingProperty& value,
                                        const char* name, const BindingEnumNameLookup* names);
// Blob, or a String of Base64 characters (decoded).
std::optional<std::vector<uint8_t>> AssignBlob(BindingResult& result, const BindingProperty& value,
                                               const char* name);
// An enumerator of `enumeration`: a number, an enumerator name or number text, or an Enum, each
// accepted only when `enumeration` defines the value. A null `enumeration` (not registered)
// defines nothing; its messages then name it `unregistered_name`.
std::optional<int32_t> AssignEnumerator(BindingResult& result, const BindingProperty& value,
                                        const char* name, const BindingTypeRecord* enumeration,
                                        const char* unregistered_name = "");

// A whole record through its registered fields. `type` null means not registered. The result
// starts ok and Empty and ends holding a Structure, or failed.
void ToValue(BindingResult& result, const BindingTypeRecord* type, const void* native_record);
// Assigns the members of `value` to the fields of the native record, in registration order;
// fields without a member keep their native value. Fields assigned before a failure stay.
void FromValue(BindingResult& result, void* native_record, const BindingProperty& value,
               const char* name, const BindingTypeRecord* type);
// One field's native object through the field's converter.
void ToValue(BindingResult& result, const void* native_field, const BindingFieldRecord& field);

namespace detail {

// The record rules, writing into `out` (see BindingConverter::ToValue).
bool WriteRecord(BindingResult& result, BindingProperty& out, const BindingTypeRecord* type,
                 const void* native_record);
void AssignRecord(BindingResult& result, void* native_record, const BindingProperty& value,
                  const char* name, const BindingTypeRecord* type);

// The enumerator value at the native width: 1 and 2 bytes signed, 8 bytes its low 32 bits.
template <typename E>
int32_t EnumeratorValue(E native) {
  using Signed = std::make_signed_t<std::underlying_type_t<E>>;
  return static_cast<int32_t>(static_cast<Signed>(native));
}
// The native enumerator of a 32-bit value; the 8-byte form sign-extended.
template <typename E>
E EnumeratorOf(int32_t value) {
  using Signed = std::make_signed_t<std::underlying_type_t<E>>;
  return static_cast<E>(static_cast<Signed>(value));
}

template <typename T>
consteval auto RangeOf() {
  constexpr BindingTypeCode code = BindingTypeCodeOf<T>();
  if constexpr (code == BindingTypeCode::Int8)
    return kBindingInt8Range;
  else if constexpr (code == BindingTypeCode::Int16)
    return kBindingInt16Range;
  else if constexpr (code == BindingTypeCode::Int32)
    return kBindingInt32Range;
  else if constexpr (code == BindingTypeCode::Int64)
    return kBindingInt64Range;
  else if constexpr (code == BindingTypeCode::UInt8)
    return kBindingUInt8Range;
  else if constexpr (code == BindingTypeCode::UInt16)
    return kBindingUInt16Range;
  else if constexpr (code == BindingTypeCode::UInt32)
    return kBindingUInt32Range;
  else if constexpr (code == BindingTypeCode::UInt64)
    return kBindingUInt64Range;
  else if constexpr (code == BindingTypeCode::Float)
    return kBindingFloatRange;
  else
    return kBindingDoubleRange;
}

inline BindingTypeDescriptor ElementDescriptor(const BindingTypeDescriptor& type) {
  return {type.element_code, BindingTypeCode::None, type.record};
}

// The rules of one native type. ToValue writes into `out` (an Empty value) and returns false
// after failing `result`; Assign follows the value-to-native rules.
template <typename T>
struct NativeConversion;

template <typename T>
requires(BindingInteger<T>) struct NativeConversion<T> {
  static bool ToValue(BindingResult&, BindingProperty& out, const T& native,
                      const BindingTypeDescriptor&) {
    if constexpr (std::is_signed_v<T>) {
      out.SetSigned(static_cast<int64_t>(native));
    } else {
      out.SetUnsigned(static_cast<uint64_t>(native));
    }
    return true;
  }
  static void Assign(BindingResult& result, T& native, const BindingProperty& value,
                     const char* name, const BindingTypeDescriptor&, const BindingEnumNameLookup*) {
    if constexpr (std::is_signed_v<T>) {
      if (auto outcome = AssignSigned(result, value, name, RangeOf<T>())) {
        native = static_cast<T>(*outcome);
      }
    } else {
      if (auto outcome = AssignUnsigned(result, value, name, RangeOf<T>())) {
        native = static_cast<T>(*outcome);
      }
    }
  }
};

template <typename T>
requires(std::is_same_v<T, float> || std::is_same_v<T, double>) struct NativeConversion<T> {
  static bool ToValue(BindingResult&, BindingProperty& out, const T& native,
                      const BindingTypeDescriptor&) {
    out.SetFloat(static_cast<double>(native));
    return true;
  }
  static void Assign(BindingResult& result, T& native, const BindingProperty& value,
                     const char* name, const BindingTypeDescriptor&, const BindingEnumNameLookup*) {
    // In range, so a float target only rounds.
    if (auto outcome = AssignFloat(result, value, name, RangeOf<T>())) {
      native = static_cast<T>(*outcome);
    }
  }
};

template <>
struct NativeConversion<bool> {
  static bool ToValue(BindingResult&, BindingProperty& out, const bool& native,
                      const BindingTypeDescriptor&) {
    out.SetBool(native);
    return true;
  }
  static void Assign(BindingResult& result, bool& native, const BindingProperty& value,
                     const char* name, const BindingTypeDescriptor&, const BindingEnumNameLookup*) {
    if (auto outcome = AssignBool(result, value, name)) native = *outcome;
  }
};

template <>
struct NativeConversion<std::string> {
  static bool ToValue(BindingResult&, BindingProperty& out, const std::string& native,
                      const BindingTypeDescriptor&) {
    out.SetString(native);
    return true;
  }
  static void Assign(BindingResult& result, std::string& native, const BindingProperty& value,
                     const char* name, const BindingTypeDescriptor&,
                     const BindingEnumNameLookup* names) {
    if (auto outcome = AssignString(result, value, name, names)) native = std::move(*outcome);
  }
};

template <>
struct NativeConversion<BindingProperty> {
  static bool ToValue(BindingResult&, BindingProperty& out, const BindingProperty& native,
                      const BindingTypeDescriptor&) {
    out.CopyFrom(native);
    return true;
  }
  static void Assign(BindingResult& result, BindingProperty& native, const BindingProperty& value,
                     const char*, const BindingTypeDescriptor&, const BindingEnumNameLookup*) {
    native.Clear();
    if (result.Ok()) native.CopyFrom(value);
  }
};

template <>
struct NativeConversion<BindingCallbackHandle> {
  static bool ToValue(BindingResult&, BindingProperty& out, const BindingCallbackHandle& native,
                      const BindingTypeDescriptor&) {
    out.SetUnsigned(native.id);
    return true;
  }
  static void Assign(BindingResult& result, BindingCallbackHandle& native,
                     const BindingProperty& value, const char* name, const BindingTypeDescriptor&,
                     const BindingEnumNameLookup*) {
    if (auto outcome = AssignUnsigned(result, value, name, kBindingUInt32Range)) {
      native.id = static_cast<uint32_t>(*outcome);
    }
  }
};

template <typename T>
requires(BindingByteVector<T>) struct NativeConversion<T> {
  static bool ToValue(BindingResult&, BindingProperty& out, const T& native,
                      const BindingTypeDescriptor&) {
    out.SetBlob(native.data(), native.size());
    return true;
  }
  static void Assign(BindingResult& result, T& native, const BindingProperty& value,
                     const char* name, const BindingTypeDescriptor&, const BindingEnumNameLookup*) {
    if (auto outcome = AssignBlob(result, value, name)) {
      native.assign(outcome->begin(), outcome->end());
    }
  }
};

template <typename T>
requires(BindingEnumeration<T>) struct NativeConversion<T> {
  static bool ToValue(BindingResult&, BindingProperty& out, const T& native,
                      const BindingTypeDescriptor& type) {
    const StaticTypeIdentity* identity =
        type.record != nullptr ? type.record->identity : &StaticType::HashCode<T>();
    out.SetEnum(EnumeratorValue(native), identity);
    return true;
  }
  static void Assign(BindingResult& result, T& native, const BindingProperty& value,
                     const char* name, const BindingTypeDescriptor& type,
                     const BindingEnumNameLookup*) {
    if (auto outcome =
            AssignEnumerator(result, value, name, type.record, StaticType::HashCode<T>().name)) {
      native = EnumeratorOf<T>(*outcome);
    }
  }
};

template <typename T>
requires(BindingRecord<T>) struct NativeConversion<T> {
  static bool ToValue(BindingResult& result, BindingProperty& out, const T& native,
                      const BindingTypeDescriptor& type) {
    return WriteRecord(result, out, type.record, &native);
  }
  static void Assign(BindingResult& result, T& native, const BindingProperty& value,
                     const char* name, const BindingTypeDescriptor& type,
                     const BindingEnumNameLookup*) {
    AssignRecord(result, &native, value, name, type.record);
  }
};

template <typename T>
requires(BindingVector<T>) struct NativeConversion<T> {
  using Element = typename VectorTraits<T>::Element;
  using ElementConversion = NativeConversion<Element>;

  static bool ToValue(BindingResult& result, BindingProperty& out, const T& native,
                      const BindingTypeDescriptor& type) {
    const BindingTypeDescriptor element_type = ElementDescriptor(type);
    out.MakeCollection();
    out.Reserve(native.size());
    for (const Element& element : native) {
      if (!ElementConversion::ToValue(result, out.Append(), element, element_type)) return false;
    }
    return true;
  }
  static void Assign(BindingResult& result, T& native, const BindingProperty& value,
                     const char* name, const BindingTypeDescriptor& type,
                     const BindingEnumNameLookup* names) {
    native.clear();
    if (!result.Ok()) return;
    if (value.GetType() != BindingProperty::Type::Collection) {
      const bool required =
          std::is_same_v<Element, bool> && value.GetType() == BindingProperty::Type::Empty;
      FailConversion(result,
                     required ? ConversionMessage::kRequired : ConversionMessage::kNotACollection,
                     name);
      return;
    }
    const BindingTypeDescriptor element_type = ElementDescriptor(type);
    const std::span<const BindingProperty> elements = value.Elements();
    native.resize(elements.size());
    for (size_t i = 0; i < elements.size() && result.Ok(); ++i) {
      if (elements[i].GetType() == BindingProperty::Type::Empty) continue;
      if constexpr (std::is_same_v<Element, bool>) {
        bool bit = false;
        ElementConversion::Assign(result, bit, elements[i], name, element_type, names);
        native[i] = bit;
      } else {
        ElementConversion::Assign(result, native[i], elements[i], name, element_type, names);
      }
    }
  }
};

template <typename T>
requires(BindingStringMap<T>) struct NativeConversion<T> {
  using Element = typename StringMapTraits<T>::Element;
  using ElementConversion = NativeConversion<Element>;

  static bool ToValue(BindingResult& result, BindingProperty& out, const T& native,
                      const BindingTypeDescriptor& type) {
    const BindingTypeDescriptor element_type = ElementDescriptor(type);
    out.MakeStructure();
    for (const auto& [key, element] : native) {
      if (!ElementConversion::ToValue(result, out.MemberAt(key), element, element_type)) {
        return false;
      }
    }
    return true;
  }
  static void Assign(BindingResult& result, T& native, const BindingProperty& value,
                     const char* name, const BindingTypeDescriptor& type,
                     const BindingEnumNameLookup* names) {
    native.clear();
    if (!result.Ok()) return;
    if (value.GetType() != BindingProperty::Type::Structure) {
      FailConversion(result, ConversionMessage::kMapNotAStructure, name);
      return;
    }
    const BindingTypeDescriptor element_type = ElementDescriptor(type);
    for (const auto& member : value.Members()) {
      if (member.value.GetType() == BindingProperty::Type::Empty) continue;
      ElementConversion::Assign(result, native[std::string(member.name)], member.value, name,
                                element_type, names);
      if (!result.Ok()) return;
    }
  }
};

template <typename T>
requires(BindingOptional<T>) struct NativeConversion<T> {
  using Wrapped = typename OptionalTraits<T>::Wrapped;

  // A missing value is Empty.
  static bool ToValue(BindingResult& result, BindingProperty& out, const T& native,
                      const BindingTypeDescriptor& type) {
    return !native.has_value() || NativeConversion<Wrapped>::ToValue(result, out, *native, type);
  }
  // An Empty input makes the value missing; anything else is assigned by the wrapped rule.
  static void Assign(BindingResult& result, T& native, const BindingProperty& value,
                     const char* name, const BindingTypeDescriptor& type,
                     const BindingEnumNameLookup* names) {
    if (!result.Ok()) return;
    if (value.GetType() == BindingProperty::Type::Empty) {
      native.reset();
      return;
    }
    if (!native.has_value()) native.emplace();
    NativeConversion<Wrapped>::Assign(result, *native, value, name, type, names);
  }
};

}  // namespace detail

// The converter of native type T, as fields, arguments and results own it.
template <typename T>
class BindingTypedConverter final : public BindingConverter {
 public:
  void Assign(BindingResult& result, void* native, const BindingProperty& value, const char* name,
              const BindingTypeDescriptor& type,
              const BindingEnumNameLookup* names) const override {
    detail::NativeConversion<T>::Assign(result, *static_cast<T*>(native), value, name, type, names);
  }
  bool ToValue(BindingResult& result, BindingProperty& out, const void* native,
               const BindingTypeDescriptor& type) const override {
    return detail::NativeConversion<T>::ToValue(result, out, *static_cast<const T*>(native), type);
  }
};

template <typename T>
std::unique_ptr<BindingConverter> MakeBindingConverter() {
  return std::make_unique<BindingTypedConverter<std::remove_cv_t<T>>>();
}

// Native to value of any binding type; records and enumerations are looked up in `registry`
// by identity. Does nothing when `result` has already failed.
template <typename T>
void ToValue(BindingResult& result, const T& native, const BindingRegistry& registry) {
  if (!result.Ok()) return;
  result.Value().Clear();
  detail::NativeConversion<T>::ToValue(result, result.Value(), native,
                                       DescribeBindingType<T>(&registry));
}

// Value to native of any binding type, in place; `name` is the '%1' of the messages ("<value>",
// an argument's name). `registry` also names enumerators for string targets.
template <typename T>
void FromValue(BindingResult& result, T& native, const BindingProperty& value, const char* name,
               const BindingRegistry& registry) {
  detail::NativeConversion<T>::Assign(result, native, value, name,
                                      DescribeBindingType<T>(&registry), &registry);
}

}  // namespace Vorn
