#include "os/sim/key_layouts.h"

#include <array>
#include <string_view>

#include "os/sim/key_codes.h"
#include "os/sim/utf16.h"
#include "text/unicode.h"

namespace vyx::os::sim {

namespace {

using namespace std::string_view_literals;

// The character keys of the main block, row by row from the top, left to
// right: ` 1 2 3 4 5 6 7 8 9 0 - =, q w e r t y u i o p [ ] \,
// a s d f g h j k l ; ', z x c v b n m , . / (named by their U.S. caps).
constexpr std::array<uint16_t, 47> kKeys = {50, 18, 19, 20, 21, 23, 22, 26, 28, 25, 29, 27, 24,  //
                                            12, 13, 14, 15, 17, 16, 32, 34, 31, 35, 33, 30, 42,  //
                                            0,  1,  2,  3,  5,  4,  38, 40, 37, 41, 39,          //
                                            6,  7,  8,  9,  11, 45, 46, 43, 47, 44};

// A layout: the character of each key of kKeys alone and with Shift, in the
// same order; U+0000 where the key gives no character (a dead key).
struct Layout {
  std::u32string_view base;
  std::u32string_view shifted;
};

constexpr Layout kUS{U"`1234567890-=qwertyuiop[]\\asdfghjkl;'zxcvbnm,./"sv,
                     U"~!@#$%^&*()_+QWERTYUIOP{}|ASDFGHJKL:\"ZXCVBNM<>?"sv};
// The Mac "Russian" layout: on an ANSI keyboard the key left of 1 gives
// ] and [, the backslash key gives ё, and Shift with the digits gives the
// punctuation (! " № % : , . ; ( )).
constexpr Layout kRussianMac{U"]1234567890-=йцукенгшщзхъёфывапролджэячсмитьбю/"sv,
                             U"[!\"№%:,.;()_+ЙЦУКЕНГШЩЗХЪЁФЫВАПРОЛДЖЭЯЧСМИТЬБЮ?"sv};
// Russian – PC: the Windows arrangement (ё left of 1, the period and comma
// on the slash key).
constexpr Layout kRussianPC{U"ё1234567890-=йцукенгшщзхъ\\фывапролджэячсмитьбю."sv,
                            U"Ё!\"№;%:?*()_+ЙЦУКЕНГШЩЗХЪ/ФЫВАПРОЛДЖЭЯЧСМИТЬБЮ,"sv};
// German (QWERTZ); the accent key right of ß is a dead key and gives nothing.
constexpr Layout kGerman{U"<1234567890ß\0qwertzuiopü+#asdfghjklöäyxcvbnm,.-"sv,
                         U">!\"§$%&/()=?\0QWERTZUIOPÜ*'ASDFGHJKLÖÄYXCVBNM;:_"sv};

constexpr bool complete(const Layout& l) {
  return l.base.size() == kKeys.size() && l.shifted.size() == kKeys.size();
}
static_assert(complete(kUS) && complete(kRussianMac) && complete(kRussianPC) && complete(kGerman));

const Layout* layoutOf(KeyLayout layout) {
  switch (layout) {
    case KeyLayout::us:
      return &kUS;
    case KeyLayout::russianMac:
      return &kRussianMac;
    case KeyLayout::russianPC:
      return &kRussianPC;
    case KeyLayout::german:
      return &kGerman;
    case KeyLayout::none:
      break;
  }
  return nullptr;
}

std::optional<size_t> indexOf(uint16_t keycode) {
  for (size_t i = 0; i < kKeys.size(); ++i) {
    if (kKeys[i] == keycode) return i;
  }
  return std::nullopt;
}

// Keys that are not characters of a layout: what they give in the key
// layout's terms, in AppKit's function-key range, and their own flags.
struct SpecialKey {
  uint16_t keycode;
  char16_t control;
  char16_t function;  // 0: the same as control
  EventFlags flags;
};

constexpr EventFlags kFn = kEventFlagMaskSecondaryFn;
constexpr EventFlags kPad = kEventFlagMaskNumericPad;
constexpr EventFlags kArrow = kFn | kPad;

constexpr auto kSpecial = std::to_array<SpecialKey>({
    {key::kSpace, u' ', 0, 0},
    {key::kReturn, 13, 0, 0},
    {key::kTab, 9, 0, 0},
    {key::kBackspace, 8, 0, 0},
    {key::kEscape, 27, 0, 0},
    {key::kKeypadEnter, 3, 0, kPad},
    {key::kForwardDelete, 127, 0xF728, kFn},
    {key::kHome, 1, 0xF729, kFn},
    {key::kEnd, 4, 0xF72B, kFn},
    {key::kPageUp, 11, 0xF72C, kFn},
    {key::kPageDown, 12, 0xF72D, kFn},
    {key::kLeft, 28, 0xF702, kArrow},
    {key::kRight, 29, 0xF703, kArrow},
    {key::kDown, 31, 0xF701, kArrow},
    {key::kUp, 30, 0xF700, kArrow},
    // F1 to F12.
    {122, 16, 0xF704, kFn},
    {120, 16, 0xF705, kFn},
    {99, 16, 0xF706, kFn},
    {118, 16, 0xF707, kFn},
    {96, 16, 0xF708, kFn},
    {97, 16, 0xF709, kFn},
    {98, 16, 0xF70A, kFn},
    {100, 16, 0xF70B, kFn},
    {101, 16, 0xF70C, kFn},
    {109, 16, 0xF70D, kFn},
    {103, 16, 0xF70E, kFn},
    {111, 16, 0xF70F, kFn},
    // The keypad gives the same on every layout.
    {65, u'.', 0, kPad},
    {67, u'*', 0, kPad},
    {69, u'+', 0, kPad},
    {71, 27, 0xF739, kPad},  // Clear
    {75, u'/', 0, kPad},
    {78, u'-', 0, kPad},
    {81, u'=', 0, kPad},
    {82, u'0', 0, kPad},
    {83, u'1', 0, kPad},
    {84, u'2', 0, kPad},
    {85, u'3', 0, kPad},
    {86, u'4', 0, kPad},
    {87, u'5', 0, kPad},
    {88, u'6', 0, kPad},
    {89, u'7', 0, kPad},
    {91, u'8', 0, kPad},
    {92, u'9', 0, kPad},
});

const SpecialKey* specialKey(uint16_t keycode) {
  for (const auto& k : kSpecial) {
    if (k.keycode == keycode) return &k;
  }
  return nullptr;
}

constexpr auto kModifiers = std::to_array<ModifierKey>({
    {key::kShift, kEventFlagMaskShift, 0x2},
    {key::kRightShift, kEventFlagMaskShift, 0x4},
    {key::kControl, kEventFlagMaskControl, 0x1},
    {key::kRightControl, kEventFlagMaskControl, 0x2000},
    {key::kOption, kEventFlagMaskAlternate, 0x20},
    {key::kRightOption, kEventFlagMaskAlternate, 0x40},
    {key::kCommand, kEventFlagMaskCommand, 0x8},
    {key::kRightCommand, kEventFlagMaskCommand, 0x10},
    {key::kFn, kEventFlagMaskSecondaryFn, 0},
    {key::kCapsLock, kEventFlagMaskAlphaShift, 0},
});

bool isAsciiLetter(char32_t c) {
  return c >= U'a' && c <= U'z';
}

}  // namespace

std::u16string layoutKeyText(KeyLayout layout, uint16_t keycode, EventFlags modifiers,
                             bool functionKeyText) {
  if (modifierKey(keycode)) return {};
  if (const SpecialKey* special = specialKey(keycode)) {
    const char16_t c =
        functionKeyText && special->function != 0 ? special->function : special->control;
    return std::u16string(1, c);
  }
  const Layout* table = layoutOf(layout);
  const auto index = indexOf(keycode);
  if (table == nullptr || !index) return {};
  if ((modifiers & kEventFlagMaskAlternate) != 0) return {};
  const char32_t base = table->base[*index];
  const char32_t shifted = table->shifted[*index];
  if (base == 0) return {};
  if ((modifiers & kEventFlagMaskControl) != 0) {
    const char32_t latin = isAsciiLetter(base) ? base : kUS.base[*index];
    if (isAsciiLetter(latin)) return std::u16string(1, static_cast<char16_t>(latin - U'a' + 1));
  }
  const bool capsApplies = isLetter(base) && toUpper(base) == shifted;
  const bool shift = (modifiers & kEventFlagMaskShift) != 0 ||
                     (capsApplies && (modifiers & kEventFlagMaskAlphaShift) != 0);
  return toUtf16(std::u32string(1, shift ? shifted : base));
}

std::optional<std::pair<uint16_t, Modifiers>> layoutKeyFor(KeyLayout layout, char32_t ch) {
  if (ch == U' ') return std::pair{key::kSpace, Modifiers{0}};
  if (ch == U'\n') return std::pair{key::kReturn, Modifiers{0}};
  if (ch == U'\t') return std::pair{key::kTab, Modifiers{0}};
  const Layout* table = layoutOf(layout);
  if (table == nullptr || ch == 0) return std::nullopt;
  if (auto i = table->base.find(ch); i != std::u32string_view::npos) {
    return std::pair{kKeys[i], Modifiers{0}};
  }
  if (auto i = table->shifted.find(ch); i != std::u32string_view::npos) {
    return std::pair{kKeys[i], Modifiers{kEventFlagMaskShift}};
  }
  return std::nullopt;
}

EventFlags keyOwnFlags(uint16_t keycode) {
  const SpecialKey* special = specialKey(keycode);
  return special != nullptr ? special->flags : 0;
}

std::optional<ModifierKey> modifierKey(uint16_t keycode) {
  for (const auto& m : kModifiers) {
    if (m.keycode == keycode) return m;
  }
  return std::nullopt;
}

uint16_t modifierKeyFor(EventFlags mask, EventFlags flags) {
  const ModifierKey* left = nullptr;
  for (const auto& m : kModifiers) {
    if (m.mask != mask) continue;
    if (left == nullptr) {
      left = &m;
    } else if (m.deviceBit != 0 && (flags & m.deviceBit) != 0) {
      return m.keycode;
    }
  }
  return left != nullptr ? left->keycode : 0;
}

}  // namespace vyx::os::sim
