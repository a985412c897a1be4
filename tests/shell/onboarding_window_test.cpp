// The onboarding window: its layout for the asking and the ready texts
// (checked to the point against the desktop's text measurement), one cycle
// of the demonstration on the driven clock, the ready state and the button.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "shell/onboarding_window.h"
#include "shell/messages.h"
#include "shell_rig.h"

namespace vyx::testing {
namespace {

using os::Color;
using os::Font;
using os::FontWeight;
using os::Rect;
using os::SystemColor;
using os::sim::ViewKind;
using os::sim::ViewSnapshot;
using os::sim::WindowSnapshot;

constexpr auto kStep = std::chrono::milliseconds(280);
const Color kAccent = Color::sRGB(1.0, 0.72, 0.2, 1.0);
const Color kLabel = Color::dynamic(SystemColor::label);
const Color kSecondary = Color::dynamic(SystemColor::secondaryLabel);

// The content view's children, back to front.
enum Child : size_t { band, box, separator, icon, title, body, footnote, button };
enum BoxChild : size_t { typed, arrow, result };

struct Onboarding {
  Onboarding() {
    ui::showOnboardingWindow();
    rig.desktop.drainMainQueue();
  }
  WindowSnapshot window() {
    const auto all = rig.desktop.windows();
    EXPECT_EQ(all.size(), 1U);
    return all.empty() ? WindowSnapshot{} : all[0];
  }
  ViewSnapshot view(Child c) { return window().content.children.at(c); }
  ViewSnapshot demo(BoxChild c) { return view(box).children.at(c); }
  void ready() {
    ui::showOnboardingReady();
    rig.desktop.drainMainQueue();
  }

