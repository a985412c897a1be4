// Draws the program's face as SVG pictures, from the same view trees the
// tests check, on a simulated desktop: the status menu (waiting for the
// permission, and active), the exceptions window with a few rows, and the
// onboarding window (asking, mid-demonstration, and ready).
//
//   draw_ui DIR           writes the pictures into DIR
//   draw_ui --check DIR   exits with 1 when a picture in DIR is missing or differs
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>

#include "os/sim/desktop.h"
#include "running_app.h"
#include "shell/onboarding_window.h"
#include "shell/tray.h"

namespace {

using vyx::os::sim::Desktop;
using Pictures = std::map<std::string, std::string>;

constexpr auto kDemoStep = std::chrono::milliseconds(280);

size_t windowTitled(Desktop& desktop, std::string_view title) {
  for (const auto& w : desktop.windows()) {
    if (w.title == title) return w.id;
  }
  throw std::runtime_error("no window titled " + std::string(title));
}

Pictures draw(const std::string& configDir) {
  // Before the desktop and the App start their threads.
  ::setenv("VYX_CONFIG_DIR", configDir.c_str(), 1);  // NOLINT(concurrency-mt-unsafe)
  Desktop desktop({.drivenClock = true});
  vyx::testing::RunningApp app(true);
  for (const auto& [bundle, word] : {std::pair{"com.apple.Terminal", "ls"},
                                     {"com.apple.TextEdit", "ghbdtn"},
                                     {"*", "Vyx"},
                                     {"com.microsoft.VSCode", "nfr"}}) {
    if (!app.store()->Add(bundle, word).ok()) throw std::runtime_error("store refused a row");
  }
  Pictures out;
  desktop.onMain([] { vyx::ui::ensureApp(); });
  out["status-menu-waiting.svg"] = desktop.statusMenuSvg();
  vyx::ui::updateTrayState(1, 1);
  desktop.drainMainQueue();
  out["status-menu-active.svg"] = desktop.statusMenuSvg();

  desktop.clickStatusMenuItem({"Исключения…"});
  const size_t exceptions = windowTitled(desktop, "Исключения Vyx");
  desktop.setFieldText(exceptions, "Программа, например com.apple.TextEdit", "com.apple.Notes");
  desktop.selectTableRow(exceptions, 1);
  out["exceptions-window.svg"] = desktop.windowSvg(exceptions);
  desktop.closeWindow(exceptions);

  vyx::ui::showOnboardingWindow();
  desktop.drainMainQueue();
  const size_t onboarding = windowTitled(desktop, "");
  // Step 8: "ghbdtn", the arrow and "привет" all shown.
  for (int i = 0; i <= 8; ++i) desktop.advance(kDemoStep);
  out["onboarding-asking.svg"] = desktop.windowSvg(onboarding);
  vyx::ui::showOnboardingReady();
  desktop.drainMainQueue();
  out["onboarding-ready.svg"] = desktop.windowSvg(onboarding);
  return out;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::string_view(argv[1]) == "--check";
  if (argc != 2 && !check) {
    std::fprintf(stderr, "usage: draw_ui [--check] DIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[argc - 1];
  char tmpl[] = "/tmp/vyx-draw-XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  Pictures pictures;
  try {
    pictures = draw(tmpl);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "draw_ui: %s\n", e.what());
    std::filesystem::remove_all(tmpl);
    return 1;
  }
  std::filesystem::remove_all(tmpl);

  int stale = 0;
  for (const auto& [name, svg] : pictures) {
    const std::filesystem::path path = dir / name;
    if (check) {
      if (readFile(path) != svg) {
        std::fprintf(stderr, "%s differs from the drawing: run draw_ui %s\n", path.c_str(),
                     dir.c_str());
        ++stale;
      }
      continue;
    }
    std::filesystem::create_directories(dir);
    std::ofstream(path, std::ios::binary) << svg;
    std::printf("%s\n", path.c_str());
  }
  return stale == 0 ? 0 : 1;
}
