// Failure form of BindingResult.
#include "sdk/binding/binding_result.h"

#include <utility>

namespace Vorn {

void BindingResult::SetError(std::string_view message) {
  value_.Clear();
  ok_ = false;
  value_.MemberAt(std::string_view("error")).SetString(message);
}

const char* BindingResult::Error() const {
  if (ok_) return "";
  return std::as_const(value_).MemberAt(std::string_view("error")).GetString("");
}

}  // namespace Vorn
