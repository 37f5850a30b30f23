// The host's YAML reader for scenario files: scalar resolution, collections, aliases, and the
// documents it refuses.
#include "host/yaml_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "host/transcript.h"

namespace Vorn::Host {
namespace {

TEST(YamlJson, ScalarsResolveAsInTheCoreSchema) {
  struct Row {
    const char* yaml;
    const char* json;
  };
  const Row kRows[] = {
      {"~", "null"},
      {"null", "null"},
      {"", "null"},
      {"true", "true"},
      {"False", "false"},
      {"12", "12"},
      {"-7", "-7"},
      {"+3", "3"},
      {"0x1F", "31"},
      {"0o17", "15"},
      {"18446744073709551615", "18446744073709551615"},
      {"-9223372036854775808", "-9223372036854775808"},
      {"1.5", "1.5"},
      {"-.5e1", "-5.0"},
      {"1e3", "1000.0"},
      {"'12'", "\"12\""},
      {"\"true\"", "\"true\""},
      {"!!str 12", "\"12\""},
      {"yes", "\"yes\""},
      {"0x", "\"0x\""},
      {"-0x1", "\"-0x1\""},
      {"1.2.3", "\"1.2.3\""},
      {"/qev-loyalty/v1/status-notification", "\"/qev-loyalty/v1/status-notification\""},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.yaml);
    HostResult<Json> value = ParseYamlDocument(row.yaml);
    ASSERT_TRUE(value.ok()) << value.error();
    EXPECT_EQ(value.value(), Json::parse(row.json));
  }
  HostResult<Json> infinity = ParseYamlDocument("[.inf, -.Inf, .nan]");
  ASSERT_TRUE(infinity.ok());
  EXPECT_EQ(infinity.value()[0].get<double>(), INFINITY);
  EXPECT_EQ(infinity.value()[1].get<double>(), -INFINITY);
  EXPECT_TRUE(std::isnan(infinity.value()[2].get<double>()));
}

TEST(YamlJson, CollectionsKeepTheirOrderAndAliasesCopy) {
  HostResult<Json> value = ParseYamlDocument(R"(
- lcds: &body
    accountId: 9
    rewards: {champions: [], ipBoost: 0}
  note: |
    two
    lines
- lcds: *body
- request: {path: /x, headers: {B: 1, A: 2}}
)");
  ASSERT_TRUE(value.ok()) << value.error();
  EXPECT_EQ(DumpJson(value.value()),
            R"([{"lcds":{"accountId":9,"rewards":{"champions":[],"ipBoost":0}},)"
            R"("note":"two\nlines\n"},{"lcds":{"accountId":9,"rewards":{"champions":[],)"
            R"("ipBoost":0}}},{"request":{"path":"/x","headers":{"B":1,"A":2}}}])");
}

TEST(YamlJson, RefusesWhatAScenarioCannotMean) {
  struct Row {
    const char* yaml;
    const char* message;
  };
  const Row kRows[] = {
      {"a: 1\na: 2\n", "YAML: duplicate mapping key \"a\" at line 2 column 1"},
      {"? [a]\n: 1\n", "YAML: a mapping key must be a scalar at line 1 column 3"},
      {"- *nowhere\n", "YAML: unknown alias *nowhere at line 1 column 3"},
      {"[1, 2\n", "YAML: did not find expected ',' or ']' at line 2 column 1"},
      {"a: b: c\n", "YAML: mapping values are not allowed in this context at line 1 column 5"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.yaml);
    HostResult<Json> value = ParseYamlDocument(row.yaml);
    ASSERT_FALSE(value.ok());
    EXPECT_EQ(value.error(), row.message);
  }
  const std::string deep(kMaxPlainDepth + 1, '[');
  HostResult<Json> nested = ParseYamlDocument(deep);
  ASSERT_FALSE(nested.ok());
  EXPECT_EQ(nested.error(), "YAML: nested too deeply at line 1 column 513");
  EXPECT_TRUE(
      ParseYamlDocument(std::string(kMaxPlainDepth, '[') + std::string(kMaxPlainDepth, ']')).ok());
}

TEST(YamlJson, AScenarioIsOneDocument) {
  HostResult<Json> empty = ParseYamlDocument("# nothing\n");
  ASSERT_TRUE(empty.ok()) << empty.error();
  EXPECT_TRUE(empty.value().is_null());
  HostResult<Json> two = ParseYamlDocument("--- 1\n--- 2\n");
  ASSERT_FALSE(two.ok());
  EXPECT_EQ(two.error(), "YAML: more than one document at line 2 column 1");
}

}  // namespace
}  // namespace Vorn::Host
