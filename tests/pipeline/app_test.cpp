#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "detect/keymaps.h"
#include "log/metrics.h"
#include "pipeline/app_harness.h"
#include "pipeline/temp_store.h"
#include "support/log_capture.h"

namespace vyx::testing {
namespace {

using namespace std::chrono_literals;

// Keys of the person's keyboard that the program has no name for.
constexpr uint16_t kKeyA = 0;
constexpr uint16_t kKeySection = 10;  // § and ±, on ISO keyboards
constexpr uint16_t kKeyE = 14;
constexpr uint16_t kKey2 = 19;
constexpr uint16_t kKeyI = 34;

// The fix of "ghbdtn" ended by a space, as the key path queues it.
replacementJob ghbdtnSpaceFix() {
  replacementJob job;
  job.deleteChars = 6;
  job.text = "привет ";
  job.boundary = U' ';
  job.word = "ghbdtn";
  return job;
}

TEST(AppTyping, WrongLayoutWordIsReplacedWithItsBoundaryOnce) {
  PipelineRig rig;
  const uint64_t conversions = metricConversions.load();
  rig.type("ghbdtn ");
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "привет ");
  EXPECT_EQ(rig.screen.journal(), std::vector<std::string>{"replace 6 привет "});
  EXPECT_EQ(metricConversions.load(), conversions + 1);
  rig.type("vbh ");
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "привет мир ");
}

TEST(AppTyping, RightWordsAndSkippedWordsPassUntouched) {
  PipelineRig rig;
  rig.type("hello world дом x v1.2 ");
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "hello world дом x v1.2 ");
  EXPECT_TRUE(rig.screen.journal().empty());
}

TEST(AppTyping, AttachedMarkIsTypedExactlyOnce) {
  PipelineRig rig;
  rig.type("ghbdtn!");
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "привет!");
  rig.type(" ");
  EXPECT_EQ(rig.screen.text(), "привет! ");
}

// On QWERTY the keys of Б Ю Ж Э Х Ъ Ё show < > : " { } | with Shift: "Это"
// typed on the wrong layout begins with a quotation mark.
TEST(AppTyping, ACapitalsKeyThatBeginsAWordIsReadWithIt) {
  struct Case {
    const char* keys;   // typed with QWERTY selected
    const char* shown;  // what the field ends up with
  };
  for (const Case& c : {
           Case{"\"nj ", "Это "},             // the whole word, capital included
           Case{"\"ghbdtn ", "\"привет "},    // Эпривет is no word: the mark stays
           Case{"\"hello\" ", "\"hello\" "},  // English in quotation marks
           Case{"\"nj\n", "Это\n"},
       }) {
    PipelineRig rig;
    rig.typeKeys(c.keys);
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(rig.screen.text(), c.shown) << c.keys;
  }
  // The quotation mark of the Russian layout's digit row opens a quote.
  PipelineRig rig;
  rig.screen.russianLayout = true;
  rig.press(kKey2, U'"', kFlagShift);
  rig.type("то ");
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "\"то ");
}

