// libyaml's anchor row for YAML parsing (the bare event loop: every event parsed and deleted,
// nothing built), and the YAML form of the JSON corpus, written once from nlohmann::json.
#include <yaml.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "bench/yaml_corpus.h"

namespace bench {
namespace {

using nlohmann::json;

void WriteQuoted(const std::string& text, std::string& out) {
  out.push_back('"');
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const auto next = [&](size_t k) {
      return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
    };
    char escape[12];
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      out += escape;
    } else if (c == 0xC2 && next(1) == 0x85) {
      out += "\\N";  // NEL would fold as a line break
      ++i;
    } else if (c == 0xE2 && next(1) == 0x80 && (next(2) == 0xA8 || next(2) == 0xA9)) {
      out += next(2) == 0xA8 ? "\\L" : "\\P";
      i += 2;
    } else if (c == 0xEF && next(1) == 0xBB && next(2) == 0xBF) {
      out += "\\uFEFF";
      i += 2;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  out.push_back('"');
}

void WriteKey(const std::string& key, std::string& out) {
  bool plain = !key.empty();
  for (char c : key) {
    plain = plain && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '_');
  }
  if (plain) {
    out += key;
  } else {
    WriteQuoted(key, out);
  }
}

bool IsLeaf(const json& value) {
  return !value.is_structured() || value.empty();
}

void WriteLeaf(const json& value, std::string& out) {
  if (value.is_string()) {
    WriteQuoted(value.get_ref<const std::string&>(), out);
  } else if (value.is_array()) {
    out += "[]";
  } else if (value.is_object()) {
    out += "{}";
  } else {
    out += value.dump();  // null, true, false and numbers read the same in YAML
  }
  out.push_back('\n');
}

// Writes `value` starting at the current position; its later lines are indented by `indent`.
void WriteBlock(const json& value, size_t indent, std::string& out) {
  if (IsLeaf(value)) {
    WriteLeaf(value, out);
    return;
  }
  bool first = true;
  if (value.is_array()) {
    for (const json& element : value) {
      if (!first) out.append(indent, ' ');
      first = false;
      out += "- ";
      WriteBlock(element, indent + 2, out);
    }
    return;
  }
  for (const auto& [key, member] : value.items()) {
    if (!first) out.append(indent, ' ');
    first = false;
    WriteKey(key, out);
    out.push_back(':');
    if (IsLeaf(member)) {
      out.push_back(' ');
      WriteLeaf(member, out);
    } else {
      out.push_back('\n');
      out.append(indent + 2, ' ');
      WriteBlock(member, indent + 2, out);
    }
  }
}

void EventLoop(benchmark::State& state, const CorpusFile& file) {
  for (auto _ : state) {
    yaml_parser_t parser;
    yaml_parser_initialize(&parser);
    yaml_parser_set_encoding(&parser, YAML_UTF8_ENCODING);
    yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(file.text.data()),
                                 file.text.size());
    yaml_event_t event;
    bool done = false;
    while (!done) {
      if (!yaml_parser_parse(&parser, &event)) {
        state.SkipWithError("libyaml failed");
        break;
      }
      done = event.type == YAML_STREAM_END_EVENT;
      yaml_event_delete(&event);
    }
    yaml_parser_delete(&parser);
  }
  CountBytes(state, file);
}

const bool kRegistered = AddCodecRow("YamlParse", "libyaml", YamlCorpus, EventLoop);

}  // namespace

const std::vector<CorpusFile>& YamlCorpus() {
  static const std::vector<CorpusFile> corpus = [] {
    std::vector<CorpusFile> files;
    for (const CorpusFile& source : JsonCorpus()) {
      std::string text;
      text.reserve(source.text.size() * 2);
      WriteBlock(json::parse(source.text), 0, text);
      files.push_back(CorpusFile{source.name.substr(0, source.name.rfind('.')) + ".yaml", text});
    }
    return files;
  }();
  return corpus;
}

}  // namespace bench
