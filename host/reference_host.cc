// The reference host's driving side and its ten C entries. Every entry catches everything and
// answers with its failure value, so nothing the host does can throw into the plugin.
#include "host/reference_host.h"

#include <utility>

#include "host/request_json.h"

namespace Vorn::Host {
namespace {

constexpr int32_t kEntryFailed = -1;

Json TextOrNull(const char* text) {
  return text != nullptr ? Json(text) : Json(nullptr);
}

TranscriptEntry PluginCall(std::string call, Json arguments, Json result) {
  return {CallOrigin::kPlugin, std::move(call), std::move(arguments), std::move(result), false};
}

TranscriptEntry HostCall(std::string call, Json arguments = Json::object()) {
  return {CallOrigin::kHost, std::move(call), std::move(arguments), nullptr, false};
}

TranscriptEntry HostReturn(std::string call, Json result) {
  return {CallOrigin::kHost, std::move(call), Json::object(), std::move(result), true};
}

}  // namespace

// The entries' bodies, with access to the host behind the table.
struct ReferenceHost::Entries {
  static ReferenceHost& HostOf(const HostApiTable* api) {
    return *reinterpret_cast<const TableBlock*>(api)->owner;
  }

  template <class R, class Body>
  static R Guarded(R failure, Body&& body) noexcept {
    try {
      return body();
    } catch (...) {
      return failure;
    }
  }

  static int32_t PerformRequest(const HostApiTable* api, ResponseRecord* out_response,
                                const RequestRecord* request) {
    ReferenceHost& host = HostOf(api);
    Json described = request != nullptr ? DescribeRequest(*request) : Json(nullptr);
    Json answer = Json::object();
    int32_t result = kEntryFailed;
    {
      std::lock_guard lock(host.mutex_);
      if (request != nullptr && host.options_.keep_records) host.requests_.push_back(described);
      if (out_response != nullptr && request != nullptr) {
        answer["status"] = host.answer_.status;
        out_response->result = PlainResult{};
        out_response->result.error = nullptr;
        if (host.answer_.error) {
          out_response->result.error = host.answer_texts_.Keep(*host.answer_.error);
          answer["error"] = *host.answer_.error;
        }
        out_response->status = host.answer_.status;
        out_response->content_type = host.answer_texts_.Keep("");
        out_response->release = nullptr;
        result = 0;
      }
    }
    Json arguments = Json::object();
    arguments["request"] = std::move(described);
    arguments["response"] = std::move(answer);
    host.Record(PluginCall("PerformRequest", std::move(arguments), result));
    return result;
  }

  static int32_t Entry1(const HostApiTable* api, uint32_t word0, uint32_t word1) {
    HostOf(api).Record(PluginCall("Entry1", {{"word0", word0}, {"word1", word1}}, 0));
    return 0;
  }

  static int32_t DispatchEvent(const HostApiTable* api, const EventRecord* event) {
    ReferenceHost& host = HostOf(api);
    if (event == nullptr) {
      host.Record(PluginCall("DispatchEvent", {{"event", nullptr}}, kEntryFailed));
      return kEntryFailed;
    }
    DispatchedEvent dispatched{event->name != nullptr ? event->name : "", nullptr, "", event->word};
    HostResult<Json> payload = DecodePlain(event->payload);
    if (payload.ok()) {
      dispatched.payload = payload.value();
    } else {
      dispatched.payload_error = payload.error();
    }
    Json arguments = {{"name", TextOrNull(event->name)}, {"payload", dispatched.payload}};
    if (!payload.ok()) arguments["payloadError"] = payload.error();
    arguments["word"] = event->word;
    if (host.options_.keep_records) {
      std::lock_guard lock(host.mutex_);
      host.dispatched_.push_back(std::move(dispatched));
    }
    host.Record(PluginCall("DispatchEvent", std::move(arguments), 0));
    return 0;
  }

  static int32_t SubscribeEvent(const HostApiTable* api, const char* name, uint32_t host_handle,
                                EventCallbackFn callback, void* context, uint32_t flags) {
    ReferenceHost& host = HostOf(api);
    const int32_t result = name != nullptr && callback != nullptr ? 0 : kEntryFailed;
    if (result == 0) {
      std::lock_guard lock(host.mutex_);
      host.subscriptions_[name] = Subscription{host_handle, callback, context, flags};
    }
    host.Record(PluginCall(
        "SubscribeEvent",
        {{"name", TextOrNull(name)}, {"hostHandle", host_handle}, {"flags", flags}}, result));
    return result;
  }

