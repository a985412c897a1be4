// Views (views.h): each View is an NSView kept for the life of the process.
#include "os/views.h"

#import <AppKit/AppKit.h>
#import <QuartzCore/QuartzCore.h>

#include "os/mac/objc_bridge.h"

// A plain view whose layer colours follow Light and Dark: a layer holds fixed
// colours, so a dynamic one is resolved again, in the view's own appearance,
// whenever the view updates its layer (AppKit asks it to when the appearance
// changes).
@interface VyxView : NSView
@property(nonatomic, strong, nullable) NSColor* layerBackgroundColor;
@property(nonatomic, strong, nullable) NSColor* layerBorderColor;
@end

@implementation VyxView

- (BOOL)wantsUpdateLayer {
  return YES;
}

- (void)updateLayer {
  [self.effectiveAppearance performAsCurrentDrawingAppearance:^{
    if (self.layerBackgroundColor != nil) {
      self.layer.backgroundColor = self.layerBackgroundColor.CGColor;
    }
    if (self.layerBorderColor != nil) self.layer.borderColor = self.layerBorderColor.CGColor;
  }];
}

- (void)viewDidChangeEffectiveAppearance {
  [super viewDidChangeEffectiveAppearance];
  self.needsDisplay = YES;
}

@end

namespace vyx::os {

namespace {

NSView* viewOf(const View* view) {
  return mac::objectOf<NSView>(view);
}

template <class T>
T* viewAs(const View* view) {
  return mac::objectOf<T>(view);
}

// Gradient colours are fixed values: the program's are sRGB colours.
CGColorRef layerColor(const Color& color) {
  return mac::toNSColor(color).CGColor;
}

enum class LayerColor : uint8_t { background, border };

// A view without a layer has nothing to paint. Views of viewCreate keep the
// colour and resolve it whenever they update their layer; any other view
// takes it as the current appearance draws it.
void setLayerColor(View* view, LayerColor which, const Color& color) {
  NSView* v = viewOf(view);
  NSColor* c = mac::toNSColor(color);
  const bool background = which == LayerColor::background;
  if ([v isKindOfClass:VyxView.class]) {
    auto* own = static_cast<VyxView*>(v);
    if (background) {
      own.layerBackgroundColor = c;
    } else {
      own.layerBorderColor = c;
    }
    v.needsDisplay = YES;
  } else if (background) {
    v.layer.backgroundColor = c.CGColor;
  } else {
    v.layer.borderColor = c.CGColor;
  }
}

}  // namespace

View* viewCreate(Rect frame) {
  return mac::retainedHandle<View>([[VyxView alloc] initWithFrame:mac::toNSRect(frame)]);
}

void viewAddSubview(View* parent, View* child) {
  [viewOf(parent) addSubview:viewOf(child)];
}

void viewSetFrame(View* view, Rect frame) {
  viewOf(view).frame = mac::toNSRect(frame);
}

Rect viewBounds(const View* view) {
  return mac::toRect(viewOf(view).bounds);
}

void viewSetAutoresizingMask(View* view, AutoresizingMask mask) {
  viewOf(view).autoresizingMask = static_cast<NSAutoresizingMaskOptions>(mask);
}

void viewSetAlphaValue(View* view, double alpha) {
  viewOf(view).alphaValue = alpha;
}

void viewSetWantsLayer(View* view, bool wants) {
  viewOf(view).wantsLayer = wants;
}

void viewLayerSetBackgroundColor(View* view, const Color& color) {
  setLayerColor(view, LayerColor::background, color);
}

void viewLayerSetBorderWidth(View* view, double width) {
  viewOf(view).layer.borderWidth = width;
}

void viewLayerSetBorderColor(View* view, const Color& color) {
  setLayerColor(view, LayerColor::border, color);
}

void viewLayerSetCornerRadius(View* view, double radius) {
  viewOf(view).layer.cornerRadius = radius;
}

void viewSetGradientLayer(View* view, const GradientLayer& gradient) {
  CAGradientLayer* layer = [CAGradientLayer layer];
  layer.frame = NSRectToCGRect(mac::toNSRect(gradient.frame));
  NSMutableArray* colors = [NSMutableArray arrayWithCapacity:gradient.colors.size()];
  for (const Color& color : gradient.colors) [colors addObject:(__bridge id)layerColor(color)];
  layer.colors = colors;
  layer.startPoint = CGPointMake(gradient.startPoint.x, gradient.startPoint.y);
  layer.endPoint = CGPointMake(gradient.endPoint.x, gradient.endPoint.y);
  viewOf(view).layer = layer;
}

View* scrollViewCreate(Rect frame) {
  return mac::retainedHandle<View>([[NSScrollView alloc] initWithFrame:mac::toNSRect(frame)]);
}

void scrollViewSetHasVerticalScroller(View* scroll, bool has) {
  viewAs<NSScrollView>(scroll).hasVerticalScroller = has;
}

void scrollViewSetDocumentView(View* scroll, View* document) {
  viewAs<NSScrollView>(scroll).documentView = viewOf(document);
}

View* tableViewCreate(Rect frame) {
  return mac::retainedHandle<View>([[NSTableView alloc] initWithFrame:mac::toNSRect(frame)]);
}

void tableViewAddColumn(View* table, std::string_view identifier, std::string_view title,
                        double width) {
  NSTableColumn* column = [[NSTableColumn alloc] initWithIdentifier:mac::toNSString(identifier)];
  column.title = mac::toNSString(title);
  // The data source takes no edits: an editable cell would show a change
  // that is thrown away.
  column.editable = NO;
  column.width = width;
  [viewAs<NSTableView>(table) addTableColumn:column];
}

void tableViewSetDataSource(View* table, Target* dataSource) {
  viewAs<NSTableView>(table).dataSource = mac::targetObject(dataSource);
}

void tableViewReloadData(View* table) {
  [viewAs<NSTableView>(table) reloadData];
}

int64_t tableViewSelectedRow(const View* table) {
  return viewAs<NSTableView>(table).selectedRow;
}

View* visualEffectViewCreate(Rect frame) {
  return mac::retainedHandle<View>([[NSVisualEffectView alloc] initWithFrame:mac::toNSRect(frame)]);
}

void visualEffectViewSetMaterial(View* view, int64_t material) {
  viewAs<NSVisualEffectView>(view).material = static_cast<NSVisualEffectMaterial>(material);
}

void visualEffectViewSetBlendingMode(View* view, int64_t mode) {
  viewAs<NSVisualEffectView>(view).blendingMode = static_cast<NSVisualEffectBlendingMode>(mode);
}

void visualEffectViewSetState(View* view, int64_t state) {
  viewAs<NSVisualEffectView>(view).state = static_cast<NSVisualEffectState>(state);
}

void animationGroup(double duration, const std::function<void()>& changes) {
  const std::function<void()>* run = &changes;  // the group runs before the call returns
  [NSAnimationContext runAnimationGroup:^(NSAnimationContext* context) {
    context.duration = duration;
    (*run)();
  }];
}

void viewAnimatorSetAlphaValue(View* view, double alpha) {
  viewOf(view).animator.alphaValue = alpha;
}

}  // namespace vyx::os
