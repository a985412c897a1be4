// Labels, text fields and buttons (controls.h): NSTextField and NSButton,
// kept for the life of the process like every view.
#include "os/controls.h"

#import <AppKit/AppKit.h>

#include "os/mac/objc_bridge.h"

namespace vyx::os {

namespace {

NSTextField* fieldOf(const View* view) {
  return mac::objectOf<NSTextField>(view);
}

NSButton* buttonOf(const View* view) {
  return mac::objectOf<NSButton>(view);
}

NSTextAlignment toNSTextAlignment(TextAlignment alignment) {
  switch (alignment) {
    case TextAlignment::left:
      return NSTextAlignmentLeft;
    case TextAlignment::right:
      return NSTextAlignmentRight;
    case TextAlignment::center:
      return NSTextAlignmentCenter;
    case TextAlignment::justified:
      return NSTextAlignmentJustified;
    case TextAlignment::natural:
      break;
  }
  return NSTextAlignmentNatural;
}

NSLineBreakMode toNSLineBreakMode(LineBreakMode mode) {
  switch (mode) {
    case LineBreakMode::wordWrapping:
      return NSLineBreakByWordWrapping;
    case LineBreakMode::charWrapping:
      return NSLineBreakByCharWrapping;
    case LineBreakMode::truncatingTail:
      return NSLineBreakByTruncatingTail;
    case LineBreakMode::clipping:
      break;
  }
  return NSLineBreakByClipping;
}

}  // namespace

View* textFieldCreateLabel(std::string_view text) {
  return mac::retainedHandle<View>([NSTextField labelWithString:mac::toNSString(text)]);
}

View* textFieldCreate(Rect frame) {
  return mac::retainedHandle<View>([[NSTextField alloc] initWithFrame:mac::toNSRect(frame)]);
}

void textFieldSetStringValue(View* field, std::string_view text) {
  fieldOf(field).stringValue = mac::toNSString(text);
}

std::string textFieldStringValue(const View* field) {
  return mac::toString(fieldOf(field).stringValue);
}

void textFieldSetPlaceholderString(View* field, std::string_view text) {
  fieldOf(field).placeholderString = mac::toNSString(text);
}

void textFieldSetEditable(View* field, bool editable) {
  fieldOf(field).editable = editable;
}

void textFieldSetFont(View* field, const Font& font) {
  fieldOf(field).font = mac::toNSFont(font);
}

void textFieldSetTextColor(View* field, const Color& color) {
  fieldOf(field).textColor = mac::toNSColor(color);
}

void textFieldSetAlignment(View* field, TextAlignment alignment) {
  fieldOf(field).alignment = toNSTextAlignment(alignment);
}

void textFieldSetLineBreakMode(View* field, LineBreakMode mode) {
  fieldOf(field).lineBreakMode = toNSLineBreakMode(mode);
}

void textFieldSetMaximumNumberOfLines(View* field, int64_t lines) {
  fieldOf(field).maximumNumberOfLines = lines;
}

Size textFieldCellSizeForBounds(const View* field, Rect bounds) {
  const NSSize size = [fieldOf(field).cell cellSizeForBounds:mac::toNSRect(bounds)];
  return {size.width, size.height};
}

View* buttonCreate(Rect frame) {
  return mac::retainedHandle<View>([[NSButton alloc] initWithFrame:mac::toNSRect(frame)]);
}

void buttonSetTitle(View* button, std::string_view title) {
  buttonOf(button).title = mac::toNSString(title);
}

std::string buttonTitle(const View* button) {
  return mac::toString(buttonOf(button).title);
}

void buttonSetTarget(View* button, Target* target) {
  buttonOf(button).target = mac::targetObject(target);
}

void buttonSetAction(View* button, std::string_view selector) {
  buttonOf(button).action =
      selector.empty() ? nullptr : NSSelectorFromString(mac::toNSString(selector));
}

void buttonSetBezelStyle(View* button, BezelStyle style) {
  buttonOf(button).bezelStyle = static_cast<NSBezelStyle>(style);
}

void buttonSetControlSize(View* button, ControlSize size) {
  buttonOf(button).controlSize = static_cast<NSControlSize>(size);
}

void buttonSetKeyEquivalent(View* button, std::string_view key) {
  buttonOf(button).keyEquivalent = mac::toNSString(key);
}

void buttonSetBezelColor(View* button, const Color& color) {
  buttonOf(button).bezelColor = mac::toNSColor(color);
}

void buttonSetFont(View* button, const Font& font) {
  buttonOf(button).font = mac::toNSFont(font);
}

bool systemIsAtLeastMacOS11() {
  return [NSProcessInfo.processInfo isOperatingSystemAtLeastVersion:{11, 0, 0}];
}

}  // namespace vyx::os
