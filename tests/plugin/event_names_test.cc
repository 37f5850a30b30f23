// Event names derived from resource paths and LCDS type names.
#include "sdk/plugin/event_names.h"

#include <gtest/gtest.h>

namespace Vorn::Client {
namespace {

struct NameCase {
  const char* input;
  const char* expected;
};

TEST(EventNames, JsonApiEventNames) {
  constexpr NameCase kCases[] = {
      {"/qev-loyalty/v1/status-notification", "OnJsonApiEvent_qev-loyalty_v1_status-notification"},
      {"/a/b/c/d/e", "OnJsonApiEvent_a_b_c"},
      {"/qev-platform-config/v1/namespaces/a/b/c",
       "OnJsonApiEvent_qev-platform-config_v1_namespaces_a_b"},
      {"/other/v1/namespaces/a", "OnJsonApiEvent_other_v1_namespaces"},
      {"//x//y/", "OnJsonApiEvent_x_y"},
      {"/", "OnJsonApiEvent"},
      {"", "OnJsonApiEvent"},
      {"no-slash", "OnJsonApiEvent_no-slash"},
      // Only the first segment opens the longer limit.
      {"/a/qev-platform-config/b/c/d", "OnJsonApiEvent_a_qev-platform-config_b"},
  };
  for (const NameCase& row : kCases) {
    SCOPED_TRACE(row.input);
    EXPECT_EQ(MakeJsonApiEventName(row.input), row.expected);
  }
}

TEST(EventNames, LcdsEventNames) {
  EXPECT_EQ(
      MakeLcdsEventName("com.kestrawin.platform.loyalty.message.LoyaltyStateChangeNotification"),
      "OnLcdsEvent_com_kestrawin_platform_loyalty_message_LoyaltyStateChangeNotification");
  EXPECT_EQ(MakeLcdsEventName(""), "OnLcdsEvent_");
}

}  // namespace
}  // namespace Vorn::Client
