// The frontmost application's text field, driven by the person's keys and
// clicks: text, caret, selection and the pasteboard afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "os/sim/desktop.h"
#include "os/sim/key_codes.h"

namespace vyx::os::sim {
namespace {

constexpr auto kApp = "com.apple.TextEdit";
constexpr EventFlags kShift = kEventFlagMaskShift;
constexpr EventFlags kCmd = kEventFlagMaskCommand;
constexpr EventFlags kOpt = kEventFlagMaskAlternate;
constexpr EventFlags kCtrl = kEventFlagMaskControl;

std::function<void(Desktop&)> keys(const std::vector<std::pair<uint16_t, Modifiers>>& presses) {
  return [presses](Desktop& d) {
    for (const auto& [k, m] : presses) d.press(k, m);
  };
}

Bytes bytes(std::string_view s) {
  return {s.begin(), s.end()};
}

std::optional<std::string> plainText(const Desktop& d) {
  for (const auto& item : d.pasteboard()) {
    for (const auto& [type, data] : item.types) {
      if (type == kPasteboardTypeString && data) return std::string(data->begin(), data->end());
    }
  }
  return std::nullopt;
}

struct FieldCase {
  const char* name;
  FieldState start;
  std::function<void(Desktop&)> act;
  FieldState end;
  std::string pasteboard = "clip";  // plain text afterwards; "clip" before
};

TEST(TextField, KeysEditLikeAMacTextField) {
  using key::kLeft, key::kRight, key::kUp, key::kDown;
  const std::vector<FieldCase> cases = {
      {"typing replaces the selection",
       {"hello world", 6, 6, 5},
       [](Desktop& d) { d.typeAsPerson("there", {std::chrono::milliseconds(0)}); },
       {"hello there", 11, 11, 0}},
      {"backspace", {"abc", 3, 3, 0}, keys({{key::kBackspace, 0}}), {"ab", 2, 2, 0}},
      {"backspace a selection",
       {"abcdef", 1, 1, 3},
       keys({{key::kBackspace, 0}}),
       {"aef", 1, 1, 0}},
      {"option backspace a word",
       {"hello big world", 15, 15, 0},
       keys({{key::kBackspace, kOpt}}),
       {"hello big ", 10, 10, 0}},
      {"command backspace to the line start",
       {"first\nsecond", 12, 12, 0},
       keys({{key::kBackspace, kCmd}}),
       {"first\n", 6, 6, 0}},
      {"forward delete", {"abc", 1, 1, 0}, keys({{key::kForwardDelete, 0}}), {"ac", 1, 1, 0}},
      {"return, enter and tab",
       {"ab", 1, 1, 0},
       keys({{key::kReturn, 0}, {key::kKeypadEnter, 0}, {key::kTab, 0}}),
       {"a\n\n\tb", 4, 4, 0}},
      {"shift extends from the caret",
       {"abcd", 4, 4, 0},
       keys({{kLeft, 0}, {kLeft, 0}, {kLeft, kShift}, {kLeft, kShift}}),
       {"abcd", 0, 0, 2}},
      {"right collapses a selection to its end",
       {"abcd", 1, 1, 2},
       keys({{kRight, 0}}),
       {"abcd", 3, 3, 0}},
      {"up keeps the column where it can",
       {"abc\nde\nfghij", 9, 9, 0},
       keys({{kUp, 0}, {kUp, 0}}),
       {"abc\nde\nfghij", 2, 2, 0}},
      {"down to the end from the last line",
       {"abc\nde\nfghij", 2, 2, 0},
       keys({{kDown, 0}, {kDown, 0}, {kDown, 0}}),
       {"abc\nde\nfghij", 12, 12, 0}},
      {"shift end, then home", {"abc", 1, 1, 0}, keys({{key::kEnd, kShift}}), {"abc", 3, 1, 2}},
      {"home", {"abc", 2, 2, 0}, keys({{key::kHome, 0}}), {"abc", 0, 0, 0}},
      {"select all and type",
       {"abc", 1, 1, 0},
       [](Desktop& d) {
         d.press(key::kA, kCmd);
         d.press(key::kX);
       },
       {"x", 1, 1, 0}},
      {"copy, then paste after the selection",
       {"abcd", 1, 1, 2},
       keys({{key::kC, kCmd}, {kRight, 0}, {key::kV, kCmd}}),
       {"abcbcd", 5, 5, 0},
       "bc"},
      {"cut", {"abcd", 0, 0, 2}, keys({{key::kX, kCmd}}), {"cd", 0, 0, 0}, "ab"},
      {"copy without a selection keeps the pasteboard",
       {"abcd", 2, 2, 0},
       keys({{key::kC, kCmd}}),
       {"abcd", 2, 2, 0}},
      {"paste over a selection", {"abcd", 1, 1, 2}, keys({{key::kV, kCmd}}), {"aclipd", 5, 5, 0}},
      {"control, option and other command chords insert nothing",
       {"ab", 2, 2, 0},
       keys({{key::kA, kCtrl}, {key::kA, kOpt}, {key::kS, kCmd}, {key::kV, kCmd | kShift}}),
       {"ab", 2, 2, 0}},
      {"the event's text, not its key code",
       {"", 0, 0, 0},
       [](Desktop& d) {
         d.postKeyEvent(true, key::kA, 0, u"д", 0);
         d.postKeyEvent(true, key::kA, 0, u"\x01", 0);  // a control character types nothing
         d.postKeyEvent(false, key::kS, 0, u"s", 0);    // nor does a key-up
       },
       {"д", 1, 1, 0}},
      {"click and drag",
       {"hello", 5, 5, 0},
       [](Desktop& d) {
         d.clickAtCaret(2);
         d.press(key::kX);
         d.drag({10, 0}, {40, 0});
       },
       {"hexllo", 4, 1, 3}},
  };
  for (const auto& c : cases) {
    Desktop desktop;
    desktop.setPasteboard({{{{std::string(kPasteboardTypeString), bytes("clip")}}}});
    desktop.setField(kApp, c.start);
    c.act(desktop);
    ASSERT_TRUE(desktop.waitIdle(std::chrono::seconds(10), std::chrono::milliseconds(0)));
    const FieldState got = desktop.field(kApp);
    EXPECT_EQ(got.text, c.end.text) << c.name;
    EXPECT_EQ(got.caret, c.end.caret) << c.name;
    EXPECT_EQ(got.selectionStart, c.end.selectionStart) << c.name;
    EXPECT_EQ(got.selectionLength, c.end.selectionLength) << c.name;
    EXPECT_EQ(plainText(desktop), c.pasteboard) << c.name;
  }
}

TEST(TextField, AppsThatIgnoreCopyAndUndoRequests) {
  DesktopOptions options;
  options.apps = {AppInfo{"com.example.Terminal", true}, AppInfo{"com.apple.TextEdit"}};
  Desktop desktop(options);
  desktop.setField("com.example.Terminal", {"secret", 0, 0, 6});
  desktop.press(key::kC, kCmd);
  desktop.press(key::kZ, kCmd);
  desktop.press(key::kZ, kCmd | kShift);  // Redo, not counted
  ASSERT_TRUE(desktop.waitIdle(std::chrono::seconds(10), std::chrono::milliseconds(0)));
  EXPECT_EQ(desktop.pasteboardChangeCount(), 0);
  EXPECT_EQ(desktop.undoRequests("com.example.Terminal"), 1);
  EXPECT_EQ(desktop.text("com.example.Terminal"), "secret");
  // Only the frontmost application receives keys.
  EXPECT_TRUE(desktop.arrivals("com.apple.TextEdit").empty());
}

}  // namespace
}  // namespace vyx::os::sim