  static int32_t UnsubscribeEvent(const HostApiTable* api, const char* name, uint32_t host_handle) {
    ReferenceHost& host = HostOf(api);
    if (name != nullptr) {
      std::lock_guard lock(host.mutex_);
      host.subscriptions_.erase(name);
    }
    host.Record(PluginCall("UnsubscribeEvent",
                           {{"name", TextOrNull(name)}, {"hostHandle", host_handle}}, 0));
    return 0;
  }

  static uint64_t ScheduleCallback(const HostApiTable* api, const char* name,
                                   TimerCallbackFn callback, void* context, double delay_seconds,
                                   uint32_t flags) {
    ReferenceHost& host = HostOf(api);
    Json arguments = {
        {"name", TextOrNull(name)}, {"delaySeconds", delay_seconds}, {"flags", flags}};
    if (callback == nullptr) {
      host.Record(PluginCall("ScheduleCallback", std::move(arguments), 0));
      return 0;
    }
    // The call is recorded before its timer is queued, so on the real clock nothing the timer
    // does can come first; the id is taken beforehand, with no other schedule in between.
    std::lock_guard schedule(host.schedule_mutex_);
    uint64_t id = 0;
    {
      std::lock_guard lock(host.mutex_);
      id = host.clock_.next_id();
    }
    host.Record(PluginCall("ScheduleCallback", std::move(arguments), id));
    std::lock_guard lock(host.mutex_);
    // On the real clock the delay counts from the moment of the call.
    if (host.real_clock_) host.clock_.AdvanceTo(host.RealElapsed());
    id = host.clock_.Schedule(name != nullptr ? name : "", delay_seconds,
                              [callback, context] { callback(context); });
    host.timer_wake_.notify_one();
    return id;
  }

  static int32_t Entry6(const HostApiTable* api) {
    HostOf(api).Record(PluginCall("Entry6", Json::object(), 0));
    return 0;
  }

  static int32_t Entry7(const HostApiTable* api, const char* text, uint32_t word) {
    HostOf(api).Record(PluginCall("Entry7", {{"text", TextOrNull(text)}, {"word", word}}, 0));
    return 0;
  }

  static int32_t Entry8(const HostApiTable* api) {
    HostOf(api).Record(PluginCall("Entry8", Json::object(), 0));
    return 0;
  }

