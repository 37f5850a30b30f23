// Scenarios for vorn-host run: a list of steps (LCDS messages, other host events, requests,
// clock advances), read from JSON or YAML, and the built-in sample.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/host_result.h"
#include "host/plain_json.h"
#include "host/route_request.h"

namespace Vorn::Tools {

// The LCDS class the loyalty plugin subscribes to; an "lcds" step without "typeName" sends it.
inline constexpr const char* kLoyaltyTypeName =
    "com.kestrawin.platform.loyalty.message.LoyaltyStateChangeNotification";

struct ScenarioStep {
  enum class Kind { kEvent, kRequest, kAdvance };
  Kind kind = Kind::kEvent;
  std::string note;  // printed before the step; may be empty
  // kEvent: what the host delivers (an "lcds" step becomes the LCDS event of its type name).
  std::string event_name;
  Host::Json payload;
  // kRequest.
  Host::HostRequest request;
  // kAdvance.
  double seconds = 0;
};

// The schema, as `vorn-host run --help` prints it.
extern const char* const kScenarioHelp;

// Steps from a parsed scenario document: a list of one-action objects. Fails naming the step
// ("step 2: ...") and what is wrong with it.
[[nodiscard]] Host::HostResult<std::vector<ScenarioStep>> ParseScenario(const Host::Json& document);

// Reads a scenario file: YAML when its name ends in ".yaml" or ".yml", JSON otherwise.
[[nodiscard]] Host::HostResult<std::vector<ScenarioStep>> ReadScenarioFile(const std::string& path);

// A reward grant, the same message again, a change and a reset, with a GET before the first
// message and after each change.
std::vector<ScenarioStep> BuiltinScenario();

// The host event that carries the LCDS message `body` of class `type_name`, as an "lcds" step
// delivers it; the client id and subtopic only when given.
ScenarioStep LcdsStep(const Host::Json& body, const std::string& type_name,
                      const std::optional<std::string>& client_id,
                      const std::optional<std::string>& subtopic);

// "OnLcdsEvent_" and the type name with every "." replaced by "_".
std::string LcdsEventName(const std::string& type_name);

}  // namespace Vorn::Tools
