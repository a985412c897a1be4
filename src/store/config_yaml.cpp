// The settings record as YAML: read without strict keys (unknown keys
// ignored, a key that is absent keeps its value), written in a fixed layout.
#include <yaml-cpp/yaml.h>

#include <map>
#include <mutex>
#include <utility>

#include "log/format.h"
#include "store/config.h"
#include "store/utf8_valid.h"
#include "text/utf8.h"

namespace vyx {

namespace {

// The most the excluded applications may take once read. Aliases let a small
// file name one long text thousands of times; without aliases a file within
// its own size limit never comes near this.
constexpr size_t kMaxListBytes = size_t{1} << 20;

// The characters a YAML stream may hold: tab, line breaks and printable
// ones. The parser mangles the others (a NUL byte becomes a broken one).
bool yamlPrintableChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0x7E) || c == 0x85 ||
         (c >= 0xA0 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) || c >= 0x10000;
}

// The character at s[i], moving i past it; a byte that starts no
// well-formed sequence reads as U+FFFD (callers check UTF-8 first).
char32_t nextChar(std::string_view s, size_t& i) {
  char32_t c = 0;
  const size_t len = decodeUtf8At(s, i, c);
  i += len == 0 ? 1 : len;
  return len == 0 ? 0xFFFD : c;
}

bool yamlPrintable(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    if (!yamlPrintableChar(nextChar(text, i))) return false;
  }
  return true;
}

int lineOf(const YAML::Node& n) {
  return n.Mark().line + 1;
}

// A quoted scalar is a string even when it reads "true" or "5".
bool isQuoted(const YAML::Node& n) {
  return n.Tag() == "!";
}

std::string kindOf(const YAML::Node& n) {
  if (n.IsMap()) return "!!map";
  if (n.IsSequence()) return "!!seq";
  return quote(n.Scalar());
}

class Decoder final {
 public:
  explicit Decoder(Config& into) : c_(into) {}

  void member(const std::string& name, const YAML::Node& v) {
    if (name == "enabled") {
      decodeScalar<bool>(v, c_.Enabled, "bool");
    } else if (name == "primary_language") {
      if (v.IsNull()) return;
      if (v.IsScalar() && isValidUtf8(v.Scalar())) {
        c_.PrimaryLanguage = v.Scalar();
      } else {
        fail(v, "string");
      }
    } else if (name == "min_word_length") {
      decodeScalar<int64_t>(v, c_.MinWordLength, "int64");
    } else if (name == "excluded_apps") {
      decodeList(v);
    }
  }

  void problem(std::string text) { problems_.push_back(std::move(text)); }

  [[nodiscard]] Status result() const {
    if (problems_.empty()) return {};
    std::string text = "yaml: unmarshal errors:";
    for (const std::string& p : problems_) text += " " + p + ";";
    text.pop_back();
    return Error(std::move(text));
  }

 private:
  template <class T>
  void decodeScalar(const YAML::Node& v, T& out, const char* type) {
    if (v.IsNull()) return;
    T value{};
    if (!v.IsScalar() || isQuoted(v) || !YAML::convert<T>::decode(v, value)) {
      fail(v, type);
      return;
    }
    out = value;
  }

  void decodeList(const YAML::Node& v) {
    if (v.IsNull()) {
      c_.ExcludedApps.clear();
      return;
    }
    if (!v.IsSequence()) {
      fail(v, "[]string");
      return;
    }
    std::vector<std::string> list;
    size_t bytes = 0;
    for (const YAML::Node& item : v) {
      if (item.IsNull()) {
        list.emplace_back();
      } else if (item.IsScalar() && isValidUtf8(item.Scalar())) {
        bytes += item.Scalar().size();
        if (bytes > kMaxListBytes) {
          problem(sformat("line %d: excluded_apps take more than 1 MiB once aliases are expanded",
                          lineOf(v)));
          return;
        }
        list.push_back(item.Scalar());
      } else {
        fail(item, "string");
      }
    }
    c_.ExcludedApps = std::move(list);
  }

  void fail(const YAML::Node& v, const char* type) {
    problem(sformat("line %d: cannot unmarshal %s into %s", lineOf(v), kindOf(v), type));
  }

  Config& c_;
  std::vector<std::string> problems_;
};

// Whether a character may stand as itself inside a double-quoted scalar and
// read back unchanged: printable, and neither a line break (which reading
// folds), the byte order mark, nor a tab (kept, but only as its escape is it
// plain to see).
bool standsAsItself(char32_t c) {
  return c >= 0x20 && c != 0x85 && c != 0x2028 && c != 0x2029 && c != 0xFEFF &&
         yamlPrintableChar(c);
}

