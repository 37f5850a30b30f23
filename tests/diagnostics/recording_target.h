// A log target for tests: keeps every message it is offered, and its line in its own format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sdk/diagnostics/log_api.h"
#include "sdk/diagnostics/log_target.h"

namespace Vorn::testing {

struct RecordedMessage {
  int32_t level;
  uint64_t groups;
  std::string text;
  std::string line;
};

// Accepts every level and group unless told otherwise.
class RecordingTarget : public LogTarget {
 public:
  RecordingTarget() {
    SetMinLevel(kLogLevelOkay);
    SetLineFormat("#M");
  }
  ~RecordingTarget() override { Unregister(); }

  const char* Name() const override { return "RecordingTarget"; }
  bool Write(const LogMessage& message) override {
    char line[kLogBufferSize];
    FormatLine(message, line, sizeof line);
    messages.push_back({message.level, message.groups, message.text, line});
    return true;
  }

  std::vector<RecordedMessage> messages;
};

// Holds a reference on the logger for one test; the last release resets it to its defaults.
class LoggerReference {
 public:
  LoggerReference() { GetLogApi()->AddRef(); }
  ~LoggerReference() { GetLogApi()->Release(); }
  LoggerReference(const LoggerReference&) = delete;
  LoggerReference& operator=(const LoggerReference&) = delete;
};

}  // namespace Vorn::testing
