// The help records' registration, the Full records and Epytext texts of functions, types and
// events, and BuildHelp over lists of registry records.
#include "sdk/binding/help_provider.h"

#include <algorithm>
#include <utility>

#include "sdk/binding/binding_registry.h"
#include "sdk/binding/conversions.h"
#include "sdk/binding/static_type_hash.h"
#include "sdk/binding/type_builder.h"
#include "sdk/runtime/format_text.h"

namespace Vorn {

namespace {

using Provider = BindingHelpProvider;

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kParagraphEnd = "\r\n\r\n";

// Null entries are dropped; std::string orders its bytes as unsigned, a prefix first.
template <typename Record>
std::vector<const Record*> SortedByName(const std::vector<const Record*>& records) {
  std::vector<const Record*> copy;
  copy.reserve(records.size());
  for (const Record* record : records) {
    if (record != nullptr) copy.push_back(record);
  }
  std::stable_sort(copy.begin(), copy.end(),
                   [](const Record* a, const Record* b) { return a->name < b->name; });
  return copy;
}

std::string JoinTags(const std::vector<std::string>& tags) {
  std::string joined;
  for (const std::string& tag : tags) {
    if (!joined.empty()) joined += ',';
    joined += tag;
  }
  return joined;
}

void AppendParagraph(std::string& text, const std::string& paragraph) {
  if (paragraph.empty()) return;
  text += Provider::EpytextEscape(paragraph);
  text += kParagraphEnd;
}

void AppendTags(std::string& text, const std::vector<std::string>& tags) {
  if (tags.empty()) return;
  text += "@tags: ";
  text += JoinTags(tags);
  text += kLineEnd;
}

BindingTypeDescriptor ElementOf(const BindingTypeDescriptor& descriptor) {
  return {descriptor.element_code, BindingTypeCode::None, descriptor.record};
}

std::string RecordName(const BindingTypeDescriptor& descriptor) {
  return descriptor.record == nullptr ? std::string() : descriptor.record->name;
}

std::string RecordEpytext(const BindingTypeRecord& type) {
  std::string text;
  AppendParagraph(text, type.description);
  for (const BindingFieldRecord& field : type.fields) {
    text += "@ivar " + field.name + ": " + field.description + kLineEnd;
    text += "@type " + field.name + ": " + Provider::EpytextType(field.type) + kLineEnd;
  }
  AppendTags(text, type.tags);
  return text;
}

std::string EnumerationEpytext(const BindingTypeRecord& type) {
  std::vector<const BindingEnumValueRecord*> values;
  values.reserve(type.values.size());
  for (const auto& [name, value] : type.values)
    values.push_back(&value);
  // Stable over the name order, so equal values keep their names' order.
  std::stable_sort(values.begin(), values.end(),
                   [](const BindingEnumValueRecord* a, const BindingEnumValueRecord* b) {
                     return a->value < b->value;
                   });
  std::string text;
  AppendParagraph(text, type.description);
  for (const BindingEnumValueRecord* value : values) {
    text += "@cvar " + value->name + ": (" + std::to_string(value->value) + ")";
    if (!value->description.empty()) text += " " + value->description;
    text += kLineEnd;
  }
  AppendTags(text, type.tags);
  text += "@size: " + std::to_string(type.size) + kLineEnd;
  return text;
}

// Converts one help record into a new element of `list`; the element stays Empty when the
// record's type is not registered or the conversion fails.
template <typename Help>
void AppendHelp(BindingProperty& list, const Help& help, const BindingTypeRecord* type) {
  BindingProperty& element = list.Append();
  BindingResult converted;
  if (!detail::WriteRecord(converted, element, type, &help)) element.Clear();
}

template <typename Help>
const BindingTypeRecord* HelpRecord(const BindingRegistry& registry) {
  return registry.FindTypeByIdentity(StaticType::HashCode<Help>());
}

}  // namespace

void BindingHelpProvider::RegisterTypes(BindingRegistry& registry) {
  const std::vector<std::string> tags = {"$builtin", "help"};

  registry.BeginEnum<HelpFormat>("BindingHelpFormat")
      .AddEnumValue("Full", HelpFormat::Full, "Native help format")
      .AddEnumValue("Epytext", HelpFormat::Epytext, "Python epytext format")
      .SetDescription("Help format for binding functions and types.")
      .AddTags(tags);
  registry.BeginType<FullTypeIdentifier>("BindingFullTypeIdentifier")
      .AddField("type", &FullTypeIdentifier::type)
      .AddField("elementType", &FullTypeIdentifier::elementType)
      .SetDescription("Describes the type of a value.")
      .AddTags(tags);
  registry.BeginType<FullArgumentHelp>("BindingFullArgumentHelp")
      .AddField("name", &FullArgumentHelp::name)
      .AddField("description", &FullArgumentHelp::description)
      .AddField("type", &FullArgumentHelp::type)
      .AddField("optional", &FullArgumentHelp::optional)
      .SetDescription("Describes a function parameter.")
      .AddTags(tags);
  registry.BeginType<FullFunctionHelp>("BindingFullFunctionHelp")
      .AddField("name", &FullFunctionHelp::name)
      .AddField("nameSpace", &FullFunctionHelp::nameSpace)
      .AddField("arguments", &FullFunctionHelp::arguments)
      .AddField("returns", &FullFunctionHelp::returns)
      .AddField("description", &FullFunctionHelp::description)
      .AddField("help", &FullFunctionHelp::help)
      .AddField("threadSafe", &FullFunctionHelp::threadSafe)
      .AddField("async", &FullFunctionHelp::async)
      .AddField("tags", &FullFunctionHelp::tags)
      .SetDescription("Describes a function.")
      .AddTags(tags);
  registry.BeginType<FullEnumValueHelp>("BindingFullEnumValueHelp")
      .AddField("name", &FullEnumValueHelp::name)
      .AddField("description", &FullEnumValueHelp::description)
      .AddField("value", &FullEnumValueHelp::value)
      .SetDescription("Describes an enumerator.")
      .AddTags(tags);
  registry.BeginType<FullFieldHelp>("BindingFullFieldHelp")
      .AddField("name", &FullFieldHelp::name)
      .AddField("description", &FullFieldHelp::description)
      .AddField("offset", &FullFieldHelp::offset)
      .AddField("type", &FullFieldHelp::type)
      .AddField("optional", &FullFieldHelp::optional)
      .SetDescription("Describes a member of a struct.")
      .AddTags(tags);
  registry.BeginType<FullTypeHelp>("BindingFullTypeHelp")
      .AddField("name", &FullTypeHelp::name)
      .AddField("nameSpace", &FullTypeHelp::nameSpace)
      .AddField("size", &FullTypeHelp::size)
      .AddField("description", &FullTypeHelp::description)
      .AddField("tags", &FullTypeHelp::tags)
      .AddField("fields", &FullTypeHelp::fields)
      .AddField("values", &FullTypeHelp::values)
      .SetDescription("Describes a struct or enum type.")
      .AddTags(tags);
  registry.BeginType<FullEventHelp>("BindingFullEventHelp")
      .AddField("name", &FullEventHelp::name)
      .AddField("nameSpace", &FullEventHelp::nameSpace)
      .AddField("type", &FullEventHelp::type)
      .AddField("description", &FullEventHelp::description)
      .AddField("tags", &FullEventHelp::tags)
      .SetDescription("Describes an event.")
      .AddTags(tags);
  registry.BeginType<FullApiHelp>("BindingFullApiHelp")
      .AddField("functions", &FullApiHelp::functions)
      .AddField("types", &FullApiHelp::types)
      .AddField("events", &FullApiHelp::events)
      .SetDescription("Describes the exposed native API.")
      .AddTags(tags);
}

void BindingHelpProvider::BuildHelp(BindingResult& result,
                                    const std::vector<const BindingFunctionRecord*>& functions,
                                    const std::vector<const BindingTypeRecord*>& types,
                                    const std::vector<const BindingEventRecord*>& events,
                                    HelpFormat format) const {
  if (!result.Ok()) return;
  BindingProperty& root = result.Value();
  root.Clear();
  root.MakeStructure();
  // Created first so that a list without items is still present, as Empty.
  root.MemberAt("functions");
  root.MemberAt("types");
  root.MemberAt("events");

  if (format == HelpFormat::Full) {
    const BindingTypeRecord* function_help = HelpRecord<FullFunctionHelp>(registry_);
    const BindingTypeRecord* type_help = HelpRecord<FullTypeHelp>(registry_);
    const BindingTypeRecord* event_help = HelpRecord<FullEventHelp>(registry_);
    for (const BindingFunctionRecord* function : SortedByName(functions))
      AppendHelp(root.MemberAt("functions"), FunctionHelp(*function), function_help);
    for (const BindingTypeRecord* type : SortedByName(types))
      AppendHelp(root.MemberAt("types"), TypeHelp(*type), type_help);
    for (const BindingEventRecord* event : SortedByName(events))
      AppendHelp(root.MemberAt("events"), EventHelp(*event), event_help);
  } else if (format == HelpFormat::Epytext) {
    for (const BindingFunctionRecord* function : SortedByName(functions))
      root.MemberAt("functions").MemberAt(function->name).SetString(FunctionEpytext(*function));
    for (const BindingTypeRecord* type : SortedByName(types))
      root.MemberAt("types").MemberAt(type->name).SetString(TypeEpytext(*type));
    for (const BindingEventRecord* event : SortedByName(events))
      root.MemberAt("events").MemberAt(event->name).SetString(EventEpytext(*event));
  }
}

void BindingHelpProvider::BuildHelp(BindingResult& result, HelpFormat format) const {
  BuildHelp(result, registry_.FunctionSnapshot(), registry_.TypeSnapshot(),
            registry_.EventSnapshot(), format);
}

BindingHelpProvider::FullTypeIdentifier BindingHelpProvider::TypeIdentifier(
    const BindingTypeDescriptor& descriptor) {
  FullTypeIdentifier identifier;
  switch (descriptor.code) {
    case BindingTypeCode::Vector:
    case BindingTypeCode::Map:
      identifier.type = BindingTypeCodeName(descriptor.code);
      identifier.elementType = TypeIdentifier(ElementOf(descriptor)).type;
      break;
    case BindingTypeCode::Enum:
    case BindingTypeCode::Struct:
      identifier.type = descriptor.record != nullptr ? descriptor.record->name
                                                     : BindingTypeCodeName(descriptor.code);
      break;
    default:
      identifier.type = BindingTypeCodeName(descriptor.code);
      break;
  }
  return identifier;
}

std::string BindingHelpProvider::EpytextType(const BindingTypeDescriptor& descriptor) {
  switch (descriptor.code) {
    case BindingTypeCode::Blob:
      return "bytearray";
    case BindingTypeCode::Vector:
      return FormatText("list[%1]", EpytextType(ElementOf(descriptor)));
    case BindingTypeCode::Map:
      return FormatText("dict[%1]", EpytextType(ElementOf(descriptor)));
    case BindingTypeCode::Enum:
    case BindingTypeCode::Struct:
      return FormatText("L{%1}", RecordName(descriptor));
    default:
      // Every other code is spelled by its name text ("" when unknown).
      return BindingTypeCodeName(descriptor.code);
  }
}

std::string BindingHelpProvider::EpytextEscape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '-' && i == 0) {
      escaped += "E{-}";  // a leading "-" would start a list item
    } else if (c == '{') {
      escaped += "E{lb}";
    } else if (c == '}') {
      escaped += "E{rb}";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

BindingHelpProvider::FullArgumentHelp BindingHelpProvider::ArgumentHelp(
    const BindingArgumentRecord& argument) {
  FullArgumentHelp help;
  help.name = argument.name;
  help.description = argument.description;
  help.type = TypeIdentifier(argument.type);
  help.optional = argument.optional;
  return help;
}

BindingHelpProvider::FullFunctionHelp BindingHelpProvider::FunctionHelp(
    const BindingFunctionRecord& function) {
  FullFunctionHelp help;
  help.name = function.name;
  help.nameSpace = function.name_space;
  help.arguments.reserve(function.arguments.size());
  for (const BindingArgumentRecord& argument : function.arguments)
    help.arguments.push_back(ArgumentHelp(argument));
  help.returns = TypeIdentifier(function.returns);
  help.description = function.description;
  help.help = function.help;
  help.threadSafe = function.thread_safe;
  // A result that names no registered type has no asynchronous type name.
  if (function.async) help.async = RecordName(function.returns);
  help.tags = function.tags;
  return help;
}

BindingHelpProvider::FullTypeHelp BindingHelpProvider::TypeHelp(const BindingTypeRecord& type) {
  FullTypeHelp help;
  help.name = type.name;
  help.nameSpace = type.name_space;
  help.size = type.size;
  help.description = type.description;
  help.tags = type.tags;
  if (type.is_enum) {
    help.values.reserve(type.values.size());
    for (const auto& [name, value] : type.values)
      help.values.push_back({value.name, value.description, value.value});
  } else {
    help.fields.reserve(type.fields.size());
    for (const BindingFieldRecord& field : type.fields) {
      help.fields.push_back({field.name, field.description, field.offset,
                             TypeIdentifier(field.type), field.optional});
    }
  }
  return help;
}

BindingHelpProvider::FullEventHelp BindingHelpProvider::EventHelp(const BindingEventRecord& event) {
  FullEventHelp help;
  help.name = event.name;
  help.nameSpace = event.name_space;
  const bool is_enum = event.payload_type != nullptr && event.payload_type->is_enum;
  help.type = TypeIdentifier({is_enum ? BindingTypeCode::Enum : BindingTypeCode::Struct,
                              BindingTypeCode::None, event.payload_type});
  help.description = event.description;
  help.tags = event.tags;
  return help;
}

std::string BindingHelpProvider::FunctionEpytext(const BindingFunctionRecord& function) {
  std::string text;
  AppendParagraph(text, function.description);
  AppendParagraph(text, function.help);
  for (const BindingArgumentRecord& argument : function.arguments) {
    if (!argument.description.empty()) {
      text += "@param " + argument.name + ": ";
      if (argument.optional) text += "(optional) ";
      text += EpytextEscape(argument.description) + kLineEnd;
    }
    text += "@type " + argument.name + ": " + EpytextType(argument.type) + kLineEnd;
  }
  if (function.returns.code != BindingTypeCode::None) {
    text += "@rtype: " + EpytextType(function.returns) + kLineEnd;
  }
  AppendTags(text, function.tags);
  if (function.thread_safe) text += "@threadsafe: true\r\n";
  if (function.async) text += "@async: " + EpytextType(function.returns) + kLineEnd;
  return text;
}

std::string BindingHelpProvider::TypeEpytext(const BindingTypeRecord& type) {
  return type.is_enum ? EnumerationEpytext(type) : RecordEpytext(type);
}

std::string BindingHelpProvider::EventEpytext(const BindingEventRecord& event) {
  // The description paragraph is written even when empty.
  std::string text = EpytextEscape(event.description) + kParagraphEnd;
  AppendTags(text, event.tags);
  return text;
}

}  // namespace Vorn
