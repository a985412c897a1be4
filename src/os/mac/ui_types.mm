// Text, colours, fonts and the Target's Objective-C object for the Mac
// binding's files.
#include <map>

#include "os/mac/objc_bridge.h"

using vyx::os::Target;

// Sends each action (a selector such as "quitAction:") to the target's
// function of that name and answers a table's questions from its functions.
@interface VyxTarget : NSObject <NSTableViewDataSource>
- (instancetype)initWithTarget:(Target*)target;
@end

@implementation VyxTarget {
  Target* _target;
}

- (instancetype)initWithTarget:(Target*)target {
  if ((self = [super init])) _target = target;
  return self;
}

- (BOOL)answers:(SEL)selector {
  return _target->respondsTo(NSStringFromSelector(selector).UTF8String);
}

// Menus enable an item whose target answers its action.
- (BOOL)respondsToSelector:(SEL)selector {
  return [super respondsToSelector:selector] || [self answers:selector];
}

- (NSMethodSignature*)methodSignatureForSelector:(SEL)selector {
  NSMethodSignature* signature = [super methodSignatureForSelector:selector];
  if (signature == nil && [self answers:selector]) {
    signature = [NSMethodSignature signatureWithObjCTypes:"v@:@"];  // - (void)action:(id)sender
  }
  return signature;
}

- (void)forwardInvocation:(NSInvocation*)invocation {
  const auto found = _target->actions.find(NSStringFromSelector(invocation.selector).UTF8String);
  if (found == _target->actions.end()) {
    [super forwardInvocation:invocation];
    return;
  }
  // A copy: the action may replace the target's functions while it runs.
  const std::function<void()> action = found->second;
  if (action) action();
}

- (NSInteger)numberOfRowsInTableView:(NSTableView*)tableView {
  (void)tableView;
  return _target->numberOfRows ? static_cast<NSInteger>(_target->numberOfRows()) : 0;
}

- (id)tableView:(NSTableView*)tableView
    objectValueForTableColumn:(NSTableColumn*)tableColumn
                          row:(NSInteger)row {
  (void)tableView;
  if (!_target->objectValue) return nil;
  return vyx::os::mac::toNSString(
      _target->objectValue(vyx::os::mac::toString(tableColumn.identifier), row));
}

@end

namespace vyx::os::mac {

NSString* toNSString(std::string_view text) {
  NSString* string = [[NSString alloc] initWithBytes:text.data()
                                              length:text.size()
                                            encoding:NSUTF8StringEncoding];
  return string != nil ? string : @"";
}

std::string toString(NSString* text) {
  if (text == nil) return {};
  std::string out([text lengthOfBytesUsingEncoding:NSUTF8StringEncoding], '\0');
  NSUInteger used = 0;
  [text getBytes:out.data()
           maxLength:out.size()
          usedLength:&used
            encoding:NSUTF8StringEncoding
             options:0
               range:NSMakeRange(0, text.length)
      remainingRange:nullptr];
  out.resize(used);
  return out;
}

// The system's dynamic colours keep their own alpha unless another is asked for.
NSColor* toNSColor(const Color& color) {
  NSColor* dynamic = nil;
  switch (color.system) {
    case SystemColor::none:
      return [NSColor colorWithSRGBRed:color.red
                                 green:color.green
                                  blue:color.blue
                                 alpha:color.alpha];
    case SystemColor::label:
      dynamic = NSColor.labelColor;
      break;
    case SystemColor::secondaryLabel:
      dynamic = NSColor.secondaryLabelColor;
      break;
    case SystemColor::tertiaryLabel:
      dynamic = NSColor.tertiaryLabelColor;
      break;
  }
  return color.alpha == 1 ? dynamic : [dynamic colorWithAlphaComponent:color.alpha];
}

NSFont* toNSFont(const Font& font) {
  NSFontWeight weight = NSFontWeightRegular;
  switch (font.weight) {
    case FontWeight::regular:
      break;
    case FontWeight::medium:
      weight = NSFontWeightMedium;
      break;
    case FontWeight::semibold:
      weight = NSFontWeightSemibold;
      break;
    case FontWeight::bold:
      weight = NSFontWeightBold;
      break;
  }
  return font.monospaced ? [NSFont monospacedSystemFontOfSize:font.size weight:weight]
                         : [NSFont systemFontOfSize:font.size weight:weight];
}

// Menus, buttons and tables hold their targets weakly: the objects live here.
// Main thread only, as every user-interface call.
id targetObject(Target* target) {
  if (target == nullptr) return nil;
  static std::map<const Target*, VyxTarget*> objects;
  auto& object = objects[target];
  if (object == nil) object = [[VyxTarget alloc] initWithTarget:target];
  return object;
}

}  // namespace vyx::os::mac
