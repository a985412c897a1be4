#include "text/utf8.h"

#include <unicode/utf8.h>

namespace vyx {

namespace {
template <class F>
void forEachCodePoint(std::string_view s, F&& f) {
  (void)allCodePoints(s, [&](char32_t c) {
    f(c);
    return true;
  });
}
}  // namespace

std::u32string decodeUtf8(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  forEachCodePoint(s, [&](char32_t c) { out.push_back(c); });
  return out;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacementChar;
  char buf[4];
  int32_t len = 0;
  U8_APPEND_UNSAFE(buf, len, static_cast<UChar32>(c));
  out.append(buf, static_cast<size_t>(len));
}

std::string encodeUtf8(std::u32string_view s) {
  std::string out;
  out.reserve(s.size() * 2);
  for (const char32_t c : s) appendUtf8(out, c);
  return out;
}

std::string encodeUtf8(char32_t c) {
  std::string out;
  appendUtf8(out, c);
  return out;
}

size_t codePointCount(std::string_view s) {
  size_t n = 0;
  forEachCodePoint(s, [&](char32_t) { ++n; });
  return n;
}

}  // namespace vyx
