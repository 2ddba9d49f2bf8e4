#include "external/Base64.h"

#include <array>
#include <cstdint>

#include "external/EKivoException.h"

namespace mox {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> MakeReverse() {
  std::array<int8_t, 256> r{};
  for (auto& v : r) v = -1;
  for (int i = 0; i < 64; ++i) r[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
  return r;
}

constexpr auto kReverse = MakeReverse();

}  // namespace

std::string Base64Encode(std::string_view aBytes) {
  std::string out;
  out.reserve((aBytes.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < aBytes.size(); i += 3) {
    uint32_t n = uint32_t(uint8_t(aBytes[i])) << 16 | uint32_t(uint8_t(aBytes[i + 1])) << 8 | uint8_t(aBytes[i + 2]);
    out += kAlphabet[n >> 18];
    out += kAlphabet[(n >> 12) & 63];
    out += kAlphabet[(n >> 6) & 63];
    out += kAlphabet[n & 63];
  }
  if (i < aBytes.size()) {
    uint32_t n = uint32_t(uint8_t(aBytes[i])) << 16;
    if (i + 1 < aBytes.size()) n |= uint32_t(uint8_t(aBytes[i + 1])) << 8;
    out += kAlphabet[n >> 18];
    out += kAlphabet[(n >> 12) & 63];
    out += i + 1 < aBytes.size() ? kAlphabet[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string Base64Decode(std::string_view aText) {
  std::string out;
  out.reserve(aText.size() / 4 * 3);
  uint32_t acc = 0;
  int bits = 0;
  bool padding = false;
  for (char c : aText) {
    if (c == ' ' || c == '\r' || c == '\n' || c == '\t') continue;
    if (c == '=') {
      padding = true;
      continue;
    }
    int8_t v = kReverse[static_cast<unsigned char>(c)];
    if (v < 0 || padding) throw EKivoException("Texto Base64 inválido.");
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
  if (bits >= 6) throw EKivoException("Texto Base64 inválido.");
  return out;
}

}  // namespace mox
