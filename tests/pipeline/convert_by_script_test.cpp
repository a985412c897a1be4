#include "pipeline/convert_by_script.h"

#include <gtest/gtest.h>

namespace vyx {
namespace {

TEST(ConvertByScript, LatinTextGoesToRussian) {
  EXPECT_EQ(convertByScript("ghbdtn"), "привет");
  EXPECT_EQ(convertByScript("Ghbdtn, vbh?"), "Приветб мир?");  // the comma key is б
}

TEST(ConvertByScript, AnyRussianLetterTurnsTheWholeTextToEnglish) {
  EXPECT_EQ(convertByScript("привет"), "ghbdtn");
  // Mixed text: one direction for all, so the Latin letters stay.
  EXPECT_EQ(convertByScript("abc мир"), "abc vbh");
  EXPECT_EQ(convertByScript("Ёж"), "~;");
}

TEST(ConvertByScript, UnmappedCharactersPassUnchanged) {
  EXPECT_EQ(convertByScript("123"), "123");
  EXPECT_EQ(convertByScript("2мир 5"), "2vbh 5");
  EXPECT_EQ(convertByScript("ß"), "ß");
  EXPECT_EQ(convertByScript(""), "");
}

TEST(ConvertByScript, NonRussianCyrillicDoesNotPickTheDirection) {
  // Ukrainian і is Cyrillic but not a Russian letter: the text converts as
  // English, and і itself is not in the map.
  EXPECT_EQ(convertByScript("іf"), "іа");
}

}  // namespace
}  // namespace vyx
