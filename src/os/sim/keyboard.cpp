// The person at the keyboard: physical keys become key-down, key-up and
// flags-changed events with the text of the input source selected at the
// moment of the press, queued behind whatever the window server holds.
#include <algorithm>
#include <random>
#include <thread>

#include "os/sim/hands.h"
#include "os/sim/key_codes.h"
#include "os/sim/key_layouts.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx::os::sim {

namespace {

// The order a person presses the modifiers of a chord in.
constexpr std::array<EventFlags, 5> kChordOrder = {kEventFlagMaskControl, kEventFlagMaskAlternate,
                                                   kEventFlagMaskShift, kEventFlagMaskCommand,
                                                   kEventFlagMaskSecondaryFn};

// Every event carries the non-coalesced bit, the held modifiers with their
// left or right device bits, and Caps Lock.
EventFlags heldFlagsLocked(const KeyboardState& kb) {
  EventFlags flags = kEventFlagMaskNonCoalesced;
  for (uint16_t k : kb.held) {
    const auto m = modifierKey(k);
    flags |= m->mask | m->deviceBit;
  }
  if (kb.capsLock) flags |= kEventFlagMaskAlphaShift;
  return flags;
}

bool holdsKind(const KeyboardState& kb, EventFlags mask) {
  return std::any_of(kb.held.begin(), kb.held.end(),
                     [&](uint16_t k) { return modifierKey(k)->mask == mask; });
}

}  // namespace

void Hands::modifierDown(uint16_t keycode) {
  if (keycode == key::kCapsLock) {
    kb_.capsLock = !kb_.capsLock;
  } else if (std::find(kb_.held.begin(), kb_.held.end(), keycode) == kb_.held.end()) {
    kb_.held.push_back(keycode);
  }
  flagsChanged(keycode);
}

// Caps Lock changes on its press alone.
void Hands::modifierUp(uint16_t keycode) {
  if (keycode == key::kCapsLock) return;
  std::erase(kb_.held, keycode);
  flagsChanged(keycode);
}

void Hands::hold(Modifiers modifiers) {
  for (EventFlags mask : kChordOrder) {
    if ((modifiers & mask) != 0 && !holdsKind(kb_, mask)) {
      modifierDown(modifierKeyFor(mask, modifiers));
    }
  }
}

void Hands::letGo(Modifiers modifiers) {
  // In the opposite order to hold, the last held first.
  for (size_t i = kChordOrder.size(); i-- > 0;) {
    if ((modifiers & kChordOrder[i]) == 0) continue;
    const std::vector<uint16_t> held(kb_.held.rbegin(), kb_.held.rend());
    for (uint16_t k : held) {
      if (modifierKey(k)->mask == kChordOrder[i]) modifierUp(k);
    }
  }
}

void Hands::down(uint16_t keycode, Modifiers modifiers) {
  hold(modifiers);
  if (modifierKey(keycode)) {
    modifierDown(keycode);
  } else {
    key(keycode, true, modifiers);
  }
}

void Hands::up(uint16_t keycode, Modifiers modifiers) {
  if (modifierKey(keycode)) {
    modifierUp(keycode);
  } else {
    key(keycode, false, modifiers);
  }
  letGo(modifiers);
}

void Hands::post(EventData data) {
  data.location = kb_.mouse;
  data.posted = std::chrono::steady_clock::now();
  core_.events.personPosts.push_back(arrivalOf(data));
  enqueueLocked(core_, core_.events.create(std::move(data), false));
}

void Hands::mouse(EventType type, Point at, int32_t scrollDelta) {
  kb_.mouse = at;
  EventData data;
  data.type = type;
  data.scrollDelta = scrollDelta;
  data.flags = heldFlagsLocked(kb_);
  post(std::move(data));
}

EventFlags Hands::flagsFor(uint16_t keycode, Modifiers modifiers) const {
  return heldFlagsLocked(kb_) | keyOwnFlags(keycode) | (modifiers & kEventFlagMaskAlphaShift);
}

std::u16string Hands::textFor(uint16_t keycode, EventFlags flags) const {
  return layoutKeyText(currentLayoutLocked(core_.sources), keycode, flags,
                       impl_.options.functionKeyText);
}

void Hands::flagsChanged(uint16_t keycode) {
  EventData data;
  data.type = kEventFlagsChanged;
  data.keycode = keycode;
  data.flags = heldFlagsLocked(kb_);
  post(std::move(data));
}

