// Resource events: listeners by exact path, then by pattern.
#include "sdk/plugin/plugin_event_client.h"

namespace Vorn::Client {
namespace {

// "*" consumes the run up to the next "/" (empty only when a "/" follows); every other
// character must match; both texts must end together.
bool MatchesPattern(std::string_view pattern, std::string_view path) {
  size_t at = 0;
  for (char expected : pattern) {
    if (expected == '*') {
      size_t end = at;
      while (end < path.size() && path[end] != '/')
        ++end;
      if (end == at && end >= path.size()) return false;
      at = end;
    } else {
      if (at >= path.size() || path[at] != expected) return false;
      ++at;
    }
  }
  return at == path.size();
}

}  // namespace

void PluginEventClient::AddJsonApiListener(const std::string& path, ResourceHandler handler) {
  json_api_listeners_[path] = std::move(handler);
}

void PluginEventClient::AddJsonApiPatternListener(const std::string& pattern,
                                                  ResourceHandler handler) {
  for (auto& [existing, stored] : json_api_pattern_listeners_) {
    if (existing == pattern) {
      stored = std::move(handler);
      return;
    }
  }
  json_api_pattern_listeners_.emplace_back(pattern, std::move(handler));
}

void PluginEventClient::DispatchJsonApi(const PluginResourceEvent& event) {
  std::string path = event.uri;
  if (path.empty() || path[0] != '/') path.insert(path.begin(), '/');
  // Listeners run from copies taken before the first one runs: a listener may add, replace or
  // remove listeners, and those changes take effect from the next event on.
  ResourceHandler exact;
  if (auto found = json_api_listeners_.find(path); found != json_api_listeners_.end()) {
    exact = found->second;
  }
  std::vector<ResourceHandler> matching;
  for (const auto& [pattern, handler] : json_api_pattern_listeners_) {
    if (handler && MatchesPattern(pattern, path)) matching.push_back(handler);
  }
  if (exact) exact(event);
  for (const ResourceHandler& handler : matching)
    handler(event);
}

}  // namespace Vorn::Client
