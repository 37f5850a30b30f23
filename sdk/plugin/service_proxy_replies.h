// Service-proxy replies that no request has taken yet: at most kCapacity, the oldest dropped
// first, each found and replaced by its key in constant time. Not synchronised: the event
// client holds its service-proxy mutex around every use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>

#include "sdk/plugin/plugin_manager_records.h"

namespace Vorn::Client {

class ServiceProxyReplies {
 public:
  using Reply = AppModule::PluginServiceProxyResponse;
  static constexpr size_t kCapacity = 1024;

  // Stores the reply under `key`: it replaces an earlier reply of that key and, being the
  // newest, goes to the end of the arrival order. When full, the oldest reply is dropped.
  void Store(const std::string& key, Reply reply);

  // The oldest stored key that `keys` (a map by key) also holds, or null; walks whichever of
  // the two is smaller.
  template <typename Map>
  const std::string* OldestKeyIn(const Map& keys) const;

  // Removes and returns the reply of `key`.
  std::optional<Reply> Take(const std::string& key);
  void Clear();
  size_t size() const { return by_key_.size(); }

 private:
  struct Entry {
    std::string key;
    Reply reply;
    uint64_t arrival;
  };
  std::list<Entry> order_;  // oldest first
  std::unordered_map<std::string, std::list<Entry>::iterator> by_key_;
  uint64_t next_arrival_ = 0;
};

template <typename Map>
const std::string* ServiceProxyReplies::OldestKeyIn(const Map& keys) const {
  if (keys.size() < by_key_.size()) {
    const Entry* oldest = nullptr;
    for (const auto& candidate : keys) {
      auto found = by_key_.find(candidate.first);
      if (found == by_key_.end()) continue;
      if (oldest == nullptr || found->second->arrival < oldest->arrival) oldest = &*found->second;
    }
    return oldest == nullptr ? nullptr : &oldest->key;
  }
  for (const Entry& entry : order_) {
    if (keys.find(entry.key) != keys.end()) return &entry.key;
  }
  return nullptr;
}

}  // namespace Vorn::Client
