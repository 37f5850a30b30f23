// Event tracing through its seam: the enable callback's rules, start-up with substituted tracing
// functions (and a session that is already running), and shut-down.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sdk/diagnostics/event_tracing.h"
#include "sdk/runtime/platform.h"

namespace Vorn {
namespace {

using detail::DriveEnableCallback;
using detail::IsEventEnabled;
using detail::ReadProvider;

// The stored bytes of the four providers, in registration order.
constexpr EventTracingGuid kGuids[kEventTracingProviderCount] = {
    {{0x86, 0xFE, 0x9E, 0x2F, 0xF7, 0x4A, 0x37, 0x4F, 0xA4, 0x0F, 0x94, 0xB9, 0x09, 0xA1, 0x57,
      0xD6}},
    {{0x59, 0xC5, 0x08, 0xEA, 0xA8, 0x95, 0xA2, 0x4A, 0xAF, 0xA6, 0x18, 0x73, 0x8E, 0xEC, 0x6D,
      0x37}},
    {{0x8C, 0x72, 0xF6, 0x10, 0x92, 0xEF, 0xF1, 0x4B, 0x83, 0x97, 0x49, 0xE6, 0x93, 0xA6, 0xEB,
      0x74}},
    {{0x96, 0x7F, 0xDD, 0x46, 0xCB, 0x60, 0x6B, 0x41, 0x80, 0x85, 0xDA, 0x5C, 0xD8, 0xF4, 0x91,
      0xDD}},
};

bool SameGuid(const EventTracingGuid& a, const EventTracingGuid& b) {
  return std::memcmp(a.bytes, b.bytes, sizeof a.bytes) == 0;
}

// A stand-in for the system's tracing functions. A configured session enables its provider from
// inside the registration, as a session that runs before the library loads does.
struct FakeTracing {
  struct Session {
    EventTracingGuid guid;
    uint8_t level;
    uint64_t match_any;
    uint64_t match_all;
  };
  struct Write {
    uint64_t handle;
    EventDescriptor descriptor;
    std::vector<std::string> items;
  };
  std::vector<Session> sessions;
  std::vector<EventTracingGuid> registered;
  std::vector<Write> writes;
  std::vector<uint64_t> unregistered;
};

FakeTracing* fake = nullptr;

uint32_t VORN_STDCALL FakeRegister(const EventTracingGuid* provider, EventEnableCallback callback,
                                   void* context, uint64_t* out_handle) {
  fake->registered.push_back(*provider);
  *out_handle = 0x1000 + fake->registered.size();
  for (const FakeTracing::Session& session : fake->sessions) {
    if (SameGuid(session.guid, *provider)) {
      callback(provider, kEventControlEnable, session.level, session.match_any, session.match_all,
               nullptr, context);
    }
  }
  return 0;
}

uint32_t VORN_STDCALL FakeWrite(uint64_t handle, const EventDescriptor* descriptor, uint32_t count,
                                EventDataDescriptor* data) {
  FakeTracing::Write write{handle, *descriptor, {}};
  for (uint32_t i = 0; i < count; ++i) {
    write.items.emplace_back(reinterpret_cast<const char*>(static_cast<uintptr_t>(data[i].Ptr)),
                             data[i].Size);
  }
  fake->writes.push_back(write);
  return 0;
}

uint32_t VORN_STDCALL FakeUnregister(uint64_t handle) {
  fake->unregistered.push_back(handle);
  return 0;
}

constexpr EventTracingFunctions kFakeFunctions{FakeRegister, FakeWrite, FakeUnregister};

// Leaves every provider unregistered and disabled.
class EventTracingTest : public ::testing::Test {
 protected:
  EventTracingTest() { fake = &fake_; }
  ~EventTracingTest() override {
    EventTracingShutdown();
    for (size_t i = 0; i < kEventTracingProviderCount; ++i) {
      DriveEnableCallback(i, kEventControlDisable, 0, 0, 0);
    }
    fake = nullptr;
  }

