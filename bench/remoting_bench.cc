// Request dispatch measured against its own conversions: a GET returning a small record and a
// POST binding a JSON body into a record parameter, each from HostRequestRecord to a filled and
// released HostResponseRecord, next to the function called directly with the bare conversions
// (ToValue + ToPlain, ParseJson + FromValue). Ends with the ratio of each pair.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/best_time_reporter.h"
#include "bench/page_reserve.h"
#include "sdk/binding/binding_registry.h"
#include "sdk/binding/conversions.h"
#include "sdk/binding/plain_value.h"
#include "sdk/binding/type_builder.h"
#include "sdk/encoding/json_reader.h"
#include "sdk/plugin/abi/request_records.h"
#include "sdk/remoting/function_registration.h"
#include "sdk/remoting/request_handler.h"

namespace {

using namespace Vorn;

struct Rewards {
  int32_t champions = 0;
  int32_t skins = 0;
  int32_t ipBoost = 0;
  int32_t xpBoost = 0;
};

struct Status {
  std::string status;
  Rewards rewards;
  std::vector<std::string> tags;
};

Status SampleStatus(int32_t id) {
  return Status{"REWARDS_GRANT", Rewards{id, 2, 50, 25}, {"loyalty", "grant"}};
}

constexpr const char* kBody =
    R"({"status":"REWARDS_GRANT","rewards":{"champions":3,"skins":2,"ipBoost":50,"xpBoost":25},)"
    R"("tags":["loyalty","grant"]})";

// The registry, its functions and the handler contexts the host would hand back.
class Plugin {
 public:
  Plugin() {
    registry_.BeginType<Rewards>("Rewards")
        .AddField("champions", &Rewards::champions)
        .AddField("skins", &Rewards::skins)
        .AddField("ipBoost", &Rewards::ipBoost)
        .AddField("xpBoost", &Rewards::xpBoost);
    registry_.BeginType<Status>("Status")
        .AddField("status", &Status::status)
        .AddField("rewards", &Status::rewards)
        .AddField("tags", &Status::tags);
    RegisterFunction(registry_, "GetStatus", &SampleStatus)
        .SetArgument(0, "id", ArgumentLocation::Path)
        .SetPath("/bench/v1/status/{id}")
        .SetMethod(RemotingMethod::Get);
    RegisterFunction(registry_, "PostStatus", &Store)
        .SetArgument(0, "status", ArgumentLocation::Body)
        .SetPath("/bench/v1/status")
        .SetMethod(RemotingMethod::Post);
    get_ = handlers_.ContextFor(registry_, *registry_.FindFunction("GetStatus"));
    post_ = handlers_.ContextFor(registry_, *registry_.FindFunction("PostStatus"));
  }

  static int32_t Store(const Status& status) {
    return status.rewards.champions + static_cast<int32_t>(status.tags.size());
  }

  const BindingRegistry& registry() const { return registry_; }
  void* get() const { return const_cast<RemotingHandlerContext*>(get_); }
  void* post() const { return const_cast<RemotingHandlerContext*>(post_); }

 private:
  BindingRegistry registry_;
  RemotingHandlerTable handlers_;
  const RemotingHandlerContext* get_ = nullptr;
  const RemotingHandlerContext* post_ = nullptr;
};

const Plugin& SharedPlugin() {
  static const Plugin plugin;
  return plugin;
}

HostRequestRecord Request(RemotingMethod method, const char* path, void* context) {
  HostRequestRecord request;
  std::memset(&request, 0, sizeof(request));
  request.method = static_cast<uint32_t>(method);
  request.path = path;
  request.handler_context = context;
  request.content_type = "";
  request.method_name = "";
  return request;
}

void Dispatch(benchmark::State& state, const HostRequestRecord& request) {
  for (auto _ : state) {
    HostResponseRecord response;
    std::memset(&response, 0, sizeof(response));
    RemotingRequestCallback(&response, &request);
    if (response.result.error != nullptr) {
      state.SkipWithError(response.result.error);
      response.release(&response);
      break;
    }
    benchmark::DoNotOptimize(response.result.value);
    response.release(&response);
  }
}

void BM_Get_Dispatch(benchmark::State& state) {
  const HostRequestRecord request =
      Request(RemotingMethod::Get, "/bench/v1/status/3", SharedPlugin().get());
  Dispatch(state, request);
}
BENCHMARK(BM_Get_Dispatch);

void BM_Get_Direct(benchmark::State& state) {
  const BindingRegistry& registry = SharedPlugin().registry();
  int32_t id = 3;
  for (auto _ : state) {
    benchmark::DoNotOptimize(id);
    const Status status = SampleStatus(id);
    BindingResult result;
    ToValue(result, status, registry);
    BindingPlainValue plain = ToPlain(result.Value(), &registry);
    benchmark::DoNotOptimize(plain);
    FreePlainValue(plain);
  }
}
BENCHMARK(BM_Get_Direct);

void BM_Post_Dispatch(benchmark::State& state) {
  HostRequestRecord request =
      Request(RemotingMethod::Post, "/bench/v1/status", SharedPlugin().post());
  request.content_type = "application/json";
  request.body = kBody;
  request.body_size = static_cast<uint32_t>(std::strlen(kBody));
  Dispatch(state, request);
}
BENCHMARK(BM_Post_Dispatch);

void BM_Post_Direct(benchmark::State& state) {
  const BindingRegistry& registry = SharedPlugin().registry();
  for (auto _ : state) {
    BindingResult parsed = ParseJson(kBody);
    Status status;
    BindingResult assigned;
    FromValue(assigned, status, parsed.Value(), "status", registry);
    if (!parsed.Ok() || !assigned.Ok()) {
      state.SkipWithError("the body did not bind");
      break;
    }
    // The function's result goes back to the host as well.
    BindingResult result;
    ToValue(result, Plugin::Store(status), registry);
    BindingPlainValue plain = ToPlain(result.Value(), &registry);
    benchmark::DoNotOptimize(plain);
    FreePlainValue(plain);
  }
}
BENCHMARK(BM_Post_Direct);

// Each dispatch row's best time over its direct row's.
class RatioReporter final : public bench::BestTimeReporter {
 public:
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-8s %s\n", "request", "dispatch time / direct call with bare conversions");
    for (const char* request : {"Get", "Post"}) {
      const auto dispatch = best().find(std::string("BM_") + request + "_Dispatch");
      const auto direct = best().find(std::string("BM_") + request + "_Direct");
      if (dispatch == best().end() || direct == best().end()) continue;
      std::printf("%-8s %.2fx (target at most 1.30x)\n", request,
                  dispatch->second / direct->second);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The page source hands a storage region back to the system as soon as its last page is
  // free; held pages keep regions reserved, as the live values of a running plugin would, so
  // that the rows measure dispatch rather than reserving and releasing regions.
  const bench::PageRegionReserve reserve(64);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
