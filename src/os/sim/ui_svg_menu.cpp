// The menu bar strip with the status item, its menu open below it.
#include <algorithm>
#include <cmath>

#include "os/sim/ui_svg.h"
#include "os/sim/ui_text_metrics.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx::os::sim {

namespace {

constexpr double kBarHeight = 24;
constexpr double kItemHeight = 22;
constexpr double kSeparatorHeight = 11;
constexpr double kMenuPadding = 5;  // above the first item and below the last
constexpr double kMenuLeft = 8;
constexpr double kTitleInset = 22;  // room for a check mark column
constexpr double kRightInset = 14;
constexpr double kMinimumMenuWidth = 160;

const Font kMenuFont{false, 14, FontWeight::regular};

// How a menu shows a key equivalent: Command, with Shift for a capital.
std::u32string keyLabel(std::string_view key) {
  if (key.empty()) return {};
  if (key == "\r") return U"⌘↩";
  const std::u32string k = decodeUtf8(key);
  if (k.size() == 1 && isUpper(k[0])) return U"⇧⌘" + k;
  return U"⌘" + std::u32string(1, toUpper(k[0])) + k.substr(1);
}

}  // namespace

std::string drawStatusMenuSvg(const UiState& ui) {
  const StatusItem* item = shownStatusItem(ui);
  const Menu* menu = item == nullptr ? nullptr : item->menu;
  const Font itemFont = item != nullptr && item->font ? *item->font : kMenuFont;
  const std::u32string title = item == nullptr ? U"" : decodeUtf8(item->title);
  const double itemWidth = item == nullptr     ? 0
                           : item->length >= 0 ? item->length
                                               : std::ceil(textWidth(title, itemFont)) + 16;

  double menuWidth = kMinimumMenuWidth;
  double menuHeight = 2 * kMenuPadding;
  if (menu != nullptr) {
    for (const MenuItem* m : menu->items) {
      menuHeight += m->separator ? kSeparatorHeight : kItemHeight;
      const double key = textWidth(keyLabel(m->keyEquivalent), kMenuFont);
      menuWidth =
          std::max(menuWidth, std::ceil(kTitleInset + textWidth(decodeUtf8(m->title), kMenuFont) +
                                        (key > 0 ? 24 + key : 0) +
                                        (m->submenu != nullptr ? 20 : 0) + kRightInset));
    }
  }
  const double width =
      std::max(200.0, kMenuLeft * 2 + std::max(itemWidth, menu != nullptr ? menuWidth : 0.0));
  const double height = menu != nullptr ? kBarHeight + 2 + menuHeight + kMenuLeft : kBarHeight;

  SvgBuilder svg(width, height);
  svg.rect(0, 0, width, kBarHeight, 0, Paint{"#f0f0f0", 1});
  svg.line(0, kBarHeight, width, kBarHeight, Paint{"#000000", 0.15}, 1);
  if (item == nullptr) return svg.finish();
  if (menu != nullptr) svg.rect(kMenuLeft, 2, itemWidth, kBarHeight - 4, 4, Paint{"#000000", 0.1});
  svg.text(kMenuLeft + itemWidth / 2, 17, title, itemFont,
           paintOf(Color::dynamic(SystemColor::label)), "middle");
  if (menu == nullptr) return svg.finish();

  const double menuTop = kBarHeight + 2;
  svg.rect(kMenuLeft, menuTop, menuWidth, menuHeight, 6, Paint{"#f6f6f6", 1}, Paint{"#000000", 0.2},
           1);
  double y = menuTop + kMenuPadding;
  const double right = kMenuLeft + menuWidth - kRightInset;
  for (const MenuItem* m : menu->items) {
    if (m->separator) {
      svg.line(kMenuLeft + 10, y + kSeparatorHeight / 2, kMenuLeft + menuWidth - 10,
               y + kSeparatorHeight / 2, Paint{"#000000", 0.1}, 1);
      y += kSeparatorHeight;
      continue;
    }
    const Paint ink =
        menuItemShowsEnabled(ui, *m) ? Paint{"#000000", 0.85} : Paint{"#000000", 0.26};
    svg.text(kMenuLeft + kTitleInset, y + 16, decodeUtf8(m->title), kMenuFont, ink, "start");
    if (m->submenu != nullptr) {
      svg.polyline({{right - 4, y + 7}, {right, y + 11}, {right - 4, y + 15}}, ink, 1.5);
    }
    const std::u32string key = keyLabel(m->keyEquivalent);
    if (!key.empty()) svg.text(right, y + 16, key, kMenuFont, ink, "end");
    y += kItemHeight;
  }
  return svg.finish();
}

}  // namespace vyx::os::sim
