// Printed forms of transcript entries.
#include "host/transcript.h"

namespace Vorn::Host {
namespace {

const char* OriginName(CallOrigin origin) {
  return origin == CallOrigin::kHost ? "host" : "plugin";
}

}  // namespace

std::string DumpJson(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json ToJson(const TranscriptEntry& entry) {
  Json out = Json::object();
  out["origin"] = OriginName(entry.origin);
  out["call"] = entry.call;
  out["arguments"] = entry.arguments;
  out["result"] = entry.result;
  if (entry.returned) out["returned"] = true;
  return out;
}

std::string FormatReadable(const TranscriptEntry& entry) {
  std::string line = entry.origin == CallOrigin::kPlugin ? "plugin> "
                     : entry.returned                    ? "host<   "
                                                         : "host>   ";
  line += entry.call;
  if (!entry.arguments.empty()) line += " " + DumpJson(entry.arguments);
  if (!entry.result.is_null()) line += " -> " + DumpJson(entry.result);
  return line;
}

std::string FormatJsonLine(const TranscriptEntry& entry) {
  return DumpJson(ToJson(entry));
}

}  // namespace Vorn::Host
