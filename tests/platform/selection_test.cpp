// Cmd+Shift+X on the simulated desktop: the selection converted through the
// pasteboard, the input source of the result selected, and the person's
// pasteboard given back whatever it held and whatever happened meanwhile.
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "bridge_rig.h"
#include "platform/synthetic_input.h"
#include "support/log_capture.h"

namespace vyx::testing {
namespace {

using Bytes = os::Bytes;

// An image with two representations and a text: what the person had copied.
std::vector<sim::PasteboardItemContent> personsPasteboard() {
  return {{{{"public.png", Bytes{0x89, 'P', 'N', 'G'}}, {"public.tiff", Bytes{'I', 'I', 42, 0}}}},
          {{{"public.utf8-plain-text", Bytes{'m', 'i', 'n', 'e'}}}}};
}

void pressConvertHotkey(sim::Desktop& desktop) {
  desktop.press(key::kX, os::kEventFlagMaskCommand | os::kEventFlagMaskShift);
}

// The bridge's operations, the selection conversion calling these ones.
AppOps convertingWith(SelectionOps selection) {
  AppOps ops = bridgeAppOps();
  ops.convertSel = [selection = std::move(selection)](Detector& d, const std::string& app) {
    convertSelectedText(selection, d, app);
  };
  return ops;
}

// TextEdit shows "ghbdtn", all of it selected, the person's pasteboard is
// full, and the hotkey is pressed; returns once all is quiet.
void convertGhbdtn(BridgeRig& rig) {
  rig.desktop.setField(kTextEdit, {"ghbdtn", 6, 0, 6});
  rig.desktop.setPasteboard(personsPasteboard());
  pressConvertHotkey(rig.desktop);
  ASSERT_TRUE(rig.idle());
}

struct SelectionCase {
  const char* text;
  size_t selectedFrom;
  size_t selectedLength;
  const char* startSource;
  const char* expectText;
  const char* expectSource;
  bool logsNoSelection;
};

class ConvertSelection : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(ConvertSelection, ReplacesTheSelectionAndGivesThePasteboardBack) {
  const SelectionCase& c = GetParam();
  sim::DesktopOptions options = trustedDesktop();
  options.selectedInputSource = c.startSource;
  BridgeRig rig(options);
  rig.desktop.setField(
      kTextEdit, {c.text, c.selectedFrom + c.selectedLength, c.selectedFrom, c.selectedLength});
  rig.desktop.setPasteboard(personsPasteboard());
  LogCapture log;
  pressConvertHotkey(rig.desktop);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), c.expectText);
  EXPECT_EQ(rig.desktop.currentInputSource(), c.expectSource);
  EXPECT_EQ(contents(rig.desktop.pasteboard()), contents(personsPasteboard()));
  const std::vector<std::string> expectLog =
      c.logsNoSelection ? std::vector<std::string>{"Manual convert hotkey (Cmd+Shift+X)",
                                                   "Manual convert: no selection detected"}
                        : std::vector<std::string>{"Manual convert hotkey (Cmd+Shift+X)"};
  EXPECT_EQ(log.messages(), expectLog);
  EXPECT_EQ(injecting.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, ConvertSelection,
    ::testing::Values(SelectionCase{"ghbdtn", 0, 6, kUS, "привет", kRussian, false},
                      SelectionCase{"say привет", 4, 6, kRussian, "say ghbdtn", kUS, false},
                      SelectionCase{"hi мир", 0, 6, kRussian, "hi vbh", kUS, false},
                      SelectionCase{"2024", 0, 4, kUS, "2024", kRussian, false},
                      SelectionCase{"ghbdtn", 6, 0, kUS, "ghbdtn", kUS, true}));

TEST(ConvertSelection, AFailureBetweenCopyAndPasteStillGivesThePasteboardBack) {
  SelectionOps selection = bridgeSelectionOps();
  selection.sendCmdV = [] { throw std::runtime_error("paste failed"); };
  BridgeRig rig(trustedDesktop(), convertingWith(selection));
  LogCapture log;
  convertGhbdtn(rig);
  EXPECT_EQ(rig.text(), "ghbdtn");
  EXPECT_EQ(contents(rig.desktop.pasteboard()), contents(personsPasteboard()));
  EXPECT_TRUE(log.contains("PANIC in replacement worker"));
  EXPECT_EQ(injecting.load(), 0);
  // replaceMu was let go: the next correction is typed.
  rig.desktop.setField(kTextEdit, {"", 0, 0, 0});
  rig.desktop.typeAsPerson("привет ", kQuick);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), "привет ");
}

// Notes comes to the front during the conversion's pauses, before the copy
// or between the copy and the paste: its selection is neither copied nor
// pasted over, TextEdit keeps its text, and the pasteboard is given back.
TEST(ConvertSelection, StopsWhenAnotherApplicationComesToTheFront) {
  for (const int switchAtPause : {1, 3}) {  // before Command+C; before Command+V
    SCOPED_TRACE(switchAtPause);
    sim::Desktop* desktop = nullptr;
    int pauses = 0;
    SelectionOps selection = bridgeSelectionOps();
    selection.pause = [&](std::chrono::milliseconds d) {
      if (++pauses == switchAtPause) desktop->activate(kNotes);
      sleepPause(d);
    };
    BridgeRig rig(trustedDesktop(), convertingWith(selection));
    desktop = &rig.desktop;
    rig.desktop.setField(kNotes, {"shopping list", 13, 0, 13});
    LogCapture log;
    convertGhbdtn(rig);
    EXPECT_EQ(rig.text(), "ghbdtn");
    EXPECT_EQ(rig.desktop.text(kNotes), "shopping list");
    EXPECT_EQ(contents(rig.desktop.pasteboard()), contents(personsPasteboard()));
    EXPECT_EQ(log.messages(),
              (std::vector<std::string>{
                  "Manual convert hotkey (Cmd+Shift+X)",
                  "Manual convert stopped: another application came to the front"}));
    EXPECT_EQ(injecting.load(), 0);
  }
}

}  // namespace
}  // namespace vyx::testing
