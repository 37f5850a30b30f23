// YAML events folded into a JSON value: one frame per open sequence or mapping.
#include "host/yaml_json.h"

#include <yaml.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Vorn::Host {
namespace {

// Copies that aliases make, over the whole document; a small file must not grow without end.
constexpr size_t kMaxAliasCopies = 100000;

std::string Where(const yaml_mark_t& mark) {
  return " at line " + std::to_string(mark.line + 1) + " column " + std::to_string(mark.column + 1);
}

bool ParseInteger(std::string_view text, Json& out) {
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'o')) {
    if (text[0] == '-' || text[0] == '+') return false;  // the core schema signs decimals only
    base = digits[1] == 'x' ? 16 : 8;
    digits.remove_prefix(2);
  }
  if (digits.empty()) return false;
  uint64_t magnitude = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
  if (error != std::errc() || end != digits.data() + digits.size()) return false;
  if (!negative) {
    out = magnitude;
    return true;
  }
  if (magnitude > uint64_t{1} << 63) return false;
  out = magnitude == uint64_t{1} << 63 ? INT64_MIN : -static_cast<int64_t>(magnitude);
  return true;
}

bool ParseFloat(const std::string& text, Json& out) {
  static const std::map<std::string, double> kWords = {
      {".inf", INFINITY},   {".Inf", INFINITY},  {".INF", INFINITY},   {"+.inf", INFINITY},
      {"+.Inf", INFINITY},  {"+.INF", INFINITY}, {"-.inf", -INFINITY}, {"-.Inf", -INFINITY},
      {"-.INF", -INFINITY}, {".nan", NAN},       {".NaN", NAN},        {".NAN", NAN}};
  if (auto word = kWords.find(text); word != kWords.end()) {
    out = word->second;
    return true;
  }
  // [-+]? ( \. [0-9]+ | [0-9]+ ( \. [0-9]* )? ) ( [eE] [-+]? [0-9]+ )?
  size_t i = 0;
  auto digits = [&] {
    const size_t from = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
      ++i;
    return i - from;
  };
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    if (digits() == 0) return false;
  }
  if (i != text.size()) return false;
  out = std::strtod(text.c_str(), nullptr);
  return true;
}

Json ResolvePlain(const std::string& text) {
  if (text.empty() || text == "~" || text == "null" || text == "Null" || text == "NULL") {
    return nullptr;
  }
  if (text == "true" || text == "True" || text == "TRUE") return true;
  if (text == "false" || text == "False" || text == "FALSE") return false;
  Json number;
  if (ParseInteger(text, number) || ParseFloat(text, number)) return number;
  return text;
}

struct Frame {
  Json value;
  bool mapping = false;
  std::string anchor;
  std::optional<std::string> key;  // a mapping's key waiting for its value
};

class Folder {
 public:
  std::string error;

  bool Fail(std::string message, const yaml_mark_t& mark) {
    error = std::move(message) + Where(mark);
    return false;
  }

  // Places a finished node into its parent (or makes it the document).
  bool Place(Json value, const std::string& anchor, const yaml_mark_t& mark, bool scalar_key) {
    if (!anchor.empty()) anchors_[anchor] = value;
    if (frames_.empty()) {
      document_ = std::move(value);
      done_ = true;
      return true;
    }
    Frame& parent = frames_.back();
    if (!parent.mapping) {
      parent.value.push_back(std::move(value));
      return true;
    }
    if (!parent.key) {
      if (!scalar_key) return Fail("a mapping key must be a scalar", mark);
      std::string key = value.is_string() ? value.get<std::string>() : value.dump();
      if (value.is_null()) key = "";
      if (parent.value.contains(key)) return Fail("duplicate mapping key \"" + key + "\"", mark);
      parent.key = std::move(key);
      return true;
    }
    parent.value[*parent.key] = std::move(value);
    parent.key.reset();
    return true;
  }

  bool Event(const yaml_event_t& event) {
    const yaml_mark_t& mark = event.start_mark;
    switch (event.type) {
      case YAML_SCALAR_EVENT: {
        const auto& scalar = event.data.scalar;
        std::string text(reinterpret_cast<const char*>(scalar.value), scalar.length);
        const char* tag = reinterpret_cast<const char*>(scalar.tag);
        const bool as_text = scalar.style != YAML_PLAIN_SCALAR_STYLE ||
                             (tag != nullptr && std::string(tag) == YAML_STR_TAG);
        return Place(as_text ? Json(text) : ResolvePlain(text), AnchorOf(scalar.anchor), mark,
                     true);
      }
      case YAML_ALIAS_EVENT: {
        const std::string name = reinterpret_cast<const char*>(event.data.alias.anchor);
        auto found = anchors_.find(name);
        if (found == anchors_.end()) return Fail("unknown alias *" + name, mark);
        if (++copies_ > kMaxAliasCopies) return Fail("too many alias copies", mark);
        return Place(found->second, "", mark, found->second.is_primitive());
      }
      case YAML_SEQUENCE_START_EVENT:
      case YAML_MAPPING_START_EVENT: {
        if (frames_.size() + 1 > kMaxPlainDepth) return Fail("nested too deeply", mark);
        const bool mapping = event.type == YAML_MAPPING_START_EVENT;
        const yaml_char_t* anchor =
            mapping ? event.data.mapping_start.anchor : event.data.sequence_start.anchor;
        if (!frames_.empty() && frames_.back().mapping && !frames_.back().key) {
          return Fail("a mapping key must be a scalar", mark);
        }
        frames_.push_back(
            {mapping ? Json::object() : Json::array(), mapping, AnchorOf(anchor), {}});
        return true;
      }
      case YAML_SEQUENCE_END_EVENT:
      case YAML_MAPPING_END_EVENT: {
        Frame frame = std::move(frames_.back());
        frames_.pop_back();
        return Place(std::move(frame.value), frame.anchor, mark, false);
      }
      case YAML_DOCUMENT_START_EVENT:
        if (done_) return Fail("more than one document", mark);
        return true;
      default:
        return true;
    }
  }

  Json& document() { return document_; }

 private:
  static std::string AnchorOf(const yaml_char_t* anchor) {
    return anchor != nullptr ? reinterpret_cast<const char*>(anchor) : "";
  }

  std::vector<Frame> frames_;
  std::map<std::string, Json> anchors_;
  size_t copies_ = 0;
  Json document_;
  bool done_ = false;
};

}  // namespace

HostResult<Json> ParseYamlDocument(std::string_view text) {
  yaml_parser_t parser;
  if (yaml_parser_initialize(&parser) == 0) return HostResult<Json>::Failure("out of memory");
  std::unique_ptr<yaml_parser_t, decltype(&yaml_parser_delete)> owner(&parser, &yaml_parser_delete);
  yaml_parser_set_encoding(&parser, YAML_UTF8_ENCODING);
  yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(text.data()),
                               text.size());
  Folder folder;
  while (true) {
    yaml_event_t event;
    if (yaml_parser_parse(&parser, &event) == 0) {
      return HostResult<Json>::Failure(
          std::string("YAML: ") + (parser.problem != nullptr ? parser.problem : "syntax error") +
          Where(parser.problem_mark));
    }
    const bool end = event.type == YAML_STREAM_END_EVENT;
    const bool ok = folder.Event(event);
    yaml_event_delete(&event);
    if (!ok) return HostResult<Json>::Failure("YAML: " + folder.error);
    if (end) break;
  }
  return std::move(folder.document());
}

}  // namespace Vorn::Host
