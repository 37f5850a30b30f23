// Registering bound functions: RegisterFunction with its builder, the naming rule for resource
// handlers, GET resource handlers, and the typed invoker that converts arguments and results.
//   RegisterFunction(registry, "GetItem", [](int32_t id) { return Item{id}; })
//       .SetArgument(0, "id", ArgumentLocation::Path)
//       .SetPath("/items/{id}")
//       .SetMethod(RemotingMethod::Get);
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "sdk/binding/binding_function_record.h"
#include "sdk/binding/binding_native_type.h"
#include "sdk/binding/binding_registry.h"
#include "sdk/binding/conversions.h"
#include "sdk/binding/static_type_hash.h"
#include "sdk/remoting/remoting_method.h"
#include "sdk/remoting/remoting_request.h"
#include "sdk/remoting/remoting_response.h"
#include "sdk/runtime/format_text.h"

namespace Vorn {

// The function name of a resource handler: "%1%2/%3" of the method's first letter, the rest of
// its text in lower case and the path; then "!", "+", "-", ".", "/", "_" are dropped and make the
// next kept character upper case, "{" becomes "By" and does the same, "}" is dropped, and the
// first character is upper case. GET "/items/{id}" gives "GetItemsById".
std::string FunctionNameFor(RemotingMethod method, std::string_view path);

// The handle returned by RegisterFunction. When the name was already registered every operation
// does nothing, so the first registration wins. Registration happens on the loading thread
// before any request arrives; the operations take no lock.
class RemotingFunctionBuilder {
 public:
  RemotingFunctionBuilder(BindingFunctionRecord* record, bool already_registered)
      : record_(record), already_registered_(already_registered) {}

  // Stores and compiles the path template; a path longer than one character loses one trailing
  // "/". An empty path makes the function reachable at its name.
  RemotingFunctionBuilder& SetPath(std::string_view path);
  // Stores the method and clears the method name.
  RemotingFunctionBuilder& SetMethod(RemotingMethod method);
  // Method 8 with this name.
  RemotingFunctionBuilder& SetMethodName(std::string_view name);
  // Appends tags; empty texts are ignored.
  RemotingFunctionBuilder& AddTags(const std::vector<std::string>& tags);
  RemotingFunctionBuilder& AddTag(std::string_view tag);
  // Names parameter `index` (in declaration order, request-information parameters not
  // counted), where requests may supply it, and what help says about it. Out of range: ignored.
  RemotingFunctionBuilder& SetArgument(size_t index, std::string_view name,
                                       ArgumentLocation location = ArgumentLocation::Any,
                                       std::string_view description = {});
  RemotingFunctionBuilder& SetDescription(std::string_view text);
  RemotingFunctionBuilder& SetHelp(std::string_view text);
  RemotingFunctionBuilder& SetNameSpace(std::string_view text);
  RemotingFunctionBuilder& SetThreadSafe(bool thread_safe);
  // The route entry's flag byte and text lists, carried to the host unchanged.
  RemotingFunctionBuilder& SetRouteFlag(uint8_t flag);
  RemotingFunctionBuilder& AddRouteTextList(std::vector<std::string> texts);

  const BindingFunctionRecord* Record() const { return record_; }
  bool AlreadyRegistered() const { return already_registered_; }

