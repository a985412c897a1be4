// View properties as the program sets them, read back in snapshots, and
// alpha animation.
#include <gtest/gtest.h>

#include "os/controls.h"
#include "os/sim/desktop.h"
#include "os/views.h"
#include "os/window.h"

namespace vyx::os::sim {
namespace {

const Color kAccent = Color::sRGB(1.0, 0.72, 0.2, 1.0);

TEST(UiViews, PropertiesReadBackInTheSnapshot) {
  Desktop desktop;
  desktop.onMain([&] {
    Window* w = windowCreate({0, 0, 480, 540}, 0x8003, kBackingStoreBuffered, false);
    windowSetTitlebarAppearsTransparent(w, true);
    windowSetTitleHidden(w, true);
    windowSetMovableByWindowBackground(w, true);
    View* effect = visualEffectViewCreate({0, 0, 1, 1});
    visualEffectViewSetMaterial(effect, 21);
    visualEffectViewSetBlendingMode(effect, 0);
    visualEffectViewSetState(effect, 1);
    viewSetAutoresizingMask(effect, kViewWidthSizable | kViewHeightSizable);
    windowSetContentView(w, effect);

    View* band = viewCreate({0, 330, 480, 210});
    viewSetWantsLayer(band, true);
    viewSetGradientLayer(band, {viewBounds(band),
                                {kAccent.withAlpha(0.22), kAccent.withAlpha(0)},
                                {0.5, 1.0},
                                {0.5, 0.0}});
    viewSetAutoresizingMask(band, kViewWidthSizable | kViewMinYMargin);

    View* box = viewCreate({44, 200, 392, 64});
    viewSetWantsLayer(box, true);
    viewLayerSetCornerRadius(box, 14);
    viewLayerSetBackgroundColor(box, Color::dynamic(SystemColor::label).withAlpha(0.05));
    viewLayerSetBorderWidth(box, 1);
    viewLayerSetBorderColor(box, Color::dynamic(SystemColor::label).withAlpha(0.08));
    View* arrow = textFieldCreateLabel("→");
    viewSetFrame(arrow, {178, 22, 36, 22});
    textFieldSetFont(arrow, {false, 16, FontWeight::medium});
    textFieldSetTextColor(arrow, kAccent);
    textFieldSetAlignment(arrow, TextAlignment::center);
    viewSetAlphaValue(arrow, 0);
    viewAddSubview(box, arrow);

    // Without wantsLayer there is no layer to paint, as on a Mac.
    View* plain = viewCreate({0, 0, 10, 10});
    viewLayerSetBackgroundColor(plain, kAccent);

    View* title = textFieldCreateLabel("Раскладка");
    textFieldSetLineBreakMode(title, LineBreakMode::wordWrapping);
    textFieldSetMaximumNumberOfLines(title, 0);

    View* button = buttonCreate({120, 38, 240, 38});
    buttonSetBezelStyle(button, kBezelStyleRounded);
    buttonSetControlSize(button, ControlSize::large);
    buttonSetBezelColor(button, kAccent);
    buttonSetFont(button, {false, 14, FontWeight::medium});
    buttonSetKeyEquivalent(button, "\r");
    for (View* v : {band, box, plain, title, button}) viewAddSubview(effect, v);

    // The arrow fades in within a group; the title fades with the default duration.
    animationGroup(0.3, [&] { viewAnimatorSetAlphaValue(arrow, 1.0); });
    // The final value at once: the box is the content's second view, the arrow its first.
    EXPECT_EQ(desktop.window(0)->content.children.at(1).children.at(0).alpha, 1.0);
    viewAnimatorSetAlphaValue(title, 0.5);
  });

  const auto w = desktop.window(0);
  ASSERT_TRUE(w.has_value());
  EXPECT_TRUE(w->titlebarTransparent && w->titleHidden && w->movableByBackground);
  const ViewSnapshot& effect = w->content;
  EXPECT_EQ(effect.kind, ViewKind::visualEffect);
  EXPECT_EQ(effect.frame, (Rect{0, 0, 480, 540}));  // the content area's size
  EXPECT_EQ(effect.material, 21);
  EXPECT_EQ(effect.state, 1);
  EXPECT_EQ(effect.autoresizingMask, 18U);
  ASSERT_EQ(effect.children.size(), 5U);

  const ViewSnapshot& band = effect.children[0];
  EXPECT_EQ(band.autoresizingMask, 10U);
  EXPECT_EQ(band.gradientFrame, (Rect{0, 0, 480, 210}));
  EXPECT_EQ(band.gradientColors,
            (std::vector<Color>{kAccent.withAlpha(0.22), kAccent.withAlpha(0)}));
  EXPECT_EQ(band.gradientStart, (Point{0.5, 1.0}));
  EXPECT_EQ(band.gradientEnd, (Point{0.5, 0.0}));

  const ViewSnapshot& box = effect.children[1];
  EXPECT_TRUE(box.wantsLayer);
  EXPECT_EQ(box.cornerRadius, 14);
  EXPECT_EQ(box.borderWidth, 1);
  EXPECT_EQ(box.layerBackground, Color::dynamic(SystemColor::label).withAlpha(0.05));
  EXPECT_EQ(box.borderColor, Color::dynamic(SystemColor::label).withAlpha(0.08));
  const ViewSnapshot& arrow = box.children.at(0);
  EXPECT_EQ(arrow.kind, ViewKind::label);
  EXPECT_FALSE(arrow.editable || arrow.bezeled || arrow.drawsBackground);
  EXPECT_EQ(arrow.text, "→");
  EXPECT_EQ(arrow.frame, (Rect{178, 22, 36, 22}));
  EXPECT_EQ(arrow.font, (Font{false, 16, FontWeight::medium}));
  EXPECT_EQ(arrow.textColor, kAccent);
  EXPECT_EQ(arrow.alignment, TextAlignment::center);
  EXPECT_EQ(arrow.alpha, 1.0);
  EXPECT_EQ(arrow.lastAnimation, (std::pair<double, double>{0.3, 1.0}));

  EXPECT_FALSE(effect.children[2].layerBackground.has_value());

  const ViewSnapshot& title = effect.children[3];
  EXPECT_EQ(title.lineBreakMode, LineBreakMode::wordWrapping);
  EXPECT_EQ(title.maximumNumberOfLines, 0);
  EXPECT_EQ(title.textColor, Color::dynamic(SystemColor::label));  // a label's default
  EXPECT_EQ(title.lastAnimation, (std::pair<double, double>{0.25, 0.5}));
  // A new label is as large as its text: 9 letters of 13 pt (0.65 + 8 × 0.5 em).
  EXPECT_EQ(title.frame, (Rect{0, 0, 65, 16}));

  const ViewSnapshot& button = effect.children[4];
  EXPECT_EQ(button.bezelStyle, kBezelStyleRounded);
  EXPECT_EQ(button.controlSize, static_cast<uint8_t>(ControlSize::large));
  EXPECT_EQ(button.bezelColor, kAccent);
  EXPECT_EQ(button.font, (Font{false, 14, FontWeight::medium}));
  EXPECT_EQ(button.keyEquivalent, "\r");
  EXPECT_FALSE(button.hasTarget);
}

}  // namespace
}  // namespace vyx::os::sim
