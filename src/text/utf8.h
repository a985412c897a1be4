// UTF-8 <-> code points. Ill-formed input never crashes or reads past the
// end: each ill-formed sequence decodes to U+FFFD.
#pragma once

#include <unicode/utf8.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace vyx {

inline constexpr char32_t kReplacementChar = 0xFFFD;

[[nodiscard]] std::u32string decodeUtf8(std::string_view s);
[[nodiscard]] std::string encodeUtf8(std::u32string_view s);
// Surrogates and values past U+10FFFF are written as U+FFFD.
void appendUtf8(std::string& out, char32_t c);
[[nodiscard]] std::string encodeUtf8(char32_t c);
// Whether pred holds for every code point of s, an ill-formed sequence being
// U+FFFD; stops at the first that fails.
template <class Pred>
[[nodiscard]] bool allCodePoints(std::string_view s, Pred&& pred) {
  // size_t throughout: a text of 2 GiB or more must not wrap to a short or
  // negative length.
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  const size_t len = s.size();
  size_t i = 0;
  while (i < len) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, len, c);
    if (!pred(c < 0 ? kReplacementChar : static_cast<char32_t>(c))) return false;
  }
  return true;
}

// Counts what decodeUtf8 would return, without building it.
[[nodiscard]] size_t codePointCount(std::string_view s);

}  // namespace vyx