void appendEscape(std::string& out, char32_t c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    default:
      break;
  }
  if (standsAsItself(c)) {
    appendUtf8(out, c);
    return;
  }
  const auto [prefix, digits] = c <= 0xFF     ? std::pair{"\\x", 2}
                                : c <= 0xFFFF ? std::pair{"\\u", 4}
                                              : std::pair{"\\U", 8};
  out += prefix;
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
    out += "0123456789ABCDEF"[(c >> shift) & 0xF];
  }
}

// A double-quoted scalar in which every character that could not stand as
// itself is escaped, so that reading gives back exactly these characters.
// The emitter cannot do that: it writes U+007F and U+FFFE raw (which the
// reader then refuses) and turns U+FFFE into U+FFFD when quoting.
std::string escapedScalar(std::string_view s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size();) appendEscape(out, nextChar(s, i));
  out += '"';
  return out;
}

// Whether a plain scalar could not carry this text unchanged: one that a
// reader would take for a boolean or a number, or one holding a character
// that does not stand as itself.
bool needsQuotes(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    if (!standsAsItself(nextChar(s, i))) return true;
  }
  const YAML::Node n{std::string(s)};
  bool b = false;
  double d = 0;
  return YAML::convert<bool>::decode(n, b) || YAML::convert<double>::decode(n, d);
}

Result<std::string> scalarText(const std::string& s) {
  // The reader refuses what is not UTF-8, so it is never written.
  if (!isValidUtf8(s)) return Error("yaml: invalid UTF-8");
  if (needsQuotes(s)) return escapedScalar(s);
  YAML::Emitter e;
  e.SetOutputCharset(YAML::EmitNonAscii);
  e << s;
  if (!e.good()) return Error("yaml: " + e.GetLastError());
  return std::string(e.c_str(), e.size());
}

}  // namespace

Status decodeConfig(std::string_view text, Config& into) {
  // Values that are not UTF-8 could not be written back as they were read.
  if (!isValidUtf8(text)) return Error("yaml: invalid UTF-8");
  if (!yamlPrintable(text)) return Error("yaml: control characters are not allowed");
  YAML::Node root;
  try {
    root = YAML::Load(std::string(text));
  } catch (const YAML::Exception& e) {
    return Error(sformat("yaml: line %d: %s", e.mark.line + 1, e.msg));
  }
  if (!root.IsDefined() || root.IsNull()) return {};
  Decoder decoder(into);
  if (!root.IsMap()) {
    decoder.problem(
        sformat("line %d: cannot unmarshal %s into the settings", lineOf(root), kindOf(root)));
    return decoder.result();
  }
  std::map<std::string, int> seen;
  try {
    for (const auto& kv : root) {
      if (!kv.first.IsScalar()) continue;
      const std::string& name = kv.first.Scalar();
      if (const auto it = seen.find(name); it != seen.end()) {
        decoder.problem(sformat("line %d: mapping key %q already defined at line %d",
                                lineOf(kv.first), name, it->second));
        continue;
      }
      seen.emplace(name, lineOf(kv.first));
      decoder.member(name, kv.second);
    }
  } catch (const YAML::Exception& e) {
    decoder.problem(sformat("line %d: %s", e.mark.line + 1, e.msg));
  }
  return decoder.result();
}

Result<std::string> encodeConfig(const Config& config) {
  bool enabled = false;
  std::string language;
  int64_t minLength = 0;
  std::vector<std::string> apps;
  {
    std::shared_lock lock(config.mu);
    enabled = config.Enabled;
    language = config.PrimaryLanguage;
    minLength = config.MinWordLength;
    apps = config.ExcludedApps;
  }
  Result<std::string> lang = scalarText(language);
  if (!lang) return lang.error();
  std::string out = "enabled: " + std::string(enabled ? "true" : "false") + "\n";
  out += "primary_language: " + *lang + "\n";
  out += "min_word_length: " + std::to_string(minLength) + "\n";
  if (apps.empty()) {
    out += "excluded_apps: []\n";
    return out;
  }
  out += "excluded_apps:\n";
  for (const std::string& app : apps) {
    Result<std::string> item = scalarText(app);
    if (!item) return item.error();
    out += "    - " + *item + "\n";
  }
  return out;
}

}  // namespace vyx
