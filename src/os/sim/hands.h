// The person's hands on the keyboard and the mouse: every event they make
// carries the modifiers held at that moment, and a key's text is what the
// input source selected at that moment gives.
//
// Threads: a Hands holds CoreState::mu for its whole life, so the events of
// one press (modifiers, key-down, key-up) stand together in the queue.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "os/sim/core_state.h"
#include "os/sim/desktop_impl.h"

namespace vyx::os::sim {

class Hands final {
 public:
  explicit Hands(Desktop::Impl& impl)
      : impl_(impl), core_(impl.core), lock_(impl.core.mu), kb_(impl.core.keyboard) {}
  Hands(const Hands&) = delete;
  Hands& operator=(const Hands&) = delete;

  // A key goes down or up; a chord's modifiers go down before it and up
  // after it, each with its flags-changed event.
  void down(uint16_t keycode, Modifiers modifiers);
  void up(uint16_t keycode, Modifiers modifiers);
  void modifierDown(uint16_t keycode);
  void modifierUp(uint16_t keycode);

  // Queues an event made by the person, at the mouse's place.
  void post(EventData data);
  void mouse(EventType type, Point at, int32_t scrollDelta = 0);

  // The flags of the key's events: held modifiers, Caps Lock (also when
  // modifiers holds its bit), the key's own flags.
  [[nodiscard]] EventFlags flagsFor(uint16_t keycode, Modifiers modifiers) const;
  [[nodiscard]] std::u16string textFor(uint16_t keycode, EventFlags flags) const;
  KeyboardState& keyboard() { return kb_; }

 private:
  void hold(Modifiers modifiers);
  void letGo(Modifiers modifiers);
  void flagsChanged(uint16_t keycode);
  void key(uint16_t keycode, bool isDown, Modifiers modifiers);

  Desktop::Impl& impl_;
  CoreState& core_;
  std::lock_guard<std::mutex> lock_;
  KeyboardState& kb_;
};

}  // namespace vyx::os::sim
