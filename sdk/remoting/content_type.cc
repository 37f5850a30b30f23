// Content type classification by case-insensitive prefixes.
#include "sdk/remoting/content_type.h"

namespace Vorn {

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
  }
  return true;
}

RemotingBodyFormat ClassifyContentType(std::string_view content_type) {
  if (StartsWithNoCase(content_type, "application/x-msgpack")) {
    return RemotingBodyFormat::MessagePack;
  }
  if (StartsWithNoCase(content_type, "application/json") ||
      StartsWithNoCase(content_type, "application/vnd.api+json")) {
    return RemotingBodyFormat::Json;
  }
  if (StartsWithNoCase(content_type, "application/x-yaml")) return RemotingBodyFormat::Yaml;
  return RemotingBodyFormat::Unknown;
}

ArgumentValueFormat ClassifyArgumentContentType(std::string_view content_type) {
  switch (ClassifyContentType(content_type)) {
    case RemotingBodyFormat::MessagePack:
      return ArgumentValueFormat::MessagePack;
    case RemotingBodyFormat::Json:
      return ArgumentValueFormat::Json;
    case RemotingBodyFormat::Yaml:
      return ArgumentValueFormat::Yaml;
    case RemotingBodyFormat::Unknown:
      break;
  }
  if (StartsWithNoCase(content_type, "text/x-yaml")) return ArgumentValueFormat::Yaml;
  if (StartsWithNoCase(content_type, "application/octet-stream")) return ArgumentValueFormat::Raw;
  return ArgumentValueFormat::Text;
}

}  // namespace Vorn