// With the shipped lists: text typed right on either layout stays as typed,
// marks before words and the letters of , . ; after them included, while a
// capital or an English word and its mark typed on the other layout are
// still read whole.
TEST(AppTyping, MarksAroundWordsTypedRightStayAndCapitalsTypedWrongAreReadWhole) {
  struct Case {
    bool russian;       // the layout selected when typing starts
    const char* keys;   // the keys, as a U.S. keyboard shows them, or
    const char* text;   // the text the keys give on that layout
    const char* shown;  // what the field ends up with
  };
  for (const Case& c : {
           Case{false, "See <https://www.gnu.org/licenses/> for details. ", "",
                "See <https://www.gnu.org/licenses/> for details. "},
           Case{false, "<tr><th>Name</th></tr> ", "", "<tr><th>Name</th></tr> "},
           Case{false, "<s>old</s> ", "", "<s>old</s> "},
           Case{false, "\"Um, thanks,\" she said. ", "", "\"Um, thanks,\" she said. "},
           Case{false, "\"Hm, maybe.\" ", "", "\"Hm, maybe.\" "},
           Case{false, "He said \"De nada\" to me. ", "", "He said \"De nada\" to me. "},
           Case{false, "<tausq> hi ", "", "<tausq> hi "},
           Case{false, "{jl} ", "", "{jl} "},
           Case{false, ":t ", "", ":t "},
           Case{false, "Run \"rm -rf x\" now. ", "", "Run \"rm -rf x\" now. "},
           Case{false, "\"CC-BY-4.0\", ", "", "\"CC-BY-4.0\", "},
           Case{true, "", "Я видел фею и ушёл. ", "Я видел фею и ушёл. "},
           Case{true, "", "Под туею стоял. ", "Под туею стоял. "},
           Case{true, "", "Перед во щах варили. ", "Перед во щах варили. "},
           // Typed on the other layout: the capital with its word, the
           // English word with its mark.
           Case{false, "\"nj ", "", "Это "},
           Case{false, "<scnhj ", "", "Быстро "},
           Case{false, ">kz ", "", "Юля "},  // no list word, but never >ля
           Case{true, "However, ", "", "However, "},
       }) {
    PipelineRig rig{PipelineRig::ShippedLists{}};
    rig.screen.russianLayout = c.russian;
    rig.typeKeys(c.keys);
    rig.type(c.text);
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(rig.screen.text(), c.shown) << c.keys << c.text;
  }
}

// Right after an opening bracket or quote a capital's key begins the word,
// as after white space, and the word comes out whole; text typed right
// around such marks stays as typed. « „ “ ” come from Option keys, the same
// on either source.
TEST(AppTyping, AWordRightAfterAnOpeningBracketOrQuoteIsReadWithItsCapital) {
  struct Case {
    const char* keys;   // typed with QWERTY selected
    const char* shown;  // what the field ends up with
  };
  for (const Case& c : {
           Case{"(<jkmijq) ntfnh ", "(Большой) театр "},
           Case{"(\"nj df;yj) ", "(Это важно) "},
           Case{"(:er) ", "(Жук) "},
           Case{"[<scnhj ", "[Быстро "},
           Case{"«{jhjij» ", "«Хорошо» "},
           Case{"„\"nj df;yj“ ", "„Это важно“ "},
           Case{"“>kz” ", "“Юля” "},
           Case{"\"<jkmijq ntfnh ", "\"Большой театр "},
           Case{"(<tr><th>) ", "(<tr><th>) "},
           Case{"(\"q\") ", "(\"q\") "},
           Case{"({jl}) ", "({jl}) "},
           Case{"(\"hello world\") ", "(\"hello world\") "},
       }) {
    PipelineRig rig{PipelineRig::ShippedLists{}};
    rig.typeKeys(c.keys);
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(rig.screen.text(), c.shown) << c.keys;
  }
}

// A command-line option runs to white space: typed on the Russian source it
// is left whole, the parts after its inner hyphens and "=" included.
TEST(AppTyping, AnOptionTypedOnTheOtherLayoutIsLeftWhole) {
  struct Case {
    const char* keys;   // typed with the Russian source selected
    const char* shown;  // what those keys give there
  };
  for (const Case& c : {
           Case{"--dry-run ", "--вкн-кгт "},
           Case{"--log-level=debug ", "--дщп-думуд=вуигп "},
       }) {
    PipelineRig rig{PipelineRig::ShippedLists{}};
    rig.screen.russianLayout = true;
    rig.typeKeys(c.keys);
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(rig.screen.text(), c.shown) << c.keys;
  }
}

TEST(AppTyping, ReturnIsResentAfterTheFixWithItsKeyCodeAndFlags) {
  PipelineRig rig;
  rig.type("ghbdtn");
  rig.press(kKeyKeypadEnter, 13, kFlagShift);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "привет\n");
  EXPECT_EQ(
      rig.screen.journal(),
      (std::vector<std::string>{"replace 6 привет", "enter 76 " + std::to_string(kFlagShift)}));
  rig.cmd(kKeyZ, U'z');  // a fix ended by Return cannot be reverted
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.count("replace"), 1);
}

