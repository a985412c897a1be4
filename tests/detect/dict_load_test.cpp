#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "detect/dict.h"
#include "detect/dict_fs.h"

namespace vyx {
namespace {

StringSet words(const Dict& d) {
  StringSet out;
  d.forEachWord([&](std::string_view w, int64_t) { out.emplace(w); });
  return out;
}

TEST(DictLoad, RanksCountAcceptedLinesAndKeepTheFirst) {
  const Result<Dict> d =
      loadDictFromText("ru", "# заголовок\nпривет\nhello\n\nпока\nПривет\n  дом  \n");
  ASSERT_TRUE(d.ok());
  EXPECT_EQ(d->lang(), "ru");
  EXPECT_EQ(d->wordCount(), 3U);
  EXPECT_EQ(d->rankOf("привет"), 1);
  EXPECT_EQ(d->rankOf("пока"), 2);
  EXPECT_EQ(d->rankOf("дом"), 4);  // the repeated привет took number 3
  EXPECT_EQ(d->rankOf("hello"), 0);
  EXPECT_TRUE(d->hasStem("привет"));
}

TEST(DictLoad, SplitsAtLineFeedsAndTrimsUnicodeSpace) {
  const Result<Dict> d = loadDictFromText("en", "one\r\ntwo\r\n\xc2\xa0three\xe2\x80\x83\nfour");
  ASSERT_TRUE(d.ok());
  EXPECT_EQ(words(*d), (StringSet{"one", "two", "three", "four"}));
  EXPECT_EQ(d->rankOf("four"), 4);
  // A lone carriage return is white space inside the line, not a break.
  const Result<Dict> cr = loadDictFromText("en", "a\rb\n");
  ASSERT_TRUE(cr.ok());
  EXPECT_EQ(cr->wordCount(), 0U);  // "a\rb" fails the script filter
}

TEST(DictLoad, SkipsLinesOutsideTheListsScript) {
  const Result<Dict> en =
      loadDictFromText("en", "an as at\ndon't\ne-mail\ncafé\nпривет\nmp3\nthe\n");
  ASSERT_TRUE(en.ok());
  EXPECT_EQ(words(*en), (StringSet{"don't", "e-mail", "café", "the"}));
  const Result<Dict> ru = loadDictFromText("ru", "кто-то\nп'ять\nёж\nпривет!\nwow\n#тег\n");
  ASSERT_TRUE(ru.ok());
  EXPECT_EQ(words(*ru), (StringSet{"кто-то", "ёж"}));
}

TEST(DictLoad, ScriptFilter) {
  EXPECT_TRUE(matchesDictScript("naïve", "en"));
  EXPECT_TRUE(matchesDictScript("O'Neil-Smith", "en"));
  EXPECT_FALSE(matchesDictScript("two words", "en"));
  EXPECT_FALSE(matchesDictScript("ёж", "en"));
  EXPECT_FALSE(matchesDictScript("xⅱ", "en"));   // a Roman numeral: Latin script, no letter
  EXPECT_TRUE(matchesDictScript("ЁЖ-і", "ru"));  // і is Cyrillic too
  EXPECT_FALSE(matchesDictScript("п'ять", "ru"));
  EXPECT_FALSE(matchesDictScript("дом1", "ru"));
  EXPECT_FALSE(matchesDictScript("д\xd0", "ru"));  // ill-formed UTF-8
  EXPECT_TRUE(matchesDictScript("", "ru"));
  EXPECT_TRUE(matchesDictScript("any 1 thing!", "de"));
}

TEST(DictLoad, LineLongerThanTheBufferFails) {
  const std::string fits(65536, 'a');
  const Result<Dict> ok = loadDictFromText("en", "x\n" + fits + "\r\ny\n");
  ASSERT_TRUE(ok.ok()) << ok.error().message();
  EXPECT_EQ(ok->rankOf(fits), 2);
  EXPECT_EQ(ok->rankOf("y"), 3);
  const Result<Dict> tooLong = loadDictFromText("en", "x\n" + fits + "a\ny\n");
  ASSERT_FALSE(tooLong.ok());
  EXPECT_NE(tooLong.error().message().find("line 2"), std::string::npos);
}

TEST(DictLoad, UnknownLanguageHasNoFile) {
  const Result<Dict> d = LoadDict("xx");
  ASSERT_FALSE(d.ok());
  EXPECT_EQ(d.error().message(), "open dicts/xx_freq.txt: file does not exist");
  EXPECT_FALSE(LoadDict("").ok());
  EXPECT_FALSE(LoadDict("ru/../en").ok());
}

TEST(DictLoad, EmbeddedListsLoad) {
  const Result<Dict> ru = LoadDict("ru");
  ASSERT_TRUE(ru.ok()) << ru.error().message();
  const Result<Dict> en = LoadDict("en");
  ASSERT_TRUE(en.ok()) << en.error().message();
  EXPECT_EQ(ru->lang(), "ru");
  EXPECT_EQ(en->lang(), "en");
  EXPECT_GT(ru->wordCount(), 80000U);
  EXPECT_LT(ru->wordCount(), 100000U);
  EXPECT_GT(en->wordCount(), 120000U);
  EXPECT_LT(en->wordCount(), 130000U);
  // The stemmer behaves as the index expects on every Russian word, so the
  // fast lookups are in use.
  EXPECT_TRUE(ru->indexed());
  EXPECT_TRUE(en->indexed());
  EXPECT_GT(ru->stemCount(), ru->wordCount() / 2);
  // Inflected forms beyond the list, only for the rank rule.
  EXPECT_GT(ru->image().formCount(), 100000U);
  EXPECT_TRUE(ru->hasWordForm("умолчанию"));
  EXPECT_FALSE(ru->hasWordForm("приветю"));
  EXPECT_EQ(en->image().formCount(), 0U);
  for (const char* w : {"привет", "спасибо", "делать", "который"}) {
    EXPECT_TRUE(ru->Has(w)) << w;
  }
  for (const char* w : {"hello", "world", "running", "people"}) {
    EXPECT_TRUE(en->Has(w)) << w;
  }
  EXPECT_FALSE(ru->Has("ghbdtn"));
  EXPECT_FALSE(en->Has("привет"));
  // Ordered by frequency: everyday words come early.
  EXPECT_LT(ru->rankOf("и"), 100);
  EXPECT_LT(ru->rankOf("привет"), 5000);
}

// The embedded lists are images; a damaged one is refused, never read past its end.
TEST(DictLoad, RefusesADamagedImage) {
  const Result<Dict> ru = LoadDict("ru");
  ASSERT_TRUE(ru.ok());
  const std::span<const uint8_t> good = ru->image().bytes();
  std::vector<uint8_t> bytes(good.begin(), good.end());
  EXPECT_TRUE(DictImage::own(bytes).ok());
  for (const size_t keep : {size_t{0}, size_t{16}, bytes.size() - 8}) {
    EXPECT_FALSE(DictImage::own({bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(keep)}).ok())
        << keep;
  }
  std::vector<uint8_t> otherMagic = bytes;
  otherMagic[0] = 'X';
  EXPECT_FALSE(DictImage::own(otherMagic).ok());
  const Result<DictImage> misaligned = DictImage::view(std::span(bytes).subspan(1));
  ASSERT_FALSE(misaligned.ok());
  EXPECT_EQ(misaligned.error().message(), "word list image: misaligned");
}

TEST(StemWord, SelectsTheStemmerByLanguage) {
  EXPECT_EQ(stemWord("running", "en"), "run");
  EXPECT_EQ(stemWord("книгами", "ru"), "книг");
  EXPECT_EQ(stemWord("running", "de"), "");
  EXPECT_EQ(stemWord("", "en"), "");
  EXPECT_FALSE(stemWord("\xff\xfe\xd0", "ru").empty());  // repaired, not rejected
}

// Each thread has its own stemmers and scratch buffers: concurrent lookups
// give the answers a single thread gives.
TEST(StemWord, ThreadsDoNotShareStemmers) {
  const Result<Dict> d = loadDictFromText("ru", "делать\nкнига\nвода\n");
  ASSERT_TRUE(d.ok());
  const std::vector<std::string> words = {"делала", "книгами", "воды", "еды", "кнгами"};
  std::vector<std::string> expected;
  expected.reserve(words.size());
  for (const auto& w : words) {
    expected.push_back(stemWord(w, "ru") + (d->Has(w) ? "+" : "-"));
  }
  std::vector<std::vector<std::string>> got(4);
  {
    std::vector<std::jthread> threads;
    threads.reserve(got.size());
    for (auto& out : got) {
      threads.emplace_back([&] {
        for (int round = 0; round < 200; ++round) {
          for (const auto& w : words) {
            out.push_back(stemWord(w, "ru") + (d->Has(w) ? "+" : "-"));
          }
        }
      });
    }
  }
  for (const auto& out : got) {
    ASSERT_EQ(out.size(), words.size() * 200);
    for (size_t i = 0; i < out.size(); ++i) {
      ASSERT_EQ(out[i], expected[i % words.size()]);
    }
  }
}

}  // namespace
}  // namespace vyx
