// What happened between host and plugin, one entry per call in either direction, and its two
// printed forms: a readable line and a JSON line.
#pragma once

#include <string>

#include "host/plain_json.h"

namespace Vorn::Host {

enum class CallOrigin {
  kHost,    // the host called into the plugin: entry point, callbacks, events, timers
  kPlugin,  // the plugin called a host entry
};

struct TranscriptEntry {
  CallOrigin origin = CallOrigin::kPlugin;
  std::string call;  // "SubscribeEvent", "Initialize", ...
  Json arguments = Json::object();
  Json result;  // null when the call returns nothing
  // A host call that returns a result is followed, after the plugin's own calls made while it
  // ran, by an entry with returned set and the result.
  bool returned = false;
};

// "plugin> SubscribeEvent {"name":"OnX","hostHandle":1,"flags":1} -> 0"; host calls read
// "host>   Initialize" and their returns "host<   Initialize -> true".
std::string FormatReadable(const TranscriptEntry& entry);
// {"origin":"plugin","call":"SubscribeEvent","arguments":{...},"result":0}; a return adds
// "returned":true.
std::string FormatJsonLine(const TranscriptEntry& entry);
Json ToJson(const TranscriptEntry& entry);

// Compact JSON text; invalid UTF-8 in texts from the plugin is replaced, never thrown on.
std::string DumpJson(const Json& value);

}  // namespace Vorn::Host
