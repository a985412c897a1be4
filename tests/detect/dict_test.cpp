#include "detect/dict.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace vyx {
namespace {

Dict load(std::string_view code, std::string_view text) {
  Result<Dict> d = loadDictFromText(code, text);
  EXPECT_TRUE(d.ok()) << d.error().message();
  return d.ok() ? std::move(d).value() : Dict{};
}

// Only the word set counts: isolates the ending rule from stem matches.
Dict wordsOnly(std::string_view code, std::string_view text) {
  Result<DictSource> source = parseDictSource(code, text);
  EXPECT_TRUE(source.ok());
  if (!source.ok()) return Dict{};
  source->stems.clear();
  return dictFromSource(*source);
}

TEST(DictHas, IgnoresCaseOfTheWordAndOfTheList) {
  const Dict ru = load("ru", "привет\nМосква\n");
  EXPECT_TRUE(ru.Has("ПРИВЕТ"));
  EXPECT_TRUE(ru.Has("Привет"));
  EXPECT_TRUE(ru.Has("москва"));
  EXPECT_TRUE(ru.Has("МОСКВА"));
  const Dict en = load("en", "hello\n");
  EXPECT_TRUE(en.Has("HeLLo"));
  EXPECT_FALSE(en.Has("help"));
}

TEST(DictHas, FoldsYoOnlyInTheLookedUpRussianWord) {
  // ёж/еж stem to two letters, so only the folding rule can find them.
  EXPECT_TRUE(load("ru", "еж\n").Has("ёж"));
  EXPECT_TRUE(load("ru", "еж\n").Has("ЁЖ"));
  EXPECT_FALSE(load("ru", "ёж\n").Has("еж"));
  EXPECT_TRUE(load("ru", "ёж\n").Has("ёж"));
  // A list entry with ё still matches through its stem.
  EXPECT_TRUE(load("ru", "ёлка\n").Has("елки"));

  DictSource source;  // no folding and no endings outside Russian
  source.lang = "en";
  source.ranks = {{"еж", 1}, {"делать", 2}};
  const Dict en = dictFromSource(source);
  EXPECT_FALSE(en.Has("ёж"));
  EXPECT_FALSE(en.Has("делала"));
}

TEST(DictHas, CountsOnlyStemsOfThreeOrMoreCodePoints) {
  EXPECT_TRUE(load("ru", "вода\n").Has("воды"));  // stem вод
  EXPECT_FALSE(load("ru", "еда\n").Has("еды"));   // stem ед is in stems but too short
  EXPECT_TRUE(load("en", "running\n").Has("runs"));
  EXPECT_FALSE(load("en", "running\n").Has("ran"));
}

TEST(DictHas, EndingRuleFindsTheDictionaryForm) {
  const Dict d = wordsOnly("ru", "делать\nплакать\nсвистеть\nкнига\nбать\nдать\nзнать\n");
  EXPECT_TRUE(d.Has("делала"));  // дел + ать
  EXPECT_TRUE(d.Has("Делали"));
  EXPECT_TRUE(d.Has("плачу"));    // плач -> плак + ать
  EXPECT_TRUE(d.Has("свищу"));    // свищ -> свист + еть
  EXPECT_TRUE(d.Has("книгами"));  // книг + а
  EXPECT_TRUE(d.Has("знал"));     // зн + ать
  // A base of one code point is never tried: бал is not бать, дал not дать.
  EXPECT_FALSE(d.Has("бал"));
  EXPECT_FALSE(d.Has("дал"));
  // Endings work on the word as typed, not on its ё-folded form.
  EXPECT_TRUE(wordsOnly("ru", "зелено\n").Has("зеленом"));
  EXPECT_FALSE(wordsOnly("ru", "зелено\n").Has("зелёном"));
  EXPECT_TRUE(wordsOnly("ru", "ждать\n").Has("ждёт"));  // "ёт" stripped
}

TEST(DictHas, SurvivesIllFormedUtf8) {
  const Dict d = load("ru", "привет\nя\n");
  EXPECT_FALSE(d.Has("\xff\xfe"));
  EXPECT_FALSE(d.Has("привет\xd0"));
  EXPECT_FALSE(d.Has(std::string("при\0вет", 13)));
  EXPECT_FALSE(d.Has(""));
  EXPECT_EQ(d.FuzzyFind("\xff"), "я");  // the ill-formed byte is one letter, substituted
}

TEST(AlternateConsonants, AppendsVariantsInTableOrder) {
  using V = std::vector<std::string>;
  EXPECT_EQ(alternateConsonants("стереж"), (V{"стереж", "стерез", "стерег", "стеред"}));
  EXPECT_EQ(alternateConsonants("рабо"), V{"рабо"});
  EXPECT_EQ(alternateConsonants("ищ"), (V{"ищ", "ист", "иск"}));
  EXPECT_EQ(alternateConsonants("пек"), (V{"пек", "печ"}));
  EXPECT_EQ(alternateConsonants("ж"), V{"ж"});  // too short to alternate
  EXPECT_EQ(alternateConsonants(""), V{""});
}

// Plain membership ("xx" has no stems and no endings) makes the edit order visible.
std::optional<std::string> fuzzy(std::string_view list, std::string_view word) {
  return load("xx", list).FuzzyFind(word);
}

TEST(DictFuzzyFind, PrefersInsertionThenSubstitutionThenDeletion) {
  EXPECT_EQ(fuzzy("т\nку\nкит\n", "кт"), "кит");
  EXPECT_EQ(fuzzy("т\nку\n", "кт"), "ку");
  EXPECT_EQ(fuzzy("к\nт\n", "кт"), "т");             // deleting position 0 comes first
  EXPECT_EQ(fuzzy("кот\n", "кот"), std::nullopt);    // the word itself is no edit
  EXPECT_EQ(fuzzy("кот\n", "котик"), std::nullopt);  // two edits away
}

TEST(DictFuzzyFind, PrefersEarlierPositionThenEarlierLetter) {
  EXPECT_EQ(fuzzy("оак\nяок\n", "ок"), "яок");
  EXPECT_EQ(fuzzy("вок\nбок\n", "ок"), "бок");
  EXPECT_EQ(fuzzy("жж\nёж\n", "ж"), "ёж");  // ё sorts after е, before ж
  EXPECT_EQ(fuzzy("ёж\nеж\n", "ж"), "еж");
  EXPECT_EQ(fuzzy("мыр\nмир\n", "мер"), "мир");
}

TEST(DictFuzzyFind, KeepsTheCaseOfTheWordAndLooksUpCaseInsensitively) {
  EXPECT_EQ(fuzzy("кит\n", "Кт"), "Кит");
  // Substituting к for К is an edit; Has lower-cases the candidate.
  EXPECT_EQ(fuzzy("кот\n", "КОТ"), "кОТ");
  EXPECT_EQ(fuzzy("кот\n", "КОТЫ"), "КОТ");
}

TEST(DictFuzzyFind, EmptyWordTriesOnlyOneLetterWords) {
  EXPECT_EQ(fuzzy("я\nб\n", ""), "б");
  EXPECT_EQ(fuzzy("w\nаа\n", ""), std::nullopt);
}

TEST(DictFuzzyFind, AppliesTheRulesOfHasToCandidates) {
  // книгам (one letter short of книгами) reaches книга through an ending.
  EXPECT_EQ(wordsOnly("ru", "книга\n").FuzzyFind("кнгами"), "книгами");
  EXPECT_EQ(load("ru", "еж\n").FuzzyFind("ё"), "ёж");  // folded candidate
}

}  // namespace
}  // namespace vyx
