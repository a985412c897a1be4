// Reads exceptions.json by streaming it through the JSON parser's event
// interface straight into the record: no document tree is built, so neither
// size nor nesting of unknown members can exhaust the stack, and members are
// seen in file order, so of two names that differ only in case the later
// one wins.
#include <nlohmann/json.hpp>

#include <limits>
#include <optional>
#include <string>

#include "store/exceptions_file.h"
#include "store/fold.h"
#include "text/utf8.h"

namespace vyx {

namespace {

using Json = nlohmann::json;

enum class Slot { Skip, Version, Updated, Entries, App, Word, Added, HitCount };
enum class Frame { Top, EntryList, Entry };
enum class Kind { Null, Bool, Integer, Float, String, Object, Array };

struct Value {
  Kind kind;
  int64_t integer = 0;
  bool integerFits = true;
  const std::string* text = nullptr;
};

Slot slotFor(Frame frame, std::string_view name) {
  if (frame == Frame::Top) {
    if (equalFold(name, "version")) return Slot::Version;
    if (equalFold(name, "updated")) return Slot::Updated;
    if (equalFold(name, "entries")) return Slot::Entries;
  } else if (frame == Frame::Entry) {
    if (equalFold(name, "app")) return Slot::App;
    if (equalFold(name, "word")) return Slot::Word;
    if (equalFold(name, "added")) return Slot::Added;
    if (equalFold(name, "hit_count")) return Slot::HitCount;
  }
  return Slot::Skip;
}

const char* kindName(Kind k) {
  switch (k) {
    case Kind::Null:
      return "null";
    case Kind::Bool:
      return "bool";
    case Kind::Integer:
    case Kind::Float:
      return "number";
    case Kind::String:
      return "string";
    case Kind::Object:
      return "object";
    case Kind::Array:
      return "array";
  }
  return "value";
}

class Reader final : public nlohmann::json_sax<Json> {
 public:
  ExceptionsFile file;
  std::string error;

  bool null() override { return value({Kind::Null}); }
  bool boolean(bool /*val*/) override { return value({Kind::Bool}); }
  bool number_integer(number_integer_t v) override { return value({Kind::Integer, v}); }
  bool number_unsigned(number_unsigned_t v) override {
    const bool fits = v <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    return value({Kind::Integer, fits ? static_cast<int64_t>(v) : 0, fits});
  }
  bool number_float(number_float_t /*v*/, const string_t& /*s*/) override {
    return value({Kind::Float});
  }
  bool string(string_t& s) override { return value({Kind::String, 0, true, &s}); }
  bool binary(binary_t& /*b*/) override { return value({Kind::String}); }
  bool start_object(std::size_t /*n*/) override { return value({Kind::Object}); }
  bool start_array(std::size_t /*n*/) override { return value({Kind::Array}); }
  bool end_object() override { return end(); }
  bool end_array() override { return end(); }

  bool key(string_t& name) override {
    if (skipDepth_ == 0) pending_ = slotFor(stack_.back(), name);
    return true;
  }

  bool parse_error(std::size_t /*pos*/, const std::string& /*token*/,
                   const nlohmann::detail::exception& e) override {
    error = e.what();
    return false;
  }

 private:
  bool end() {
    if (skipDepth_ > 0) {
      --skipDepth_;
    } else {
      stack_.pop_back();
    }
    return true;
  }

  bool value(const Value& v) {
    const bool container = v.kind == Kind::Object || v.kind == Kind::Array;
    if (skipDepth_ > 0) {
      if (container) ++skipDepth_;
      return true;
    }
    if (stack_.empty()) {  // the document itself
      if (v.kind == Kind::Null) return true;
      if (v.kind == Kind::Object) {
        stack_.push_back(Frame::Top);
        return true;
      }
      return typeError(v, "the exceptions file");
    }
    if (stack_.back() == Frame::EntryList) return element(v);
    const Slot slot = pending_;
    pending_ = Slot::Skip;
    switch (slot) {
      case Slot::Skip:
        if (container) skipDepth_ = 1;
        return true;
      case Slot::Version:
        return integer(v, file.Version, "version");
      case Slot::HitCount:
        return integer(v, file.Entries.back().HitCount, "hit_count");
      case Slot::Updated:
        return time(v, file.Updated, "updated");
      case Slot::Added:
        return time(v, file.Entries.back().Added, "added");
      case Slot::App:
        return text(v, file.Entries.back().App, "app");
      case Slot::Word:
        return text(v, file.Entries.back().Word, "word");
      case Slot::Entries:
        if (v.kind == Kind::Null) {
          file.Entries.clear();
          return true;
        }
        if (v.kind != Kind::Array) return typeError(v, "entries");
        file.Entries.clear();
        stack_.push_back(Frame::EntryList);
        return true;
    }
    return true;
  }

