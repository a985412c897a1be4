// Words begun on one layout and finished on the other, as when the program
// switches the layout at the end of a correction while the person types on.
#include <gtest/gtest.h>

#include "detect/detector.h"

namespace vyx {
namespace {

struct MixedCase {
  const char* typed;
  const char* fixed;  // empty: left as typed
  bool russianAfter;  // the language the decision leaves for the next word
};

TEST(DetectorMixed, AWordOfTwoScriptsIsReadWholeInTheOneThatMakesAWord) {
  auto ru = loadDictFromText("ru", "привет\nрук\nрука\nмир\nдруг\nбудет\n");
  auto en = loadDictFromText("en", "hello\nher\nworld\n");
  ASSERT_TRUE(ru.ok() && en.ok());
  for (const MixedCase& c : {
           MixedCase{"hуддщ", "hello", false},    // begun right, switched to Russian
           MixedCase{"руllo", "hello", false},    // begun on Russian, switched to QWERTY
           MixedCase{"ghbвет", "привет", true},   // begun on QWERTY, switched to Russian
           MixedCase{"приdtn", "привет", true},   // begun right, switched to QWERTY
           MixedCase{"Hуддщ!", "Hello!", false},  // the mark the buffer attached stays
           MixedCase{"hуддщю", "hello.", false},  // the full-stop key read on QWERTY
           // A mark typed after the switch to Russian is the Russian layout's.
           MixedCase{"lруг.", "друг.", true},
           MixedCase{"ghbвет,", "привет,", true},
           // A shifted digit after the switch to QWERTY is Russian punctuation.
           MixedCase{"приdtn&", "привет.", true},
           // Begun with the QWERTY key of a Russian letter, finished in Russian.
           MixedCase{",удет", "будет", true},
           MixedCase{",ужет", "", true},  // not a word either way
           MixedCase{"hуxxщ", "", true},  // a word on neither layout
           MixedCase{"hіllo", "", true},  // і has no key of its own on either
           // Both readings are words: as for any word, its first letter decides.
           MixedCase{"heк", "рук", true},
       }) {
    Detector detector(*ru, *en);
    (void)detector.CheckWithTrailingPunct("vbh");  // a Russian word before it
    const Decision d = detector.CheckWithTrailingPunct(c.typed);
    EXPECT_EQ(d.wrong, *c.fixed != 0) << c.typed;
    EXPECT_EQ(d.fixed, c.fixed) << c.typed;
    EXPECT_EQ(d.punct, 0U) << c.typed;
    // The one-letter rule follows the language last decided.
    EXPECT_EQ(detector.CheckWithTrailingPunct("f").wrong, c.russianAfter) << c.typed;
  }
}

}  // namespace
}  // namespace vyx
