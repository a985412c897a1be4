// The keyboard input sources: their descriptions, the selected one, and
// the source and list objects handed to the program.
//
// Threads: guarded by CoreState::mu, except InputSource::alive.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "os/input_sources.h"
#include "os/sim/desktop.h"
#include "os/sim/registry.h"

namespace vyx::os {

// A look at one source as it was when the program asked; selecting it goes
// by its identifier to the source as it is now.
struct InputSource {
  explicit InputSource(sim::InputSourceInfo s) : info(std::move(s)) {}
  sim::InputSourceInfo info;
  std::atomic<bool> alive{true};
};

struct InputSourceList {
  std::vector<std::unique_ptr<InputSource>> items;
};

}  // namespace vyx::os

namespace vyx::os::sim {

struct InputSourceState {
  std::vector<InputSourceInfo> infos;
  std::string selected;
  std::vector<std::string> programSelections;
  bool failList = false;
  // Released objects are kept a while to catch a second release; few are
  // enough, since the program releases each soon after making it.
  Registry<InputSource> copies{64};  // tisCopyCurrentKeyboardInputSource results
  Registry<InputSourceList> lists{64};
};

// The layout the person's keyboard types with now.
[[nodiscard]] KeyLayout currentLayoutLocked(const InputSourceState& sources);

}  // namespace vyx::os::sim
