// The index behind Dict::Has must never change an answer: these tests compare
// it with the rules applied one by one (Dict::withoutIndex), and pin the
// stemmer facts it relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "detect/dict.h"
#include "detect/dict_internal.h"
#include "detect/front_coded.h"
#include "detect/stem.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {
namespace {

// Hyphenated compounds, ё, short bases, alternating consonants, ъ.
constexpr std::string_view kList =
    "привет\nкто-то\nсеверо-запад\nёлка\nвсё\nеж\nда\nделать\nплакать\nсвистеть\nстеречь\n"
    "писать\nкнига\nвода\nподъезд\nзелено\nждать\nбольшой\nработа\nмышь\nкот\n";

Dict loaded(std::string_view code, std::string_view text) {
  Result<Dict> d = loadDictFromText(code, text);
  EXPECT_TRUE(d.ok());
  return d.ok() ? std::move(d).value() : Dict{};
}

std::string foldYo(std::string s) {
  for (size_t p = s.find("ё"); p != std::string::npos; p = s.find("ё", p)) s.replace(p, 2, "е");
  return s;
}

std::string dropLast(std::string_view s, size_t codePoints) {
  const std::u32string u = decodeUtf8(s);
  return encodeUtf8(std::u32string_view(u).substr(0, u.size() - std::min(u.size(), codePoints)));
}

// Words near the list: inflected, cut, mixed with other scripts, re-cased.
std::vector<std::string> nearWords(std::string_view list) {
  std::vector<std::string> out = {"", "-", "--", "ё", "x", "1", "ab", "\xff", "при\xd0"};
  for (size_t start = 0; start < list.size();) {
    const size_t lf = list.find('\n', start);
    const std::string w(list.substr(start, lf - start));
    start = lf + 1;
    for (const std::string& base : {w, dropLast(w, 1), dropLast(w, 2), foldYo(w)}) {
      out.push_back(base);
      for (const std::string_view suffix : ruSuffixes) out.push_back(base + std::string(suffix));
    }
    const std::u32string u = decodeUtf8(w);
    const std::string half = encodeUtf8(u.substr(0, u.size() / 2));
    const std::string rest = encodeUtf8(u.substr(u.size() / 2));
    for (const std::string& v : {encodeUtf8(toUpper(u[0])) + encodeUtf8(u.substr(1)), w + "x",
                                 w + "1", "x" + w, half + "-" + rest, half + "p" + rest,
                                 half + "ё" + rest, w + "-", half + "'" + rest, w + "s"}) {
      out.push_back(v);
    }
  }
  return out;
}

TEST(DictIndex, AnswersLikeTheRulesForRussian) {
  const Dict d = loaded("ru", kList);
  ASSERT_TRUE(d.indexed());
  const Dict plain = d.withoutIndex();
  const std::vector<std::string> words = nearWords(kList);
  for (const std::string& w : words) {
    EXPECT_EQ(d.Has(w), plain.Has(w)) << w;
  }
  // Every fifth keeps the rule-by-rule fuzzy search affordable under sanitizers.
  for (size_t i = 0; i < words.size(); i += 5) {
    EXPECT_EQ(d.FuzzyFind(words[i]), plain.FuzzyFind(words[i])) << words[i];
  }
}

TEST(DictIndex, AnswersLikeTheRulesForEnglish) {
  constexpr std::string_view list = "hell\nhello\nrunning\nit's\nwell-known\ncafé\n";
  const Dict d = loaded("en", list);
  ASSERT_TRUE(d.indexed());  // for English, the script filter is the whole index
  const Dict plain = d.withoutIndex();
  for (const std::string& w : nearWords(list)) {
    EXPECT_EQ(d.Has(w), plain.Has(w)) << w;
    EXPECT_EQ(d.FuzzyFind(w), plain.FuzzyFind(w)) << w;
  }
}

// The embedded list itself, on probes made from its words: cut, inflected,
// with ё, capitalised, glued to a neighbour, misspelt by one letter.
TEST(DictIndex, EmbeddedRussianListAnswersLikeTheRules) {
  const Result<Dict> ru = LoadDict("ru");
  ASSERT_TRUE(ru.ok());
  ASSERT_TRUE(ru->indexed());
  const Dict plain = ru->withoutIndex();
  std::vector<std::string> sample;
  size_t i = 0;
  ru->forEachWord([&](std::string_view w, int64_t) {
    if (i++ % 40 == 0) sample.emplace_back(w);
  });
  ASSERT_GT(sample.size(), 2000U);
  size_t found = 0;
  for (size_t k = 0; k < sample.size(); ++k) {
    const std::string& w = sample[k];
    std::string yo = w;
    if (const size_t e = yo.find("е"); e != std::string::npos) yo.replace(e, 2, "ё");
    const std::u32string u = decodeUtf8(w);
    for (const std::string& p :
         {w, dropLast(w, 1), dropLast(w, 2), w + "ю", w + "ами", w + "ешь", dropLast(w, 1) + "ого",
          dropLast(w, 2) + "ал", yo, encodeUtf8(toUpper(u[0])) + encodeUtf8(u.substr(1)),
          w + sample[(k + 1) % sample.size()],
          encodeUtf8(u.substr(0, u.size() / 2)) + "ж" + encodeUtf8(u.substr(u.size() / 2 + 1))}) {
      ASSERT_EQ(ru->Has(p), plain.Has(p)) << p;
      found += ru->Has(p);
    }
    // The rule-by-rule fuzzy search runs the stemmer on every candidate.
    if (k % 100 == 0) {
      const std::string typo = dropLast(w, 1) + "ъ";
      ASSERT_EQ(ru->FuzzyFind(typo), plain.FuzzyFind(typo)) << typo;
    }
  }
  EXPECT_GT(found, sample.size() * 3);  // the probes hit as well as miss
}

TEST(DictIndex, RulesOutOtherScriptsOnlyWhereNoRuleCouldMatch) {
  const Dict ru = loaded("ru", kList);
  EXPECT_TRUE(ru.Has("Кто-То"));
  EXPECT_TRUE(ru.Has("северо-запада"));  // stem северо-запад, the hyphen kept
  EXPECT_FALSE(ru.Has("пpивет"));        // Latin p
  EXPECT_FALSE(ru.Has("привет1"));
  EXPECT_TRUE(ru.Has("ёлки"));  // stem елк, through the folded word
  EXPECT_TRUE(ru.Has("плачу"));
  // One foreign code point: only replacing it can help...
  EXPECT_EQ(ru.FuzzyFind("пpивет"), "привет");
  // ...or deleting it, though any substitution comes first: привета has the stem привет.
  EXPECT_EQ(ru.FuzzyFind("приветx"), "привета");
  EXPECT_EQ(ru.FuzzyFind("xкто-то"), "кто-то");
  // Two: no single edit helps.
  EXPECT_EQ(ru.FuzzyFind("пpивеt"), std::nullopt);

  const Dict en = loaded("en", "hell\nhello\n");
  EXPECT_FALSE(en.Has("hellо"));             // Cyrillic о
  EXPECT_EQ(en.FuzzyFind("hellо"), "hell");  // every inserted letter is Cyrillic
  EXPECT_EQ(en.FuzzyFind("hеllо"), std::nullopt);
}

TEST(DictIndex, IsNotUsedForAListTheScriptFilterDidNotMake) {
  Result<DictSource> source = parseDictSource("ru", kList);
  ASSERT_TRUE(source.ok());
  source->ranks.emplace("бегать", 100);
  EXPECT_TRUE(dictFromSource(*source).indexed());
  EXPECT_TRUE(dictFromSource(*source).Has("бегала"));
  source->ranks.emplace("котx", 101);  // no loaded list holds such a word...
  const Dict d = dictFromSource(*source);
  EXPECT_FALSE(d.indexed());  // ...so the index refuses to vouch for it
  EXPECT_TRUE(d.Has("КОТx"));
  EXPECT_TRUE(d.Has("бегали"));

  Result<DictSource> noStems = parseDictSource("ru", kList);
  ASSERT_TRUE(noStems.ok());
  noStems->stems.clear();
  const Dict stemsGone = dictFromSource(*noStems);
  EXPECT_FALSE(stemsGone.Has("северо-запада"));
  EXPECT_TRUE(stemsGone.Has("делали"));  // the ending rule still applies
}

TEST(DictTrie, HoldsWordsAndStemsAndTheirPrefixes) {
  constexpr uint8_t kWord = DictTrie::kWordFlag;
  constexpr uint8_t kStem = DictTrie::kStemFlag;
  const DictTrie::Arrays a = DictTrie::build(
      {{"кот", kWord}, {"кота", kWord}, {"к", kWord}, {"кот", kStem}, {"ко-т", kStem}});
  const DictTrie t(a.firstChild, a.labels, a.flags);
  const auto found = [&](DictTrie::Node from, std::string_view s, bool word, bool stem) {
    const DictTrie::Node n = t.walk(from, s);
    return n != DictTrie::kNoNode && t.isWord(n) == word && t.isStem(n) == stem;
  };
  const DictTrie::Node kot = t.walk(DictTrie::kRoot, "кот");
  ASSERT_NE(kot, DictTrie::kNoNode);
  EXPECT_TRUE(t.isWord(kot));
  EXPECT_TRUE(t.isStem(kot));
  const DictTrie::Node ko = t.walk(DictTrie::kRoot, "ко");
  ASSERT_NE(ko, DictTrie::kNoNode);
  EXPECT_FALSE(t.isWord(ko));
  EXPECT_FALSE(t.isStem(ko));
  EXPECT_TRUE(found(ko, "-т", false, true));
  EXPECT_TRUE(found(DictTrie::kRoot, "кота", true, false));
  EXPECT_TRUE(found(kot, "а", true, false));
  EXPECT_TRUE(found(DictTrie::kRoot, "к", true, false));
  EXPECT_TRUE(found(DictTrie::kRoot, "\xd0", false, false));  // half a letter
  EXPECT_EQ(t.walk(DictTrie::kRoot, "кит"), DictTrie::kNoNode);
  EXPECT_EQ(t.walk(kot, "ы"), DictTrie::kNoNode);
  EXPECT_EQ(t.child(kot, '\xd0'), t.walk(kot, "\xd0"));
  EXPECT_TRUE(DictTrie().empty());
  std::vector<std::string> words;
  t.forEachKey(kWord, [&](std::string_view w, DictTrie::Node) { words.emplace_back(w); });
  EXPECT_EQ(words, (std::vector<std::string>{"к", "кот", "кота"}));  // shorter first
}

TEST(DictIndex, StemCheckAcceptsOnlyFoldedPrefixesAboveTheFloor) {
  EXPECT_TRUE(dict_detail::stemFitsIndex("книгами", "книг"));
  EXPECT_TRUE(dict_detail::stemFitsIndex("ёлками", "елк"));  // ё read as е
  EXPECT_TRUE(dict_detail::stemFitsIndex("ёлками", "ёлк"));
  EXPECT_FALSE(dict_detail::stemFitsIndex("книгами", "кн"));    // shorter than the floor
  EXPECT_FALSE(dict_detail::stemFitsIndex("книгами", "книж"));  // not a prefix
  EXPECT_FALSE(dict_detail::stemFitsIndex("кот", "котик"));     // longer than the word
}

// The index skips the stemmer when no stem can fit: these are the facts about
// the Russian stemmer that make that exact.
TEST(RussianStemFloor, BoundsEveryRussianStem) {
  EXPECT_EQ(russianStemFloor("книгами"), std::string_view("кни").size());  // г ends его
  EXPECT_EQ(russianStemFloor("подъездами"), std::string_view("подъезд").size());
  EXPECT_EQ(russianStemFloor("кто-то"), std::string_view("кто-").size());
  EXPECT_EQ(russianStemFloor("бдж"), std::string_view("бдж").size());  // no vowel
  EXPECT_EQ(russianStemFloor("аааа"), std::string_view("а").size());
  EXPECT_EQ(russianStemFloor("ёлками"), std::string_view("ёлк").size());
  EXPECT_EQ(russianStemFloor(""), 0U);

  std::vector<std::string> words = nearWords(kList);
  std::mt19937 rng(1);
  const std::u32string letters = U"абвгдеёжзийклмнопрстуфхцчшщъыьэюя-x";
  for (int i = 0; i < 20000; ++i) {
    std::u32string w(1 + rng() % 12, U'а');
    for (char32_t& c : w) c = letters[rng() % letters.size()];
    words.push_back(encodeUtf8(w) + std::string(ruSuffixes[rng() % ruSuffixes.size()]));
    words.push_back(encodeUtf8(w));
    // What the later steps cut, before an ending of the first.
    constexpr std::string_view kLater[] = {"нн", "нейше", "ейш", "ь", "ость", "ост", "и", "ости"};
    words.push_back(encodeUtf8(w) + std::string(kLater[rng() % std::size(kLater)]) +
                    std::string(kLater[rng() % std::size(kLater)]) +
                    std::string(ruSuffixes[rng() % ruSuffixes.size()]));
  }
  // Every step's longest ending at once: стан + нейше + ость + и + ующимися.
  words.push_back("станнейшеостьиующимися");
  size_t longestCut = 0;
  for (const std::string& w : words) {
    const std::string valid = encodeUtf8(decodeUtf8(w));
    const std::string stem = stemWord(valid, "ru");
    EXPECT_TRUE(foldYo(valid).starts_with(stem)) << w << " -> " << stem;
    EXPECT_GE(stem.size(), russianStemFloor(valid)) << w << " -> " << stem;
    if (russianStemmerCutsNothing(valid)) {
      EXPECT_EQ(stem, foldYo(valid)) << w;
    }
    for (size_t k = 0; k <= valid.size(); ++k) {
      if (k < valid.size() && (static_cast<uint8_t>(valid[k]) & 0xC0) == 0x80) continue;
      ASSERT_EQ(russianStemFloorAtMost(valid, k), russianStemFloor(valid) <= k) << w << " " << k;
    }
    const size_t cut = codePointCount(valid) - codePointCount(stem);
    EXPECT_TRUE(russianStemmerMayCut(valid, cut)) << w << " -> " << stem;
    longestCut = std::max(longestCut, cut);
  }
  EXPECT_EQ(longestCut, kRussianStemmerLongestCut);
}

// A word longer than any the shipped Russian list accepts is looked up no
// further, and none of its one-edit neighbours either: probes built to be
// accepted at the greatest length (the longest words with endings, the
// longest stems with the stemmer's longest cuts) and runs of keys around the
// bound answer as the rules answer, and no accepted probe is longer.
TEST(DictIndex, ShippedRussianListAcceptsNothingLongerThanItsBound) {
  const Result<Dict> ru = LoadDict("ru");
  ASSERT_TRUE(ru.ok());
  const Dict plain = ru->withoutIndex();
  const size_t bound = ru->longestAccepted();
  std::vector<std::pair<size_t, std::string>> longest;
  ru->image().trie().forEachKey(
      DictTrie::kWordFlag | DictTrie::kStemFlag,
      [&](std::string_view w, DictTrie::Node) { longest.emplace_back(codePointCount(w), w); });
  std::sort(longest.rbegin(), longest.rend());
  ASSERT_GT(longest.size(), 300U);
  EXPECT_GT(bound, longest.front().first);

  size_t accepted = 0;
  size_t longestProbe = 0;
  for (size_t k = 0; k < 300; ++k) {
    const std::string& w = longest[k].second;
    std::vector<std::string> probes;
    for (const std::string_view e : ruSuffixes) probes.push_back(w + std::string(e));
    for (const char* cut : {"нейшеостьиующимися", "ейшеостьиующимися", "остьиившись",
                            "ейшеостьиующими", "ьиывшись", "нейшеостьиями"}) {
      probes.push_back(w + cut);
    }
    for (const std::string& p : probes) {
      const bool found = plain.Has(p);
      ASSERT_EQ(ru->Has(p), found) << p;
      if (found) {
        ++accepted;
        longestProbe = std::max(longestProbe, codePointCount(p));
      }
    }
  }
  EXPECT_GT(accepted, 300U);  // the probes reach the rules, not only the bound
  EXPECT_LE(longestProbe, bound);

  // Runs of keys that look Russian (тест, слово, ёлка, тестирование), from
  // where a stem may still be cut off to just inside and beyond the bound:
  // the rule-by-rule search tries every candidate.
  for (const std::string_view unit : {"тест", "слово", "ёлка", "тестирование"}) {
    for (const size_t n : {size_t{12}, size_t{20}, size_t{26}, size_t{32}, bound - 1, bound,
                           bound + 1, bound + 2, bound + 8}) {
      std::u32string run;
      while (run.size() < n) run += decodeUtf8(unit);
      run.resize(n);
      const std::string word = encodeUtf8(run);
      ASSERT_EQ(ru->FuzzyFind(word), plain.FuzzyFind(word)) << word;
    }
  }
}

}  // namespace
}  // namespace vyx

