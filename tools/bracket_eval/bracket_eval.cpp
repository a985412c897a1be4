// bracket_eval: texts typed through the whole pipeline (word buffer, skip
// rules, detector, worker, replay) on a pretend text field, with the word
// lists the program ships: what comes out of words typed right after opening
// brackets and quotes, and of text typed right around them.
//
//   bracket_eval [--list] [--words-after PREFIXES] FILE...
//
// Each line of a FILE is "kind<TAB>source<TAB>text"; empty lines and lines
// starting with # are skipped. source is us or ru, the input source selected
// when typing starts. A text is typed, then a space.
//   fix    the text as the person means it, typed as by a person who does not
//          look at the input source: each letter on the layout of its own
//          script (Cyrillic on the Mac Russian layout, Latin on U.S.), a mark
//          on the layout of the letter before it (before any letter, the
//          source selected) when that layout has it, on the other when only
//          that one has it, and a mark neither layout has (« „ “ ”, which a Mac types with
//          Option) as itself. Counted as fixed (the field reads the text),
//          not fixed (its first word reads as the keys gave it) or fixed
//          wrongly (anything else).
//   right  the text typed right on the source selected: every key as that
//          source gives it. Counted as left as typed or changed.
// A correction selects the source of its text, as on a Mac, so keys after
// it come out on that source. The person waits after each space until the
// correction has been typed.
//
// With --words-after PREFIXES every line of a FILE is one word instead,
// typed right on U.S. after each of the PREFIXES (separated by spaces) in
// turn: "(\" [<" types ("word and, then [<word and.
// --list prints every text with its verdict, the keys and what came out.
//
// The sets beside it: brackets.tsv (Russian typed on U.S. inside ( [ « „ “
// and quotation marks, English typed on the Russian source inside them) and
// typed_right.tsv. Larger sets are made from the word lists and the
// development corpora, for instance every Russian list word beginning with
// б ю ж э х ъ ё, capitalised, inside each opening mark, typed right on the
// Russian source ("right ru" lines) and on U.S. ("fix us" lines); and the
// first distinct words of en.brown.tok with
//   --words-after '(" [" (< (: «" “" („'
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "detect/detector.h"
#include "detect/dict.h"
#include "pipeline/app.h"
#include "pipeline/app_harness.h"
#include "pipeline/layout_keys.h"
#include "pipeline/rollback_tracker.h"
#include "pipeline/undo_state.h"
#include "store/config.h"
#include "support/fake_clock.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx::eval {
namespace {

using testing::FakeClock;
using testing::FakeScreen;

constexpr uint16_t kSpaceKey = 49;
constexpr uint16_t kOptionMarkKey = 10;  // no key of either table: the mark as typed

struct Key {
  uint16_t keycode = kOptionMarkKey;
  int64_t flags = 0;
  char32_t same = 0;  // not 0: what the key gives on every source (Space, Option marks)
};

std::optional<Key> keyOn(KeyLayout layout, char32_t c) {
  if (c == U' ') return Key{kSpaceKey, 0, U' '};
  for (const int64_t flags : {int64_t{0}, kFlagShift}) {
    for (uint16_t k = 0; k <= 50; ++k) {
      if (layoutKeyChar(layout, k, flags) == c) return Key{k, flags, 0};
    }
  }
  return std::nullopt;
}

KeyLayout layoutOf(bool russian) {
  return russian ? KeyLayout::russianMac : KeyLayout::us;
}

// The keys a person presses for the text.
std::vector<Key> keysFor(const std::u32string& text, bool meant, bool startRussian) {
  std::vector<Key> keys;
  bool lastRussian = startRussian;  // the layout of the last letter typed
  for (const char32_t c : text) {
    bool russian = lastRussian;
    if (meant && isLetter(c)) russian = isCyrillicScript(c);
    if (!meant) russian = startRussian;
    std::optional<Key> key = keyOn(layoutOf(russian), c);
    if (!key && meant) key = keyOn(layoutOf(!russian), c);
    keys.push_back(key.value_or(Key{kOptionMarkKey, 0, c}));
    if (isLetter(c)) lastRussian = russian;
  }
  return keys;
}

char32_t arriving(const Key& key, bool russian) {
  if (key.same != 0) return key.same;
  return layoutKeyChar(layoutOf(russian), key.keycode, key.flags).value_or(0);
}

// The keys pressed on one source with nothing corrected.
std::string asTyped(const std::vector<Key>& keys, bool russian) {
  std::u32string out;
  for (const Key& k : keys) out.push_back(arriving(k, russian));
  return encodeUtf8(out);
}

class Field final {
 public:
  Field(const Dict& ru, const Dict& en)
      : detector(ru, en), undo(clock.clock()), tracker(nullptr, clock.clock()) {
    app = newApp(cfg, nullptr, detector, &tracker, screen.ops(), clock.clock(), &undo);
  }
  ~Field() { app->StopWorker(std::chrono::seconds(2)); }
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  std::string type(const std::vector<Key>& keys, bool startRussian) {
    screen.russianLayout = startRussian;
    for (const Key& k : keys) {
      const char32_t ch = arriving(k, screen.russianLayout);
      if (!app->onKeyEvent(k.keycode, ch, k.flags)) screen.deliver(k.keycode, ch);
      (void)app->onKeyUp(k.keycode);
      if (isWhiteSpace(ch)) settle();
    }
    settle();
    return screen.text();
  }