TEST(AppTyping, KeypadEnterWithItsEnterCharacterEndsTheWordLikeReturn) {
  PipelineRig rig;
  rig.type("ghbdtn");
  rig.press(kKeyKeypadEnter, 3);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.journal(), (std::vector<std::string>{"replace 6 привет", "enter 76 0"}));
}

TEST(AppTyping, HalfOfASurrogatePairIsNeverTypedBack) {
  PipelineRig rig;
  rig.type("ghbdtn");
  EXPECT_FALSE(rig.app->onKeyEvent(kKeySection, 0xD83D, 0));  // the key passes untouched
  ASSERT_TRUE(rig.idle());
  EXPECT_TRUE(rig.screen.journal().empty());
}

TEST(AppUndo, CmdZWithinTheWindowRevertsAndLearns) {
  PipelineRig rig;
  rig.type("ghbdtn ");
  ASSERT_TRUE(rig.idle());
  rig.clockHandle.advance(5s);  // exactly 5 s is still inside
  rig.cmd(kKeyZ, U'z');
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "ghbdtn ");
  EXPECT_EQ(rig.screen.journal().back(), "replace 7 ghbdtn ");
}

TEST(AppUndo, CmdZIsRefusedLateAfterEditsAndInAnotherApp) {
  PipelineRig rig;
  rig.type("ghbdtn ");
  ASSERT_TRUE(rig.idle());
  rig.clockHandle.advance(5001ms);
  rig.cmd(kKeyZ, U'z');
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.count("replace"), 1);

  rig.type("ghbdtn ");
  ASSERT_TRUE(rig.idle());
  rig.type("\b");  // part of the fix erased: reverting would eat other text
  rig.cmd(kKeyZ, U'z');
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.count("replace"), 2);

  rig.type("ghbdtn ");
  ASSERT_TRUE(rig.idle());
  rig.screen.activate("com.other");
  const uint64_t gen = rig.app->generation();
  rig.cmd(kKeyZ, U'z');
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.count("replace"), 3);
  EXPECT_GT(rig.app->generation(), gen);
}

// Typing on while a fix is typed: the fix ends by selecting the Russian
// layout, so the next word starts with keys given on QWERTY and ends with
// keys given on the Russian layout. The held keys are read on the Russian
// layout, so the word comes out whole in the script of its last keys.
TEST(AppTyping, WordMixedByTheProgramsOwnLayoutSwitchIsRestored) {
  PipelineRig rig;
  rig.screen.holdReplace(true);
  rig.typeKeys("cgfcb,j!");  // спасибо! with QWERTY selected
  ASSERT_TRUE(rig.screen.waitReplaceEntered());
  rig.typeKeys(" h");  // held while the fix is typed
  rig.screen.holdReplace(false);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "спасибо! р");
  rig.typeKeys("ello ");  // now on the Russian layout: уддщ
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "спасибо! hello ");
  EXPECT_FALSE(rig.screen.russianLayout);
}

TEST(AppDoubleShift, ConvertsTheWordBeingTyped) {
  PipelineRig rig;
  rig.type("ghbdtn");
  rig.tapShift();
  rig.clockHandle.advance(400ms);
  rig.tapShift(kKeyRightShift);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "привет");
  EXPECT_EQ(rig.app->buffer().CurrentWord(), "");
}

TEST(AppTyping, RunLongerThanAnyWordIsLeftAsTyped) {
  PipelineRig rig;
  std::string keys;
  while (keys.size() < kMaxWordLength) keys += "ghbdtn";
  keys.resize(kMaxWordLength);
  const std::string longer = keys + "t";
  const std::string fixed = convertScript(kScriptLatin, keys);
  // As the user's own words, both would be corrected by the detector.
  auto words = std::make_shared<StringSet>();
  words->insert(fixed);
  words->insert(convertScript(kScriptLatin, longer));
  rig.detector.SetCustomWords(std::move(words));
  LogCapture log;
  const VerboseScope verbose;

  rig.type(longer + " " + longer);
  rig.tapShift();  // nor does double Shift retype it
  rig.clockHandle.advance(400ms);
  rig.tapShift(kKeyRightShift);
  rig.type(" " + keys + " ");
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), longer + " " + longer + " " + fixed + " ");
  EXPECT_EQ(rig.screen.journal(), std::vector<std::string>{"replace 64 " + fixed + " "});
  const auto lines = log.messages();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "skip_reason: too-long"), 2);
}

