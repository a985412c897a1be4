// typed_as_meant: the share of a corpus's words that end up in the text
// field as the person meant them, typed through the whole vyx program.
//
//   typed_as_meant --corpus WORDS_FILE --lang ru|en [--words 5000] [--jobs 4]
//                  [--key-delay 20] [--jitter 5] [--max-stretch 6] [--seed 1]
//                  [--top 12] [--failures FILE] [--binary PATH]
//
// Sentences of consecutive corpus words (commas here and there, a full stop
// at the end) are typed as a person does it: every character on the layout
// of its own script, --key-delay ms apart. At every pause (every 1 to
// --max-stretch words) the input source is set to the other language's, as
// if the person had switched it for something else and forgot; vyx must
// correct the word that follows and leave the words typed right alone.
// --jobs vyx programs are driven at once, each with its share of the
// sentences.
//
// Every word is then compared with what was meant. A word counts as typed
// on the wrong layout when the keys give it so on the source an instant
// correction would have left selected, whatever the program's timing. A
// word that differs is put down to the rules (detection or skip rules) when
// the field holds what those rules make of those keys, and to the rest of
// the program (timing, holding and replay, replacement) when it does not.
// A sentence counts as meant when every word of it is.
// --failures writes every failure, one a line: cause, count, the word.
#include <cstdio>
#include <fstream>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <sstream>

#include "corpus_sample.h"
#include "detect/detector.h"
#include "detect/dict.h"
#include "os/events.h"
#include "rules_replica.h"
#include "soak_options.h"
#include "support/vyx_process.h"
#include "text/utf8.h"

