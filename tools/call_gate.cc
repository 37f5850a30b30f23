// The gate between the server's threads and the plugin.
#include "tools/call_gate.h"

namespace Vorn::Tools {

bool CallGate::Enter() {
  std::lock_guard lock(mutex_);
  if (closed_) return false;
  ++inside_;
  return true;
}

void CallGate::Leave() {
  std::lock_guard lock(mutex_);
  if (--inside_ == 0) left_.notify_all();
}

void CallGate::CloseAndDrain() {
  std::unique_lock lock(mutex_);
  closed_ = true;
  left_.wait(lock, [this] { return inside_ == 0; });
}

}  // namespace Vorn::Tools