TEST(AppHeldInput, KeysTypedDuringAFixFollowItInOrder) {
  PipelineRig rig;
  rig.screen.holdReplace(true);
  rig.type("ghbdtn ");
  ASSERT_TRUE(rig.screen.waitReplaceEntered());
  rig.type("vb");  // held: neither key-down nor key-up reaches the application
  EXPECT_EQ(rig.screen.text(), "ghbdtn");
  EXPECT_EQ(rig.keyUpsDelivered, 7);
  rig.screen.holdReplace(false);
  ASSERT_TRUE(rig.idle());
  // Pressed on QWERTY, read on the Russian layout the fix selected.
  EXPECT_EQ(rig.screen.text(), "привет ми");
  const auto j = rig.screen.journal();
  ASSERT_EQ(j.size(), 3U);
  EXPECT_EQ(j[1].rfind("post 9 м", 0), 0U);
  EXPECT_EQ(j[2].rfind("post 11 и", 0), 0U);
  EXPECT_EQ(rig.app->buffer().CurrentWord(), "ми");  // replayed through the pipeline
  EXPECT_EQ(rig.screen.gateChanges(), (std::vector<bool>{true, false}));
}

TEST(AppHeldInput, HeldWordThatNeedsAFixIsFixedBeforeTheRest) {
  PipelineRig rig;
  rig.screen.holdReplace(true);
  rig.type("ghbdtn ");
  ASSERT_TRUE(rig.screen.waitReplaceEntered());
  // Read on the Russian layout the fix selected, "world" is цщкдв, which
  // a second fix, queued during the replay, turns back; the keys after it
  // are read on QWERTY again.
  rig.type("world lf");
  rig.screen.holdReplace(false);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "привет world lf");
  EXPECT_EQ(rig.screen.count("replace 5 world "), 1);
  EXPECT_FALSE(rig.screen.russianLayout);
}

// Keys pressed while a fix is typed were given by the source the fix then
// leaves. Had the fix been instant they would have been typed on the source
// it selects, and so they are read, their words judged as any word.
TEST(AppHeldInput, KeysHeldBehindAFixThatSwitchesTheSourceComeOutOnTheNewOne) {
  struct Press {
    uint16_t keycode;
    char32_t ch;
    int64_t flags;
  };
  struct Case {
    bool startRussian;
    const char* word;  // the keys of a word the fix corrects, with its space
    std::vector<Press> held;
    const char* after;  // keys pressed once the fix is done
    const char* shown;
  };
  const Case cases[] = {
      // A name the lists lack, begun before the switch: not Шndia.
      {true, "hello ", {{kKeyI, U'Ш', kFlagShift}}, "ndia ", "hello India "},
      // A one-letter word: not ф.
      {true, "hello ", {{kKeyA, U'ф', 0}, {kKeySpace, U' ', 0}}, "", "hello a "},
      // Caps Lock gives the capital of the Russian letter on the comma key.
      {false, "ghbdtn ", {{kKeyComma, U',', kFlagCapsLock}}, "", "привет Б"},
      // A text the key does not give on QWERTY (a composition) is kept.
      {false, "ghbdtn ", {{kKeyE, U'é', 0}}, "", "привет é"},
  };
  for (const Case& c : cases) {
    PipelineRig rig;
    rig.screen.russianLayout = c.startRussian;
    rig.screen.holdReplace(true);
    rig.typeKeys(c.word);
    ASSERT_TRUE(rig.screen.waitReplaceEntered()) << c.shown;
    for (const Press& p : c.held) rig.press(p.keycode, p.ch, p.flags);
    rig.screen.holdReplace(false);
    ASSERT_TRUE(rig.idle()) << c.shown;
    rig.typeKeys(c.after);
    ASSERT_TRUE(rig.idle()) << c.shown;
    EXPECT_EQ(rig.screen.text(), c.shown);
  }
}

