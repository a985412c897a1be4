#include "pipeline/layout_keys.h"

#include <string_view>

#include "detect/keymaps.h"
#include "pipeline/key_codes.h"
#include "text/unicode.h"

namespace vyx {

namespace {

using namespace std::string_view_literals;

// By virtual key code, 0 to 50 (A is 0, the grave accent key 50); U+0000
// where the key gives no character of its own (Return, Tab, Space, the ISO
// key 10, which an ANSI keyboard lacks).
struct Layer {
  std::u32string_view plain;
  std::u32string_view shifted;
};

constexpr size_t kKeys = 51;

constexpr Layer kUS{U"asdfhgzxcv\0bqweryt123465=97-80]ou[ip\0lj'k;\\,/nm.\0\0`"sv,
                    U"ASDFHGZXCV\0BQWERYT!@#$^%+(&_*)}OU{IP\0LJ\"K:|<?NM>\0\0~"sv};
// On the Mac layout ё is on the backslash key, the key left of 1 gives
// ] and [, and Shift with the digits gives ! " № % : , . ; ( ).
constexpr Layer kRussianMac{U"фыварпячсм\0ийцукне123465=97-80ъщгхшз\0доэлжёб/тью\0\0]"sv,
                            U"ФЫВАРПЯЧСМ\0ИЙЦУКНЕ!\"№%,:+(._;)ЪЩГХШЗ\0ДОЭЛЖЁБ?ТЬЮ\0\0["sv};
// The Windows arrangement: ё left of 1, the full stop and comma on the
// slash key, a backslash where the Mac has ё.
constexpr Layer kRussianPC{U"фыварпячсм\0ийцукне123465=97-80ъщгхшз\0доэлж\\б.тью\0\0ё"sv,
                           U"ФЫВАРПЯЧСМ\0ИЙЦУКНЕ!\"№;:%+(?_*)ЪЩГХШЗ\0ДОЭЛЖ/Б,ТЬЮ\0\0Ё"sv};

constexpr bool complete(const Layer& l) {
  return l.plain.size() == kKeys && l.shifted.size() == kKeys;
}
static_assert(complete(kUS) && complete(kRussianMac) && complete(kRussianPC));

constexpr int64_t kFlagsShortcut = kFlagControl | kFlagOption | kFlagCommand;

const Layer* layerOf(KeyLayout layout) {
  switch (layout) {
    case KeyLayout::us:
      return &kUS;
    case KeyLayout::russianMac:
      return &kRussianMac;
    case KeyLayout::russianPC:
      return &kRussianPC;
    case KeyLayout::other:
      break;
  }
  return nullptr;
}

}  // namespace

std::optional<char32_t> layoutKeyChar(KeyLayout layout, uint16_t keycode, int64_t flags) {
  const Layer* layer = layerOf(layout);
  if (layer == nullptr || keycode >= kKeys || (flags & kFlagsShortcut) != 0) return std::nullopt;
  const char32_t plain = layer->plain[keycode];
  const char32_t shifted = layer->shifted[keycode];
  if (plain == 0) return std::nullopt;
  // Caps Lock gives the capital of a letter and nothing else; with Shift
  // too it is still the capital.
  const bool capsApplies =
      (flags & kFlagCapsLock) != 0 && isLetter(plain) && toUpper(plain) == shifted;
  return (flags & kFlagShift) != 0 || capsApplies ? shifted : plain;
}

std::optional<char32_t> rereadKey(KeyLayout from, KeyLayout to, uint16_t keycode, int64_t flags,
                                  std::u16string_view text) {
  const std::optional<char32_t> was = layoutKeyChar(from, keycode, flags);
  if (!was || text.size() != 1 || text.front() != *was) return std::nullopt;
  return layoutKeyChar(to, keycode, flags);
}

bool isCapitalLetterKeyPress(uint16_t keycode, char32_t ch) {
  return isCapitalLetterKey(ch) && layoutKeyChar(KeyLayout::us, keycode, kFlagShift) == ch;
}

}  // namespace vyx
