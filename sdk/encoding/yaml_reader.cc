// The YAML reader: one loop over libyaml's events writes each node straight into its place in
// the result tree, tracking the open nodes, the path to each, and the anchors seen so far.
#include "sdk/encoding/yaml_reader.h"

#include <yaml.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "sdk/binding/conversions.h"
#include "sdk/binding/nesting_limit.h"
#include "sdk/runtime/format_text.h"
#include "sdk/runtime/number_reader.h"

namespace Vorn {
namespace detail {
namespace {

// The values, and the text bytes (string values and member names), that alias copies may
// create in one document: a few aliases of aliases ("billion laughs"), or many aliases of one
// long text, would otherwise expand a small input into gigabytes.
constexpr uint64_t kMaxAliasExpansion = 1000000;
constexpr uint64_t kMaxAliasTextBytes = uint64_t{64} << 20;

constexpr BindingSignedRange kYamlSignedRange{"int64_t", INT64_MIN, INT64_MAX};
constexpr BindingUnsignedRange kYamlUnsignedRange{"uint64_t", UINT64_MAX};

// Doubles at or above these (in magnitude, for the negative one) have no 64-bit integer.
constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kTwoTo64 = 18446744073709551616.0;

std::string_view CutAtNul(const char* text, size_t length) {
  const void* nul = std::memchr(text, 0, length);
  return std::string_view(
      text, nul == nullptr ? length : static_cast<size_t>(static_cast<const char*>(nul) - text));
}

// The word lists of plain scalars, compared as whole texts, case as written.
enum class YamlWord : uint8_t { kNone, kNull, kTrue, kFalse };

YamlWord ClassifyWord(std::string_view text) {
  auto any = [&text](std::string_view a, std::string_view b, std::string_view c) {
    return text == a || text == b || text == c;
  };
  switch (text.size()) {
    case 0:
      return YamlWord::kNull;
    case 1:
      switch (text[0]) {
        case '~':
          return YamlWord::kNull;
        case 'y':
        case 'Y':
          return YamlWord::kTrue;
        case 'n':
        case 'N':
          return YamlWord::kFalse;
        default:
          return YamlWord::kNone;
      }
    case 2:
      if (any("on", "On", "ON")) return YamlWord::kTrue;
      if (any("no", "No", "NO")) return YamlWord::kFalse;
      return YamlWord::kNone;
    case 3:
      if (any("yes", "Yes", "YES")) return YamlWord::kTrue;
      if (any("off", "Off", "OFF")) return YamlWord::kFalse;
      return YamlWord::kNone;
    case 4:
      if (any("null", "Null", "NULL")) return YamlWord::kNull;
      if (any("true", "True", "TRUE")) return YamlWord::kTrue;
      return YamlWord::kNone;
    case 5:
      return any("false", "False", "FALSE") ? YamlWord::kFalse : YamlWord::kNone;
    default:
      return YamlWord::kNone;
  }
}

// Whether a number could start at this character (its white space, a sign, a
// digit, '.', or the first letter of "inf" and "nan"); saves the call for most texts.
bool MayStartNumber(char c) {
  switch (c) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
    case '+':
    case '-':
    case '.':
    case 'i':
    case 'I':
    case 'n':
    case 'N':
      return true;
    default:
      return c >= '0' && c <= '9';
  }
}

// A plain number: the whole (non-empty) text reads as a number, finite or NaN.
bool ReadPlainNumber(std::string_view text, double& value) {
  if (text.empty() || !MayStartNumber(text[0])) return false;
  const NumberRead<double> read = ReadDouble(text);
  value = read.value;
  return read.length == text.size() && !std::isinf(value);
}

// Integral values that fit a 64-bit integer take its kind; the rest stay Float (judged on the
// double, so "18446744073709551615" rounds to 2^64 and stays Float).
void SetPlainNumber(BindingProperty& target, double value) {
  if (std::isnan(value) || value != std::trunc(value)) {
    target.SetFloat(value);
  } else if (value < 0.0) {
    if (value >= -kTwoTo63) {
      target.SetSigned(static_cast<int64_t>(value));
    } else {
      target.SetFloat(value);
    }
  } else if (value < kTwoTo64) {
    target.SetUnsigned(static_cast<uint64_t>(value));
  } else {
    target.SetFloat(value);
  }
}

enum class YamlError : uint8_t {
  kNone,
  kMultiDocument,
  kCyclicAlias,
  kUndefinedAlias,
  kDuplicateAnchor,
  kInvalidMappingKey,
  kUnexpectedSequence,
  kUnexpectedMapping,
  kUnsupportedTag,
  kBoolFormat,
  kNestingTooDeep,
  kDuplicateKey,
  kAliasExpansion,
};

// `line` and `column` are 1-based.
std::string RenderError(YamlError code, const std::string& text, uint64_t line, uint64_t column) {
  switch (code) {
    case YamlError::kNone:
      break;
    case YamlError::kMultiDocument:
      return "Multi-document YAML is not supported.";
    case YamlError::kCyclicAlias:
      return FormatText("Cannot deserialize cyclic aliases. Alias \"%1\". At line: %2 col: %3",
                        text, line, column);
    case YamlError::kUndefinedAlias:
      return FormatText("Undefined alias encountered: \"%1\". At line: %2 col: %3", text, line,
                        column);
    case YamlError::kDuplicateAnchor:
      return FormatText("Duplicate occurrence of anchor \"%1\". At line: %2 col: %3", text, line,
                        column);
    case YamlError::kInvalidMappingKey:
      return FormatText(
          "Invalid mapping key. Only string scalar keys are allowed. At line: %1 col: %2", line,
          column);
    case YamlError::kUnexpectedSequence:
      return FormatText("Unexpected start of sequence. At line: %1 col: %2", line, column);
    case YamlError::kUnexpectedMapping:
      return FormatText("Unexpected start of mapping. At line: %1 col: %2", line, column);
    case YamlError::kUnsupportedTag:
      return FormatText("Unsupported YAML tag '%1'.", text);
    case YamlError::kBoolFormat:
      return FormatText("Value %1 for 'yaml' of type bool is in an incorrect format", text);
    case YamlError::kNestingTooDeep:
      return FormatText("Nesting is too deep. At line: %1 col: %2", line, column);
    case YamlError::kDuplicateKey:
      return FormatText("Duplicate mapping key \"%1\". At line: %2 col: %3", text, line, column);
    case YamlError::kAliasExpansion:
      return FormatText("Alias expansion is too large. At line: %1 col: %2", line, column);
  }
  return std::string();
}

// How an open node is reached from its parent.
struct YamlPathStep {
  uint32_t kind;  // 0 element index, 1 member name, 2 root
  uint32_t index;
  const BindingProperty* root;
  std::string name;  // the member name (cut at its first NUL), unless `shared_name` holds it
  const BindingProperty* shared_name;  // a key text held beside the tree, or null

