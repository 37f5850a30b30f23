// The type-erased arguments of FormatText: each one is held by reference beside a kind, chosen
// at compile time from its native type, that knows its conversion letters and how it prints.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>

namespace Vorn {

namespace detail {

// One conversion ready for the C library: the completed specification, the "*" values that
// precede the argument in printf order, and the space left in the output (NUL included).
struct FormatConversion {
  char* out;
  size_t size;
  const char* spec;
  int stars[2];
  int star_count;
};

// snprintf(out, size, spec, stars..., value); the C library's result (negative on failure).
int PrintConverted(const FormatConversion& conversion, int value);
int PrintConverted(const FormatConversion& conversion, unsigned value);
int PrintConverted(const FormatConversion& conversion, long long value);
int PrintConverted(const FormatConversion& conversion, unsigned long long value);
int PrintConverted(const FormatConversion& conversion, double value);
// A null text prints as the empty text (the C library would print "(null)" or crash).
int PrintConverted(const FormatConversion& conversion, const char* value);
// Prints the text form "first:second"; the join is built on the stack unless it is longer than
// any formatted result can be.
int PrintJoined(const FormatConversion& conversion, const char* first, size_t first_size,
                const char* second, size_t second_size);

}  // namespace detail

struct FormatArgumentKind {
  // The conversion letters the kind accepts; the first is its default.
  const char* letters;
  // What a bare placeholder gets, and what any explicit specification gets unless it keeps a
  // short modifier below: "ll" for 64-bit integers, so their whole value always prints.
  const char* length_modifier;
  // Whether an explicit "h" or "hh" stays. Every other modifier the caller writes is replaced,
  // because it would make the C library read a value of another size ("%ls", "%Lf", "%jd").
  bool keeps_short_modifiers;
  // Reads the value as an int for a "*" width or precision; null when the kind may not supply
  // one.
  int (*as_int)(const void* value);
  int (*print)(const void* value, const detail::FormatConversion& conversion);
};

// One argument: the caller's object, unconverted, and its kind. Valid while the object lives.
struct FormatArgument {
  const void* value;
  const FormatArgumentKind* kind;
};

namespace detail {

template <typename T>
inline constexpr bool kAlwaysFalse = false;

// The customization point: an ADL-found `std::string FormatTextForm(const T&)` gives T a text
// form, rendered with "s" and built only when the argument is reached.
template <typename T>
concept HasFormatTextForm = requires(const T& value) {
  { FormatTextForm(value) } -> std::convertible_to<std::string>;
};

template <typename T>
concept FormatTextLike =
    std::same_as<T, std::string> || std::same_as<T, const char*> || std::same_as<T, char*>;

inline const char* TextData(const std::string& text) {
  return text.data();
}
inline size_t TextSize(const std::string& text) {
  return text.size();
}
inline const char* TextData(const char* text) {
  return text == nullptr ? "" : text;
}
inline size_t TextSize(const char* text) {
  return std::char_traits<char>::length(TextData(text));
}

template <typename T, typename Printed>
int PrintAs(const void* value, const FormatConversion& conversion) {
  return PrintConverted(conversion, static_cast<Printed>(*static_cast<const T*>(value)));
}

template <typename T>
int ReadInt(const void* value) {
  return static_cast<int>(*static_cast<const T*>(value));
}

inline int PrintString(const void* value, const FormatConversion& conversion) {
  return PrintConverted(conversion, static_cast<const std::string*>(value)->c_str());
}

template <typename T>
int PrintPair(const void* value, const FormatConversion& conversion) {
  const T& pair = *static_cast<const T*>(value);
  return PrintJoined(conversion, TextData(pair.first), TextSize(pair.first), TextData(pair.second),
                     TextSize(pair.second));
}

template <typename T>
int PrintTextForm(const void* value, const FormatConversion& conversion) {
  const std::string text = FormatTextForm(*static_cast<const T*>(value));
  return PrintConverted(conversion, text.c_str());
}

inline constexpr const char kSignedLetters[] = "dciouxX";
inline constexpr const char kUnsignedLetters[] = "ucdioxX";

template <typename T>
struct IsTextPair : std::false_type {};
template <typename A, typename B>
struct IsTextPair<std::pair<A, B>> : std::bool_constant<FormatTextLike<std::remove_cv_t<A>> &&
                                                        FormatTextLike<std::remove_cv_t<B>>> {};

template <typename T>
consteval FormatArgumentKind MakeFormatArgumentKind() {
  using U = std::remove_cv_t<T>;
  if constexpr (HasFormatTextForm<U>) {
    return {"s", "", false, nullptr, &PrintTextForm<U>};
  } else if constexpr (std::is_array_v<U>) {
    static_assert(std::is_same_v<std::remove_cv_t<std::remove_extent_t<U>>, char>,
                  "FormatText: only char arrays (string literals) are accepted as arrays");
    return {"s", "", false, nullptr, &PrintAs<U, const char*>};
  } else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*>) {
    return {"s", "", false, nullptr, &PrintAs<U, const char*>};
  } else if constexpr (std::is_same_v<U, std::string>) {
    return {"s", "", false, nullptr, &PrintString};
  } else if constexpr (IsTextPair<U>::value) {
    return {"s", "", false, nullptr, &PrintPair<U>};
  } else if constexpr (std::is_same_v<U, char>) {
    return {"cdiouxX", "", true, &ReadInt<U>, &PrintAs<U, int>};
  } else if constexpr (std::is_same_v<U, float> || std::is_same_v<U, double>) {
    return {"gaefGAEF", "", false, nullptr, &PrintAs<U, double>};
  } else if constexpr (std::is_integral_v<U> && !std::is_same_v<U, bool> &&
                       !std::is_same_v<U, wchar_t> && !std::is_same_v<U, char8_t> &&
                       !std::is_same_v<U, char16_t> && !std::is_same_v<U, char32_t>) {
    // Other integer types (short, long, size_t, signed and unsigned char) are numbers of the
    // 32- or 64-bit kind that their size and signedness give.
    static_assert(sizeof(U) <= 8, "FormatText: integers wider than 64 bits are not accepted");
    if constexpr (sizeof(U) <= 4 && std::is_signed_v<U>) {
      return {kSignedLetters, "", true, &ReadInt<U>, &PrintAs<U, int>};
    } else if constexpr (sizeof(U) <= 4) {
      return {kUnsignedLetters, "", true, &ReadInt<U>, &PrintAs<U, unsigned>};
    } else if constexpr (std::is_signed_v<U>) {
      return {kSignedLetters, "ll", false, &ReadInt<U>, &PrintAs<U, long long>};
    } else {
      return {kUnsignedLetters, "ll", false, &ReadInt<U>, &PrintAs<U, unsigned long long>};
    }
  } else {
    // bool, pointers other than char pointers, enumerations and other types without a text
    // form are refused: each would print something the caller did not mean.
    static_assert(kAlwaysFalse<T>,
                  "FormatText: unsupported argument type; give it a FormatTextForm(const T&)");
    return {};
  }
}

template <typename T>
inline constexpr FormatArgumentKind kFormatArgumentKind = MakeFormatArgumentKind<T>();

}  // namespace detail

template <typename T>
constexpr FormatArgument MakeFormatArgument(const T& value) {
  return {static_cast<const void*>(&value), &detail::kFormatArgumentKind<T>};
}

}  // namespace Vorn
