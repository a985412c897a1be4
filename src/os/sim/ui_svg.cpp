#include "os/sim/ui_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "os/sim/ui_text_metrics.h"
#include "text/utf8.h"

namespace vyx::os::sim {

namespace {

// Fixed notation with at most two decimals, so that output is stable.
std::string num(double v) {
  if (!std::isfinite(v)) return "0";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

// Characters XML 1.0 cannot carry are left out.
void appendEscaped(std::string& out, std::u32string_view text) {
  for (const char32_t c : text) {
    switch (c) {
      case U'&':
        out += "&amp;";
        break;
      case U'<':
        out += "&lt;";
        break;
      case U'>':
        out += "&gt;";
        break;
      case U'"':
        out += "&quot;";
        break;
      case U'\'':
        out += "&apos;";
        break;
      default:
        if ((c < 0x20 && c != U'\t') || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE ||
            c == 0xFFFF) {
          break;
        }
        appendUtf8(out, c);
    }
  }
}

std::string paintAttrs(std::string_view name, const Paint& p) {
  std::string s = " " + std::string(name) + "=\"" + p.color + "\"";
  if (p.color != "none" && p.opacity != 1) {
    s += " " + std::string(name) + "-opacity=\"" + num(std::clamp(p.opacity, 0.0, 1.0)) + "\"";
  }
  return s;
}

std::string hex(double r, double g, double b) {
  const auto byte = [](double c) {
    return static_cast<unsigned>(std::lround(std::clamp(c, 0.0, 1.0) * 255));
  };
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", byte(r), byte(g), byte(b));
  return buf;
}

constexpr const char* weightName(FontWeight w) {
  switch (w) {
    case FontWeight::regular:
      return "400";
    case FontWeight::medium:
      return "500";
    case FontWeight::semibold:
      return "600";
    case FontWeight::bold:
      return "700";
  }
  return "400";
}

}  // namespace

Paint paintOf(const Color& c) {
  // Light mode. A dynamic colour keeps its own alpha unless given another,
  // as colorWithAlphaComponent replaces it.
  double base = 1;
  switch (c.system) {
    case SystemColor::none:
      return {hex(c.red, c.green, c.blue), c.alpha};
    case SystemColor::label:
      base = 0.85;
      break;
    case SystemColor::secondaryLabel:
      base = 0.5;
      break;
    case SystemColor::tertiaryLabel:
      base = 0.26;
      break;
  }
  return {"#000000", c.alpha == 1 ? base : c.alpha};
}

SvgBuilder::SvgBuilder(double width, double height) {
  out_ =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
      "width=\"" +
      num(width) + "\" height=\"" + num(height) + "\" viewBox=\"0 0 " + num(width) + " " +
      num(height) + "\">\n";
}

std::string SvgBuilder::finish() {
  out_ += "</svg>\n";
  return std::move(out_);
}

std::string SvgBuilder::newID(std::string_view prefix) {
  return std::string(prefix) + std::to_string(nextID_++);
}

void SvgBuilder::rect(double x, double y, double w, double h, double radius, const Paint& fill,
                      const Paint& stroke, double strokeWidth) {
  out_ += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(std::max(w, 0.0)) +
          "\" height=\"" + num(std::max(h, 0.0)) + "\"";
  if (radius > 0) out_ += " rx=\"" + num(radius) + "\"";
  out_ += paintAttrs("fill", fill);
  if (stroke.color != "none" && strokeWidth > 0) {
    out_ += paintAttrs("stroke", stroke) + " stroke-width=\"" + num(strokeWidth) + "\"";
  }
  out_ += "/>\n";
}

void SvgBuilder::circle(double cx, double cy, double r, const Paint& fill) {
  out_ += "<circle cx=\"" + num(cx) + "\" cy=\"" + num(cy) + "\" r=\"" + num(r) + "\"" +
          paintAttrs("fill", fill) + "/>\n";
}

void SvgBuilder::line(double x1, double y1, double x2, double y2, const Paint& stroke,
                      double width) {
  out_ += "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) + "\" y2=\"" +
          num(y2) + "\"" + paintAttrs("stroke", stroke) + " stroke-width=\"" + num(width) +
          "\"/>\n";
}

void SvgBuilder::polyline(const std::vector<Point>& points, const Paint& stroke, double width) {
  out_ += "<polyline points=\"";
  for (size_t i = 0; i < points.size(); ++i) {
    out_ += (i == 0 ? "" : " ") + num(points[i].x) + "," + num(points[i].y);
  }
  out_ += R"(" fill="none")" + paintAttrs("stroke", stroke) + " stroke-width=\"" + num(width) +
          "\"/>\n";
}

void SvgBuilder::text(double x, double baseline, std::u32string_view text, const Font& font,
                      const Paint& fill, std::string_view anchor) {
  out_ += "<text x=\"" + num(x) + "\" y=\"" + num(baseline) + "\" font-family=\"" +
          (font.monospaced ? "SF Mono, Menlo, monospace"
                           : "-apple-system, SF Pro Text, Helvetica Neue, sans-serif") +
          "\" font-size=\"" + num(font.size) + "\" font-weight=\"" + weightName(font.weight) +
          "\"" + paintAttrs("fill", fill);
  if (anchor != "start") out_ += " text-anchor=\"" + std::string(anchor) + "\"";
  // The measured width, so that any font the viewer has draws the line just
  // as wide as the layout counted it.
  if (const double w = textWidth(text, font); w > 0) {
    out_ += " textLength=\"" + num(w) + R"(" lengthAdjust="spacingAndGlyphs")";
  }
  out_ += " xml:space=\"preserve\">";
  appendEscaped(out_, text);
  out_ += "</text>\n";
}

