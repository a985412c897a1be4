// What the program posts: one marked key-down and key-up per press, with
// the key code, flags and text each operation promises, and the erase and
// retype of a correction with its pauses in order.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <utility>
#include <vector>

#include "os/sim/desktop.h"
#include "os/sim/key_codes.h"
#include "platform/event_tap.h"
#include "platform/synthetic_input.h"
#include "support/log_capture.h"

namespace vyx {
namespace {

namespace key = os::sim::key;
using os::sim::Desktop;
using Press = std::tuple<uint16_t, std::u16string, uint64_t>;  // key code, text, flags

constexpr uint64_t kShift = os::kEventFlagMaskShift;
constexpr uint64_t kCommand = os::kEventFlagMaskCommand;
constexpr uint64_t kNumericPad = os::kEventFlagMaskNumericPad;
constexpr uint64_t kFn = os::kEventFlagMaskSecondaryFn;
// A character without a key of its own goes as its text on key code 0.
constexpr uint16_t kTextOnly = 0;

// The text a key has when the program sets none: the U.S. layout's own.
std::u16string own(uint16_t keycode) {
  return Desktop::keyText(os::sim::KeyLayout::us, keycode, 0);
}

// The presses posted since `from`; each must be a marked key-down and
// key-up alike.
std::vector<Press> presses(const Desktop& desktop, size_t from = 0) {
  const std::vector<os::sim::Arrival> posts = desktop.programPosts();
  std::vector<Press> out;
  for (size_t i = from; i + 1 < posts.size(); i += 2) {
    const auto& down = posts[i];
    const auto& up = posts[i + 1];
    EXPECT_TRUE(down.type == os::kEventKeyDown && up.type == os::kEventKeyUp);
    EXPECT_TRUE(down.userData == syntheticEventMarker && up.userData == syntheticEventMarker);
    EXPECT_TRUE(down.keycode == up.keycode && down.text == up.text && down.flags == up.flags);
    out.emplace_back(down.keycode, down.text, down.flags);
  }
  EXPECT_EQ((posts.size() - from) % 2, 0u);
  return out;
}

TEST(SyntheticInput, EachOperationPostsOneMarkedPress) {
  const std::vector<std::pair<std::function<void()>, Press>> cases = {
      {sendBackspace, {key::kBackspace, own(key::kBackspace), 0}},
      {[] { sendChar(U' '); }, {key::kSpace, u" ", 0}},
      {[] { sendChar(U','); }, {key::kComma, u",", 0}},
      {[] { sendChar(U'`'); }, {key::kGrave, u"`", 0}},
      {[] { sendChar(U'д'); }, {kTextOnly, u"д", 0}},
      {sendCmdC, {key::kC, own(key::kC), kCommand}},
      {sendCmdV, {key::kV, own(key::kV), kCommand}},
      {[] { sendEnter(key::kKeypadEnter, kNumericPad); },
       {key::kKeypadEnter, own(key::kKeypadEnter), kNumericPad}},
      {[] { postKeyEvent(key::kD, U'В', kShift, {}); }, {key::kD, u"В", kShift}},
      {[] { postKeyEvent(key::kD, 0xD83D, 0, u"😀"); }, {key::kD, u"😀", 0}},  // the key's whole text
      {[] { postKeyEvent(key::kTab, U'\t', 0, u"\t"); }, {key::kTab, own(key::kTab), 0}},
      {[] { postKeyEvent(key::kLeft, 0xF702, kFn, {}); }, {key::kLeft, own(key::kLeft), kFn}},
      {[] { postKeyEvent(key::kForwardDelete, 0x7F, 0, {}); },
       {key::kForwardDelete, own(key::kForwardDelete), 0}},
  };
  Desktop desktop({.trusted = true});  // posts of a process without it go nowhere
  for (const auto& [post, press] : cases) {
    const size_t before = desktop.programPosts().size();
    post();
    EXPECT_EQ(presses(desktop, before), std::vector<Press>{press});
  }
  postMouseEvent(0, os::kEventLeftMouseDown);  // no held event: nothing
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
    int otherAppAfter = -1;  // pauses before another application comes forward; -1: never
    std::string stopLine;    // what the log says of a stop
  };
  const Press backspace{key::kBackspace, own(key::kBackspace), 0};
  const std::vector<Case> cases = {
      {0, "", {}, {10, 30}, {}, -1, ""},
      {3,
       "да",
       {backspace, backspace, backspace, {kTextOnly, u"д", 0}, {kTextOnly, u"а", 0}},
       {5, 5, 5, 10, 5, 5, 30},
       {"com.apple.keylayout.Russian"},
       -1,
       ""},
      // The person switched applications before or mid-way: nothing more
      // is typed into either, their input source stays theirs, and the log
      // says how far the correction got.
      {3,
       "да",
       {},
       {},
       {},
       0,
       "REPLACE STOPPED: another application came to the front, erased 0 of 3, typed 0 of 2"},
      {3,
       "да",
       {backspace, backspace},
       {5, 5},
       {},
       2,
       "REPLACE STOPPED: another application came to the front, erased 2 of 3, typed 0 of 2"},
      {1,
       "да",
       {backspace, {kTextOnly, u"д", 0}},
       {5, 10, 5},
       {},
       3,
       "REPLACE STOPPED: another application came to the front, erased 1 of 1, typed 1 of 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.otherAppAfter);
    Desktop desktop({.trusted = true});
    testing::LogCapture log;
    std::vector<int> pauses;
    const auto switchApps = [&] {
      // Keys already posted still reach TextEdit.
      ASSERT_TRUE(desktop.waitIdle(std::chrono::seconds(10), {}));
      desktop.activate("com.apple.Notes");
    };
    if (c.otherAppAfter == 0) switchApps();
    const Status done =
        replaceText(c.erase, c.text, "com.apple.TextEdit", [&](std::chrono::milliseconds d) {
          pauses.push_back(static_cast<int>(d.count()));
          if (std::cmp_equal(pauses.size(), c.otherAppAfter)) switchApps();
        });
    EXPECT_EQ(done.ok(), c.stopLine.empty());
    ASSERT_TRUE(desktop.waitIdle(std::chrono::seconds(10), {}));
    EXPECT_EQ(presses(desktop), c.presses);
    EXPECT_TRUE(desktop.arrivals("com.apple.Notes").empty());
    EXPECT_EQ(pauses, c.pauses);
    EXPECT_EQ(desktop.programSelections(), c.selected);
    EXPECT_EQ(desktop.liveProgramEvents(), 0);
    EXPECT_EQ(log.messages(), c.stopLine.empty() ? std::vector<std::string>{}
                                                 : std::vector<std::string>{c.stopLine});
  }
}

}  // namespace
}  // namespace vyx
