// printf-like formatting with the verbs of the program's log lines:
//   %v  plain form (an Error's message, a number, a string, a character)
//   %d  decimal integer      %s  string as it stands     %c  one character
//   %q  double-quoted string: '"', '\' and non-printable characters escaped,
//       printable characters (Cyrillic included) kept as they are
//   %x  lower-case hexadecimal   %%  a literal percent sign
// A width ("%-40s", "%5d") pads with spaces to that many code points, on the
// left or with '-' on the right, and never cuts a longer value.
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "log/error.h"

namespace vyx {

class FormatArg final {
 public:
  enum class Kind { Str, Int, Uint, Char, Bool, Double };

  FormatArg(std::string_view s) : kind_(Kind::Str), str_(s) {}        // NOLINT
  FormatArg(const std::string& s) : kind_(Kind::Str), str_(s) {}      // NOLINT
  FormatArg(const char* s) : kind_(Kind::Str), str_(s ? s : "") {}    // NOLINT
  FormatArg(const Error& e) : kind_(Kind::Str), str_(e.message()) {}  // NOLINT
  FormatArg(char32_t c) : kind_(Kind::Char), u_(c) {}                 // NOLINT
  FormatArg(bool b) : kind_(Kind::Bool), u_(b ? 1 : 0) {}             // NOLINT
  FormatArg(double d) : kind_(Kind::Double), d_(d) {}                 // NOLINT
  template <std::signed_integral I>
  FormatArg(I i) : kind_(Kind::Int), i_(static_cast<int64_t>(i)) {}  // NOLINT
  template <std::unsigned_integral U>
  requires(!std::same_as<U, bool> && !std::same_as<U, char32_t>) FormatArg(U u)
      : kind_(Kind::Uint), u_(static_cast<uint64_t>(u)) {}  // NOLINT

  [[nodiscard]] Kind kind() const { return kind_; }
  [[nodiscard]] std::string_view str() const { return str_; }
  [[nodiscard]] int64_t i() const { return i_; }
  [[nodiscard]] uint64_t u() const { return u_; }
  [[nodiscard]] double d() const { return d_; }

 private:
  Kind kind_;
  std::string_view str_;
  int64_t i_ = 0;
  uint64_t u_ = 0;
  double d_ = 0;
};

[[nodiscard]] std::string formatArgs(std::string_view fmt, std::span<const FormatArg> args);

template <class... A>
[[nodiscard]] std::string sformat(std::string_view fmt, const A&... args) {
  const std::array<FormatArg, sizeof...(A)> list{FormatArg(args)...};
  return formatArgs(fmt, list);
}

// The %q form of one string.
[[nodiscard]] std::string quote(std::string_view s);
// s as it stands but for its control characters, bidirectional marks, line
// and paragraph separators and ill-formed bytes, escaped as %q escapes them:
// a hand-edited value cannot drive the terminal, show as another word or
// break a one-line-per-entry listing.
[[nodiscard]] std::string escapeControls(std::string_view s);

}  // namespace vyx