// Cmd+Z puts the word back as typed, and the keys pressed meanwhile stay
// what the person saw them give; a shortcut is no text to read again.
TEST(AppHeldInput, KeysHeldBehindAnUndoAndShortcutsStayAsPressed) {
  PipelineRig shortcut;
  shortcut.screen.holdReplace(true);
  shortcut.typeKeys("ghbdtn ");
  ASSERT_TRUE(shortcut.screen.waitReplaceEntered());
  shortcut.cmd(kKeyA, U'a');
  shortcut.screen.holdReplace(false);
  ASSERT_TRUE(shortcut.idle());
  EXPECT_EQ(shortcut.screen.count("post 0 a " + std::to_string(kFlagCommand)), 1);

  PipelineRig undo;
  undo.typeKeys("ghbdtn ");
  ASSERT_TRUE(undo.idle());
  undo.screen.holdReplace(true);
  undo.cmd(kKeyZ, U'я');
  ASSERT_TRUE(undo.screen.waitReplaceEntered());
  undo.typeKeys("vb");  // on the Russian layout the fix selected: ми
  undo.screen.holdReplace(false);
  ASSERT_TRUE(undo.idle());
  EXPECT_EQ(undo.screen.text(), "ghbdtn ми");
}

TEST(AppHeldInput, ClickThenKeysArePostedLiterally) {
  PipelineRig rig;
  rig.screen.holdReplace(true);
  rig.type("ghbdtn ");
  ASSERT_TRUE(rig.screen.waitReplaceEntered());
  EXPECT_TRUE(rig.app->onMouseEvent(77, kMouseLeftDown));
  rig.type("ab");
  rig.screen.holdReplace(false);
  ASSERT_TRUE(rig.idle());
  const auto j = rig.screen.journal();
  ASSERT_EQ(j.size(), 5U);
  EXPECT_EQ(j[1], "mouse 77 1");
  EXPECT_EQ(j[2], "release 77");
  EXPECT_EQ(j[3].rfind("post 0 ф", 0), 0U);        // on the layout the fix selected
  EXPECT_EQ(rig.app->buffer().CurrentWord(), "");  // literal keys skip the word buffer
}