 private:
  BindingFunctionRecord* record_;
  bool already_registered_;
};

namespace detail {

template <typename P>
concept RequestInformationParameter =
    std::is_same_v<std::remove_cvref_t<P>, HttpBaseTransport::Request> ||
    std::is_same_v<std::remove_cvref_t<P>, RemotingRequest>;

template <typename T>
struct CallableTraits : CallableTraits<decltype(&T::operator())> {};
template <typename R, typename... A>
struct CallableTraits<R (*)(A...)> {
  using Result = R;
  using Parameters = std::tuple<A...>;
};
template <typename R, typename... A>
struct CallableTraits<R (*)(A...) noexcept> : CallableTraits<R (*)(A...)> {};
template <typename R, typename C, typename... A>
struct CallableTraits<R (C::*)(A...)> : CallableTraits<R (*)(A...)> {};
template <typename R, typename C, typename... A>
struct CallableTraits<R (C::*)(A...) const> : CallableTraits<R (*)(A...)> {};
template <typename R, typename C, typename... A>
struct CallableTraits<R (C::*)(A...) noexcept> : CallableTraits<R (*)(A...)> {};
template <typename R, typename C, typename... A>
struct CallableTraits<R (C::*)(A...) const noexcept> : CallableTraits<R (*)(A...)> {};

// The native slot of one parameter while a call is prepared: the decayed value, or for a
// request-information parameter the record the dispatcher hands over.
template <typename P>
using ParameterSlot = std::conditional_t<RequestInformationParameter<P>, const RemotingRequest*,
                                         std::remove_cvref_t<P>>;

template <typename... P>
consteval size_t RequestInformationCount() {
  return (size_t{0} + ... + (RequestInformationParameter<P> ? 1 : 0));
}

template <typename F, typename R, typename... P>
class TypedInvoker final : public BindingFunctionInvoker {
  static_assert(RequestInformationCount<P...>() <= 1,
                "a bound function takes at most one request-information parameter");
  using Slots = std::tuple<ParameterSlot<P>...>;
  using Result = std::remove_cvref_t<R>;

 public:
  TypedInvoker(F callable, const BindingRegistry* registry, const BindingFunctionRecord* record)
      : callable_(std::move(callable)), registry_(registry), record_(record) {}

  uintptr_t Prepare(RemotingResponse& response, std::vector<BindingProperty>& arguments,
                    uint32_t) override {
    auto slots = std::make_unique<Slots>();
    BindingResult converted;
    AssignAll(converted, *slots, arguments, std::index_sequence_for<P...>());
    if (!converted.Ok()) {
      response.SetError(converted.Error());
      return 0;
    }
    return reinterpret_cast<uintptr_t>(slots.release());
  }

  void Call(RemotingResponse& response, const RemotingRequest* request, uintptr_t token,
            uint32_t) override {
    Slots& slots = *reinterpret_cast<Slots*>(token);
    if constexpr (RequestInformationCount<P...>() == 1) {
      if (request == nullptr) return;
      std::apply([request](auto&... slot) { (SetRequest(slot, request), ...); }, slots);
    }
    if constexpr (std::is_void_v<R>) {
      Invoke(slots, std::index_sequence_for<P...>());
    } else {
      const Result& value = Invoke(slots, std::index_sequence_for<P...>());
      ToValue(response.result, value, *registry_);
      if (!response.result.Ok()) response.status = 400;
    }
  }

  void Release(uintptr_t token) override { delete reinterpret_cast<Slots*>(token); }

  const StaticTypeIdentity& RequestType() const override {
    if constexpr (RequestInformationCount<P...>() == 1) {
      return RequestIdentity<P...>();
    } else {
      return StaticType::HashCode<void>();
    }
  }

 private:
  template <typename First, typename... Rest>
  static const StaticTypeIdentity& RequestIdentity() {
    if constexpr (RequestInformationParameter<First>) {
      return StaticType::HashCode<std::remove_cvref_t<First>>();
    } else {
      return RequestIdentity<Rest...>();
    }
  }

  template <typename S>
  static void SetRequest(S& slot, const RemotingRequest* request) {
    if constexpr (std::is_same_v<S, const RemotingRequest*>) slot = request;
  }

  template <size_t... I>
  void AssignAll(BindingResult& converted, Slots& slots, std::vector<BindingProperty>& arguments,
                 std::index_sequence<I...>) const {
    [[maybe_unused]] size_t next = 0;
    (AssignOne<I>(converted, slots, arguments, next), ...);
  }

  template <size_t I>
  void AssignOne(BindingResult& converted, Slots& slots, std::vector<BindingProperty>& arguments,
                 size_t& next) const {
    using Parameter = std::tuple_element_t<I, std::tuple<P...>>;
    if constexpr (!RequestInformationParameter<Parameter>) {
      const size_t index = next++;
      if (!converted.Ok() || index >= arguments.size()) return;
      FromValue(converted, std::get<I>(slots), arguments[index],
                record_->arguments[index].name.c_str(), *registry_);
    }
  }

  template <size_t I>
  static decltype(auto) Pass(Slots& slots) {
    using Parameter = std::tuple_element_t<I, std::tuple<P...>>;
    if constexpr (RequestInformationParameter<Parameter>) {
      return static_cast<const RemotingRequest&>(*std::get<I>(slots));
    } else {
      return static_cast<Parameter&&>(std::get<I>(slots));
    }
  }

