// Values the user-interface calls share: geometry, colours, fonts and the
// objects that receive actions.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace vyx::os {

// Points; the origin is the lower left corner of the enclosing view.
struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};
struct Size {
  double width = 0;
  double height = 0;
  bool operator==(const Size&) const = default;
};
struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
  bool operator==(const Rect&) const = default;
};

// A fixed sRGB colour, or one of the system's dynamic label colours with an
// alpha of its own.
enum class SystemColor : uint8_t { none, label, secondaryLabel, tertiaryLabel };
struct Color {
  SystemColor system = SystemColor::none;
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 1;
  bool operator==(const Color&) const = default;

  [[nodiscard]] static Color sRGB(double r, double g, double b, double a) {
    return {SystemColor::none, r, g, b, a};
  }
  [[nodiscard]] static Color dynamic(SystemColor c) { return {c, 0, 0, 0, 1}; }
  [[nodiscard]] Color withAlpha(double a) const {
    Color c = *this;
    c.alpha = a;
    return c;
  }
};

enum class FontWeight : uint8_t { regular, medium, semibold, bold };
struct Font {
  bool monospaced = false;  // the monospaced system font, else the system font
  double size = 13;
  FontWeight weight = FontWeight::regular;
  bool operator==(const Font&) const = default;
};

enum class TextAlignment : uint8_t { left, right, center, justified, natural };

// An object that receives actions by selector name (such as "quitAction:")
// and may serve a table as its data source. Plain function values; the
// platform binding wraps them in an object of its own.
struct Target {
  std::map<std::string, std::function<void()>, std::less<>> actions;
  std::function<int64_t()> numberOfRows;
  std::function<std::string(std::string_view columnIdentifier, int64_t row)> objectValue;

  [[nodiscard]] bool respondsTo(std::string_view selector) const {
    return actions.find(selector) != actions.end();
  }
};

}  // namespace vyx::os
