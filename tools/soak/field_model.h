// What a text field must hold after a person's keys, whatever vyx did with
// them: the keys themselves, in order, at the place the person put them.
// vyx may show a key as either layout gives it, or as its own conversions
// make of that (a correction, an undo, double Shift, a selection
// conversion), but it may lose, repeat or reorder none.
//
// Mirrors the simulated text field for the keys the soak presses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "os/sim/desktop.h"

namespace vyx::soak {

struct TypedKey {
  uint16_t keycode = 0;
  bool shift = false;
};

// Every character a key may show in the field.
[[nodiscard]] std::u32string allowedChars(TypedKey key);

class FieldModel final {
 public:
  void type(TypedKey key);  // a character key, Return or Tab
  void backspace();
  void left();
  void right();
  void home();
  void end();
  void selectAll();
  void click(size_t caret);
  // Cmd+Shift+X: the selection pasted back converted; the caret after it.
  void convertSelection();
  void clear();
  [[nodiscard]] size_t length() const { return keys_.size(); }

  // What differs between the field and the model, or nothing.
  [[nodiscard]] std::optional<std::string> compare(const os::sim::FieldState& field) const;
  // How many pressed keys the field lacks, and how many characters it has
  // that no key accounts for, over the longest run they share in order (a
  // key out of its place counts once each way).
  [[nodiscard]] std::pair<size_t, size_t> missingAndExtra(const os::sim::FieldState& field) const;

 private:
  [[nodiscard]] size_t selStart() const { return std::min(caret_, anchor_); }
  [[nodiscard]] size_t selEnd() const { return std::max(caret_, anchor_); }
  void collapse(size_t at) { caret_ = anchor_ = at; }

  std::vector<TypedKey> keys_;
  size_t caret_ = 0;
  size_t anchor_ = 0;
};

}  // namespace vyx::soak
