#include "store/utf8_valid.h"

namespace vyx {

size_t decodeUtf8At(std::string_view s, size_t i, char32_t& out) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned char c = byte(0);
  if (c < 0x80) {
    out = c;
    return 1;
  }
  size_t len = 0;
  char32_t min = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2, min = 0x80, out = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3, min = 0x800, out = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4, min = 0x10000, out = c & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
    out = (out << 6) | (byte(k) & 0x3F);
  }
  if (out < min || out > 0x10FFFF || (out >= 0xD800 && out <= 0xDFFF)) return 0;
  return len;
}

bool isValidUtf8(std::string_view s) {
  char32_t c = 0;
  for (size_t i = 0; i < s.size();) {
    const size_t len = decodeUtf8At(s, i, c);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

}  // namespace vyx