TEST(AppHeldInput, FailingMouseReleaseIsCaughtAndReplayGoesOn) {
  LogCapture cap;
  PipelineRig rig;
  AppOps ops = rig.screen.ops();
  ops.releaseMouse = [](uint64_t) { throw std::runtime_error("release failed"); };
  auto app =
      newApp(rig.cfg, nullptr, rig.detector, nullptr, ops, rig.clockHandle.clock(), &rig.undo);
  rig.screen.holdReplace(true);
  ASSERT_TRUE(app->enqueueReplacement(replacementJob{}));
  ASSERT_TRUE(rig.screen.waitReplaceEntered());
  EXPECT_TRUE(app->onMouseEvent(5, kMouseLeftDown));
  EXPECT_TRUE(app->onKeyEvent(kKeyA, U'a', 0));
  rig.screen.holdReplace(false);
  for (int i = 0; i < 4000 && app->isBusy(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_FALSE(app->isBusy());
  EXPECT_TRUE(cap.contains("PANIC in deferred mouse replay"));
  EXPECT_EQ(rig.screen.count("post 0 a"), 1);  // the key after the click still arrives
}

TEST(AppHeldInput, KeysForAnAppNoLongerFrontmostAreDropped) {
  PipelineRig rig;
  rig.screen.holdReplace(true);
  rig.type("ghbdtn ");
  ASSERT_TRUE(rig.screen.waitReplaceEntered());
  rig.type("ab");
  // A modifier reached the application when pressed: it is no drop.
  rig.tapShift();
  rig.screen.activate("com.other");
  const uint64_t drops = metricQueueDrops.load();
  rig.screen.holdReplace(false);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(metricQueueDrops.load(), drops + 2);
  EXPECT_EQ(rig.screen.count("post"), 0);
}

TEST(AppHeldInput, ModifierWhileBusyReachesTheAppAtOnceAndIsNeverPostedAgain) {
  PipelineRig rig;
  rig.screen.holdReplace(true);
  rig.type("ghbdtn ");
  ASSERT_TRUE(rig.screen.waitReplaceEntered());
  EXPECT_FALSE(rig.app->onKeyEvent(kKeyLeftShift, 0, kFlagShift));
  EXPECT_FALSE(rig.app->onKeyUp(kKeyLeftShift));
  rig.screen.holdReplace(false);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.count("post"), 0);
}

TEST(AppQueue, JobDroppedWhenTheAppChangesBeforeItRuns) {
  PipelineRig rig;
  ASSERT_TRUE(rig.blockWorker());
  replacementJob fix = ghbdtnSpaceFix();
  fix.app = "com.apple.TextEdit";
  ASSERT_TRUE(rig.app->enqueueReplacement(fix));
  replacementJob anywhere = fix;  // no application recorded: never dropped for a switch
  anywhere.app.clear();
  anywhere.deleteChars = 0;
  anywhere.text = "!";
  ASSERT_TRUE(rig.app->enqueueReplacement(anywhere));
  rig.screen.activate("com.other");
  const uint64_t drops = metricQueueDrops.load();
  rig.screen.holdReplace(false);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(metricQueueDrops.load(), drops + 1);
  EXPECT_EQ(rig.screen.count("replace"), 2);  // the blocker and the job without an app
  EXPECT_EQ(rig.screen.count("char"), 0);     // the swallowed boundary is lost with its job
}

TEST(AppQueue, NinthJobIsRefusedAndStopDrainsTheRest) {
  PipelineRig rig;
  rig.screen.holdReplace(true);
  replacementJob first;
  first.text = "0";
  ASSERT_TRUE(rig.app->enqueueReplacement(first));
  ASSERT_TRUE(rig.screen.waitReplaceEntered());
  for (int i = 1; i <= 8; ++i) {
    replacementJob j;
    j.text = std::to_string(i);
    ASSERT_TRUE(rig.app->enqueueReplacement(j)) << i;
  }
  const uint64_t drops = metricQueueDrops.load();
  replacementJob ninth;
  ninth.text = "9";
  EXPECT_FALSE(rig.app->enqueueReplacement(ninth));
  EXPECT_EQ(metricQueueDrops.load(), drops + 1);

  std::thread stopper([&] { rig.app->StopWorker(10s); });
  rig.screen.holdReplace(false);
  stopper.join();
  EXPECT_EQ(rig.screen.text(), "012345678");
  EXPECT_FALSE(rig.app->enqueueReplacement(ninth));
}

TEST(AppQueue, StaleGenerationTypesOnlyTheSwallowedBoundary) {
  PipelineRig rig;
  ASSERT_TRUE(rig.blockWorker());
  replacementJob spaceFix = ghbdtnSpaceFix();
  replacementJob enterFix = spaceFix;
  enterFix.text = "привет";
  enterFix.boundary = 10;
  enterFix.keycode = kKeyKeypadEnter;
  enterFix.flags = kFlagShift;
  replacementJob shiftFix = spaceFix;  // double Shift: no boundary at all
  shiftFix.boundary = 0;
  ASSERT_TRUE(rig.app->enqueueReplacement(spaceFix));
  ASSERT_TRUE(rig.app->enqueueReplacement(enterFix));
  ASSERT_TRUE(rig.app->enqueueReplacement(shiftFix));
  const uint64_t drops = metricQueueDrops.load();
  rig.app->invalidateContext();
  rig.screen.holdReplace(false);
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(metricQueueDrops.load(), drops + 3);
  EXPECT_EQ(
      rig.screen.journal(),
      (std::vector<std::string>{"replace 0 ", "char  ", "enter 76 " + std::to_string(kFlagShift)}));
  rig.cmd(kKeyZ, U'z');  // no undo record was made
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.count("replace"), 1);
}

