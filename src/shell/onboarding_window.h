// The onboarding window: shown when the keyboard hook cannot start for want
// of the Accessibility permission. It explains, loops a demonstration of
// "ghbdtn" turning into "привет", and asks for the permission; once the hook
// runs it switches to a ready state whose button closes it. A failure
// inside the button's work is logged and never reaches the window.
//
// Threads: showOnboardingWindow, showOnboardingReady and
// closeOnboardingWindow from any thread (they only queue work on the main
// queue); everything else on the main thread.
#pragma once

namespace vyx::ui {

void showOnboardingWindow();
void showOnboardingReady();
void closeOnboardingWindow();

// Places the column from the top down after the texts changed.
void layoutOnboarding();
// One step of the demonstration (the timer's action).
void advanceDemo();
// The button: "Начать" finishes, anything else asks for the permission.
void primaryAction();

}  // namespace vyx::ui
