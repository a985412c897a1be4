// The pasteboard snapshot and plain text, and the frontmost-application
// cache with the context invalidation that comes with each activation.
#include <gtest/gtest.h>

#include "bridge_rig.h"
#include "platform/pasteboard.h"

namespace vyx::testing {
namespace {

using Bytes = os::Bytes;
using Types = PasteboardTypes;

TEST(Pasteboard, ASnapshotPutsBackEveryItemAndTypeThatHadData) {
  struct Case {
    const char* what;
    std::vector<Types> held;
    std::vector<Types> restored;
  };
  const Types image{{"public.png", Bytes{1, 2}}, {"public.tiff", Bytes{3}}};
  const Types text{{"public.utf8-plain-text", Bytes{'h', 'i'}}};
  const std::vector<Case> cases = {
      {"two items, two types and one", {image, text}, {image, text}},
      {"an item without data stays, empty", {{{"public.rtf", std::nullopt}}}, {{}}},
      {"a type without data is left out",
       {{{"public.rtf", std::nullopt}, {"public.png", Bytes{9}}}},
       {{{"public.png", Bytes{9}}}}},
      {"an empty pasteboard stays empty", {}, {}},
  };
  sim::Desktop desktop;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<sim::PasteboardItemContent> items;
    for (const Types& t : c.held) items.push_back({t});
    desktop.setPasteboard(items);
    PasteboardSnapshotPtr snapshot = savePasteboard();
    writeClipboard("something else");
    restorePasteboard(std::move(snapshot));
    EXPECT_EQ(contents(desktop.pasteboard()), c.restored);
  }
  writeClipboard("left over");
  restorePasteboard(nullptr);
  EXPECT_TRUE(desktop.pasteboard().empty());
}

TEST(Pasteboard, PlainTextReadAndWrite) {
  sim::Desktop desktop;
  desktop.setPasteboard({{{{"public.png", Bytes{1}}}}});
  EXPECT_EQ(readClipboard(), "");
  EXPECT_EQ(readClipboardString(), std::nullopt);
  writeClipboard("привет");
  EXPECT_EQ(readClipboard(), "привет");
  EXPECT_EQ(desktop.pasteboard().size(), 1u);
  writeClipboard(std::string("cut\0here", 8));
  EXPECT_EQ(readClipboard(), "cut");
  writeClipboard("\xff\xfe");  // no string can be made of it
  EXPECT_TRUE(desktop.pasteboard().empty());
}

TEST(Frontmost, NothingIsKnownBeforeTheObserverIsInstalled) {
  clearCachedFrontmostBundleID();
  EXPECT_EQ(FrontmostAppID(), "");
}

TEST(Frontmost, EachActivationReplacesTheCacheAndInvalidatesTheContextOnce) {
  BridgeRig rig;
  EXPECT_EQ(FrontmostAppID(), kTextEdit);
  struct Case {
    std::function<void(sim::Desktop&)> activate;
    std::string front;
  };
  const std::vector<Case> cases = {
      {[](sim::Desktop& d) { d.activate("com.apple.Safari"); }, "com.apple.Safari"},
      {[](sim::Desktop& d) { d.activateAnonymous(); }, ""},
      {[](sim::Desktop& d) { d.activate(kTextEdit); }, kTextEdit},
  };
  for (const Case& c : cases) {
    rig.desktop.typeAsPerson("ghb", kQuick);
    ASSERT_TRUE(rig.idle());
    const uint64_t generation = rig.app->generation();
    c.activate(rig.desktop);
    rig.desktop.drainMainQueue();
    EXPECT_EQ(FrontmostAppID(), c.front);
    EXPECT_EQ(rig.app->generation(), generation + 1);
    EXPECT_EQ(rig.app->buffer().CurrentWord(), "");
  }
}

}  // namespace
}  // namespace vyx::testing
