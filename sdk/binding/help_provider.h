// BindingHelpProvider: describes a registry's functions, types and events, either as a tree of
// help records (themselves registered types, so the host sees them too) or as one epytext text
// per item.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/binding/binding_event_record.h"
#include "sdk/binding/binding_function_record.h"
#include "sdk/binding/binding_result.h"
#include "sdk/binding/binding_type_descriptor.h"
#include "sdk/binding/binding_type_record.h"

namespace Vorn {

class BindingRegistry;

class BindingHelpProvider {
 public:
  enum class HelpFormat : int32_t {
    Full = 1,     // a tree of the help records below
    Epytext = 2,  // one epytext text per item
  };

  // The help records. Member names are the registered field names.
  struct FullTypeIdentifier {
    std::string type;
    std::string elementType;
  };
  struct FullArgumentHelp {
    std::string name;
    std::string description;
    FullTypeIdentifier type;
    bool optional = false;
  };
  struct FullFunctionHelp {
    std::string name;
    std::string nameSpace;
    std::vector<FullArgumentHelp> arguments;
    FullTypeIdentifier returns;
    std::string description;
    std::string help;
    bool threadSafe = false;
    std::string async;  // the result's registered type name for an asynchronous function
    std::vector<std::string> tags;
  };
  struct FullEnumValueHelp {
    std::string name;
    std::string description;
    int32_t value = 0;
  };
  struct FullFieldHelp {
    std::string name;
    std::string description;
    uint32_t offset = 0;
    FullTypeIdentifier type;
    bool optional = false;
  };
  struct FullTypeHelp {
    std::string name;
    std::string nameSpace;
    uint32_t size = 0;
    std::string description;
    std::vector<std::string> tags;
    std::vector<FullFieldHelp> fields;      // records only
    std::vector<FullEnumValueHelp> values;  // enumerations only, in name order
  };
  struct FullEventHelp {
    std::string name;
    std::string nameSpace;
    FullTypeIdentifier type;
    std::string description;
    std::vector<std::string> tags;
  };
  struct FullApiHelp {
    std::vector<FullFunctionHelp> functions;
    std::vector<FullTypeHelp> types;
    std::vector<FullEventHelp> events;
  };

  // Registers "BindingHelpFormat" and the eight "BindingFull..." records, each tagged
  // "$builtin" and "help", every record after those it refers to.
  static void RegisterTypes(BindingRegistry& registry);

  // The help records are converted through `registry`, which must outlive the provider.
  explicit BindingHelpProvider(const BindingRegistry& registry) : registry_(registry) {}

  // Fills `result` with a Structure of "functions", "types" and "events", each item in name
  // order: with Full a Collection of help records, with Epytext a Structure of texts keyed by
  // the item's name. A member with no item (an empty list, another format) stays Empty; an
  // item whose help record cannot be converted is an Empty element. Never fails `result`;
  // does nothing when it has already failed.
  void BuildHelp(BindingResult& result, const std::vector<const BindingFunctionRecord*>& functions,
                 const std::vector<const BindingTypeRecord*>& types,
                 const std::vector<const BindingEventRecord*>& events, HelpFormat format) const;
  // BuildHelp over snapshots of the whole registry.
  void BuildHelp(BindingResult& result, HelpFormat format) const;

  // "vector"/"map" with the element's type, a record's registered name ("enum"/"struct" without
  // one), or the code's name text.
  static FullTypeIdentifier TypeIdentifier(const BindingTypeDescriptor& descriptor);
  // "int32", "bytearray", "list[L{Item}]", "dict[int32]", ...; the empty text for an unknown
  // code.
  static std::string EpytextType(const BindingTypeDescriptor& descriptor);
  // A leading "-" becomes "E{-}", braces "E{lb}" and "E{rb}".
  static std::string EpytextEscape(std::string_view text);

  // The Full records of one item.
  static FullArgumentHelp ArgumentHelp(const BindingArgumentRecord& argument);
  static FullFunctionHelp FunctionHelp(const BindingFunctionRecord& function);
  static FullTypeHelp TypeHelp(const BindingTypeRecord& type);
  static FullEventHelp EventHelp(const BindingEventRecord& event);

  // The Epytext texts of one item; every line ends with "\r\n".
  static std::string FunctionEpytext(const BindingFunctionRecord& function);
  static std::string TypeEpytext(const BindingTypeRecord& type);
  static std::string EventEpytext(const BindingEventRecord& event);

 private:
  const BindingRegistry& registry_;
};

}  // namespace Vorn