namespace vyx::quality {
namespace {

using soak::Options;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr const char* kUsage =
    "usage: typed_as_meant --corpus WORDS_FILE --lang ru|en [--words N] [--jobs N] "
    "[--key-delay MS] [--jitter MS] [--max-stretch N] [--seed N] [--top N] [--failures FILE] "
    "[--binary PATH]\n";
constexpr const char* kEditor = "com.apple.TextEdit";

enum class Cause : uint8_t { detection, skipRule, rest };

struct Failure {
  Cause cause;
  std::string label;  // intended → shown (typed)
};

struct Results {
  std::mutex mu;
  size_t words = 0;
  size_t neededFix = 0;
  size_t neededFixMeant = 0;
  size_t typedRight = 0;
  size_t typedRightMeant = 0;
  size_t sentencesShifted = 0;  // sentences whose length changed: keys lost or repeated
  size_t leftAsTyped = 0;       // typed on the wrong layout and not corrected
  size_t changedRight = 0;      // typed on the right layout and changed
  size_t fixedOtherwise = 0;    // corrected, or changed, into something else
  size_t sentences = 0;
  size_t sentencesMeant = 0;                 // every word as meant
  std::map<Cause, size_t> sentencesByCause;  // sentences with a failure of that cause
  std::map<Cause, size_t> byCause;
  std::map<std::pair<Cause, std::string>, size_t> failures;
  std::string error;
};

std::vector<std::u32string> splitWords(const std::u32string& text) {
  std::vector<std::u32string> out;
  std::u32string cur;
  for (char32_t c : text) {
    if (c == U' ') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

std::vector<PressedKey> keysPressed(const std::vector<os::sim::Arrival>& person) {
  std::vector<PressedKey> out;
  for (const auto& a : person) {
    if (a.type == os::kEventKeyDown) {
      out.push_back({a.keycode, static_cast<int64_t>(a.flags), a.text});
    }
  }
  return out;
}

std::string skipReasonOf(const RuleAnswer& rules, size_t from, size_t to) {
  for (size_t i = from; i < to && i < rules.skipReason.size(); ++i) {
    if (!rules.skipReason[i].empty()) return rules.skipReason[i];
  }
  return {};
}

void score(Results& r, const std::u32string& meant, const std::u32string& typed,
           const std::u32string& shown, const RuleAnswer& rules) {
  const auto meantWords = splitWords(meant);
  const auto typedWords = splitWords(typed);
  const auto shownWords = splitWords(shown);
  const auto ruleWords = splitWords(rules.text);
  const std::lock_guard lock(r.mu);
  const bool aligned = shownWords.size() == meantWords.size() &&
                       typedWords.size() == meantWords.size() &&
                       ruleWords.size() == meantWords.size();
  if (!aligned) ++r.sentencesShifted;
  ++r.sentences;
  std::set<Cause> causes;
  size_t at = 0;  // the word's start in the typed text
  for (size_t i = 0; i < meantWords.size(); ++i) {
    const std::u32string& m = meantWords[i];
    const std::u32string t = i < typedWords.size() ? typedWords[i] : U"";
    const std::u32string s = aligned ? shownWords[i] : U"";
    const bool fine = aligned && s == m;
    ++r.words;
    if (t != m) {
      ++r.neededFix;
      r.neededFixMeant += fine ? 1 : 0;
    } else {
      ++r.typedRight;
      r.typedRightMeant += fine ? 1 : 0;
    }
    if (!fine) {
      if (t != m && s == t) {
        ++r.leftAsTyped;
      } else if (t == m) {
        ++r.changedRight;
      } else {
        ++r.fixedOtherwise;
      }
      Cause cause = Cause::rest;
      std::string label = encodeUtf8(m) + " → " + (aligned ? encodeUtf8(s) : "(text shifted)") +
                          " (typed " + encodeUtf8(t) + ")";
      if (aligned && s == ruleWords[i]) {
        const std::string reason = skipReasonOf(rules, at, at + t.size());
        cause = reason.empty() ? Cause::detection : Cause::skipRule;
        if (!reason.empty()) label += " [" + reason + "]";
      }
      ++r.byCause[cause];
      ++r.failures[{cause, label}];
      causes.insert(cause);
    }
    at += t.size() + 1;
  }
  if (causes.empty()) ++r.sentencesMeant;
  for (const Cause cause : causes) ++r.sentencesByCause[cause];
}

void drive(const Options& opt, const std::vector<Sentence>& sentences, Results& results) {
  testing::VyxLaunch launch{.trusted = true};
  if (!opt.text("binary").empty()) launch.binary = opt.text("binary");
  testing::VyxProcess vyx(launch);
  if (!vyx.waitForLog("Vyx ready", seconds(60))) throw std::runtime_error("vyx did not start");
  os::sim::DesktopClient client = vyx.connect();
  if (!testing::waitForEnabledTap(client, seconds(60))) {
    throw std::runtime_error("the event tap never ran");
  }
  const bool russian = opt.text("lang") == "ru";
  const std::string wrongSource =
      russian ? "com.apple.keylayout.US" : "com.apple.keylayout.Russian";
  const os::sim::TypeOptions pace{milliseconds(opt.number("key-delay")),
                                  milliseconds(opt.number("jitter")),
                                  static_cast<uint32_t>(opt.number("seed"))};
  const Dict ru = std::move(LoadDict("ru")).value();
  const Dict en = std::move(LoadDict("en")).value();
  const KeyLayout wrongLayout = russian ? KeyLayout::us : KeyLayout::russianMac;
  RulesReplica rules(ru, en);
  for (const Sentence& s : sentences) {
    client.setField(kEditor, {});
    client.clearRecords();
    std::vector<size_t> pauses;  // keys pressed before each pause
    for (size_t p = 0; p < s.pauses.size(); ++p) {
      const size_t to = p + 1 < s.pauses.size() ? s.pauses[p + 1] : s.words.size();
      std::string stretch;
      for (size_t w = s.pauses[p]; w < to; ++w) stretch += s.words[w] + " ";
      if (!client.waitIdle(seconds(30), milliseconds(30))) {
        throw std::runtime_error("the desktop did not go quiet");
      }
      pauses.push_back(keysPressed(client.personPosts()).size());
      client.selectInputSource(wrongSource);
      if (const std::string skipped = client.typeAsPerson(stretch, pace); !skipped.empty()) {
        throw std::runtime_error("untypable characters: " + skipped);
      }
    }
    if (!client.waitIdle(seconds(30), milliseconds(100))) {
      throw std::runtime_error("the desktop did not go quiet");
    }
    const RuleAnswer ruled = rules.apply(keysPressed(client.personPosts()), pauses, wrongLayout);
    score(results, decodeUtf8(s.text()), ruled.typed, decodeUtf8(client.text(kEditor)), ruled);
  }
  vyx.sendSignal(SIGTERM);
  (void)vyx.waitExit(seconds(20));
}

double percent(size_t part, size_t whole) {
  return whole == 0 ? 0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

const char* causeName(Cause cause) {
  switch (cause) {
    case Cause::detection:
      return "detection rules";
    case Cause::skipRule:
      return "skip rules";
    case Cause::rest:
      break;
  }
  return "rest of the program";
}

void report(const Options& opt, Results& r) {
  const size_t meant = r.neededFixMeant + r.typedRightMeant;
  std::printf("corpus %s (%s), %zu words, key delay %ld±%ld ms, %ld programs at once\n",
              opt.text("corpus").c_str(), opt.text("lang").c_str(), r.words,
              opt.number("key-delay"), opt.number("jitter"), opt.number("jobs"));
  std::printf("| words | typed as meant |\n|---|---|\n");
  std::printf("| all %zu | %zu (%.2f%%) |\n", r.words, meant, percent(meant, r.words));
  std::printf("| typed on the wrong layout %zu | %zu corrected as meant (%.2f%%) |\n", r.neededFix,
              r.neededFixMeant, percent(r.neededFixMeant, r.neededFix));
  std::printf("| typed on the right layout %zu | %zu left as meant (%.2f%%) |\n", r.typedRight,
              r.typedRightMeant, percent(r.typedRightMeant, r.typedRight));
  std::printf("| sentences %zu | %zu every word as meant (%.2f%%) |\n", r.sentences,
              r.sentencesMeant, percent(r.sentencesMeant, r.sentences));
  const size_t failed = r.words - meant;
  std::printf(
      "failures %zu: detection rules %zu (%.1f%%), skip rules %zu (%.1f%%), rest of the program "
      "%zu (%.1f%%); sentences whose length changed: %zu\n",
      failed, r.byCause[Cause::detection], percent(r.byCause[Cause::detection], failed),
      r.byCause[Cause::skipRule], percent(r.byCause[Cause::skipRule], failed),
      r.byCause[Cause::rest], percent(r.byCause[Cause::rest], failed), r.sentencesShifted);
  std::printf(
      "sentences with a failure of the detection rules %zu, of the skip rules %zu, of the rest of "
      "the program %zu\n",
      r.sentencesByCause[Cause::detection], r.sentencesByCause[Cause::skipRule],
      r.sentencesByCause[Cause::rest]);
  std::printf(
      "failures by what shows: left as typed on the wrong layout %zu, changed though typed right "
      "%zu, made into something else %zu\n",
      r.leftAsTyped, r.changedRight, r.fixedOtherwise);
  for (Cause cause : {Cause::detection, Cause::skipRule, Cause::rest}) {
    std::vector<std::pair<size_t, std::string>> top;
    for (const auto& [key, n] : r.failures) {
      if (key.first == cause) top.emplace_back(n, key.second);
    }
    std::sort(top.begin(), top.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    std::printf("most frequent (%s):\n", causeName(cause));
    for (size_t i = 0; i < top.size() && i < static_cast<size_t>(opt.number("top")); ++i) {
      std::printf("  %4zu  %s\n", top[i].first, top[i].second.c_str());
    }
  }
}

int run(const Options& opt) {
  if (opt.text("corpus").empty() || (opt.text("lang") != "ru" && opt.text("lang") != "en")) {
    std::fprintf(stderr, "%s", kUsage);
    return 2;
  }
  const std::vector<std::string> corpus = readTypableWords(opt.text("corpus"));
  std::mt19937 rng(static_cast<uint32_t>(opt.number("seed")));
  const std::vector<Sentence> sentences =
      sampleSentences(corpus, static_cast<size_t>(opt.number("words")),
                      static_cast<size_t>(opt.number("max-stretch")), rng);
  if (sentences.empty()) {
    std::fprintf(stderr, "no words in %s\n", opt.text("corpus").c_str());
    return 1;
  }
  const size_t jobs = static_cast<size_t>(std::max(1L, opt.number("jobs")));
  Results results;
  std::vector<std::future<void>> running;
  for (size_t j = 0; j < jobs; ++j) {
    std::vector<Sentence> share;
    for (size_t i = j; i < sentences.size(); i += jobs) share.push_back(sentences[i]);
    running.push_back(std::async(std::launch::async, [&opt, share = std::move(share), &results] {
      try {
        drive(opt, share, results);
      } catch (const std::exception& e) {
        const std::lock_guard lock(results.mu);
        results.error = e.what();
      }
    }));
  }
  for (auto& f : running) f.get();
  if (!results.error.empty()) {
    std::fprintf(stderr, "FAIL: %s\n", results.error.c_str());
    return 1;
  }
  report(opt, results);
  if (!opt.text("failures").empty()) {
    std::ofstream out(opt.text("failures"));
    for (const auto& [key, n] : results.failures) {
      out << causeName(key.first) << '\t' << n << '\t' << key.second << '\n';
    }
  }
  return 0;
}

}  // namespace
}  // namespace vyx::quality

int main(int argc, char** argv) {
  const vyx::soak::Options options(argc, argv,
                                   {{"corpus", ""},
                                    {"lang", ""},
                                    {"words", "5000"},
                                    {"jobs", "4"},
                                    {"key-delay", "20"},
                                    {"jitter", "5"},
                                    {"max-stretch", "6"},
                                    {"seed", "1"},
                                    {"top", "12"},
                                    {"failures", ""},
                                    {"binary", ""}},
                                   vyx::quality::kUsage);
  return vyx::soak::runReporting(vyx::quality::run, options);
}
