// Version compatibility, version text forms and plugin names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/diagnostics/log_api.h"
#include "sdk/diagnostics/log_target.h"
#include "sdk/plugin/plugin_api_version.h"
#include "sdk/plugin/plugin_names.h"

namespace Vorn::Client {
namespace {

PluginApiVersion Version(uint32_t major, uint32_t minor, uint32_t patch) {
  return PluginApiVersion{major, minor, patch, {}, {}};
}

TEST(PluginApiVersionTest, Compatibility) {
  struct Case {
    uint32_t own[3];
    uint32_t core[3];
    bool compatible;
  };
  constexpr Case kCases[] = {
      {{18, 0, 0}, {18, 0, 0}, true},  {{18, 0, 0}, {18, 0, 5}, true},
      {{18, 0, 0}, {18, 3, 0}, true},  {{18, 1, 0}, {18, 0, 0}, false},
      {{18, 0, 2}, {18, 0, 1}, false}, {{18, 1, 5}, {18, 2, 0}, true},
      {{18, 0, 0}, {17, 9, 9}, false}, {{18, 0, 0}, {19, 0, 0}, false},
  };
  for (const Case& row : kCases) {
    const PluginApiVersion own = Version(row.own[0], row.own[1], row.own[2]);
    const PluginApiVersion core = Version(row.core[0], row.core[1], row.core[2]);
    SCOPED_TRACE(FormatTextForm(own) + " vs " + FormatTextForm(core));
    EXPECT_EQ(IsCompatible(own, core), row.compatible);
  }
  // The labels take no part.
  EXPECT_TRUE(IsCompatible(kPluginApiVersion, PluginApiVersion{18, 0, 0, "rc1", "b7"}));
}

TEST(PluginApiVersionTest, TextForm) {
  EXPECT_EQ(FormatTextForm(kPluginApiVersion), "18.0.0");
  EXPECT_EQ(FormatTextForm({1, 2, 3, "", "abc"}), "1.2.3+abc");
  EXPECT_EQ(FormatTextForm({1, 2, 3, "beta", ""}), "1.2.3-beta");
  EXPECT_EQ(FormatTextForm({1, 2, 3, "beta", "7"}), "1.2.3-beta+7");
  EXPECT_EQ(FormatTextForm(Version(4294967295u, 4294967295u, 4294967295u)),
            "4294967295.4294967295.4294967295");
}

class CapturingTarget : public LogTarget {
 public:
  ~CapturingTarget() override { Unregister(); }
  bool Write(const LogMessage& message) override {
    lines.push_back(std::to_string(message.level) + "/" + std::to_string(message.groups) + " " +
                    message.text);
    return true;
  }
  std::vector<std::string> lines;
};

TEST(PluginNames, FullNameFromShortNameAndKind) {
  GetLogApi()->AddRef();
  {
    CapturingTarget target;
    target.SetMinLevel(0);
    target.Register();
    EXPECT_EQ(GetFullNameFromShortNameAndType("qev-loyalty", "backend"), "tkp-be-qev-loyalty");
    EXPECT_EQ(GetFullNameFromShortNameAndType("x", "frontend"), "tkp-fe-x");
    EXPECT_TRUE(target.lines.empty());
    EXPECT_EQ(GetFullNameFromShortNameAndType("x", "Backend"), "tkp-xx-x");
    EXPECT_EQ(GetFullNameFromShortNameAndType("x", ""), "tkp-xx-x");
    EXPECT_EQ(target.lines,
              (std::vector<std::string>{
                  "2/1             Plugin Manager| GetFullNameFromShortNameAndType(\"x\", "
                  "\"Backend\") called with an unknown type",
                  "2/1             Plugin Manager| GetFullNameFromShortNameAndType(\"x\", \"\") "
                  "called with an unknown type"}));
  }
  GetLogApi()->Release();
}

}  // namespace
}  // namespace Vorn::Client
