// Reading one YAML document into a BindingProperty, and the cheap guess whether a text is YAML.
// The lexing and parsing are libyaml's; the value is built in one pass over its events.
#pragma once

#include <string>
#include <string_view>

#include "sdk/binding/binding_result.h"

namespace Vorn {

// Reads all the bytes of `text` (NULs included; libyaml refuses them) as UTF-8 YAML holding at
// most one document. Ok with the value (Empty for an empty text or one of only comments), or
// failed with one message: libyaml's syntax errors as "YAML parser error: <problem>. At line: L
// col: C" with libyaml's 0-based mark, the reader's own failures with the 1-based start mark of
// the event at fault.
//
// Plain scalars are typed (null words, numbers read through a double in the "C" locale, boolean
// words, else text); quoted ones are texts; the tags !!str, !!int, !!float and !!bool are
// honoured and every other tag is refused. Mapping keys are untyped texts and may not repeat.
// Aliases are deep copies of their anchored node (or the text of an anchored key); the values
// they create may not exceed 1,000,000 in all. Containers nest at most kMaxNestingDepth levels.
// Never throws for bad input; only allocation and length failures of the standard library (and
// std::bad_alloc when libyaml cannot allocate its parser) escape.
BindingResult ParseYaml(std::string_view text);
BindingResult ParseYaml(const std::string& text);
// The characters up to the first NUL; a null pointer reads as the empty text.
BindingResult ParseYaml(const char* text);

// True when the NUL-terminated text, after leading spaces (' ' only), starts with the document
// marker "---". A document without the explicit marker is not recognised; a null text is not
// YAML.
bool LooksLikeYaml(const char* text);

}  // namespace Vorn
