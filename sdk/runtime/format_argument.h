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

// One conversion ready for the C library: the completed directive, the "*" values that
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
  // What a bare placeholder gets, and what any explicit directive gets unless it keeps a
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
// Up to the first NUL, as the C library sees the text.
inline size_t TextSize(const std::string& text) {
  const size_t nul = text.find('\0');
  return nul == std::string::npos ? text.size() : nul;
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

enum class FormatCategory {
  kUnsupported,
  kTextForm,
  kText,
  kString,
  kTextPair,
  kChar,
  kDouble,
  kSigned32,
  kUnsigned32,
  kSigned64,
  kUnsigned64,
};

template <typename U>
consteval FormatCategory CategoryOf() {
  if constexpr (HasFormatTextForm<U>) {
    return FormatCategory::kTextForm;
  } else if constexpr (std::is_array_v<U>) {
    return std::is_same_v<std::remove_cv_t<std::remove_extent_t<U>>, char>
               ? FormatCategory::kText
               : FormatCategory::kUnsupported;
  } else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*>) {
    return FormatCategory::kText;
  } else if constexpr (std::is_same_v<U, std::string>) {
    return FormatCategory::kString;
  } else if constexpr (IsTextPair<U>::value) {
    return FormatCategory::kTextPair;
  } else if constexpr (std::is_same_v<U, char>) {
    return FormatCategory::kChar;
  } else if constexpr (std::is_same_v<U, float> || std::is_same_v<U, double>) {
    return FormatCategory::kDouble;
  } else if constexpr (std::is_integral_v<U> && !std::is_same_v<U, bool> &&
                       !std::is_same_v<U, wchar_t> && !std::is_same_v<U, char8_t> &&
                       !std::is_same_v<U, char16_t> && !std::is_same_v<U, char32_t> &&
                       sizeof(U) <= 8) {
    // Other integer types (short, long, size_t, signed and unsigned char) are numbers of the
    // 32- or 64-bit kind that their size and signedness give.
    if constexpr (sizeof(U) <= 4) {
      return std::is_signed_v<U> ? FormatCategory::kSigned32 : FormatCategory::kUnsigned32;
    } else {
      return std::is_signed_v<U> ? FormatCategory::kSigned64 : FormatCategory::kUnsigned64;
    }
  } else {
    // bool, pointers other than char pointers, enumerations, long double and other types
    // without a text form: each would print something the caller did not mean.
    return FormatCategory::kUnsupported;
  }
}

template <typename T>
consteval FormatArgumentKind MakeFormatArgumentKind() {
  using U = std::remove_cv_t<T>;
  constexpr FormatCategory category = CategoryOf<U>();
  if constexpr (category == FormatCategory::kTextForm) {
    return {"s", "", false, nullptr, &PrintTextForm<U>};
  } else if constexpr (category == FormatCategory::kText) {
    return {"s", "", false, nullptr, &PrintAs<U, const char*>};
  } else if constexpr (category == FormatCategory::kString) {
    return {"s", "", false, nullptr, &PrintString};
  } else if constexpr (category == FormatCategory::kTextPair) {
    return {"s", "", false, nullptr, &PrintPair<U>};
  } else if constexpr (category == FormatCategory::kChar) {
    return {"cdiouxX", "", true, &ReadInt<U>, &PrintAs<U, int>};
  } else if constexpr (category == FormatCategory::kDouble) {
    return {"gaefGAEF", "", false, nullptr, &PrintAs<U, double>};
  } else if constexpr (category == FormatCategory::kSigned32) {
    return {kSignedLetters, "", true, &ReadInt<U>, &PrintAs<U, int>};
  } else if constexpr (category == FormatCategory::kUnsigned32) {
    return {kUnsignedLetters, "", true, &ReadInt<U>, &PrintAs<U, unsigned>};
  } else if constexpr (category == FormatCategory::kSigned64) {
    return {kSignedLetters, "ll", false, &ReadInt<U>, &PrintAs<U, long long>};
  } else if constexpr (category == FormatCategory::kUnsigned64) {
    return {kUnsignedLetters, "ll", false, &ReadInt<U>, &PrintAs<U, unsigned long long>};
  } else {
    static_assert(kAlwaysFalse<T>,
                  "FormatText: unsupported argument type; give it a FormatTextForm(const T&)");
    return {};
  }
}

template <typename T>
inline constexpr FormatArgumentKind kFormatArgumentKind = MakeFormatArgumentKind<T>();

}  // namespace detail

// Whether FormatText accepts a T (checked at compile time; a refused type does not compile).
template <typename T>
concept FormattableArgument = detail::CategoryOf<std::remove_cv_t<T>>()
!= detail::FormatCategory::kUnsupported;

template <typename T>
constexpr FormatArgument MakeFormatArgument(const T& value) {
  return {static_cast<const void*>(&value), &detail::kFormatArgumentKind<T>};
}

}  // namespace Vorn
