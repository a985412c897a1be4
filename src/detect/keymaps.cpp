#include "detect/keymaps.h"

#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {

const std::unordered_map<char32_t, char32_t> enToRu = {
    // Unshifted keys, in keyboard-row order.
    {U'q', U'й'},
    {U'w', U'ц'},
    {U'e', U'у'},
    {U'r', U'к'},
    {U't', U'е'},
    {U'y', U'н'},
    {U'u', U'г'},
    {U'i', U'ш'},
    {U'o', U'щ'},
    {U'p', U'з'},
    {U'[', U'х'},
    {U']', U'ъ'},
    {U'a', U'ф'},
    {U's', U'ы'},
    {U'd', U'в'},
    {U'f', U'а'},
    {U'g', U'п'},
    {U'h', U'р'},
    {U'j', U'о'},
    {U'k', U'л'},
    {U'l', U'д'},
    {U';', U'ж'},
    {U'\'', U'э'},
    {U'z', U'я'},
    {U'x', U'ч'},
    {U'c', U'с'},
    {U'v', U'м'},
    {U'b', U'и'},
    {U'n', U'т'},
    {U'm', U'ь'},
    {U',', U'б'},
    {U'.', U'ю'},
    {U'\\', U'ё'},
    {U'`', U'ё'},
    // Shifted keys; the shifted backslash has no Russian letter.
    {U'Q', U'Й'},
    {U'W', U'Ц'},
    {U'E', U'У'},
    {U'R', U'К'},
    {U'T', U'Е'},
    {U'Y', U'Н'},
    {U'U', U'Г'},
    {U'I', U'Ш'},
    {U'O', U'Щ'},
    {U'P', U'З'},
    {U'{', U'Х'},
    {U'}', U'Ъ'},
    {U'A', U'Ф'},
    {U'S', U'Ы'},
    {U'D', U'В'},
    {U'F', U'А'},
    {U'G', U'П'},
    {U'H', U'Р'},
    {U'J', U'О'},
    {U'K', U'Л'},
    {U'L', U'Д'},
    {U':', U'Ж'},
    {U'"', U'Э'},
    {U'Z', U'Я'},
    {U'X', U'Ч'},
    {U'C', U'С'},
    {U'V', U'М'},
    {U'B', U'И'},
    {U'N', U'Т'},
    {U'M', U'Ь'},
    {U'<', U'Б'},
    {U'>', U'Ю'},
    {U'~', U'Ё'},
};

namespace {
// Built from the finished enToRu. Two keys give ё; the grave accent is the one
// a Russian typist reaches for, so it wins.
std::unordered_map<char32_t, char32_t> invertEnToRu() {
  std::unordered_map<char32_t, char32_t> inv;
  for (const auto& [en, ru] : enToRu) inv[ru] = en;
  inv[U'ё'] = U'`';
  return inv;
}
}  // namespace

const std::unordered_map<char32_t, char32_t> ruToEn = invertEnToRu();

const std::unordered_set<char32_t> punctLetterKeys = {U',', U'.', U';', U'\'',
                                                      U'[', U']', U'`', U'\\'};

const std::unordered_map<char32_t, char32_t> shiftDigitPunct = {
    {U'@', U'"'}, {U'#', U'№'}, {U'$', U'%'}, {U'%', U':'},
    {U'^', U','}, {U'&', U'.'}, {U'*', U';'},
};

const std::unordered_set<char32_t> sentenceEndPunct = {U'!', U'?'};

const std::unordered_map<std::string, std::string> oneLetterWords = {
    {"f", "а"}, {"d", "в"}, {"j", "о"}, {"r", "к"}, {"c", "с"}, {"z", "я"}, {"b", "и"}, {"e", "у"},
};

const std::unordered_set<std::string> ruShortWords = {"об", "идя", "чо", "оке",
                                                      "во", "со",  "ко", "надо"};

std::string_view detectScript(std::u32string_view word) {
  for (const char32_t c : word) {
    if (isCyrillicScript(c)) return kScriptCyrillic;
    if (isLatinScript(c)) return kScriptLatin;
  }
  return kScriptUnknown;
}

std::string_view detectScript(std::string_view word) {
  return detectScript(decodeUtf8(word));
}

std::u32string convertScript(std::string_view script, std::u32string_view word) {
  const auto& map = script == kScriptLatin ? enToRu : ruToEn;
  std::u32string out(word);
  for (char32_t& c : out) {
    if (const auto it = map.find(c); it != map.end()) c = it->second;
  }
  return out;
}

std::string convertScript(std::string_view script, std::string_view word) {
  return encodeUtf8(convertScript(script, decodeUtf8(word)));
}

}  // namespace vyx
