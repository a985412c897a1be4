#include <cerrno>
#include <string>

#include "detect/dict.h"
#include "detect/dict_fs.h"
#include "detect/dict_internal.h"
#include "detect/stem.h"
#include "log/format.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {

namespace {

// The longest line the loader accepts, line feed and carriage return not
// counted. A longer one means the file is not a word list.
constexpr size_t kMaxLineBytes = 65536;

// Fast paths for the two alphabets the lists are written in; ICU decides the
// rest (accented Latin letters, old Cyrillic letters).
bool latinOk(char32_t c) {
  if (c < 0x80) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '\'';
  }
  return isLatinScript(c) && isLetter(c);
}
bool cyrillicOk(char32_t c) {
  if (c == '-' || (c >= 0x410 && c <= 0x44F)) {
    return true;
  }
  return c >= 0x80 && isCyrillicScript(c);
}
bool anyOk(char32_t) {
  return true;
}

using CodePointTest = bool (*)(char32_t);
CodePointTest scriptTest(std::string_view code) {
  if (code == "en") {
    return latinOk;
  }
  if (code == "ru") {
    return cyrillicOk;
  }
  return anyOk;
}

}  // namespace

namespace dict_detail {

bool scriptAllows(char32_t c, std::string_view code) {
  return scriptTest(code)(c);
}

}  // namespace dict_detail

bool matchesDictScript(std::string_view line, std::string_view code) {
  const CodePointTest ok = scriptTest(code);
  if (ok == anyOk) {
    return true;
  }
  // An ill-formed sequence reads as U+FFFD, which no script test accepts.
  return allCodePoints(line, ok);
}

Result<Dict> loadDictFromText(std::string_view code, std::string_view text) {
  Dict d;
  d.lang = std::string(code);
  d.words.reserve(100000);
  d.stems.reserve(50000);
  d.ranks.reserve(100000);
  int64_t accepted = 0;
  size_t lineNo = 0;
  bool stemsFitIndex = true;
  while (!text.empty()) {
    ++lineNo;
    const size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    if (line.size() > kMaxLineBytes) {
      return Error(sformat("line %d longer than %d bytes", lineNo, kMaxLineBytes), EFBIG);
    }
    std::string word = toLower(trimSpace(line));
    if (word.empty() || word[0] == '#' || !matchesDictScript(word, code)) {
      continue;
    }
    ++accepted;
    d.ranks.try_emplace(word, accepted);
    const std::string_view stem = stemWordView(word, code);
    if (!stem.empty()) {
      stemsFitIndex = stemsFitIndex && (code != "ru" || dict_detail::stemFitsIndex(word, stem));
      d.stems.emplace(stem);
    }
    d.words.insert(std::move(word));
  }
  // The index leans on what this stemmer does to Russian words; a stemmer
  // that behaves otherwise on the list itself gets the rules one by one.
  if (stemsFitIndex) dict_detail::buildIndex(d, true);
  return d;
}

Result<Dict> LoadDict(std::string_view code) {
  const std::string path = "dicts/" + std::string(code) + "_freq.txt";
  const Result<std::string_view> text = dictFS.readFile(path);
  if (!text) {
    return text.error();
  }
  Result<Dict> d = loadDictFromText(code, *text);
  if (!d) {
    return Error::wrap(path, d.error());
  }
  return d;
}

}  // namespace vyx