// The switch Return or Enter ended a fix is re-sent even when the context
// moved while the fix was typed, but only into the application it was typed
// in; a space is typed with the text itself. Nothing is left to revert.
TEST(AppQueue, BoundaryOfATypedFixSurvivesAnInvalidationWhileTyping) {
  struct Case {
    uint16_t keycode;
    char32_t ch;
    int64_t flags;
    bool switchApp;
    const char* expected;
    int enters;
  };
  for (const Case& c : {Case{kKeySpace, U' ', 0, false, "привет ", 0},
                        Case{kKeyReturn, 13, 0, false, "привет\n", 1},
                        Case{kKeyKeypadEnter, 3, kFlagShift, false, "привет\n", 1},
                        Case{kKeyReturn, 13, 0, true, "", 0}}) {
    SCOPED_TRACE(c.keycode + (c.switchApp ? 1000 : 0));
    PipelineRig rig;
    rig.screen.holdReplace(true);
    rig.type("ghbdtn");
    rig.press(c.keycode, c.ch, c.flags);
    ASSERT_TRUE(rig.screen.waitReplaceEntered());
    if (c.switchApp) rig.screen.activate("com.other");
    rig.app->invalidateContext();  // as a re-enabled tap or an application switch does
    rig.screen.holdReplace(false);
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(rig.screen.textOf("com.apple.TextEdit"), c.switchApp ? "ghbdtn" : c.expected);
    EXPECT_EQ(
        rig.screen.count("enter " + std::to_string(c.keycode) + " " + std::to_string(c.flags)),
        c.enters);
    if (c.switchApp) continue;
    rig.cmd(kKeyZ, U'z');
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(rig.screen.count("replace"), 1);
  }
}

// Keys typed while corrections are paused reach the application, so nothing
// the pipeline knew before the pause may act on the text after it.
TEST(AppPause, KeysTypedWhilePausedLeaveNeitherAHalfWordNorAnUndo) {
  struct Case {
    const char* before;
    const char* paused;
    const char* after;  // then Cmd+Z, when undo is set
    bool undo;
    const char* expected;
  };
  for (const Case& c :
       {Case{"ghb", "dtn", " ", false, "ghbdtn "}, Case{"ghbdtn ", "123", "", true, "привет 123"},
        Case{"ghb", "", "dtn ", false, "привет "}}) {
    SCOPED_TRACE(std::string(c.before) + "|" + c.paused + "|" + c.after);
    PipelineRig rig;
    rig.type(c.before);
    ASSERT_TRUE(rig.idle());
    rig.screen.trayOn = false;
    rig.type(c.paused);
    rig.tapShift();  // modifiers alone change no text
    rig.screen.trayOn = true;
    rig.type(c.after);
    if (c.undo) rig.cmd(kKeyZ, U'z');
    ASSERT_TRUE(rig.idle());
    EXPECT_EQ(rig.screen.text(), c.expected);
  }
}

TEST(AppLearning, CmdZAndTwoRetypesTeachExceptions) {
  TempStore temp;
  PipelineRig rig(temp.store());
  rig.type("ghbdtn ");
  ASSERT_TRUE(rig.idle());
  rig.cmd(kKeyZ, U'z');
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "ghbdtn ");
  rig.type("ghbdtn ");  // now an exception here: left alone
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "ghbdtn ghbdtn ");

  // Erase the fix and type the word again as it was typed, twice.
  for (int round = 0; round < 2; ++round) {
    rig.type("vbh ");
    ASSERT_TRUE(rig.idle());
    rig.type("\b\b\b\bvbh ");
    ASSERT_TRUE(rig.idle());
  }
  rig.type("vbh ");
  ASSERT_TRUE(rig.idle());
  EXPECT_EQ(rig.screen.text(), "ghbdtn ghbdtn мир vbh vbh ");
}

}  // namespace
}  // namespace vyx::testing
