#include "pipeline/buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/log_capture.h"

namespace vyx {
namespace {

struct Finished {
  std::string word;
  char32_t boundary;
  bool operator==(const Finished&) const = default;
};

// A buffer whose callback records what it was handed and answers `answer`.
class BufferTest : public ::testing::Test {
 protected:
  Buffer buf{[this](const std::string& word, char32_t boundary) {
    finished.push_back({word, boundary});
    return answer;
  }};
  std::vector<Finished> finished;
  bool answer = true;

  // Types every code point; returns the answer of the last Add.
  bool type(std::u32string_view text) {
    bool last = false;
    for (const char32_t c : text) last = buf.Add(c);
    return last;
  }
};

TEST_F(BufferTest, SpaceFinishesTheWordAndPassesTheCallbackAnswer) {
  EXPECT_TRUE(type(U"ghbdtn "));
  EXPECT_EQ(finished, (std::vector<Finished>{{"ghbdtn", U' '}}));
  EXPECT_EQ(buf.CurrentWord(), "");

  answer = false;
  EXPECT_FALSE(type(U"vbh\t"));
  EXPECT_EQ(finished.back(), (Finished{"vbh", U'\t'}));
}

TEST_F(BufferTest, SentenceEndMarkIsAttachedToTheWordAndIsTheBoundary) {
  EXPECT_TRUE(type(U"ghbdtn!"));
  EXPECT_TRUE(type(U"rfr?"));
  EXPECT_EQ(finished, (std::vector<Finished>{{"ghbdtn!", U'!'}, {"rfr?", U'?'}}));
  EXPECT_EQ(buf.CurrentWord(), "");
}

TEST_F(BufferTest, BoundaryAfterNothingCallsNothing) {
  for (const char32_t c : {U' ', U'!', U'-', U'?', U'\n'}) {
    EXPECT_FALSE(buf.Add(c));
  }
  EXPECT_TRUE(finished.empty());
  EXPECT_EQ(buf.CurrentWord(), "");
  // Two marks in a row: the first ends the word, the second finds it empty.
  type(U"a!!");
  EXPECT_EQ(finished, (std::vector<Finished>{{"a!", U'!'}}));
}

TEST_F(BufferTest, HyphensThatBeginAWordAfterWhiteSpaceStayInIt) {
  type(U"rm -rf x-y --save -");
  EXPECT_EQ(finished,
            (std::vector<Finished>{
                {"rm", U' '}, {"-rf", U' '}, {"x", U'-'}, {"y", U' '}, {"--save", U' '}}));
  EXPECT_EQ(buf.CurrentWord(), "-");
}

TEST_F(BufferTest, KeysThatAreRussianLettersOrPunctuationStayInTheWord) {
  type(U"ghbdtn,.;'[]`\\@#$%^&*");
  EXPECT_EQ(buf.CurrentWord(), "ghbdtn,.;'[]`\\@#$%^&*");
  EXPECT_TRUE(finished.empty());
}

TEST_F(BufferTest, ShiftedKeysThatAreRussianLettersStillEndTheWord) {
  for (const char32_t c : {U'<', U'>', U'{', U'}', U':', U'"', U'~'}) {
    type(U"ab");
    ASSERT_TRUE(buf.Add(c)) << static_cast<uint32_t>(c);
    EXPECT_EQ(finished.back(), (Finished{"ab", c}));
  }
}

TEST_F(BufferTest, LettersAndDigitsOfAnyScriptAreOneWord) {
  type(U"abc123 мир2 ё٣");  // Arabic-Indic three is a decimal digit too
  EXPECT_EQ(finished, (std::vector<Finished>{{"abc123", U' '}, {"мир2", U' '}}));
  EXPECT_EQ(buf.CurrentWord(), "ё٣");
}

TEST_F(BufferTest, BackspaceClearAndFlush) {
  buf.Backspace();  // empty: nothing happens
  EXPECT_EQ(buf.CurrentWord(), "");
  type(U"ab");
  buf.Backspace();
  EXPECT_EQ(buf.CurrentWord(), "a");
  EXPECT_EQ(buf.FlushWord(), "a");
  EXPECT_EQ(buf.FlushWord(), "");
  type(U"мир");
  buf.Clear();
  EXPECT_EQ(buf.CurrentWord(), "");
  EXPECT_TRUE(finished.empty());
}

TEST_F(BufferTest, LongWordIsKeptWhole) {
  const std::u32string word(200, U'ж');
  type(word);
  type(U" ");
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0].word.size(), 400u);  // two bytes each
}

TEST(BufferNoCallback, FinishedWordIsDiscarded) {
  Buffer buf;
  for (const char32_t c : std::u32string_view(U"ghbdtn")) EXPECT_FALSE(buf.Add(c));
  EXPECT_FALSE(buf.Add(U' '));
  EXPECT_EQ(buf.CurrentWord(), "");
}

TEST(BufferCallback, RunsWithoutTheLockSoItMayUseTheBuffer) {
  Buffer* self = nullptr;
  std::string seenInside = "unset";
  Buffer buf([&](const std::string&, char32_t) {
    self->Clear();  // a context invalidation from inside the callback
    seenInside = self->CurrentWord();
    return true;
  });
  self = &buf;
  for (const char32_t c : std::u32string_view(U"ab ")) (void)buf.Add(c);
  EXPECT_EQ(seenInside, "");
}

TEST(BufferLog, SpecialCharactersAreLoggedWhenVerbose) {
  testing::LogCapture log;
  Buffer buf;
  {
    testing::VerboseScope verbose;
    for (const char32_t c : std::u32string_view(U"aZя ё1!")) (void)buf.Add(c);
  }
  (void)buf.Add(U'2');  // verbose off: nothing
  EXPECT_EQ(log.messages(), (std::vector<std::string>{
                                "Buffer.Add special char: \"ё\" (U+0451)",
                                "Buffer.Add special char: \"1\" (U+0031)",
                                "Buffer.Add special char: \"!\" (U+0021)",
                            }));
}

TEST(WordBoundary, WhiteSpaceOfEveryKindAndOtherPunctuationAndSymbolsEndAWord) {
  for (const char32_t c : {U'\t',     U'\n',     U'\v', U'\f', U'\r', U' ', U'\u0085', U'\u00A0',
                           U'\u2003', U'\u3000', U'!',  U'?',  U'-',  U'/', U'(',      U')',
                           U'+',      U'=',      U'_',  U'|',  U'«',  U'—', U'€'}) {
    EXPECT_TRUE(isWordBoundary(c)) << static_cast<uint32_t>(c);
  }
}

}  // namespace
}  // namespace vyx
