// The bounded table of unclaimed service-proxy replies.
#include "sdk/plugin/service_proxy_replies.h"

#include <utility>

namespace Vorn::Client {

void ServiceProxyReplies::Store(const std::string& key, Reply reply) {
  auto found = by_key_.find(key);
  if (found != by_key_.end()) {
    found->second->reply = std::move(reply);
    found->second->arrival = next_arrival_++;
    order_.splice(order_.end(), order_, found->second);
    return;
  }
  if (by_key_.size() >= kCapacity) {
    by_key_.erase(order_.front().key);
    order_.pop_front();
  }
  order_.push_back(Entry{key, std::move(reply), next_arrival_++});
  by_key_.emplace(key, std::prev(order_.end()));
}

std::optional<ServiceProxyReplies::Reply> ServiceProxyReplies::Take(const std::string& key) {
  auto found = by_key_.find(key);
  if (found == by_key_.end()) return std::nullopt;
  std::optional<Reply> reply(std::move(found->second->reply));
  order_.erase(found->second);
  by_key_.erase(found);
  return reply;
}

void ServiceProxyReplies::Clear() {
  by_key_ = {};
  order_.clear();
}

}  // namespace Vorn::Client
