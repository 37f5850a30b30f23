// Scenario steps on the reference host.
#include "tools/scenario_player.h"

namespace Vorn::Tools {

Host::HostStatus PlayStep(Host::ReferenceHost& host, const ScenarioStep& step) {
  switch (step.kind) {
    case ScenarioStep::Kind::kEvent: {
      Host::HostStatus delivered = host.DeliverEvent(step.event_name, step.payload);
      if (!delivered.ok()) return delivered;
      host.RunDue();
      return Host::HostStatus::Ok();
    }
    case ScenarioStep::Kind::kRequest: {
      Host::HostResult<Host::HostResponse> response = host.Request(step.request);
      return response.ok() ? Host::HostStatus::Ok() : Host::HostStatus::Failure(response.error());
    }
    case ScenarioStep::Kind::kAdvance:
      host.AdvanceClock(step.seconds);
      return Host::HostStatus::Ok();
  }
  return Host::HostStatus::Failure("unknown step");
}

}  // namespace Vorn::Tools
