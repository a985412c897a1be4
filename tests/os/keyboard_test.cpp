// The simulated keyboard: the text each layout gives a key under each
// modifier, and the events (with their flags) that presses make.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/sim/desktop.h"
#include "os/sim/key_codes.h"
#include "support/device_bits.h"

namespace vyx::os::sim {
namespace {

constexpr EventFlags kShift = kEventFlagMaskShift;
constexpr EventFlags kCaps = kEventFlagMaskAlphaShift;
constexpr EventFlags kCmd = kEventFlagMaskCommand;
constexpr EventFlags kCtrl = kEventFlagMaskControl;
constexpr EventFlags kOpt = kEventFlagMaskAlternate;

struct KeyTextCase {
  KeyLayout layout;
  uint16_t keycode;
  Modifiers modifiers;
  std::u16string text;
};

TEST(Keyboard, KeyTextPerLayoutAndModifier) {
  const std::vector<KeyTextCase> cases = {
      {KeyLayout::us, key::kA, 0, u"a"},
      {KeyLayout::us, key::kA, kShift, u"A"},
      {KeyLayout::us, key::kA, kCaps, u"A"},
      {KeyLayout::us, key::kA, kCaps | kShift, u"A"},
      {KeyLayout::us, key::k1, kCaps, u"1"},
      {KeyLayout::us, key::k1, kShift, u"!"},
      {KeyLayout::us, key::kC, kCmd, u"c"},
      {KeyLayout::us, key::kC, kCmd | kShift, u"C"},
      {KeyLayout::us, key::kA, kCtrl, u"\x01"},
      {KeyLayout::us, key::kA, kOpt, u""},
      {KeyLayout::us, key::kShift, kShift, u""},
      {KeyLayout::us, key::kReturn, 0, u"\r"},
      {KeyLayout::us, key::kKeypadEnter, 0, u"\x03"},
      {KeyLayout::us, key::kTab, 0, u"\t"},
      {KeyLayout::us, key::kBackspace, kOpt, u"\b"},
      {KeyLayout::us, key::kEscape, 0, u"\x1b"},
      {KeyLayout::us, key::kForwardDelete, 0, u"\x7f"},
      {KeyLayout::us, key::kHome, 0, u"\x01"},
      {KeyLayout::us, key::kEnd, 0, u"\x04"},
      {KeyLayout::us, key::kPageUp, 0, u"\x0b"},
      {KeyLayout::us, key::kPageDown, 0, u"\x0c"},
      {KeyLayout::us, key::kLeft, 0, u"\x1c"},
      {KeyLayout::us, key::kRight, 0, u"\x1d"},
      {KeyLayout::us, key::kUp, 0, u"\x1e"},
      {KeyLayout::us, key::kDown, 0, u"\x1f"},
      {KeyLayout::us, key::kF1, 0, u"\x10"},
      {KeyLayout::us, key::kKeypad5, 0, u"5"},
      {KeyLayout::russianMac, key::kA, 0, u"ф"},
      {KeyLayout::russianMac, key::kA, kShift, u"Ф"},
      {KeyLayout::russianMac, key::kA, kCaps, u"Ф"},
      {KeyLayout::russianMac, key::k3, kCaps, u"3"},
      {KeyLayout::russianMac, key::kC, kCmd, u"с"},
      {KeyLayout::russianMac, key::kC, kCtrl, u"\x03"},
      {KeyLayout::russianMac, key::kGrave, 0, u"]"},
      {KeyLayout::russianMac, key::kGrave, kShift, u"["},
      {KeyLayout::russianMac, key::kBackslash, 0, u"ё"},
      {KeyLayout::russianMac, key::kBackslash, kCaps, u"Ё"},
      {KeyLayout::russianMac, key::kSlash, 0, u"/"},
      {KeyLayout::russianMac, key::kSlash, kShift, u"?"},
      {KeyLayout::russianMac, key::k2, kShift, u"\""},
      {KeyLayout::russianMac, key::k3, kShift, u"№"},
      {KeyLayout::russianMac, key::k4, kShift, u"%"},
      {KeyLayout::russianMac, key::k5, kShift, u":"},
      {KeyLayout::russianMac, key::k6, kShift, u","},
      {KeyLayout::russianMac, key::k7, kShift, u"."},
      {KeyLayout::russianMac, key::k8, kShift, u";"},
      {KeyLayout::russianMac, key::kComma, 0, u"б"},
      {KeyLayout::russianMac, key::kPeriod, 0, u"ю"},
      {KeyLayout::russianMac, key::kReturn, 0, u"\r"},
      {KeyLayout::russianPC, key::kGrave, 0, u"ё"},
      {KeyLayout::russianPC, key::kSlash, 0, u"."},
      {KeyLayout::russianPC, key::kSlash, kShift, u","},
      {KeyLayout::russianPC, key::k7, kShift, u"?"},
      {KeyLayout::russianPC, key::kBackslash, kShift, u"/"},
      {KeyLayout::german, key::kY, 0, u"z"},
      {KeyLayout::german, key::kZ, kShift, u"Y"},
      {KeyLayout::german, key::kY, kCtrl, u"\x1a"},
      {KeyLayout::german, key::k3, kShift, u"§"},
      {KeyLayout::german, key::kMinus, kCaps, u"ß"},
      {KeyLayout::german, key::kSemicolon, kCaps, u"Ö"},
      {KeyLayout::none, key::kA, 0, u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Desktop::keyText(c.layout, c.keycode, c.modifiers), c.text)
        << "layout " << int(c.layout) << " key " << c.keycode << " modifiers " << std::hex
        << c.modifiers;
  }
}

// keyFor must find, for every character a layout gives, a key that gives it.
TEST(Keyboard, KeyForFindsAKeyGivingEachCharacter) {
  for (KeyLayout layout :
       {KeyLayout::us, KeyLayout::russianMac, KeyLayout::russianPC, KeyLayout::german}) {
    int found = 0;
    for (uint16_t keycode = 0; keycode <= 50; ++keycode) {
      for (Modifiers m : {Modifiers{0}, kShift}) {
        const std::u16string text = Desktop::keyText(layout, keycode, m);
        if (text.size() != 1 || text[0] < 0x20) continue;
        const auto key = Desktop::keyFor(layout, text[0]);
        ASSERT_TRUE(key) << "layout " << int(layout) << " key " << keycode;
        EXPECT_EQ(Desktop::keyText(layout, key->first, key->second), text);
        ++found;
      }
    }
    EXPECT_GE(found, 90) << "layout " << int(layout);
  }
  EXPECT_FALSE(Desktop::keyFor(KeyLayout::us, U'й'));
  EXPECT_EQ(Desktop::keyFor(KeyLayout::russianMac, U'№'), std::pair(key::k3, kShift));
  EXPECT_EQ(Desktop::keyFor(KeyLayout::us, U'\n'), std::pair(key::kReturn, Modifiers{0}));
}

struct Seen {
  EventType type;
  uint16_t keycode;
  EventFlags flags;
  std::u16string text;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen> seen(const Desktop& desktop) {
  std::vector<Seen> out;
  for (const Arrival& a : desktop.arrivals("com.apple.TextEdit")) {
    out.push_back({a.type, a.keycode, a.flags, a.text});
  }
  return out;
}

constexpr EventType kDown = kEventKeyDown;
constexpr EventType kUp = kEventKeyUp;
constexpr EventType kFlags = kEventFlagsChanged;

struct PressCase {
  const char* name;
  std::function<void(Desktop&)> act;
  std::vector<Seen> events;
};

TEST(Keyboard, PressesMakeFlagsChangedAndKeyEventsWithDeviceBits) {
  using vyx::testing::kLeftCommandBit;
  using vyx::testing::kLeftControlBit;
  using vyx::testing::kLeftShiftBit;
  using vyx::testing::kRightOptionBit;
  using vyx::testing::kRightShiftBit;
  constexpr EventFlags kNC = kEventFlagMaskNonCoalesced;
  constexpr EventFlags kFn = kEventFlagMaskSecondaryFn;
  constexpr EventFlags kPad = kEventFlagMaskNumericPad;
  constexpr EventFlags kLeftShift = kShift | kLeftShiftBit | kNC;
  constexpr EventFlags kRightShift = kShift | kRightShiftBit | kNC;
  constexpr EventFlags kLeftCmd = kCmd | kLeftCommandBit | kNC;
  const std::vector<PressCase> cases = {
      {"shift chord",
       [](Desktop& d) { d.press(key::kA, kShift); },
       {{kFlags, key::kShift, kLeftShift, u""},
        {kDown, key::kA, kLeftShift, u"A"},
        {kUp, key::kA, kLeftShift, u"A"},
        {kFlags, key::kShift, kNC, u""}}},
      {"right shift by its device bit",
       [](Desktop& d) { d.press(key::kA, kShift | kRightShiftBit); },
       {{kFlags, key::kRightShift, kRightShift, u""},
        {kDown, key::kA, kRightShift, u"A"},
        {kUp, key::kA, kRightShift, u"A"},
        {kFlags, key::kRightShift, kNC, u""}}},
      {"command chord",
       [](Desktop& d) { d.press(key::kC, kCmd); },
       {{kFlags, key::kCommand, kLeftCmd, u""},
        {kDown, key::kC, kLeftCmd, u"c"},
        {kUp, key::kC, kLeftCmd, u"c"},
        {kFlags, key::kCommand, kNC, u""}}},
      {"both shifts overlapping",
       [](Desktop& d) {
         d.keyDown(key::kShift);
         d.keyDown(key::kRightShift);
         d.keyUp(key::kShift);
         d.keyUp(key::kRightShift);
       },
       {{kFlags, key::kShift, kLeftShift, u""},
        {kFlags, key::kRightShift, kLeftShift | kRightShiftBit, u""},
        {kFlags, key::kShift, kRightShift, u""},
        {kFlags, key::kRightShift, kNC, u""}}},
      {"option and control alone",
       [](Desktop& d) {
         d.tapModifier(key::kRightOption);
         d.tapModifier(key::kControl);
       },
       {{kFlags, key::kRightOption, kOpt | kRightOptionBit | kNC, u""},
        {kFlags, key::kRightOption, kNC, u""},
        {kFlags, key::kControl, kCtrl | kLeftControlBit | kNC, u""},
        {kFlags, key::kControl, kNC, u""}}},
      {"caps lock",
       [](Desktop& d) {
         d.setCapsLock(true);
         d.press(key::kA);
         d.setCapsLock(false);
       },
       {{kFlags, key::kCapsLock, kCaps | kNC, u""},
        {kDown, key::kA, kCaps | kNC, u"A"},
        {kUp, key::kA, kCaps | kNC, u"A"},
        {kFlags, key::kCapsLock, kNC, u""}}},
      {"shift arrow",
       [](Desktop& d) { d.press(key::kLeft, kShift); },
       {{kFlags, key::kShift, kLeftShift, u""},
        {kDown, key::kLeft, kFn | kPad | kLeftShift, u"\x1c"},
        {kUp, key::kLeft, kFn | kPad | kLeftShift, u"\x1c"},
        {kFlags, key::kShift, kNC, u""}}},
      {"navigation and keypad keys",
       [](Desktop& d) {
         d.keyDown(key::kHome);
         d.keyDown(key::kKeypadEnter);
       },
       {{kDown, key::kHome, kFn | kNC, u"\x01"}, {kDown, key::kKeypadEnter, kPad | kNC, u"\x03"}}},
  };
  for (const auto& c : cases) {
    Desktop desktop;
    c.act(desktop);
    ASSERT_TRUE(desktop.waitIdle(std::chrono::seconds(10), std::chrono::milliseconds(0)));
    EXPECT_EQ(seen(desktop), c.events) << c.name;
  }
}

// AppKit's function-key range, when the desktop is told to use it.
TEST(Keyboard, FunctionKeyTextModeGivesTheAppKitRange) {
  DesktopOptions options;
  options.functionKeyText = true;
  Desktop desktop(options);
  const std::vector<std::pair<uint16_t, char16_t>> keys = {
      {key::kUp, 0xF700},       {key::kDown, 0xF701},
      {key::kLeft, 0xF702},     {key::kRight, 0xF703},
      {key::kF1, 0xF704},       {key::kHome, 0xF729},
      {key::kEnd, 0xF72B},      {key::kPageUp, 0xF72C},
      {key::kPageDown, 0xF72D}, {key::kForwardDelete, 0xF728},
      {key::kReturn, 13},       {key::kBackspace, 8},
  };
  for (const auto& [keycode, text] : keys) desktop.keyDown(keycode);
  ASSERT_TRUE(desktop.waitIdle(std::chrono::seconds(10), std::chrono::milliseconds(0)));
  const auto got = seen(desktop);
  ASSERT_EQ(got.size(), keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(got[i].text, std::u16string(1, keys[i].second)) << "key " << keys[i].first;
  }
}

// The person's keys follow the source selected at the moment of each press.
TEST(Keyboard, TextFollowsTheSourceSelectedAtThePress) {
  Desktop desktop;
  desktop.press(key::kA);
  desktop.selectInputSource("com.apple.keylayout.Russian");
  desktop.press(key::kA);
  desktop.press(key::kC, kCmd);  // a chord's text under Russian, without inserting
  ASSERT_TRUE(desktop.waitIdle(std::chrono::seconds(10), std::chrono::milliseconds(0)));
  EXPECT_EQ(desktop.text("com.apple.TextEdit"), "aф");
  EXPECT_EQ(seen(desktop)[6].text, u"с");
}

}  // namespace
}  // namespace vyx::os::sim
