// Views: plain and layer-backed views, labels and text fields, buttons, a
// scroll view, a table, a visual-effect view, and animation of alpha.
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
[[nodiscard]] Rect viewFrame(const View* view);
[[nodiscard]] Rect viewBounds(const View* view);
using AutoresizingMask = uint64_t;
inline constexpr AutoresizingMask kViewWidthSizable = 2;
inline constexpr AutoresizingMask kViewMinYMargin = 8;
inline constexpr AutoresizingMask kViewHeightSizable = 16;
void viewSetAutoresizingMask(View* view, AutoresizingMask mask);
void viewSetAlphaValue(View* view, double alpha);
[[nodiscard]] double viewAlphaValue(const View* view);

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

// Labels and text fields.
[[nodiscard]] View* textFieldCreateLabel(std::string_view text);  // not editable, no bezel
[[nodiscard]] View* textFieldCreate(Rect frame);                  // editable, bezeled
void textFieldSetStringValue(View* field, std::string_view text);
[[nodiscard]] std::string textFieldStringValue(const View* field);
void textFieldSetPlaceholderString(View* field, std::string_view text);
void textFieldSetEditable(View* field, bool editable);
void textFieldSetFont(View* field, const Font& font);
void textFieldSetTextColor(View* field, const Color& color);
void textFieldSetAlignment(View* field, TextAlignment alignment);
enum class LineBreakMode : uint8_t { wordWrapping, charWrapping, clipping, truncatingTail };
void textFieldSetLineBreakMode(View* field, LineBreakMode mode);
void textFieldSetMaximumNumberOfLines(View* field, int64_t lines);  // 0: no limit
// The size the field's cell needs to show its text within bounds (the width
// wraps the text; an unlimited height is a large number).
[[nodiscard]] Size textFieldCellSizeForBounds(const View* field, Rect bounds);

// Buttons.
[[nodiscard]] View* buttonCreate(Rect frame);  // a standard push button
void buttonSetTitle(View* button, std::string_view title);
[[nodiscard]] std::string buttonTitle(const View* button);
void buttonSetTarget(View* button, Target* target);
void buttonSetAction(View* button, std::string_view selector);
using BezelStyle = uint32_t;
inline constexpr BezelStyle kBezelStyleRounded = 1;
void buttonSetBezelStyle(View* button, BezelStyle style);
enum class ControlSize : uint8_t { regular = 0, small = 1, mini = 2, large = 3 };
void buttonSetControlSize(View* button, ControlSize size);
void buttonSetKeyEquivalent(View* button, std::string_view key);
void buttonSetBezelColor(View* button, const Color& color);
void buttonSetFont(View* button, const Font& font);
// Whether the system runs macOS 11 or later (large controls exist).
[[nodiscard]] bool systemIsAtLeastMacOS11();

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

// Animates the alpha changes made inside changes over duration seconds; the
// values read back at once are the final ones.
void animationGroup(double duration, const std::function<void()>& changes);
void viewAnimatorSetAlphaValue(View* view, double alpha);

}  // namespace vyx::os
