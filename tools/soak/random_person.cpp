#include "random_person.h"

#include <array>
#include <thread>

#include "os/events.h"
#include "os/sim/key_codes.h"
#include "text/unicode.h"
#include "text/utf8.h"

namespace vyx::soak {

namespace {

using os::sim::Desktop;
using os::sim::KeyLayout;

// The character keys of the main block.
constexpr std::array<uint16_t, 47> kCharacterKeys = {
    50, 18, 19, 20, 21, 23, 22, 26, 28, 25, 29, 27, 24, 12, 13, 14, 15, 17, 16, 32, 34, 31, 35, 33,
    30, 42, 0,  1,  2,  3,  5,  4,  38, 40, 37, 41, 39, 6,  7,  8,  9,  11, 45, 46, 43, 47, 44};
namespace key = os::sim::key;
constexpr uint16_t kK = 40;
constexpr os::EventFlags kCmdFlag = os::kEventFlagMaskCommand;
constexpr os::EventFlags kShiftFlag = os::kEventFlagMaskShift;

// Words that vyx corrects when they come out on the other layout, and
// some it must leave alone.
const std::array<const char*, 24> kRussian = {
    "привет",  "как",     "дела",   "сегодня", "хорошая", "погода",  "пойдём", "гулять",
    "вечером", "спасибо", "помощь", "встречи", "работа",  "человек", "время",  "жизнь",
    "слово",   "быстро",  "и",      "в",       "ещё",     "всё",     "её",     "дом"};
const std::array<const char*, 24> kEnglish = {
    "hello", "world", "the",    "quick", "brown",  "fox",    "jumps", "over",
    "lazy",  "dog",   "report", "lunch", "please", "should", "meet",  "station",
    "I",     "a",     "think",  "about", "github", "http",   "ok",    "yes"};
const std::array<const char32_t*, 8> kEndings = {U" ",  U" ",  U" ",  U", ",
                                                 U". ", U"! ", U"? ", U"\n"};

KeyLayout layoutOf(char32_t c, KeyLayout last) {
  if (!isLetter(c)) return last;
  return isCyrillicScript(c) ? KeyLayout::russianMac : KeyLayout::us;
}

}  // namespace

void RandomPerson::pause() {
  const auto base = std::chrono::duration_cast<std::chrono::microseconds>(pace_.keyDelay);
  const auto spread = std::chrono::duration_cast<std::chrono::microseconds>(pace_.jitter).count();
  std::uniform_int_distribution<int64_t> jitter(-spread, spread);
  std::this_thread::sleep_for(
      std::max(std::chrono::microseconds(0), base + std::chrono::microseconds(jitter(rng_))));
}

void RandomPerson::press(uint16_t keycode, os::EventFlags modifiers) {
  client_.press(keycode, modifiers);
  pause();
}

int RandomPerson::typeText(FieldModel& field, const std::u32string& text) {
  KeyLayout last = KeyLayout::us;
  int presses = 0;
  for (char32_t c : text) {
    last = layoutOf(c, last);
    auto key = Desktop::keyFor(last, c);
    if (!key)
      key = Desktop::keyFor(last == KeyLayout::us ? KeyLayout::russianMac : KeyLayout::us, c);
    if (!key) continue;
    press(key->first, key->second);
    field.type({key->first, (key->second & kShiftFlag) != 0});
    ++presses;
  }
  return presses;
}

int RandomPerson::strayKey(FieldModel& field) {
  const uint16_t keycode = kCharacterKeys[rng_() % kCharacterKeys.size()];
  const bool shift = rng_() % 5 == 0;
  log_.push_back("key " + std::to_string(keycode) + (shift ? "+shift" : ""));
  press(keycode, shift ? kShiftFlag : 0);
  field.type({keycode, shift});
  return 1;
}

int RandomPerson::chord(FieldModel& field) {
  switch (rng_() % 5) {
    case 0:
      log_.emplace_back("cmd+a");
      press(key::kA, kCmdFlag);
      field.selectAll();
      break;
    case 1:
      log_.emplace_back("cmd+c");
      press(key::kC, kCmdFlag);
      break;
    case 2:
      log_.emplace_back("cmd+z");
      press(key::kZ, kCmdFlag);
      break;
    case 3:
      log_.emplace_back("cmd+shift+x");
      press(key::kX, kCmdFlag | kShiftFlag);
      field.convertSelection();
      break;
    default:
      log_.emplace_back("ctrl+k");
      press(kK, os::kEventFlagMaskControl);
      break;
  }
  return 1;
}

int RandomPerson::navigate(FieldModel& field) {
  switch (rng_() % 4) {
    case 0:
      log_.emplace_back("left");
      press(key::kLeft);
      field.left();
      break;
    case 1:
      log_.emplace_back("right");
      press(key::kRight);
      field.right();
      break;
    case 2:
      log_.emplace_back("home");
      press(key::kHome);
      field.home();
      break;
    default:
      log_.emplace_back("end");
      press(key::kEnd);
      field.end();
      break;
  }
  return 1;
}

int RandomPerson::act(FieldModel& field) {
  const uint32_t roll = rng_() % 100;
  if (roll < 55) {
    const bool russian = rng_() % 2 == 0;
    std::string word =
        russian ? kRussian[rng_() % kRussian.size()] : kEnglish[rng_() % kEnglish.size()];
    const std::u32string text = decodeUtf8(word) + kEndings[rng_() % kEndings.size()];
    log_.push_back("type \"" + encodeUtf8(text) + "\"");
    return typeText(field, text);
  }
  if (roll < 65) return strayKey(field);
  if (roll < 73) {
    const int n = 1 + static_cast<int>(rng_() % 3);
    log_.push_back("backspace x" + std::to_string(n));
    for (int i = 0; i < n; ++i) {
      press(key::kBackspace);
      field.backspace();
    }
    return n;
  }
  if (roll < 79) return navigate(field);
  if (roll < 87) return chord(field);
  if (roll < 91) {
    log_.emplace_back("double shift");
    client_.tapModifier(key::kShift);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    client_.tapModifier(key::kShift);
    pause();
    return 2;
  }
  if (roll < 96) {
    const size_t caret = rng_() % (field.length() + 3);
    log_.push_back("click " + std::to_string(caret));
    client_.clickAtCaret(caret);
    field.click(caret);
    pause();
    return 1;
  }
  const bool isReturn = rng_() % 3 != 0;
  log_.emplace_back(isReturn ? "return" : "tab");
  press(isReturn ? key::kReturn : key::kTab);
  field.type({isReturn ? key::kReturn : key::kTab, false});
  return 1;
}

}  // namespace vyx::soak
