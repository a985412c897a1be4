// eval_detect: how well the detector decides, on a file of words (one a line,
// in text order), with the embedded word lists.
//
//   eval_detect [--top N] [--limit N] WORDS_FILE
//
// Every pass feeds a fresh Detector all the words in order (the language of
// one word settles the next one-letter word), with no user words and without
// the pipeline's skip rules:
//   * typed right: the words as they stand; any correction is false.
//   * other layout: each word converted key for key (convertScript by its own
//     script), as typed with the other layout active; recall is the share
//     restored exactly, with no punctuation added.
//   * Latin input with a trailing "," "." "!" or "?", one pass per mark:
//     - for Latin words, the word and the mark typed on QWERTY as they are;
//       any correction is false;
//     - for Cyrillic words, a person typing the Russian word and then the mark
//       while QWERTY is active: every key gives its QWERTY character. Where
//       the mark's key is depends on the Russian layout the typist has in
//       their fingers, so two key models are reported:
//         mac (macOS "Russian", the layout the key tables describe):
//             "," = Shift+6 -> "^", "." = Shift+7 -> "&", "!" = Shift+1 -> "!",
//             "?" = Shift+/ -> "?"
//         pc ("Russian - PC"): "," = Shift+/ -> "?", "." = / -> "/",
//             "!" = Shift+1 -> "!", "?" = Shift+7 -> "&"
//       Recall is the share that ends up reading the word with exactly that
//       mark.
//   * Latin words followed by "," "." or ";", one pass per mark, typed with
//     the Russian layout active, where those keys give б, ю and ж; recall is
//     the share that ends up reading the word with exactly that mark.
//   * switched mid-word: the program switches the layout when a correction
//     ends, while the person types on; the next word then starts with keys
//     given on the old layout and ends with keys given on the new one. For
//     every word of letters of one script, one split (after 1, 2, ... letters
//     in turn from word to word) in each order: started on the right layout
//     and switched to the other ("hуддщ" for hello), and started on the other
//     and switched to the right one ("vир" for мир). Recall is the share
//     restored exactly.
// A final key that the word buffer treats as a word boundary (the solidus of
// the pc model) never reaches the detector: it is typed back after the word,
// as the pipeline does; "!" and "?" stay attached to the word.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "detect/detector.h"
#include "detect/keymaps.h"
#include "tally.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx::eval {
namespace {

struct KeyModel {
  const char* name;
  // mark -> what its key gives on QWERTY
  std::vector<std::pair<char32_t, char32_t>> keys;
};

const std::vector<KeyModel> kKeyModels = {
    {"mac", {{U',', U'^'}, {U'.', U'&'}, {U'!', U'!'}, {U'?', U'?'}}},
    {"pc", {{U',', U'?'}, {U'.', U'/'}, {U'!', U'!'}, {U'?', U'&'}}},
};
constexpr char32_t kMarks[] = {U',', U'.', U'!', U'?'};
// Marks whose keys give Russian letters, after an English word.
constexpr char32_t kLetterKeyMarks[] = {U',', U'.', U';'};

// What the word buffer would hand over: it ends a word at white space and at
// any character that is no letter, digit, letter key or shifted digit key,
// and keeps "!" and "?" as the word's last character. The pipeline types the
// ending character itself back after a correction.
bool endsWord(char32_t c) {
  return isWhiteSpace(c) ||
         !(isLetter(c) || isDigit(c) || punctLetterKeys.contains(c) || shiftDigitPunct.contains(c));
}

struct Input {
  std::string typed;     // what reaches the detector
  char32_t boundary;     // typed after it and kept as typed; 0 for none
  std::string expected;  // what the text should read in the end
  std::string word;      // the expected word without punctuation
};

Input makeInput(const std::string& keys, char32_t lastKey, const std::string& expected,
                const std::string& word) {
  if (lastKey == 0) return {keys, 0, expected, word};
  if (endsWord(lastKey) && !sentenceEndPunct.contains(lastKey)) {
    return {keys, lastKey, expected, word};
  }
  return {keys + encodeUtf8(lastKey), 0, expected, word};
}

// One pass: every input through a fresh detector. expectFix says whether a
// correction is wanted (recall) or every correction is false.
Tally runPass(const Dict& ru, const Dict& en, std::string title, const std::vector<Input>& inputs,
              bool expectFix) {
  Detector detector(ru, en);
  Tally tally;
  tally.title = std::move(title);
  for (const Input& in : inputs) {
    const Decision d = detector.CheckWithTrailingPunct(in.typed);
    std::string shown = in.typed;
    if (d.wrong) {
      shown = d.fixed;
      if (d.punct != 0) appendUtf8(shown, d.punct);
    }
    if (in.boundary != 0) appendUtf8(shown, in.boundary);
    const std::string typed = in.boundary == 0 ? in.typed : in.typed + encodeUtf8(in.boundary);
    if (!expectFix) {
      tally.add(d.wrong, d.wrong ? typed + " → " + shown : "");
      continue;
    }
    const bool hit = d.wrong && shown == in.expected;
    if (d.wrong && !hit && d.fixed == in.word) ++tally.nearMiss;
    // A word erased and typed again shorter, with the key that ended it.
    if (d.wrong && d.punct != 0 && d.fixed.size() < in.word.size() &&
        in.word.starts_with(d.fixed)) {
      ++tally.cutShort;
      if (std::u32string_view(U"[]`\\'").find(d.punct) != std::u32string_view::npos) {
        ++tally.cutShortLetterKey;
      }
    }
    if (!d.wrong && en.hasWord(toLower(in.typed))) ++tally.keptAsEnglish;
    tally.add(hit, hit ? "" : in.expected + " ← " + typed + ": " + (d.wrong ? shown : "(kept)"));
  }
  return tally;
}

std::vector<std::string> readWords(const char* path, size_t limit) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path);
    std::exit(1);
  }
  std::vector<std::string> words;
  for (std::string line; words.size() < limit && std::getline(in, line);) {
    const std::string_view w = trimSpace(line);
    if (!w.empty()) words.emplace_back(w);
  }
  return words;
}

