#include "pipeline/buffer.h"

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

// A bracket or quotation mark typed as the first key of a word ("[" is the
// key of х, and a quotation mark the key of Э): before a capital's key it
// opened the text that the capital begins ("[<jkmijq" is [Большой).
bool opensBeforeCapital(char32_t c) {
  return c == U'[' || c == U'"';
}

void logSpecialChar(char32_t r) {
  std::array<char, 16> hex{};
  std::snprintf(hex.data(), hex.size(), "%04X", static_cast<unsigned>(r));
  vlog("Buffer.Add special char: %q (U+%s)", encodeUtf8(r), hex.data());
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
    if (lead != Lead::mark) {
      if (chars.empty()) {
        chars.push_back(r);
        return false;
      }
      // The opening mark stays on screen before the word; the word that a
      // fix replaces begins after it.
      if (chars.size() == 1 && opensBeforeCapital(chars.front())) {
        chars.front() = r;
        lead = Lead::opening;
        return false;
      }
    }
  }
  return append(r);
}

bool Buffer::endsWordLocked(char32_t r) const {
  // A hyphen after white space begins a command-line option ("-rf",
  // "--log-level=debug"), which only white space ends, so that it is judged,
  // and left, whole: its inner hyphens and "=" do not cut it.
  if (!chars.empty() && chars.front() == U'-') return isWhiteSpace(r);
  if (r == U'-' && chars.empty()) return lead != Lead::space;
  return isWordBoundary(r);
}

bool Buffer::append(char32_t r) {
  std::string word;
  {
    const std::lock_guard lock(mu);
    if (!endsWordLocked(r)) {
      chars.push_back(r);
      return false;
    }
    if (isWhiteSpace(r)) {
      lead = Lead::space;
    } else {
      lead = isOpeningPunct(r) ? Lead::opening : Lead::mark;
    }
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
  // Erasing within the word keeps what came before it; erasing before the
  // word leaves that unknown, as a fresh start.
  if (chars.empty()) {
    lead = Lead::space;
  } else {
    chars.pop_back();
  }
}

void Buffer::Clear() {
  const std::lock_guard lock(mu);
  chars.clear();
  lead = Lead::space;
}

std::string Buffer::CurrentWord() const {
  const std::lock_guard lock(mu);
  return encodeUtf8(chars);
}

std::string Buffer::FlushWord() {
  const std::lock_guard lock(mu);
  std::string word = encodeUtf8(chars);
  chars.clear();
  lead = Lead::space;
  return word;
}

}  // namespace vyx
