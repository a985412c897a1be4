#include "platform/synthetic_input.h"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <optional>
#include <thread>

#include "log/logger.h"
#include "os/handle.h"
#include "pipeline/convert_by_script.h"
#include "pipeline/key_codes.h"
#include "platform/accessibility.h"
#include "platform/event_tap.h"
#include "platform/frontmost.h"
#include "platform/input_source.h"
#include "platform/own_events.h"
#include "text/utf8.h"

namespace vyx {

namespace {

using std::chrono::milliseconds;

constexpr auto kCommandFlag = static_cast<uint64_t>(kFlagCommand);
// How long an operation waits for the tap to see its last post; it sees it
// within a millisecond unless the tap is off.
constexpr milliseconds kOwnEventsWait{500};

void post(os::Event* event) {
  noteOwnEventPosted();
  os::eventPost(os::kHIDEventTap, event);
}

// The App's operations return only once what they posted has passed the
// tap, so that the pipeline, which stops holding input back after its last
// operation, holds every key the person pressed before that.
void awaitPassage() {
  (void)awaitOwnEventsSeen(kOwnEventsWait);
}

// One synthetic press. An event that cannot be made is left out; the press
// is then whichever half exists.
void postPress(uint16_t keycode, std::optional<uint64_t> flags,
               std::optional<std::u16string_view> text) {
  const os::Ref<os::EventSource> source =
      os::adopt(os::eventSourceCreate(os::kEventSourceStatePrivate));
  const os::Ref<os::Event> down =
      os::adopt(os::eventCreateKeyboardEvent(source.get(), keycode, true));
  const os::Ref<os::Event> up =
      os::adopt(os::eventCreateKeyboardEvent(source.get(), keycode, false));
  for (os::Event* event : {down.get(), up.get()}) {
    if (event == nullptr) continue;
    os::eventSetIntegerValueField(event, os::kEventSourceUserData, syntheticEventMarker);
    if (flags) os::eventSetFlags(event, *flags);
    if (text) os::eventKeyboardSetUnicodeString(event, text->size(), text->data());
  }
  if (down) post(down.get());
  if (up) post(up.get());
}

uint16_t keycodeFor(char16_t ch) {
  switch (ch) {
    case u' ':
      return kKeySpace;
    case u'\'':
      return kKeyQuote;
    case u',':
      return kKeyComma;
    case u'.':
      return kKeyPeriod;
    case u';':
      return kKeySemicolon;
    case u'[':
      return kKeyLeftBracket;
    case u']':
      return kKeyRightBracket;
    case u'`':
      return kKeyGrave;
    default:
      return 0;
  }
}

// Control characters, DEL and the range the system gives arrow and
// function keys are keys, not text.
bool printable(char32_t ch) {
  const auto c = static_cast<int32_t>(ch);
  return c >= 0x20 && c != 0x7F && !(c >= 0xF700 && c <= 0xF8FF);
}

// The flags go on both events; the text too, when setText is non-zero: a
// text of any length, as a key of some layouts gives.
void sendKeyEvent(uint16_t keycode, std::u16string_view text, uint64_t flags, int32_t setText) {
  postPress(keycode, flags, setText != 0 ? std::optional(text) : std::nullopt);
}

// The character as the press's text, on the key that bears it on a U.S.
// keyboard for the few punctuation keys that matter, key code 0 otherwise.
void sendUnichar(char16_t ch) {
  postPress(keycodeFor(ch), std::nullopt, std::u16string_view(&ch, 1));
}

// Posts a marked copy of a held mouse event; the event stays the caller's.
void vyxPostMouseEvent(os::Event* event) {
  if (event == nullptr) return;
  const os::Ref<os::Event> copy = os::adopt(os::eventCreateCopy(event));
  if (!copy) return;
  os::eventSetIntegerValueField(copy.get(), os::kEventSourceUserData, syntheticEventMarker);
  post(copy.get());
}

void vyxReleaseMouseEvent(os::Event* event) {
  if (event != nullptr) os::release(event);
}

// The token is the held copy's address, handed to the pipeline as a number.
os::Event* eventOf(uint64_t token) {
  return reinterpret_cast<os::Event*>(  // NOLINT(performance-no-int-to-ptr)
      static_cast<uintptr_t>(token));
}

}  // namespace

void sendBackspace() {
  postPress(kKeyBackspace, std::nullopt, std::nullopt);
}

void sendCmdC() {
  postPress(kKeyC, kCommandFlag, std::nullopt);
}

void sendCmdV() {
  postPress(kKeyV, kCommandFlag, std::nullopt);
}

void sleepPause(milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

Status replaceText(int64_t deleteCount, const std::string& text, const std::string& app,
                   const Pause& pause) {
  vlog("REPLACE START: delete=%d text=%q", deleteCount, text);
  // Keys go to whichever application is in front when they arrive. Once
  // that is not the one the word was typed in, every further key would
  // erase or type there, so the correction stops where it is, or never
  // begins. The cache of the frontmost application lags the workspace.
  const std::string target = app.empty() ? FrontmostAppIDNow() : app;
  const OwnKeysAim aim(target);
  // Without the permission every further key would go nowhere, and the
  // source switched at the end would be the only thing the person saw.
  const char* stopped = nullptr;
  const auto press = [&](const std::function<void()>& send) {
    if (stopped == nullptr && FrontmostAppIDNow() != target) {
      stopped = "another application came to the front";
    }
    if (stopped == nullptr && !inputAccessHeld()) stopped = "the permission to type was taken away";
    if (stopped != nullptr) return false;
    send();
    pause(milliseconds(5));
    return true;
  };
  const int64_t toErase = std::max<int64_t>(deleteCount, 0);
  int64_t erased = 0;
  while (erased < toErase && press(sendBackspace)) ++erased;
  if (stopped == nullptr) pause(milliseconds(10));
  // One UTF-16 unit per character: only the Basic Multilingual Plane types
  // correctly, and every text the pipeline passes lies inside it.
  const std::u32string chars = decodeUtf8(text);
  int64_t typed = 0;
  for (const char32_t c : chars) {
    if (!press([c] { sendUnichar(static_cast<char16_t>(c & 0xFFFF)); })) break;
    ++typed;
  }
  if (stopped != nullptr) {
    awaitPassage();
    // Always logged: the person sees a word half erased, or left as typed
    // without its space, and this says why.
    logf("REPLACE STOPPED: %s, erased %d of %d, typed %d of %d", stopped, erased, toErase, typed,
         static_cast<int64_t>(chars.size()));
    return Error(stopped);
  }
  vlog("REPLACE TYPED: %q", text);
  switchLayout(hasRussianLetter(text) ? 1 : 0);
  pause(milliseconds(30));
  awaitPassage();
  vlog("REPLACE DONE");
  return {};
}

Status replaceText(int64_t deleteCount, const std::string& text, const std::string& app) {
  return replaceText(deleteCount, text, app, sleepPause);
}

void sendChar(char32_t ch) {
  sendUnichar(static_cast<char16_t>(ch & 0xFFFF));
  awaitPassage();
}

void sendEnter(uint16_t keycode, int64_t flags) {
  postKeyEvent(keycode, kReturnChar, flags, {});
}

void postKeyEvent(uint16_t keycode, char32_t ch, int64_t flags, std::u16string_view text) {
  const auto unit = static_cast<char16_t>(ch & 0xFFFF);
  sendKeyEvent(keycode, text.empty() ? std::u16string_view(&unit, 1) : text,
               static_cast<uint64_t>(flags), printable(ch) ? 1 : 0);
  awaitPassage();
}

void postMouseEvent(uint64_t token, int64_t /*eventType*/) {
  vyxPostMouseEvent(eventOf(token));
  awaitPassage();
}

bool tapCaughtUp() {
  // Without a tap nothing is held back, and nothing can get through it.
  if (!tapServing()) return true;
  const os::Ref<os::EventSource> source =
      os::adopt(os::eventSourceCreate(os::kEventSourceStatePrivate));
  const os::Ref<os::Event> checkpoint =
      os::adopt(os::eventCreateKeyboardEvent(source.get(), kTapCheckpointKey, false));
  if (!checkpoint) return false;
  os::eventSetIntegerValueField(checkpoint.get(), os::kEventSourceUserData, syntheticEventMarker);
  post(checkpoint.get());
  return awaitOwnEventsSeen(kOwnEventsWait);
}

void releaseMouseEvent(uint64_t token) {
  vyxReleaseMouseEvent(eventOf(token));
}

}  // namespace vyx
