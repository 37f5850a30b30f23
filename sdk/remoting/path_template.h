// PathTemplate: a route's path template, compiled once per registration, and the full match of
// a request path against it. The captures are exactly those of the ECMAScript pattern the
// template stands for ("{x}" -> "([^/]*)", "{+x}" -> "(.*)", "{#x}" -> "#(.*)", other characters
// literal), found without backtracking so that no path length can exhaust the stack.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Vorn {

class PathTemplate {
 public:
  // A text without "{" is a literal path, matched byte for byte. Otherwise it is read
  // character by character: "{" starts a variable (a "+" or "#" right after it selects the
  // reserved or fragment form, every other character is part of the name) and "}" ends one,
  // appending its name (also when no variable was open).
  explicit PathTemplate(std::string_view text);

  bool IsLiteral() const { return literal_; }
  // The ECMAScript form of the template (the literal text itself for a literal path), with the
  // characters ^ $ . * + ? ( ) [ ] | \ of literal parts escaped.
  const std::string& Pattern() const { return pattern_; }
  // In order of appearance; capture i belongs to variable i.
  const std::vector<std::string>& VariableNames() const { return names_; }

  // Whether `path` matches as a whole. On a match `captures` receives one text per variable
  // name (views into `path`; a name without a capture group gets the empty text), chosen as a
  // backtracking ECMAScript matcher would: each group, from the first, as long as the rest
  // still matches. Time and memory are linear in the path length per group.
  bool Match(std::string_view path, std::vector<std::string_view>& captures) const;

 private:
  enum class GroupKind { kNoSlash, kAny };  // [^/]* and .* (no CR or LF, as ECMAScript's ".")
  struct Group {
    GroupKind kind;
    std::string literal_after;
  };

  bool literal_ = true;
  std::string pattern_;
  std::vector<std::string> names_;
  std::string prefix_;  // the literal before the first group (the whole text when literal)
  std::vector<Group> groups_;
};

// Percent-decoding of path captures and query pieces: "+" gives a space; "%" and the two
// characters after it give one byte (16 * first + second, modulo 256, where a character that is
// no hexadecimal digit counts as 16); a "%" with fewer than two characters after it is dropped;
// every other character is copied.
std::string PercentDecode(std::string_view text);

}  // namespace Vorn