  ShellRig rig;
};

TEST(OnboardingWindow, ReadyBeforeTheWindowWasEverShownDoesNothing) {
  ShellRig rig;
  ui::showOnboardingReady();
  ui::closeOnboardingWindow();
  rig.desktop.drainMainQueue();
  EXPECT_TRUE(rig.desktop.windows().empty());
}

TEST(OnboardingWindow, IsBuiltAsDrawn) {
  Onboarding t;
  const WindowSnapshot w = t.window();
  EXPECT_EQ(w.frame, (Rect{480, 180, 480, 540}));  // centred on 1440 × 900
  EXPECT_EQ(w.styleMask, 0x8003U);
  EXPECT_TRUE(w.titleHidden && w.titlebarTransparent && w.movableByBackground);
  EXPECT_FALSE(w.releasedWhenClosed);
  EXPECT_TRUE(w.visible && w.key);
  EXPECT_EQ(t.rig.desktop.activations(), 1);
  const ViewSnapshot& c = w.content;
  EXPECT_EQ(c.kind, ViewKind::visualEffect);
  EXPECT_EQ(std::tuple(c.material, c.blendingMode, c.state, c.autoresizingMask),
            std::tuple(21, 0, 1, 18));
  ASSERT_EQ(c.children.size(), 8U);

  const ViewSnapshot& g = c.children[band];
  EXPECT_EQ(g.frame, (Rect{0, 330, 480, 210}));
  EXPECT_EQ(g.gradientFrame, (Rect{0, 0, 480, 210}));
  EXPECT_EQ(g.gradientColors, (std::vector{kAccent.withAlpha(0.22), kAccent.withAlpha(0.0)}));
  EXPECT_EQ(std::pair(g.gradientStart, g.gradientEnd),
            std::pair(os::Point{0.5, 1.0}, os::Point{0.5, 0.0}));
  EXPECT_EQ(g.autoresizingMask, 10U);

  const ViewSnapshot& b = c.children[box];
  EXPECT_TRUE(b.wantsLayer);
  EXPECT_EQ(b.cornerRadius, 14.0);
  EXPECT_EQ(b.layerBackground, kLabel.withAlpha(0.05));
  EXPECT_EQ(std::pair(b.borderWidth, b.borderColor),
            std::pair(1.0, std::optional(kLabel.withAlpha(0.08))));
  EXPECT_EQ(c.children[separator].layerBackground, kLabel.withAlpha(0.1));

  struct Label {
    ViewSnapshot view;
    std::string text;
    Font font;
    Color color;
    os::TextAlignment alignment;
    double alpha;
  };
  using enum os::TextAlignment;
  const std::vector<Label> labels = {
      {c.children[icon], "⚡", {.size = 46}, kLabel, center, 1},
      {c.children[title],
       "Раскладка сама встанет на место",
       {.size = 23, .weight = FontWeight::semibold},
       kLabel,
       center,
       1},
      {c.children[body],
       "Печатайте как печатали. Забыли переключить язык — Vyx заметит и поправит слово сам.",
       {.size = 13.5},
       kSecondary,
       center,
       1},
      {c.children[footnote],
       "Остался один шаг: разрешить Vyx видеть клавиатуру.\n"
       "Так требует macOS — иначе программа не сможет работать.",
       {.size = 12.5},
       Color::dynamic(SystemColor::tertiaryLabel),
       center,
       1},
      {b.children[typed],
       "",
       {.monospaced = true, .size = 17, .weight = FontWeight::medium},
       kSecondary,
       right,
       1},
      {b.children[arrow], "→", {.size = 16, .weight = FontWeight::medium}, kAccent, center, 0},
      {b.children[result], "", {.size = 17, .weight = FontWeight::semibold}, kLabel, left, 0},
  };
  for (const Label& l : labels) {
    SCOPED_TRACE(l.text);
    EXPECT_EQ(l.view.kind, ViewKind::label);
    EXPECT_FALSE(l.view.editable);
    EXPECT_EQ(l.view.text, l.text);
    EXPECT_EQ(l.view.font, l.font);
    EXPECT_EQ(l.view.textColor, l.color);
    EXPECT_EQ(l.view.alignment, l.alignment);
    EXPECT_EQ(l.view.alpha, l.alpha);
  }
  for (const Child wraps : {icon, title, body, footnote}) {
    EXPECT_EQ(c.children[wraps].lineBreakMode, os::LineBreakMode::wordWrapping);
    EXPECT_EQ(c.children[wraps].maximumNumberOfLines, 0);
  }
  EXPECT_EQ(b.children[typed].frame, (Rect{0, 22, 178, 22}));
  EXPECT_EQ(b.children[arrow].frame, (Rect{178, 22, 36, 22}));
  EXPECT_EQ(b.children[result].frame, (Rect{214, 22, 178, 22}));

  const ViewSnapshot& p = c.children[button];
  EXPECT_EQ(p.text, "Разрешить доступ");
  EXPECT_EQ(std::tuple(p.action, p.hasTarget, p.bezelStyle, p.keyEquivalent),
            std::tuple("primaryAction:", true, 1U, "\r"));
  EXPECT_EQ(p.controlSize, static_cast<uint8_t>(os::ControlSize::large));
  EXPECT_EQ(p.bezelColor, kAccent);
  EXPECT_EQ(p.font, (Font{.size = 14, .weight = FontWeight::medium}));
}

// Heights by the desktop's measurement for a width of 392 (388 inside the
// padding): the title (23 semibold) takes one line of 28 in both states.
// The asking body (13.5) breaks after "Vyx" (the line would need 30.45 em
// with "заметит", 388 / 13.5 = 28.7 em fit): two lines of 17. The ready
// body, 25.45 em, takes one. Each footnote line fits (at most 28.85 em of
// 31.04), so both footnotes are two lines of 15.
TEST(OnboardingWindow, LaysTheColumnOutFromTheTopForEachText) {
  struct Case {
    const char* name;
    Rect title, box, body, separator, footnote;
  };
  const std::vector<Case> cases = {
      {"asking",
       {44, 378, 392, 28},
       {44, 288, 392, 64},
       {44, 228, 392, 34},
       {84, 204, 312, 1},
       {44, 150, 392, 30}},
      {"ready",
       {44, 378, 392, 28},
       {44, 288, 392, 64},
       {44, 245, 392, 17},
       {84, 221, 312, 1},
       {44, 167, 392, 30}},
  };
  Onboarding t;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (std::string(c.name) == "ready") t.ready();
    EXPECT_EQ(t.view(icon).frame, (Rect{44, 430, 392, 52}));
    EXPECT_EQ(t.view(title).frame, c.title);
    EXPECT_EQ(t.view(box).frame, c.box);
    EXPECT_EQ(t.view(body).frame, c.body);
    EXPECT_EQ(t.view(separator).frame, c.separator);
    EXPECT_EQ(t.view(footnote).frame, c.footnote);
    EXPECT_EQ(t.view(button).frame, (Rect{120, 38, 240, 38}));
  }
}

// What the demonstration shows: the typed text, the arrow's alpha, the
// result's text and alpha.
using Frame = std::tuple<std::string, double, std::string, double>;

Frame frameOf(Onboarding& t) {
  return {t.demo(typed).text, t.demo(arrow).alpha, t.demo(result).text, t.demo(result).alpha};
}

const Frame kFinal = {"ghbdtn", 1, "привет", 1};

TEST(OnboardingWindow, DemonstratesOneCycleStepByStep) {
  Onboarding t;
  const std::vector<Frame> steps = {
      {"", 0, "", 0},
      {"g", 0, "", 0},
      {"gh", 0, "", 0},
      {"ghb", 0, "", 0},
      {"ghbd", 0, "", 0},
      {"ghbdt", 0, "", 0},
      {"ghbdtn", 0, "", 0},
      {"ghbdtn", 1, "", 0},
      kFinal,
      kFinal,
      kFinal,
      kFinal,
      kFinal,
      kFinal,
      // The next cycle starts again from nothing typed.
      {"", 0, "привет", 0},
      {"g", 0, "привет", 0},
  };
  t.rig.desktop.advance(kStep - std::chrono::milliseconds(1));
  EXPECT_EQ(frameOf(t), (Frame{"", 0, "", 0}));
  t.rig.desktop.advance(std::chrono::milliseconds(1));
  for (size_t i = 0; i < steps.size(); ++i) {
    if (i > 0) t.rig.desktop.advance(kStep);
    SCOPED_TRACE("step " + std::to_string(i));
    EXPECT_EQ(frameOf(t), steps[i]);
    EXPECT_EQ(t.demo(typed).textColor, kSecondary);
    // The arrow fades in over 0.25 s, the result over 0.3 s.
    if (i == 7) {
      EXPECT_EQ(t.demo(arrow).lastAnimation, std::pair(0.25, 1.0));
    }
    if (i == 8) {
      EXPECT_EQ(t.demo(result).lastAnimation, std::pair(0.3, 1.0));
    }
  }
}

TEST(OnboardingWindow, ReadyMidCycleShowsTheFinalFrameAndStopsTheDemonstration) {
  Onboarding t;
  for (int i = 0; i < 4; ++i) t.rig.desktop.advance(kStep);
  EXPECT_EQ(std::get<0>(frameOf(t)), "ghb");
  t.ready();
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(frameOf(t), kFinal);
    t.rig.desktop.advance(kStep);
  }
  EXPECT_EQ(t.view(icon).text, "✓");
  EXPECT_EQ(t.view(icon).textColor, Color::sRGB(0.2, 0.72, 0.4, 1.0));
  EXPECT_EQ(t.view(title).text, "Готово — можно печатать");
  EXPECT_EQ(t.view(body).text, "Значок ⚡ живёт в строке меню — там пауза и памятка.");
  EXPECT_EQ(t.view(footnote).text,
            "⌘Z — отменить исправление     Shift Shift — поправить вручную\n"
            "⌘⇧X — исправить выделенное");
  EXPECT_EQ(t.view(footnote).textColor, kSecondary);
  EXPECT_EQ(t.view(footnote).font, (Font{.size = 12.5}));
  EXPECT_EQ(t.view(button).text, "Начать");
}

