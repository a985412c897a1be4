// The onboarding window: shown when the keyboard hook cannot start for want
// of the Accessibility permission. It explains, loops a demonstration of
// "ghbdtn" turning into "привет", and asks for the permission; once the hook
// runs it switches to a ready state whose button closes it. A failure
// inside the button's work is logged and never reaches the window.
//
// Threads: any thread; they only queue work on the main queue, where the
// window, its demonstration timer and its button live.
#pragma once

namespace vyx::ui {

void showOnboardingWindow();
void showOnboardingReady();
// What the ready state's button does; the tests also close it directly.
void closeOnboardingWindow();

}  // namespace vyx::ui
