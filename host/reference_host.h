// The reference host: loads a plugin library, drives its entry point and callbacks, implements
// the ten host entries and records every call the plugin makes, payloads decoded to JSON.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/binding_table_view.h"
#include "host/boundary_records.h"
#include "host/host_result.h"
#include "host/library_loader.h"
#include "host/plain_json.h"
#include "host/route_request.h"
#include "host/transcript.h"
#include "host/virtual_clock.h"

namespace Vorn::Host {

struct ApiVersion {
  uint32_t major = 18;
  uint32_t minor = 0;
  uint32_t patch = 0;
};

struct HostOptions {
  std::string entry_name = "load_qev_loyalty";
  // Written into words 0 to 2 of the context before the entry call.
  ApiVersion version;
  // Opaque to the plugin, which hands it back in subscriptions and requests.
  uint32_t host_handle = 0x1234;
  // Off, the transcript, logs, requests and dispatched events are not kept: entries only reach
  // the listener, so a host that runs for long holds no growing history.
  bool keep_records = true;
};

// The context as the plugin left it, plus the entry's return value.
struct ContextWords {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t patch = 0;
  const PluginCallbackTable* callbacks = nullptr;
  void* plugin = nullptr;
  const char* name = nullptr;  // owned by the plugin, valid until Shutdown
  const void* bindings = nullptr;
  void* returned = nullptr;
};

// How PerformRequest answers every request. Without an error text the answer is success with
// an Empty result. The error text is the host's own and stays alive as long as the host; the
// failed byte stays 0 and no release function is installed, so the plugin never frees it.
struct RequestAnswer {
  int32_t status = 0;
  std::optional<std::string> error;
};

// One live subscription. A later SubscribeEvent of the same name replaces the earlier one:
// the plugin keeps one handler per name, so two host-side callbacks would run it twice.
struct Subscription {
  uint32_t host_handle = 0;
  EventCallbackFn callback = nullptr;
  void* context = nullptr;
  uint32_t flags = 0;
};

struct LogLine {
  int32_t level = 0;
  std::string line;
};

struct DispatchedEvent {
  std::string name;
  Json payload;               // null when it could not be read
  std::string payload_error;  // why it could not be read
  uint32_t word = 0;
};

// Drive it from one thread at a time, except Request and DeliverEvent, which any number of
// threads may call beside each other and the thread running timers, while no Load, Initialize
// or Shutdown runs (the plugin's calls into the host may come from any thread; the recorded
// state is guarded, and no host lock is held while the plugin runs, so it may call back).
// Nothing throws out of the host entries.
class ReferenceHost {
 public:
  explicit ReferenceHost(HostOptions options = {});
  // Shuts a live plugin down and drops the library handle (the library stays mapped).
  ~ReferenceHost();
  ReferenceHost(const ReferenceHost&) = delete;
  ReferenceHost& operator=(const ReferenceHost&) = delete;

  // Opens the library, finds the entry and calls it. An incompatible host never returns here:
  // the plugin stops the process.
  HostStatus Load(const std::string& library_path);
  const ContextWords& context() const { return context_; }

  // Hands the plugin the host interface; may be called again on a loaded plugin.
  HostResult<bool> Initialize();
  // Afterwards the plugin is gone: pending timers are dropped and no event is delivered.
  HostStatus Shutdown();
  // Pre-fills the 14 words with `prefill` so a test can see which ones the plugin wrote.
  HostResult<std::array<uint32_t, kMemoryStatsWords>> GetMemoryStats(
      uint32_t prefill = 0xA5A5A5A5u);
  bool plugin_live() const { return state_ == State::kLoaded || state_ == State::kInitialized; }

  // Calls the callback subscribed under `name` with a record whose payload the host builds
  // from `payload`. Fails when nobody subscribed the name or the plugin is shut down.
  HostStatus DeliverEvent(const std::string& name, const Json& payload);

