// Writes exceptions.json in one fixed layout, byte for byte the same for the
// same entries, so the file diffs cleanly and tests can compare it whole.
#include "store/exceptions_file.h"
#include "store/utf8_valid.h"

namespace vyx {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendUnicodeEscape(std::string& out, char32_t c) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
}

// JSON string escaping, plus \u escapes for the characters that are unsafe
// inside HTML or JavaScript; other non-ASCII characters are written as UTF-8,
// and a byte that is not part of valid UTF-8 as \ufffd.
void appendString(std::string& out, std::string_view s) {
  out += '"';
  for (size_t i = 0; i < s.size();) {
    char32_t c = 0;
    const size_t len = decodeUtf8At(s, i, c);
    if (len == 0) {
      appendUnicodeEscape(out, 0xFFFD);
      ++i;
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '<':
      case '>':
      case '&':
      case 0x2028:
      case 0x2029:
        appendUnicodeEscape(out, c);
        break;
      default:
        if (c < 0x20) {
          appendUnicodeEscape(out, c);
        } else {
          out.append(s.substr(i, len));
        }
    }
    i += len;
  }
  out += '"';
}

Status appendTime(std::string& out, const WallTime& t) {
  Result<std::string> text = formatRfc3339(t);
  if (!text) return Error("encode time: " + text.error().message());
  appendString(out, *text);
  return {};
}

}  // namespace

Result<std::string> encodeExceptionsFile(const ExceptionsFile& file) {
  std::string out = "{\n  \"version\": " + std::to_string(file.Version) + ",\n  \"updated\": ";
  if (Status s = appendTime(out, file.Updated); !s) return s.error();
  out += ",\n  \"entries\": ";
  if (file.Entries.empty()) {
    out += "[]\n}";
    return out;
  }
  out += "[\n";
  for (size_t i = 0; i < file.Entries.size(); ++i) {
    const Exception& e = file.Entries[i];
    out += "    {\n      \"app\": ";
    appendString(out, e.App);
    out += ",\n      \"word\": ";
    appendString(out, e.Word);
    out += ",\n      \"added\": ";
    if (Status s = appendTime(out, e.Added); !s) return s.error();
    out += ",\n      \"hit_count\": " + std::to_string(e.HitCount) + "\n    }";
    out += i + 1 < file.Entries.size() ? ",\n" : "\n";
  }
  out += "  ]\n}";
  return out;
}

}  // namespace vyx
