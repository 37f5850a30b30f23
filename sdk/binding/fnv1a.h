// FNV-1a 32, the SDK's one hash: type identities, field-name hashes and interned strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Vorn {

inline constexpr uint32_t kFnv1aOffsetBasis = 0x811c9dc5u;
inline constexpr uint32_t kFnv1aPrime = 16777619u;

constexpr uint32_t Fnv1a32(std::string_view text) {
  uint32_t hash = kFnv1aOffsetBasis;
  for (char c : text) {
    hash = (hash ^ static_cast<unsigned char>(c)) * kFnv1aPrime;
  }
  return hash;
}

}  // namespace Vorn
