#include "shell/onboarding_window.h"

#include <exception>
#include <limits>
#include <string>
#include <string_view>

#include "log/logger.h"
#include "os/application.h"
#include "os/controls.h"
#include "os/handle.h"
#include "os/main_queue.h"
#include "platform/accessibility.h"
#include "shell/messages.h"
#include "shell/ui_globals.h"
#include "text/utf8.h"

namespace vyx::ui {

namespace {

constexpr os::WindowStyleMask kOnboardingStyle = os::kWindowStyleMaskTitled |
                                                 os::kWindowStyleMaskClosable |
                                                 os::kWindowStyleMaskFullSizeContentView;
constexpr int64_t kUnderWindowBackground = 21;
constexpr int64_t kBehindWindow = 0;
constexpr int64_t kAlwaysActive = 1;

constexpr double kColumnX = 44;
constexpr double kColumnWidth = 392;

constexpr std::u32string_view kDemoWord = U"ghbdtn";
constexpr std::string_view kDemoResult = "привет";
constexpr int64_t kDemoSteps = 14;
constexpr double kDemoInterval = 0.28;

constexpr std::string_view kGrantTitle = "Разрешить доступ";
constexpr std::string_view kFinishTitle = "Начать";

const os::Color kAccent = os::Color::sRGB(1.0, 0.72, 0.2, 1.0);
const os::Color kReadyGreen = os::Color::sRGB(0.2, 0.72, 0.4, 1.0);
const os::Color kLabel = os::Color::dynamic(os::SystemColor::label);
const os::Color kSecondary = os::Color::dynamic(os::SystemColor::secondaryLabel);
const os::Color kTertiary = os::Color::dynamic(os::SystemColor::tertiaryLabel);

os::Font systemFont(double size, os::FontWeight weight) {
  return os::Font{.size = size, .weight = weight};
}

os::View* makeOnboardingLabel(std::string_view text, const os::Color& color, double size,
                              os::FontWeight weight) {
  os::View* label = os::textFieldCreateLabel(text);
  os::textFieldSetEditable(label, false);
  os::textFieldSetFont(label, systemFont(size, weight));
  os::textFieldSetTextColor(label, color);
  os::textFieldSetAlignment(label, os::TextAlignment::center);
  os::textFieldSetLineBreakMode(label, os::LineBreakMode::wordWrapping);
  os::textFieldSetMaximumNumberOfLines(label, 0);
  return label;
}

os::View* makeDemoLabel(os::Rect frame, std::string_view text, const os::Font& font,
                        const os::Color& color, os::TextAlignment alignment) {
  os::View* label = os::textFieldCreateLabel(text);
  os::viewSetFrame(label, frame);
  os::textFieldSetFont(label, font);
  os::textFieldSetTextColor(label, color);
  os::textFieldSetAlignment(label, alignment);
  return label;
}

os::View* makeLayerView(const os::Color& background) {
  os::View* view = os::viewCreate({});
  os::viewSetWantsLayer(view, true);
  os::viewLayerSetBackgroundColor(view, background);
  return view;
}

os::View* makeGradientBand() {
  os::View* band = os::viewCreate({0, 330, 480, 210});
  os::viewSetWantsLayer(band, true);
  // Strongest at the top, fading downwards.
  os::viewSetGradientLayer(band, {.frame = os::viewBounds(band),
                                  .colors = {kAccent.withAlpha(0.22), kAccent.withAlpha(0.0)},
                                  .startPoint = {0.5, 1.0},
                                  .endPoint = {0.5, 0.0}});
  os::viewSetAutoresizingMask(band, os::kViewWidthSizable | os::kViewMinYMargin);
  return band;
}

os::View* makePrimaryButton(os::Target* target) {
  os::View* button = os::buttonCreate({120, 38, 240, 38});
  os::buttonSetTitle(button, kGrantTitle);
  os::buttonSetTarget(button, target);
  os::buttonSetAction(button, "primaryAction:");
  os::buttonSetBezelStyle(button, os::kBezelStyleRounded);
  if (os::systemIsAtLeastMacOS11()) os::buttonSetControlSize(button, os::ControlSize::large);
  os::buttonSetKeyEquivalent(button, "\r");
  os::buttonSetBezelColor(button, kAccent);
  os::buttonSetFont(button, systemFont(14.0, os::FontWeight::medium));
  return button;
}

void sendToDelegate(const char* selector) {
  const os::Target* delegate = shellUi().onboarding.onboardingDelegate.get();
  if (delegate == nullptr) return;
  const auto it = delegate->actions.find(selector);
  if (it != delegate->actions.end()) it->second();
}

// One step of the demonstration (the timer's action).
void advanceDemo() {
  const os::AutoreleasePool pool;
  OnboardingUi& ob = shellUi().onboarding;
  const int64_t step = ob.demoTick % kDemoSteps;
  ++ob.demoTick;
  const auto wordLength = static_cast<int64_t>(kDemoWord.size());
  if (step <= wordLength) {
    os::textFieldSetStringValue(ob.demoTypedLabel,
                                encodeUtf8(kDemoWord.substr(0, static_cast<size_t>(step))));
    os::textFieldSetTextColor(ob.demoTypedLabel, kSecondary);
    os::viewSetAlphaValue(ob.demoArrowLabel, 0);
    os::viewSetAlphaValue(ob.demoResultLabel, 0);
  } else if (step == wordLength + 1) {
    os::animationGroup(0.25, [&] { os::viewAnimatorSetAlphaValue(ob.demoArrowLabel, 1.0); });
  } else if (step == wordLength + 2) {
    os::textFieldSetStringValue(ob.demoResultLabel, kDemoResult);
    os::animationGroup(0.3, [&] { os::viewAnimatorSetAlphaValue(ob.demoResultLabel, 1.0); });
  }
  // The remaining steps hold the finished correction.
}

// Runs the button's work; a failure is logged with the format and goes no
// further, so the window keeps its state.
template <class F>
void guarded(std::string_view panicFormat, F&& work) {
  try {
    work();
  } catch (const std::exception& e) {
    logf(panicFormat, e.what());
  } catch (...) {
    logf(panicFormat, "unknown failure");
  }
}

// Asks for the Accessibility permission and opens its settings pane; the
// hook starts later, when the Accessibility watcher sees the grant.
void goOnboardingGrant() {
  guarded("PANIC in goOnboardingGrant: %v", [] {
    promptAccessibility();
    openWithDefaultApp(kAccessibilityPaneURL);
  });
}

void goOnboardingFinish() {
  guarded("PANIC in goOnboardingFinish: %v", [] { closeOnboardingWindow(); });
}

// The button: "Начать" finishes, anything else asks for the permission.
void primaryAction() {
  if (os::buttonTitle(shellUi().onboarding.primaryButton) == kFinishTitle) {
    goOnboardingFinish();
  } else {
    goOnboardingGrant();
  }
}

std::unique_ptr<os::Target> makeOnboardingDelegate() {
  auto delegate = std::make_unique<os::Target>();
  delegate->actions["primaryAction:"] = [] { primaryAction(); };
  delegate->actions["advanceDemo:"] = [] { advanceDemo(); };
  return delegate;
}

void buildOnboardingWindow() {
  OnboardingUi& ob = shellUi().onboarding;
  if (!ob.onboardingDelegate) ob.onboardingDelegate = makeOnboardingDelegate();

  os::Window* window =
      os::windowCreate({0, 0, 480, 540}, kOnboardingStyle, os::kBackingStoreBuffered, false);
  os::windowSetTitlebarAppearsTransparent(window, true);
  os::windowSetTitleHidden(window, true);
  os::windowSetMovableByWindowBackground(window, true);
  os::windowSetReleasedWhenClosed(window, false);
  os::windowCenter(window);

  os::View* content = os::visualEffectViewCreate({0, 0, 480, 540});
  os::visualEffectViewSetMaterial(content, kUnderWindowBackground);
  os::visualEffectViewSetBlendingMode(content, kBehindWindow);
  os::visualEffectViewSetState(content, kAlwaysActive);
  os::viewSetAutoresizingMask(content, os::kViewWidthSizable | os::kViewHeightSizable);
  os::windowSetContentView(window, content);

  ob.iconLabel = makeOnboardingLabel("⚡", kLabel, 46.0, os::FontWeight::regular);
  os::viewSetFrame(ob.iconLabel, {44, 430, 392, 52});
  ob.titleLabel = makeOnboardingLabel("Раскладка сама встанет на место", kLabel, 23.0,
                                      os::FontWeight::semibold);

  ob.demoBox = makeLayerView(kLabel.withAlpha(0.05));
  os::viewLayerSetCornerRadius(ob.demoBox, 14.0);
  os::viewLayerSetBorderWidth(ob.demoBox, 1.0);
  os::viewLayerSetBorderColor(ob.demoBox, kLabel.withAlpha(0.08));
  ob.demoTypedLabel = makeDemoLabel(
      {0, 22, 178, 22}, "", {.monospaced = true, .size = 17.0, .weight = os::FontWeight::medium},
      kSecondary, os::TextAlignment::right);
  ob.demoArrowLabel =
      makeDemoLabel({178, 22, 36, 22}, "→", systemFont(16.0, os::FontWeight::medium), kAccent,
                    os::TextAlignment::center);
  os::viewSetAlphaValue(ob.demoArrowLabel, 0);
  ob.demoResultLabel =
      makeDemoLabel({214, 22, 178, 22}, "", systemFont(17.0, os::FontWeight::semibold), kLabel,
                    os::TextAlignment::left);
  os::viewSetAlphaValue(ob.demoResultLabel, 0);
  for (os::View* label : {ob.demoTypedLabel, ob.demoArrowLabel, ob.demoResultLabel}) {
    os::viewAddSubview(ob.demoBox, label);
  }

  ob.bodyLabel = makeOnboardingLabel(
      "Печатайте как печатали. Забыли переключить язык — Vyx заметит и поправит слово сам.",
      kSecondary, 13.5, os::FontWeight::regular);
  ob.separatorView = makeLayerView(kLabel.withAlpha(0.1));
  ob.footnoteLabel = makeOnboardingLabel(
      "Остался один шаг: разрешить Vyx видеть клавиатуру.\n"
      "Так требует macOS — иначе программа не сможет работать.",
      kTertiary, 12.5, os::FontWeight::regular);
  ob.primaryButton = makePrimaryButton(ob.onboardingDelegate.get());

  for (os::View* view : {makeGradientBand(), ob.demoBox, ob.separatorView, ob.iconLabel,
                         ob.titleLabel, ob.bodyLabel, ob.footnoteLabel, ob.primaryButton}) {
    os::viewAddSubview(content, view);
  }
  ob.onboardingWindow = window;
}

void stopDemo() {
  OnboardingUi& ob = shellUi().onboarding;
  if (ob.demoTimer == nullptr) return;
  os::timerInvalidate(ob.demoTimer);
  ob.demoTimer = nullptr;
}

void bringForward() {
  os::windowMakeKeyAndOrderFront(shellUi().onboarding.onboardingWindow);
  os::applicationActivateIgnoringOtherApps(true);
}

// The height the label's text needs in the column, lines wrapped.
double measuredHeight(const os::View* label) {
  return os::textFieldCellSizeForBounds(label,
                                        {0, 0, kColumnWidth, std::numeric_limits<double>::max()})
      .height;
}

// Places the column from the top down after the texts changed.
void layoutOnboarding() {
  const OnboardingUi& ob = shellUi().onboarding;
  os::viewSetFrame(ob.iconLabel, {kColumnX, 430, kColumnWidth, 52});
  const double hT = measuredHeight(ob.titleLabel);
  os::viewSetFrame(ob.titleLabel, {kColumnX, 406 - hT, kColumnWidth, hT});
  double y = 406 - hT - 26;  // the top of the demonstration box
  os::viewSetFrame(ob.demoBox, {kColumnX, y - 64, kColumnWidth, 64});
  y -= 90;
  const double hB = measuredHeight(ob.bodyLabel);
  os::viewSetFrame(ob.bodyLabel, {kColumnX, y - hB, kColumnWidth, hB});
  y -= hB + 24;
  os::viewSetFrame(ob.separatorView, {84, y, 312, 1});
  y -= 24;
  const double hF = measuredHeight(ob.footnoteLabel);
  os::viewSetFrame(ob.footnoteLabel, {kColumnX, y - hF, kColumnWidth, hF});
  os::viewSetFrame(ob.primaryButton, {120, 38, 240, 38});
}

// The queued work of the three entry points.
void presentOnboardingWindow() {
  const os::AutoreleasePool pool;
  OnboardingUi& ob = shellUi().onboarding;
  if (ob.onboardingWindow != nullptr) {
    // Only brought forward: a stopped demonstration stays stopped.
    bringForward();
    return;
  }
  buildOnboardingWindow();
  layoutOnboarding();
  stopDemo();
  ob.demoTick = 0;
  ob.demoTimer = os::timerScheduled(kDemoInterval, true, [] { sendToDelegate("advanceDemo:"); });
  bringForward();
}

void applyOnboardingReady() {
  const os::AutoreleasePool pool;
  OnboardingUi& ob = shellUi().onboarding;
  if (ob.onboardingWindow == nullptr) return;
  stopDemo();
  os::textFieldSetStringValue(ob.iconLabel, "✓");
  os::textFieldSetTextColor(ob.iconLabel, kReadyGreen);
  os::textFieldSetStringValue(ob.titleLabel, "Готово — можно печатать");
  // The final frame at once, whatever step the demonstration was at.
  os::textFieldSetStringValue(ob.demoTypedLabel, encodeUtf8(kDemoWord));
  os::viewSetAlphaValue(ob.demoTypedLabel, 1.0);
  os::viewSetAlphaValue(ob.demoArrowLabel, 1.0);
  os::textFieldSetStringValue(ob.demoResultLabel, kDemoResult);
  os::viewSetAlphaValue(ob.demoResultLabel, 1.0);
  os::textFieldSetStringValue(ob.bodyLabel, "Значок ⚡ живёт в строке меню — там пауза и памятка.");
  os::textFieldSetStringValue(ob.footnoteLabel,
                              "⌘Z — отменить исправление     Shift Shift — поправить вручную\n"
                              "⌘⇧X — исправить выделенное");
  os::textFieldSetFont(ob.footnoteLabel, systemFont(12.5, os::FontWeight::regular));
  os::textFieldSetTextColor(ob.footnoteLabel, kSecondary);
  os::buttonSetTitle(ob.primaryButton, kFinishTitle);
  layoutOnboarding();
  // Also when the person had closed it.
  bringForward();
}

void closeOnboardingNow() {
  const os::AutoreleasePool pool;
  stopDemo();
  if (os::Window* window = shellUi().onboarding.onboardingWindow) os::windowClose(window);
}

}  // namespace

void showOnboardingWindow() {
  os::dispatchAsyncMain([] { presentOnboardingWindow(); });
}

void showOnboardingReady() {
  os::dispatchAsyncMain([] { applyOnboardingReady(); });
}

void closeOnboardingWindow() {
  os::dispatchAsyncMain([] { closeOnboardingNow(); });
}

}  // namespace vyx::ui
