// Assertion reports: the text and how it is logged.
#include <gtest/gtest.h>

#include "sdk/diagnostics/assertion.h"
#include "sdk/diagnostics/log_api.h"
#include "tests/diagnostics/recording_target.h"

namespace Vorn {
namespace {

TEST(AssertionTest, ReportTexts) {
  struct Row {
    const char* name;
    const char* expression;
    const char* description;
    const char* file;
    uint32_t line;
    const char* function;
    const char* text;
  };
  constexpr Row kRows[] = {
      {"expression only", "x > 0", nullptr, nullptr, 0, nullptr,
       "Assertion failed!\n\nExpression: x > 0"},
      {"everything", "e", "d", "a", 12, "f",
       "Assertion failed!\n\nFile: a\nLine: 12\n\nFunction: f\n\nExpression: e\n\nDescription: d"},
      {"no file, no line", "e", "", "", 0, "f",
       "Assertion failed!\n\nFunction: f\n\nExpression: e"},
      {"incompatible host", "ALE-EECF0606", "", "", 0, "",
       "Assertion failed!\n\nExpression: ALE-EECF0606"},
      {"nothing", nullptr, nullptr, nullptr, 0, nullptr, "Assertion failed!\n\n"},
      {"file without line", nullptr, nullptr, "a.cc", 0, nullptr,
       "Assertion failed!\n\nFile: a.cc\n"},
      {"line without file", nullptr, "why", nullptr, 4294967295u, nullptr,
       "Assertion failed!\n\nLine: 4294967295\n\n\n\nDescription: why"},
      {"percent signs stay", "100%s", "%d%n", nullptr, 0, nullptr,
       "Assertion failed!\n\nExpression: 100%s\n\nDescription: %d%n"},
  };
  testing::LoggerReference reference;
  testing::RecordingTarget recorder;
  recorder.Register();
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    recorder.messages.clear();
    ReportAssertion(row.expression, row.description, row.file, row.line, row.function);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, row.text);
    EXPECT_EQ(recorder.messages[0].level, kLogLevelError);
    EXPECT_EQ(recorder.messages[0].groups, kLogGroupDbg);
  }
}

}  // namespace
}  // namespace Vorn
