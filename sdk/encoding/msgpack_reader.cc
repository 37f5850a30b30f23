// The MessagePack reader: a 256-entry table from format byte to format class drives one loop
// over a heap stack of open containers; values are written straight into the result tree.
#include "sdk/encoding/msgpack_reader.h"

#include <array>
#include <bit>
#include <cstring>
#include <string_view>
#include <vector>

#include "sdk/binding/nesting_limit.h"
#include "sdk/runtime/format_text.h"

namespace Vorn {
namespace detail {
namespace {

// The format families of the MessagePack format. Never-used, ext and fixext bytes share one
// class: this reader has no extension types and refuses them.
enum class MessagePackFormat : uint8_t {
  kPositiveFixint,
  kNegativeFixint,
  kFixmap,
  kFixarray,
  kFixstr,
  kNil,
  kFalse,
  kTrue,
  kBin8,
  kBin16,
  kBin32,
  kFloat32,
  kFloat64,
  kUint8,
  kUint16,
  kUint32,
  kUint64,
  kInt8,
  kInt16,
  kInt32,
  kInt64,
  kStr8,
  kStr16,
  kStr32,
  kArray16,
  kArray32,
  kMap16,
  kMap32,
  kUnsupported,
};

constexpr std::array<MessagePackFormat, 256> MakeFormatTable() {
  using F = MessagePackFormat;
  std::array<F, 256> table{};
  for (int byte = 0x00; byte <= 0x7F; ++byte)
    table[byte] = F::kPositiveFixint;
  for (int byte = 0x80; byte <= 0x8F; ++byte)
    table[byte] = F::kFixmap;
  for (int byte = 0x90; byte <= 0x9F; ++byte)
    table[byte] = F::kFixarray;
  for (int byte = 0xA0; byte <= 0xBF; ++byte)
    table[byte] = F::kFixstr;
  for (int byte = 0xE0; byte <= 0xFF; ++byte)
    table[byte] = F::kNegativeFixint;
  constexpr F kFrom0xC0[] = {
      F::kNil,         F::kUnsupported, F::kFalse,       F::kTrue,        F::kBin8,
      F::kBin16,       F::kBin32,       F::kUnsupported, F::kUnsupported, F::kUnsupported,
      F::kFloat32,     F::kFloat64,     F::kUint8,       F::kUint16,      F::kUint32,
      F::kUint64,      F::kInt8,        F::kInt16,       F::kInt32,       F::kInt64,
      F::kUnsupported, F::kUnsupported, F::kUnsupported, F::kUnsupported, F::kUnsupported,
      F::kStr8,        F::kStr16,       F::kStr32,       F::kArray16,     F::kArray32,
      F::kMap16,       F::kMap32,
  };
  static_assert(sizeof kFrom0xC0 / sizeof kFrom0xC0[0] == 0xE0 - 0xC0);
  for (int byte = 0xC0; byte < 0xE0; ++byte)
    table[byte] = kFrom0xC0[byte - 0xC0];
  return table;
}

constexpr std::array<MessagePackFormat, 256> kFormatTable = MakeFormatTable();

enum class MessagePackError : uint8_t {
  kNone,
  kInvalidData,
  kKeyNotString,
  kTruncated8,
  kTruncated16,
  kTruncated32,
  kTruncated64,
  kStringTruncated,
  kBlobTruncated,
  kContainerTruncated,
  kNestingTooDeep,
};

std::string RenderError(MessagePackError code, uint32_t position, uint32_t length) {
  switch (code) {
    case MessagePackError::kNone:
      break;
    case MessagePackError::kInvalidData:
      return FormatText("Invalid MessagePack data at position %1.", position);
    case MessagePackError::kKeyNotString:
      return FormatText("Invalid MessagePack data at position %1. Map keys must be strings.",
                        position);
    case MessagePackError::kTruncated8:
      return FormatText(
          "Invalid MessagePack data. 8-bit integer value at position %1 is truncated.", position);
    case MessagePackError::kTruncated16:
      return FormatText(
          "Invalid MessagePack data. 16-bit integer value at position %1 is truncated.", position);
    case MessagePackError::kTruncated32:
      return FormatText(
          "Invalid MessagePack data. 32-bit integer value at position %1 is truncated.", position);
    case MessagePackError::kTruncated64:
      return FormatText(
          "Invalid MessagePack data. 64-bit integer value at position %1 is truncated.", position);
    case MessagePackError::kStringTruncated:
      return FormatText("Invalid MessagePack data. String of size %1 at position %2 is truncated.",
                        length, position);
    case MessagePackError::kBlobTruncated:
      return FormatText(
          "Invalid MessagePack data. Raw bytes of size %1 at position %2 are truncated.", length,
          position);
    case MessagePackError::kContainerTruncated:
      return FormatText("Invalid MessagePack data. Array or map at position %1 is truncated.",
                        position);
    case MessagePackError::kNestingTooDeep:
      return FormatText("Invalid MessagePack data at position %1. Nesting is too deep.", position);
  }
  return std::string();
}

template <typename T>
T LoadBigEndian(const uint8_t* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof value);
  if constexpr (std::endian::native == std::endian::little && sizeof(T) > 1) {
#if defined(__GNUC__) || defined(__clang__)
    if constexpr (sizeof(T) == 2) value = __builtin_bswap16(value);
    if constexpr (sizeof(T) == 4) value = __builtin_bswap32(value);
    if constexpr (sizeof(T) == 8) value = __builtin_bswap64(value);
#else
    T swapped = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
      swapped = static_cast<T>((swapped << 8) | bytes[i]);
    value = swapped;
#endif
  }
  return value;
}

// One open container. Counts are 64-bit: a map 32 header declares up to 2 * (2^32 - 1) steps.
struct MessagePackFrame {
  BindingProperty* target;
  uint64_t remaining;  // elements, or keys plus values, still to come
  const char* key;     // the latest key of a map: a view into the input, cut at its first NUL
  uint32_t key_length;
  uint32_t start;  // position of the container's format byte
  bool is_map;
};

class MessagePackReader {
 public:
  MessagePackReader(const void* data, uint32_t size)
      : begin_(static_cast<const uint8_t*>(data)),
        position_(begin_),
        end_(begin_ + size),
        reserve_budget_(size) {}

