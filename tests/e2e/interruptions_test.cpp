// The person does something else while a correction is being typed: another
// application comes to the front, or a click moves the caret.
#include <string>
#include <thread>

#include "shared_desk.h"

namespace vyx::testing {
namespace {

constexpr const char* kNotes = "com.apple.Notes";

class Interruptions : public SharedDesk {};

// Returns once the correction has begun to erase the word in TextEdit.
bool waitForErasing(os::sim::DesktopClient& desktop, const std::string& typed) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string now = desktop.text(kTextEdit);
    if (now.size() < typed.size()) return true;
  }
  return false;
}

TEST_F(Interruptions, AnotherApplicationComingToTheFrontGetsNoneOfTheCorrection) {
  desktop().addApp(kNotes);
  desktop().setField(kNotes, {.text = "shopping list", .caret = 13});
  desk().freshField(kUS);
  (void)desktop().typeAsPerson("привет ", kPerson);
  ASSERT_TRUE(waitForErasing(desktop(), "ghbdtn"));
  desktop().activate(kNotes);
  desk().settle();
  // Keys go where the window server finds the front when they arrive: the
  // one Backspace already on its way at the switch may land there, but no
  // key after it.
  const std::string notes = desktop().text(kNotes);
  EXPECT_TRUE(notes == "shopping list" || notes == "shopping lis") << notes;
  // The correction stopped where it was; the person comes back to a word
  // partly erased, and nothing in TextEdit is typed behind their back.
  const std::string left = desktop().text(kTextEdit);
  EXPECT_TRUE(std::string("ghbdtn").starts_with(left)) << left;
  EXPECT_LT(left.size(), 6U);
  EXPECT_EQ(desktop().currentInputSource(), kUS);
}

// The click waits until the correction is typed, then puts the caret where
// the person clicked, and what they type next goes there.
TEST_F(Interruptions, AClickDuringACorrectionTakesEffectAfterIt) {
  desk().freshField(kUS);
  (void)desktop().typeAsPerson("привет ", kPerson);
  ASSERT_TRUE(waitForErasing(desktop(), "ghbdtn"));
  desktop().clickAtCaret(0);
  desk().settle();
  EXPECT_EQ(desktop().field(kTextEdit).caret, 0U);
  EXPECT_EQ(desk().type("Ну, "), "Ну, привет ");
}

}  // namespace
}  // namespace vyx::testing
