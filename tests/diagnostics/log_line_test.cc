// Line formatting, level names and time stamps, through the logger's table.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sdk/diagnostics/internal/log_text.h"
#include "sdk/diagnostics/log_api.h"
#include "sdk/runtime/platform.h"

namespace Vorn {
namespace {

LogMessage SampleMessage(const char* text) {
  LogMessage message{};
  message.year = 2024;
  message.month = 1;
  message.day = 31;
  message.hour = 13;
  message.minute = 5;
  message.second = 9;
  message.millisecond = 42;
  message.level = kLogLevelAlways;
  message.groups = kLogGroupDbg;
  message.text = text;
  return message;
}

std::string Line(const char* pattern, const LogMessage& message, uint32_t size = kLogBufferSize) {
  std::string line(size, '\xAA');
  const uint32_t length = GetLogApi()->FormatLine(pattern, &message, line.data(), size);
  EXPECT_EQ(line[length], '\0');
  line.resize(length);
  return line;
}

TEST(LogLineTest, TokensAreReplaced) {
  struct Row {
    const char* pattern;
    const char* line;
  };
  constexpr Row kRows[] = {
      {"#D| #L| #G| #M",
       "2024-01-31T13:05:09.042| ALWAYS| DBG| qev-loyalty: Received new loyalty status\n"},
      {"##", "#\n"},
      {"#X", "X\n"},
      {"a##b#Mc", "a#bqev-loyalty: Received new loyalty statusc\n"},
      {"", "\n"},
      {"plain", "plain\n"},
      {"ends in newline\n", "ends in newline\n"},
      {"#L#L", "ALWAYSALWAYS\n"},
      {"trailing #", "trailing \n"},
  };
  const LogMessage message = SampleMessage("qev-loyalty: Received new loyalty status");
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.pattern);
    EXPECT_EQ(Line(row.pattern, message), row.line);
  }
}

TEST(LogLineTest, GroupsOfTheMessage) {
  LogMessage message = SampleMessage("x");
  message.groups = 0x3;
  EXPECT_EQ(Line("[#G]", message), "[DBG;GEN]\n");
  message.groups = 0;
  EXPECT_EQ(Line("[#G]", message), "[]\n");
}

std::string ThreadIdentifier() {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(Platform::CurrentThreadId()));
  return text;
}

bool IsElapsedLine(const std::string& line) {
  if (line.size() != 11 || line[6] != '.' || line[10] != '\n') return false;
  for (size_t i : {0, 1, 2, 3, 4, 5, 7, 8, 9}) {
    if (line[i] < '0' || line[i] > '9') return false;
  }
  return true;
}

TEST(LogLineTest, ExecutableAndThreadIdentifier) {
  char name[64];
  const uint32_t length = GetLogApi()->ExecutableName(name, sizeof name);
  ASSERT_EQ(std::string(name, length).rfind("log_line_test", 0), 0u) << name;
  const LogMessage message = SampleMessage("text");
  EXPECT_EQ(Line("#E(#T): #L| #M", message),
            std::string(name) + "(" + ThreadIdentifier() + "): ALWAYS| text\n");
  // A small buffer gets a cut, terminated name.
  EXPECT_EQ(GetLogApi()->ExecutableName(name, 4), 3u);
  EXPECT_STREQ(name, "log");
}

TEST(LogLineTest, ElapsedTimeStartsAtTheFirstLineThatUsesIt) {
  const LogMessage message = SampleMessage("x");
  const std::string first = Line("#H", message);
  ASSERT_TRUE(IsElapsedLine(first)) << first;
  EXPECT_EQ(first.substr(0, 7), "000000.");
  const std::string second = Line("#H", message);
  ASSERT_TRUE(IsElapsedLine(second)) << second;
  EXPECT_GE(second, first);
}

// Whole seconds and milliseconds of the elapsed time held as a float; past 24.9 days the
// milliseconds no longer fit an int.
TEST(LogLineTest, ElapsedTimeOfLongRuns) {
  struct Row {
    uint64_t ticks;
    uint64_t frequency;
    const char* text;
  };
  constexpr uint64_t kDay = 86400;
  constexpr Row kRows[] = {
      {0, 1000, "000000.000"},
      {1500, 1000, "000001.500"},
      {24 * kDay * 1000, 1000, "2073600.000"},
      {25 * kDay * 10000000, 10000000, "2160000.000"},
      {100 * kDay, 1, "8640000.000"},
      {5, 0, "000000.000"},
      {~uint64_t{0}, 1, "1099511627776.000"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.text);
    char text[32];
    const uint32_t length = detail::FormatElapsed(row.ticks, row.frequency, text, sizeof text);
    EXPECT_EQ(std::string(text, length), row.text);
  }
}

TEST(LogLineTest, CutLinesKeepTheirNewline) {
  const std::string text(5000, 'a');
  const LogMessage message = SampleMessage(text.c_str());
  const std::string line = Line("#M", message);
  ASSERT_EQ(line.size(), 4095u);
  EXPECT_EQ(line, std::string(4094, 'a') + "\n");

  EXPECT_EQ(Line("#M", message, 8), "aaaaaa\n");
  // A cut right after a newline adds no second one.
  const LogMessage two_lines = SampleMessage("abcde\nfgh");
  EXPECT_EQ(Line("#M", two_lines, 8), "abcde\n");
  EXPECT_EQ(Line("#M", message, 2), "\n");
  EXPECT_EQ(Line("#M", message, 1), "");
}

TEST(LogLineTest, LevelNames) {
  const LogApi* api = GetLogApi();
  EXPECT_STREQ(api->LevelName(0), "  OKAY");
  EXPECT_STREQ(api->LevelName(1), "  WARN");
  EXPECT_STREQ(api->LevelName(2), " ERROR");
  EXPECT_STREQ(api->LevelName(3), "ALWAYS");
  EXPECT_STREQ(api->LevelName(4), "");
  EXPECT_STREQ(api->LevelName(-1), "");
}

TEST(LogLineTest, TimeStamps) {
  const LogMessage message = SampleMessage("x");
  char text[64];
  EXPECT_EQ(GetLogApi()->FormatTimeStamp(&message, text, sizeof text), 23u);
  EXPECT_STREQ(text, "2024-01-31T13:05:09.042");
  EXPECT_EQ(GetLogApi()->FormatFileTimeStamp(&message, text, sizeof text), 19u);
  EXPECT_STREQ(text, "2024-01-31T13-05-09");
  EXPECT_EQ(GetLogApi()->FormatFileTimeStamp(&message, text, 5), 4u);
  EXPECT_STREQ(text, "2024");
}

TEST(LogLineTest, LocalTimeFillsTheTimeFieldsOnly) {
  LogMessage message{};
  message.level = kLogLevelError;
  message.text = "kept";
  GetLogApi()->LocalTime(&message);
  EXPECT_GE(message.year, 2020);
  EXPECT_GE(message.month, 1);
  EXPECT_LE(message.month, 12);
  EXPECT_GE(message.day, 1);
  EXPECT_LE(message.millisecond, 999);
  EXPECT_EQ(message.level, kLogLevelError);
  EXPECT_STREQ(message.text, "kept");
}

}  // namespace
}  // namespace Vorn
