// Text measurement: sizes worked out by hand from the documented model.
#include <gtest/gtest.h>

#include "os/controls.h"
#include "os/sim/desktop.h"
#include "os/views.h"

namespace vyx::os::sim {
namespace {

struct MeasureCase {
  const char* text;
  Font font;
  LineBreakMode mode;
  int64_t maximumLines;
  double boundsWidth;
  Size expected;
};

constexpr Font kRegular10{false, 10, FontWeight::regular};
constexpr auto kWrap = LineBreakMode::wordWrapping;
constexpr auto kClip = LineBreakMode::clipping;

TEST(UiTextMetrics, CellSizeFollowsTheModel) {
  const MeasureCase cases[] = {
      // Widths in em: a b 0.5, I l 0.3, m 0.8, digits 0.6, capitals 0.65,
      // space 0.25; 2 points of padding each side; line height ceil(1.2 × size).
      {"", kRegular10, kClip, 0, 100, {4, 12}},
      {"ab", {false, 13, FontWeight::regular}, kClip, 0, 100, {17, 16}},      // 13 → 13 + 4
      {"Ill", kRegular10, kClip, 0, 100, {13, 12}},                           // 9
      {"A1", kRegular10, kClip, 0, 100, {17, 12}},                            // 12.5 → 13
      {"mm", {false, 10, FontWeight::semibold}, kClip, 0, 100, {21, 12}},     // 16.64 → 17
      {"ab1", {true, 10, FontWeight::bold}, kClip, 0, 100, {22, 12}},         // 3 × 6
      {"привет", kRegular10, kClip, 0, 100, {34, 12}},                        // 6 × 5
      {"Жук", kRegular10, kClip, 0, 100, {22, 12}},                           // 8 + 5 + 5
      {"⚡", {false, 46, FontWeight::regular}, kClip, 0, 392, {50, 56}},       // 1 em
      {"⚠︎", {false, 14, FontWeight::regular}, kClip, 0, 100, {18, 17}},  // U+FE0E has none
      {"a — b", kRegular10, kClip, 0, 100, {29, 12}},                         // 5+2.5+10+2.5+5
      {"ab   ", kRegular10, kClip, 0, 100, {14, 12}},                         // trailing spaces
      {"ab\ncd\r\nef", kRegular10, kClip, 0, 5, {14, 36}},                    // no wrapping
      // Wrapping: "aaaa aaaa" is 20 + 2.5 + 20.
      {"aaaa aaaa", kRegular10, kWrap, 0, 47, {47, 12}},        // 42.5 fits 43
      {"aaaa aaaa", kRegular10, kWrap, 0, 46, {24, 24}},        // 42.5 > 42
      {"aaaa aaaa", kRegular10, kWrap, 1, 46, {24, 12}},        // at most one line
      {"aaaa  aaaa aaaa", kRegular10, kWrap, 0, 50, {49, 24}},  // inner spaces count: 45
      // A word longer than the line breaks between characters: 5 a's a line.
      {"aaaaaaaaaaaa", kRegular10, kWrap, 0, 29, {29, 36}},
      {"ab cd", kRegular10, LineBreakMode::charWrapping, 0, 16, {14, 24}},
      {"ab cd", kRegular10, LineBreakMode::charWrapping, 0, 12, {9, 48}},
      // 0.65 + 24 × 0.5 + 2 × 0.8 + 4 × 0.25 = 15.25 em at 23 pt semibold:
      // 364.78 fits the onboarding column (392 − 4).
      {"Раскладка сама встанет на место",
       {false, 23, FontWeight::semibold},
       kWrap,
       0,
       392,
       {369, 28}},
  };
  Desktop desktop;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    desktop.onMain([&] {
      View* label = textFieldCreateLabel(c.text);
      textFieldSetFont(label, c.font);
      textFieldSetLineBreakMode(label, c.mode);
      textFieldSetMaximumNumberOfLines(label, c.maximumLines);
      EXPECT_EQ(textFieldCellSizeForBounds(label, {0, 0, c.boundsWidth, 1e7}), c.expected);
    });
  }
}

}  // namespace
}  // namespace vyx::os::sim
