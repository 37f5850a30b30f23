// A client following the server's calls stream on a thread of its own, keeping every entry.
#pragma once

#include <httplib.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/plain_json.h"

namespace Vorn::Host {

class CallsFollower {
 public:
  // Returns once the stream's headers arrived: from then on the server sends it every call.
  explicit CallsFollower(int port);
  // Leaves the stream and joins.
  ~CallsFollower();
  CallsFollower(const CallsFollower&) = delete;
  CallsFollower& operator=(const CallsFollower&) = delete;

  bool connected();
  // Whether `holds(entries)` became true within `seconds`.
  bool WaitFor(const std::function<bool(const std::vector<Json>&)>& holds, double seconds);
  // Whether the server ended the stream within `seconds`.
  bool WaitForEnd(double seconds);
  std::vector<Json> entries();
  // Stops reading at the next piece the server sends, closing the connection.
  void Leave() { leave_ = true; }

 private:
  void Take(const char* data, size_t size);

  httplib::Client client_;
  std::atomic<bool> leave_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  bool connected_ = false;
  bool ended_ = false;
  std::string pending_;
  std::vector<Json> entries_;
  std::thread thread_;
};

// The entries of one call ("DispatchEvent", ...), in stream order.
std::vector<Json> CallsOf(const std::vector<Json>& entries, const std::string& call);

}  // namespace Vorn::Host