  BindingResult Run(uint32_t& consumed);

 private:
  uint32_t Position() const { return static_cast<uint32_t>(position_ - begin_); }
  size_t Remaining() const { return static_cast<size_t>(end_ - position_); }

  bool Fail(MessagePackError code, uint32_t position, uint32_t length = 0) {
    error_ = code;
    error_position_ = position;
    error_length_ = length;
    return false;
  }

  // Big-endian fixed-width fields, checked before they are read.
  template <typename T, MessagePackError kTruncated>
  bool ReadField(T& value) {
    if (Remaining() < sizeof(T)) return Fail(kTruncated, Position());
    value = LoadBigEndian<T>(position_);
    position_ += sizeof(T);
    return true;
  }
  bool Read8(uint8_t& value) { return ReadField<uint8_t, MessagePackError::kTruncated8>(value); }
  bool Read16(uint16_t& value) {
    return ReadField<uint16_t, MessagePackError::kTruncated16>(value);
  }
  bool Read32(uint32_t& value) {
    return ReadField<uint32_t, MessagePackError::kTruncated32>(value);
  }
  bool Read64(uint64_t& value) {
    return ReadField<uint64_t, MessagePackError::kTruncated64>(value);
  }

  // A string or key length of the str formats; false after a failure or for another format.
  bool ReadStringLength(MessagePackFormat format, uint8_t byte, uint32_t& length);
  bool ReadValue(BindingProperty& target);
  bool ReadKey(MessagePackFrame& frame);
  bool OpenContainer(BindingProperty& target, uint64_t steps, bool is_map, uint32_t start);
  // The target of the next value inside the open containers; null when the root is complete
  // or the reader failed.
  BindingProperty* NextTarget();

