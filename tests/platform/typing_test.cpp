// What a person sees typing into an application on the simulated desktop:
// words typed on the wrong layout come out right, the input source follows,
// and nothing typed meanwhile is lost, doubled or reordered.
#include <gtest/gtest.h>

#include "bridge_rig.h"
#include "log/metrics.h"

namespace vyx::testing {
namespace {

struct WordCase {
  const char* intended;  // what the person means; typed on the keys of its script
  const char* startSource;
  const char* endSource;
};

class TypedWord : public ::testing::TestWithParam<WordCase> {};

TEST_P(TypedWord, ComesOutAsIntendedOnTheLayoutOfItsScript) {
  const WordCase& c = GetParam();
  sim::DesktopOptions options = trustedDesktop();
  options.selectedInputSource = c.startSource;
  BridgeRig rig(options);
  rig.desktop.typeAsPerson(c.intended, kQuick);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), c.intended);
  EXPECT_EQ(rig.desktop.currentInputSource(), c.endSource);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, TypedWord,
                         ::testing::Values(WordCase{"привет ", kUS, kRussian},
                                           WordCase{"hello ", kRussian, kUS},
                                           WordCase{"привет! ", kUS, kRussian},
                                           WordCase{"привет? ", kUS, kRussian},
                                           WordCase{"привет, мир ", kUS, kRussian},
                                           WordCase{"привет\n", kUS, kRussian}));

TEST(Typing, AfterAFixTheNextWordNeedsNoCorrection) {
  BridgeRig rig;
  rig.desktop.typeAsPerson("привет ", kQuick);
  ASSERT_TRUE(rig.idle());
  ASSERT_EQ(rig.text(), "привет ");
  const size_t selections = rig.desktop.programSelections().size();
  rig.desktop.typeAsPerson("мир ", kQuick);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), "привет мир ");
  EXPECT_EQ(rig.desktop.programSelections().size(), selections);
  // Nothing the program typed was fed back: one fix, for the first word.
  EXPECT_EQ(rig.app->generation(), 0u);
}

TEST(Typing, ReturnOrKeypadEnterAfterAFixIsSentAgainWithItsOwnKeyCode) {
  for (const uint16_t enter : {36, 76}) {
    SCOPED_TRACE(enter);
    BridgeRig rig;
    rig.desktop.typeAsPerson("привет", kQuick);
    rig.desktop.press(enter);
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(rig.text(), "привет\n");
    const std::vector<sim::Arrival> posts = rig.desktop.programPosts();
    ASSERT_FALSE(posts.empty());
    const sim::Arrival& last = posts.back();
    EXPECT_EQ(last.type, os::kEventKeyUp);
    EXPECT_EQ(last.keycode, enter);
    EXPECT_EQ(last.userData, syntheticEventMarker);
  }
}

TEST(Typing, KeysTypedDuringCorrectionsArriveAfterThemOnceEachAndInOrder) {
  // With the Russian source out of reach, every Russian word comes out on the
  // U.S. layout and needs its own correction while the next one is typed.
  sim::DesktopOptions options = trustedDesktop();
  sim::InputSourceSpec russian = sim::russianInputSource();
  russian.selectCapable = false;
  options.inputSources = {sim::usInputSource(), russian};
  BridgeRig rig(options);
  const uint64_t conversions = metricConversions.load();
  const std::string intended = "привет мир дом как дела слово работа ";
  rig.desktop.typeAsPerson(intended,
                           {std::chrono::milliseconds(20), std::chrono::milliseconds(8), 7});
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), intended);
  EXPECT_EQ(metricConversions.load() - conversions, 7u);
  EXPECT_EQ(rig.desktop.currentInputSource(), kUS);
}

TEST(Typing, AClickDuringACorrectionIsReplayedAfterIt) {
  TypingGate gate;
  BridgeRig rig(trustedDesktop(), gate.wrap(bridgeAppOps()));
  rig.desktop.typeAsPerson("привет ", kQuick);
  ASSERT_TRUE(gate.waitEntered());
  rig.desktop.clickAtCaret(0);
  gate.letGo();
  ASSERT_TRUE(rig.idle());
  // Had the click come first, the caret would have left the word and the
  // correction would have been dropped.
  const sim::FieldState field = rig.desktop.field(kTextEdit);
  EXPECT_EQ(field.text, "привет ");
  EXPECT_EQ(field.caret, 0u);
  EXPECT_EQ(rig.desktop.liveProgramEvents(), 0);
}

TEST(Typing, CmdZRightAfterAFixBringsBackTheWordAsTyped) {
  BridgeRig rig;
  rig.desktop.typeAsPerson("привет ", kQuick);
  ASSERT_TRUE(rig.idle());
  ASSERT_EQ(rig.text(), "привет ");
  rig.desktop.press(6, os::kEventFlagMaskCommand);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.text(), "ghbdtn ");
  EXPECT_EQ(rig.desktop.currentInputSource(), kUS);
  EXPECT_EQ(rig.desktop.undoRequests(kTextEdit), 0);  // the application's own undo never ran
}

}  // namespace
}  // namespace vyx::testing
