#include "pipeline/buffer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "detect/keymaps.h"
#include "log/logger.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {
namespace {

// Ordinary letters are too frequent to be worth a verbose line each.
bool isPlainLetterOrSpace(char32_t r) {
  return (r >= U'a' && r <= U'z') || (r >= U'A' && r <= U'Z') || (r >= U'а' && r <= U'я') ||
         (r >= U'А' && r <= U'Я') || r == U' ';
}

// Only hyphens so far: the start of a command-line option.
bool startsOption(std::u32string_view chars) {
  return std::all_of(chars.begin(), chars.end(), [](char32_t c) { return c == U'-'; });
}

void logSpecialChar(char32_t r) {
  std::array<char, 16> hex{};
  std::snprintf(hex.data(), hex.size(), "%04X", static_cast<unsigned>(r));
  logf("Buffer.Add special char: %q (U+%s)", encodeUtf8(r), hex.data());
}

}  // namespace

bool isWordBoundary(char32_t r) {
  if (isWhiteSpace(r)) return true;
  if (isLetter(r) || isDigit(r)) return false;
  if (punctLetterKeys.contains(r) || shiftDigitPunct.contains(r)) return false;
  return true;
}

Buffer::Buffer(OnWord onWord) : onWord(std::move(onWord)) {
  chars.reserve(64);
}

bool Buffer::Add(char32_t r) {
  if (verboseOn() && !isPlainLetterOrSpace(r)) logSpecialChar(r);
  return append(r);
}

bool Buffer::AddCapitalLetterKey(char32_t r) {
  if (verboseOn()) logSpecialChar(r);
  {
    const std::lock_guard lock(mu);
    if (chars.empty() && !afterMark) {
      chars.push_back(r);
      return false;
    }
  }
  return append(r);
}

bool Buffer::append(char32_t r) {
  std::string word;
  {
    const std::lock_guard lock(mu);
    // A hyphen after white space begins a command-line option ("-rf",
    // "--save"), which stays one word, so that it is judged, and left, whole.
    const bool optionDash = r == U'-' && (chars.empty() ? !afterMark : startsOption(chars));
    if (!isWordBoundary(r) || optionDash) {
      chars.push_back(r);
      afterMark = false;
      return false;
    }
    afterMark = !isWhiteSpace(r);
    if (chars.empty()) return false;
    if (sentenceEndPunct.contains(r)) chars.push_back(r);
    word = encodeUtf8(chars);
    chars.clear();
  }
  // Outside the lock: the callback may clear the buffer (context invalidation).
  if (!onWord) return false;
  return onWord(word, r);
}

void Buffer::Backspace() {
  const std::lock_guard lock(mu);
  if (!chars.empty()) chars.pop_back();
  afterMark = false;
}

void Buffer::Clear() {
  const std::lock_guard lock(mu);
  chars.clear();
  afterMark = false;
}

std::string Buffer::CurrentWord() const {
  const std::lock_guard lock(mu);
  return encodeUtf8(chars);
}

std::string Buffer::FlushWord() {
  const std::lock_guard lock(mu);
  std::string word = encodeUtf8(chars);
  chars.clear();
  afterMark = false;
  return word;
}

}  // namespace vyx
