// A person who forgot to switch the layout, typing sentences: what ends up in
// the text editor, which input source is selected afterwards, and the icon.
#include <string>

#include "os/sim/key_codes.h"
#include "shared_desk.h"

namespace vyx::testing {
namespace {

namespace key = os::sim::key;
using os::Bytes;
using os::sim::PasteboardItemContent;

class Typing : public SharedDesk {};

struct Sentence {
  const char* selected;  // the source when the person starts
  const char* intended;  // what the person means, typed key by key
  const char* sourceAfter;
};

TEST_F(Typing, EveryWordEndsUpAsMeantWhateverSourceWasSelected) {
  for (const Sentence& s : {
           // The commas and full stops on the Russian layout's keys (Shift+6,
           // Shift+7), which give ^ and & on the U.S. source.
           Sentence{kUS, "Мы пошли в кино, а потом домой. Было весело, правда? ", kRussian},
           // The б of будет is pressed while Когда is corrected, before the
           // switch to Russian: a comma on the U.S. source.
           Sentence{kUS, "Когда будет готово, напиши. ", kRussian},
           Sentence{kRussian, "Hello there! How are you today? See you soon! ", kUS},
           // The language changes mid-sentence, more than once.
           Sentence{kUS, "Скинь мне pull request сегодня вечером, посмотрю дома. ", kRussian},
           Sentence{kRussian, "Meeting перенесли на пятницу, agenda пришлю позже. ", kRussian},
       }) {
    desk().freshField(s.selected);
    EXPECT_EQ(desk().type(s.intended), s.intended) << "started on " << s.selected;
    EXPECT_EQ(desktop().currentInputSource(), s.sourceAfter) << s.intended;
    EXPECT_EQ(desktop().statusItemTitle(), kActive);
  }
}

// Keys 20 ms apart, unevenly, across changes of language: most keys of the
// next word arrive while a correction is typed, are held back and are
// replayed after it, and a word begun before the switch of the layout ends
// after it.
TEST_F(Typing, FastTypingAcrossCorrectionsLosesAndRepeatsNoKey) {
  const std::string intended =
      "Привет! Скинь мне pull request сегодня, и мы выпустим новую версию быстро. Спасибо "
      "всем! ";
  desk().freshField(kUS);
  EXPECT_EQ(desk().type(intended, {std::chrono::milliseconds(20), std::chrono::milliseconds(8), 3}),
            intended);
}

// Keys 8 ms apart: the words after a correction are pressed while it is
// typed, on the source it then leaves. They come out as on the source it
// selects, as had it been selected at once: not "Ш", nor "руку", which the
// keys of "here" give on the Russian source and which is a Russian word.
TEST_F(Typing, KeysPressedWhileACorrectionIsTypedComeOutOnTheSourceItSelects) {
  const std::string intended = "Hello I am here. ";
  desk().freshField(kRussian);
  EXPECT_EQ(desk().type(intended, {std::chrono::milliseconds(8), std::chrono::milliseconds(2), 5}),
            intended);
  EXPECT_EQ(desktop().currentInputSource(), kUS);
}

TEST_F(Typing, ShiftTwiceConvertsTheWordBeingTyped) {
  desk().freshField(kUS);
  // Not a word of either list: left as the U.S. source gave it.
  EXPECT_EQ(desk().type("Вжух"), "D;e[");
  desktop().tapModifier(key::kShift);
  desktop().tapModifier(key::kRightShift);
  desk().settle();
  EXPECT_EQ(desktop().text(kTextEdit), "Вжух");
  EXPECT_EQ(desktop().currentInputSource(), kRussian);
}

TEST_F(Typing, CmdShiftXConvertsTheSelectionAndPutsBackThePasteboard) {
  const std::vector<PasteboardItemContent> image{
      {{{"public.png", Bytes{0x89, 'P', 'N', 'G'}}, {"public.tiff", Bytes{'I', 'I', 42, 0}}}}};
  desk().freshField(kUS);
  desktop().setField(
      kTextEdit, {.text = "ghbdtn vbh", .caret = 10, .selectionStart = 0, .selectionLength = 10});
  desktop().setPasteboard(image);
  desk().press(key::kX, os::kEventFlagMaskCommand | os::kEventFlagMaskShift);
  EXPECT_EQ(desktop().text(kTextEdit), "привет мир");
  EXPECT_EQ(desktop().currentInputSource(), kRussian);
  const std::vector<PasteboardItemContent> after = desktop().pasteboard();
  ASSERT_EQ(after.size(), 1U);
  EXPECT_EQ(after[0].types, image[0].types);
}

}  // namespace
}  // namespace vyx::testing
