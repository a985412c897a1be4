// The Unicode properties the program needs, from ICU (Unicode 15.0 here):
// Script, general categories L, Nd, P, Ps and Pi, White_Space, simple
// lower-casing.
#pragma once

#include <string>
#include <string_view>

namespace vyx {

[[nodiscard]] bool isLatinScript(char32_t c);
[[nodiscard]] bool isCyrillicScript(char32_t c);
[[nodiscard]] bool isLetter(char32_t c);      // general category L
[[nodiscard]] bool isDigit(char32_t c);       // general category Nd
[[nodiscard]] bool isWhiteSpace(char32_t c);  // White_Space property
[[nodiscard]] bool isPunct(char32_t c);       // general category P
// General categories Ps and Pi: an opening bracket or quotation mark.
[[nodiscard]] bool isOpeningPunct(char32_t c);
[[nodiscard]] bool isUpper(char32_t c);
[[nodiscard]] char32_t toLower(char32_t c);
[[nodiscard]] char32_t toUpper(char32_t c);

// Lower-cases code point by code point, so the length in code points never
// changes (erase counts depend on it).
[[nodiscard]] std::u32string toLower(std::u32string_view s);
[[nodiscard]] std::string toLower(std::string_view s);
// Removes leading and trailing White_Space.
[[nodiscard]] std::string_view trimSpace(std::string_view s);

}  // namespace vyx
