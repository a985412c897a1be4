// UTF-8 <-> code points. Ill-formed input never crashes or reads past the
// end: each ill-formed sequence decodes to U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace vyx {

inline constexpr char32_t kReplacementChar = 0xFFFD;

[[nodiscard]] std::u32string decodeUtf8(std::string_view s);
[[nodiscard]] std::string encodeUtf8(std::u32string_view s);
// Surrogates and values past U+10FFFF are written as U+FFFD.
void appendUtf8(std::string& out, char32_t c);
[[nodiscard]] std::string encodeUtf8(char32_t c);
// Counts what decodeUtf8 would return, without building it.
[[nodiscard]] size_t codePointCount(std::string_view s);

}  // namespace vyx
