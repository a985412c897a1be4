#include "field_model.h"

#include <algorithm>

#include "detect/keymaps.h"
#include "os/events.h"
#include "text/utf8.h"

namespace vyx::soak {

namespace {

using os::sim::Desktop;
using os::sim::KeyLayout;

constexpr uint16_t kReturn = 36;
constexpr uint16_t kTab = 48;

std::string describe(const std::u32string& chars) {
  std::string out;
  for (char32_t c : chars) {
    if (c == U'\n') {
      out += "\\n";
    } else if (c == U'\t') {
      out += "\\t";
    } else {
      out += encodeUtf8(std::u32string(1, c));
    }
  }
  return out;
}

}  // namespace

std::u32string allowedChars(TypedKey key) {
  if (key.keycode == kReturn) return U"\n";
  if (key.keycode == kTab) return U"\t";
  const os::EventFlags mods = key.shift ? os::kEventFlagMaskShift : 0;
  std::u32string out;
  for (KeyLayout layout : {KeyLayout::us, KeyLayout::russianMac}) {
    for (char16_t c : Desktop::keyText(layout, key.keycode, mods)) out.push_back(c);
  }
  // What the program's key maps make of those, and of that in turn.
  for (size_t i = 0; i < out.size(); ++i) {
    for (const auto* map : {&enToRu, &ruToEn, &shiftDigitPunct}) {
      auto it = map->find(out[i]);
      if (it != map->end() && out.find(it->second) == std::u32string::npos) {
        out.push_back(it->second);
      }
    }
  }
  return out;
}

void FieldModel::type(TypedKey key) {
  const size_t start = selStart();
  keys_.erase(keys_.begin() + static_cast<ptrdiff_t>(start),
              keys_.begin() + static_cast<ptrdiff_t>(selEnd()));
  keys_.insert(keys_.begin() + static_cast<ptrdiff_t>(start), key);
  collapse(start + 1);
}

void FieldModel::backspace() {
  size_t from = selStart();
  const size_t to = selEnd();
  if (from == to) {
    if (from == 0) return;
    --from;
  }
  keys_.erase(keys_.begin() + static_cast<ptrdiff_t>(from),
              keys_.begin() + static_cast<ptrdiff_t>(to));
  collapse(from);
}

void FieldModel::left() {
  collapse(caret_ != anchor_ ? selStart() : (caret_ > 0 ? caret_ - 1 : 0));
}

void FieldModel::right() {
  collapse(caret_ != anchor_ ? selEnd() : std::min(caret_ + 1, keys_.size()));
}

void FieldModel::home() {
  collapse(0);
}

void FieldModel::end() {
  collapse(keys_.size());
}

void FieldModel::selectAll() {
  anchor_ = 0;
  caret_ = keys_.size();
}

void FieldModel::click(size_t caret) {
  collapse(std::min(caret, keys_.size()));
}

void FieldModel::convertSelection() {
  if (caret_ != anchor_) collapse(selEnd());
}

void FieldModel::clear() {
  keys_.clear();
  collapse(0);
}

std::pair<size_t, size_t> FieldModel::missingAndExtra(const os::sim::FieldState& field) const {
  const std::u32string text = decodeUtf8(field.text);
  std::vector<std::u32string> allowed;
  allowed.reserve(keys_.size());
  for (const TypedKey& k : keys_) allowed.push_back(allowedChars(k));
  // Longest common subsequence, one row at a time.
  std::vector<size_t> prev(text.size() + 1, 0);
  std::vector<size_t> row(text.size() + 1, 0);
  for (size_t i = 1; i <= keys_.size(); ++i) {
    for (size_t j = 1; j <= text.size(); ++j) {
      row[j] = allowed[i - 1].find(text[j - 1]) != std::u32string::npos
                   ? prev[j - 1] + 1
                   : std::max(prev[j], row[j - 1]);
    }
    std::swap(prev, row);
  }
  const size_t shared = prev[text.size()];
  return {keys_.size() - shared, text.size() - shared};
}

std::optional<std::string> FieldModel::compare(const os::sim::FieldState& field) const {
  const std::u32string text = decodeUtf8(field.text);
  std::string diff;
  if (text.size() != keys_.size()) {
    diff += "length " + std::to_string(text.size()) + ", expected " + std::to_string(keys_.size()) +
            "; ";
  }
  const size_t n = std::min(text.size(), keys_.size());
  for (size_t i = 0; i < n; ++i) {
    if (allowedChars(keys_[i]).find(text[i]) != std::u32string::npos) continue;
    diff += "at " + std::to_string(i) + " \"" + describe(std::u32string(1, text[i])) +
            "\", expected one of \"" + describe(allowedChars(keys_[i])) + "\"; ";
    break;
  }
  if (field.caret != caret_ || field.selectionStart != selStart() ||
      field.selectionLength != selEnd() - selStart()) {
    diff += "caret " + std::to_string(field.caret) + "+" + std::to_string(field.selectionLength) +
            ", expected " + std::to_string(caret_) + "+" + std::to_string(selEnd() - selStart()) +
            "; ";
  }
  if (diff.empty()) return std::nullopt;
  return diff + "field \"" + describe(text) + "\"";
}

}  // namespace vyx::soak
