#include "pipeline/skip_rules.h"

#include <utility>

#include "detect/detector.h"
#include "detect/keymaps.h"
#include "log/logger.h"
#include "pipeline/key_codes.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {
namespace {

bool tooShort(const Config& cfg, std::string_view word, size_t length) {
  // Read without the settings lock: it never changes after loading.
  const int64_t minLength = cfg.MinWordLength;
  if (minLength <= 0) return false;
  if (length >= static_cast<uint64_t>(minLength)) return false;
  // "f" alone is "а" typed on the wrong layout; case matters ("F" is not).
  return !(length == 1 && oneLetterWords.contains(std::string(word)));
}

SkipDecision skipped(std::string reason, std::string app = {}) {
  return SkipDecision{true, std::move(app), std::move(reason)};
}

// The application in front changes far less often than words end, and both
// the exclusion and the exception rule compare its identifier ignoring case:
// it is lower-cased once per application (and thread), not per word.
const std::string& lowerCased(const std::string& app) {
  thread_local std::string lastApp;
  thread_local std::string lastLower;
  if (app != lastApp) {
    lastLower = toLower(app);
    lastApp = app;
  }
  return lastLower;
}

}  // namespace

bool isAddressLike(std::string_view word) {
  // A command-line option ("-rf", "--save"): the word buffer keeps the
  // hyphens that begin a word after white space.
  if (word.starts_with('-')) return true;
  int dotsAndHyphens = 0;
  bool digit = false;
  bool pathBackslash = false;
  // Every character that matters is ASCII, so bytes do: a UTF-8 continuation
  // byte never equals one of them.
  for (size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    switch (c) {
      case '/':
      case ':':
      case '@':
      case '_':
        return true;
      case '\\':
        // The Mac Russian layout has ё on the backslash key, so a single
        // backslash may be a letter of a Russian word typed on QWERTY ("всё"
        // comes out as dc\); the detector, which reads it so, decides. Two
        // together are a path's.
        if ((i > 0 && word[i - 1] == '\\') || (i + 1 < word.size() && word[i + 1] == '\\')) {
          pathBackslash = true;
        }
        break;
      case '-':
      case '.':
        ++dotsAndHyphens;
        break;
      default:
        if (c >= '0' && c <= '9') digit = true;
    }
  }
  return pathBackslash || (dotsAndHyphens >= 1 && (digit || dotsAndHyphens >= 2));
}

SkipDecision shouldSkipWordReasonWithFrontmost(const Config& cfg, ExceptionStore* store,
                                               std::string_view word,
                                               const std::function<std::string()>& frontmost) {
  const size_t length = codePointCount(word);
  if (tooShort(cfg, word, length)) return skipped("min-length");
  if (length > kMaxWordLength) return skipped("too-long");
  // A colon that begins a word is the key of Ж (the word buffer keeps a
  // capital's key only there), not the colon of an address.
  const bool capitalKey = !word.empty() && isCapitalLetterKey(word.front());
  if (isAddressLike(capitalKey ? word.substr(1) : word)) return skipped("context-filter");

  std::string app = frontmost ? frontmost() : std::string();
  const std::string& lowerApp = lowerCased(app);
  if (cfg.IsLowerAppExcluded(lowerApp)) return skipped("excluded-app", std::move(app));
  if (app == kOwnBundleID) return skipped("own-app", std::move(app));
  // Last, so the store counts hits only for words no other rule skipped.
  if (store != nullptr && store->IsExceptionLowerApp(lowerApp, word)) {
    vlog("Exception skip: %q in %q", word, app);
    return skipped("exception", std::move(app));
  }
  return SkipDecision{false, std::move(app), {}};
}

}  // namespace vyx
