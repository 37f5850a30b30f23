// The formatter's stages: parse a placeholder into its own directive, bind it and its "*"
// values to arguments, complete the directive from the argument's kind, write it.
#include "sdk/runtime/format_text.h"

#include <cstring>
#include <limits>

namespace Vorn::detail {
namespace {

// A directive of 60 or more characters ends the output instead of being cut.
constexpr size_t kMaxSpecLength = 59;
// Room for a completed directive: completion adds at most "ll" to what was parsed.
constexpr size_t kCompletedSpecSize = kMaxSpecLength + 4;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads a run of decimal digits, saturating so that a huge run is simply "beyond the list".
const char* ReadNumber(const char* p, size_t& number) {
  constexpr size_t kSaturated = static_cast<size_t>(-1) / 10 - 1;
  number = 0;
  for (; IsDigit(*p); ++p) {
    if (number < kSaturated) number = number * 10 + static_cast<size_t>(*p - '0');
  }
  return p;
}

// One placeholder after parsing: its directive (without positions) and the 1-based
// numbers of the arguments it takes.
struct Placeholder {
  char spec[kMaxSpecLength + 1];
  size_t length = 0;
  // Too long, or a width the C library cannot print: the output ends before it.
  bool refused = false;
  size_t argument = 0;
  size_t stars[2] = {0, 0};
  size_t star_count = 0;

  void Append(char c) {
    if (length == kMaxSpecLength) {
      refused = true;
      return;
    }
    spec[length++] = c;
  }
};

class PlaceholderParser {
 public:
  PlaceholderParser(size_t count, size_t& sequence) : count_(count), sequence_(sequence) {}

  // `p` points just after the "%"; returns the position after the placeholder.
  const char* Parse(const char* p, Placeholder& out) {
    out.Append('%');
    size_t position = 0;
    if (*p >= '1' && *p <= '9') {
      size_t number = 0;
      const char* after = ReadNumber(p, number);
      // A number beyond the list is no position: the digits are read again as a width.
      if (number <= count_) {
        if (*after != '$') {
          out.argument = number;
          return after;
        }
        position = number;
        p = after + 1;
      }
    }
    while (*p != '\0' && std::strchr("-+ #0", *p) != nullptr)
      out.Append(*p++);
    p = ParseWidth(p, out);
    if (*p == '.') {
      out.Append(*p++);
      p = ParseWidth(p, out);
    }
    if (*p == 'h' || *p == 'l') {
      out.Append(*p);
      if (p[1] == *p) out.Append(*++p);
      ++p;
    } else if (*p != '\0' && std::strchr("Ljtz", *p) != nullptr) {
      out.Append(*p++);
    }
    if (*p != '\0') out.Append(*p++);
    out.argument = position != 0 ? position : sequence_++;
    return p;
  }

 private:
  // A width or precision: digits, or "*" with an optional "N$" naming its argument.
  const char* ParseWidth(const char* p, Placeholder& out) {
    if (*p != '*') {
      while (IsDigit(*p))
        out.Append(*p++);
      return p;
    }
    out.Append(*p++);
    // Digits without a "$" are not a position; they are left for the next step.
    if (IsDigit(*p)) {
      size_t number = 0;
      const char* after = ReadNumber(p, number);
      if (*after == '$') {
        // Position 0 names no argument and is refused when bound.
        out.stars[out.star_count++] = number;
        return after + 1;
      }
    }
    out.stars[out.star_count++] = sequence_++;
    return p;
  }

