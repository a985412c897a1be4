// Drawings of the simulated screen as SVG documents, for a person to look
// at: a window with its views, and the status item with its open menu. Text
// is laid out with the same model that measures it (ui_text_metrics.h);
// dynamic label colours take their light-mode values. The output depends
// on the tree alone: the same tree gives the same bytes.
//
// Threads: main thread (they read UiState).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "os/sim/ui_state.h"

namespace vyx::os::sim {

[[nodiscard]] std::string drawWindowSvg(const Window& window);
[[nodiscard]] std::string drawStatusMenuSvg(const UiState& ui);

// The pieces both drawings share.
struct Paint {
  std::string color = "none";  // "#rrggbb" or "none"
  double opacity = 1;
};
[[nodiscard]] Paint paintOf(const Color& color);

class SvgBuilder final {
 public:
  SvgBuilder(double width, double height);
  [[nodiscard]] std::string finish();

  void rect(double x, double y, double w, double h, double radius, const Paint& fill,
            const Paint& stroke = {}, double strokeWidth = 0);
  void circle(double cx, double cy, double r, const Paint& fill);
  void line(double x1, double y1, double x2, double y2, const Paint& stroke, double width);
  void polyline(const std::vector<Point>& points, const Paint& stroke, double width);
  // One line of text; x is its start, middle or end as anchor says.
  void text(double x, double baseline, std::u32string_view text, const Font& font,
            const Paint& fill, std::string_view anchor);
  // Lines laid out in a box of this width from top, as a field aligns them.
  void textBlock(const std::vector<std::u32string>& lines, const Font& font, const Paint& fill,
                 TextAlignment alignment, double width, double top);

  // A group moved by (dx, dy), with an opacity and an optional clip.
  void beginGroup(double dx, double dy, double opacity, std::string_view clipID = {});
  void endGroup();
  // Definitions; each returns the id to refer to it by.
  std::string clipRect(double x, double y, double w, double h, double radius);
  std::string linearGradient(Point from, Point to, const std::vector<Color>& colors);

 private:
  std::string newID(std::string_view prefix);

  std::string out_;
  int nextID_ = 0;
};

}  // namespace vyx::os::sim
