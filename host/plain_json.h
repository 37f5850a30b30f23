// The host's reading and writing of plain values as JSON, with its own code rather than the
// plugin's conversions. Blobs appear as the one-member object {"$blob": "<Base64>"}.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/boundary_records.h"
#include "host/host_result.h"

namespace Vorn::Host {

// Keeps member order as the plugin wrote it.
using Json = nlohmann::ordered_json;

// Deepest nesting either direction accepts, the root being level 1.
inline constexpr size_t kMaxPlainDepth = 512;
// Largest element or member count the host reads from a plugin's record.
inline constexpr uint32_t kMaxPlainCount = 1u << 24;

// Reads a plain value the plugin produced. Never trusts it: a null text, a null array with a
// non-zero count, an unknown kind or too deep a nesting fails with a message naming where.
[[nodiscard]] HostResult<Json> DecodePlain(const PlainValue& value);

// Owns every text and array of the plain values it builds; they stay valid until it dies.
// Strings become StringRef and blobs BlobRef, since the host, not the record, owns them.
class PlainArena {
 public:
  PlainArena() = default;
  PlainArena(const PlainArena&) = delete;
  PlainArena& operator=(const PlainArena&) = delete;

  [[nodiscard]] HostResult<PlainValue> Encode(const Json& value);
  // A NUL-terminated copy that lives as long as the arena.
  const char* Keep(std::string text);
  // `count` zeroed records that live as long as the arena.
  template <class T>
  T* KeepArray(size_t count) {
    std::shared_ptr<T[]> block(new T[count]());
    blocks_.push_back(block);
    return block.get();
  }

 private:
  HostStatus EncodeInto(const Json& value, PlainValue& out, size_t depth);

  std::deque<std::string> texts_;
  std::deque<std::vector<uint8_t>> blobs_;
  std::vector<std::shared_ptr<void>> blocks_;
};

}  // namespace Vorn::Host