  static int32_t HostLog(const HostApiTable* api, int32_t level, const char* line) {
    ReferenceHost& host = HostOf(api);
    if (host.options_.keep_records) {
      std::lock_guard lock(host.mutex_);
      host.logs_.push_back({level, line != nullptr ? line : ""});
    }
    host.Record(PluginCall("HostLog", {{"level", level}, {"line", TextOrNull(line)}}, 0));
    return 0;
  }
};

namespace {

using Entries = ReferenceHost::Entries;

extern "C" {

static int32_t QEV_HOST_CDECL PerformRequestEntry(const HostApiTable* api,
                                                  ResponseRecord* out_response,
                                                  const RequestRecord* request) {
  return Entries::Guarded(kEntryFailed,
                          [&] { return Entries::PerformRequest(api, out_response, request); });
}

static int32_t QEV_HOST_CDECL Entry1Entry(const HostApiTable* api, uint32_t word0, uint32_t word1) {
  return Entries::Guarded(kEntryFailed, [&] { return Entries::Entry1(api, word0, word1); });
}

static int32_t QEV_HOST_CDECL DispatchEventEntry(const HostApiTable* api,
                                                 const EventRecord* event) {
  return Entries::Guarded(kEntryFailed, [&] { return Entries::DispatchEvent(api, event); });
}

static int32_t QEV_HOST_CDECL SubscribeEventEntry(const HostApiTable* api, const char* name,
                                                  uint32_t host_handle, EventCallbackFn callback,
                                                  void* context, uint32_t flags) {
  return Entries::Guarded(kEntryFailed, [&] {
    return Entries::SubscribeEvent(api, name, host_handle, callback, context, flags);
  });
}

static int32_t QEV_HOST_CDECL UnsubscribeEventEntry(const HostApiTable* api, const char* name,
                                                    uint32_t host_handle) {
  return Entries::Guarded(kEntryFailed,
                          [&] { return Entries::UnsubscribeEvent(api, name, host_handle); });
}

static uint64_t QEV_HOST_CDECL ScheduleCallbackEntry(const HostApiTable* api, const char* name,
                                                     TimerCallbackFn callback, void* context,
                                                     double delay_seconds, uint32_t flags) {
  return Entries::Guarded(uint64_t{0}, [&] {
    return Entries::ScheduleCallback(api, name, callback, context, delay_seconds, flags);
  });
}

static int32_t QEV_HOST_CDECL Entry6Entry(const HostApiTable* api) {
  return Entries::Guarded(kEntryFailed, [&] { return Entries::Entry6(api); });
}

static int32_t QEV_HOST_CDECL Entry7Entry(const HostApiTable* api, const char* text,
                                          uint32_t word) {
  return Entries::Guarded(kEntryFailed, [&] { return Entries::Entry7(api, text, word); });
}

static int32_t QEV_HOST_CDECL Entry8Entry(const HostApiTable* api) {
  return Entries::Guarded(kEntryFailed, [&] { return Entries::Entry8(api); });
}

static int32_t QEV_HOST_CDECL HostLogEntry(const HostApiTable* api, int32_t level,
                                           const char* line) {
  return Entries::Guarded(kEntryFailed, [&] { return Entries::HostLog(api, level, line); });
}

}  // extern "C"

constexpr HostApiTable kTable = {
    PerformRequestEntry,   Entry1Entry,           DispatchEventEntry, SubscribeEventEntry,
    UnsubscribeEventEntry, ScheduleCallbackEntry, Entry6Entry,        Entry7Entry,
    Entry8Entry,           HostLogEntry,
};

Json VersionJson(uint32_t major, uint32_t minor, uint32_t patch) {
  return {{"major", major}, {"minor", minor}, {"patch", patch}};
}

}  // namespace

ReferenceHost::ReferenceHost(HostOptions options)
    : options_(std::move(options)), block_{kTable, this} {
  host_interface_ = HostInterfaceRecord{&block_.table, options_.host_handle};
}

ReferenceHost::~ReferenceHost() {
  if (plugin_live()) (void)Shutdown();
  StopRealClock();
}

HostStatus ReferenceHost::Load(const std::string& library_path) {
  if (state_ != State::kEmpty) return HostStatus::Failure("a plugin is already loaded");
  HostResult<LoadedLibrary> library = LoadedLibrary::Open(library_path);
  if (!library.ok()) return HostStatus::Failure(library.error());
  library_.emplace(std::move(library.value()));
  auto entry = reinterpret_cast<PluginEntryFn>(library_->Symbol(options_.entry_name.c_str()));
  if (entry == nullptr) {
    return HostStatus::Failure(library_path + " exports no " + options_.entry_name);
  }

  const ApiVersion& version = options_.version;
  LoadContext context{version.major, version.minor, version.patch, nullptr,
                      nullptr,       nullptr,       nullptr};
  Record(HostCall(options_.entry_name, VersionJson(version.major, version.minor, version.patch)));
  void* returned = entry(&context);
  context_ =
      ContextWords{context.major,    context.minor,
                   context.patch,    static_cast<const PluginCallbackTable*>(context.callbacks),
                   context.plugin,   context.name,
                   context.bindings, returned};
  Json result = VersionJson(context.major, context.minor, context.patch);
  result["callbacks"] = context.callbacks != nullptr;
  result["plugin"] = context.plugin != nullptr;
  result["returnedPlugin"] = returned != nullptr && returned == context.plugin;
  result["name"] = TextOrNull(context.name);
  result["bindings"] = context.bindings != nullptr;
  Record(HostReturn(options_.entry_name, std::move(result)));

  table_ = Host::ReadBindingTable(context_.bindings);
  if (context_.plugin == nullptr || context_.callbacks == nullptr) {
    state_ = State::kShutDown;
    return HostStatus::Failure(options_.entry_name + " returned no plugin");
  }
  state_ = State::kLoaded;
  return HostStatus::Ok();
}

HostResult<bool> ReferenceHost::Initialize() {
  if (!plugin_live()) return HostResult<bool>::Failure("no plugin is loaded");
  if (context_.callbacks->initialize == nullptr) {
    return HostResult<bool>::Failure("the plugin has no Initialize callback");
  }
  Record(HostCall("Initialize", {{"hostHandle", host_interface_.host_handle}}));
  const bool result = context_.callbacks->initialize(context_.plugin, &host_interface_);
  Record(HostReturn("Initialize", result));
  state_ = State::kInitialized;
  return result;
}

HostStatus ReferenceHost::Shutdown() {
  if (!plugin_live()) return HostStatus::Failure("no plugin is loaded");
  if (context_.callbacks->shutdown == nullptr) {
    return HostStatus::Failure("the plugin has no Shutdown callback");
  }
  // No timer may run beside or after the plugin's Shutdown.
  StopRealClock();
  Record(HostCall("Shutdown"));
  context_.callbacks->shutdown(context_.plugin);
  state_ = State::kShutDown;
  // Their contexts point into the plugin that just went away.
  std::lock_guard lock(mutex_);
  clock_ = VirtualClock();
  return HostStatus::Ok();
}

HostResult<std::array<uint32_t, kMemoryStatsWords>> ReferenceHost::GetMemoryStats(
    uint32_t prefill) {
  using Words = std::array<uint32_t, kMemoryStatsWords>;
  if (!plugin_live()) return HostResult<Words>::Failure("no plugin is loaded");
  if (context_.callbacks->get_memory_stats == nullptr) {
    return HostResult<Words>::Failure("the plugin has no GetMemoryStats callback");
  }
  Words words;
  words.fill(prefill);
  Record(HostCall("GetMemoryStats"));
  context_.callbacks->get_memory_stats(context_.plugin, words.data());
  Record(HostReturn("GetMemoryStats", Json(words)));
  return words;
}

HostStatus ReferenceHost::DeliverEvent(const std::string& name, const Json& payload) {
  if (state_ == State::kShutDown) return HostStatus::Failure("the plugin is shut down");
  std::optional<Subscription> subscription = FindSubscription(name);
  if (!subscription) return HostStatus::Failure("nobody subscribed the event '" + name + "'");
  PlainArena arena;
  HostResult<PlainValue> plain = arena.Encode(payload);
  if (!plain.ok()) return HostStatus::Failure(plain.error());
  const EventRecord record{arena.Keep(name), plain.value(), 0, subscription->context};
  Record(HostCall("DeliverEvent", {{"name", name}, {"payload", payload}}));
  subscription->callback(&record);
  return HostStatus::Ok();
}

size_t ReferenceHost::RunDue() {
  return RunTimers(now());
}

size_t ReferenceHost::AdvanceClock(double seconds) {
  const double target = now() + (seconds > 0 ? seconds : 0);
  Record(HostCall("AdvanceClock", {{"seconds", seconds}, {"to", target}}));
  const size_t ran = RunTimers(target);
  std::lock_guard lock(mutex_);
  clock_.AdvanceTo(target);
  return ran;
}

size_t ReferenceHost::RunTimers(double until) {
  size_t ran = 0;
  while (true) {
    std::optional<VirtualClock::Timer> timer;
    double at = 0;
    {
      std::lock_guard lock(mutex_);
      timer = clock_.TakeNextDue(until);
      at = clock_.now();
    }
    if (!timer) break;
    Record(HostCall("Timer", {{"id", timer->id}, {"name", timer->name}, {"at", at}}));
    timer->task();
    ++ran;
  }
  return ran;
}

double ReferenceHost::now() const {
  std::lock_guard lock(mutex_);
  return clock_.now();
}

size_t ReferenceHost::pending_timers() const {
  std::lock_guard lock(mutex_);
  return clock_.pending();
}

HostStatus ReferenceHost::StartRealClock() {
  std::lock_guard lock(mutex_);
  if (real_clock_) return HostStatus::Failure("the real clock already runs");
  // The host's clock keeps going from where it stands.
  epoch_ = std::chrono::steady_clock::now() -
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(
               std::chrono::duration<double>(clock_.now()));
  real_clock_ = true;
  stop_timers_ = false;
  timer_thread_ = std::thread([this] { RunRealClock(); });
  return HostStatus::Ok();
}

void ReferenceHost::StopRealClock() {
  {
    std::lock_guard lock(mutex_);
    if (!real_clock_) return;
    stop_timers_ = true;
  }
  timer_wake_.notify_all();
  timer_thread_.join();
  std::lock_guard lock(mutex_);
  real_clock_ = false;
}

double ReferenceHost::RealElapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - epoch_).count();
}

