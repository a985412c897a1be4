#include "pipeline/layout_keys.h"

#include <gtest/gtest.h>

#include "detect/keymaps.h"
#include "pipeline/key_codes.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx {
namespace {

// Keys of the person's keyboard that the program has no name for.
constexpr uint16_t kKeyA = 0;
constexpr uint16_t kKeyE = 14;
constexpr uint16_t kKey1 = 18;
constexpr uint16_t kKey6 = 22;
constexpr uint16_t kKey7 = 26;
constexpr uint16_t kKeyI = 34;
constexpr uint16_t kKeySlash = 44;
constexpr uint16_t kLastKey = kKeyGrave;

constexpr int64_t kCaps = kFlagCapsLock;
constexpr int64_t kShift = kFlagShift;

TEST(LayoutKeys, WhatAKeyGivesWithShiftAndCapsLock) {
  struct Case {
    KeyLayout layout;
    uint16_t keycode;
    int64_t flags;
    std::optional<char32_t> gives;
  };
  const Case cases[] = {
      {KeyLayout::us, kKeyA, 0, U'a'},
      {KeyLayout::us, kKeyA, kShift, U'A'},
      {KeyLayout::us, kKeyA, kCaps, U'A'},
      {KeyLayout::us, kKeyA, kCaps | kShift, U'A'},  // a Mac gives the capital still
      {KeyLayout::us, kKeyComma, kCaps, U','},       // Caps Lock leaves punctuation
      {KeyLayout::us, kKeyComma, kShift, U'<'},
      {KeyLayout::us, kKey6, kShift | 0x100 | 0x2, U'^'},  // device bits are no modifiers
      {KeyLayout::russianMac, kKeyComma, 0, U'б'},
      {KeyLayout::russianMac, kKeyComma, kCaps, U'Б'},
      {KeyLayout::russianMac, kKeyBackslash, 0, U'ё'},
      {KeyLayout::russianMac, kKeyGrave, 0, U']'},
      {KeyLayout::russianMac, kKey6, kShift, U','},
      {KeyLayout::russianMac, kKey7, kShift, U'.'},
      {KeyLayout::russianMac, kKeySlash, kShift, U'?'},
      {KeyLayout::russianPC, kKeySlash, 0, U'.'},
      {KeyLayout::russianPC, kKeySlash, kShift, U','},
      {KeyLayout::russianPC, kKeyGrave, kCaps, U'Ё'},
      {KeyLayout::russianPC, kKey7, kShift, U'?'},
      {KeyLayout::russianPC, kKey1, kCaps, U'1'},
      // Shortcuts, keys that are no characters, a layout the tables lack.
      {KeyLayout::us, kKeyA, kFlagCommand, std::nullopt},
      {KeyLayout::russianMac, kKeyA, kFlagControl, std::nullopt},
      {KeyLayout::russianMac, kKeyA, kFlagOption, std::nullopt},
      {KeyLayout::us, kKeyReturn, 0, std::nullopt},
      {KeyLayout::us, kKeySpace, 0, std::nullopt},
      {KeyLayout::us, kKeyLeftArrow, 0, std::nullopt},
      {KeyLayout::other, kKeyA, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(layoutKeyChar(c.layout, c.keycode, c.flags), c.gives)
        << static_cast<int>(c.layout) << " key " << c.keycode << " flags " << c.flags;
  }
}

// The detector's key maps and these key tables describe the same keyboard:
// every Russian letter sits on the key whose QWERTY character the maps turn
// into it.
TEST(LayoutKeys, RussianLettersAgreeWithTheKeyMaps) {
  for (const KeyLayout russian : {KeyLayout::russianMac, KeyLayout::russianPC}) {
    int letters = 0;
    for (uint16_t key = 0; key <= kLastKey; ++key) {
      for (const int64_t flags : {int64_t{0}, kShift}) {
        const auto ru = layoutKeyChar(russian, key, flags);
        const auto us = layoutKeyChar(KeyLayout::us, key, flags);
        if (!ru || !isCyrillicScript(*ru)) continue;
        ++letters;
        ASSERT_TRUE(us);
        if (*us == U'|') continue;  // the maps leave the shifted backslash out
        EXPECT_EQ(enToRu.at(*us), *ru) << encodeUtf8(*us);
      }
    }
    EXPECT_EQ(letters, 66);
  }
}

TEST(LayoutKeys, AKeyIsReadAgainOnlyWhenItsTextCameFromTheOldLayout) {
  struct Case {
    KeyLayout from;
    KeyLayout to;
    uint16_t keycode;
    int64_t flags;
    std::u16string text;
    std::optional<char32_t> reread;
  };
  const Case cases[] = {
      {KeyLayout::us, KeyLayout::russianMac, kKeyComma, 0, u",", U'б'},
      {KeyLayout::us, KeyLayout::russianMac, kKey6, kShift, u"^", U','},
      {KeyLayout::us, KeyLayout::russianPC, kKeySlash, 0, u"/", U'.'},
      {KeyLayout::russianMac, KeyLayout::us, kKeyI, kShift, u"Ш", U'I'},
      {KeyLayout::russianPC, KeyLayout::us, kKeyGrave, 0, u"ё", U'`'},
      // Not what the old layout gives there: typed on the new one already,
      // composed, an emoji, or a shortcut.
      {KeyLayout::us, KeyLayout::russianMac, kKeyComma, 0, u"б", std::nullopt},
      {KeyLayout::us, KeyLayout::russianMac, kKeyE, 0, u"é", std::nullopt},
      {KeyLayout::us, KeyLayout::russianMac, kKeyA, 0, u"\U0001F600", std::nullopt},
      {KeyLayout::us, KeyLayout::russianMac, kKeyA, 0, u"", std::nullopt},
      {KeyLayout::us, KeyLayout::russianMac, kKeyA, kFlagCommand, u"a", std::nullopt},
      {KeyLayout::us, KeyLayout::other, kKeyA, 0, u"a", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rereadKey(c.from, c.to, c.keycode, c.flags, c.text), c.reread)
        << "key " << c.keycode << " flags " << c.flags;
  }
}

}  // namespace
}  // namespace vyx
