// Fuzzes the JSON round trip: whatever ParseJson accepts, WriteJson writes (compact and
// pretty) and ParseJson reads back as the same value. Doubles may move by a few ULP, since the
// reader's number conversion is not correctly rounded.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "sdk/encoding/json_reader.h"
#include "sdk/encoding/json_writer.h"

namespace {

using Vorn::BindingProperty;
using Type = BindingProperty::Type;

constexpr uint64_t kMaxUlps = 4;

// Doubles mapped onto integers whose order is the doubles' order (-0.0 and 0.0 meet at 0).
int64_t OrderedBits(double value) {
  int64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits < 0 ? INT64_MIN - bits : bits;
}

bool NearlyEqual(double a, double b) {
  const int64_t x = OrderedBits(a);
  const int64_t y = OrderedBits(b);
  const uint64_t distance = x > y ? static_cast<uint64_t>(x) - static_cast<uint64_t>(y)
                                  : static_cast<uint64_t>(y) - static_cast<uint64_t>(x);
  return distance <= kMaxUlps;
}

bool SameValue(const BindingProperty& a, const BindingProperty& b) {
  // "-0" reads as Signed 0 and is written as 0, which reads back as Unsigned 0.
  const bool a_zero = a.GetType() == Type::Signed && a.GetSigned() == 0;
  if (a_zero && b.GetType() == Type::Unsigned) return b.GetUnsigned() == 0;
  if (a.GetType() != b.GetType()) return false;
  switch (a.GetType()) {
    case Type::Empty:
      return true;
    case Type::Bool:
      return a.GetBool() == b.GetBool();
    case Type::Signed:
      return a.GetSigned() == b.GetSigned();
    case Type::Unsigned:
      return a.GetUnsigned() == b.GetUnsigned();
    case Type::Float:
      return NearlyEqual(a.GetFloat(), b.GetFloat());
    case Type::String:
      return a.GetStringView() == b.GetStringView();
    case Type::Collection: {
      if (a.Size() != b.Size()) return false;
      for (uint32_t i = 0; i < a.Size(); ++i) {
        if (!SameValue(a.ElementAt(i), b.ElementAt(i))) return false;
      }
      return true;
    }
    case Type::Structure: {
      if (a.Size() != b.Size()) return false;
      auto other = b.Members().begin();
      for (const auto& member : a.Members()) {
        const auto counterpart = *other;
        if (member.name != counterpart.name || !SameValue(member.value, counterpart.value)) {
          return false;
        }
        ++other;
      }
      return true;
    }
    default:
      return false;  // the reader makes no blobs or enums
  }
}

void Check(const BindingProperty& value, const std::string& text, const char* form) {
  const Vorn::BindingResult again = Vorn::ParseJson(text);
  if (!again.Ok() || !SameValue(value, again.Value())) {
    std::fprintf(stderr, "%s round trip differs (%s):\n%s\n", form, again.Error(), text.c_str());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Vorn::BindingResult first =
      Vorn::ParseJson(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!first.Ok()) return 0;
  Check(first.Value(), Vorn::WriteJson(first.Value()), "compact");
  Check(first.Value(), Vorn::WriteJson(first.Value(), nullptr, "\r\n"), "pretty");
  return 0;
}