void ReferenceHost::RunRealClock() {
  std::unique_lock lock(mutex_);
  while (!stop_timers_) {
    const double elapsed = RealElapsed();
    clock_.AdvanceTo(elapsed);
    const std::optional<double> next = clock_.next_deadline();
    if (next && *next <= elapsed) {
      // RunTimers takes the lock for each timer and runs it without.
      lock.unlock();
      RunTimers(elapsed);
      lock.lock();
    } else if (next) {
      timer_wake_.wait_until(
          lock, epoch_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(*next)));
    } else {
      timer_wake_.wait(lock);
    }
  }
}

HostResult<HostResponse> ReferenceHost::Request(const HostRequest& request) {
  if (!table_.ok()) return HostResult<HostResponse>::Failure(table_.error());
  std::optional<size_t> route = ChooseRoute(table_.value().routes, request.method, request.path);
  if (!route) {
    return HostResult<HostResponse>::Failure("no route for " + request.method + " " + request.path);
  }
  return RequestAt(*route, request);
}

HostResult<HostResponse> ReferenceHost::RequestAt(size_t route_index, const HostRequest& request) {
  if (!plugin_live()) return HostResult<HostResponse>::Failure("no plugin is loaded");
  if (!table_.ok()) return HostResult<HostResponse>::Failure(table_.error());
  const std::vector<RouteView>& routes = table_.value().routes;
  if (route_index >= routes.size()) {
    return HostResult<HostResponse>::Failure("no route " + std::to_string(route_index));
  }
  const RouteView& route = routes[route_index];
  Json arguments = RequestJson(request);
  arguments["route"] = RouteMethodText(route) + " " + route.path;
  Record(HostCall("Request", std::move(arguments)));
  HostResult<HostResponse> response = DeliverRequest(route, request, host_interface_.host_handle);
  Record(HostReturn("Request", response.ok() ? ResponseJson(response.value())
                                             : Json{{"hostError", response.error()}}));
  return response;
}

