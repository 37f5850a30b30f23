// vorn-host decode: each format read under the request-body rules, the plain and typed JSON it
// writes, and how failures and usage mistakes come out.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/tool_process.h"

namespace Vorn::Host {
namespace {

struct DecodeCase {
  const char* name;
  const char* options;
  std::string input;
  const char* out;
};

TEST(VornHostDecode, WritesTheValueAsJsonWithOneNewline) {
  const DecodeCase cases[] = {
      {"members", "--format json", R"({"b":[1,-2,1.5,true,null,"x"],"a":{}})",
       "{\"a\":{},\"b\":[1,-2,1.5,true,null,\"x\"]}\n"},
      {"typed", "--format json --typed", R"({"b":[1,-2,1.5,true,null,"x"],"a":{}})",
       R"({"a":{},"b":[{"unsigned":1},{"signed":-2},{"float":1.5},{"bool":true},null,)"
       R"({"string":"x"}]})"
       "\n"},
      {"pretty", "--format json --pretty", R"({"a":[1]})",
       "{\n    \"a\": [\n        1\n    ]\n}\n"},
      {"empty", "--format json", "", "\n"},
      {"empty_typed", "--format json --typed", " ", "null\n"},
      {"yaml", "--format yaml", "a: 1\nb: [x, 2.5]\n", "{\"a\":1,\"b\":[\"x\",2.5]}\n"},
      {"yaml_typed", "--format yaml --typed", "- ~\n- yes\n", "[null,{\"bool\":true}]\n"},
      // {"k": bin8 00 FF, "n": -1}
      {"msgpack_typed", "--format msgpack --typed",
       std::string("\x82\xa1k\xc4\x02\x00\xff\xa1n\xff", 10),
       "{\"k\":{\"blob\":\"AP8=\"},\"n\":{\"signed\":-1}}\n"},
  };
  for (const DecodeCase& row : cases) {
    SCOPED_TRACE(row.name);
    const std::string file = WriteFile(std::string(row.name) + ".in", row.input);
    const ToolRun run = RunTool(std::string("decode ") + row.options + " \"" + file + "\"", true);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, row.out);
    EXPECT_EQ(run.err, "");
  }
}

TEST(VornHostDecode, ReadsStandardInputForADashOrNoFile) {
  const std::string file = WriteFile("stdin.json", "[7]");
  for (const char* arguments : {"decode --format json - < \"", "decode --format json < \""}) {
    SCOPED_TRACE(arguments);
    const ToolRun run = RunTool(arguments + file + "\"", true);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, "[7]\n");
  }
}

TEST(VornHostDecode, FailuresPrintTheReadersMessageOnStandardError) {
  const DecodeCase cases[] = {
      {"json_error", "--format json", "[1 2]",
       "Error: Missing a comma or ']' after an array element. at offset 3.\n"},
      // A MessagePack body must use every byte.
      {"msgpack_extra", "--format msgpack", std::string("\x01\x02", 2),
       "Extra MessgePack data found in body\n"},
  };
  for (const DecodeCase& row : cases) {
    SCOPED_TRACE(row.name);
    const std::string file = WriteFile(std::string(row.name) + ".in", row.input);
    const ToolRun run = RunTool(std::string("decode ") + row.options + " \"" + file + "\"", true);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, row.out);
  }
  const ToolRun yaml =
      RunTool("decode --format yaml \"" + WriteFile("two.yaml", "a\n---\nb\n") + "\"", true);
  EXPECT_EQ(yaml.exit_code, 1);
  EXPECT_EQ(yaml.out, "");
  EXPECT_NE(yaml.err, "");
}

TEST(VornHostDecode, ExitCodes) {
  const struct {
    const char* arguments;
    int exit_code;
  } cases[] = {
      {"decode --format xml", 2},
      {"decode", 2},
      {"decode --format json \"no such file\"", 1},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.arguments);
    EXPECT_EQ(RunTool(row.arguments).exit_code, row.exit_code);
  }
}

}  // namespace
}  // namespace Vorn::Host
