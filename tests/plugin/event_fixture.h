// A small plugin loaded and initialised against the recording host, and plain payloads built
// from JSON text, for the tests of host events.
#pragma once

#include <gtest/gtest.h>

#include "sdk/binding/plain_value.h"
#include "sdk/binding/type_builder.h"
#include "sdk/encoding/json_reader.h"
#include "sdk/plugin/plugin_base.h"
#include "sdk/plugin/plugin_entry.h"
#include "tests/plugin/fake_host.h"

namespace Vorn::Testing {

struct Note {
  int32_t x = 0;
};

class EventPlugin : public Client::PluginBase {
 public:
  void RegisterApi() override { registry().BeginType<Note>("Note").AddField("x", &Note::x); }
};

// A plain payload built from JSON text, freed with the owner.
class Payload {
 public:
  explicit Payload(const char* json) {
    BindingResult parsed = ParseJson(json);
    EXPECT_TRUE(parsed.Ok()) << parsed.Error();
    plain_ = ToPlain(parsed.Value());
  }
  ~Payload() { FreePlainValue(plain_); }
  Payload(const Payload&) = delete;
  Payload& operator=(const Payload&) = delete;
  const BindingPlainValue& plain() const { return plain_; }

 private:
  BindingPlainValue plain_{};
};

class EventClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_ = static_cast<EventPlugin*>(
        static_cast<Client::PluginBase*>(Client::LoadPlugin<EventPlugin>(&context_, "events")));
    ASSERT_NE(plugin_, nullptr);
    ASSERT_TRUE(context_.callbacks->Initialize(context_.plugin, &host_.host_interface));
  }
  void TearDown() override { Shutdown(); }
  // The host's Shutdown callback; the plugin is gone afterwards.
  void Shutdown() {
    if (plugin_ == nullptr) return;
    context_.callbacks->Shutdown(context_.plugin);
    plugin_ = nullptr;
  }

  PluginLoadContext context_{18, 0, 0, nullptr, nullptr, nullptr, nullptr};
  FakeHost host_;
  EventPlugin* plugin_ = nullptr;
};

}  // namespace Vorn::Testing
