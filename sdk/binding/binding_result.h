// BindingResult: a value plus a success flag, the SDK's way of returning a value or a message.
#pragma once

#include <string>
#include <string_view>

#include "sdk/binding/binding_property.h"

namespace Vorn {

// Starts Empty and ok. A failed result holds a Structure whose one member "error" is the
// message as a String.
class [[nodiscard]] BindingResult {
 public:
  BindingResult() = default;

  bool Ok() const { return ok_; }
  BindingProperty& Value() { return value_; }
  const BindingProperty& Value() const { return value_; }

  // Clears the value, fails the result and stores the message as member "error".
  void SetError(std::string_view message);
  void SetError(const char* message) {
    SetError(message == nullptr ? std::string_view() : std::string_view(message));
  }
  void SetError(const std::string& message) { SetError(std::string_view(message)); }
  // The message when failed and member "error" is a String; the empty text otherwise. Valid
  // while the result is unchanged.
  const char* Error() const;
  // Back to Empty and ok (the value keeps its pool).
  void Reset() noexcept {
    value_.Clear();
    ok_ = true;
  }

 private:
  BindingProperty value_;
  bool ok_ = true;
};

}  // namespace Vorn