  size_t count_;
  size_t& sequence_;
};

bool Accepts(const char* letters, char c) {
  return std::strchr(letters, c) != nullptr;
}

bool IsLengthModifier(char c) {
  return std::strchr("hljztL", c) != nullptr;
}

// Fills `completed` from the parsed directive and the argument's kind; returns the
// conversion letter. A bare placeholder gets the kind's modifier and default letter; otherwise
// the last character is kept if the kind accepts it and replaced by the default if not.
char Complete(const Placeholder& placeholder, const FormatArgumentKind& kind,
              char (&completed)[kCompletedSpecSize]) {
  const char default_letter = kind.letters[0];
  size_t base = 1;
  const char* modifier = kind.length_modifier;
  char letter = default_letter;
  if (placeholder.length > 1) {
    const char last = placeholder.spec[placeholder.length - 1];
    if (Accepts(kind.letters, last)) letter = last;
    base = placeholder.length - 1;
    size_t modifier_start = base;
    while (modifier_start > 1 && IsLengthModifier(placeholder.spec[modifier_start - 1])) {
      --modifier_start;
    }
    const size_t given_length = base - modifier_start;
    const char* given = placeholder.spec + modifier_start;
    if (kind.keeps_short_modifiers && given_length == 1 && given[0] == 'h') modifier = "h";
    if (kind.keeps_short_modifiers && given_length == 2 && given[0] == 'h' && given[1] == 'h') {
      modifier = "hh";
    }
    base = modifier_start;
  }
  // A character is always an int: any modifier would make the C library read a wide character.
  if (letter == 'c') modifier = "";
  std::memcpy(completed, placeholder.spec, base);
  size_t length = base;
  for (const char* m = modifier; *m != '\0'; ++m)
    completed[length++] = *m;
  completed[length++] = letter;
  completed[length] = '\0';
  return letter;
}

int CountStars(const char* spec) {
  int stars = 0;
  for (; *spec != '\0'; ++spec)
    stars += *spec == '*' ? 1 : 0;
  return stars;
}

}  // namespace

size_t FormatArguments(char* buffer, size_t size, const char* format,
                       const FormatArgument* arguments, size_t count) {
  if (size == 0) return 0;
  const size_t end = size - 1;
  size_t position = 0;
  size_t sequence = 1;
  const char* p = format == nullptr ? "" : format;
  while (*p != '\0' && position < end) {
    if (*p != '%') {
      buffer[position++] = *p++;
      continue;
    }
    if (p[1] == '%') {
      buffer[position++] = '%';
      p += 2;
      continue;
    }

    Placeholder placeholder;
    const char* next = PlaceholderParser(count, sequence).Parse(p + 1, placeholder);
    if (placeholder.refused) break;
    if (placeholder.argument == 0 || placeholder.argument > count) break;
    FormatConversion conversion{};
    bool bound = true;
    for (size_t i = 0; i < placeholder.star_count; ++i) {
      const size_t star = placeholder.stars[i];
      if (star == 0 || star > count || arguments[star - 1].kind->as_int == nullptr) {
        bound = false;
        break;
      }
      conversion.stars[i] = arguments[star - 1].kind->as_int(arguments[star - 1].value);
    }
    if (!bound) break;

    const FormatArgument& argument = arguments[placeholder.argument - 1];
    char completed[kCompletedSpecSize];
    const char letter = Complete(placeholder, *argument.kind, completed);
    p = next;
    // No kind accepts "n"; this keeps any future one from writing through a pointer.
    if (letter == 'n') continue;
    conversion.out = buffer + position;
    conversion.size = size - position;
    conversion.spec = completed;
    // A "*" that was the placeholder's unfinished last character is no longer in the
    // directive, so its value is not passed either.
    conversion.star_count = CountStars(completed);
    // "c" prints the low byte of any integral kind, passed as the int the C library expects.
    const int written =
        letter == 'c' && argument.kind->as_int != nullptr
            ? PrintConverted(conversion,
                             int{static_cast<unsigned char>(argument.kind->as_int(argument.value))})
            : argument.kind->print(argument.value, conversion);
    if (written < 0) {
      break;
    }
    if (static_cast<size_t>(written) >= conversion.size) {
      position = end;
      break;
    }
    position += static_cast<size_t>(written);
  }
  buffer[position] = '\0';
  return position;
}

}  // namespace Vorn::detail
