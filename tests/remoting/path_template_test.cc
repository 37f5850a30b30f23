// Path templates: the ECMAScript form they stand for, captures compared with std::regex on a
// table of templates and paths, percent-decoding, and a 1 MiB path on a small stack.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "sdk/remoting/path_template.h"

namespace Vorn {
namespace {

TEST(PathTemplateTest, CompiledForms) {
  struct Row {
    const char* text;
    const char* pattern;
    std::vector<std::string> names;
    bool literal;
  };
  const Row kRows[] = {
      {"/items/{id}", "/items/([^/]*)", {"id"}, false},
      {"/files/{+path}", "/files/(.*)", {"path"}, false},
      {"/x{#frag}", "/x#(.*)", {"frag"}, false},
      {"/v1.0/{x}", "/v1\\.0/([^/]*)", {"x"}, false},
      {"/a^$.*+?()[]|\\b/{y}", "/a\\^\\$\\.\\*\\+\\?\\(\\)\\[\\]\\|\\\\b/([^/]*)", {"y"}, false},
      {"/{a}/{+b}/{#c}", "/([^/]*)/(.*)/#(.*)", {"a", "b", "c"}, false},
      {"/{a+b}", "/([^/]*)", {"a+b"}, false},
      {"/{x/{y}", "/([^/]*)", {"y"}, false},
      {"/open/{id", "/open/", {}, false},
      {"/stray}/{v}", "/stray/([^/]*)", {"", "v"}, false},
      {"/plain.path", "/plain.path", {}, true},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.text);
    const PathTemplate compiled(row.text);
    EXPECT_EQ(compiled.Pattern(), row.pattern);
    EXPECT_EQ(compiled.VariableNames(), row.names);
    EXPECT_EQ(compiled.IsLiteral(), row.literal);
  }
}

// What std::regex gives for the same template: whether it matches as a whole, and the group
// texts by variable (an unmatched or missing group reads as the empty text).
bool RegexMatch(const PathTemplate& compiled, const std::string& path,
                std::vector<std::string>& captures) {
  captures.clear();
  if (compiled.IsLiteral()) {
    if (path != compiled.Pattern()) return false;
    captures.assign(compiled.VariableNames().size(), "");
    return true;
  }
  const std::regex pattern(compiled.Pattern(), std::regex::ECMAScript | std::regex::optimize);
  std::smatch match;
  if (!std::regex_match(path, match, pattern)) return false;
  for (size_t i = 0; i < compiled.VariableNames().size(); ++i) {
    captures.push_back(i + 1 < match.size() ? match[i + 1].str() : std::string());
  }
  return true;
}

TEST(PathTemplateTest, CapturesAgreeWithStdRegex) {
  const char* const kTemplates[] = {
      "/items/{id}",   "/items/{+rest}", "/items/all", "/a/{x}",    "/a/{+x}",        "/v1.0/{x}",
      "/{a}{b}",       "/{+a}{+b}",      "/{a}/{+b}",  "/{+a}/{b}", "/{+a}/{+b}/end", "/x{#frag}",
      "/{a}-{b}.{c}",  "/{+a}.{+b}",     "{x}",        "/open/{id", "/stray}/{v}",    "/{a}{+b}{c}",
      "/f/{+p}/x/{q}", "/{+a}a{+b}a",    "/q/{+rest}", "/s/{id}/t",
  };
  const char* const kPaths[] = {
      "/items/7",     "/items/", "/items/all", "/items/7/8", "/a/b/c",   "/a/b",    "/v1.0/z",
      "/v1x0/z",      "/ab",     "/a/b/c/end", "/x#f",       "/x#",      "/1-2.3",  "/1-2.3.4",
      "a.b.c",        "",        "/",          "/open/",     "/stray/v", "/a\nb/c", "/a\rb",
      "/f/1/x/2/x/3", "/aaaa",   "/aXaYa",     "/q/r?x=1",   "/s/1/t",   "/s//t",   "/items/%41",
      "/a/b\n",
  };
  for (const char* text : kTemplates) {
    const PathTemplate compiled(text);
    for (const char* path : kPaths) {
      SCOPED_TRACE(std::string(text) + " ~ " + path);
      std::vector<std::string> expected;
      const bool expected_match = RegexMatch(compiled, path, expected);
      std::vector<std::string_view> captures;
      ASSERT_EQ(compiled.Match(path, captures), expected_match);
      if (!expected_match) continue;
      ASSERT_EQ(captures.size(), expected.size());
      for (size_t i = 0; i < captures.size(); ++i)
        EXPECT_EQ(captures[i], expected[i]) << i;
    }
  }
}

TEST(PathTemplateTest, PercentDecoding) {
  struct Row {
    const char* text;
    std::string decoded;
  };
  const Row kRows[] = {
      {"a+b", "a b"},
      {"%41%62", "Ab"},
      {"%4a%4A", "JJ"},
      {"%zz", std::string(1, '\x10')},  // 16 * 16 + 16, modulo 256
      {"%g1", std::string(1, '\x01')},  // 16 * 16 + 1
      {"ab%", "ab"},
      {"ab%4", "ab4"},
      {"%%41",
       "\x04"
       "1"},  // "%%4" reads '%' and '4' as 16 and 4
      {"plain", "plain"},
      {"%00x", std::string("\0x", 2)},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(PercentDecode(row.text), row.decoded);
  }
}

TEST(PathTemplateTest, OneMebibytePath) {
  const std::string long_tail(1 << 20, 'a');
  bool matched_any = false;
  bool matched_slash = true;
  size_t captured = 0;
  std::thread worker([&] {
    const PathTemplate any("/f/{+path}");
    const PathTemplate segment("/f/{x}/{y}");
    std::vector<std::string_view> captures;
    matched_any = any.Match("/f/" + long_tail, captures);
    captured = captures.empty() ? 0 : captures[0].size();
    matched_slash = segment.Match("/f/" + long_tail, captures);
  });
  worker.join();
  EXPECT_TRUE(matched_any);
  EXPECT_EQ(captured, size_t{1} << 20);
  EXPECT_FALSE(matched_slash);
}

}  // namespace
}  // namespace Vorn
