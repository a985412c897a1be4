// The simulated keyboard: the text each layout gives a key under each
// modifier, and the events (with their flags) that presses make.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/sim/desktop.h"
#include "os/sim/key_codes.h"

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
      {KeyLayout::us, 0, 0, u"a"},
      {KeyLayout::us, 0, kShift, u"A"},
      {KeyLayout::us, 0, kCaps, u"A"},
      {KeyLayout::us, 0, kCaps | kShift, u"A"},
      {KeyLayout::us, 18, kCaps, u"1"},
      {KeyLayout::us, 18, kShift, u"!"},
      {KeyLayout::us, 8, kCmd, u"c"},
      {KeyLayout::us, 8, kCmd | kShift, u"C"},
      {KeyLayout::us, 0, kCtrl, u"\x01"},
      {KeyLayout::us, 0, kOpt, u""},
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
      {KeyLayout::us, 87, 0, u"5"},  // keypad 5
      {KeyLayout::russianMac, 0, 0, u"ф"},
      {KeyLayout::russianMac, 0, kShift, u"Ф"},
      {KeyLayout::russianMac, 0, kCaps, u"Ф"},
      {KeyLayout::russianMac, 20, kCaps, u"3"},
      {KeyLayout::russianMac, 8, kCmd, u"с"},
      {KeyLayout::russianMac, 8, kCtrl, u"\x03"},
      {KeyLayout::russianMac, 50, 0, u"]"},
      {KeyLayout::russianMac, 50, kShift, u"["},
      {KeyLayout::russianMac, 42, 0, u"ё"},
      {KeyLayout::russianMac, 42, kCaps, u"Ё"},
      {KeyLayout::russianMac, 44, 0, u"/"},
      {KeyLayout::russianMac, 44, kShift, u"?"},
      {KeyLayout::russianMac, 19, kShift, u"\""},
      {KeyLayout::russianMac, 20, kShift, u"№"},
      {KeyLayout::russianMac, 21, kShift, u"%"},
      {KeyLayout::russianMac, 23, kShift, u":"},
      {KeyLayout::russianMac, 22, kShift, u","},
      {KeyLayout::russianMac, 26, kShift, u"."},
      {KeyLayout::russianMac, 28, kShift, u";"},
      {KeyLayout::russianMac, 43, 0, u"б"},
      {KeyLayout::russianMac, 47, 0, u"ю"},
      {KeyLayout::russianMac, key::kReturn, 0, u"\r"},
      {KeyLayout::russianPC, 50, 0, u"ё"},
      {KeyLayout::russianPC, 44, 0, u"."},
      {KeyLayout::russianPC, 44, kShift, u","},
      {KeyLayout::russianPC, 26, kShift, u"?"},
      {KeyLayout::russianPC, 42, kShift, u"/"},
      {KeyLayout::german, 16, 0, u"z"},
      {KeyLayout::german, 6, kShift, u"Y"},
      {KeyLayout::german, 16, kCtrl, u"\x1a"},
      {KeyLayout::german, 20, kShift, u"§"},
      {KeyLayout::german, 27, kCaps, u"ß"},
      {KeyLayout::german, 41, kCaps, u"Ö"},
      {KeyLayout::none, 0, 0, u""},
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
  EXPECT_EQ(Desktop::keyFor(KeyLayout::russianMac, U'№'), std::pair(uint16_t{20}, kShift));
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
  const std::vector<PressCase> cases = {
      {"shift chord",
       [](Desktop& d) { d.press(0, kShift); },
       {{kFlags, 56, 0x20102, u""},
        {kDown, 0, 0x20102, u"A"},
        {kUp, 0, 0x20102, u"A"},
        {kFlags, 56, 0x100, u""}}},
      {"right shift by its device bit",
       [](Desktop& d) { d.press(0, kShift | 0x4); },
       {{kFlags, 60, 0x20104, u""},
        {kDown, 0, 0x20104, u"A"},
        {kUp, 0, 0x20104, u"A"},
        {kFlags, 60, 0x100, u""}}},
      {"command chord",
       [](Desktop& d) { d.press(8, kCmd); },
       {{kFlags, 55, 0x100108, u""},
        {kDown, 8, 0x100108, u"c"},
        {kUp, 8, 0x100108, u"c"},
        {kFlags, 55, 0x100, u""}}},
      {"both shifts overlapping",
       [](Desktop& d) {
         d.keyDown(key::kShift);
         d.keyDown(key::kRightShift);
         d.keyUp(key::kShift);
         d.keyUp(key::kRightShift);
       },
       {{kFlags, 56, 0x20102, u""},
        {kFlags, 60, 0x20106, u""},
        {kFlags, 56, 0x20104, u""},
        {kFlags, 60, 0x100, u""}}},
      {"option and control alone",
       [](Desktop& d) {
         d.tapModifier(key::kRightOption);
         d.tapModifier(key::kControl);
       },
       {{kFlags, 61, 0x80140, u""},
        {kFlags, 61, 0x100, u""},
        {kFlags, 59, 0x40101, u""},
        {kFlags, 59, 0x100, u""}}},
      {"caps lock",
       [](Desktop& d) {
         d.setCapsLock(true);
         d.press(0);
         d.setCapsLock(false);
       },
       {{kFlags, 57, 0x10100, u""},
        {kDown, 0, 0x10100, u"A"},
        {kUp, 0, 0x10100, u"A"},
        {kFlags, 57, 0x100, u""}}},
      {"shift arrow",
       [](Desktop& d) { d.press(key::kLeft, kShift); },
       {{kFlags, 56, 0x20102, u""},
        {kDown, 123, 0xA20102, u"\x1c"},
        {kUp, 123, 0xA20102, u"\x1c"},
        {kFlags, 56, 0x100, u""}}},
      {"navigation and keypad keys",
       [](Desktop& d) {
         d.keyDown(key::kHome);
         d.keyDown(key::kKeypadEnter);
       },
       {{kDown, 115, 0x800100, u"\x01"}, {kDown, 76, 0x200100, u"\x03"}}},
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
  desktop.press(0);
  desktop.selectInputSource("com.apple.keylayout.Russian");
  desktop.press(0);
  desktop.press(8, kCmd);  // a chord's text under Russian, without inserting
  ASSERT_TRUE(desktop.waitIdle(std::chrono::seconds(10), std::chrono::milliseconds(0)));
  EXPECT_EQ(desktop.text("com.apple.TextEdit"), "aф");
  EXPECT_EQ(seen(desktop)[6].text, u"с");
}

}  // namespace
}  // namespace vyx::os::sim
