// Table-driven Base64 encoder and decoder.
#include "sdk/encoding/base64.h"

#include <array>

namespace Vorn {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr uint8_t kStop = 0xFF;

// Value of each byte, kStop for everything outside the alphabet ("=" included).
constexpr std::array<uint8_t, 256> kDecodeTable = [] {
  std::array<uint8_t, 256> table{};
  table.fill(kStop);
  for (uint8_t i = 0; i < 64; ++i)
    table[static_cast<unsigned char>(kAlphabet[i])] = i;
  return table;
}();

}  // namespace

const std::string kBase64Alphabet(kAlphabet, 64);

std::string Base64Encode(const void* bytes, uint32_t count) {
  const uint8_t* in = static_cast<const uint8_t*>(bytes);
  std::string out;
  out.resize((static_cast<size_t>(count) + 2) / 3 * 4);
  char* o = out.data();
  uint32_t i = 0;
  for (; i + 3 <= count; i += 3) {
    const uint32_t group = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8) | in[i + 2];
    o[0] = kAlphabet[group >> 18];
    o[1] = kAlphabet[(group >> 12) & 0x3F];
    o[2] = kAlphabet[(group >> 6) & 0x3F];
    o[3] = kAlphabet[group & 0x3F];
    o += 4;
  }
  const uint32_t rest = count - i;
  if (rest != 0) {
    const uint32_t b0 = in[i];
    const uint32_t b1 = rest == 2 ? in[i + 1] : 0;
    o[0] = kAlphabet[b0 >> 2];
    o[1] = kAlphabet[((b0 & 0x03) << 4) | (b1 >> 4)];
    o[2] = rest == 2 ? kAlphabet[(b1 & 0x0F) << 2] : '=';
    o[3] = '=';
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  std::string out;
  out.resize((text.size() + 3) / 4 * 3);
  char* o = out.data();
  const unsigned char* in = reinterpret_cast<const unsigned char*>(text.data());
  const size_t length = text.size();
  size_t i = 0;
  for (; i + 4 <= length; i += 4) {
    const uint32_t c0 = kDecodeTable[in[i]];
    const uint32_t c1 = kDecodeTable[in[i + 1]];
    const uint32_t c2 = kDecodeTable[in[i + 2]];
    const uint32_t c3 = kDecodeTable[in[i + 3]];
    if (((c0 | c1 | c2 | c3) & 0x80) != 0) break;  // kStop has the top bit, values never
    const uint32_t group = (c0 << 18) | (c1 << 12) | (c2 << 6) | c3;
    o[0] = static_cast<char>(group >> 16);
    o[1] = static_cast<char>(group >> 8);
    o[2] = static_cast<char>(group);
    o += 3;
  }
  // The last, short or interrupted group.
  uint32_t values[4];
  size_t k = 0;
  for (; i < length && k < 4; ++i) {
    const uint8_t value = kDecodeTable[in[i]];
    if (value == kStop) break;
    values[k++] = value;
  }
  if (k >= 2) *o++ = static_cast<char>((values[0] << 2) | (values[1] >> 4));
  if (k >= 3) *o++ = static_cast<char>(((values[1] & 0x0F) << 4) | (values[2] >> 2));
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

bool IsBase64Text(std::string_view text) {
  for (char c : text) {
    if (c != '=' && kDecodeTable[static_cast<unsigned char>(c)] == kStop) return false;
  }
  return true;
}

}  // namespace Vorn
