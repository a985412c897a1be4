#include "os/sim/text_field.h"

#include <algorithm>
#include <cmath>

#include "os/sim/key_codes.h"
#include "os/sim/utf16.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx::os::sim {

namespace {

bool isWordChar(char32_t c) {
  return isLetter(c) || isDigit(c);
}

// The characters a key event types: control characters and the function
// keys' private-use range are keys, not text.
bool typeable(char32_t c) {
  return c >= 0x20 && c != 0x7F && !(c >= 0xF700 && c <= 0xF8FF);
}

}  // namespace

FieldState TextField::state() const {
  return {encodeUtf8(text_), caret_, selStart(), selEnd() - selStart()};
}

void TextField::set(const FieldState& state) {
  text_ = decodeUtf8(state.text);
  const size_t start = std::min(state.selectionStart, text_.size());
  const size_t end = std::min(start + state.selectionLength, text_.size());
  caret_ = std::min(state.caret, text_.size());
  if (start == end) {
    anchor_ = caret_;
  } else if (caret_ == start) {
    anchor_ = end;
  } else {
    caret_ = end;
    anchor_ = start;
  }
}

size_t TextField::caretForX(double x) const {
  const double index = std::round(std::max(0.0, x) / kCharWidth);
  return std::min(static_cast<size_t>(index), text_.size());
}

void TextField::click(double x) {
  caret_ = anchor_ = caretForX(x);
}

void TextField::dragTo(double x) {
  caret_ = caretForX(x);
}

size_t TextField::lineStart(size_t pos) const {
  while (pos > 0 && text_[pos - 1] != U'\n') --pos;
  return pos;
}

size_t TextField::lineEnd(size_t pos) const {
  while (pos < text_.size() && text_[pos] != U'\n') ++pos;
  return pos;
}

size_t TextField::back(size_t pos, Unit unit) const {
  switch (unit) {
    case Unit::character:
      return pos > 0 ? pos - 1 : 0;
    case Unit::word:
      while (pos > 0 && !isWordChar(text_[pos - 1])) --pos;
      while (pos > 0 && isWordChar(text_[pos - 1])) --pos;
      return pos;
    case Unit::line:
      return lineStart(pos);
    case Unit::document:
      return 0;
  }
  return pos;
}

size_t TextField::forward(size_t pos, Unit unit) const {
  switch (unit) {
    case Unit::character:
      return std::min(pos + 1, text_.size());
    case Unit::word:
      while (pos < text_.size() && !isWordChar(text_[pos])) ++pos;
      while (pos < text_.size() && isWordChar(text_[pos])) ++pos;
      return pos;
    case Unit::line:
      return lineEnd(pos);
    case Unit::document:
      return text_.size();
  }
  return pos;
}

// Up and Down keep the column where the neighbouring line is long enough;
// from the first line Up goes to the start, from the last Down to the end.
size_t TextField::vertical(size_t pos, bool up) const {
  const size_t start = lineStart(pos);
  const size_t column = pos - start;
  if (up) {
    if (start == 0) return 0;
    const size_t prev = lineStart(start - 1);
    return std::min(prev + column, start - 1);
  }
  const size_t end = lineEnd(pos);
  if (end == text_.size()) return end;
  return std::min(end + 1 + column, lineEnd(end + 1));
}

void TextField::insert(std::u32string_view s) {
  const size_t start = selStart();
  text_.replace(start, selEnd() - start, s);
  caret_ = anchor_ = start + s.size();
}

void TextField::erase(size_t from, size_t to) {
  text_.erase(from, to - from);
  caret_ = anchor_ = from;
}

void TextField::moveTo(size_t pos, bool extend) {
  caret_ = pos;
  if (!extend) anchor_ = pos;
}

void TextField::moveHorizontally(bool left, Unit unit, bool extend) {
  // A plain Left or Right collapses a selection to its edge first.
  if (!extend && unit == Unit::character && caret_ != anchor_) {
    moveTo(left ? selStart() : selEnd(), false);
    return;
  }
  moveTo(left ? back(caret_, unit) : forward(caret_, unit), extend);
}

void TextField::deleteBackward(Unit unit) {
  if (caret_ != anchor_) return erase(selStart(), selEnd());
  size_t from = back(caret_, unit);
  if (from == caret_ && caret_ > 0) from = caret_ - 1;  // Cmd+Backspace at a line start
  erase(from, caret_);
}

void TextField::deleteForward(Unit unit) {
  if (caret_ != anchor_) return erase(selStart(), selEnd());
  erase(caret_, forward(caret_, unit));
}

FieldEffect TextField::shortcut(uint16_t keycode,
                                const std::function<std::optional<std::string>()>& pasteText) {
  FieldEffect effect;
  const std::u32string selected = text_.substr(selStart(), selEnd() - selStart());
  switch (keycode) {
    case key::kA:
      anchor_ = 0;
      caret_ = text_.size();
      break;
    case key::kC:
      if (!selected.empty()) effect.copy = selected;
      break;
    case key::kX:
      if (!selected.empty()) {
        effect.copy = selected;
        erase(selStart(), selEnd());
      }
      break;
    case key::kV:
      if (auto s = pasteText()) insert(decodeUtf8(*s));
      break;
    case key::kZ:
      effect.undo = true;
      break;
    default:
      break;
  }
  return effect;
}

FieldEffect TextField::keyDown(uint16_t keycode, EventFlags flags, std::u16string_view text,
                               const std::function<std::optional<std::string>()>& pasteText) {
  const bool shift = (flags & kEventFlagMaskShift) != 0;
  const bool control = (flags & kEventFlagMaskControl) != 0;
  const bool option = (flags & kEventFlagMaskAlternate) != 0;
  const bool command = (flags & kEventFlagMaskCommand) != 0;
  if (control) return {};
  const Unit horizontal = command ? Unit::line : option ? Unit::word : Unit::character;
  switch (keycode) {
    case key::kBackspace:
      deleteBackward(horizontal);
      return {};
    case key::kForwardDelete:
      deleteForward(option ? Unit::word : Unit::character);
      return {};
    case key::kReturn:
    case key::kKeypadEnter:
      if (!command) insert(U"\n");
      return {};
    case key::kTab:
      if (!command) insert(U"\t");
      return {};
    case key::kLeft:
    case key::kRight:
      moveHorizontally(keycode == key::kLeft, horizontal, shift);
      return {};
    case key::kUp:
    case key::kDown:
      moveTo(command ? (keycode == key::kUp ? 0 : text_.size())
                     : vertical(caret_, keycode == key::kUp),
             shift);
      return {};
    case key::kHome:
      moveTo(0, shift);
      return {};
    case key::kEnd:
      moveTo(text_.size(), shift);
      return {};
    default:
      break;
  }
  if (command) {
    // Shift, Option or Control make other commands (Redo, paste and match
    // style, ...), which the field does not have.
    if (shift || option) return {};
    return shortcut(keycode, pasteText);
  }
  std::u32string typed = fromUtf16(text);
  std::erase_if(typed, [](char32_t c) { return !typeable(c); });
  if (!typed.empty()) insert(typed);
  return {};
}

}  // namespace vyx::os::sim
