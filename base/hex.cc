#include "base/hex.h"

std::string HexEncode(std::span<const uint8_t> bytes, HexLetters letters) {
  const char* const digits =
      letters == HexLetters::kUpper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  text.reserve(2 * bytes.size());
  for (const uint8_t byte : bytes) {
    text += digits[byte >> 4];
    text += digits[byte & 0x0F];
  }
  return text;
}