  std::string_view Name() const {
    return shared_name != nullptr ? shared_name->GetStringView() : std::string_view(name);
  }
};

// One step of an anchored node's path. Anchors below a common open node share its steps, so
// many anchors deep in a document cost one step each, not a copy of the whole path.
struct YamlPathNode {
  const YamlPathNode* parent;
  YamlPathStep step;
};

// What an anchor names: the text of an anchored key, or the node at the end of a path.
struct YamlAnchor {
  bool open = false;  // the node is still being built: an alias to it would be cyclic
  // An anchored key's text, a String of the result's tree (so copies share its record).
  const BindingProperty* key = nullptr;
  const YamlPathNode* path = nullptr;
  uint32_t height = 0;  // container levels inside the node, itself included
  uint64_t values = 1;  // values a copy of it creates
  uint64_t bytes = 0;   // text bytes a copy of it creates
};

struct YamlOpenNode {
  BindingProperty* target;
  YamlAnchor* anchor;        // the node's own anchor, or null
  const YamlPathNode* path;  // the shared form of the path to this node, once an anchor needed it
  uint32_t deepest;          // deepest container level reached inside, 0 for none yet
  uint64_t values_before;    // values created before this node
  uint64_t bytes_before;     // text bytes created before this node
};

// Owns libyaml's parser and current event for one call.
class YamlParser {
 public:
  explicit YamlParser(std::string_view text) {
    std::memset(&event_, 0, sizeof event_);
    if (yaml_parser_initialize(&parser_) == 0) throw std::bad_alloc();
    yaml_parser_set_encoding(&parser_, YAML_UTF8_ENCODING);
    // libyaml wants a pointer even for no bytes.
    static const unsigned char kNoBytes[1] = {0};
    const unsigned char* bytes =
        text.empty() ? kNoBytes : reinterpret_cast<const unsigned char*>(text.data());
    yaml_parser_set_input_string(&parser_, bytes, text.size());
  }
  ~YamlParser() {
    yaml_event_delete(&event_);
    yaml_parser_delete(&parser_);
  }
  YamlParser(const YamlParser&) = delete;
  YamlParser& operator=(const YamlParser&) = delete;