namespace vyx {
namespace {

// Every kept string is found, and nothing else: before the first, between
// neighbours, past the last, at block edges, prefixes and extensions.
TEST(FrontCodedSet, FindsExactlyItsStrings) {
  std::vector<std::string> kept = {"умолчанию",
                                   std::string(FrontCodedSet::kMaxBytes + 1, 'x')};  // too long
  for (int i = 0; i < 100; ++i) kept.emplace_back("ф" + std::to_string(1000 + i * 7));
  std::sort(kept.begin(), kept.end());
  const FrontCodedSet::Arrays a = FrontCodedSet::build(kept);
  const FrontCodedSet set(a.blockStarts, a.bytes);
  for (const std::string& s : kept) {
    EXPECT_EQ(set.contains(s), s.size() <= FrontCodedSet::kMaxBytes) << s;
    EXPECT_FALSE(set.contains(s + "0")) << s;
    EXPECT_FALSE(set.contains(s.substr(0, s.size() - 1))) << s;
  }
  for (const std::string_view absent : {"", "a", "ф1001", "ф9999", "ф", "умолчани", "яя"}) {
    EXPECT_FALSE(set.contains(absent)) << absent;
  }
  EXPECT_FALSE(FrontCodedSet().contains("ф1000"));
}

}  // namespace
}  // namespace vyx
