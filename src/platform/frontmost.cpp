#include "platform/frontmost.h"

#include <memory>
#include <mutex>
#include <optional>

#include "os/handle.h"
#include "os/workspace.h"
#include "pipeline/app.h"
#include "platform/panic.h"

namespace vyx {

namespace {

struct FrontmostCache {
  std::mutex mu;
  // Null while no frontmost application is known.
  std::unique_ptr<const std::string> frontmostBundleIDCache;  // guarded by mu
};

// Never destroyed: the tap thread runs until the process is gone and may
// read the cache while exit destroys other statics.
FrontmostCache& cache() {
  static FrontmostCache& c = *std::make_unique<FrontmostCache>().release();
  return c;
}

void replaceCache(std::unique_ptr<const std::string> next) {
  FrontmostCache& c = cache();
  {
    const std::lock_guard lock(c.mu);
    c.frontmostBundleIDCache.swap(next);
  }
  // next now holds the old value, freed here, outside the lock.
}

// The identifier (none for an application without one) becomes the cached
// value. Main thread.
void setCachedFrontmostBundleID(const std::optional<std::string>& bundleID) {
  // The copy is made before the lock is taken.
  replaceCache(bundleID ? std::make_unique<const std::string>(*bundleID) : nullptr);
}

// The pipeline's side of an activation: the typing context no longer
// matches the screen. Main thread.
void goAppSwitched() noexcept {
  try {
    if (App* app = getTrayApp()) app->invalidateContext();
  } catch (...) {
    logPanic("goAppSwitched", false);
  }
}

// Main thread, for every activation notification.
void onApplicationActivated(const os::ActivationNotification& notification) {
  if (notification.application) {
    setCachedFrontmostBundleID(notification.application->bundleIdentifier);
  } else {
    clearCachedFrontmostBundleID();
  }
  // The cache already names the new application when the context goes.
  goAppSwitched();
}

// A copy of the cached identifier, "" when none is known.
std::string vyxFrontmostBundleIDCopy() {
  FrontmostCache& c = cache();
  const std::lock_guard lock(c.mu);
  return c.frontmostBundleIDCache ? *c.frontmostBundleIDCache : std::string();
}

}  // namespace

void clearCachedFrontmostBundleID() {
  replaceCache(nullptr);
}

void vyxInstallFrontmostObserver() {
  const os::AutoreleasePool pool;
  if (const std::optional<os::RunningApplication> app = os::frontmostApplication()) {
    setCachedFrontmostBundleID(app->bundleIdentifier);
  } else {
    clearCachedFrontmostBundleID();
  }
  os::addActivationObserverOnMainQueue(onApplicationActivated);
}

std::string FrontmostAppID() {
  return vyxFrontmostBundleIDCopy();
}

std::string FrontmostAppIDNow() {
  const os::AutoreleasePool pool;
  const std::optional<os::RunningApplication> app = os::frontmostApplication();
  return app ? app->bundleIdentifier.value_or("") : std::string();
}

}  // namespace vyx
