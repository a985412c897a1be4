#include "detect/detector.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "detect/keymaps.h"
#include "support/log_capture.h"
#include "text/utf8.h"

namespace vyx {
namespace {

// Ranks matter: игра and рису are far more frequent than играть and
// рисовать, which come after the filler; дела is about as frequent as делать,
// and рисуя close to рису.
constexpr std::string_view kRussianHead =
    "игра\nрису\nдела\nделать\nпривет\nдом\nмы\nда\nнож\nно\nаа\nааа\nбю\nрука\nрисуя\n"
    "рука\n";
constexpr std::string_view kRussianTail = "играть\nрисовать\n";

std::string russianList() {
  std::string list(kRussianHead);
  // Words that nothing looks up, only there to push the tail down the ranks.
  for (const char32_t a : std::u32string_view(U"абвгдежзик")) {
    for (const char32_t b : std::u32string_view(U"абвгде")) {
      list += encodeUtf8(std::u32string{U'ъ', a, b, U'ъ'}) + "\n";
    }
  }
  return list + std::string(kRussianTail);
}

constexpr std::string_view kEnglish = "gbhbdtn\nhello\nherfs\nhhh\nvs\nworld\n";

class DetectorTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto ru = loadDictFromText("ru", russianList());
    auto en = loadDictFromText("en", kEnglish);
    ASSERT_TRUE(ru.ok() && en.ok());
    ruDict = std::make_unique<Dict>(std::move(ru).value());
    enDict = std::make_unique<Dict>(std::move(en).value());
  }
  static void TearDownTestSuite() {
    ruDict.reset();
    enDict.reset();
  }

  static CustomWordSet words(std::initializer_list<const char*> list) {
    auto set = std::make_shared<StringSet>();
    for (const char* w : list) set->insert(w);
    return set;
  }

  // Asserts the decision and returns it, so a case reads as one line.
  Decision expectFix(std::string_view typed, std::string_view fixed, char32_t punct = 0) {
    Decision d = detector.CheckWithTrailingPunct(typed);
    EXPECT_TRUE(d.wrong) << typed;
    EXPECT_EQ(d.fixed, fixed) << typed;
    EXPECT_EQ(d.punct, punct) << typed;
    return d;
  }
  void expectKept(std::string_view typed) {
    const Decision d = detector.CheckWithTrailingPunct(typed);
    EXPECT_FALSE(d.wrong) << typed << " -> " << d.fixed;
    EXPECT_EQ(d.fixed, "") << typed;
    EXPECT_EQ(d.punct, 0U) << typed;
  }
  // The one-letter rule follows the language last marked, so "f" reveals it.
  [[nodiscard]] bool lastMarkedRussian() { return detector.CheckWithTrailingPunct("f").wrong; }

  static inline std::unique_ptr<Dict> ruDict;
  static inline std::unique_ptr<Dict> enDict;
  Detector detector{*ruDict, *enDict};
};

TEST_F(DetectorTest, OneLetterWordsFollowTheLastLanguage) {
  expectFix("f", "а");  // nothing marked yet: Russian assumed
  expectFix("z", "я");
  expectFix("руддщ", "hello");  // marks English
  expectKept("f");
  expectKept("ж");  // a Cyrillic letter marks nothing
  expectKept("b");
}

TEST_F(DetectorTest, OneLetterWordsAfterRussianAndNeverCapitals) {
  expectKept("F");
  expectKept("x");
  expectKept("");
  expectFix("руддщ", "hello");
  expectKept("d");
  expectFix("ghbdtn", "привет");  // marks Russian again
  expectFix("d", "в");
  expectKept("F");
  expectFix("руддщ", "hello");
  expectKept("дом");  // a Russian word typed right marks Russian too
  expectFix("j", "о");
}

TEST_F(DetectorTest, RepeatedCharactersAndForeignScriptsAreNeverWrong) {
  expectFix("руддщ", "hello");  // marks English
  expectKept("ff");             // аа is a word
  expectKept("fff");            // ааа too
  expectKept("ррр");            // hhh is English
  expectKept("!!");
  expectKept(",.");  // бю is in the list, but no letter was typed
  expectKept("123");
  expectKept("αβγδ");
  expectKept("\xFF\xFE\xFD");
  expectKept("gh\xFF");
  EXPECT_FALSE(lastMarkedRussian());  // none of these marked a language
  // An ill-formed byte reads as U+FFFD, one edit away from привет.
  expectFix("ghbdtn\xFF", "привет\uFFFD");
}

TEST_F(DetectorTest, CyrillicWords) {
  expectKept("рука");
  expectKept("надо");  // a short word the list lacks
  expectFix("руддщ", "hello");
  EXPECT_FALSE(lastMarkedRussian());
  expectFix("Руддщ", "Hello");
  expectFix("руддщы", "hellos");  // English stems count for Cyrillic input
  expectKept("ывфыв");            // neither language: left alone, nothing marked
  EXPECT_FALSE(lastMarkedRussian());
}

