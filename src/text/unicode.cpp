#include "text/unicode.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utf8.h>

#include "text/utf8.h"

namespace vyx {

namespace {
UScriptCode scriptOf(char32_t c) {
  UErrorCode err = U_ZERO_ERROR;
  const UScriptCode code = uscript_getScript(static_cast<UChar32>(c), &err);
  return U_FAILURE(err) ? USCRIPT_INVALID_CODE : code;
}
}  // namespace

bool isLatinScript(char32_t c) {
  return scriptOf(c) == USCRIPT_LATIN;
}
bool isCyrillicScript(char32_t c) {
  return scriptOf(c) == USCRIPT_CYRILLIC;
}
bool isLetter(char32_t c) {
  return u_isalpha(static_cast<UChar32>(c)) != 0;
}
bool isDigit(char32_t c) {
  return u_isdigit(static_cast<UChar32>(c)) != 0;
}
bool isWhiteSpace(char32_t c) {
  return u_isUWhiteSpace(static_cast<UChar32>(c)) != 0;
}
bool isPunct(char32_t c) {
  return u_ispunct(static_cast<UChar32>(c)) != 0;
}
bool isOpeningPunct(char32_t c) {
  const int8_t type = u_charType(static_cast<UChar32>(c));
  return type == U_START_PUNCTUATION || type == U_INITIAL_PUNCTUATION;
}
bool isUpper(char32_t c) {
  return u_isupper(static_cast<UChar32>(c)) != 0;
}
char32_t toLower(char32_t c) {
  return static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
}
char32_t toUpper(char32_t c) {
  return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

std::u32string toLower(std::u32string_view s) {
  std::u32string out(s);
  for (char32_t& c : out) c = toLower(c);
  return out;
}

std::string toLower(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  bool ascii = true;
  for (const char ch : s) {
    if (static_cast<unsigned char>(ch) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) {
    for (const char ch : s) out += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch + 32) : ch;
    return out;
  }
  for (const char32_t c : decodeUtf8(s)) appendUtf8(out, toLower(c));
  return out;
}

std::string_view trimSpace(std::string_view s) {
  // Indices are size_t: a text of 2 GiB or more must not wrap to a short or
  // negative length.
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  size_t start = 0;
  size_t end = s.size();
  while (start < end) {
    size_t i = start;
    UChar32 c = 0;
    U8_NEXT(bytes, i, end, c);
    if (c < 0 || !u_isUWhiteSpace(c)) break;
    start = i;
  }
  while (end > start) {
    // A code point takes at most four bytes, so the last one lies wholly in
    // this window, whose small offsets suit ICU's 32-bit backward step.
    const size_t base = end - start > 4 ? end - 4 : start;
    auto i = static_cast<int32_t>(end - base);
    UChar32 c = 0;
    U8_PREV(bytes + base, 0, i, c);
    if (c < 0 || !u_isUWhiteSpace(c)) break;
    end = base + static_cast<size_t>(i);
  }
  return s.substr(start, end - start);
}

}  // namespace vyx
