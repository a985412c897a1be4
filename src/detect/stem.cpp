#include "detect/stem.h"

#include <libstemmer.h>

#include <climits>
#include <memory>
#include <string>

#include "detect/dict.h"
#include "text/utf8.h"

namespace vyx {

namespace {

struct StemmerDeleter {
  void operator()(sb_stemmer* s) const { sb_stemmer_delete(s); }
};
using StemmerPtr = std::unique_ptr<sb_stemmer, StemmerDeleter>;

// Created lazily: a thread that only ever stems English never pays for the
// Russian stemmer.
sb_stemmer* threadStemmer(bool russian) {
  thread_local StemmerPtr en;
  thread_local StemmerPtr ru;
  StemmerPtr& slot = russian ? ru : en;
  if (!slot) {
    slot.reset(sb_stemmer_new(russian ? "russian" : "english", "UTF_8"));
  }
  return slot.get();
}

}  // namespace

std::string_view stemWordView(std::string_view word, std::string_view code) {
  const bool russian = code == "ru";
  if (!russian && code != "en") {
    return {};
  }
  if (word.size() > static_cast<size_t>(INT_MAX)) {
    return {};
  }
  sb_stemmer* stemmer = threadStemmer(russian);
  if (stemmer == nullptr) {
    return {};  // out of memory: no stem rather than a crash
  }
  const sb_symbol* out = sb_stemmer_stem(stemmer, reinterpret_cast<const sb_symbol*>(word.data()),
                                         static_cast<int>(word.size()));
  if (out == nullptr) {
    return {};
  }
  return {reinterpret_cast<const char*>(out), static_cast<size_t>(sb_stemmer_length(stemmer))};
}

std::string stemWord(std::string_view word, std::string_view code) {
  // Snowball trusts its input to be well-formed UTF-8; repair it first.
  std::string repaired = encodeUtf8(decodeUtf8(word));
  return std::string(stemWordView(repaired, code));
}

}  // namespace vyx
