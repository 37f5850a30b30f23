// The plugin frame seen from the host through the probe plugin: log lines reach HostLog with
// their level, a second Initialize adds no second log target, and Shutdown ends every
// subscription, the probe's resource subscription included.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "host/reference_host.h"

namespace Vorn::Host {
namespace {

HostOptions ProbeOptions() {
  HostOptions options;
  options.entry_name = "load_frame_probe";
  return options;
}

struct ExpectedLine {
  int32_t level;
  const char* text;  // HostLog gets the message text alone, without time, level or groups
};

constexpr ExpectedLine kProbeLines[] = {
    {0, "frame probe says 0"},
    {1, "frame probe says 1"},
    {2, "frame probe says 2"},
    {3, "frame probe says 3"},
};

class FrameProbe : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Load(QEV_PROBE_LIBRARY).ok());
    ASSERT_STREQ(host_.context().name, "frame-probe");
  }

  // Checks that `lines` are the probe's four lines, once each, in order.
  static void ExpectProbeLines(const std::vector<LogLine>& lines) {
    ASSERT_EQ(lines.size(), std::size(kProbeLines));
    for (size_t i = 0; i < lines.size(); ++i) {
      SCOPED_TRACE(kProbeLines[i].text);
      EXPECT_EQ(lines[i].level, kProbeLines[i].level);
      EXPECT_EQ(lines[i].line, kProbeLines[i].text);
    }
  }

  ReferenceHost host_{ProbeOptions()};
};

TEST_F(FrameProbe, LogLinesReachTheHostWithTheirLevel) {
  HostResult<bool> initialized = host_.Initialize();
  ASSERT_TRUE(initialized.ok());
  EXPECT_TRUE(initialized.value());
  ExpectProbeLines(host_.logs());
}

TEST_F(FrameProbe, SecondInitializeAddsNoSecondLogTarget) {
  ASSERT_TRUE(host_.Initialize().ok());
  host_.ClearRecords();
  HostResult<bool> again = host_.Initialize();
  ASSERT_TRUE(again.ok());
  EXPECT_TRUE(again.value());
  // Two targets would write each line twice.
  ExpectProbeLines(host_.logs());
}

TEST_F(FrameProbe, ShutdownEndsEverySubscription) {
  ASSERT_TRUE(host_.Initialize().ok());
  const std::set<std::string> kExpected = {"OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent",
                                           "OnServiceProxyAsyncEvent",
                                           "OnJsonApiEvent_frame-probe_v1_thing"};
  const std::vector<std::string> live = host_.SubscribedNames();
  EXPECT_EQ(std::set<std::string>(live.begin(), live.end()), kExpected);
  ASSERT_TRUE(host_.FindSubscription("OnJsonApiEvent_frame-probe_v1_thing").has_value());
  EXPECT_EQ(host_.FindSubscription("OnJsonApiEvent_frame-probe_v1_thing")->flags, 0u);

  ASSERT_TRUE(host_.Shutdown().ok());
  std::multiset<std::string> unsubscribed;
  for (const TranscriptEntry& call : host_.CallsTo("UnsubscribeEvent")) {
    unsubscribed.insert(call.arguments["name"].get<std::string>());
  }
  EXPECT_EQ(unsubscribed, std::multiset<std::string>(kExpected.begin(), kExpected.end()));
  EXPECT_TRUE(host_.SubscribedNames().empty());
}

}  // namespace
}  // namespace Vorn::Host
