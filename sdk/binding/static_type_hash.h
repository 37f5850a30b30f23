// StaticType::HashCode<T>: the identity record of a native type, hashed at compile time from the
// compiler's own signature text of that function, so equal types agree in every module.
#pragma once

#include "sdk/binding/fnv1a.h"
#include "sdk/binding/static_type.h"

#if defined(_MSC_VER) && !defined(__clang__)
#define VORN_STATIC_TYPE_SIGNATURE __FUNCSIG__
#else
#define VORN_STATIC_TYPE_SIGNATURE __PRETTY_FUNCTION__
#endif

namespace StaticType {

// A type declares a readable name by specialising this to true (at namespace scope:
// `template <> inline constexpr bool StaticType::kHasReadableName<Vorn::Resource> = true;`);
// its identity record is then named by Name<T>() instead of "#%08X". The hash is unchanged.
template <typename T>
inline constexpr bool kHasReadableName = false;

// The signature text of this function, as the compiler spells it (static storage).
template <typename T>
constexpr const char* Name() {
  static_assert(kHasReadableName<T>, "StaticType::Name<T> needs kHasReadableName<T>");
  return VORN_STATIC_TYPE_SIGNATURE;
}

// The identity of T: the FNV-1a 32 of this function's signature text. The record is constant-
// initialised (no guard, safe from any thread) and lives until the process ends. Records are
// compared by hash; HashCode<void>() stands for no native type.
template <typename T>
const Vorn::StaticTypeIdentity& HashCode() {
  static constexpr uint32_t kHash = Vorn::Fnv1a32(VORN_STATIC_TYPE_SIGNATURE);
  if constexpr (kHasReadableName<T>) {
    static constexpr Vorn::StaticTypeIdentity kNamed(kHash, Name<T>());
    return kNamed;
  } else {
    static constexpr Vorn::StaticTypeIdentity kIdentity(kHash);
    return kIdentity;
  }
}

}  // namespace StaticType
