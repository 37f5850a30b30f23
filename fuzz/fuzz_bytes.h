// The fuzzer's input read front to back as the fields of a record under construction.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace Vorn::Fuzzing {

// Past the end of the input every read gives zeros (or the empty text), so any input builds a
// whole record.
class FuzzBytes {
 public:
  FuzzBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  // Eight bytes, the first the most significant.
  uint64_t Word() {
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
      value = (value << 8) | Byte();
    return value;
  }
  // A length byte (taken modulo `max` + 1), then that many bytes or as many as are left.
  std::string Text(size_t max) { return Take(Byte() % (max + 1)); }
  // As Text, with a two-byte length (the first the most significant).
  std::string LongText(size_t max) {
    const size_t high = Byte();
    return Take((high << 8 | Byte()) % (max + 1));
  }
  std::string Rest() {
    std::string text(reinterpret_cast<const char*>(data_ + at_), size_ - at_);
    at_ = size_;
    return text;
  }
  bool Done() const { return at_ >= size_; }

 private:
  std::string Take(size_t wanted) {
    const size_t length = std::min<size_t>(wanted, size_ - at_);
    std::string text(reinterpret_cast<const char*>(data_ + at_), length);
    at_ += length;
    return text;
  }

  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

}  // namespace Vorn::Fuzzing