  const uint8_t* const begin_;
  const uint8_t* position_;
  const uint8_t* const end_;
  std::vector<MessagePackFrame> frames_;
  // Elements that arrays may still reserve ahead: every element takes at least one input byte,
  // so what all arrays reserve together stays within the input's size.
  uint64_t reserve_budget_;
  MessagePackError error_ = MessagePackError::kNone;
  uint32_t error_position_ = 0;
  uint32_t error_length_ = 0;
};

BindingResult MessagePackReader::Run(uint32_t& consumed) {
  BindingResult result;
  if (position_ != end_) {
    frames_.reserve(16);
    BindingProperty* target = &result.Value();
    while (ReadValue(*target)) {
      target = NextTarget();
      if (target == nullptr) break;
    }
  }
  consumed = Position();
  if (error_ != MessagePackError::kNone) {
    result.SetError(RenderError(error_, error_position_, error_length_));
  }
  return result;
}

BindingProperty* MessagePackReader::NextTarget() {
  while (!frames_.empty()) {
    MessagePackFrame& frame = frames_.back();
    if (frame.remaining == 0) {
      frames_.pop_back();
      continue;
    }
    if (position_ == end_) {
      Fail(MessagePackError::kContainerTruncated, frame.start);
      return nullptr;
    }
    if (!frame.is_map) {
      --frame.remaining;
      return &frame.target->Append();
    }
    // Steps alternate key, value from an even count, so an even count left means a key.
    if ((frame.remaining & 1) == 0) {
      if (!ReadKey(frame)) return nullptr;
      --frame.remaining;
      continue;
    }
    --frame.remaining;
    BindingProperty& member = frame.target->MemberAt(std::string_view(frame.key, frame.key_length));
    // A repeated key replaces what the earlier value left, containers included.
    if (member.GetType() != BindingProperty::Type::Empty) member.Clear();
    return &member;
  }
  return nullptr;
}

bool MessagePackReader::ReadStringLength(MessagePackFormat format, uint8_t byte, uint32_t& length) {
  switch (format) {
    case MessagePackFormat::kFixstr:
      length = byte & 0x1Fu;
      return true;
    case MessagePackFormat::kStr8: {
      uint8_t value;
      if (!Read8(value)) return false;
      length = value;
      return true;
    }
    case MessagePackFormat::kStr16: {
      uint16_t value;
      if (!Read16(value)) return false;
      length = value;
      return true;
    }
    case MessagePackFormat::kStr32:
      return Read32(length);
    default:
      return false;
  }
}

bool MessagePackReader::ReadKey(MessagePackFrame& frame) {
  const uint8_t byte = *position_++;
  const MessagePackFormat format = kFormatTable[byte];
  uint32_t length;
  if (!ReadStringLength(format, byte, length)) {
    if (error_ == MessagePackError::kNone) Fail(MessagePackError::kKeyNotString, Position());
    return false;
  }
  if (length > Remaining()) return Fail(MessagePackError::kStringTruncated, Position(), length);
  const char* text = reinterpret_cast<const char*>(position_);
  position_ += length;
  // Member names are C texts: the name ends at the first NUL.
  const void* nul = std::memchr(text, 0, length);
  frame.key = text;
  frame.key_length =
      nul == nullptr ? length : static_cast<uint32_t>(static_cast<const char*>(nul) - text);
  return true;
}

bool MessagePackReader::OpenContainer(BindingProperty& target, uint64_t steps, bool is_map,
                                      uint32_t start) {
  if (is_map) {
    target.MakeStructure();
  } else {
    target.MakeCollection();
    // A count is trusted for room only as far as the bytes left could hold its elements, and
    // only within the budget, so a forged count in a short input costs at most its length.
    if (steps <= Remaining() && steps <= reserve_budget_ &&
        steps <= BindingProperty::kMaxCollectionSize) {
      target.Reserve(static_cast<size_t>(steps));
      reserve_budget_ -= steps;
    }
  }
  if (steps != 0) frames_.push_back(MessagePackFrame{&target, steps, nullptr, 0, start, is_map});
  return true;
}

bool MessagePackReader::ReadValue(BindingProperty& target) {
  const uint8_t byte = *position_++;
  const MessagePackFormat format = kFormatTable[byte];
  switch (format) {
    case MessagePackFormat::kPositiveFixint:
      target.SetSigned(static_cast<int64_t>(byte));
      return true;
    case MessagePackFormat::kNegativeFixint:
      target.SetSigned(static_cast<int64_t>(static_cast<int8_t>(byte)));
      return true;
    case MessagePackFormat::kNil:
      return true;
    case MessagePackFormat::kFalse:
      target.SetBool(false);
      return true;
    case MessagePackFormat::kTrue:
      target.SetBool(true);
      return true;
    case MessagePackFormat::kUint8: {
      uint8_t value;
      if (!Read8(value)) return false;
      target.SetUnsigned(static_cast<uint64_t>(value));
      return true;
    }
    case MessagePackFormat::kUint16: {
      uint16_t value;
      if (!Read16(value)) return false;
      target.SetUnsigned(static_cast<uint64_t>(value));
      return true;
    }
    case MessagePackFormat::kUint32: {
      uint32_t value;
      if (!Read32(value)) return false;
      target.SetUnsigned(static_cast<uint64_t>(value));
      return true;
    }
    case MessagePackFormat::kUint64: {
      uint64_t value;
      if (!Read64(value)) return false;
      target.SetUnsigned(value);
      return true;
    }
    case MessagePackFormat::kInt8: {
      uint8_t value;
      if (!Read8(value)) return false;
      target.SetSigned(static_cast<int64_t>(static_cast<int8_t>(value)));
      return true;
    }
    case MessagePackFormat::kInt16: {
      uint16_t value;
      if (!Read16(value)) return false;
      target.SetSigned(static_cast<int64_t>(static_cast<int16_t>(value)));
      return true;
    }
    case MessagePackFormat::kInt32: {
      uint32_t value;
      if (!Read32(value)) return false;
      target.SetSigned(static_cast<int64_t>(static_cast<int32_t>(value)));
      return true;
    }
    case MessagePackFormat::kInt64: {
      uint64_t value;
      if (!Read64(value)) return false;
      target.SetSigned(static_cast<int64_t>(value));
      return true;
    }
    case MessagePackFormat::kFloat32: {
      uint32_t bits;
      if (!Read32(bits)) return false;
      float value;
      std::memcpy(&value, &bits, sizeof value);
      target.SetFloat(static_cast<double>(value));
      return true;
    }
    case MessagePackFormat::kFloat64: {
      uint64_t bits;
      if (!Read64(bits)) return false;
      double value;
      std::memcpy(&value, &bits, sizeof value);
      target.SetFloat(value);
      return true;
    }
    case MessagePackFormat::kFixstr:
    case MessagePackFormat::kStr8:
    case MessagePackFormat::kStr16:
    case MessagePackFormat::kStr32: {
      uint32_t length;
      if (!ReadStringLength(format, byte, length)) return false;
      if (length > Remaining()) {
        return Fail(MessagePackError::kStringTruncated, Position(), length);
      }
      target.SetString(reinterpret_cast<const char*>(position_), length);
      position_ += length;
      return true;
    }
    case MessagePackFormat::kBin8:
    case MessagePackFormat::kBin16:
    case MessagePackFormat::kBin32: {
      uint32_t length;
      if (format == MessagePackFormat::kBin8) {
        uint8_t value;
        if (!Read8(value)) return false;
        length = value;
      } else if (format == MessagePackFormat::kBin16) {
        uint16_t value;
        if (!Read16(value)) return false;
        length = value;
      } else if (!Read32(length)) {
        return false;
      }
      if (length > Remaining()) {
        return Fail(MessagePackError::kBlobTruncated, Position(), length);
      }
      target.SetBlob(position_, length);
      position_ += length;
      return true;
    }
    case MessagePackFormat::kUnsupported:
      return Fail(MessagePackError::kInvalidData, Position());
    default:
      break;
  }

  // Containers. The root is level 1 and every open frame is an ancestor of this value.
  if (frames_.size() >= static_cast<size_t>(kMaxNestingDepth)) {
    return Fail(MessagePackError::kNestingTooDeep, Position());
  }
  const uint32_t start = Position() - 1;
  switch (format) {
    case MessagePackFormat::kFixarray:
      return OpenContainer(target, byte & 0x0Fu, false, start);
    case MessagePackFormat::kFixmap:
      return OpenContainer(target, 2u * (byte & 0x0Fu), true, start);
    case MessagePackFormat::kArray16: {
      uint16_t count;
      return Read16(count) && OpenContainer(target, count, false, start);
    }
    case MessagePackFormat::kArray32: {
      uint32_t count;
      return Read32(count) && OpenContainer(target, count, false, start);
    }
    case MessagePackFormat::kMap16: {
      uint16_t count;
      return Read16(count) && OpenContainer(target, 2 * static_cast<uint64_t>(count), true, start);
    }
    case MessagePackFormat::kMap32: {
      uint32_t count;
      return Read32(count) && OpenContainer(target, 2 * static_cast<uint64_t>(count), true, start);
    }
    default:
      return Fail(MessagePackError::kInvalidData, Position());
  }
}

}  // namespace
}  // namespace detail

BindingResult ParseMessagePack(const void* data, uint32_t size, uint32_t& consumed) {
  if (data == nullptr) size = 0;
  detail::MessagePackReader reader(data, size);
  return reader.Run(consumed);
}

bool LooksLikeMessagePack(const void* data, uint32_t size) {
  if (data == nullptr || size == 0) return false;
  const uint8_t first = *static_cast<const uint8_t*>(data);
  return (first >= 0x80 && first <= 0x9F) || (first >= 0xDC && first <= 0xDF);
}

}  // namespace Vorn
