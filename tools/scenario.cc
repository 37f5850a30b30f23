// Reading scenario documents into steps.
#include "tools/scenario.h"

#include <fstream>
#include <sstream>

#include "host/yaml_json.h"

namespace Vorn::Tools {

const char* const kScenarioHelp =
    R"(A scenario is a JSON or YAML list of steps, played in order after Initialize
and before Shutdown. Each step is an object with one action and an optional
"note" (a text printed before the step):
  {"lcds": BODY}             deliver the LCDS message BODY of the loyalty class;
                             optional beside it: "typeName" (another class),
                             "clientId", "subtopic"
  {"event": {"name": N, "payload": P}}
                             deliver host event N with payload P
  {"request": {"method": "GET", "path": P}}
                             one request through the plugin's route; optional:
                             "headers" {N: V}, "args" {NAME: VALUE}, "body" (a
                             text is sent as is, any other value as JSON) with
                             "contentType" (default application/json)
  {"advance": SECONDS}       move the virtual clock, running the timers due
Timers that are due run after every lcds and event step.)";

namespace {

using Host::Json;
using Steps = Host::HostResult<std::vector<ScenarioStep>>;

// The built-in sample, in the schema above.
constexpr const char* kBuiltinScenario = R"([
  {"note": "The status before any message", "request": {"method": "GET",
   "path": "/qev-loyalty/v1/status-notification"}},
  {"note": "A reward grant: two champions, three skins", "lcds": {"accountId": 2400123,
   "notificationCategory": "grant", "rewards": {"champions": [
     {"championId": 103, "skins": [103001, 103002, 103003]}, {"championId": 222, "skins": []}],
   "ipBoost": 0, "xpBoost": 0}}},
  {"request": {"method": "GET", "path": "/qev-loyalty/v1/status-notification"}},
  {"note": "The same message again", "lcds": {"accountId": 2400123,
   "notificationCategory": "grant", "rewards": {"champions": [
     {"championId": 103, "skins": [103001, 103002, 103003]}, {"championId": 222, "skins": []}],
   "ipBoost": 0, "xpBoost": 0}}},
  {"note": "A change: an XP boost", "lcds": {"accountId": 2400123,
   "notificationCategory": "change", "rewards": {"champions": [], "ipBoost": 0,
   "xpBoost": 2}}},
  {"request": {"method": "GET", "path": "/qev-loyalty/v1/status-notification"}},
  {"note": "A reset: no boosts and no champions", "lcds": {"accountId": 2400123,
   "notificationCategory": "grant", "rewards": {"champions": [], "ipBoost": 0, "xpBoost": 0}}},
  {"request": {"method": "GET", "path": "/qev-loyalty/v1/status-notification"}}
])";

std::string Where(size_t index) {
  return "step " + std::to_string(index + 1) + ": ";
}

bool TextMember(const Json& object, const char* name, std::string& out, std::string& error) {
  if (!object.contains(name)) return true;
  if (!object[name].is_string()) {
    error = std::string("\"") + name + "\" must be a text";
    return false;
  }
  out = object[name].get<std::string>();
  return true;
}

// A scalar given where the request wants a text: YAML reads 5 and true as numbers and booleans.
std::string AsText(const Json& value) {
  return value.is_string() ? value.get<std::string>() : value.dump();
}

bool ParseRequest(const Json& spec, Host::HostRequest& out, std::string& error) {
  if (!spec.is_object()) {
    error = "\"request\" must be an object";
    return false;
  }
  for (const auto& [key, value] : spec.items()) {
    if (key != "method" && key != "path" && key != "headers" && key != "args" && key != "body" &&
        key != "contentType") {
      error = "unknown request member \"" + key + "\"";
      return false;
    }
  }
  if (!spec.contains("path")) {
    error = "a request needs a \"path\"";
    return false;
  }
  if (!TextMember(spec, "method", out.method, error) ||
      !TextMember(spec, "path", out.path, error)) {
    return false;
  }
  for (const char* member : {"headers", "args"}) {
    if (!spec.contains(member)) continue;
    if (!spec[member].is_object()) {
      error = std::string("\"") + member + "\" must be an object";
      return false;
    }
  }
  if (spec.contains("headers")) {
    for (const auto& [name, value] : spec["headers"].items())
      out.headers.emplace_back(name, AsText(value));
  }
  if (spec.contains("args")) {
    for (const auto& [name, value] : spec["args"].items())
      out.arguments.emplace_back(name, value);
  }
  if (spec.contains("body")) {
    const Json& body = spec["body"];
    out.body = body.is_string() ? body.get<std::string>() : body.dump();
    out.content_type = "application/json";
  }
  if (!TextMember(spec, "contentType", out.content_type, error)) return false;
  return true;
}

