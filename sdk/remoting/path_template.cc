// Template compilation and the linear-time full match.
#include "sdk/remoting/path_template.h"

#include <cstdint>
#include <cstring>

namespace Vorn {

namespace {

enum State { kLiteral = 0, kSimple = 1, kReserved = 2, kFragment = 3 };

bool IsEscaped(char c) {
  return c != '\0' && std::strchr("^$.*+?()[]|\\", c) != nullptr;
}

bool StartsWithAt(std::string_view text, size_t at, std::string_view literal) {
  return at <= text.size() && text.size() - at >= literal.size() &&
         text.compare(at, literal.size(), literal) == 0;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 16;
}

}  // namespace

PathTemplate::PathTemplate(std::string_view text) {
  if (text.find('{') == std::string_view::npos) {
    pattern_ = std::string(text);
    prefix_ = pattern_;
    return;
  }
  literal_ = false;
  // The literal that is being collected: the prefix until the first group, then the text after
  // the last group.
  std::string* current = &prefix_;
  int state = kLiteral;
  bool first_in_variable = false;
  std::string name;
  for (const char c : text) {
    if (c == '{') {
      state = kSimple;
      first_in_variable = true;
      name.clear();
      continue;
    }
    if (c == '}') {
      if (state != kLiteral) {
        const GroupKind kind = state == kSimple ? GroupKind::kNoSlash : GroupKind::kAny;
        if (state == kFragment) {
          pattern_ += '#';
          *current += '#';
        }
        pattern_ += kind == GroupKind::kNoSlash ? "([^/]*)" : "(.*)";
        groups_.push_back(Group{kind, {}});
        current = &groups_.back().literal_after;
      }
      names_.push_back(name);
      name.clear();
      state = kLiteral;
      continue;
    }
    if (state == kLiteral) {
      if (IsEscaped(c)) pattern_ += '\\';
      pattern_ += c;
      *current += c;
      continue;
    }
    if (first_in_variable && (c == '+' || c == '#')) {
      state = c == '+' ? kReserved : kFragment;
    } else {
      name += c;
    }
    first_in_variable = false;
  }
}

bool PathTemplate::Match(std::string_view path, std::vector<std::string_view>& captures) const {
  captures.clear();
  if (!StartsWithAt(path, 0, prefix_)) return false;
  const size_t n = path.size();
  if (groups_.empty()) {
    if (n != prefix_.size()) return false;
    captures.assign(names_.size(), std::string_view());
    return true;
  }
  const size_t k = groups_.size();
  if (n < prefix_.size()) return false;

  // ends[i][e]: group i may end at e, that is the literal after it sits at e and groups i+1..
  // can complete the match from there. Filled from the last group back.
  std::vector<std::vector<bool>> ends(k, std::vector<bool>(n + 1, false));
  for (size_t i = k; i-- > 0;) {
    const std::string& after = groups_[i].literal_after;
    if (i + 1 == k) {
      if (n >= after.size() && StartsWithAt(path, n - after.size(), after)) {
        ends[i][n - after.size()] = true;
      }
      continue;
    }
    // Group i+1 starts at e + |after| and may end at any e' >= its start that it can reach.
    const GroupKind next_kind = groups_[i + 1].kind;
    const std::vector<bool>& next_ends = ends[i + 1];
    // Sweep right to left: is there an allowed end of group i+1 at or after position s, before
    // the first character that group cannot take?
    std::vector<bool> reachable(n + 1, false);
    bool seen = false;
    for (size_t s = n + 1; s-- > 0;) {
      if (s < n) {
        const char c = path[s];
        const bool blocks = next_kind == GroupKind::kNoSlash ? c == '/' : (c == '\n' || c == '\r');
        if (blocks) seen = false;
      }
      if (next_ends[s]) seen = true;
      reachable[s] = seen;
    }
    for (size_t e = 0; e + after.size() <= n; ++e) {
      if (reachable[e + after.size()] && StartsWithAt(path, e, after)) ends[i][e] = true;
    }
  }

  // Forward, greedily: each group takes the longest run that still lets the rest match.
  std::vector<std::string_view> groups(k);
  size_t start = prefix_.size();
  for (size_t i = 0; i < k; ++i) {
    size_t limit = start;
    const GroupKind kind = groups_[i].kind;
    while (limit < n) {
      const char c = path[limit];
      if (kind == GroupKind::kNoSlash ? c == '/' : (c == '\n' || c == '\r')) break;
      ++limit;
    }
    size_t end = limit + 1;
    for (size_t e = limit + 1; e-- > start;) {
      if (ends[i][e]) {
        end = e;
        break;
      }
    }
    if (end > limit) return false;
    groups[i] = path.substr(start, end - start);
    start = end + groups_[i].literal_after.size();
  }
  captures.assign(names_.size(), std::string_view());
  for (size_t i = 0; i < names_.size() && i < k; ++i)
    captures[i] = groups[i];
  return true;
}

std::string PercentDecode(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      decoded += ' ';
    } else if (c == '%') {
      if (text.size() - i - 1 >= 2) {
        const int value = 16 * HexValue(text[i + 1]) + HexValue(text[i + 2]);
        decoded += static_cast<char>(static_cast<uint8_t>(value % 256));
        i += 2;
      }
    } else {
      decoded += c;
    }
  }
  return decoded;
}

}  // namespace Vorn
