// RemotingResult: the outcome of a request the plugin sends to the host.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace Vorn {

struct [[nodiscard]] RemotingResult {
  int32_t code = 0;  // 0 on success; else the response status, or 400 when nothing was sent
  std::string message;
  bool failed = false;

  static RemotingResult Success() { return {}; }
  static RemotingResult Failure(int32_t code, std::string message) {
    return {code, std::move(message), true};
  }
};

// The text form FormatText prints: "Success", or "<message> (<code>)"; a failure without a
// message has the empty text form.
std::string FormatTextForm(const RemotingResult& result);

}  // namespace Vorn
