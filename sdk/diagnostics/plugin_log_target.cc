// The target that writes through the host's log entry, and its installation.
#include "sdk/diagnostics/plugin_log_target.h"

namespace Vorn {

PluginLogTarget::PluginLogTarget(const HostInterface* host)
    : LogTarget("#D| #L| #G| #M", GetLogApi()->GetMinLevel(), 0, 0), host_(host) {}

PluginLogTarget::~PluginLogTarget() {
  Unregister();
}

bool PluginLogTarget::Write(const LogMessage& message) {
  if (host_ == nullptr || host_->api == nullptr || host_->api->HostLog == nullptr) return false;
  Platform::CriticalSectionLock lock(Lock());
  host_->api->HostLog(host_->api, message.level, message.text);
  return true;
}

std::unique_ptr<PluginLogTarget> InstallPluginLogTarget(const HostInterface* host) {
  const LogApi* api = GetLogApi();
  if (api->FindTarget("PluginLogTarget") != nullptr) return nullptr;
  for (LogTargetRecord* builtin :
       {api->StdErrTarget(), api->StdOutTarget(), api->DebuggerTarget()}) {
    if (builtin != nullptr) builtin->Unregister(builtin);
  }
  api->SetMinLevel(kLogLevelOkay);
  api->SetExcludedGroups(kLogGroupXtr);
  auto target = std::make_unique<PluginLogTarget>(host);
  target->SetMinLevel(api->GetMinLevel());
  target->SetGroups(0, 0);
  target->SetLineFormat("#D| #L| #G| #M");
  target->Register();
  return target;
}

}  // namespace Vorn
