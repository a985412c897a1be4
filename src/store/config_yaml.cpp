// The settings record as YAML: read without strict keys (unknown keys
// ignored, a key that is absent keeps its value), written in a fixed layout.
#include <yaml-cpp/yaml.h>

#include <map>
#include <mutex>

#include "log/format.h"
#include "store/config.h"
#include "store/utf8_valid.h"

namespace vyx {

namespace {

// The characters a YAML stream may hold: tab, line breaks and printable
// ones. The parser mangles the others (a NUL byte becomes a broken one).
bool yamlPrintable(std::string_view text) {
  char32_t c = 0;
  for (size_t i = 0; i < text.size();) {
    i += decodeUtf8At(text, i, c);
    const bool ok = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0x7E) || c == 0x85 ||
                    (c >= 0xA0 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) || c >= 0x10000;
    if (!ok) return false;
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
    for (const YAML::Node& item : v) {
      if (item.IsNull()) {
        list.emplace_back();
      } else if (item.IsScalar() && isValidUtf8(item.Scalar())) {
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

// Whether a plain scalar could not carry this text unchanged: one that a
// reader would take for a boolean or a number, or one holding characters
// that plain style folds away (control characters such as a carriage return).
bool needsQuotes(const std::string& s) {
  for (const char c : s) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  const YAML::Node n(s);
  bool b = false;
  double d = 0;
  return YAML::convert<bool>::decode(n, b) || YAML::convert<double>::decode(n, d);
}

Result<std::string> scalarText(const std::string& s) {
  YAML::Emitter e;
  e.SetOutputCharset(YAML::EmitNonAscii);
  if (needsQuotes(s)) e << YAML::DoubleQuoted;
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