  // The next event; false when libyaml failed (its error flag is then set).
  bool Next() { return yaml_parser_parse(&parser_, &event_) != 0; }
  void DeleteEvent() { yaml_event_delete(&event_); }
  const yaml_event_t& Event() const { return event_; }
  const yaml_parser_t& Parser() const { return parser_; }

 private:
  yaml_parser_t parser_;
  yaml_event_t event_;
};

class YamlReader {
 public:
  BindingResult Run(std::string_view text);

 private:
  void Handle(const yaml_event_t& event);
  void OnScalar(const yaml_event_t& event);
  void OnAlias(const yaml_event_t& event);
  void OnStart(const yaml_event_t& event, bool is_sequence);
  void OnEnd();
  // Key position: `key` (all its bytes) becomes the pending key unless the mapping has it.
  // `shared`, when given, holds the same text in the result's tree.
  bool TakeKey(const BindingProperty& mapping, std::string_view key, const yaml_mark_t& mark,
               const BindingProperty* shared = nullptr);
  void ConvertScalar(BindingProperty& target, const yaml_event_t& event);
  void ConvertTagged(BindingProperty& target, const char* tag, std::string_view text);

  // The node the event fills: a new element of an open sequence, the member of the pending
  // key, or else the top open node itself. Null when nothing is open (after the root).
  BindingProperty* FindTarget(bool ends_sequence);
  void Push(BindingProperty* target);
  void Pop();
  // Records an anchor (failing on a repeated name); null after a failure.
  YamlAnchor* Record(const char* name, const yaml_mark_t& mark);
  const YamlPathNode* SharedPath();
  const BindingProperty& Follow(const YamlPathNode* path);

  bool Fail(YamlError code, const yaml_mark_t& mark, std::string text = std::string()) {
    error_ = code;
    error_text_ = std::move(text);
    error_line_ = static_cast<uint64_t>(mark.line) + 1;
    error_column_ = static_cast<uint64_t>(mark.column) + 1;
    return false;
  }
  bool Running() const { return error_ == YamlError::kNone && result_.Ok(); }

