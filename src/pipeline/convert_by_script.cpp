#include "pipeline/convert_by_script.h"

#include <algorithm>

#include "detect/keymaps.h"
#include "text/utf8.h"

namespace vyx {
namespace {

// The Russian alphabet only: other Cyrillic letters do not pick the direction.
bool isRussianLetter(char32_t c) {
  return (c >= U'\u0410' && c <= U'\u044F') || c == U'\u0451' || c == U'\u0401';
}

}  // namespace

std::string convertByScript(std::string_view text) {
  std::u32string chars = decodeUtf8(text);
  const auto& map = std::ranges::any_of(chars, isRussianLetter) ? ruToEn : enToRu;
  for (char32_t& c : chars) {
    if (const auto it = map.find(c); it != map.end()) c = it->second;
  }
  return encodeUtf8(chars);
}

bool hasRussianLetter(std::string_view text) {
  return !allCodePoints(text, [](char32_t c) { return !isRussianLetter(c); });
}

}  // namespace vyx