struct PassPlan {
  std::string title;
  std::vector<Input> inputs;
  bool expectFix;
};

// Whether the word is two or more letters of the given script and nothing else.
bool lettersOf(std::u32string_view w, std::string_view script) {
  if (w.size() < 2) return false;
  for (const char32_t c : w) {
    if (!isLetter(c)) return false;
    if (script == kScriptLatin ? !isLatinScript(c) : !isCyrillicScript(c)) return false;
  }
  return true;
}

std::vector<PassPlan> buildPasses(const std::vector<std::string>& words) {
  PassPlan right{"typed right", {}, false};
  PassPlan other{"typed on the other layout", {}, true};
  PassPlan rightThenOther{"switched mid-word: right layout, then the other", {}, true};
  PassPlan otherThenRight{"switched mid-word: other layout, then the right one", {}, true};
  size_t split = 0;
  std::vector<PassPlan> latinPunct;
  for (const char32_t mark : kMarks) {
    latinPunct.push_back({"Latin words typed right + \"" + encodeUtf8(mark) + "\"", {}, false});
  }
  std::vector<PassPlan> latinOnRussian;
  for (const char32_t mark : kLetterKeyMarks) {
    latinOnRussian.push_back({"Latin words typed on the Russian layout + \"" + encodeUtf8(mark) +
                                  "\" (typed \"" + encodeUtf8(enToRu.at(mark)) + "\")",
                              {},
                              true});
  }
  std::vector<PassPlan> wrongPunct;
  for (const KeyModel& model : kKeyModels) {
    for (const auto& [mark, key] : model.keys) {
      wrongPunct.push_back({"Cyrillic words typed on QWERTY + \"" + encodeUtf8(mark) +
                                "\" (key model " + model.name + ": typed \"" + encodeUtf8(key) +
                                "\")",
                            {},
                            true});
    }
  }
  for (const std::string& w : words) {
    const std::string_view script = detectScript(w);
    const std::string converted = convertScript(script, w);
    right.inputs.push_back(makeInput(w, 0, w, w));
    other.inputs.push_back(makeInput(converted, 0, w, w));
    const std::u32string w32 = decodeUtf8(w);
    if (lettersOf(w32, script)) {
      const std::u32string o32 = decodeUtf8(converted);
      const size_t k = 1 + split++ % (w32.size() - 1);
      rightThenOther.inputs.push_back(
          makeInput(encodeUtf8(w32.substr(0, k) + o32.substr(k)), 0, w, w));
      otherThenRight.inputs.push_back(
          makeInput(encodeUtf8(o32.substr(0, k) + w32.substr(k)), 0, w, w));
    }
    if (script == kScriptLatin) {
      for (size_t i = 0; i < std::size(kMarks); ++i) {
        latinPunct[i].inputs.push_back(makeInput(w, kMarks[i], w + encodeUtf8(kMarks[i]), w));
      }
      for (size_t i = 0; i < std::size(kLetterKeyMarks); ++i) {
        const char32_t mark = kLetterKeyMarks[i];
        latinOnRussian[i].inputs.push_back(
            makeInput(converted, enToRu.at(mark), w + encodeUtf8(mark), w));
      }
    } else if (script == kScriptCyrillic) {
      size_t i = 0;
      for (const KeyModel& model : kKeyModels) {
        for (const auto& [mark, key] : model.keys) {
          wrongPunct[i++].inputs.push_back(makeInput(converted, key, w + encodeUtf8(mark), w));
        }
      }
    }
  }
  std::vector<PassPlan> passes;
  passes.push_back(std::move(right));
  passes.push_back(std::move(other));
  passes.push_back(std::move(rightThenOther));
  passes.push_back(std::move(otherThenRight));
  for (auto* group : {&latinPunct, &latinOnRussian, &wrongPunct}) {
    for (PassPlan& p : *group) {
      if (!p.inputs.empty()) passes.push_back(std::move(p));
    }
  }
  return passes;
}

