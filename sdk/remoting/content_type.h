// Content types: the body formats of requests and responses, and how a content type text is
// read for a request body and for a single argument value.
#pragma once

#include <cstdint>
#include <string_view>

namespace Vorn {

enum class RemotingBodyFormat : uint32_t {
  Unknown = 0,
  Json = 1,
  Yaml = 2,
  MessagePack = 3,
};

// Case-insensitive prefix tests, so parameters after the type ("; charset=utf-8") do not
// matter: "application/x-msgpack" (also "-ext"), "application/json" or
// "application/vnd.api+json", "application/x-yaml"; anything else is Unknown.
RemotingBodyFormat ClassifyContentType(std::string_view content_type);

// How one argument value text is decoded.
enum class ArgumentValueFormat : uint32_t {
  Text = 0,  // a String, read later by the parameter's own conversion
  Json = 1,
  Yaml = 2,
  MessagePack = 3,
  Raw = 4,  // a Blob of the text's bytes
};

// The body rules, plus "text/x-yaml" (Yaml) and "application/octet-stream" (Raw).
ArgumentValueFormat ClassifyArgumentContentType(std::string_view content_type);

// Whether `text` starts with `prefix`, ASCII letters compared without case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace Vorn