TEST(OnboardingWindow, ClosedFromItsTitleBarItComesBackReadyAndReturnFinishes) {
  Onboarding t;
  auto& d = t.rig.desktop;
  const size_t id = t.window().id;
  ASSERT_TRUE(d.closeWindow(id));
  EXPECT_FALSE(t.window().visible);
  t.ready();
  EXPECT_TRUE(t.window().visible && t.window().key);
  EXPECT_EQ(t.view(button).text, "Начать");
  EXPECT_TRUE(d.pressReturn(id));
  d.drainMainQueue();
  EXPECT_FALSE(t.window().visible);
  EXPECT_EQ(d.accessibilityPrompts(), 0);
  // Shown again it only comes forward, as it was: no new demonstration.
  ui::showOnboardingWindow();
  d.drainMainQueue();
  d.advance(kStep);
  EXPECT_TRUE(t.window().visible);
  EXPECT_EQ(frameOf(t), kFinal);
  EXPECT_EQ(t.view(button).text, "Начать");
}

TEST(OnboardingWindow, GrantPromptsAndOpensThePaneEveryTime) {
  Onboarding t;
  auto& d = t.rig.desktop;
  const size_t id = t.window().id;
  EXPECT_TRUE(d.clickButton(id, "Разрешить доступ"));
  EXPECT_TRUE(d.clickButton(id, "Разрешить доступ"));
  EXPECT_TRUE(d.pressReturn(id));
  EXPECT_EQ(d.accessibilityPrompts(), 3);
  const std::vector<std::string> pane = {std::string(kAccessibilityPaneURL)};
  EXPECT_EQ(d.launches(), (std::vector{pane, pane, pane}));
  EXPECT_TRUE(t.window().visible);
  EXPECT_EQ(t.view(button).text, "Разрешить доступ");

  d.failLaunches("open: permission denied");
  EXPECT_TRUE(d.clickButton(id, "Разрешить доступ"));
  d.drainMainQueue();
  const auto alert = d.currentAlert();
  ASSERT_TRUE(alert);
  EXPECT_EQ(alert->messageText, "Cannot open");
  EXPECT_EQ(alert->informativeText, "open: permission denied");
  EXPECT_EQ(d.accessibilityPrompts(), 4);
  EXPECT_TRUE(d.dismissAlert());
  EXPECT_EQ(t.view(button).text, "Разрешить доступ");
}

}  // namespace
}  // namespace vyx::testing
