// vyx: the process entry and the composition root, the one place that knows
// every concrete piece. Reads the command line, runs a maintenance mode or
// starts the program in its fixed order on the main thread, and hands that
// thread to the event loop. From then on the process ends only through the
// orderly exit (a signal, "Выйти" in the menu, or a quit from the system).
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "detect/detector.h"
#include "detect/dict.h"
#include "log/logger.h"
#include "os/application.h"
#include "pipeline/app.h"
#include "pipeline/rollback_tracker.h"
#include "platform/accessibility.h"
#include "platform/bridge_ops.h"
#include "platform/event_tap.h"
#include "platform/frontmost.h"
#include "shell/command_line.h"
#include "shell/hook_control.h"
#include "shell/main/platform.h"
#include "shell/maintenance.h"
#include "shell/onboarding_window.h"
#include "shell/orderly_exit.h"
#include "shell/signal_watcher.h"
#include "shell/tray.h"
#include "store/config.h"
#include "store/custom_dict.h"
#include "store/exception_store.h"
#include "store/instance_lock.h"

namespace vyx {

// The user word list poller's stop function, empty when no poller runs;
// written once at start-up, called by the exit clean-up.
std::mutex customDictStopMu;
std::function<void()> customDictStop;

namespace {

constexpr std::chrono::seconds kCustomDictInterval{1};

extern "C" void onBrokenPipe(int /*signo*/) {}

// A reader of the log or of a listing that went away (vyx 2>&1 | head) must
// cost the lines written there, never the program and its final save: the
// write then fails with EPIPE and is dropped. A handler that does nothing,
// unlike ignoring the signal, is not passed on to programs started later.
void surviveBrokenPipes() {
  struct sigaction action {};
  action.sa_handler = onBrokenPipe;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  (void)::sigaction(SIGPIPE, &action, nullptr);
}

void writeStderr(std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return;
    text.remove_prefix(static_cast<size_t>(n));
  }
}

// Without a configuration directory or a file, the program runs without the
// user's words.
void startUserWordList(Detector& detector) {
  const Result<std::string> path = customDictPath();
  if (!path.ok()) {
    logf("custom dict: config dir unavailable: %v", path.error());
    return;
  }
  if (const Status made = ensureCustomDictFile(*path); !made.ok()) {
    logf("custom dict: cannot create file: %v", made.error());
    return;
  }
  std::function<void()> stop = startCustomDictWatcher(
      *path, [&detector](CustomWordSet words) { detector.SetCustomWords(std::move(words)); },
      kCustomDictInterval);
  const std::lock_guard lock(customDictStopMu);
  customDictStop = std::move(stop);
}

void stopUserWordList() {
  std::function<void()> stop;
  {
    const std::lock_guard lock(customDictStopMu);
    stop = customDictStop;
  }
  if (stop) stop();
}

Dict loadDictOrDie(std::string_view code, std::string_view fatalFormat,
                   std::string_view countFormat) {
  Result<Dict> dict = LoadDict(code);
  if (!dict.ok()) logFatalf(fatalFormat, dict.error());
  logf(countFormat, dict->wordCount());
  return std::move(dict).value();
}

// The normal start-up; returns only when the settings disable the program.
int runProgram(Platform& platform) {
  logLine("Vyx starting...");

  LoadedConfig loaded = LoadConfig();
  if (loaded.error) logf("Config warning: %v", *loaded.error);
  Config& cfg = *loaded.config;

  if (!cfg.Enabled) {
    logLine("Disabled in config, exiting");
    return 0;
  }

  // Held until the process ends; the system lets go of it then.
  Result<InstanceLock> lock = lockConfigDir();
  if (!lock.ok()) {
    if (heldElsewhere(lock.error())) logFatalLine("Vyx is already running: quit it first");
    logFatalf(kLockRefused, lock.error());
  }
  // Refusing where the file system gives no lock at all would stop Vyx for a
  // reason the person cannot mend.
  if (lock->unavailable()) logf("instance lock: %v — going on without it", *lock->unavailable());

  std::shared_ptr<ExceptionStore> store;
  if (auto opened = NewExceptionStore(); opened.ok()) {
    store = std::move(opened.value());
  } else {
    logf("Exceptions store warning: %v — running without learning", opened.error());
  }

  setBeforeExitHook([store] {
    stopUserWordList();
    if (store) store->Close();
  });

  RollbackTracker tracker(store);

  const Dict ruDict = loadDictOrDie("ru", "Cannot load Russian dict: %v", "Russian dict: %d words");
  const Dict enDict = loadDictOrDie("en", "Cannot load English dict: %v", "English dict: %d words");

  Detector detector(ruDict, enDict);

  AppOps ops = bridgeAppOps();
  ops.trayEnabled = isTrayEnabled;
  const std::unique_ptr<App> app = newApp(cfg, store.get(), detector, &tracker, std::move(ops));

  setTrayApp(app.get());
  setKeyHandler(
      [appPtr = app.get()](uint16_t keycode, char32_t ch, int64_t flags, std::u16string_view text) {
        return appPtr->onKeyEvent(keycode, ch, flags, text);
      });
  platform.setBusyProbe([appPtr = app.get()] { return appPtr->isBusy() || injecting.load() == 1; });

  wireKeyboardHook(HookEnvironment{
      .startHook = startHook,
      .checkAccessibility = checkAccessibility,
      .isTrayEnabled = isTrayEnabled,
      .updateTrayState = ui::updateTrayState,
      .showOnboardingReady = ui::showOnboardingReady,
      .sleep = [](std::chrono::nanoseconds d) { std::this_thread::sleep_for(d); },
      .checkHookHealth = checkHookHealth,
      .stopHook = stopHook,
      .hookLost = [appPtr = app.get()] { appPtr->inputPathLost(); },
      .waitForAccessibility = waitForAccessibility,
  });
  ui::setTrayHandlers(trayHandlers());
  ui::ensureApp();

  startUserWordList(detector);

  vyxInstallFrontmostObserver();

  if (const Status hook = ensureKeyboardHook(); !hook.ok()) {
    logf("Keyboard hook not ready: %v", hook.error());
    ui::showOnboardingWindow();
    waitForAccessibility();
  } else {
    logLine("Keyboard hook started");
  }

  logLine(hookStarted.load() == 1 ? "Vyx ready" : "Vyx waiting for Accessibility permission");

  startSignalWatcher();
  os::applicationSetQuitHandler(quitFromSystem);

  ui::runNSApp();
  // The loop returns only when the machine under it stops.
  exitProcess(0);
}

}  // namespace

}  // namespace vyx

int main(int argc, char** argv) {
  using vyx::ParsedCommandLine;
  vyx::surviveBrokenPipes();
  const std::string_view program = argc > 0 ? argv[0] : "vyx";
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const ParsedCommandLine parsed = vyx::parseCommandLine(args);
  switch (parsed.outcome) {
    case ParsedCommandLine::Outcome::error:
      vyx::writeStderr(parsed.message + "\n" + vyx::usageText(program));
      return 2;
    case ParsedCommandLine::Outcome::help:
      vyx::writeStderr(vyx::usageText(program));
      return 0;
    case ParsedCommandLine::Outcome::run:
      break;
  }
  vyx::verboseLogging.store(parsed.options.verbose ? 1 : 0);
  if (parsed.options.maintenanceMode()) return vyx::runMaintenanceMode(parsed.options);

  vyx::Platform platform;
  return vyx::runProgram(platform);
}