void Hands::key(uint16_t keycode, bool isDown, Modifiers modifiers) {
  EventData data;
  data.type = isDown ? kEventKeyDown : kEventKeyUp;
  data.keycode = keycode;
  data.flags = flagsFor(keycode, modifiers);
  data.text = textFor(keycode, data.flags);
  post(std::move(data));
}

namespace {

// The layout a person types a character on: letters on the layout of their
// script; anything else where the last letter was typed.
enum class Script : uint8_t { latin, cyrillic, otherLetter, none };

Script scriptOf(char32_t c) {
  if (!isLetter(c)) return Script::none;
  if (isCyrillicScript(c)) return Script::cyrillic;
  if (isLatinScript(c)) return Script::latin;
  return Script::otherLetter;
}

KeyLayout layoutOfScript(Script s) {
  return s == Script::cyrillic ? KeyLayout::russianMac : KeyLayout::us;
}

KeyLayout firstLetterLayout(const std::u32string& text) {
  for (char32_t c : text) {
    const Script s = scriptOf(c);
    if (s == Script::latin || s == Script::cyrillic) return layoutOfScript(s);
  }
  return KeyLayout::us;
}

std::chrono::microseconds keyPause(const TypeOptions& options, std::mt19937& rng) {
  const auto base = std::chrono::duration_cast<std::chrono::microseconds>(options.keyDelay);
  const auto jitter = std::chrono::duration_cast<std::chrono::microseconds>(options.jitter);
  if (jitter.count() <= 0) return base;
  std::uniform_int_distribution<int64_t> spread(-jitter.count(), jitter.count());
  return std::max(std::chrono::microseconds(0), base + std::chrono::microseconds(spread(rng)));
}

}  // namespace

void Desktop::press(uint16_t keycode, Modifiers modifiers) {
  Hands hands(*impl_);
  hands.down(keycode, modifiers);
  hands.up(keycode, modifiers);
}

void Desktop::keyDown(uint16_t keycode, Modifiers modifiers) {
  Hands(*impl_).down(keycode, modifiers);
}

void Desktop::keyUp(uint16_t keycode, Modifiers modifiers) {
  Hands(*impl_).up(keycode, modifiers);
}

void Desktop::tapModifier(uint16_t keycode) {
  press(keycode, 0);
}

void Desktop::setCapsLock(bool on) {
  Hands hands(*impl_);
  if (hands.keyboard().capsLock != on) hands.modifierDown(key::kCapsLock);
}

std::u32string Desktop::typeAsPerson(std::string_view text, const TypeOptions& options) {
  const std::u32string chars = decodeUtf8(text);
  CoreState& core = impl_->core;
  {
    const std::lock_guard lock(core.mu);
    ++core.system.typing;
  }
  std::mt19937 rng(options.seed);
  KeyLayout last = firstLetterLayout(chars);
  std::u32string skipped;
  bool first = true;
  for (char32_t c : chars) {
    const Script script = scriptOf(c);
    std::optional<std::pair<uint16_t, Modifiers>> key;
    if (script == Script::none) {
      // Only one layout has it (№, @): that one, whatever came before.
      key = layoutKeyFor(last, c);
      if (!key) {
        key = layoutKeyFor(last == KeyLayout::us ? KeyLayout::russianMac : KeyLayout::us, c);
      }
    } else if (script != Script::otherLetter) {
      last = layoutOfScript(script);
      key = layoutKeyFor(last, c);
    }
    if (!key) {
      skipped.push_back(c);
      continue;
    }
    if (!first) std::this_thread::sleep_for(keyPause(options, rng));
    first = false;
    press(key->first, key->second);
  }
  const std::lock_guard lock(core.mu);
  --core.system.typing;
  return skipped;
}

std::optional<std::pair<uint16_t, Modifiers>> Desktop::keyFor(KeyLayout layout, char32_t ch) {
  return layoutKeyFor(layout, ch);
}

std::u16string Desktop::keyText(KeyLayout layout, uint16_t keycode, Modifiers modifiers) {
  return layoutKeyText(layout, keycode, modifiers, false);
}

void Desktop::postKeyEvent(bool keyDown, uint16_t keycode, EventFlags flags,
                           std::optional<std::u16string> text, int64_t userData) {
  Hands hands(*impl_);
  EventData data;
  data.type = keyDown ? kEventKeyDown : kEventKeyUp;
  data.keycode = keycode;
  data.flags = flags;
  data.text = text ? text->substr(0, kMaxEventText) : hands.textFor(keycode, flags);
  data.userData = userData;
  hands.post(std::move(data));
}

}  // namespace vyx::os::sim