  template <size_t... I>
  decltype(auto) Invoke(Slots& slots, std::index_sequence<I...>) {
    return std::invoke(callable_, Pass<I>(slots)...);
  }

  F callable_;
  const BindingRegistry* registry_;
  const BindingFunctionRecord* record_;
};

template <typename P>
void AddArgumentRecord(BindingFunctionRecord& record, const BindingRegistry& registry) {
  if constexpr (!RequestInformationParameter<P>) {
    using D = std::remove_cvref_t<P>;
    BindingArgumentRecord argument;
    argument.name = FormatText("arg%1", record.arguments.size());
    argument.optional = BindingOptional<D>;
    argument.type = DescribeBindingType<D>(&registry);
    argument.converter = MakeBindingConverter<D>();
    record.arguments.push_back(std::move(argument));
  }
}

template <typename F, typename R, typename... P>
void FillFunctionRecord(BindingFunctionRecord& record, BindingRegistry& registry, F callable,
                        std::tuple<P...>*) {
  (AddArgumentRecord<P>(record, registry), ...);
  if constexpr (!std::is_void_v<R>) {
    record.returns = DescribeBindingType<std::remove_cvref_t<R>>(&registry);
    record.result_converter = MakeBindingConverter<std::remove_cvref_t<R>>();
  }
  record.remoting.invoker =
      std::make_unique<TypedInvoker<F, R, P...>>(std::move(callable), &registry, &record);
}

// Compiles the function's route template from its name (no path set yet).
void InitializeRoute(BindingFunctionRecord& record);

}  // namespace detail

// Registers `callable` (a function pointer, lambda or other function object) under `name`. Its
// parameters are native binding types (taken by value or const reference), at most one of which
// may be a request-information type (`HttpBaseTransport::Request` or `RemotingRequest`, filled
// by the dispatcher); parameters are named "arg0", "arg1", ... until SetArgument names them, and
// a std::optional parameter is optional. The result, if any, is converted into the response.
// A name that is already registered keeps its first registration.
template <typename F>
RemotingFunctionBuilder RegisterFunction(BindingRegistry& registry, std::string_view name,
                                         F callable) {
  using Callable = std::decay_t<F>;
  using Traits = detail::CallableTraits<Callable>;
  auto [record, created] = registry.InsertFunction(name);
  if (created) {
    detail::FillFunctionRecord<Callable, typename Traits::Result>(
        *record, registry, std::move(callable), static_cast<typename Traits::Parameters*>(nullptr));
    detail::InitializeRoute(*record);
  }
  return RemotingFunctionBuilder(record, !created);
}

// A member operation bound to `object`, which must outlive the registry.
template <typename Object, typename R, typename Class, typename... A>
RemotingFunctionBuilder RegisterFunction(BindingRegistry& registry, std::string_view name,
                                         Object* object, R (Class::*operation)(A...)) {
  return RegisterFunction(registry, name, [object, operation](A... args) -> R {
    return (object->*operation)(std::forward<A>(args)...);
  });
}
template <typename Object, typename R, typename Class, typename... A>
RemotingFunctionBuilder RegisterFunction(BindingRegistry& registry, std::string_view name,
                                         const Object* object, R (Class::*operation)(A...) const) {
  return RegisterFunction(registry, name, [object, operation](A... args) -> R {
    return (object->*operation)(std::forward<A>(args)...);
  });
}

// A GET resource handler: `getter`, a member operation of `object` without arguments returning
// the resource's record, registered as FunctionNameFor(GET, path) with that path, method GET and
// the plugin's tags.
template <typename Object, typename Getter>
RemotingFunctionBuilder RegisterGetHandler(BindingRegistry& registry, std::string_view path,
                                           Object* object, Getter getter,
                                           const std::vector<std::string>& tags = {}) {
  static_assert(std::is_member_function_pointer_v<Getter>, "a bound member operation");
  RemotingFunctionBuilder builder =
      RegisterFunction(registry, FunctionNameFor(RemotingMethod::Get, path), object, getter);
  builder.SetPath(path).SetMethod(RemotingMethod::Get).AddTags(tags);
  return builder;
}

}  // namespace Vorn
