// Runs a call on another thread, as a second host thread would, and tells whether it finished
// in time. A call that blocks on a lock the calling thread holds would hang a test that ran it
// in place; here it only comes late, and finishes once the lock is released.
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <vector>

namespace Vorn::Testing {

class ReentryProbe {
 public:
  // True when `call` returned within `limit`.
  bool FinishesWithin(std::function<void()> call,
                      std::chrono::seconds limit = std::chrono::seconds(10)) {
    calls_.push_back(std::async(std::launch::async, std::move(call)));
    return calls_.back().wait_for(limit) == std::future_status::ready;
  }
  // Waits for late calls, so none outlives what it uses.
  ~ReentryProbe() {
    for (std::future<void>& call : calls_)
      call.wait();
  }

 private:
  std::vector<std::future<void>> calls_;
};

}  // namespace Vorn::Testing
