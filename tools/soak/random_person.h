// A person at the keyboard who does anything at all: words of both
// languages on whichever source happens to be selected, stray keys,
// Backspace, arrows, chords, double Shift, clicks, Return and Tab, each
// press reaching the desktop through its control socket, and each kept in a
// FieldModel of the frontmost application's field.
#pragma once

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "field_model.h"
#include "os/sim/control/client.h"

namespace vyx::soak {

struct Pace {
  std::chrono::milliseconds keyDelay{20};
  std::chrono::milliseconds jitter{10};
};

class RandomPerson final {
 public:
  RandomPerson(os::sim::DesktopClient& client, uint32_t seed, Pace pace)
      : client_(client), rng_(seed), pace_(pace) {}

  // One random action on the field of the frontmost application; returns
  // how many presses it made. Its description goes to the round's log.
  int act(FieldModel& field);
  // The round's actions so far, for a report; cleared by the caller.
  std::vector<std::string>& log() { return log_; }
  std::mt19937& rng() { return rng_; }

 private:
  void press(uint16_t keycode, os::EventFlags modifiers = 0);
  void pause();
  int typeText(FieldModel& field, const std::u32string& text);
  int strayKey(FieldModel& field);
  int chord(FieldModel& field);
  int navigate(FieldModel& field);

  os::sim::DesktopClient& client_;
  std::mt19937 rng_;
  Pace pace_;
  std::vector<std::string> log_;
};

}  // namespace vyx::soak
