// Controls: labels, text fields and buttons, each a view (views.h).
//
// Threads: main thread only. Controls live until the process ends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "os/ui_types.h"
#include "os/views.h"

namespace vyx::os {

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

}  // namespace vyx::os