  FakeTracing fake_;
};

TEST_F(EventTracingTest, EnableCallbackRules) {
  struct Row {
    const char* name;
    size_t provider;
    uint8_t level;
    uint64_t match_any;
    uint64_t match_all;
    bool first_event;
    bool second_event;
  };
  constexpr Row kRows[] = {
      {"keyword in match-any", 0, 0, 0x1, 0x0, true, false},
      {"no match-any bits", 0, 0, 0x0, 0x0, false, false},
      {"match-all not contained", 0, 0, 0x1, 0x3, false, false},
      {"match-all contained", 0, 0, 0x3, 0x1, true, false},
      {"a session level above the events'", 1, 5, 0x1, 0x0, true, false},
      {"keyword 0 always matches", 2, 0, 0x0, 0x0, true, false},
      {"second event only", 3, 0, 0x2, 0x0, false, true},
      {"both events", 3, 0, 0x3, 0x0, true, true},
      {"match-all picks the second", 3, 0, 0x3, 0x2, false, true},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    DriveEnableCallback(row.provider, kEventControlEnable, row.level, row.match_any, row.match_all);
    const detail::EventTracingProviderState state = ReadProvider(row.provider);
    EXPECT_TRUE(state.enabled);
    EXPECT_EQ(state.level, row.level);
    EXPECT_EQ(state.match_any, row.match_any);
    EXPECT_EQ(state.match_all, row.match_all);
    EXPECT_EQ(IsEventEnabled(row.provider, 0), row.first_event);
    EXPECT_EQ(IsEventEnabled(row.provider, 1), row.second_event);

    // Other notifications change nothing; disabling clears everything.
    DriveEnableCallback(row.provider, kEventControlCaptureState, 0, 0, 0);
    EXPECT_EQ(IsEventEnabled(row.provider, 0), row.first_event);
    DriveEnableCallback(row.provider, kEventControlDisable, 0, 0, 0);
    const detail::EventTracingProviderState disabled = ReadProvider(row.provider);
    EXPECT_FALSE(disabled.enabled);
    EXPECT_EQ(disabled.level, 0);
    EXPECT_EQ(disabled.match_any, 0u);
    EXPECT_EQ(disabled.match_all, 0u);
    EXPECT_FALSE(IsEventEnabled(row.provider, 0));
    EXPECT_FALSE(IsEventEnabled(row.provider, 1));
  }
  EXPECT_EQ(ReadProvider(3).event_count, 2u);
  EXPECT_FALSE(IsEventEnabled(0, 1));
  EXPECT_FALSE(IsEventEnabled(4, 0));
}

TEST_F(EventTracingTest, ProvidersAreFoundByTheirGuid) {
  for (size_t i = 0; i < kEventTracingProviderCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(SameGuid(detail::ProviderGuid(i), kGuids[i]));
  }
  EXPECT_TRUE(DriveEnableCallback(kGuids[1], kEventControlEnable, 0, 0x1, 0));
  EXPECT_TRUE(IsEventEnabled(kThreadNameProvider, 0));
  EXPECT_FALSE(IsEventEnabled(0, 0));
  EventTracingGuid unknown = kGuids[1];
  unknown.bytes[15] ^= 1;
  EXPECT_FALSE(DriveEnableCallback(unknown, kEventControlDisable, 0, 0, 0));
  EXPECT_TRUE(IsEventEnabled(kThreadNameProvider, 0));
}

TEST_F(EventTracingTest, StartupWithoutASessionWritesNothing) {
  detail::EventTracingStartupWith(kFakeFunctions);
  ASSERT_EQ(fake_.registered.size(), 4u);
  for (size_t i = 0; i < kEventTracingProviderCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(SameGuid(fake_.registered[i], kGuids[i]));
    EXPECT_EQ(ReadProvider(i).handle, 0x1001u + i);
  }
  EXPECT_TRUE(fake_.writes.empty());

  // Registered providers are not registered again.
  detail::EventTracingStartupWith(kFakeFunctions);
  EXPECT_EQ(fake_.registered.size(), 4u);

  EventTracingShutdown();
  EXPECT_EQ(fake_.unregistered, (std::vector<uint64_t>{0x1001, 0x1002, 0x1003, 0x1004}));
  for (size_t i = 0; i < kEventTracingProviderCount; ++i)
    EXPECT_EQ(ReadProvider(i).handle, 0u);
  EventTracingShutdown();
  EXPECT_EQ(fake_.unregistered.size(), 4u);
}

TEST_F(EventTracingTest, ARunningSessionGetsTheThreadName) {
  fake_.sessions.push_back({kGuids[1], 0, 0x1, 0});
  detail::EventTracingStartupWith(kFakeFunctions);
  ASSERT_EQ(fake_.writes.size(), 1u);
  const FakeTracing::Write& write = fake_.writes[0];
  EXPECT_EQ(write.handle, 0x1002u);
  EXPECT_EQ(write.descriptor.Id, 103);
  EXPECT_EQ(write.descriptor.Version, 0);
  EXPECT_EQ(write.descriptor.Channel, 0);
  EXPECT_EQ(write.descriptor.Level, 0);
  EXPECT_EQ(write.descriptor.Opcode, 14);
  EXPECT_EQ(write.descriptor.Task, 2);
  EXPECT_EQ(write.descriptor.Keyword, 1u);
  ASSERT_EQ(write.items.size(), 2u);
  const uint32_t thread_id = Platform::CurrentThreadId();
  EXPECT_EQ(write.items[0], std::string(reinterpret_cast<const char*>(&thread_id), 4));
  EXPECT_EQ(write.items[1], std::string("Main thread", 12));
}

TEST_F(EventTracingTest, OtherSessionsGetNoThreadName) {
  fake_.sessions.push_back({kGuids[1], 0, 0x2, 0});
  fake_.sessions.push_back({kGuids[0], 0, 0x1, 0});
  detail::EventTracingStartupWith(kFakeFunctions);
  EXPECT_TRUE(ReadProvider(kThreadNameProvider).enabled);
  EXPECT_FALSE(IsEventEnabled(kThreadNameProvider, 0));
  EXPECT_TRUE(fake_.writes.empty());
}

TEST_F(EventTracingTest, MissingFunctionsLeaveTracingOff) {
  detail::EventTracingStartupWith({FakeRegister, nullptr, FakeUnregister});
  EXPECT_TRUE(fake_.registered.empty());
#if !defined(_WIN32)
  // No "Advapi32.dll" here: start-up and shut-down do nothing.
  EventTracingStartup();
  for (size_t i = 0; i < kEventTracingProviderCount; ++i)
    EXPECT_EQ(ReadProvider(i).handle, 0u);
  EventTracingShutdown();
#endif
  EXPECT_TRUE(fake_.unregistered.empty());
}

}  // namespace
}  // namespace Vorn
