// Converts a whole text to the other keyboard layout, key for key.
#pragma once

#include <string>
#include <string_view>

namespace vyx {

// Through ruToEn when the text holds at least one Russian letter, else
// through enToRu; the direction holds for the whole text, and characters the
// map lacks stay. The result has as many code points as the text.
[[nodiscard]] std::string convertByScript(std::string_view text);

// Whether the text holds a letter of the Russian alphabet (А-я, Ё, ё); other
// Cyrillic letters do not count. It picks the direction of a conversion and
// the input source selected after typing.
[[nodiscard]] bool hasRussianLetter(std::string_view text);

}  // namespace vyx
