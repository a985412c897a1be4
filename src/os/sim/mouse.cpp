// The person's mouse. Clicks land in the frontmost application's text
// field, whose caret follows the click's x (text_field.h).
#include "os/sim/hands.h"

namespace vyx::os::sim {

void Desktop::clickAtCaret(size_t caret) {
  const Point at{TextField::xForCaret(caret), 0};
  Hands hands(*impl_);
  hands.mouse(kEventLeftMouseDown, at);
  hands.mouse(kEventLeftMouseUp, at);
}

void Desktop::mouseMove(Point to) {
  Hands(*impl_).mouse(kEventMouseMoved, to);
}

void Desktop::rightClick(Point at) {
  Hands hands(*impl_);
  hands.mouse(kEventRightMouseDown, at);
  hands.mouse(kEventRightMouseUp, at);
}

void Desktop::otherClick(Point at) {
  Hands hands(*impl_);
  hands.mouse(kEventOtherMouseDown, at);
  hands.mouse(kEventOtherMouseUp, at);
}

void Desktop::drag(Point from, Point to) {
  Hands hands(*impl_);
  hands.mouse(kEventLeftMouseDown, from);
  hands.mouse(kEventLeftMouseDragged, to);
  hands.mouse(kEventLeftMouseUp, to);
}

void Desktop::scrollWheel(int32_t delta) {
  Hands hands(*impl_);
  hands.mouse(kEventScrollWheel, hands.keyboard().mouse, delta);
}

}  // namespace vyx::os::sim
