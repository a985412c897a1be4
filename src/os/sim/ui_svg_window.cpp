// A window and its view tree as SVG. AppKit's frames have their origin at
// the lower left of the parent; each view becomes a group moved to its top
// left corner in SVG's downward coordinates.
#include "os/sim/ui_svg.h"
#include "os/sim/ui_text_metrics.h"
#include "text/utf8.h"

namespace vyx::os::sim {

namespace {

constexpr double kTitleBarHeight = 28;
constexpr double kTableRowHeight = 24;
constexpr double kCellInset = 6;

const Paint kWindowBackground{"#ececec", 1};
const Paint kHairline{"#000000", 0.15};
const Paint kWhite{"#ffffff", 1};
const Paint kPlaceholder{"#000000", 0.25};
const Paint kAccentBlue{"#007aff", 1};
const Paint kSelection{"#0a64d6", 1};

void drawView(SvgBuilder& svg, const View& v, double parentHeight);

void drawField(SvgBuilder& svg, const View& v) {
  const double w = v.frame.width;
  const double h = v.frame.height;
  if (v.bezeled || v.drawsBackground) {
    svg.rect(0, 0, w, h, 0, v.drawsBackground ? kWhite : Paint{},
             v.bezeled ? Paint{"#000000", 0.25} : Paint{}, 1);
  }
  const bool placeholder = v.text.empty() && !v.placeholder.empty();
  const auto lines = breakLines(placeholder ? v.placeholder : v.text, v.font, v.lineBreakMode,
                                v.maximumNumberOfLines, w - 2 * kTextFieldPadding);
  // A bezeled field centres its line; a label starts at its top.
  const double top =
      v.bezeled ? (h - static_cast<double>(lines.size()) * lineHeight(v.font)) / 2 : 0;
  // Text beyond the frame is cut off, as the cell draws within its bounds.
  svg.beginGroup(0, 0, 1, svg.clipRect(0, 0, w, h, 0));
  svg.textBlock(lines, v.font, placeholder ? kPlaceholder : paintOf(v.textColor), v.alignment, w,
                top);
  svg.endGroup();
}

void drawButton(SvgBuilder& svg, const View& v) {
  const double w = v.frame.width;
  const double h = v.frame.height;
  Paint fill = kWhite;
  Paint title = paintOf(Color::dynamic(SystemColor::label));
  if (v.bezelColor) {
    fill = paintOf(*v.bezelColor);
    title = kWhite;
  } else if (v.keyEquivalent == "\r") {
    fill = kAccentBlue;  // the default button
    title = kWhite;
  }
  svg.rect(0.5, 0.5, w - 1, h - 1, v.controlSize == ControlSize::large ? 8 : 6, fill, kHairline, 1);
  const auto lines = breakLines(v.text, v.font, LineBreakMode::clipping, 1, w);
  svg.textBlock(lines, v.font, title, TextAlignment::center, w, (h - lineHeight(v.font)) / 2);
}

void drawTable(SvgBuilder& svg, const View& v) {
  const double w = v.frame.width;
  const Font header{false, 11, FontWeight::semibold};
  const Font cell{};
  svg.rect(0, 0, w, v.frame.height, 0, kWhite);
  svg.rect(0, 0, w, kTableRowHeight, 0, Paint{"#f5f5f5", 1});
  svg.line(0, kTableRowHeight, w, kTableRowHeight, kHairline, 1);
  double x = 0;
  for (const auto& column : v.columns) {
    svg.text(x + kCellInset, 16, decodeUtf8(column.title), header,
             paintOf(Color::dynamic(SystemColor::secondaryLabel)), "start");
    x += column.width;
    svg.line(x, 4, x, kTableRowHeight - 4, kHairline, 1);
  }
  for (size_t r = 0; r < v.rows.size(); ++r) {
    const double top = kTableRowHeight * static_cast<double>(r + 1);
    const bool selected = static_cast<int64_t>(r) == v.selectedRow;
    if (selected) {
      svg.rect(0, top, w, kTableRowHeight, 0, kSelection);
    } else if (r % 2 == 1) {
      svg.rect(0, top, w, kTableRowHeight, 0, Paint{"#f4f5f5", 1});
    }
    x = 0;
    for (size_t c = 0; c < v.columns.size() && c < v.rows[r].size(); ++c) {
      svg.text(x + kCellInset, top + 17, decodeUtf8(v.rows[r][c]), cell,
               selected ? kWhite : paintOf(Color::dynamic(SystemColor::label)), "start");
      x += v.columns[c].width;
    }
  }
}

void drawLayer(SvgBuilder& svg, const View& v) {
  if (v.layerBackground) {
    svg.rect(0, 0, v.frame.width, v.frame.height, v.cornerRadius, paintOf(*v.layerBackground));
  }
  if (v.gradient && !v.gradient->colors.empty()) {
    const Rect& g = v.gradient->frame;
    const std::string id =
        svg.linearGradient(v.gradient->startPoint, v.gradient->endPoint, v.gradient->colors);
    svg.rect(g.x, v.frame.height - g.y - g.height, g.width, g.height, v.cornerRadius,
             Paint{"url(#" + id + ")", 1});
  }
}

void drawChildren(SvgBuilder& svg, const View& v) {
  for (const View* child : v.subviews) drawView(svg, *child, v.frame.height);
}

void drawView(SvgBuilder& svg, const View& v, double parentHeight) {
  const double w = v.frame.width;
  const double h = v.frame.height;
  svg.beginGroup(v.frame.x, parentHeight - v.frame.y - h, v.alpha);
  drawLayer(svg, v);
  switch (v.kind) {
    case ViewKind::view:
      break;
    case ViewKind::visualEffect:
      svg.rect(0, 0, w, h, 0, Paint{"#f2f2f2", 0.9});
      break;
    case ViewKind::label:
    case ViewKind::textField:
      drawField(svg, v);
      break;
    case ViewKind::button:
      drawButton(svg, v);
      break;
    case ViewKind::table:
      drawTable(svg, v);
      break;
    case ViewKind::scrollView:
      svg.rect(0, 0, w, h, 0, kWhite, kHairline, 1);
      break;
  }
  if (v.kind == ViewKind::scrollView) {
    // A scroll view shows its document through its bounds.
    svg.beginGroup(0, 0, 1, svg.clipRect(0, 0, w, h, 0));
    drawChildren(svg, v);
    svg.endGroup();
    if (v.hasVerticalScroller) svg.rect(w - 11, 0, 11, h, 0, Paint{"#fafafa", 1}, kHairline, 1);
  } else {
    drawChildren(svg, v);
  }
  // A layer's border lies over its content and sublayers.
  if ((v.wantsLayer || v.gradient) && v.borderWidth > 0 && v.borderColor) {
    const double inset = v.borderWidth / 2;
    svg.rect(inset, inset, w - v.borderWidth, h - v.borderWidth, v.cornerRadius, Paint{},
             paintOf(*v.borderColor), v.borderWidth);
  }
  svg.endGroup();
}

}  // namespace

std::string drawWindowSvg(const Window& window) {
  const bool titled = (window.styleMask & kWindowStyleMaskTitled) != 0;
  const bool fullSize = (window.styleMask & kWindowStyleMaskFullSizeContentView) != 0;
  const double contentTop = titled && !fullSize ? kTitleBarHeight : 0;
  const double width = window.frame.width;
  const double height = contentTop + window.frame.height;
  const double corner = titled ? 10 : 0;
  SvgBuilder svg(width, height);
  svg.beginGroup(0, 0, 1, svg.clipRect(0, 0, width, height, corner));
  svg.rect(0, 0, width, height, 0, kWindowBackground);
  if (window.content != nullptr) {
    svg.beginGroup(0, contentTop, 1);
    drawView(svg, *window.content, window.frame.height);
    svg.endGroup();
  }
  if (titled) {
    if (!window.titlebarTransparent) {
      svg.rect(0, 0, width, kTitleBarHeight, 0, Paint{"#e6e6e6", 1});
      svg.line(0, kTitleBarHeight, width, kTitleBarHeight, kHairline, 1);
    }
    const auto light = [&](WindowStyleMask bit, const char* colour) {
      return Paint{(window.styleMask & bit) != 0 ? colour : "#d0d0d0", 1};
    };
    svg.circle(20, 14, 6, light(kWindowStyleMaskClosable, "#ff5f57"));
    svg.circle(40, 14, 6, light(kWindowStyleMaskMiniaturizable, "#febc2e"));
    svg.circle(60, 14, 6, light(kWindowStyleMaskResizable, "#28c840"));
    if (!window.titleHidden) {
      svg.text(width / 2, 18, decodeUtf8(window.title), Font{false, 13, FontWeight::semibold},
               paintOf(Color::dynamic(SystemColor::label)), "middle");
    }
  }
  svg.endGroup();
  svg.rect(0.5, 0.5, width - 1, height - 1, corner, Paint{}, Paint{"#000000", 0.3}, 1);
  return svg.finish();
}

}  // namespace vyx::os::sim
