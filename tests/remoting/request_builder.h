// Test helper: builds a host request record from texts and plain values, and reads a response
// record back as JSON, so that tests state requests and answers in a line each.
#pragma once

#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "sdk/binding/binding_property.h"
#include "sdk/binding/plain_value.h"
#include "sdk/encoding/json_writer.h"
#include "sdk/plugin/abi/request_records.h"
#include "sdk/remoting/remoting_method.h"

namespace Vorn::Testing {

class RequestBuilder {
 public:
  RequestBuilder(RemotingMethod method, std::string path) : path_(std::move(path)) {
    std::memset(&record_, 0, sizeof(record_));
    record_.method = static_cast<uint32_t>(method);
  }
  RequestBuilder(const RequestBuilder&) = delete;
  ~RequestBuilder() {
    for (HostRequestArgument& argument : arguments_)
      FreePlainValue(argument.value);
  }

  RequestBuilder& Header(std::string name, std::string value) {
    headers_.emplace_back(std::move(name), std::move(value));
    return *this;
  }
  // A named argument (positional when `name` is null).
  RequestBuilder& Argument(const char* name, const BindingProperty& value) {
    if (name != nullptr) texts_.emplace_back(name);
    arguments_.push_back(
        HostRequestArgument{name != nullptr ? texts_.back().c_str() : nullptr, ToPlain(value)});
    return *this;
  }
  RequestBuilder& Body(std::string content_type, std::string bytes) {
    content_type_ = std::move(content_type);
    body_ = std::move(bytes);
    has_body_ = true;
    return *this;
  }
  RequestBuilder& MethodName(std::string name) {
    method_name_ = std::move(name);
    return *this;
  }
  RequestBuilder& Handle(uint32_t handle) {
    record_.request_handle = handle;
    return *this;
  }

  const HostRequestRecord& Record(void* handler_context = nullptr) {
    pairs_.clear();
    for (const auto& [name, value] : headers_)
      pairs_.push_back({name.c_str(), value.c_str()});
    record_.path = path_.c_str();
    record_.arguments = arguments_.empty() ? nullptr : arguments_.data();
    record_.argument_count = static_cast<uint32_t>(arguments_.size());
    record_.headers = pairs_.empty() ? nullptr : pairs_.data();
    record_.header_count = static_cast<uint32_t>(pairs_.size());
    record_.content_type = content_type_.c_str();
    record_.body = has_body_ ? body_.data() : nullptr;
    record_.body_size = static_cast<uint32_t>(body_.size());
    record_.method_name = method_name_.c_str();
    record_.handler_context = handler_context;
    return record_;
  }

 private:
  HostRequestRecord record_;
  std::string path_;
  std::deque<std::string> texts_;
  std::vector<HostRequestArgument> arguments_;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::vector<HostTextPair> pairs_;
  std::string content_type_;
  std::string body_;
  bool has_body_ = false;
  std::string method_name_;
};

// A response record that releases itself.
struct ResponseHolder {
  HostResponseRecord record;
  ResponseHolder() { std::memset(&record, 0, sizeof(record)); }
  ~ResponseHolder() {
    if (record.release != nullptr) record.release(&record);
  }
  bool Failed() const { return record.result.failed != 0; }
  std::string Error() const {
    const char* error = record.result.error;
    return error == nullptr ? std::string() : std::string(error);
  }
  int32_t Status() const {
    const int32_t status = record.status;
    return status;
  }
  // The result value as compact JSON.
  std::string Json() const {
    BindingPlainResult sink;
    std::memset(&sink, 0, sizeof(sink));
    BindingProperty value;
    const BindingPlainValue plain = record.result.value;
    const bool ok = FromPlain(&sink, value, plain, "<result>");
    FreePlainResult(sink);
    return ok ? WriteJson(value) : "<unreadable>";
  }
};

}  // namespace Vorn::Testing
