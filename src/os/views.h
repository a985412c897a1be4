// Views: plain and layer-backed views, a scroll view, a table, a
// visual-effect view, and animation of alpha. Labels, text fields and
// buttons are views too (controls.h).
//
// Threads: main thread only. Views live until the process ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "os/ui_types.h"

namespace vyx::os {

struct View;

// Plain views and their geometry.
[[nodiscard]] View* viewCreate(Rect frame);
void viewAddSubview(View* parent, View* child);
void viewSetFrame(View* view, Rect frame);
[[nodiscard]] Rect viewBounds(const View* view);
using AutoresizingMask = uint64_t;
inline constexpr AutoresizingMask kViewMinXMargin = 1;
inline constexpr AutoresizingMask kViewWidthSizable = 2;
inline constexpr AutoresizingMask kViewMaxXMargin = 4;
inline constexpr AutoresizingMask kViewMinYMargin = 8;
inline constexpr AutoresizingMask kViewHeightSizable = 16;
inline constexpr AutoresizingMask kViewMaxYMargin = 32;
void viewSetAutoresizingMask(View* view, AutoresizingMask mask);
void viewSetAlphaValue(View* view, double alpha);

// Layer-backed drawing.
void viewSetWantsLayer(View* view, bool wants);
void viewLayerSetBackgroundColor(View* view, const Color& color);
void viewLayerSetBorderWidth(View* view, double width);
void viewLayerSetBorderColor(View* view, const Color& color);
void viewLayerSetCornerRadius(View* view, double radius);
// Makes the view's layer a gradient layer.
struct GradientLayer {
  Rect frame;
  std::vector<Color> colors;
  Point startPoint;  // unit coordinates of the layer
  Point endPoint;
};
void viewSetGradientLayer(View* view, const GradientLayer& gradient);

// Scroll view and table.
[[nodiscard]] View* scrollViewCreate(Rect frame);
void scrollViewSetHasVerticalScroller(View* scroll, bool has);
void scrollViewSetDocumentView(View* scroll, View* document);
[[nodiscard]] View* tableViewCreate(Rect frame);
void tableViewAddColumn(View* table, std::string_view identifier, std::string_view title,
                        double width);
void tableViewSetDataSource(View* table, Target* dataSource);
void tableViewReloadData(View* table);
[[nodiscard]] int64_t tableViewSelectedRow(const View* table);  // -1 when none

// Visual-effect view (a blurred window background).
[[nodiscard]] View* visualEffectViewCreate(Rect frame);
void visualEffectViewSetMaterial(View* view, int64_t material);
void visualEffectViewSetBlendingMode(View* view, int64_t mode);
void visualEffectViewSetState(View* view, int64_t state);

// Animates the alpha changes made inside changes over duration seconds.
void animationGroup(double duration, const std::function<void()>& changes);
void viewAnimatorSetAlphaValue(View* view, double alpha);

}  // namespace vyx::os