  BindingResult result_;
  std::vector<YamlOpenNode> open_;
  // Kept in step with open_; entries beyond open_.size() keep their names' storage for reuse.
  std::vector<YamlPathStep> path_;
  std::deque<YamlPathNode> path_nodes_;
  size_t shared_depth_ = 0;  // open_[0 .. shared_depth_) have their shared path
  std::map<std::string, YamlAnchor, std::less<>> anchors_;
  std::deque<BindingProperty> key_texts_;  // children of the result's tree
  std::string pending_key_;
  const BindingProperty* pending_shared_ = nullptr;  // the pending key, held in key_texts_
  bool has_key_ = false;
  bool seen_document_ = false;
  uint64_t values_ = 0;           // values in the tree so far, copies included
  uint64_t expansion_ = 0;        // values that alias copies created
  uint64_t bytes_ = 0;            // text bytes in the tree so far, copies included
  uint64_t expansion_bytes_ = 0;  // text bytes that alias copies created
  BindingProperty scratch_;       // the text handed to the number conversions
  std::vector<const YamlPathNode*> walk_;
  YamlError error_ = YamlError::kNone;
  std::string error_text_;
  uint64_t error_line_ = 0;
  uint64_t error_column_ = 0;
};

BindingResult YamlReader::Run(std::string_view text) {
  open_.reserve(16);
  path_.reserve(16);
  Push(&result_.Value());
  path_[0].kind = 2;
  path_[0].root = &result_.Value();

  YamlParser parser(text);
  bool parsed = parser.Next();
  while (parsed && Running() && parser.Event().type != YAML_STREAM_END_EVENT) {
    Handle(parser.Event());
    parser.DeleteEvent();
    if (!Running()) break;
    parsed = parser.Next();
  }
  if (error_ != YamlError::kNone) {
    result_.SetError(RenderError(error_, error_text_, error_line_, error_column_));
  } else if (result_.Ok() && parser.Parser().error != YAML_NO_ERROR) {
    const yaml_parser_t& state = parser.Parser();
    result_.SetError(FormatText("YAML parser error: %1. At line: %2 col: %3", state.problem,
                                static_cast<uint64_t>(state.problem_mark.line),
                                static_cast<uint64_t>(state.problem_mark.column)));
  }
  key_texts_.clear();  // before the tree leaves
  return std::move(result_);
}

void YamlReader::Handle(const yaml_event_t& event) {
  switch (event.type) {
    case YAML_DOCUMENT_START_EVENT:
      if (seen_document_) {
        Fail(YamlError::kMultiDocument, event.start_mark);
      } else {
        seen_document_ = true;
      }
      return;
    case YAML_SCALAR_EVENT:
      OnScalar(event);
      return;
    case YAML_ALIAS_EVENT:
      OnAlias(event);
      return;
    case YAML_SEQUENCE_START_EVENT:
      OnStart(event, true);
      return;
    case YAML_MAPPING_START_EVENT:
      OnStart(event, false);
      return;
    case YAML_SEQUENCE_END_EVENT:
    case YAML_MAPPING_END_EVENT:
      OnEnd();
      return;
    default:  // stream start, document end
      return;
  }
}

BindingProperty* YamlReader::FindTarget(bool ends_sequence) {
  if (open_.empty()) return nullptr;
  BindingProperty* top = open_.back().target;
  if (top->GetType() == BindingProperty::Type::Collection && !ends_sequence) {
    BindingProperty& element = top->Append();
    Push(&element);
    YamlPathStep& step = path_[open_.size() - 1];
    step.kind = 0;
    step.index = top->Size() - 1;
    return &element;
  }
  if (top->GetType() == BindingProperty::Type::Structure && has_key_) {
    has_key_ = false;
    if (pending_shared_ != nullptr) {
      // Shares the record of the held key text: no hashing, no copy of a long key.
      BindingProperty& member = top->MemberNamedBy(*pending_shared_);
      Push(&member);
      YamlPathStep& step = path_[open_.size() - 1];
      step.kind = 1;
      step.shared_name = pending_shared_;
      bytes_ += pending_shared_->Size();
      pending_shared_ = nullptr;
      return &member;
    }
    // The step keeps the name; the pending key's storage is reused for the next key.
    const std::string_view name = CutAtNul(pending_key_.data(), pending_key_.size());
    BindingProperty& member = top->MemberAt(name);
    Push(&member);
    YamlPathStep& step = path_[open_.size() - 1];
    step.kind = 1;
    step.shared_name = nullptr;
    step.name.swap(pending_key_);
    step.name.resize(name.size());
    bytes_ += name.size();
    return &member;
  }
  return top;
}

void YamlReader::Push(BindingProperty* target) {
  const size_t depth = open_.size();
  open_.push_back(YamlOpenNode{target, nullptr, nullptr, 0, values_, bytes_});
  if (path_.size() <= depth) path_.emplace_back();
  shared_depth_ = std::min(shared_depth_, depth);
}

void YamlReader::Pop() {
  const uint32_t deepest = open_.back().deepest;
  open_.pop_back();
  shared_depth_ = std::min(shared_depth_, open_.size());
  if (!open_.empty()) open_.back().deepest = std::max(open_.back().deepest, deepest);
}

const YamlPathNode* YamlReader::SharedPath() {
  for (size_t i = shared_depth_; i < open_.size(); ++i) {
    path_nodes_.push_back(YamlPathNode{i == 0 ? nullptr : open_[i - 1].path, path_[i]});
    open_[i].path = &path_nodes_.back();
  }
  shared_depth_ = open_.size();
  return open_.back().path;
}

const BindingProperty& YamlReader::Follow(const YamlPathNode* path) {
  walk_.clear();
  for (const YamlPathNode* node = path; node != nullptr; node = node->parent)
    walk_.push_back(node);
  const BindingProperty* value = &BindingProperty::Empty();
  for (auto it = walk_.rbegin(); it != walk_.rend(); ++it) {
    const YamlPathStep& step = (*it)->step;
    switch (step.kind) {
      case 2:
        value = step.root;
        break;
      case 0:
        value = &value->ElementAt(step.index);
        break;
      default:
        value = &value->MemberAt(step.Name());
        break;
    }
  }
  return *value;
}

YamlAnchor* YamlReader::Record(const char* name, const yaml_mark_t& mark) {
  auto [it, inserted] = anchors_.try_emplace(std::string(name));
  if (!inserted) {
    Fail(YamlError::kDuplicateAnchor, mark, it->first);
    return nullptr;
  }
  return &it->second;
}

bool YamlReader::TakeKey(const BindingProperty& mapping, std::string_view key,
                         const yaml_mark_t& mark, const BindingProperty* shared) {
  // YAML forbids a repeated key; the member name is the key up to its first NUL.
  const std::string_view name = CutAtNul(key.data(), key.size());
  if (&mapping.MemberAt(name) != &BindingProperty::Empty()) {
    return Fail(YamlError::kDuplicateKey, mark, std::string(name));
  }
  // A held text names the member only when it has no NUL to cut at.
  if (shared != nullptr && name.size() == key.size()) {
    pending_shared_ = shared;
  } else {
    pending_key_.assign(key.data(), key.size());
    pending_shared_ = nullptr;
  }
  has_key_ = true;
  return true;
}

void YamlReader::OnScalar(const yaml_event_t& event) {
  BindingProperty* target = FindTarget(false);
  if (target == nullptr) return;
  const auto& scalar = event.data.scalar;
  const char* tag = reinterpret_cast<const char*>(scalar.tag);
  const char* anchor = reinterpret_cast<const char*>(scalar.anchor);
  const std::string_view text(reinterpret_cast<const char*>(scalar.value), scalar.length);

  if (target->GetType() == BindingProperty::Type::Structure) {
    if (tag != nullptr && std::strcmp(tag, YAML_STR_TAG) != 0) {
      Fail(YamlError::kInvalidMappingKey, event.start_mark);
      return;
    }
    if (anchor == nullptr) {
      TakeKey(*target, text, event.start_mark);
      return;
    }
    // The anchored text is held in the tree, so that its aliases share its record.
    BindingProperty& held =
        key_texts_.emplace_back(detail::BindingChildTag{}, result_.Value().TreePool());
    held.SetString(text);
    if (!TakeKey(*target, text, event.start_mark, &held)) return;
    YamlAnchor* record = Record(anchor, event.start_mark);
    if (record == nullptr) return;
    record->key = &held;
    record->bytes = text.size();
    return;
  }

  ConvertScalar(*target, event);
  if (!Running()) return;
  ++values_;
  const uint64_t bytes = target->GetType() == BindingProperty::Type::String ? target->Size() : 0;
  bytes_ += bytes;
  if (anchor != nullptr) {
    YamlAnchor* record = Record(anchor, event.start_mark);
    if (record == nullptr) return;
    record->path = SharedPath();
    record->bytes = bytes;
    open_.back().anchor = record;
  }
  Pop();
}

void YamlReader::ConvertScalar(BindingProperty& target, const yaml_event_t& event) {
  const auto& scalar = event.data.scalar;
  const char* value = reinterpret_cast<const char*>(scalar.value);
  const std::string_view text(value, scalar.length);
  if (scalar.tag != nullptr) {
    ConvertTagged(target, reinterpret_cast<const char*>(scalar.tag), text);
    return;
  }
  if (scalar.style == YAML_SINGLE_QUOTED_SCALAR_STYLE ||
      scalar.style == YAML_DOUBLE_QUOTED_SCALAR_STYLE) {
    target.SetString(text);
    return;
  }
  const std::string_view plain = CutAtNul(value, scalar.length);
  const YamlWord word = ClassifyWord(plain);
  double number;
  if (word == YamlWord::kNull) {
    target.Clear();
  } else if (word == YamlWord::kNone && ReadPlainNumber(plain, number)) {
    SetPlainNumber(target, number);
  } else if (word != YamlWord::kNone) {
    target.SetBool(word == YamlWord::kTrue);
  } else {
    target.SetString(text);
  }
}

void YamlReader::ConvertTagged(BindingProperty& target, const char* tag, std::string_view text) {
  if (std::strcmp(tag, YAML_STR_TAG) == 0) {
    target.SetString(text);
    return;
  }
  const std::string_view number = CutAtNul(text.data(), text.size());
  if (std::strcmp(tag, YAML_INT_TAG) == 0) {
    scratch_.SetString(number);
    if (!text.empty() && text[0] == '-') {
      if (auto value = AssignSigned(result_, scratch_, "yaml", kYamlSignedRange)) {
        target.SetSigned(*value);
      }
    } else if (auto value = AssignUnsigned(result_, scratch_, "yaml", kYamlUnsignedRange)) {
      target.SetUnsigned(*value);
    }
    return;
  }
  if (std::strcmp(tag, YAML_FLOAT_TAG) == 0) {
    scratch_.SetString(number);
    if (auto value = AssignFloat(result_, scratch_, "yaml", kBindingDoubleRange)) {
      target.SetFloat(*value);
    }
    return;
  }
  if (std::strcmp(tag, YAML_BOOL_TAG) == 0) {
    const YamlWord word = ClassifyWord(number);
    if (word == YamlWord::kTrue || word == YamlWord::kFalse) {
      target.SetBool(word == YamlWord::kTrue);
    } else {
      Fail(YamlError::kBoolFormat, yaml_mark_t{}, std::string(number));
    }
    return;
  }
  Fail(YamlError::kUnsupportedTag, yaml_mark_t{}, std::string(tag));
}

void YamlReader::OnAlias(const yaml_event_t& event) {
  BindingProperty* target = FindTarget(false);
  if (target == nullptr) return;
  const char* name = reinterpret_cast<const char*>(event.data.alias.anchor);
  const auto found = anchors_.find(std::string_view(name));
  if (found != anchors_.end() && found->second.open) {
    Fail(YamlError::kCyclicAlias, event.start_mark, name);
    return;
  }
  if (found == anchors_.end()) {
    Fail(YamlError::kUndefinedAlias, event.start_mark, name);
    return;
  }
  const YamlAnchor& anchor = found->second;

  // In key position the alias stands for a key text; the mapping stays the top open node.
  if (target->GetType() == BindingProperty::Type::Structure) {
    if (anchor.key == nullptr) {
      Fail(YamlError::kInvalidMappingKey, event.start_mark);
      return;
    }
    const std::string_view text = anchor.key->GetStringView();
    const uint64_t name_bytes = CutAtNul(text.data(), text.size()).size();
    if (name_bytes > kMaxAliasTextBytes - expansion_bytes_) {
      Fail(YamlError::kAliasExpansion, event.start_mark);
      return;
    }
    if (TakeKey(*target, text, event.start_mark, anchor.key)) expansion_bytes_ += name_bytes;
    return;
  }

  const size_t level = open_.size();
  if (anchor.height > 0 && level + anchor.height - 1 > static_cast<size_t>(kMaxNestingDepth)) {
    Fail(YamlError::kNestingTooDeep, event.start_mark);
    return;
  }
  if (anchor.values > kMaxAliasExpansion - expansion_ ||
      anchor.bytes > kMaxAliasTextBytes - expansion_bytes_) {
    Fail(YamlError::kAliasExpansion, event.start_mark);
    return;
  }
  // The target is a new node and the anchored one is complete, so neither holds the other.
  if (anchor.key != nullptr) {
    target->CopyFromDisjoint(*anchor.key);
  } else {
    target->CopyFromDisjoint(Follow(anchor.path));
    if (anchor.height > 0) open_.back().deepest = static_cast<uint32_t>(level + anchor.height - 1);
  }
  values_ += anchor.values;
  expansion_ += anchor.values;
  bytes_ += anchor.bytes;
  expansion_bytes_ += anchor.bytes;
  Pop();
}

void YamlReader::OnStart(const yaml_event_t& event, bool is_sequence) {
  BindingProperty* target = FindTarget(false);
  if (target == nullptr) return;
  if (target->GetType() == BindingProperty::Type::Structure) {
    Fail(is_sequence ? YamlError::kUnexpectedSequence : YamlError::kUnexpectedMapping,
         event.start_mark);
    return;
  }
  const size_t level = open_.size();
  if (level > static_cast<size_t>(kMaxNestingDepth)) {
    Fail(YamlError::kNestingTooDeep, event.start_mark);
    return;
  }
  if (is_sequence) {
    target->MakeCollection();
  } else {
    target->MakeStructure();
  }
  YamlOpenNode& node = open_.back();
  node.deepest = static_cast<uint32_t>(level);
  node.values_before = values_;
  node.bytes_before = bytes_;
  ++values_;
  const yaml_char_t* anchor =
      is_sequence ? event.data.sequence_start.anchor : event.data.mapping_start.anchor;
  if (anchor != nullptr) {
    YamlAnchor* record = Record(reinterpret_cast<const char*>(anchor), event.start_mark);
    if (record == nullptr) return;
    record->path = SharedPath();
    record->open = true;
    open_.back().anchor = record;
  }
}

void YamlReader::OnEnd() {
  if (open_.empty()) return;
  const YamlOpenNode& node = open_.back();
  if (node.anchor != nullptr) {
    node.anchor->open = false;
    node.anchor->height = node.deepest - static_cast<uint32_t>(open_.size()) + 1;
    node.anchor->values = values_ - node.values_before;
    node.anchor->bytes = bytes_ - node.bytes_before;
  }
  Pop();
}

}  // namespace
}  // namespace detail

BindingResult ParseYaml(std::string_view text) {
  detail::YamlReader reader;
  return reader.Run(text);
}

BindingResult ParseYaml(const std::string& text) {
  return ParseYaml(std::string_view(text));
}

BindingResult ParseYaml(const char* text) {
  return ParseYaml(text == nullptr ? std::string_view() : std::string_view(text));
}

bool LooksLikeYaml(const char* text) {
  if (text == nullptr) return false;
  while (*text == ' ')
    ++text;
  return std::strncmp(text, "---", 3) == 0;
}

}  // namespace Vorn
