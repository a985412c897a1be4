#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <memory>

#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {
namespace {

TEST(Utf8, RoundTripsEveryPlane) {
  const std::u32string cps = {U'a', U'ж', U'ё', U'№', U'€', 0x1F600, 0x10FFFF};
  const std::string bytes = encodeUtf8(cps);
  EXPECT_EQ(bytes, "aжё№€\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
  EXPECT_EQ(decodeUtf8(bytes), cps);
  EXPECT_EQ(codePointCount(bytes), cps.size());
}

TEST(Utf8, IllFormedInputBecomesReplacementCharacters) {
  // Truncated sequence at the very end must not read past it.
  EXPECT_EQ(decodeUtf8("ab\xD0"), (std::u32string{U'a', U'b', kReplacementChar}));
  EXPECT_EQ(decodeUtf8("\xFF\xFE"), (std::u32string{kReplacementChar, kReplacementChar}));
  for (const char32_t c : decodeUtf8("\xC0\xAF")) EXPECT_EQ(c, kReplacementChar);  // overlong "/"
  EXPECT_EQ(decodeUtf8("\xED\xA0\x80").front(), kReplacementChar);  // encoded surrogate
  EXPECT_EQ(decodeUtf8("x\xE2\x82y"), (std::u32string{U'x', kReplacementChar, U'y'}));
  EXPECT_EQ(codePointCount("x\xE2\x82y"), 3U);
  EXPECT_EQ(decodeUtf8(""), U"");
}

TEST(Utf8, UnencodableValuesAreWrittenAsReplacement) {
  EXPECT_EQ(encodeUtf8(static_cast<char32_t>(0xD800)), "\xEF\xBF\xBD");
  EXPECT_EQ(encodeUtf8(static_cast<char32_t>(0x110000)), "\xEF\xBF\xBD");
}

TEST(Unicode, ScriptsFollowTheScriptProperty) {
  EXPECT_TRUE(isLatinScript(U'z'));
  EXPECT_TRUE(isLatinScript(U'é'));
  EXPECT_TRUE(isLatinScript(0x1E9E));  // capital sharp s
  EXPECT_TRUE(isCyrillicScript(U'ж'));
  EXPECT_TRUE(isCyrillicScript(U'ї'));    // Ukrainian
  EXPECT_TRUE(isCyrillicScript(0x0500));  // Cyrillic Supplement
  EXPECT_FALSE(isLatinScript(U'1'));
  EXPECT_FALSE(isCyrillicScript(U'-'));
  EXPECT_FALSE(isLatinScript(0x0301));  // combining acute: inherited
  EXPECT_FALSE(isLatinScript(U'α'));
}

TEST(Unicode, CategoriesAndSpace) {
  EXPECT_TRUE(isLetter(U'ж'));
  EXPECT_TRUE(isLetter(U'ª'));
  EXPECT_FALSE(isLetter(U'5'));
  EXPECT_TRUE(isDigit(U'7'));
  EXPECT_TRUE(isDigit(0x0663));  // Arabic-Indic three
  EXPECT_FALSE(isDigit(U'½'));
  EXPECT_TRUE(isWhiteSpace(U' '));
  EXPECT_TRUE(isWhiteSpace(0x00A0));
  EXPECT_TRUE(isWhiteSpace(0x2028));
  EXPECT_FALSE(isWhiteSpace(0x200B));  // zero-width space is not White_Space
  EXPECT_TRUE(isPunct(U'!'));
  EXPECT_TRUE(isPunct(U'«'));
  EXPECT_TRUE(isPunct(U'-'));
  EXPECT_FALSE(isPunct(U'$'));  // a symbol, not punctuation
  EXPECT_FALSE(isPunct(U'+'));
}

TEST(Unicode, LowerCasingKeepsLength) {
  EXPECT_EQ(toLower(std::string_view("ПРИВЕТ Hello Ёж")), "привет hello ёж");
  EXPECT_EQ(toLower(std::u32string_view(U"İ")).size(), 1U);  // simple mapping, never grows
  EXPECT_EQ(toLower(std::string_view("ABC")), "abc");
  EXPECT_EQ(toLower(std::string_view("A\xFF")), "a\xEF\xBF\xBD");
}

TEST(Unicode, TrimSpaceUsesUnicodeWhiteSpace) {
  EXPECT_EQ(trimSpace("  слово\t\r\n"), "слово");
  EXPECT_EQ(trimSpace("\u00a0word\u2003"), "word");
  EXPECT_EQ(trimSpace(" a b "), "a b");
  EXPECT_EQ(trimSpace("   "), "");
  EXPECT_EQ(trimSpace(""), "");
  EXPECT_EQ(trimSpace("\xFF x"), "\xFF x");  // ill-formed byte is not space
  EXPECT_EQ(trimSpace("x\xF0\x9F\x98\x80\u2003"), "x\xF0\x9F\x98\x80");
  EXPECT_EQ(trimSpace("\x80\x80\x80\u2003"), "\x80\x80\x80");
}

TEST(Utf8, LengthsBeyondThirtyTwoBitsAreKeptWhole) {
  if constexpr (sizeof(size_t) < 8) GTEST_SKIP() << "no such lengths here";
  static constexpr size_t kLengths[] = {(size_t{1} << 31) + 1, (size_t{1} << 32) + 5};
  // Address space reserved but never touched except at the ends: no memory
  // is spent on the middle.
  void* p = ::mmap(nullptr, kLengths[1], PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) GTEST_SKIP() << "cannot reserve the address space";
  const std::unique_ptr<char, void (*)(char*)> text(static_cast<char*>(p),
                                                    [](char* q) { ::munmap(q, kLengths[1]); });
  char* const s = text.get();
  for (const size_t len : kLengths) {
    s[0] = ' ';
    s[1] = 'a';
    s[len - 2] = 'b';
    s[len - 1] = ' ';
    const std::string_view view(s, len);
    const std::string_view trimmed = trimSpace(view);
    EXPECT_EQ(trimmed.data(), s + 1) << len;
    EXPECT_EQ(trimmed.size(), len - 2) << len;
    // Each byte between is a NUL, one code point each: the walk must go
    // beyond the first five.
    size_t seen = 0;
    EXPECT_FALSE(allCodePoints(view, [&](char32_t) { return ++seen <= 5; })) << len;
    EXPECT_EQ(seen, 6u) << len;
    s[len - 2] = s[len - 1] = 0;
  }
}

}  // namespace
}  // namespace vyx
