// Failures of the reference host as values: a status with a message, or a value or a message.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace Vorn::Host {

class [[nodiscard]] HostStatus {
 public:
  static HostStatus Ok() { return HostStatus(); }
  static HostStatus Failure(std::string message) { return HostStatus(std::move(message), false); }

  bool ok() const { return ok_; }
  // Empty on success.
  const std::string& error() const { return error_; }

 private:
  HostStatus() = default;
  HostStatus(std::string message, bool ok) : error_(std::move(message)), ok_(ok) {}

  std::string error_;
  bool ok_ = true;
};

template <class T>
class [[nodiscard]] HostResult {
 public:
  HostResult(T value) : value_(std::move(value)) {}
  static HostResult Failure(std::string message) {
    return HostResult(FailureTag{}, std::move(message));
  }

  bool ok() const { return value_.has_value(); }
  // Only valid when ok().
  const T& value() const { return *value_; }
  T& value() { return *value_; }
  const std::string& error() const { return error_; }

 private:
  struct FailureTag {};
  HostResult(FailureTag, std::string message) : error_(std::move(message)) {}

  std::optional<T> value_;
  std::string error_;
};

}  // namespace Vorn::Host
