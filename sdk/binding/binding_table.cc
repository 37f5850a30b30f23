// Building the host's flat description of the registry.
#include "sdk/binding/binding_table.h"

namespace Vorn {
namespace {

template <typename Entry>
void Link(std::vector<Entry>& entries) {
  for (size_t i = 0; i + 1 < entries.size(); ++i)
    entries[i].next = &entries[i + 1];
  if (!entries.empty()) entries.back().next = nullptr;
}

template <typename Entry>
const Entry* First(const std::vector<Entry>& entries) {
  return entries.empty() ? nullptr : entries.data();
}

}  // namespace

uint32_t BindingEntryTypeCode(BindingTypeCode code) {
  const auto value = static_cast<uint32_t>(code);
  return value >= 1 && value <= 19 ? value : 0;
}

const char* BindingEntryTypeName(const BindingTypeDescriptor& type) {
  switch (type.code) {
    case BindingTypeCode::Vector:
    case BindingTypeCode::Enum:
    case BindingTypeCode::Struct:
    case BindingTypeCode::Map:
      return type.record != nullptr ? type.record->name.c_str() : "";
    default:
      return "";
  }
}

const BindingTypeDescriptor& BindingEntryDescriptor(const BindingTypeDescriptor& type,
                                                    const BindingTypeDescriptor& extra) {
  return extra.code != BindingTypeCode::None ? extra : type;
}

const char* const* BindingTableHolder::TagArray(const std::vector<std::string>& tags) {
  if (tags.empty()) return nullptr;
  std::vector<const char*> texts;
  texts.reserve(tags.size());
  for (const std::string& tag : tags)
    texts.push_back(tag.c_str());
  tags_.push_back(std::move(texts));
  return tags_.back().data();
}

BindingTableWords BindingTableHolder::Build(
    const std::vector<const BindingFunctionRecord*>& functions,
    const std::vector<const BindingTypeRecord*>& types,
    const std::vector<const BindingEventRecord*>& events) {
  functions_.clear();
  types_.clear();
  events_.clear();
  arguments_.clear();
  fields_.clear();
  enumerators_.clear();
  tags_.clear();

  functions_.reserve(functions.size());
  for (const BindingFunctionRecord* function : functions) {
    std::vector<BindingArgumentEntry> arguments;
    arguments.reserve(function->arguments.size());
    for (const BindingArgumentRecord& argument : function->arguments) {
      const BindingTypeDescriptor& type =
          BindingEntryDescriptor(argument.type, argument.extra_type);
      BindingArgumentEntry entry{};
      entry.name = argument.name.c_str();
      entry.description = argument.description.c_str();
      entry.type_code = BindingEntryTypeCode(type.code);
      entry.element_type_code = BindingEntryTypeCode(type.element_code);
      entry.type_name = BindingEntryTypeName(type);
      entry.optional = argument.optional ? 1 : 0;
      arguments.push_back(entry);
    }
    Link(arguments);
    arguments_.push_back(std::move(arguments));

    const BindingTypeDescriptor& result =
        BindingEntryDescriptor(function->returns, function->extra_returns);
    BindingFunctionEntry item{};
    BindingFunctionDescription& entry = item.function;
    entry.name = function->name.c_str();
    entry.name_space = function->name_space.c_str();
    entry.arguments = First(arguments_.back());
    entry.argument_count = static_cast<uint32_t>(arguments_.back().size());
    entry.result_type_code = BindingEntryTypeCode(result.code);
    entry.result_element_type_code = BindingEntryTypeCode(result.element_code);
    entry.result_type_name = BindingEntryTypeName(result);
    entry.description = function->description.c_str();
    entry.help = function->help.c_str();
    entry.thread_safe = function->thread_safe ? 1 : 0;
    entry.async_type_name =
        function->async && result.record != nullptr ? result.record->name.c_str() : "";
    entry.tags = TagArray(function->tags);
    entry.tag_count = static_cast<uint32_t>(function->tags.size());
    functions_.push_back(item);
  }
  Link(functions_);

  types_.reserve(types.size());
  for (const BindingTypeRecord* type : types) {
    BindingTypeEntry entry{};
    entry.name = type->name.c_str();
    entry.name_space = type->name_space.c_str();
    entry.size = type->size;
    entry.description = type->description.c_str();
    entry.tags = TagArray(type->tags);
    entry.tag_count = static_cast<uint32_t>(type->tags.size());
    if (!type->fields.empty()) {
      std::vector<BindingFieldEntry> fields;
      fields.reserve(type->fields.size());
      for (const BindingFieldRecord& field : type->fields) {
        const BindingTypeDescriptor& shown = BindingEntryDescriptor(field.type, field.extra_type);
        BindingFieldEntry item{};
        item.name = field.name.c_str();
        item.description = field.description.c_str();
        item.offset = field.offset;
        item.type_code = BindingEntryTypeCode(shown.code);
        item.element_type_code = BindingEntryTypeCode(shown.element_code);
        item.type_name = BindingEntryTypeName(shown);
        item.optional = field.optional ? 1 : 0;
        fields.push_back(item);
      }
      Link(fields);
      fields_.push_back(std::move(fields));
      entry.fields = fields_.back().data();
      entry.member_count = static_cast<uint32_t>(fields_.back().size());
    } else {
      std::vector<BindingEnumeratorEntry> enumerators;
      enumerators.reserve(type->values.size());
      for (const auto& [name, value] : type->values) {
        BindingEnumeratorEntry item{};
        item.name = value.name.c_str();
        item.description = value.description.c_str();
        item.value = value.value;
        enumerators.push_back(item);
      }
      Link(enumerators);
      entry.member_count = static_cast<uint32_t>(enumerators.size());
      enumerators_.push_back(std::move(enumerators));
      entry.enumerators = First(enumerators_.back());
    }
    types_.push_back(entry);
  }
  Link(types_);

  events_.reserve(events.size());
  for (const BindingEventRecord* event : events) {
    BindingEventEntry entry{};
    entry.name = event->name.c_str();
    entry.name_space = event->name_space.c_str();
    entry.payload_type_name =
        event->payload_type != nullptr ? event->payload_type->name.c_str() : "";
    entry.description = event->description.c_str();
    entry.tags = TagArray(event->tags);
    entry.tag_count = static_cast<uint32_t>(event->tags.size());
    events_.push_back(entry);
  }
  Link(events_);

  words_ = BindingTableWords{First(functions_), static_cast<uint32_t>(functions_.size()),
                             First(types_),     static_cast<uint32_t>(types_.size()),
                             First(events_),    static_cast<uint32_t>(events_.size())};
  return words_;
}

}  // namespace Vorn
