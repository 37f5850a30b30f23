// Failure form of BindingResult.
#include "sdk/binding/binding_result.h"

#include <string>
#include <utility>

namespace Vorn {

void BindingResult::SetError(std::string_view message) {
  // The message may be this result's own (SetError(result.Error())): keep it before clearing.
  const std::string kept(message);
  value_.Clear();
  ok_ = false;
  value_.MemberAt(std::string_view("error")).SetString(kept);
}

const char* BindingResult::Error() const {
  if (ok_) return "";
  return std::as_const(value_).MemberAt(std::string_view("error")).GetString("");
}

}  // namespace Vorn
