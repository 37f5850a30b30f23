// SendRequest: the plugin's own requests to the host, carried out synchronously through the
// host's PerformRequest entry, and the same outcome handed back as an already-completed future.
#pragma once

#include <concepts>
#include <cstdint>
#include <cstring>
#include <exception>
#include <future>
#include <string>
#include <utility>

#include "sdk/binding/binding_native_type.h"
#include "sdk/binding/binding_property.h"
#include "sdk/binding/binding_registry.h"
#include "sdk/binding/conversions.h"
#include "sdk/binding/plain_value.h"
#include "sdk/plugin/abi/request_records.h"
#include "sdk/remoting/remoting_method.h"
#include "sdk/remoting/remoting_result.h"
#include "sdk/runtime/format_text.h"

namespace Vorn {

// Anything that reaches the host's PerformRequest and knows the plugin's host handle (the
// plugin's event client).
template <typename C>
concept RemotingClient = requires(C& client, HostResponseRecord* response,
                                  const HostRequestRecord* request) {
  client.PerformRequest(response, request);
  { client.host_handle() } -> std::convertible_to<uint32_t>;
};

// The outcome of a request: its result and, on success, the value the host answered with.
struct RemotingRequestOutcome {
  RemotingResult result;
  BindingProperty reply;
};

namespace detail {

// Frees what one outgoing request allocated, however the call ends.
struct OutgoingRequestCleanup {
  BindingPlainValue* argument;
  HostResponseRecord* response;
  ~OutgoingRequestCleanup() {
    FreePlainValue(*argument);
    HostResponseReleaseFn release = response->release;
    if (release != nullptr) release(response);
  }
};

}  // namespace detail

// Sends `value` (any native binding type; records and enumerations are looked up in `registry`,
// and fail to convert without one) as the one positional argument of a request. Nothing is sent
// when the value cannot be converted: failed, code 400. A response with an error text gives
// failed with the response's status as code. On success and when `reply` is given, the
// response's value is read into it (left Empty if unreadable). Everything allocated for the
// request, and the response through its release function, is freed before returning.
template <typename T, RemotingClient Client>
RemotingResult SendRequest(Client& client, RemotingMethod method, const std::string& path,
                           const T& value, const BindingRegistry* registry = nullptr,
                           BindingProperty* reply = nullptr) {
  BindingResult converted;
  detail::NativeConversion<T>::ToValue(converted, converted.Value(), value,
                                       DescribeBindingType<T>(registry));
  if (!converted.Ok()) {
    return RemotingResult::Failure(
        400, FormatText("Request not sent: Error converting parameters for %1 %2: %3",
                        MethodName(method), path, converted.Error()));
  }

  HostRequestArgument argument;
  argument.name = nullptr;
  std::memset(&argument.value, 0, sizeof(argument.value));
  HostResponseRecord response;
  std::memset(&response, 0, sizeof(response));
  detail::OutgoingRequestCleanup cleanup{&argument.value, &response};
  argument.value = ToPlain(converted.Value(), registry);

  HostRequestRecord request;
  std::memset(&request, 0, sizeof(request));
  request.method = static_cast<uint32_t>(method);
  request.path = path.c_str();
  request.arguments = &argument;
  request.argument_count = 1;
  request.request_handle = static_cast<uint32_t>(client.host_handle());
  client.PerformRequest(&response, &request);

  const char* error = response.result.error;
  if (error != nullptr) {
    const int32_t status = response.status;
    return RemotingResult::Failure(
        status, FormatText("Error response for %1 %2: %3", MethodName(method), path, error));
  }
  if (reply != nullptr) {
    BindingPlainResult sink;
    std::memset(&sink, 0, sizeof(sink));
    const BindingPlainValue answered = response.result.value;
    if (!FromPlain(&sink, *reply, answered, "<reply>")) reply->Clear();
    FreePlainResult(sink);
  }
  return RemotingResult::Success();
}

// SendRequest for a caller that expects an asynchronous answer: the request is carried out
// before this returns, so the future is always ready.
template <typename T, RemotingClient Client>
std::future<RemotingRequestOutcome> SendRequestAsync(Client& client, RemotingMethod method,
                                                     const std::string& path, const T& value,
                                                     const BindingRegistry* registry = nullptr) {
  std::promise<RemotingRequestOutcome> promise;
  std::future<RemotingRequestOutcome> future = promise.get_future();
  try {
    RemotingRequestOutcome outcome;
    outcome.result = SendRequest(client, method, path, value, registry, &outcome.reply);
    promise.set_value(std::move(outcome));
  } catch (...) {
    promise.set_exception(std::current_exception());
  }
  return future;
}

}  // namespace Vorn