void SvgBuilder::textBlock(const std::vector<std::u32string>& lines, const Font& font,
                           const Paint& fill, TextAlignment alignment, double width, double top) {
  double x = kTextFieldPadding;
  std::string_view anchor = "start";
  if (alignment == TextAlignment::center) {
    x = width / 2;
    anchor = "middle";
  } else if (alignment == TextAlignment::right) {
    x = width - kTextFieldPadding;
    anchor = "end";
  }
  const double lh = lineHeight(font);
  for (size_t i = 0; i < lines.size(); ++i) {
    // The baseline sits about four fifths down its line.
    text(x, top + static_cast<double>(i) * lh + lh * 0.8, lines[i], font, fill, anchor);
  }
}

void SvgBuilder::beginGroup(double dx, double dy, double opacity, std::string_view clipID) {
  out_ += "<g";
  if (dx != 0 || dy != 0) out_ += " transform=\"translate(" + num(dx) + "," + num(dy) + ")\"";
  if (opacity != 1) out_ += " opacity=\"" + num(std::clamp(opacity, 0.0, 1.0)) + "\"";
  if (!clipID.empty()) out_ += " clip-path=\"url(#" + std::string(clipID) + ")\"";
  out_ += ">\n";
}

void SvgBuilder::endGroup() {
  out_ += "</g>\n";
}

std::string SvgBuilder::clipRect(double x, double y, double w, double h, double radius) {
  std::string id = newID("clip");
  out_ += "<defs><clipPath id=\"" + id + "\">";
  out_ += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(std::max(w, 0.0)) +
          "\" height=\"" + num(std::max(h, 0.0)) + "\"";
  if (radius > 0) out_ += " rx=\"" + num(radius) + "\"";
  out_ += "/></clipPath></defs>\n";
  return id;
}

std::string SvgBuilder::linearGradient(Point from, Point to, const std::vector<Color>& colors) {
  std::string id = newID("gradient");
  // Layer unit coordinates grow upwards; SVG's grow downwards.
  out_ += "<defs><linearGradient id=\"" + id + "\" x1=\"" + num(from.x) + "\" y1=\"" +
          num(1 - from.y) + "\" x2=\"" + num(to.x) + "\" y2=\"" + num(1 - to.y) + "\">";
  for (size_t i = 0; i < colors.size(); ++i) {
    const double offset =
        colors.size() == 1 ? 0 : static_cast<double>(i) / static_cast<double>(colors.size() - 1);
    const Paint p = paintOf(colors[i]);
    out_ += "<stop offset=\"" + num(offset) + "\" stop-color=\"" + p.color + "\" stop-opacity=\"" +
            num(std::clamp(p.opacity, 0.0, 1.0)) + "\"/>";
  }
  out_ += "</linearGradient></defs>\n";
  return id;
}

}  // namespace vyx::os::sim
