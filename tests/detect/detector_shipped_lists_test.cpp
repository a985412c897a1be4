// Decisions with the word lists the program ships, on the words a person
// types first in a sentence: capitals, names, and a mark after the word.
#include <gtest/gtest.h>

#include "detect/detector.h"

namespace vyx {
namespace {

struct Case {
  const char* typed;
  const char* fixed;  // empty: left as typed
  char32_t punct;
};

TEST(DetectorShippedLists, FirstWordsOfSentencesTypedOnEitherLayout) {
  const Result<Dict> ru = LoadDict("ru");
  const Result<Dict> en = LoadDict("en");
  ASSERT_TRUE(ru.ok() && en.ok());
  for (const Case& c : {
           // The key of a capital that QWERTY shows as a mark: read whole when
           // that makes a Russian word, but not by dropping the capital.
           Case{"|krf", "Ёлка", 0},  // Ё is Shift with the backslash key on a Mac
           Case{"\"ghbdtn", "", 0},  // not Эпривет: the word after the mark is judged alone
           Case{"\"Ghbdtn", "", 0},
           Case{"<the", "", 0},  // беру, but an English word after the mark
           // An English word and the mark after it, typed on the Russian
           // layout, whose keys of , . ; give б ю ж.
           Case{"Рщцумукб", "However", U','},
           Case{"Ерфтлыю", "Thanks", U'.'},
           Case{"ерутж", "then", U';'},
           // English names and words the common list lacked, typed on the
           // Russian layout, and typed right.
           Case{"Штвшф", "India", 0},
           Case{"Икшешыр", "British", 0},
           Case{"Фкпутештфб", "Argentina", U','},
           Case{"Тузфд", "Nepal", 0},
           Case{"цщклызфсу", "workspace", 0},
           Case{"щтдшту", "online", 0},
           Case{"Venice", "", 0},  // no longer Мутшсу, one edit from a Russian word
           Case{"Christ", "", 0},
       }) {
    Detector detector(*ru, *en);
    const Decision d = detector.CheckWithTrailingPunct(c.typed);
    EXPECT_EQ(d.fixed, c.fixed) << c.typed;
    EXPECT_EQ(d.punct, c.punct) << c.typed;
  }
}

}  // namespace
}  // namespace vyx
