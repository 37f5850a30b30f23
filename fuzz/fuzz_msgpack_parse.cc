// Fuzzes ParseMessagePack against a small recursive decoder of the same rules written here:
// both must agree on success, on the bytes consumed and on the decoded value.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "sdk/binding/nesting_limit.h"
#include "sdk/encoding/msgpack_reader.h"

namespace {

// The reference: renders the value as text while decoding; false on any invalid input.
class ReferenceDecoder {
 public:
  ReferenceDecoder(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Decode(std::string& out) {
    if (size_ == 0) {
      out = "E";
      return true;
    }
    return Value(out, 1);
  }
  size_t Position() const { return position_; }

 private:
  bool Take(size_t count, uint64_t& value) {
    if (size_ - position_ < count) return false;
    value = 0;
    for (size_t i = 0; i < count; ++i)
      value = (value << 8) | data_[position_ + i];
    position_ += count;
    return true;
  }
  bool Bytes(uint64_t length, std::string& out) {
    if (length > size_ - position_) return false;
    out.assign(reinterpret_cast<const char*>(data_ + position_), length);
    position_ += length;
    return true;
  }
  static std::string Hex(uint64_t bits) {
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
    return text;
  }
  static std::string Signed(int64_t value) { return "S" + std::to_string(value); }
  static std::string Unsigned(uint64_t value) { return "U" + std::to_string(value); }
  static std::string Sized(char kind, const std::string& bytes) {
    return kind + std::to_string(bytes.size()) + ":" + bytes;
  }

  bool StringLength(uint8_t byte, uint64_t& length) {
    if (byte >= 0xA0 && byte <= 0xBF) {
      length = byte & 0x1F;
      return true;
    }
    if (byte == 0xD9) return Take(1, length);
    if (byte == 0xDA) return Take(2, length);
    if (byte == 0xDB) return Take(4, length);
    return false;
  }

  bool Value(std::string& out, int level) {
    if (position_ >= size_) return false;
    const uint8_t byte = data_[position_++];
    uint64_t v = 0;
    if (byte <= 0x7F) {
      out = Signed(byte);
      return true;
    }
    if (byte >= 0xE0) {
      out = Signed(static_cast<int8_t>(byte));
      return true;
    }
    if ((byte >= 0xA0 && byte <= 0xBF) || (byte >= 0xD9 && byte <= 0xDB)) {
      std::string text;
      if (!StringLength(byte, v) || !Bytes(v, text)) return false;
      out = Sized('T', text);
      return true;
    }
    if ((byte >= 0x80 && byte <= 0x9F) || (byte >= 0xDC && byte <= 0xDF)) {
      if (level > Vorn::kMaxNestingDepth) return false;
      const bool is_map = byte <= 0x8F || byte >= 0xDE;
      if (byte <= 0x9F) {
        v = byte & 0x0F;
      } else if (!Take(byte == 0xDC || byte == 0xDE ? 2 : 4, v)) {
        return false;
      }
      return is_map ? Map(v, out, level) : Array(v, out, level);
    }
    switch (byte) {
      case 0xC0:
        out = "E";
        return true;
      case 0xC2:
        out = "B0";
        return true;
      case 0xC3:
        out = "B1";
        return true;
      case 0xC4:
      case 0xC5:
      case 0xC6: {
        std::string bytes;
        if (!Take(byte == 0xC4 ? 1 : byte == 0xC5 ? 2 : 4, v) || !Bytes(v, bytes)) return false;
        out = Sized('X', bytes);
        return true;
      }
      case 0xCA: {
        if (!Take(4, v)) return false;
        const uint32_t bits32 = static_cast<uint32_t>(v);
        float single;
        std::memcpy(&single, &bits32, sizeof single);
        const double widened = single;
        uint64_t bits;
        std::memcpy(&bits, &widened, sizeof bits);
        out = "F" + Hex(bits);
        return true;
      }
      case 0xCB:
        if (!Take(8, v)) return false;
        out = "F" + Hex(v);
        return true;
      case 0xCC:
      case 0xCD:
      case 0xCE:
      case 0xCF:
        if (!Take(size_t{1} << (byte - 0xCC), v)) return false;
        out = Unsigned(v);
        return true;
      case 0xD0:
      case 0xD1:
      case 0xD2:
      case 0xD3: {
        const size_t width = size_t{1} << (byte - 0xD0);
        if (!Take(width, v)) return false;
        const unsigned shift = static_cast<unsigned>(64 - 8 * width);
        out = Signed(static_cast<int64_t>(v << shift) >> shift);
        return true;
      }
      default:
        return false;  // never used, ext, fixext
    }
  }

  bool Array(uint64_t count, std::string& out, int level) {
    out = "[";
    for (uint64_t i = 0; i < count; ++i) {
      std::string element;
      if (!Value(element, level + 1)) return false;
      out += element + ",";
    }
    out += "]";
    return true;
  }

  bool Map(uint64_t count, std::string& out, int level) {
    std::map<std::string, std::string> members;  // std::string orders by unsigned bytes
    for (uint64_t i = 0; i < count; ++i) {
      if (position_ >= size_) return false;
      std::string key;
      uint64_t length;
      if (!StringLength(data_[position_++], length) || !Bytes(length, key)) return false;
      key.resize(std::strlen(key.c_str()));
      std::string value;
      if (!Value(value, level + 1)) return false;
      members[key] = value;
    }
    out = "{";
    for (const auto& [key, value] : members)
      out += Sized('K', key) + "=" + value + ",";
    out += "}";
    return true;
  }

  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

std::string Render(const Vorn::BindingProperty& value) {
  using Type = Vorn::BindingProperty::Type;
  auto sized = [](char kind, std::string_view bytes) {
    return kind + std::to_string(bytes.size()) + ":" + std::string(bytes);
  };
  switch (value.GetType()) {
    case Type::Empty:
      return "E";
    case Type::Bool:
      return value.GetBool() ? "B1" : "B0";
    case Type::Signed:
      return "S" + std::to_string(value.GetSigned());
    case Type::Unsigned:
      return "U" + std::to_string(value.GetUnsigned());
    case Type::Float: {
      const double number = value.GetFloat();
      uint64_t bits;
      std::memcpy(&bits, &number, sizeof bits);
      char text[24];
      std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
      return std::string("F") + text;
    }
    case Type::String:
      return sized('T', value.GetStringView());
    case Type::Blob: {
      const Vorn::BindingBlob& blob = value.GetBlob();
      return sized('X', std::string_view(reinterpret_cast<const char*>(blob.data()), blob.size()));
    }
    case Type::Collection: {
      std::string out = "[";
      for (const Vorn::BindingProperty& element : value.Elements())
        out += Render(element) + ",";
      return out + "]";
    }
    case Type::Structure: {
      std::string out = "{";
      for (const auto& member : value.Members()) {
        out += sized('K', member.name) + "=" + Render(member.value) + ",";
      }
      return out + "}";
    }
    default:
      return "?";
  }
}

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  uint32_t consumed = 0;
  const Vorn::BindingResult result =
      Vorn::ParseMessagePack(data, static_cast<uint32_t>(size), consumed);
  if (consumed > size) Fail("consumed beyond the input", std::to_string(consumed));

  ReferenceDecoder reference(data, size);
  std::string expected;
  const bool reference_ok = reference.Decode(expected);
  if (result.Ok() != reference_ok) {
    Fail("outcomes differ", result.Ok() ? std::string("reference failed") : result.Error());
  }
  if (result.Ok()) {
    if (consumed != reference.Position()) Fail("consumed differs", std::to_string(consumed));
    const std::string actual = Render(result.Value());
    if (actual != expected) Fail("values differ", actual + " / " + expected);
  } else if (std::strncmp(result.Error(), "Invalid MessagePack data", 24) != 0 ||
             result.Value().Size() != 1) {
    Fail("unexpected failure form", result.Error());
  }

  const bool container =
      size > 0 && ((data[0] >= 0x80 && data[0] <= 0x9F) || (data[0] >= 0xDC && data[0] <= 0xDF));
  if (Vorn::LooksLikeMessagePack(data, static_cast<uint32_t>(size)) != container) {
    Fail("LooksLikeMessagePack", std::to_string(size > 0 ? data[0] : -1));
  }
  return 0;
}