 private:
  void settle() {
    for (int i = 0; i < 5000 && app->isBusy(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  Config cfg;
  FakeClock clock;
  FakeScreen screen;
  Detector detector;
  undoState undo;
  RollbackTracker tracker;
  std::unique_ptr<App> app;
};

std::string firstWord(const std::string& s) {
  return s.substr(0, s.find(' '));
}

struct Counts {
  size_t fixed = 0, wrongly = 0, notFixed = 0;  // fix
  size_t kept = 0, changed = 0;                 // right
};

int run(const std::vector<std::string>& files, bool list, const std::string& wordsAfter) {
  auto ru = LoadDict("ru");
  auto en = LoadDict("en");
  if (!ru.ok() || !en.ok()) {
    std::fprintf(stderr, "bracket_eval: the word lists did not load\n");
    return 1;
  }
  Counts counts;
  auto runOne = [&](const std::string& kind, bool russian, const std::string& text) {
    const bool meant = kind == "fix";
    const std::u32string typed = decodeUtf8(text + " ");
    const std::vector<Key> keys = keysFor(typed, meant, russian);
    Field field(ru.value(), en.value());
    const std::string shown = field.type(keys, russian);
    const std::string raw = asTyped(keys, russian);
    const char* verdict = nullptr;
    if (!meant) {
      if (shown == raw) {
        ++counts.kept;
        verdict = "as typed";
      } else {
        ++counts.changed;
        verdict = "changed";
      }
    } else if (shown == text + " ") {
      ++counts.fixed;
      verdict = "fixed";
    } else if (firstWord(shown) == firstWord(raw)) {
      ++counts.notFixed;
      verdict = "not fixed";
    } else {
      ++counts.wrongly;
      verdict = "fixed wrongly";
    }
    if (list) {
      std::printf("%-13s %s\t%s\t→ %s\n", verdict, russian ? "ru" : "us", raw.c_str(),
                  shown.c_str());
    }
  };
  for (const std::string& file : files) {
    std::ifstream in(file);
    if (!in) {
      std::fprintf(stderr, "bracket_eval: cannot read %s\n", file.c_str());
      return 1;
    }
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || line.front() == '#') continue;
      if (!wordsAfter.empty()) {
        std::istringstream prefixes(wordsAfter);
        for (std::string prefix; prefixes >> prefix;)
          runOne("right", false, prefix + line + " and");
        continue;
      }
      std::istringstream fields(line);
      std::string kind, source, text;
      if (!std::getline(fields, kind, '\t') || !std::getline(fields, source, '\t') ||
          !std::getline(fields, text) || (kind != "fix" && kind != "right") ||
          (source != "us" && source != "ru")) {
        std::fprintf(stderr, "bracket_eval: %s: bad line: %s\n", file.c_str(), line.c_str());
        return 1;
      }
      runOne(kind, source == "ru", text);
    }
  }
  const size_t fixes = counts.fixed + counts.wrongly + counts.notFixed;
  if (fixes > 0) {
    std::printf("typed on the other layout: %zu; fixed %zu, fixed wrongly %zu, not fixed %zu\n",
                fixes, counts.fixed, counts.wrongly, counts.notFixed);
  }
  const size_t rights = counts.kept + counts.changed;
  if (rights > 0) {
    std::printf("typed right: %zu; left as typed %zu, changed %zu\n", rights, counts.kept,
                counts.changed);
  }
  return 0;
}

}  // namespace
}  // namespace vyx::eval

int main(int argc, char** argv) {
  std::vector<std::string> files;
  bool list = false;
  std::string wordsAfter;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--list") {
      list = true;
    } else if (arg == "--words-after" && i + 1 < argc) {
      wordsAfter = argv[++i];
    } else if (!arg.empty() && arg.front() == '-') {
      std::fprintf(stderr, "usage: bracket_eval [--list] [--words-after PREFIXES] FILE...\n");
      return 2;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: bracket_eval [--list] [--words-after PREFIXES] FILE...\n");
    return 2;
  }
  return vyx::eval::run(files, list, wordsAfter);
}
