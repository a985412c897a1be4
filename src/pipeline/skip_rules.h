// Which finished words the pipeline leaves alone before asking the detector.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "store/config.h"
#include "store/exception_store.h"

namespace vyx {

struct SkipDecision {
  bool skip = false;
  // The frontmost application as fetched for the decision; empty when the
  // decision fell before it was fetched.
  std::string app;
  // "min-length", "too-long", "context-filter", "excluded-app", "own-app",
  // "exception", or empty when the word is not skipped.
  std::string reason;
};

// Rules in this order: minimum length (the one-letter Russian words excepted),
// more code points than any word has (kMaxWordLength), address-like text, excluded application, the
// program itself, learned exception. frontmost is called at most once, and only for a word that
// passes the first three rules; store and frontmost may be null. Takes no lock
// of its own; the settings' and the store's locks are taken one after the
// other.
[[nodiscard]] SkipDecision shouldSkipWordReasonWithFrontmost(
    const Config& cfg, ExceptionStore* store, std::string_view word,
    const std::function<std::string()>& frontmost);

// Paths, addresses, identifiers, version numbers and command-line options: a
// "/", ":", "@", "_", two backslashes together, a "-" at the start, or at
// least one "-" or "." together with an ASCII digit or a second "-" or ".".
// A single backslash is the ё key of the Mac Russian layout. The double-Shift
// conversion refuses such words too.
[[nodiscard]] bool isAddressLike(std::string_view word);

}  // namespace vyx