bool ParseStep(const Json& spec, ScenarioStep& step, std::string& error) {
  if (!spec.is_object()) {
    error = "a step must be an object";
    return false;
  }
  std::vector<std::string> actions;
  for (const auto& [key, value] : spec.items()) {
    if (key == "lcds" || key == "event" || key == "request" || key == "advance") {
      actions.push_back(key);
    } else if (key != "note" && key != "typeName" && key != "clientId" && key != "subtopic") {
      error = "unknown member \"" + key + "\"";
      return false;
    }
  }
  if (actions.size() != 1) {
    error = "a step needs exactly one of \"lcds\", \"event\", \"request\", \"advance\"";
    return false;
  }
  if (!TextMember(spec, "note", step.note, error)) return false;
  const std::string& action = actions.front();
  if (action != "lcds" &&
      (spec.contains("typeName") || spec.contains("clientId") || spec.contains("subtopic"))) {
    error = "\"typeName\", \"clientId\" and \"subtopic\" belong to an lcds step";
    return false;
  }

  if (action == "lcds") {
    std::string type_name = kLoyaltyTypeName;
    std::string client_id;
    std::string subtopic;
    if (!TextMember(spec, "typeName", type_name, error) ||
        !TextMember(spec, "clientId", client_id, error) ||
        !TextMember(spec, "subtopic", subtopic, error)) {
      return false;
    }
    const std::string note = std::move(step.note);
    step = LcdsStep(spec["lcds"], type_name,
                    spec.contains("clientId") ? std::optional(client_id) : std::nullopt,
                    spec.contains("subtopic") ? std::optional(subtopic) : std::nullopt);
    step.note = note;
    return true;
  }
  if (action == "event") {
    const Json& event = spec["event"];
    if (!event.is_object() || !event.contains("name") || !event["name"].is_string()) {
      error = "\"event\" needs a \"name\" text";
      return false;
    }
    step.kind = ScenarioStep::Kind::kEvent;
    step.event_name = event["name"].get<std::string>();
    step.payload = event.contains("payload") ? event["payload"] : Json(nullptr);
    return true;
  }
  if (action == "request") {
    step.kind = ScenarioStep::Kind::kRequest;
    return ParseRequest(spec["request"], step.request, error);
  }
  const Json& seconds = spec["advance"];
  if (!seconds.is_number() || seconds.get<double>() < 0) {
    error = "\"advance\" must be a number of seconds, 0 or more";
    return false;
  }
  step.kind = ScenarioStep::Kind::kAdvance;
  step.seconds = seconds.get<double>();
  return true;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string LcdsEventName(const std::string& type_name) {
  std::string name = "OnLcdsEvent_" + type_name;
  for (char& c : name) {
    if (c == '.') c = '_';
  }
  return name;
}

ScenarioStep LcdsStep(const Json& body, const std::string& type_name,
                      const std::optional<std::string>& client_id,
                      const std::optional<std::string>& subtopic) {
  ScenarioStep step;
  step.kind = ScenarioStep::Kind::kEvent;
  step.event_name = LcdsEventName(type_name);
  step.payload = Json::object();
  if (client_id) step.payload["clientId"] = *client_id;
  if (subtopic) step.payload["subtopic"] = *subtopic;
  step.payload["typeName"] = type_name;
  step.payload["body"] = body;
  return step;
}

Steps ParseScenario(const Json& document) {
  if (!document.is_array()) return Steps::Failure("a scenario must be a list of steps");
  std::vector<ScenarioStep> steps;
  for (size_t i = 0; i < document.size(); ++i) {
    ScenarioStep step;
    std::string error;
    if (!ParseStep(document[i], step, error)) return Steps::Failure(Where(i) + error);
    steps.push_back(std::move(step));
  }
  return steps;
}

Steps ReadScenarioFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Steps::Failure("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  if (EndsWith(path, ".yaml") || EndsWith(path, ".yml")) {
    Host::HostResult<Json> document = Host::ParseYamlDocument(text.str());
    if (!document.ok()) return Steps::Failure(path + ": " + document.error());
    return ParseScenario(document.value());
  }
  try {
    return ParseScenario(Json::parse(text.str()));
  } catch (const Json::parse_error& error) {
    return Steps::Failure(path + ": " + error.what());
  }
}

std::vector<ScenarioStep> BuiltinScenario() {
  Steps steps = ParseScenario(Json::parse(kBuiltinScenario));
  return steps.ok() ? std::move(steps.value()) : std::vector<ScenarioStep>{};
}

}  // namespace Vorn::Tools
