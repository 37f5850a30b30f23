// Argument binding: builds a bound function's argument values from the request's headers, path
// variables, query, named and positional arguments and body, with the messages callers see.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdk/binding/binding_function_record.h"
#include "sdk/binding/binding_result.h"
#include "sdk/plugin/abi/request_records.h"

namespace Vorn {

// A dotted index that would grow a collection beyond this many elements, or take the elements
// that the dotted indexes of one request create together past it, is out of range, so that a
// short query cannot allocate gigabytes. A dotted name opens at most kMaxNestingDepth levels.
inline constexpr uint32_t kMaxArgumentIndexGrowth = 65536;

// Fills `arguments` (one value per parameter of `function`, Empty on entry) from the request:
// header arguments, `variables` (the captured path variables), the query of `path`, the
// record's named and positional arguments, then the body. Returns ok, or failed with the first
// failure of those steps; a failure of the body step replaces an earlier one. The record is not
// trusted: null texts read as empty texts, null arrays as empty arrays, and the body is read
// within its size.
BindingResult BindArguments(const BindingFunctionRecord& function, const HostRequestRecord& request,
                            std::string_view path,
                            const std::map<std::string, std::string>& variables,
                            std::vector<BindingProperty>& arguments);

// The query of `path` (the text after its first "?"), split at "&" and each piece at its first
// "=", both sides percent-decoded. Empty pieces are skipped.
std::vector<std::pair<std::string, std::string>> ParseQuery(std::string_view path);

// Assigns one argument text to `target`, a whole parameter (`whole`) or an element inside it:
// the empty-text rules of the parameter's type, then decoding by `content_type` (or, for a whole
// object, vector or struct parameter without one, by sniffing the text), else a String.
void AssignArgumentText(BindingResult& result, BindingProperty& target, std::string_view text,
                        std::string_view content_type, bool whole,
                        const BindingArgumentRecord& parameter, std::string_view function_name);

// Decodes a request body by its content type into `target`: JSON and YAML as text ending at the
// first NUL or at `size`, MessagePack from the bytes, which it must consume entirely.
void DecodeBody(BindingResult& result, BindingProperty& target, const void* body, uint32_t size,
                std::string_view content_type);

}  // namespace Vorn
