// Base64 for the host's JSON view of blobs.
#include "host/base64.h"

namespace Vorn::Host {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string EncodeBase64(const uint8_t* bytes, size_t size) {
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  for (size_t i = 0; i < size; i += 3) {
    const size_t left = size - i;
    uint32_t group = uint32_t{bytes[i]} << 16;
    if (left > 1) group |= uint32_t{bytes[i + 1]} << 8;
    if (left > 2) group |= bytes[i + 2];
    out += kAlphabet[(group >> 18) & 63];
    out += kAlphabet[(group >> 12) & 63];
    out += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    out += left > 2 ? kAlphabet[group & 63] : '=';
  }
  return out;
}

std::optional<std::vector<uint8_t>> DecodeBase64(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::vector<uint8_t> out;
  out.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const size_t padding =
        last ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
    uint32_t group = 0;
    for (size_t j = 0; j < 4; ++j) {
      const int sextet = j >= 4 - padding ? 0 : SextetOf(text[i + j]);
      if (sextet < 0) return std::nullopt;
      group = group << 6 | static_cast<uint32_t>(sextet);
    }
    out.push_back(static_cast<uint8_t>(group >> 16));
    if (padding < 2) out.push_back(static_cast<uint8_t>(group >> 8));
    if (padding < 1) out.push_back(static_cast<uint8_t>(group));
  }
  return out;
}

}  // namespace Vorn::Host
