// An application's text field, responding to the events that reach it as a
// Mac text field does: the event's text typed at the caret over the
// selection, and the editing keys and Command shortcuts recognised by key
// code and flags, whatever the input source.
//
// Choices where a Mac varies by application or the simulation is simpler:
// - Keys held with Control insert nothing and edit nothing (the Emacs-style
//   Control bindings of Cocoa are not simulated); Command only works its
//   shortcuts (A, C, X, V, Z and the arrow and Backspace variants); Option
//   changes Backspace, Forward Delete and Left/Right to act on words.
// - Home and End move the caret to the start and end of the text.
// - The field is one column of fixed-width characters: a click at x puts
//   the caret before character round(x / kCharWidth), counted over the
//   whole text (line breaks included), clamped to its length.
//
// Threads: not synchronised; CoreState::mu guards every field.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "os/events.h"
#include "os/sim/desktop.h"

namespace vyx::os::sim {

inline constexpr double kCharWidth = 10;

// What a key asked of the world outside the field.
struct FieldEffect {
  std::optional<std::u32string> copy;  // put on the pasteboard as plain text
  bool undo = false;                   // Cmd+Z
};

class TextField final {
 public:
  [[nodiscard]] FieldState state() const;
  void set(const FieldState& state);

  // A key-down; pasteText is asked for the pasteboard's plain text on Cmd+V.
  FieldEffect keyDown(uint16_t keycode, EventFlags flags, std::u16string_view text,
                      const std::function<std::optional<std::string>()>& pasteText);
  // A left mouse down at x, and the drag that extends from it.
  void click(double x);
  void dragTo(double x);

  [[nodiscard]] static double xForCaret(size_t caret) {
    return static_cast<double>(caret) * kCharWidth;
  }

 private:
  enum class Unit : uint8_t { character, word, line, document };

  [[nodiscard]] size_t selStart() const { return std::min(caret_, anchor_); }
  [[nodiscard]] size_t selEnd() const { return std::max(caret_, anchor_); }
  [[nodiscard]] size_t caretForX(double x) const;
  [[nodiscard]] size_t lineStart(size_t pos) const;
  [[nodiscard]] size_t lineEnd(size_t pos) const;
  [[nodiscard]] size_t back(size_t pos, Unit unit) const;
  [[nodiscard]] size_t forward(size_t pos, Unit unit) const;
  [[nodiscard]] size_t vertical(size_t pos, bool up) const;

  void insert(std::u32string_view s);
  void erase(size_t from, size_t to);
  void moveTo(size_t pos, bool extend);
  void moveHorizontally(bool left, Unit unit, bool extend);
  void deleteBackward(Unit unit);
  void deleteForward(Unit unit);
  FieldEffect shortcut(uint16_t keycode,
                       const std::function<std::optional<std::string>()>& pasteText);

  std::u32string text_;
  size_t caret_ = 0;
  size_t anchor_ = 0;  // the selection's fixed end; equal to caret_ when none
};

}  // namespace vyx::os::sim
