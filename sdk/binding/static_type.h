// The identity record of a native type: a stable 32-bit hash and a printable name. Enum values
// refer to the record of their enumeration.
#pragma once

#include <cstdint>

namespace Vorn {

// One record per native type, a function-local static that lives until the process ends.
// Records are compared by hash, never by address. Not copyable: `name` may point into the
// record's own buffer.
struct StaticTypeIdentity {
  uint32_t hash;
  const char* name;
  // "#%08X" of the hash, NUL-terminated; `name` points here unless a signature text is given.
  char hash_text[12];

  explicit constexpr StaticTypeIdentity(uint32_t type_hash)
      : hash(type_hash), name(hash_text), hash_text{} {
    constexpr char kDigits[] = "0123456789ABCDEF";
    hash_text[0] = '#';
    for (int i = 0; i < 8; ++i) {
      hash_text[1 + i] = kDigits[(type_hash >> (28 - 4 * i)) & 0xF];
    }
  }
  // A record whose name is a signature text (static storage) rather than the hash.
  constexpr StaticTypeIdentity(uint32_t type_hash, const char* signature_text)
      : StaticTypeIdentity(type_hash) {
    name = signature_text;
  }
  StaticTypeIdentity(const StaticTypeIdentity&) = delete;
  StaticTypeIdentity& operator=(const StaticTypeIdentity&) = delete;
};

}  // namespace Vorn
