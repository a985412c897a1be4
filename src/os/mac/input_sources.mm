// Keyboard input sources (input_sources.h): an InputSource is a
// TISInputSourceRef, an InputSourceList a CFArrayRef of them. A list and a
// copied current source are released once by the caller; a source taken from
// a list is borrowed from it.
#include "os/input_sources.h"

#import <Carbon/Carbon.h>
#import <Foundation/Foundation.h>

#include "os/mac/objc_bridge.h"

namespace vyx::os {

namespace {

TISInputSourceRef tis(const InputSource* source) {
  return reinterpret_cast<TISInputSourceRef>(const_cast<InputSource*>(source));
}

CFArrayRef cf(const InputSourceList* list) {
  return reinterpret_cast<CFArrayRef>(list);
}

// The system's constants for the names the seam uses; null for another name.
CFStringRef constantFor(std::string_view name) {
  const std::pair<std::string_view, CFStringRef> constants[] = {
      {kTISPropertyInputSourceCategory, ::kTISPropertyInputSourceCategory},
      {kTISPropertyInputSourceID, ::kTISPropertyInputSourceID},
      {kTISPropertyInputSourceIsSelectCapable, ::kTISPropertyInputSourceIsSelectCapable},
      {kTISPropertyInputSourceLanguages, ::kTISPropertyInputSourceLanguages},
      {kTISCategoryKeyboardInputSource, ::kTISCategoryKeyboardInputSource},
      {kTISCategoryPaletteInputSource, ::kTISCategoryPaletteInputSource},
      {kTISCategoryInkInputSource, ::kTISCategoryInkInputSource},
  };
  for (const auto& [seamName, constant] : constants) {
    if (seamName == name) return constant;
  }
  return nullptr;
}

id objectFor(std::string_view name) {
  CFStringRef constant = constantFor(name);
  return constant != nullptr ? (__bridge NSString*)constant : mac::toNSString(name);
}

}  // namespace

void release(InputSource* source) {
  if (source != nullptr) CFRelease(tis(source));
}

void release(InputSourceList* list) {
  if (list != nullptr) CFRelease(cf(list));
}

InputSourceList* tisCreateInputSourceList(const PropertyFilter& properties,
                                          bool includeAllInstalled) {
  NSMutableDictionary* filter = [NSMutableDictionary dictionary];
  for (const auto& [key, value] : properties) filter[objectFor(key)] = objectFor(value);
  CFArrayRef list = TISCreateInputSourceList(
      properties.empty() ? nullptr : (__bridge CFDictionaryRef)filter, includeAllInstalled);
  return reinterpret_cast<InputSourceList*>(const_cast<__CFArray*>(list));
}

size_t arrayGetCount(const InputSourceList* list) {
  return static_cast<size_t>(CFArrayGetCount(cf(list)));
}

InputSource* arrayGetValueAtIndex(const InputSourceList* list, size_t index) {
  return reinterpret_cast<InputSource*>(
      const_cast<void*>(CFArrayGetValueAtIndex(cf(list), static_cast<CFIndex>(index))));
}

InputSource* tisCopyCurrentKeyboardInputSource() {
  return reinterpret_cast<InputSource*>(TISCopyCurrentKeyboardInputSource());
}

// The value is borrowed from the source; strings are copied out.
PropertyValue tisGetInputSourceProperty(const InputSource* source, std::string_view key) {
  CFStringRef constant = constantFor(key);
  if (source == nullptr || constant == nullptr) return std::monostate{};
  id value = (__bridge id)TISGetInputSourceProperty(tis(source), constant);
  if ([value isKindOfClass:[NSString class]]) return mac::toString(value);
  if (value != nil && CFGetTypeID((__bridge CFTypeRef)value) == CFBooleanGetTypeID()) {
    return static_cast<bool>(CFBooleanGetValue((__bridge CFBooleanRef)value));
  }
  if ([value isKindOfClass:[NSArray class]]) {
    std::vector<std::string> strings;
    for (id element in static_cast<NSArray*>(value)) {
      if ([element isKindOfClass:[NSString class]]) strings.push_back(mac::toString(element));
    }
    return strings;
  }
  return std::monostate{};
}

int32_t tisSelectInputSource(InputSource* source) {
  return TISSelectInputSource(tis(source));
}

}  // namespace vyx::os
