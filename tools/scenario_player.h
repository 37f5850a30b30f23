// Plays one scenario step on a running plugin through the reference host.
#pragma once

#include "host/reference_host.h"
#include "tools/scenario.h"

namespace Vorn::Tools {

// Delivers the event (then runs the timers due), sends the request, or advances the clock.
// Fails when the host cannot do it: nobody subscribed the event, no route for the request. A
// request that the plugin answers with an error is no failure: the transcript shows it.
[[nodiscard]] Host::HostStatus PlayStep(Host::ReferenceHost& host, const ScenarioStep& step);

}  // namespace Vorn::Tools
