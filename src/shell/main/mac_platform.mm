// The Mac as the machine: the system is already there, so bringing it up
// makes the shared application object, on the main thread, before anything
// of the user interface is touched; sends every log line to the unified log
// as well; and keeps App Nap away for the life of the process.
#include "shell/main/platform.h"

#import <AppKit/AppKit.h>
#import <Foundation/Foundation.h>
#include <os/log.h>

#include <string>
#include <string_view>

#include "log/logger.h"

namespace vyx {

namespace {

// A compiler that does not tell the SDK's headers the deployment target
// (clang before 17, used only to check that this file compiles) makes them
// take os_log's path for systems before 10.12, which is deprecated.
#if !OS_LOG_TARGET_HAS_10_12_FEATURES
#pragma clang diagnostic ignored "-Wdeprecated-declarations"
#endif

// Made once and never destroyed (nor freed by the system): a thread may log
// while the process ends.
struct UnifiedLog {
  os_log_t log;
};

os_log_t unifiedLog() {
  static const UnifiedLog& unified =
      *new UnifiedLog{os_log_create("com.telvarinox.vyx", "general")};
  return unified.log;
}

// Started from Finder, open or at login, the program's standard error goes
// nowhere; Console.app and `log stream` read the unified log. It keeps its
// lines on disk for every administrator to read, so a line that may hold
// what the person typed (every -verbose line) goes in private: the system
// keeps <private> in its place unless private data is turned on for the
// machine. The other lines are public, or the log would explain nothing.
// os_log takes only a literal format, hence one call for each.
void writeUnifiedLog(std::string_view message, LogPrivacy privacy) {
  const std::string text(message);
  if (privacy == LogPrivacy::personal) {
    os_log(unifiedLog(), "%{private}s", text.c_str());
  } else {
    os_log(unifiedLog(), "%{public}s", text.c_str());
  }
}

}  // namespace

struct Platform::State {
  // Held for the life of the process: a windowless agent is otherwise put
  // into App Nap, which coalesces its timers and stretches the pauses of a
  // correction and the tap thread's wake-ups.
  id<NSObject> activity;
};

Platform::Platform() : state_(std::make_unique<State>()) {
  (void)NSApplication.sharedApplication;
  setLogMirror(writeUnifiedLog);
  state_->activity = [NSProcessInfo.processInfo
      beginActivityWithOptions:NSActivityUserInitiatedAllowingIdleSystemSleep |
                               NSActivityLatencyCritical
                        reason:@"Keystrokes wait for Vyx's event tap"];
}

Platform::~Platform() {
  setLogMirror(nullptr);
  [NSProcessInfo.processInfo endActivity:state_->activity];
}

// Nobody on a Mac waits for the program to go quiet.
void Platform::setBusyProbe(const std::function<bool()>& /*busy*/) {}

}  // namespace vyx
