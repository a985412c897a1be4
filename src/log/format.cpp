#include "log/format.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <charconv>
#include <cstdio>

namespace vyx {
namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendHex(std::string& out, uint32_t v, int digits) {
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHex[(v >> shift) & 0xF];
}

// Printable as a log reader would see it: letters, marks, numbers,
// punctuation, symbols and the ASCII space; other spaces and controls are not.
bool isPrintable(UChar32 c) {
  if (c == ' ') return true;
  const uint32_t mask = U_GET_GC_MASK(c);
  return (mask & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK | U_GC_P_MASK | U_GC_S_MASK)) != 0;
}

// The escape of a character that is not written as it stands: C's short
// forms where there is one, else its code in hexadecimal.
void appendEscape(std::string& out, UChar32 c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\a':
      out += "\\a";
      return;
    case '\b':
      out += "\\b";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\v':
      out += "\\v";
      return;
    default:
      break;
  }
  if (c < ' ' || c == 0x7F) {
    out += "\\x";
    appendHex(out, static_cast<uint32_t>(c), 2);
  } else if (c < 0x10000) {
    out += "\\u";
    appendHex(out, static_cast<uint32_t>(c), 4);
  } else {
    out += "\\U";
    appendHex(out, static_cast<uint32_t>(c), 8);
  }
}

// s with every character that keep() refuses escaped, and each byte of an
// ill-formed sequence as \xNN on its own.
template <class Keep>
void appendEscaped(std::string& out, std::string_view s, Keep keep) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  const size_t len = s.size();
  size_t i = 0;
  while (i < len) {
    const size_t start = i;
    UChar32 c = 0;
    U8_NEXT(bytes, i, len, c);
    if (c < 0) {
      for (size_t j = start; j < i; ++j) {
        out += "\\x";
        appendHex(out, bytes[j], 2);
      }
    } else if (keep(c)) {
      out.append(s.substr(start, i - start));
    } else {
      appendEscape(out, c);
    }
  }
}

size_t codePoints(std::string_view s) {
  size_t n = 0;
  for (const char ch : s) {
    if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) ++n;
  }
  return n;
}

void appendUtf8(std::string& out, char32_t c) {
  char buf[4];
  int32_t len = 0;
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  U8_APPEND_UNSAFE(buf, len, static_cast<UChar32>(c));
  out.append(buf, static_cast<size_t>(len));
}

std::string plain(const FormatArg& a) {
  switch (a.kind()) {
    case FormatArg::Kind::Str:
      return std::string(a.str());
    case FormatArg::Kind::Int:
      return std::to_string(a.i());
    case FormatArg::Kind::Uint:
      return std::to_string(a.u());
    case FormatArg::Kind::Bool:
      return a.u() != 0 ? "true" : "false";
    case FormatArg::Kind::Char: {
      std::string s;
      appendUtf8(s, static_cast<char32_t>(a.u()));
      return s;
    }
    case FormatArg::Kind::Double: {
      char buf[64];
      const int n = std::snprintf(buf, sizeof buf, "%g", a.d());
      return std::string(buf, static_cast<size_t>(n));
    }
  }
  return {};
}

std::string verb(char v, const FormatArg& a) {
  switch (v) {
    case 'q':
      if (a.kind() == FormatArg::Kind::Char) {
        std::string s = quote(plain(a));
        s.front() = '\'';
        s.back() = '\'';
        return s;
      }
      return quote(plain(a));
    case 'x': {
      const uint64_t v64 = a.kind() == FormatArg::Kind::Int ? static_cast<uint64_t>(a.i()) : a.u();
      if (a.kind() == FormatArg::Kind::Str) {
        std::string s;
        for (const char ch : a.str()) appendHex(s, static_cast<unsigned char>(ch), 2);
        return s;
      }
      char buf[32];
      auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v64, 16);
      return std::string(buf, end);
    }
    case 'c':
      if (a.kind() == FormatArg::Kind::Str) return std::string(a.str());
      {
        std::string s;
        appendUtf8(s, static_cast<char32_t>(
                          a.kind() == FormatArg::Kind::Int ? static_cast<uint64_t>(a.i()) : a.u()));
        return s;
      }
    case 'd':
      if (a.kind() == FormatArg::Kind::Char) return std::to_string(a.u());
      return plain(a);
    default:  // v, s
      return plain(a);
  }
}

}  // namespace

std::string quote(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  out += '"';
  appendEscaped(out, s, [](UChar32 c) { return c != '"' && c != '\\' && isPrintable(c); });
  out += '"';
  return out;
}

std::string escapeControls(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  // Besides the controls: the marks that reorder text around them (a word
  // could then read as another) and the line and paragraph separators.
  appendEscaped(out, s, [](UChar32 c) {
    return (U_GET_GC_MASK(c) & (U_GC_CC_MASK | U_GC_ZL_MASK | U_GC_ZP_MASK)) == 0 &&
           !u_hasBinaryProperty(c, UCHAR_BIDI_CONTROL);
  });
  return out;
}

std::string formatArgs(std::string_view fmt, std::span<const FormatArg> args) {
  std::string out;
  out.reserve(fmt.size() + 16 * args.size());
  size_t next = 0;
  for (size_t i = 0; i < fmt.size(); ++i) {
    const char ch = fmt[i];
    if (ch != '%') {
      out += ch;
      continue;
    }
    if (i + 1 < fmt.size() && fmt[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool left = false;
    if (j < fmt.size() && fmt[j] == '-') {
      left = true;
      ++j;
    }
    size_t width = 0;
    while (j < fmt.size() && fmt[j] >= '0' && fmt[j] <= '9') width = width * 10 + (fmt[j++] - '0');
    if (j >= fmt.size()) {  // a dangling verb is kept as written
      out.append(fmt.substr(i));
      break;
    }
    const char v = fmt[j];
    i = j;
    std::string text;
    if (next < args.size()) {
      text = verb(v, args[next++]);
    } else {
      text = std::string("%!") + v + "(MISSING)";
    }
    const size_t n = codePoints(text);
    if (n < width && !left) out.append(width - n, ' ');
    out += text;
    if (n < width && left) out.append(width - n, ' ');
  }
  for (; next < args.size(); ++next) out += "%!(EXTRA " + plain(args[next]) + ")";
  return out;
}

}  // namespace vyx
