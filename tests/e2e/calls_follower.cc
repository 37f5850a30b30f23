#include "tests/e2e/calls_follower.h"

#include <chrono>

namespace Vorn::Host {
namespace {

constexpr auto kConnectWait = std::chrono::seconds(60);

}  // namespace

CallsFollower::CallsFollower(int port) : client_("127.0.0.1", port) {
  // The server writes a comment into an idle stream every second.
  client_.set_read_timeout(60);
  thread_ = std::thread([this] {
    client_.Get(
        "/vorn-host/calls",
        [this](const httplib::Response& response) {
          std::lock_guard lock(mutex_);
          connected_ = response.status == 200;
          changed_.notify_all();
          return connected_;
        },
        [this](const char* data, size_t size) {
          if (leave_) return false;
          Take(data, size);
          return true;
        });
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
  });
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, kConnectWait, [this] { return connected_ || ended_; });
}

CallsFollower::~CallsFollower() {
  Leave();
  thread_.join();
}

bool CallsFollower::connected() {
  std::lock_guard lock(mutex_);
  return connected_ && !ended_;
}

void CallsFollower::Take(const char* data, size_t size) {
  std::lock_guard lock(mutex_);
  pending_.append(data, size);
  for (size_t end = pending_.find("\n\n"); end != std::string::npos; end = pending_.find("\n\n")) {
    const std::string event = pending_.substr(0, end);
    pending_.erase(0, end + 2);
    // One "data:" line per event; comment lines (":") keep the connection alive.
    for (size_t start = 0; start < event.size();) {
      size_t stop = event.find('\n', start);
      if (stop == std::string::npos) stop = event.size();
      const std::string line = event.substr(start, stop - start);
      if (line.rfind("data: ", 0) == 0)
        entries_.push_back(Json::parse(line.substr(6), nullptr, false));
      start = stop + 1;
    }
  }
  changed_.notify_all();
}

bool CallsFollower::WaitFor(const std::function<bool(const std::vector<Json>&)>& holds,
                            double seconds) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::duration<double>(seconds),
                           [&] { return holds(entries_); });
}

bool CallsFollower::WaitForEnd(double seconds) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return ended_; });
}

std::vector<Json> CallsFollower::entries() {
  std::lock_guard lock(mutex_);
  return entries_;
}

std::vector<Json> CallsOf(const std::vector<Json>& entries, const std::string& call) {
  std::vector<Json> found;
  for (const Json& entry : entries) {
    if (entry.value("call", "") == call) found.push_back(entry);
  }
  return found;
}

}  // namespace Vorn::Host
