// The services around the keyboard: pasteboard, workspace activation,
// input sources, Accessibility and "open".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/accessibility.h"
#include "os/application.h"
#include "os/input_sources.h"
#include "os/launch.h"
#include "os/main_queue.h"
#include "os/pasteboard.h"
#include "os/sim/desktop.h"
#include "os/sim/key_codes.h"
#include "os/workspace.h"

namespace vyx::os::sim {
namespace {

const std::string kPlain(kPasteboardTypeString);

Bytes bytes(std::string_view s) {
  return {s.begin(), s.end()};
}

TEST(Pasteboard, ItemsKeepTheirTypesOrderAndDatalessTypes) {
  Desktop desktop;
  const std::vector<PasteboardItemContent> start = {
      {{{kPlain, bytes("one")}, {"public.rtf", std::nullopt}}},
      {{{"public.png", bytes("\x89PNG")}}},
  };
  desktop.setPasteboard(start);
  Pasteboard* board = generalPasteboard();
  const auto items = pasteboardItems(board);
  ASSERT_EQ(items.size(), 2U);
  EXPECT_EQ(pasteboardItemTypes(*items[0]), (std::vector<std::string>{kPlain, "public.rtf"}));
  EXPECT_EQ(pasteboardItemDataForType(*items[0], "public.rtf"), std::nullopt);
  EXPECT_EQ(pasteboardItemDataForType(*items[1], "public.png"), bytes("\x89PNG"));
  EXPECT_EQ(stringForType(board, kPlain), "one");

  const int64_t before = desktop.pasteboardChangeCount();
  EXPECT_EQ(clearContents(board), before + 1);
  EXPECT_TRUE(pasteboardItems(board).empty());
  EXPECT_EQ(stringForType(board, kPlain), std::nullopt);
  // The items read are the pasteboard's own: written again, they are
  // refused, as AppKit refuses them. New items with their data restore it.
  EXPECT_FALSE(writeObjects(board, items));
  EXPECT_TRUE(pasteboardItems(board).empty());
  std::vector<PasteboardItemPtr> copies;
  for (const PasteboardItemPtr& item : items) {
    copies.push_back(pasteboardItemCreate());
    for (const std::string& type : pasteboardItemTypes(*item)) {
      if (auto data = pasteboardItemDataForType(*item, type)) {
        ASSERT_TRUE(pasteboardItemSetDataForType(*copies.back(), *data, type));
      }
    }
  }
  ASSERT_TRUE(writeObjects(board, copies));
  EXPECT_FALSE(writeObjects(board, copies));  // now they are its own too
  const auto restored = desktop.pasteboard();
  ASSERT_EQ(restored.size(), 2U);
  EXPECT_EQ(restored[0].types,
            (std::vector<std::pair<std::string, std::optional<Bytes>>>{{kPlain, bytes("one")}}));
  EXPECT_EQ(restored[1].types, start[1].types);

  (void)clearContents(board);
  ASSERT_TRUE(setStringForType(board, "два", kPlain));
  const auto written = desktop.pasteboard();
  ASSERT_EQ(written.size(), 1U);
  EXPECT_EQ(written[0].types,
            (std::vector<std::pair<std::string, std::optional<Bytes>>>{{kPlain, bytes("два")}}));
}

TEST(Workspace, ActivationIsNotifiedOnTheMainThreadWithTheNewFrontmostInPlace) {
  DesktopOptions options;
  options.apps = {AppInfo{"com.apple.TextEdit"}, AppInfo{"com.apple.Safari"}};
  Desktop desktop(options);
  struct Seen {
    bool onMain;
    std::optional<std::string> notified;
    std::optional<std::string> frontmost;
    bool operator==(const Seen&) const = default;
  };
  std::vector<Seen> seen;  // main thread only
  addActivationObserverOnMainQueue([&](const ActivationNotification& n) {
    seen.push_back({isMainThread(), n.application->bundleIdentifier,
                    frontmostApplication()->bundleIdentifier});
  });
  EXPECT_EQ(frontmostApplication()->bundleIdentifier, "com.apple.TextEdit");
  const std::vector<std::function<void()>> steps = {
      [&] { desktop.activate("com.apple.Safari"); },
      [&] { desktop.activateAnonymous(); },
      [&] { desktop.activate("com.apple.Safari"); },
      [&] { desktop.activate("com.apple.Safari"); },  // already frontmost: no notice
      [&] { desktop.onMain([] { applicationActivateIgnoringOtherApps(true); }); },
      [&] { desktop.onMain([] { applicationActivateIgnoringOtherApps(true); }); },
  };
  for (const auto& step : steps) {
    step();
    desktop.drainMainQueue();
  }
  std::vector<Seen> got;
  desktop.onMain([&] { got = seen; });
  const std::vector<Seen> want = {
      {true, "com.apple.Safari", "com.apple.Safari"},
      {true, std::nullopt, std::nullopt},
      {true, "com.apple.Safari", "com.apple.Safari"},
      {true, "com.telvarinox.vyx", "com.telvarinox.vyx"},
  };
  EXPECT_EQ(got, want);
  EXPECT_EQ(desktop.activations(), 2);
  EXPECT_EQ(desktop.frontmost(), "com.telvarinox.vyx");
}

std::vector<std::string> ids(InputSourceList* list) {
  std::vector<std::string> out;
  for (size_t i = 0; i < arrayGetCount(list); ++i) {
    const PropertyValue v =
        tisGetInputSourceProperty(arrayGetValueAtIndex(list, i), kTISPropertyInputSourceID);
    out.push_back(std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : "-");
  }
  return out;
}

TEST(InputSources, ListPropertiesAndSelection) {
  Desktop desktop;
  std::vector<InputSourceInfo> infos = {usInputSource(), russianInputSource()};
  InputSourceInfo german = germanInputSource();
  german.enabled = false;
  infos.push_back(german);
  infos.push_back({"com.apple.CharacterPaletteIM",
                   {"en"},
                   false,
                   true,
                   std::string(kTISCategoryPaletteInputSource),
                   KeyLayout::none});
  infos.push_back({"com.example.unselectable", {"en"}, false});
  InputSourceInfo bare{"com.example.bare", {"en"}};
  bare.hasID = false;
  bare.hasLanguages = false;
  infos.push_back(bare);
  for (int i = 0; i < 14; ++i) infos.push_back({"com.example.extra" + std::to_string(i), {"fr"}});
  desktop.setInputSources(infos, "com.apple.keylayout.US");

  // The input-source service belongs to the main thread.
  const PropertyFilter keyboards = {
      {std::string(kTISPropertyInputSourceCategory), std::string(kTISCategoryKeyboardInputSource)}};
  InputSourceList* enabled = nullptr;
  InputSourceList* installed = nullptr;
  InputSource* current = nullptr;
  desktop.onMain([&] {
    enabled = tisCreateInputSourceList(keyboards, false);
    installed = tisCreateInputSourceList(keyboards, true);
    const std::vector<std::string> enabledIDs = ids(enabled);
    ASSERT_EQ(enabledIDs.size(), 18U);  // the disabled and the palette source left out
    EXPECT_EQ(enabledIDs[3], "-");      // the identifier property may be absent
    EXPECT_EQ(ids(installed).size(), 19U);
    EXPECT_EQ(ids(installed)[2], "com.apple.keylayout.German");

    InputSource* bareSource = arrayGetValueAtIndex(enabled, 3);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(
        tisGetInputSourceProperty(bareSource, kTISPropertyInputSourceLanguages)));
    InputSource* russian = arrayGetValueAtIndex(enabled, 1);
    EXPECT_EQ(std::get<std::vector<std::string>>(
                  tisGetInputSourceProperty(russian, kTISPropertyInputSourceLanguages)),
              std::vector<std::string>{"ru"});
    EXPECT_EQ(
        std::get<bool>(tisGetInputSourceProperty(russian, kTISPropertyInputSourceIsSelectCapable)),
        true);

    EXPECT_NE(tisSelectInputSource(arrayGetValueAtIndex(enabled, 2)), 0);    // not selectable
    EXPECT_NE(tisSelectInputSource(arrayGetValueAtIndex(installed, 2)), 0);  // disabled
    EXPECT_EQ(tisSelectInputSource(russian), 0);
  });
  EXPECT_EQ(desktop.currentInputSource(), "com.apple.keylayout.Russian");
  EXPECT_EQ(desktop.programSelections(), std::vector<std::string>{"com.apple.keylayout.Russian"});
  desktop.onMain([&] {
    current = tisCopyCurrentKeyboardInputSource();
    EXPECT_EQ(std::get<std::string>(tisGetInputSourceProperty(current, kTISPropertyInputSourceID)),
              "com.apple.keylayout.Russian");
  });
  desktop.press(key::kA);  // the person's keyboard follows the selection
  ASSERT_TRUE(desktop.waitIdle(std::chrono::seconds(10), std::chrono::milliseconds(0)));
  EXPECT_EQ(desktop.text("com.apple.TextEdit"), "ф");

