// The console targets: standard error, standard output and the debugger's output.
#include <cstdio>

#include "sdk/diagnostics/log_target.h"

namespace Vorn {

StdErrLogTarget::StdErrLogTarget()
    : BaseConsoleLogTarget("#E(#T): #L| #M", kLogLevelWarn, kLogGroupDbg, kLogGroupGen) {}

StdErrLogTarget::~StdErrLogTarget() {
  Unregister();
}

bool StdErrLogTarget::Write(const LogMessage& message) {
  char line[kLogBufferSize];
  Platform::CriticalSectionLock lock(Lock());
  FormatLine(message, line, sizeof line);
  return std::fputs(line, stderr) >= 0;
}

void StdErrLogTarget::Flush() {
  Platform::CriticalSectionLock lock(Lock());
  std::fflush(stderr);
}

StdOutLogTarget::StdOutLogTarget()
    : BaseConsoleLogTarget("#M", kLogLevelWarn, kLogGroupGen, kLogGroupDbg) {}

StdOutLogTarget::~StdOutLogTarget() {
  Unregister();
}

bool StdOutLogTarget::Write(const LogMessage& message) {
  char line[kLogBufferSize];
  Platform::CriticalSectionLock lock(Lock());
  FormatLine(message, line, sizeof line);
  const bool written = std::fputs(line, stdout) >= 0;
  if (flush_) std::fflush(stdout);
  return written;
}

void StdOutLogTarget::Flush() {
  Platform::CriticalSectionLock lock(Lock());
  std::fflush(stdout);
}

void StdOutLogTarget::SetFlushFlag(bool flush) {
  Platform::CriticalSectionLock lock(Lock());
  flush_ = flush;
}

bool StdOutLogTarget::FlushFlag() const {
  Platform::CriticalSectionLock lock(Lock());
  return flush_;
}

DebuggerConsoleLogTarget::DebuggerConsoleLogTarget()
    : BaseConsoleLogTarget("#E(#T): #L| #M", kLogLevelWarn, kLogGroupDbg, 0) {}

DebuggerConsoleLogTarget::~DebuggerConsoleLogTarget() {
  Unregister();
}

bool DebuggerConsoleLogTarget::Write(const LogMessage& message) {
  char line[kLogBufferSize];
  Platform::CriticalSectionLock lock(Lock());
  FormatLine(message, line, sizeof line);
  Platform::DebuggerOutput(line);
  return true;
}

}  // namespace Vorn
