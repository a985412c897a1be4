// The shell on a simulated desktop: a driven clock, the shell's interface
// state fresh for this desktop, and (on request) a running App published
// for the menu, with a real exception store in a temporary configuration
// directory.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "os/sim/desktop.h"
#include "running_app.h"
#include "shell/tray.h"
#include "shell/ui_globals.h"
#include "support/temp_dir.h"

namespace vyx::testing {

using os::sim::Desktop;
using os::sim::DesktopOptions;

class ShellRig final {
 public:
  ShellRig() {
    ::setenv("VYX_CONFIG_DIR", dir_.path().c_str(), 1);
    desktop.onMain([] { ui::resetShellUi(); });
  }
  ~ShellRig() {
    app.reset();
    ::unsetenv("VYX_CONFIG_DIR");
  }
  ShellRig(const ShellRig&) = delete;
  ShellRig& operator=(const ShellRig&) = delete;

  void startApp(bool withStore = true, AppOps ops = {}) { app.emplace(withStore, std::move(ops)); }
  void ensureApp(ui::TrayHandlers handlers = {}) {
    desktop.onMain([&] {
      ui::setTrayHandlers(std::move(handlers));
      ui::ensureApp();
    });
  }
  [[nodiscard]] std::string file(const std::string& name) const { return dir_.file(name); }

  // The one window the test expects, by title.
  [[nodiscard]] std::optional<os::sim::WindowSnapshot> windowTitled(const std::string& title) {
    std::optional<os::sim::WindowSnapshot> found;
    for (auto& w : desktop.windows()) {
      if (w.title == title) {
        EXPECT_FALSE(found) << "two windows titled " << title;
        found = std::move(w);
      }
    }
    return found;
  }

  Desktop desktop{DesktopOptions{.drivenClock = true}};
  std::optional<RunningApp> app;

 private:
  TempDir dir_;
};

}  // namespace vyx::testing
