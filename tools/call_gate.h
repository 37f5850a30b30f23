// Lets calls into the plugin in until the host closes it, then waits for those inside to
// leave, so the plugin's Shutdown never runs beside a request or an event.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace Vorn::Tools {

class CallGate {
 public:
  // False once the gate is closed: the call must not reach the plugin.
  bool Enter();
  void Leave();
  // Returns when every call that entered has left; none enters after.
  void CloseAndDrain();

 private:
  std::mutex mutex_;
  std::condition_variable left_;
  size_t inside_ = 0;
  bool closed_ = false;
};

// One call through the gate, left when it goes out of scope.
class GatePass {
 public:
  explicit GatePass(CallGate& gate) : gate_(gate), entered_(gate.Enter()) {}
  ~GatePass() {
    if (entered_) gate_.Leave();
  }
  GatePass(const GatePass&) = delete;
  GatePass& operator=(const GatePass&) = delete;
  explicit operator bool() const { return entered_; }

 private:
  CallGate& gate_;
  bool entered_;
};

}  // namespace Vorn::Tools