TEST_F(DetectorTest, LatinWordsConvertedToRussian) {
  expectFix("ghbdtn", "привет");
  expectFix("Ghbdtn", "Привет");
  expectFix("GHBDTN", "ПРИВЕТ");
  expectFix("yflj", "надо");
  expectFix("ltkf", "дела");
  expectKept("hello");
  expectKept("qwzx");
}

TEST_F(DetectorTest, EnglishListProtectsOnlyExactWords) {
  expectFix("руддщ", "hello");  // marks English
  expectKept("vs");             // мы, but vs is an English list word
  EXPECT_FALSE(lastMarkedRussian());
  // herf is only an English stem (of herfs): that is not enough to stay.
  ASSERT_TRUE(enDict->Has("herf"));
  expectFix("herf", "рука");
}

TEST_F(DetectorTest, FuzzyMatchNeedsSixCodePointsAndKeepsTheConversion) {
  ASSERT_TRUE(ruDict->FuzzyFind("првет").has_value());
  expectKept("ghdtn");            // првет, 5 code points
  expectFix("ghb,tn", "прибет");  // 6: the plain conversion, not привет
  expectFix("GHB,tn", "ПРИбет");  // the same search again, whatever the case
  expectKept("gbhbdtn");          // an English list word is never searched
  expectKept("qwzxqwzx");         // nothing one edit away
}

TEST_F(DetectorTest, TrailingPunctuationAfterARussianWord) {
  expectFix("ghbdtn@", "привет", U'"');
  expectFix("ghbdtn^", "привет", U',');
  expectFix("ghbdtn&", "привет", U'.');
  expectFix("ghbdtn#", "привет", U'№');
  expectFix("ghbdtn!", "привет", U'!');
  expectFix("ghbdtn?", "привет", U'?');
  expectFix("ghbdtn,", "привет", U',');  // приветб is nothing
  expectFix("lf!", "да", U'!');
  expectKept("f!");  // too short to carry punctuation
  expectKept("hello!");
}

TEST_F(DetectorTest, EnglishWordFollowedByPunctuationStaysEnglish) {
  // vs converts to мы, a Russian word, but vs is on the English list: a mark
  // that ends English words after it does not make it a Russian word.
  for (const char* typed : {"vs,", "vs.", "vs!", "vs?", "VS;", "vs'"}) expectKept(typed);
  expectFix("lf,", "да", U',');  // lf is no English word: fixed as before
  // No English typist ends a word with a shifted digit: these are the Russian
  // layout's quotation mark and comma.
  expectFix("vs@", "мы", U'"');
  expectFix("vs^", "мы", U',');
}

TEST_F(DetectorTest, FinalLetterKeyReadAsLetterOrPunctuation) {
  // нож is a word itself.
  expectFix("yj;", "нож");
  // делаю's lemma делать is about as common as дела: a letter.
  expectFix("ltkf.", "делаю");
  // играю's lemma играть is far rarer than игра: punctuation.
  expectFix("buhf.", "игра", U'.');
  // рисую: the "ую" rule finds the rare рисовать, the "ю" rule the common
  // рисуя; every rule counts, so the letter wins.
  expectFix("hbce.", "рисую");
}

// A word typed on the wrong layout comes out whole or as typed, never as a
// shorter word and the key that ended it, unless that key is punctuation.
TEST(DetectorFinalKey, RestoresTheWholeWordOrReadsRealPunctuation) {
  const Result<Dict> ru =
      loadDictFromText("ru", "привет\nигра\nумолчание\nеще\nтвое\nкрылья\nданный\nсистема\nто\n",
                       "умолчанию\nиграю\nтвою\n");
  const Result<Dict> en = loadDictFromText("en", "to\nhere\n");
  ASSERT_TRUE(ru.ok() && en.ok());
  struct Case {
    const char* typed;
    const char* fixed;  // "" for kept
    char32_t punct;
  };
  const Case cases[] = {
      {"ghbdtn!", "привет", U'!'},  // marks typed as such
      {"ghbdtn^", "привет", U','},
      {"ghbdtn&", "привет", U'.'},
      {"ghbdtn,", "привет", U','},  // приветб is no word: a comma
      {"ghbdtn.", "привет", U'.'},
      {"buhf.", "играю", 0},  // a known form: the letter wins over the common игра
      {"evjkxfyb.", "умолчанию", 0},
      {"ndj.", "твою", 0},
      // The keys of х, ъ, э, ё are letters, whatever the prefix is.
      {"cbcntvf[", "системах", 0},
      {"lfyys[", "данных", 0},
      {"rhskmz[", "крыльях", 0},
      {"ndj`", "твоё", 0},  // ё-final, though the list writes твое
      {"ndj\\", "твоё", 0},
      {"to`", "ещё", 0},          // to is English, but no English word ends in a backtick
      {"ghbdtn[", "приветх", 0},  // nothing better: the keys as typed, one edit from привет
      {"to,", "", 0},
      {"here'", "", 0},
  };
  for (const Case& c : cases) {
    Detector detector(*ru, *en);
    const Decision d = detector.CheckWithTrailingPunct(c.typed);
    EXPECT_EQ(d.fixed, c.fixed) << c.typed;
    EXPECT_EQ(d.punct, c.punct) << c.typed;
  }
}

