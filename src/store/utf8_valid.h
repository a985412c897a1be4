// Strict UTF-8 checks for the stored files (no overlong forms, no
// surrogates, nothing past U+10FFFF).
#pragma once

#include <cstddef>
#include <string_view>

namespace vyx {

// The length of the well-formed sequence at s[i] with its code point in out,
// or 0 when the byte there does not start one.
[[nodiscard]] size_t decodeUtf8At(std::string_view s, size_t i, char32_t& out);
[[nodiscard]] bool isValidUtf8(std::string_view s);

}  // namespace vyx
