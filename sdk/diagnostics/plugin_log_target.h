// The log target of a plugin: every message goes to the host's log entry (HostLog) as level and
// text; the host renders it.
#pragma once

#include <memory>

#include "sdk/diagnostics/log_target.h"
#include "sdk/plugin/abi/host_api.h"

namespace Vorn {

// Minimum level: the logger's minimum when the target is created; no groups; line format
// "#D| #L| #G| #M" (kept for readers of the record, not sent to the host).
class PluginLogTarget : public LogTarget {
 public:
  // `host` must outlive the target; a null host or table makes every write fail.
  explicit PluginLogTarget(const HostInterface* host);
  ~PluginLogTarget() override;

  const char* Name() const override { return "PluginLogTarget"; }
  bool Write(const LogMessage& message) override;

 private:
  const HostInterface* host_;
};

// Routes the logger to the host, unless a target named "PluginLogTarget" is registered already
// (then null, and nothing changes): unregisters the three built-in targets, sets the logger's
// minimum level to 0 and its excluded groups to "XTR", and registers a new PluginLogTarget,
// which the caller keeps for as long as it should write.
[[nodiscard]] std::unique_ptr<PluginLogTarget> InstallPluginLogTarget(const HostInterface* host);

}  // namespace Vorn
