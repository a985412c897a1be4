// Dict::Has rule by rule: the reference that the indexed lookup must agree
// with, and the lookup of a Dict that has no index.
#include <string>

#include "detect/dict.h"
#include "detect/dict_internal.h"
#include "detect/stem.h"

namespace vyx {

namespace dict_detail {

namespace {

// Calls f(candidate) for base and then each variant with its final consonant
// alternated, in order, writing each into buf; stops at the first true.
template <class F>
bool forEachAlternative(std::string_view base, std::string& buf, F&& f) {
  buf.assign(base);
  if (f(buf)) {
    return true;
  }
  if (countCodePoints(base) < 2) {
    return false;
  }
  char32_t last = 0;
  const size_t end = lastCodePointAt(base, last);
  for (const std::string_view repl : alternationsOf(last)) {
    buf.assign(base.substr(0, end));
    buf.append(repl);
    if (f(buf)) {
      return true;
    }
  }
  return false;
}

// The Russian ending rule: strip a known ending and look for the dictionary
// form of what is left (an infinitive, the bare stem or a nominal form).
bool hasThroughEndings(const Dict& d, std::string_view w, Scratch& s) {
  for (const std::string_view suffix : ruSuffixes) {
    if (!w.ends_with(suffix)) {
      continue;
    }
    const std::string_view base = w.substr(0, w.size() - suffix.size());
    if (countCodePoints(base) < 2) {
      continue;
    }
    const bool found = forEachAlternative(base, s.candidate, [&](std::string& cand) {
      const size_t stemLen = cand.size();
      for (const std::string_view tail : kBaseTails) {
        cand.resize(stemLen);
        cand.append(tail);
        if (d.hasWord(cand)) {
          return true;
        }
      }
      return false;
    });
    if (found) {
      return true;
    }
  }
  return false;
}

}  // namespace

void foldYo(std::string_view w, std::string& out) {
  out.assign(w);
  for (size_t p = out.find(kYo); p != std::string::npos; p = out.find(kYo, p)) {
    out.replace(p, kYo.size(), kYe);
  }
}

bool hasFolded(const Dict& d, std::string_view w, Scratch& s) {
  if (d.lang() != "ru" || w.find(kYo) == std::string_view::npos) {
    return false;
  }
  foldYo(w, s.folded);
  return d.hasWord(s.folded);
}

bool hasStem(const Dict& d, std::string_view w) {
  const std::string_view stem = stemWordView(w, d.lang());
  return countCodePoints(stem) >= 3 && d.hasStem(stem);
}

bool hasBeyondWords(const Dict& d, std::string_view w, Scratch& s) {
  return hasFolded(d, w, s) || hasStem(d, w) || (d.lang() == "ru" && hasThroughEndings(d, w, s));
}

bool hasByRules(const Dict& d, std::string_view w, Scratch& s) {
  return d.hasWord(w) || hasBeyondWords(d, w, s);
}

}  // namespace dict_detail

std::vector<std::string> alternateConsonants(std::string_view base) {
  std::vector<std::string> out;
  std::string buf;
  (void)dict_detail::forEachAlternative(base, buf, [&](const std::string& cand) {
    out.push_back(cand);
    return false;
  });
  return out;
}

}  // namespace vyx
