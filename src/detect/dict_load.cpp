#include <algorithm>
#include <cerrno>
#include <string>

#include "detect/dict.h"
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

// The longest word, in code points, that Has can accept: a list word (or the
// same with ё for е), a word whose base is no longer than a list word
// followed by one of the Russian endings, or a word whose stem is a stem of
// the list and which the stemmer shortened by at most its longest cut. Only
// the Russian stemmer's cut is known; other lists get no bound (0).
size_t longestAccepted(const DictSource& source) {
  if (source.lang != "ru") return 0;
  size_t longestWord = 0;
  for (const auto& [word, rank] : source.ranks) {
    longestWord = std::max(longestWord, codePointCount(word));
  }
  size_t longestStem = 0;
  for (const std::string& stem : source.stems) {
    longestStem = std::max(longestStem, codePointCount(stem));
  }
  size_t longestEnding = 0;
  for (const std::string_view e : ruSuffixes) {
    longestEnding = std::max(longestEnding, codePointCount(e));
  }
  return std::max(longestWord + longestEnding, longestStem + kRussianStemmerLongestCut);
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

Result<DictSource> parseDictSource(std::string_view code, std::string_view text,
                                   std::string_view formsText) {
  DictSource d;
  d.lang = std::string(code);
  d.ranks.reserve(100000);
  d.stems.reserve(70000);
  int64_t accepted = 0;
  size_t lineNo = 0;
  const auto nextLine = [&](std::string_view& rest, std::string_view& line) {
    if (rest.empty()) return false;
    ++lineNo;
    const size_t lf = rest.find('\n');
    line = rest.substr(0, lf);
    rest.remove_prefix(lf == std::string_view::npos ? rest.size() : lf + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return true;
  };
  for (std::string_view line; nextLine(text, line);) {
    if (line.size() > kMaxLineBytes) {
      return Error(sformat("line %d longer than %d bytes", lineNo, kMaxLineBytes), EFBIG);
    }
    std::string word = toLower(trimSpace(line));
    if (word.empty() || word[0] == '#' || !matchesDictScript(word, code)) {
      continue;
    }
    ++accepted;
    const std::string_view stem = stemWordView(word, code);
    if (!stem.empty()) {
      d.stemmerFitsIndex =
          d.stemmerFitsIndex && (code != "ru" || dict_detail::stemFitsIndex(word, stem));
      d.stems.emplace(stem);
    }
    d.ranks.try_emplace(std::move(word), accepted);
  }
  lineNo = 0;
  for (std::string_view line; nextLine(formsText, line);) {
    std::string form = toLower(trimSpace(line));
    dict_detail::foldYo(std::string(form), form);
    if (!form.empty() && matchesDictScript(form, code)) d.forms.insert(std::move(form));
  }
  return d;
}

DictImageParts compileDict(const DictSource& source) {
  DictImageParts parts;
  parts.lang = source.lang;
  const auto passes = [&](std::string_view x) { return matchesDictScript(x, source.lang); };
  bool filtered = source.stemmerFitsIndex;
  std::vector<DictTrie::Key> keys;
  keys.reserve(source.ranks.size() + source.stems.size());
  for (const auto& [word, rank] : source.ranks) {
    keys.push_back({word, DictTrie::kWordFlag});
    filtered = filtered && passes(word);
  }
  for (const std::string& stem : source.stems) {
    keys.push_back({stem, DictTrie::kStemFlag});
    filtered = filtered && passes(stem);
  }
  // The index leans on the script filter having kept every other script out
  // of the list, and on what this stemmer does to Russian words; a list that
  // breaks either is looked up rule by rule.
  parts.indexed = filtered;
  parts.trie = DictTrie::build(std::move(keys));
  parts.wordCount = static_cast<uint32_t>(source.ranks.size());
  parts.stemCount = static_cast<uint32_t>(source.stems.size());
  // Ranks in node order: each word's node is where its walk ends.
  const DictTrie trie(parts.trie.firstChild, parts.trie.labels, parts.trie.flags);
  std::vector<uint32_t> rankAtNode(trie.nodeCount(), 0);
  for (const auto& [word, rank] : source.ranks) {
    rankAtNode[trie.walk(DictTrie::kRoot, word)] = static_cast<uint32_t>(rank);
  }
  parts.ranks.reserve(source.ranks.size());
  for (size_t n = 0; n < trie.nodeCount(); ++n) {
    if (trie.isWord(static_cast<DictTrie::Node>(n))) parts.ranks.push_back(rankAtNode[n]);
  }

  // A list word is a known form already.
  std::vector<std::string> forms;
  for (const std::string& f : source.forms) {
    if (!source.ranks.contains(f) && f.size() <= FrontCodedSet::kMaxBytes) forms.push_back(f);
  }
  std::sort(forms.begin(), forms.end());
  parts.formCount = static_cast<uint32_t>(forms.size());
  parts.forms = FrontCodedSet::build(forms);
  parts.longestAccepted = static_cast<uint32_t>(longestAccepted(source));
  return parts;
}

Dict dictFromSource(const DictSource& source) {
  // An image laid out here is well formed by construction.
  return Dict(DictImage::own(layOutDictImage(compileDict(source))).value());
}

Result<Dict> loadDictFromText(std::string_view code, std::string_view text,
                              std::string_view formsText) {
  Result<DictSource> source = parseDictSource(code, text, formsText);
  if (!source) return source.error();
  return dictFromSource(*source);
}

}  // namespace vyx