TEST_F(DetectorTest, UserWordsTypedWrongAreFixed) {
  detector.SetCustomWords(words({"вжух", "kubectl"}));
  expectFix("d;e[", "вжух");
  EXPECT_TRUE(lastMarkedRussian());
  expectFix("D;e[", "Вжух");
  expectFix("лгиусед", "kubectl");
  EXPECT_FALSE(lastMarkedRussian());
  expectFix("d;e[@", "вжух", U'"');
  expectFix("d;e[!", "вжух", U'!');
  expectFix("d;e[,", "вжух", U',');
  expectFix("лгиусед,", "kubectl", U',');
  expectFix("лгиусед»", "kubectl", U'»');
  expectKept("d;e[/");  // not a punctuation key of the tables
  expectKept("d;e[[");  // вжухх: the key of х is a letter, never a bracket
}

TEST_F(DetectorTest, NoRunOfKeysLongerThanAnyWordIsFixed) {
  // The user's own words are the one way so long a word could be found.
  std::string keys;
  while (keys.size() < kMaxWordLength) keys += "ghbdtn";
  keys.resize(kMaxWordLength);
  const std::string longer = keys + "t";
  detector.SetCustomWords(words(
      {convertScript(kScriptLatin, keys).c_str(), convertScript(kScriptLatin, longer).c_str()}));
  expectFix(keys, convertScript(kScriptLatin, keys));
  expectKept(longer);
}

TEST_F(DetectorTest, UserWordsTypedRightAreKept) {
  detector.SetCustomWords(words({"руддщ", "ljv", "вжух", "yj"}));
  expectKept("руддщ");  // its conversion hello is English
  expectKept("ljv");    // its conversion дом is Russian
  expectKept("Вжух");
  EXPECT_TRUE(lastMarkedRussian());
  expectKept("вжух.");
  expectKept("yj!");
  // нож is a Russian word, so the final key is its letter, not punctuation.
  expectFix("yj;", "нож");
}

TEST_F(DetectorTest, EmptyOrNullUserSetSwitchesTheRulesOff) {
  detector.SetCustomWords(words({"вжух", "ljv"}));
  expectFix("d;e[", "вжух");
  detector.SetCustomWords(words({}));
  expectKept("d;e[");
  expectFix("ljv", "дом");
  detector.SetCustomWords(words({"ljv"}));
  expectKept("ljv");
  detector.SetCustomWords(nullptr);
  expectFix("ljv", "дом");
}

TEST_F(DetectorTest, ResetKeepsTheLanguage) {
  expectFix("руддщ", "hello");
  detector.ResetTransientContext();
  expectKept("f");
  expectFix("ghbdtn!", "привет", U'!');
  detector.ResetTransientContext();
  expectFix("f", "а");
}

TEST_F(DetectorTest, VerboseLogLines) {
  const testing::LogCapture log;
  expectFix("ghbdtn", "привет");
  {
    const testing::VerboseScope verbose;
    expectFix("ghbdtn", "привет");
    expectFix("ghb,tn", "прибет");
    expectKept("hello");
    expectFix("ghbdtn!", "привет", U'!');
  }
  expectKept("hello");
  EXPECT_EQ(log.messages(), (std::vector<std::string>{
                                "Fix: \"ghbdtn\" → \"привет\"",
                                "Fix (fuzzy): \"ghb,tn\" → \"прибет\"",
                                "skip_reason: not-wrong",
                            }));
}

TEST_F(DetectorTest, SwappingUserWordsDuringDecisions) {
  const CustomWordSet a = words({"вжух"});
  const CustomWordSet b = words({"kubectl"});
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::vector<std::thread> deciders;
  for (int t = 0; t < 4; ++t) {
    deciders.emplace_back([&] {
      for (int i = 0; i < 3000; ++i) {
        const Decision x = detector.CheckWithTrailingPunct("d;e[");
        const Decision y = detector.CheckWithTrailingPunct("лгиусед!");
        const Decision z = detector.CheckWithTrailingPunct("ghbdtn@");
        if (x.wrong && x.fixed != "вжух") ++bad;
        if (y.wrong && (y.fixed != "kubectl" || y.punct != U'!')) ++bad;
        if (!z.wrong || z.fixed != "привет" || z.punct != U'"') ++bad;
      }
    });
  }
  std::thread swapper([&] {
    for (int i = 0; !stop.load(); ++i) {
      detector.SetCustomWords(i % 3 == 0 ? a : i % 3 == 1 ? b : nullptr);
      std::this_thread::yield();
    }
  });
  for (auto& t : deciders) t.join();
  stop = true;
  swapper.join();
  EXPECT_EQ(bad.load(), 0);
}

}  // namespace
}  // namespace vyx