  bool element(const Value& v) {
    if (v.kind == Kind::Null) {
      file.Entries.emplace_back();
      return true;
    }
    if (v.kind != Kind::Object) return typeError(v, "an entry");
    file.Entries.emplace_back();
    stack_.push_back(Frame::Entry);
    return true;
  }

  bool integer(const Value& v, int64_t& out, const char* field) {
    if (v.kind == Kind::Null) return true;
    if (v.kind != Kind::Integer || !v.integerFits) return typeError(v, field);
    out = v.integer;
    return true;
  }

  bool text(const Value& v, std::string& out, const char* field) {
    if (v.kind == Kind::Null) return true;
    if (v.kind != Kind::String || v.text == nullptr) return typeError(v, field);
    out = *v.text;
    return true;
  }

  bool time(const Value& v, WallTime& out, const char* field) {
    if (v.kind == Kind::Null) return true;
    if (v.kind != Kind::String || v.text == nullptr) return typeError(v, field);
    const std::optional<WallTime> t = parseRfc3339(*v.text);
    if (!t) {
      error = std::string("parsing time \"") + *v.text + "\" of " + field + ": not RFC 3339";
      return false;
    }
    out = *t;
    return true;
  }

  bool typeError(const Value& v, const char* field) {
    error = std::string("cannot read a ") +
            (v.integerFits ? kindName(v.kind) : "too large number") + " as " + field;
    return false;
  }

  std::vector<Frame> stack_;
  Slot pending_ = Slot::Skip;
  int64_t skipDepth_ = 0;
};

}  // namespace

namespace {

std::optional<uint16_t> hexUnit(std::string_view s, size_t at) {
  if (at + 4 > s.size()) return std::nullopt;
  uint16_t v = 0;
  for (size_t i = at; i < at + 4; ++i) {
    const char c = s[i];
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) return std::nullopt;
    v = static_cast<uint16_t>(v << 4 | d);
  }
  return v;
}

bool isHigh(uint16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool isLow(uint16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// A \u escape of half a surrogate pair, without its other half, becomes
// \ufffd: one odd escape in a hand-edited file must not cost every entry.
std::string replaceLoneSurrogateEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (!inString || c != '\\' || i + 1 >= text.size()) {
      if (c == '"') inString = !inString;
      out += c;
      continue;
    }
    if (text[i + 1] != 'u') {  // any other escape, copied whole
      out.append(text.substr(i, 2));
      ++i;
      continue;
    }
    const std::optional<uint16_t> unit = hexUnit(text, i + 2);
    if (!unit || (!isHigh(*unit) && !isLow(*unit))) {
      out.append(text.substr(i, 2));
      ++i;
      continue;
    }
    const std::optional<uint16_t> next = i + 8 <= text.size() && text.substr(i + 6, 2) == "\\u"
                                             ? hexUnit(text, i + 8)
                                             : std::nullopt;
    const bool paired = isHigh(*unit) && next && isLow(*next);
    if (paired) {
      out.append(text.substr(i, 12));
      i += 11;
    } else {
      out += "\\ufffd";
      i += 5;
    }
  }
  return out;
}

}  // namespace

Result<ExceptionsFile> decodeExceptionsFile(std::string_view text) {
  // The parser takes a NUL byte for the end of its input, so whatever
  // followed one would be dropped without a word; JSON has no place for a
  // raw NUL anywhere.
  if (const size_t nul = text.find('\0'); nul != std::string_view::npos) {
    return Error("decode exceptions: NUL byte at offset " + std::to_string(nul));
  }
  // Stray bytes that are not UTF-8 become U+FFFD instead of condemning the
  // whole file, and so do escapes of half a surrogate pair.
  const std::string clean = replaceLoneSurrogateEscapes(encodeUtf8(decodeUtf8(text)));
  Reader reader;
  const bool ok = Json::sax_parse(clean.begin(), clean.end(), &reader,
                                  nlohmann::detail::input_format_t::json, true);
  if (!ok) return Error("decode exceptions: " + (reader.error.empty() ? "invalid" : reader.error));
  return std::move(reader.file);
}

}  // namespace vyx
