// Compile-time classification of native types into binding type codes, and the descriptor that
// a registration or a conversion derives from a native type.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "sdk/binding/binding_callback.h"
#include "sdk/binding/binding_property.h"
#include "sdk/binding/binding_registry.h"
#include "sdk/binding/binding_type_descriptor.h"
#include "sdk/binding/static_type_hash.h"

namespace Vorn {
namespace detail {

template <typename T>
struct VectorTraits : std::false_type {};
template <typename U, typename A>
struct VectorTraits<std::vector<U, A>> : std::true_type {
  using Element = U;
};

template <typename T>
struct StringMapTraits : std::false_type {};
template <typename U, typename H, typename E, typename A>
struct StringMapTraits<std::unordered_map<std::string, U, H, E, A>> : std::true_type {
  using Element = U;
};
template <typename U, typename C, typename A>
struct StringMapTraits<std::map<std::string, U, C, A>> : std::true_type {
  using Element = U;
};

template <typename T>
struct OptionalTraits : std::false_type {};
template <typename U>
struct OptionalTraits<std::optional<U>> : std::true_type {
  using Wrapped = U;
};

// Integers that stand for numbers; the character types and bool do not.
template <typename T>
concept BindingInteger =
    std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char> &&
    !std::is_same_v<T, wchar_t> && !std::is_same_v<T, char8_t> && !std::is_same_v<T, char16_t> &&
    !std::is_same_v<T, char32_t> && sizeof(T) <= 8;

template <typename T>
concept BindingByteVector =
    VectorTraits<T>::value && std::is_same_v<typename VectorTraits<T>::Element, uint8_t>;

template <typename T>
concept BindingVector = VectorTraits<T>::value && !BindingByteVector<T>;

template <typename T>
concept BindingStringMap = StringMapTraits<T>::value;

template <typename T>
concept BindingOptional = OptionalTraits<T>::value;

template <typename T>
concept BindingEnumeration = std::is_enum_v<T> &&
    (sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8);

// Any other class is a record, converted through its registered fields.
template <typename T>
concept BindingRecord =
    std::is_class_v<T> && !std::is_same_v<T, std::string> && !std::is_same_v<T, BindingProperty> &&
    !std::is_same_v<T, BindingCallbackHandle> && !VectorTraits<T>::value &&
    !StringMapTraits<T>::value && !OptionalTraits<T>::value;

template <typename T>
consteval BindingTypeCode IntegerCode() {
  if constexpr (std::is_signed_v<T>) {
    return sizeof(T) == 1   ? BindingTypeCode::Int8
           : sizeof(T) == 2 ? BindingTypeCode::Int16
           : sizeof(T) == 4 ? BindingTypeCode::Int32
                            : BindingTypeCode::Int64;
  } else {
    return sizeof(T) == 1   ? BindingTypeCode::UInt8
           : sizeof(T) == 2 ? BindingTypeCode::UInt16
           : sizeof(T) == 4 ? BindingTypeCode::UInt32
                            : BindingTypeCode::UInt64;
  }
}

template <typename T>
inline constexpr bool kUnsupportedBindingType = false;

}  // namespace detail

// The type code of a native type; an optional wrapper has the code of what it wraps.
template <typename T>
consteval BindingTypeCode BindingTypeCodeOf() {
  using U = std::remove_cv_t<T>;
  if constexpr (std::is_same_v<U, bool>) {
    return BindingTypeCode::Bool;
  } else if constexpr (detail::BindingInteger<U>) {
    return detail::IntegerCode<U>();
  } else if constexpr (std::is_same_v<U, float>) {
    return BindingTypeCode::Float;
  } else if constexpr (std::is_same_v<U, double>) {
    return BindingTypeCode::Double;
  } else if constexpr (std::is_same_v<U, std::string>) {
    return BindingTypeCode::String;
  } else if constexpr (std::is_same_v<U, BindingProperty>) {
    return BindingTypeCode::Object;
  } else if constexpr (detail::BindingByteVector<U>) {
    return BindingTypeCode::Blob;
  } else if constexpr (detail::BindingVector<U>) {
    return BindingTypeCode::Vector;
  } else if constexpr (detail::BindingEnumeration<U>) {
    return BindingTypeCode::Enum;
  } else if constexpr (std::is_same_v<U, BindingCallbackHandle>) {
    return BindingTypeCode::Callback;
  } else if constexpr (detail::BindingStringMap<U>) {
    return BindingTypeCode::Map;
  } else if constexpr (detail::BindingOptional<U>) {
    return BindingTypeCodeOf<typename detail::OptionalTraits<U>::Wrapped>();
  } else if constexpr (detail::BindingRecord<U>) {
    return BindingTypeCode::Struct;
  } else {
    static_assert(detail::kUnsupportedBindingType<T>, "no binding type for this native type");
    return BindingTypeCode::None;
  }
}

// Element types of vectors and maps: anything but another vector, map or optional (a descriptor
// holds one level of nesting).
template <typename T>
concept BindingElementType =
    !detail::BindingVector<T> && !detail::BindingStringMap<T> && !detail::BindingOptional<T> &&
    BindingTypeCodeOf<T>() != BindingTypeCode::None;

namespace detail {

template <typename T>
const BindingTypeRecord* RegisteredRecordOf(const BindingRegistry* registry) {
  return registry == nullptr ? nullptr : registry->FindTypeByIdentity(StaticType::HashCode<T>());
}

template <typename T>
consteval bool NeedsRecord() {
  constexpr BindingTypeCode code = BindingTypeCodeOf<T>();
  return code == BindingTypeCode::Enum || code == BindingTypeCode::Struct;
}

}  // namespace detail

// The descriptor of native type T: records of enumerations and records (or of the element of a
// vector or map) are looked up in `registry` by identity now; null when not registered yet (or
// when `registry` is null).
template <typename T>
BindingTypeDescriptor DescribeBindingType(const BindingRegistry* registry) {
  using U = std::remove_cv_t<T>;
  if constexpr (detail::BindingOptional<U>) {
    return DescribeBindingType<typename detail::OptionalTraits<U>::Wrapped>(registry);
  } else if constexpr (detail::BindingVector<U> || detail::BindingStringMap<U>) {
    using Element = typename std::conditional_t<detail::BindingVector<U>, detail::VectorTraits<U>,
                                                detail::StringMapTraits<U>>::Element;
    static_assert(BindingElementType<Element>, "vectors and maps nest one level only");
    BindingTypeDescriptor descriptor{BindingTypeCodeOf<U>(), BindingTypeCodeOf<Element>(), nullptr};
    if constexpr (detail::NeedsRecord<Element>()) {
      descriptor.record = detail::RegisteredRecordOf<Element>(registry);
    }
    return descriptor;
  } else {
    BindingTypeDescriptor descriptor{BindingTypeCodeOf<U>(), BindingTypeCode::None, nullptr};
    if constexpr (detail::NeedsRecord<U>()) {
      descriptor.record = detail::RegisteredRecordOf<U>(registry);
    }
    return descriptor;
  }
}

}  // namespace Vorn
