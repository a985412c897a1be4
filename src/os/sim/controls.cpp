// Labels, text fields and buttons.
#include "os/controls.h"
#include "os/sim/ui_state.h"
#include "os/sim/ui_text_metrics.h"
#include "os/views.h"

namespace vyx::os {

using sim::checkedView;
using sim::uiState;
using sim::ViewKind;

namespace {

View& field(const View* view, const char* operation) {
  return checkedView(uiState(operation), view, operation, {ViewKind::label, ViewKind::textField});
}

View& button(const View* view, const char* operation) {
  return checkedView(uiState(operation), view, operation, {ViewKind::button});
}

}  // namespace

View* textFieldCreateLabel(std::string_view text) {
  View* label = sim::makeView("textFieldCreateLabel", ViewKind::label, {});
  label->text = std::string(text);
  // A label starts at the size of its text, on one line per paragraph.
  const Size size = sim::cellSize(label->text, label->font, label->lineBreakMode, 0, 0);
  label->frame = {0, 0, size.width, size.height};
  return label;
}

View* textFieldCreate(Rect frame) {
  View* f = sim::makeView("textFieldCreate", ViewKind::textField, frame);
  f->editable = true;
  f->bezeled = true;
  f->drawsBackground = true;
  return f;
}

void textFieldSetStringValue(View* view, std::string_view text) {
  field(view, "textFieldSetStringValue").text = std::string(text);
}

std::string textFieldStringValue(const View* view) {
  return field(view, "textFieldStringValue").text;
}

void textFieldSetPlaceholderString(View* view, std::string_view text) {
  field(view, "textFieldSetPlaceholderString").placeholder = std::string(text);
}

void textFieldSetEditable(View* view, bool editable) {
  View& f = field(view, "textFieldSetEditable");
  f.editable = editable;
  Window* window = sim::windowOf(f);
  if (!editable && window != nullptr && window->firstResponder == &f) {
    window->firstResponder = nullptr;
  }
}

void textFieldSetFont(View* view, const Font& font) {
  field(view, "textFieldSetFont").font = font;
}

void textFieldSetTextColor(View* view, const Color& color) {
  field(view, "textFieldSetTextColor").textColor = color;
}

void textFieldSetAlignment(View* view, TextAlignment alignment) {
  field(view, "textFieldSetAlignment").alignment = alignment;
}

void textFieldSetLineBreakMode(View* view, LineBreakMode mode) {
  field(view, "textFieldSetLineBreakMode").lineBreakMode = mode;
}

void textFieldSetMaximumNumberOfLines(View* view, int64_t lines) {
  field(view, "textFieldSetMaximumNumberOfLines").maximumNumberOfLines = lines;
}

Size textFieldCellSizeForBounds(const View* view, Rect bounds) {
  const View& f = field(view, "textFieldCellSizeForBounds");
  return sim::cellSize(f.text, f.font, f.lineBreakMode, f.maximumNumberOfLines, bounds.width);
}

View* buttonCreate(Rect frame) {
  View* b = sim::makeView("buttonCreate", ViewKind::button, frame);
  b->text = "Button";  // AppKit's title for a new button
  return b;
}

void buttonSetTitle(View* view, std::string_view title) {
  button(view, "buttonSetTitle").text = std::string(title);
}

std::string buttonTitle(const View* view) {
  return button(view, "buttonTitle").text;
}

void buttonSetTarget(View* view, Target* target) {
  button(view, "buttonSetTarget").target = target;
}

void buttonSetAction(View* view, std::string_view selector) {
  button(view, "buttonSetAction").action = std::string(selector);
}

void buttonSetBezelStyle(View* view, BezelStyle style) {
  button(view, "buttonSetBezelStyle").bezelStyle = style;
}

void buttonSetControlSize(View* view, ControlSize size) {
  button(view, "buttonSetControlSize").controlSize = size;
}

void buttonSetKeyEquivalent(View* view, std::string_view key) {
  button(view, "buttonSetKeyEquivalent").keyEquivalent = std::string(key);
}

void buttonSetBezelColor(View* view, const Color& color) {
  button(view, "buttonSetBezelColor").bezelColor = color;
}

void buttonSetFont(View* view, const Font& font) {
  button(view, "buttonSetFont").font = font;
}

bool systemIsAtLeastMacOS11() {
  return true;
}

}  // namespace vyx::os