  EXPECT_EQ(desktop.liveInputSourceObjects(), 3);
  release(current);
  release(enabled);
  release(installed);
  EXPECT_EQ(desktop.liveInputSourceObjects(), 0);
  desktop.failInputSourceList(true);
  desktop.onMain([&] { EXPECT_EQ(tisCreateInputSourceList(keyboards, false), nullptr); });
}

TEST(InputSourcesDeathTest, ReleasingASourceBorrowedFromAListAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        Desktop desktop;
        InputSourceList* list = nullptr;
        desktop.onMain([&] { list = tisCreateInputSourceList({}, false); });
        release(arrayGetValueAtIndex(list, 0));
      },
      "release of an unknown input source");
}

TEST(System, AccessibilityPromptsAndOpenLaunches) {
  Desktop desktop;
  EXPECT_FALSE(axIsProcessTrusted());
  EXPECT_FALSE(axIsProcessTrustedWithOptions(false));
  EXPECT_FALSE(axIsProcessTrustedWithOptions(true));
  EXPECT_EQ(desktop.accessibilityPrompts(), 1);
  desktop.setTrusted(true);
  EXPECT_TRUE(axIsProcessTrustedWithOptions(true));  // a trusted process sees no prompt
  EXPECT_EQ(desktop.accessibilityPrompts(), 1);

  const std::vector<std::string> pane = {"x-apple.systempreferences:com.apple.preference.security"};
  EXPECT_TRUE(launchOpen(pane).ok());
  desktop.failLaunches("open: no such file");
  const Status failed = launchOpen({"-a", "TextEdit"});
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error().message(), "open: no such file");
  EXPECT_EQ(desktop.launches(), std::vector<std::vector<std::string>>{pane});
}

}  // namespace
}  // namespace vyx::os::sim