void ReferenceHost::SetRequestAnswer(RequestAnswer answer) {
  std::lock_guard lock(mutex_);
  answer_ = std::move(answer);
}

void ReferenceHost::SetTranscriptListener(std::function<void(const TranscriptEntry&)> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void ReferenceHost::Record(TranscriptEntry entry) {
  std::function<void(const TranscriptEntry&)> listener;
  {
    std::lock_guard lock(mutex_);
    if (options_.keep_records) transcript_.push_back(entry);
    listener = listener_;
  }
  if (listener) listener(entry);
}

std::vector<TranscriptEntry> ReferenceHost::transcript() const {
  std::lock_guard lock(mutex_);
  return transcript_;
}

std::vector<TranscriptEntry> ReferenceHost::CallsTo(const std::string& entry) const {
  std::lock_guard lock(mutex_);
  std::vector<TranscriptEntry> calls;
  for (const TranscriptEntry& recorded : transcript_) {
    if (recorded.origin == CallOrigin::kPlugin && recorded.call == entry) calls.push_back(recorded);
  }
  return calls;
}

std::vector<LogLine> ReferenceHost::logs() const {
  std::lock_guard lock(mutex_);
  return logs_;
}

std::optional<Subscription> ReferenceHost::FindSubscription(const std::string& name) const {
  std::lock_guard lock(mutex_);
  auto found = subscriptions_.find(name);
  if (found == subscriptions_.end()) return std::nullopt;
  return found->second;
}

std::vector<std::string> ReferenceHost::SubscribedNames() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  for (const auto& [name, subscription] : subscriptions_)
    names.push_back(name);
  return names;
}

std::vector<Json> ReferenceHost::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<DispatchedEvent> ReferenceHost::dispatched_events() const {
  std::lock_guard lock(mutex_);
  return dispatched_;
}

void ReferenceHost::ClearRecords() {
  std::lock_guard lock(mutex_);
  transcript_.clear();
  logs_.clear();
  requests_.clear();
  dispatched_.clear();
}

}  // namespace Vorn::Host
