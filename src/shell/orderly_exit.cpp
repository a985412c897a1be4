#include "shell/orderly_exit.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "log/logger.h"
#include "log/metrics.h"
#include "pipeline/app.h"

namespace vyx {

std::function<void()> beforeExitHook;
std::shared_mutex beforeExitMu;

namespace {
constexpr std::chrono::seconds kWorkerStopTimeout{2};
}  // namespace

void setBeforeExitHook(std::function<void()> fn) {
  const std::unique_lock lock(beforeExitMu);
  beforeExitHook = std::move(fn);
}

void runBeforeExitHook() {
  if (App* app = getTrayApp()) app->StopWorker(kWorkerStopTimeout);
  std::function<void()> cleanup;
  {
    const std::shared_lock lock(beforeExitMu);
    cleanup = beforeExitHook;
  }
  if (cleanup) cleanup();
  logMetricsSummary();
}

// Said as for a signal: the outside world ends the program either way.
void quitFromSystem() {
  logLine("Shutting down");
  runBeforeExitHook();
  exitProcess(0);
}

void exitProcess(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}

}  // namespace vyx