int run(int argc, char** argv) {
  size_t top = 30;
  size_t limit = static_cast<size_t>(-1);
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if ((arg == "--top" || arg == "--limit") && i + 1 < argc) {
      (arg == "--top" ? top : limit) = std::strtoull(argv[++i], nullptr, 10);
    } else if (path == nullptr && !arg.starts_with("--")) {
      path = argv[i];
    } else {
      path = nullptr;
      break;
    }
  }
  if (path == nullptr) {
    std::fprintf(stderr, "usage: eval_detect [--top N] [--limit N] WORDS_FILE\n");
    return 2;
  }
  auto ru = LoadDict("ru");
  auto en = LoadDict("en");
  if (!ru || !en) {
    std::fprintf(stderr, "cannot load the word lists: %s\n",
                 (!ru ? ru.error() : en.error()).message().c_str());
    return 1;
  }
  const std::vector<std::string> words = readWords(path, limit);
  std::printf("%s: %zu words; ru list %zu words, en list %zu words\n\n", path, words.size(),
              ru->wordCount(), en->wordCount());

  // Passes are independent (each has its own detector), so they run at once.
  const std::vector<PassPlan> passes = buildPasses(words);
  std::vector<std::future<Tally>> results;
  for (const PassPlan& p : passes) {
    results.push_back(std::async(std::launch::async, runPass, std::cref(*ru), std::cref(*en),
                                 p.title, std::cref(p.inputs), p.expectFix));
  }
  for (size_t i = 0; i < passes.size(); ++i) {
    const Tally t = results[i].get();
    if (passes[i].expectFix) {
      t.print(stdout, "recall (restored exactly)", t.counted, top);
    } else {
      t.print(stdout, "false corrections", t.counted, top);
    }
    std::printf("\n");
  }
  return 0;
}

}  // namespace
}  // namespace vyx::eval

int main(int argc, char** argv) {
  return vyx::eval::run(argc, argv);
}
