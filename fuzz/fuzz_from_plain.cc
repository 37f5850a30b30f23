// FromPlain over plain records built from fuzzer bytes: any kind, null pointers with counts,
// deep nesting. Whatever it accepts must convert back with ToPlain; everything is freed.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "fuzz/fuzz_bytes.h"
#include "sdk/binding/binding_property.h"
#include "sdk/binding/plain_value.h"

namespace {

using Bytes = Vorn::Fuzzing::FuzzBytes;

// Owns every text and array of the records it builds, as a host would.
class PlainBuilder {
 public:
  explicit PlainBuilder(Bytes& bytes) : bytes_(bytes) {}

  BindingPlainValue Build(int depth) {
    BindingPlainValue value;
    std::memset(&value, 0, sizeof value);
    const uint8_t selector = bytes_.Byte();
    value.kind = selector % 12;
    if (selector >= 240) value.kind = 11 + selector;  // kinds far outside the table
    switch (value.kind) {
      case kBindingPlainBool:
        value.payload.boolean = bytes_.Byte();
        break;
      case kBindingPlainSigned:
      case kBindingPlainUnsigned:
      case kBindingPlainFloat:
        value.payload.unsigned_value = bytes_.Word();
        break;
      case kBindingPlainStringRef:
      case kBindingPlainString:
      case kBindingPlainBlobRef:
      case kBindingPlainBlob:
        Text(value);
        break;
      case kBindingPlainCollection:
      case kBindingPlainStructure:
        Container(value, depth);
        break;
      default:
        break;
    }
    return value;
  }

 private:
  void Text(BindingPlainValue& value) {
    const uint8_t length = bytes_.Byte();
    if (length == 255) {  // a null pointer, sometimes with a count
      value.payload.ref.data = nullptr;
      value.payload.ref.count = bytes_.Byte();
      return;
    }
    std::string& text = texts_.emplace_back();
    for (uint8_t i = 0; i < length && !bytes_.Done(); ++i)
      text.push_back(static_cast<char>(bytes_.Byte()));
    value.payload.ref.data = text.c_str();
    value.payload.ref.count = static_cast<uint32_t>(text.size());
  }

  void Container(BindingPlainValue& value, int depth) {
    const uint8_t shape = bytes_.Byte();
    if (shape == 255) {  // a null array with a count
      value.payload.ref.data = nullptr;
      value.payload.ref.count = 1u + bytes_.Byte();
      return;
    }
    if (shape == 254) {  // a count beyond any collection
      value.payload.ref.data = nullptr;
      value.payload.ref.count = 0xFFFFFFFFu;
      return;
    }
    // Deep chains of one-element containers reach the nesting limit.
    const uint32_t count = depth > 600 ? 0 : (shape < 128 ? 1 : shape % 5);
    if (value.kind == kBindingPlainCollection) {
      std::vector<BindingPlainValue>& elements = collections_.emplace_back(count);
      for (uint32_t i = 0; i < count; ++i)
        elements[i] = Build(depth + 1);
      value.payload.ref.data = elements.data();
    } else {
      std::vector<BindingPlainMember>& members = structures_.emplace_back(count);
      for (uint32_t i = 0; i < count; ++i) {
        std::memset(&members[i], 0, sizeof members[i]);
        const uint8_t key = bytes_.Byte();
        if (key != 255) {
          std::string& name = texts_.emplace_back(1 + key % 3, static_cast<char>('a' + key % 26));
          members[i].key = name.c_str();
        }
        members[i].value = Build(depth + 1);
      }
      value.payload.ref.data = members.data();
    }
    value.payload.ref.count = count;
  }

  Bytes& bytes_;
  std::deque<std::string> texts_;
  std::deque<std::vector<BindingPlainValue>> collections_;
  std::deque<std::vector<BindingPlainMember>> structures_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes bytes(data, size);
  PlainBuilder builder(bytes);
  const BindingPlainValue plain = builder.Build(1);

  Vorn::BindingProperty value;
  BindingPlainResult sink;
  std::memset(&sink, 0, sizeof sink);
  if (Vorn::FromPlain(&sink, value, plain, "<fuzz>")) {
    BindingPlainValue back = Vorn::ToPlain(value);
    Vorn::FreePlainValue(back);
  } else if (sink.failed == 0 || sink.error == nullptr) {
    __builtin_trap();  // a refusal always carries its message
  }
  Vorn::FreePlainResult(sink);
  return 0;
}
