#include "detect/keymaps.h"

#include <gtest/gtest.h>

#include "text/utf8.h"

namespace vyx {
namespace {

TEST(KeyMaps, TablesHaveTheirSizesAndInverseIsExact) {
  EXPECT_EQ(enToRu.size(), 67U);
  EXPECT_EQ(ruToEn.size(), 66U);
  EXPECT_EQ(punctLetterKeys.size(), 8U);
  EXPECT_EQ(shiftDigitPunct.size(), 7U);
  EXPECT_EQ(sentenceEndPunct.size(), 2U);
  EXPECT_EQ(oneLetterWords.size(), 8U);
  EXPECT_EQ(ruShortWords.size(), 8U);
  for (const auto& [en, ru] : enToRu) {
    if (ru == U'ё') continue;
    ASSERT_EQ(ruToEn.at(ru), en) << encodeUtf8(ru);
  }
  EXPECT_TRUE(ruToEn.at(U'ё') == U'`' || ruToEn.at(U'ё') == U'\\');
  EXPECT_EQ(ruToEn.at(U'Ё'), U'~');
  EXPECT_EQ(enToRu.count(U'|'), 0U);
  for (const auto& [latin, word] : oneLetterWords) {
    EXPECT_EQ(convertScript(kScriptLatin, latin), word);
  }
  for (const char32_t p : punctLetterKeys) EXPECT_EQ(enToRu.count(p), 1U);
}

TEST(KeyMaps, ConvertLatinToRussian) {
  EXPECT_EQ(convertScript(kScriptLatin, "ghbdtn"), "привет");
  EXPECT_EQ(convertScript(kScriptLatin, "Ghbdtn!"), "Привет!");
  EXPECT_EQ(convertScript(kScriptLatin, "`\\~"), "ёёЁ");
  EXPECT_EQ(convertScript(kScriptLatin, "k.,jdm"), "любовь");
  EXPECT_EQ(convertScript(kScriptLatin, "{}:\"<>"), "ХЪЖЭБЮ");
  EXPECT_EQ(convertScript(kScriptLatin, "жq"), "жй");  // Cyrillic stays
}

TEST(KeyMaps, ConvertRussianToLatin) {
  EXPECT_EQ(convertScript(kScriptCyrillic, "руддщ"), "hello");
  EXPECT_EQ(convertScript(kScriptUnknown, "руддщ"), "hello");
  EXPECT_EQ(convertScript(kScriptCyrillic, "Ё"), "~");
  EXPECT_EQ(convertScript(kScriptCyrillic, "ф1-2 ы"), "a1-2 s");
  EXPECT_EQ(convertScript(kScriptCyrillic, "wж"), "w;");  // Latin stays
}

TEST(KeyMaps, CharactersOffTheMapsNeverChange) {
  for (const char* s : {"|", "/", "?", "1234567890", " -=", "@#$%^&*", "αβγ"}) {
    EXPECT_EQ(convertScript(kScriptLatin, s), s);
    EXPECT_EQ(convertScript(kScriptCyrillic, s), s);
  }
  const std::string mixed = "a\xFF";  // ill-formed input keeps its length in code points
  EXPECT_EQ(decodeUtf8(convertScript(kScriptLatin, mixed)).size(), 2U);
}

TEST(KeyMaps, DetectScriptByFirstLatinOrCyrillicLetter) {
  EXPECT_EQ(detectScript(""), kScriptUnknown);
  EXPECT_EQ(detectScript("123 ,.!?"), kScriptUnknown);
  EXPECT_EQ(detectScript("42дом"), kScriptCyrillic);
  EXPECT_EQ(detectScript("hпривет"), kScriptLatin);
  EXPECT_EQ(detectScript("ї"), kScriptCyrillic);
  EXPECT_EQ(detectScript("αβγ é"), kScriptLatin);
  EXPECT_EQ(detectScript("\u0301x"), kScriptLatin);
}

TEST(KeyMaps, OneLetterWordsMatchExactly) {
  EXPECT_EQ(oneLetterWords.count("F"), 0U);
  EXPECT_EQ(oneLetterWords.count("а"), 0U);
  EXPECT_EQ(oneLetterWords.count("ff"), 0U);
  EXPECT_EQ(oneLetterWords.at("z"), "я");
}

}  // namespace
}  // namespace vyx