  // Runs the timers due now; returns how many ran. Timers scheduled by a running timer with
  // no delay run in the same call.
  size_t RunDue();
  // Moves the clock forward, running every timer whose deadline is passed, in deadline then
  // scheduling order, each at its own deadline; returns how many ran. Recorded as
  // "AdvanceClock" before the timers it runs.
  size_t AdvanceClock(double seconds);
  double now() const;
  size_t pending_timers() const;

  // From now on a thread of the host runs the timers at their deadlines on the steady clock
  // (the host's clock then reads seconds since this call, never going back); a timer with no
  // delay runs at once on that thread. Fails when the thread already runs.
  HostStatus StartRealClock();
  // Joins that thread after the timer it may be running; timers not yet due stay queued.
  // Shutdown calls it first. Never call it from a timer.
  void StopRealClock();

  void SetRequestAnswer(RequestAnswer answer);

  // The binding table the plugin handed over at load, read once right after the entry call
  // (the plugin keeps it unchanged for its whole life). Fails before a load, or naming the
  // entry the host could not read.
  const HostResult<BindingTableView>& ReadBindingTable() const { return table_; }

  // Delivers a request through the route ChooseRoute picks for its method and path (or through
  // route `route_index` of the table), with the host handle as request handle, and returns
  // what the plugin answered after releasing the response. Fails without a live plugin, a
  // readable table or a route. Recorded as "Request" with the response as its result.
  HostResult<HostResponse> Request(const HostRequest& request);
  HostResult<HostResponse> RequestAt(size_t route_index, const HostRequest& request);

  // Called with every new entry, outside the host's lock (the tool prints from it).
  void SetTranscriptListener(std::function<void(const TranscriptEntry&)> listener);
  std::vector<TranscriptEntry> transcript() const;
  // Plugin calls of one entry, in order ("HostLog", "SubscribeEvent", ...).
  std::vector<TranscriptEntry> CallsTo(const std::string& entry) const;
  std::vector<LogLine> logs() const;
  std::optional<Subscription> FindSubscription(const std::string& name) const;
  std::vector<std::string> SubscribedNames() const;
  // Each request as recorded: method, path, arguments, headers, content type, body, handle.
  std::vector<Json> requests() const;
  std::vector<DispatchedEvent> dispatched_events() const;
  // Forgets transcript, logs, requests and dispatched events; keeps subscriptions and timers.
  void ClearRecords();

  const HostInterfaceRecord& host_interface() const { return host_interface_; }

  // The C entries of the table reach the host through this; not for callers.
  struct Entries;

 private:
  enum class State { kEmpty, kLoaded, kInitialized, kShutDown };

  // The table comes first, so an entry's table pointer leads back to its host.
  struct TableBlock {
    HostApiTable table;
    ReferenceHost* owner;
  };

  void Record(TranscriptEntry entry);
  size_t RunTimers(double until);
  void RunRealClock();
  // Seconds since StartRealClock; only with the real clock on.
  double RealElapsed() const;

  HostOptions options_;
  std::optional<LoadedLibrary> library_;  // declared early: unloaded after the rest is gone
  // Atomic: request threads read it beside the thread that drives the plugin.
  std::atomic<State> state_ = State::kEmpty;
  ContextWords context_;
  HostResult<BindingTableView> table_ = HostResult<BindingTableView>::Failure("no plugin loaded");
  TableBlock block_;
  HostInterfaceRecord host_interface_{};

  mutable std::mutex mutex_;
  // Held across one ScheduleCallback, never while the plugin runs.
  std::mutex schedule_mutex_;
  VirtualClock clock_;
  RequestAnswer answer_;
  PlainArena answer_texts_;
  std::function<void(const TranscriptEntry&)> listener_;
  std::vector<TranscriptEntry> transcript_;
  std::vector<LogLine> logs_;
  std::map<std::string, Subscription> subscriptions_;
  std::vector<Json> requests_;
  std::vector<DispatchedEvent> dispatched_;

  // The real clock: its thread waits on `timer_wake_` under `mutex_`.
  std::thread timer_thread_;
  std::condition_variable timer_wake_;
  bool real_clock_ = false;
  bool stop_timers_ = false;
  std::chrono::steady_clock::time_point epoch_;
};

}  // namespace Vorn::Host
