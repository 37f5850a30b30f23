// Log targets: the base class that fills a LogTargetRecord with thunks to its virtual
// operations, and the console targets (standard error, standard output, debugger output).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "sdk/diagnostics/log_api.h"
#include "sdk/runtime/platform.h"

namespace Vorn {

class LogTarget;

namespace detail {
// The record first, so that a record pointer leads back to its target.
struct LogTargetBinding {
  LogTargetRecord record;
  LogTarget* self;
};
}  // namespace detail

// Defaults: minimum level 1, no included or excluded groups, line format "#D| #L| #G| #M".
// Settings and the output call are guarded by the target's own lock. A subclass whose Write
// uses its own members calls Unregister() in its destructor, so that no message reaches a
// half-destroyed target.
class LogTarget {
 public:
  LogTarget();
  virtual ~LogTarget();
  LogTarget(const LogTarget&) = delete;
  LogTarget& operator=(const LogTarget&) = delete;

  // The plain interface handed to the logger; lives as long as the target.
  LogTargetRecord* Record() { return &binding_.record; }

  void SetMinLevel(int32_t level);
  int32_t MinLevel() const;
  // Keeps `excluded` as given and `included` without the excluded bits.
  void SetGroups(uint64_t included, uint64_t excluded);
  uint64_t IncludedGroups() const;
  uint64_t ExcludedGroups() const;
  void SetLineFormat(const char* format);

  // Both directions are guarded by the registered flag: a second call does nothing.
  void Register();
  virtual void Unregister();
  bool IsRegistered() const { return registered_.load(std::memory_order_acquire); }

  virtual const char* Name() const { return "LogTarget"; }
  // The stored format, whatever the message; valid until the format is next set.
  virtual const char* LineFormat(const LogMessage& message) const;
  // Runs under the logger's lock: must not log.
  virtual bool Write(const LogMessage& message) = 0;

 protected:
  LogTarget(const char* line_format, int32_t min_level, uint64_t included, uint64_t excluded);

  Platform::CriticalSection& Lock() const { return lock_; }
  // The message as a line in this target's format, under the target's lock.
  uint32_t FormatLine(const LogMessage& message, char* out_line, uint32_t size) const;

 private:
  detail::LogTargetBinding binding_;
  mutable Platform::CriticalSection lock_;
  std::atomic<bool> registered_{false};
  int32_t min_level_;
  uint64_t included_;
  uint64_t excluded_;
  std::string line_format_;
};

class BaseConsoleLogTarget : public LogTarget {
 public:
  const char* Name() const override { return "BaseConsoleLogTarget"; }
  virtual void Flush() = 0;

 protected:
  using LogTarget::LogTarget;
  BaseConsoleLogTarget() = default;
};

// "#E(#T): #L| #M", minimum 1, includes "DBG", excludes "GEN".
class StdErrLogTarget : public BaseConsoleLogTarget {
 public:
  StdErrLogTarget();
  ~StdErrLogTarget() override;
  const char* Name() const override { return "StdErrLogTarget"; }
  bool Write(const LogMessage& message) override;
  void Flush() override;
};

// "#M", minimum 1, includes "GEN", excludes "DBG"; flushes after every line when the flush flag
// is set (default off).
class StdOutLogTarget : public BaseConsoleLogTarget {
 public:
  StdOutLogTarget();
  ~StdOutLogTarget() override;
  const char* Name() const override { return "StdOutLogTarget"; }
  bool Write(const LogMessage& message) override;
  void Flush() override;
  void SetFlushFlag(bool flush);
  bool FlushFlag() const;

 private:
  bool flush_ = false;
};

// "#E(#T): #L| #M", minimum 1, includes "DBG"; writes to the debugger's output. Flush does
// nothing.
class DebuggerConsoleLogTarget : public BaseConsoleLogTarget {
 public:
  DebuggerConsoleLogTarget();
  ~DebuggerConsoleLogTarget() override;
  const char* Name() const override { return "DebuggerConsoleLogTarget"; }
  bool Write(const LogMessage& message) override;
  void Flush() override {}
};

}  // namespace Vorn
