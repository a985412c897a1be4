#include "os/sim/ui_text_metrics.h"

#include <algorithm>
#include <cmath>

#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx::os::sim {

namespace {

// Comparisons of summed advances allow for rounding in the last places.
constexpr double kEpsilon = 1e-9;

bool isZeroWidth(char32_t c) {
  return (c >= 0x200B && c <= 0x200F) || c == 0x2060 || (c >= 0xFE00 && c <= 0xFE0F) ||
         (c >= 0x0300 && c <= 0x036F) || (c >= 0x20D0 && c <= 0x20FF);
}

bool isSpace(char32_t c) {
  return c == U'\t' || isWhiteSpace(c);
}

bool in(std::u32string_view set, char32_t c) {
  return set.find(c) != std::u32string_view::npos;
}

double em(char32_t c) {
  if (isZeroWidth(c)) return 0;
  if (isSpace(c)) return 0.25;
  if (c == 0x2014 || c >= 0x2070) return 1.0;
  if (c >= 0x2000) return 0.5;
  if (in(U"fijlrtI!|.,:;'`()[]{}", c)) return 0.3;
  if (in(U"mwMW@%мжшщыюМЖШЩЫЮ", c)) return 0.8;
  if (isDigit(c)) return 0.6;
  if (isUpper(c)) return 0.65;
  if (isLetter(c)) return 0.5;
  return 0.45;
}

double weightFactor(FontWeight weight) {
  switch (weight) {
    case FontWeight::regular:
      return 1.00;
    case FontWeight::medium:
      return 1.02;
    case FontWeight::semibold:
      return 1.04;
    case FontWeight::bold:
      return 1.06;
  }
  return 1.0;
}

std::u32string trimEnd(std::u32string line) {
  while (!line.empty() && isSpace(line.back())) line.pop_back();
  return line;
}

// Greedy breaking of one paragraph. Tokens are runs of spaces and words (a
// single character each under character wrapping); spaces always join the
// line they follow, so the ones at a break hang there.
void wrapParagraph(std::u32string_view para, const Font& font, bool byCharacter, double width,
                   std::vector<std::u32string>& lines) {
  std::u32string line;
  double lineWidth = 0;  // spaces included
  const auto flush = [&] {
    lines.push_back(trimEnd(std::move(line)));
    line.clear();
    lineWidth = 0;
  };
  size_t i = 0;
  while (i < para.size()) {
    size_t end = i + 1;
    const bool spaces = isSpace(para[i]);
    if (spaces || !byCharacter) {
      while (end < para.size() && isSpace(para[end]) == spaces) ++end;
    }
    const std::u32string_view token = para.substr(i, end - i);
    i = end;
    const double w = textWidth(token, font);
    if (spaces) {
      line += token;
      lineWidth += w;
      continue;
    }
    if (!line.empty() && lineWidth + w > width + kEpsilon) flush();
    if (w <= width + kEpsilon) {
      line += token;
      lineWidth += w;
      continue;
    }
    // A word wider than a whole line: break it between characters.
    for (const char32_t c : token) {
      const double a = characterAdvance(c, font);
      if (!line.empty() && lineWidth + a > width + kEpsilon) flush();
      line += c;
      lineWidth += a;
    }
  }
  flush();
}

}  // namespace

double characterAdvance(char32_t c, const Font& font) {
  const double e = em(c);
  if (font.monospaced) return font.size * (c < 0x2000 && e > 0 ? 0.6 : e);
  return font.size * e * weightFactor(font.weight);
}

double textWidth(std::u32string_view text, const Font& font) {
  double w = 0;
  for (const char32_t c : text) w += characterAdvance(c, font);
  return w;
}

double lineHeight(const Font& font) {
  return std::ceil(font.size * 1.2 - kEpsilon);
}

std::vector<std::u32string> breakLines(std::string_view text, const Font& font, LineBreakMode mode,
                                       int64_t maximumLines, double width) {
  const std::u32string all = decodeUtf8(text);
  const bool wraps = mode == LineBreakMode::wordWrapping || mode == LineBreakMode::charWrapping;
  std::vector<std::u32string> lines;
  size_t start = 0;
  for (;;) {
    size_t end = all.find_first_of(U"\r\n", start);
    const std::u32string_view para =
        std::u32string_view(all).substr(start, end == std::u32string::npos ? end : end - start);
    if (wraps) {
      wrapParagraph(para, font, mode == LineBreakMode::charWrapping, width, lines);
    } else {
      lines.push_back(trimEnd(std::u32string(para)));
    }
    if (end == std::u32string::npos) break;
    if (all[end] == U'\r' && end + 1 < all.size() && all[end + 1] == U'\n') ++end;
    start = end + 1;
  }
  if (maximumLines > 0 && lines.size() > static_cast<size_t>(maximumLines)) {
    lines.resize(static_cast<size_t>(maximumLines));
  }
  return lines;
}

Size cellSize(std::string_view text, const Font& font, LineBreakMode mode, int64_t maximumLines,
              double boundsWidth) {
  const auto lines =
      breakLines(text, font, mode, maximumLines, boundsWidth - 2 * kTextFieldPadding);
  double widest = 0;
  for (const auto& line : lines) widest = std::max(widest, textWidth(line, font));
  return {std::ceil(widest - kEpsilon) + 2 * kTextFieldPadding,
          static_cast<double>(lines.size()) * lineHeight(font)};
}

}  // namespace vyx::os::sim
