#include "os/sim/core_state.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "os/sim/desktop_impl.h"

namespace vyx::os::sim {

namespace {
std::atomic<uint64_t> nextSerial{1};
}  // namespace

void die(std::string_view message, const void* object) {
  std::fprintf(stderr, "simulated desktop: %.*s (%p)\n", static_cast<int>(message.size()),
               message.data(), object);
  std::abort();
}

CoreState::CoreState(const DesktopOptions& options) : serial(nextSerial.fetch_add(1)) {
  server.tapTimeout = options.tapTimeout;
  sources.infos = options.inputSources;
  sources.selected = options.selectedInputSource;
  for (const AppInfo& app : options.apps) {
    workspace.apps.push_back(std::make_unique<SimApp>(SimApp{app, {}, {}, 0}));
  }
  if (!workspace.apps.empty()) workspace.front = workspace.apps.front().get();
  system.trusted = options.trusted;
  server.thread = std::thread([this] { runWindowServer(*this); });
}

CoreState::~CoreState() {
  stopWindowServer(*this);
}

CoreState* currentCore() {
  Desktop* desktop = Desktop::current();
  return desktop == nullptr ? nullptr : &desktop->impl().core;
}

}  // namespace vyx::os::sim
