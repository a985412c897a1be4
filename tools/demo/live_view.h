// What the person sees while typing, drawn as one status line: the menu bar
// icon, the selected input source and the text field's current line. On a
// terminal the line is redrawn in place at every change, so each correction
// shows as it happens (the word vanishes and comes back); elsewhere each
// change is one more line.
//
// Threads: start and stop from the driving thread; between them a thread of
// its own polls the desktop over its own connection.
#pragma once

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "os/sim/control/client.h"

namespace vyx::demo {

struct Screen {
  std::string tray;
  std::string source;
  std::string line;  // the field's text after its last Return
  bool operator==(const Screen&) const = default;
};

class LiveView final {
 public:
  LiveView(const std::string& socketPath, std::FILE* out);
  ~LiveView() { stop(); }
  LiveView(const LiveView&) = delete;
  LiveView& operator=(const LiveView&) = delete;

  void start();
  // Draws the last state and ends the line.
  void stop();

 private:
  Screen look();
  void draw(const Screen& screen);

  os::sim::DesktopClient client_;
  std::FILE* out_;
  bool terminal_;
  std::atomic<bool> running_{false};
  std::thread poller_;
  Screen shown_;
};

// The short name of an input source, as the menu bar's input menu gives it.
[[nodiscard]] std::string sourceName(const std::string& id);

}  // namespace vyx::demo
