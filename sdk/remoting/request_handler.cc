// The catch-all trampoline between the host's request delivery and the dispatcher.
#include "sdk/remoting/request_handler.h"

#include <exception>
#include <optional>

#include "sdk/binding/plain_value.h"
#include "sdk/plugin/abi/request_records.h"
#include "sdk/remoting/remoting_response.h"
#include "sdk/remoting/router.h"

namespace Vorn {

namespace {

void Fail(HostResponseRecord& record, const char* message, int32_t status) noexcept {
  ReleaseResponseRecord(&record);
  ResetResponseRecord(record);
  record.status = status;
  try {
    SetPlainError(record.result, message);
  } catch (...) {
    // Without memory for the text the failed flag still tells the host.
    record.result.failed = 1;
  }
}

}  // namespace

const RemotingHandlerContext* RemotingHandlerTable::ContextFor(
    const BindingRegistry& registry, const BindingFunctionRecord& function) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = contexts_.find(function.name);
  if (it == contexts_.end()) {
    auto context = std::make_unique<RemotingHandlerContext>();
    context->registry = &registry;
    context->function = &function;
    it = contexts_.emplace(function.name, std::move(context)).first;
  }
  return it->second.get();
}

extern "C" void VORN_CDECL RemotingRequestCallback(HostResponseRecord* out_response,
                                                   const HostRequestRecord* request) {
  if (out_response == nullptr) return;
  // From here on the record owns only what this call put into it, so a failure can release it.
  ResetResponseRecord(*out_response);
  try {
    const auto* context =
        request == nullptr ? nullptr
                           : static_cast<const RemotingHandlerContext*>(request->handler_context);
    std::optional<RemotingRoute> route;
    if (context != nullptr && context->function != nullptr) {
      route = RouteFor(context->registry, *context->function);
    }
    if (!route.has_value()) {
      Fail(*out_response, "Invalid function", 404);
      return;
    }
    Dispatch(*out_response, *request, std::span<const RemotingRoute>(&*route, 1));
  } catch (const std::exception& error) {
    Fail(*out_response, error.what(), 0);
  } catch (...) {
    Fail(*out_response, "Unknown exception", 0);
  }
}

}  // namespace Vorn
