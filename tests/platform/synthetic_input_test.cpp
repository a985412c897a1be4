// What the program posts: one marked key-down and key-up per press, with
// the key code, flags and text each operation promises, and the erase and
// retype of a correction with its pauses.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "os/sim/desktop.h"
#include "platform/event_tap.h"
#include "platform/synthetic_input.h"

namespace vyx {
namespace {

using os::sim::Arrival;
using os::sim::Desktop;
using os::sim::KeyLayout;

struct Press {
  uint16_t keycode;
  std::u16string text;
  uint64_t flags = 0;
};

// The text a key gets from the U.S. layout when the program sets none.
std::u16string own(uint16_t keycode) {
  return Desktop::keyText(KeyLayout::us, keycode, 0);
}

// Each press must be a marked key-down and key-up alike.
std::vector<Press> pressesOf(const std::vector<Arrival>& posts) {
  std::vector<Press> out;
  for (size_t i = 0; i + 1 < posts.size(); i += 2) {
    const Arrival& down = posts[i];
    const Arrival& up = posts[i + 1];
    EXPECT_EQ(down.type, os::kEventKeyDown);
    EXPECT_EQ(up.type, os::kEventKeyUp);
    EXPECT_EQ(down.userData, syntheticEventMarker);
    EXPECT_EQ(up.userData, syntheticEventMarker);
    EXPECT_TRUE(down.keycode == up.keycode && down.text == up.text && down.flags == up.flags);
    out.push_back({down.keycode, down.text, down.flags});
  }
  EXPECT_EQ(posts.size() % 2, 0u);
  return out;
}

bool operator==(const Press& a, const Press& b) {
  return a.keycode == b.keycode && a.text == b.text && a.flags == b.flags;
}

TEST(SyntheticInput, EachOperationPostsOneMarkedPress) {
  struct Case {
    const char* what;
    std::function<void()> post;
    Press press;
  };
  const std::vector<Case> cases = {
      {"backspace", sendBackspace, {51, own(51)}},
      {"space", [] { sendChar(U' '); }, {49, u" "}},
      {"comma", [] { sendChar(U','); }, {43, u","}},
      {"grave accent", [] { sendChar(U'`'); }, {50, u"`"}},
      {"a letter", [] { sendChar(U'д'); }, {0, u"д"}},
      {"Cmd+C", sendCmdC, {8, own(8), 0x100000}},
      {"Cmd+V", sendCmdV, {9, own(9), 0x100000}},
      {"keypad Enter", [] { sendEnter(76, 0x200000); }, {76, own(76), 0x200000}},
      {"held letter", [] { postKeyEvent(2, U'В', 0x20000); }, {2, u"В", 0x20000}},
      {"held Tab", [] { postKeyEvent(48, 9, 0); }, {48, own(48)}},
      {"held arrow", [] { postKeyEvent(123, 0xF702, 0x800000); }, {123, own(123), 0x800000}},
      {"held DEL", [] { postKeyEvent(117, 0x7F, 0); }, {117, own(117)}},
  };
  Desktop desktop;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t before = desktop.programPosts().size();
    c.post();
    const std::vector<Arrival> all = desktop.programPosts();
    const std::vector<Press> presses =
        pressesOf({all.begin() + static_cast<long>(before), all.end()});
    EXPECT_EQ(presses, std::vector<Press>{c.press});
  }
  postMouseEvent(0, 1);
  releaseMouseEvent(0);
  EXPECT_EQ(desktop.liveProgramEvents(), 0);
}

TEST(SyntheticInput, ReplaceTextErasesTypesSwitchesAndPausesInOrder) {
  struct Case {
    int64_t erase;
    std::string text;
    std::vector<Press> presses;
    std::vector<int> pauses;
    std::vector<std::string> selected;
  };
  const Press backspace{51, own(51)};
  const std::vector<Case> cases = {
      {0, "", {}, {10, 30}, {}},
      {3,
       "да",
       {backspace, backspace, backspace, {0, u"д"}, {0, u"а"}},
       {5, 5, 5, 10, 5, 5, 30},
       {"com.apple.keylayout.Russian"}},
      {5,
       "hello",
       {backspace,
        backspace,
        backspace,
        backspace,
        backspace,
        {0, u"h"},
        {0, u"e"},
        {0, u"l"},
        {0, u"l"},
        {0, u"o"}},
       {5, 5, 5, 5, 5, 10, 5, 5, 5, 5, 5, 30},
       {"com.apple.keylayout.US"}},
      {-1, "\xff", {{0, u"\uFFFD"}}, {10, 5, 30}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    os::sim::DesktopOptions options;
    options.selectedInputSource =
        c.text == "hello" ? "com.apple.keylayout.Russian" : "com.apple.keylayout.US";
    Desktop desktop(options);
    std::vector<int> pauses;
    const Status status = replaceText(c.erase, c.text, [&](std::chrono::milliseconds d) {
      pauses.push_back(static_cast<int>(d.count()));
    });
    EXPECT_TRUE(status.ok());
    EXPECT_EQ(pressesOf(desktop.programPosts()), c.presses);
    EXPECT_EQ(pauses, c.pauses);
    EXPECT_EQ(desktop.programSelections(), c.selected);
    EXPECT_EQ(desktop.liveProgramEvents(), 0);
  }
}

}  // namespace
}  // namespace vyx
