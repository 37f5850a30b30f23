// Writing a BindingProperty as JSON text, compact or indented, through RapidJSON's writers.
#pragma once

#include <string>

#include "sdk/binding/binding_property.h"
#include "sdk/binding/enum_name_lookup.h"

namespace Vorn {

// The JSON text of `value`; the empty text when `value` itself is Empty (an Empty element or
// member is written as null). `registry`, when given, names enumerators; an Enum it cannot name
// is written as its number. A null or empty `newline` gives the compact form; otherwise the
// indented form (four spaces per level) with `newline` at the end of every line but the last.
// A NaN or infinite Float is written as null. Never fails. `value` must not change during the
// call; the registry is asked under its own lock.
std::string WriteJson(const BindingProperty& value, const BindingEnumNameLookup* registry = nullptr,
                      const char* newline = nullptr);

}  // namespace Vorn
