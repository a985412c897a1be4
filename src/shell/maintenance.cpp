#include "shell/maintenance.h"

#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "log/format.h"
#include "log/logger.h"
#include "store/exception_store.h"
#include "store/instance_lock.h"
#include "store/wall_time.h"

namespace vyx {

namespace {

void writeStdout(std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(STDOUT_FILENO, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return;  // a closed standard output: nobody is left to tell
    }
    text.remove_prefix(static_cast<size_t>(n));
  }
}

std::string formatExceptionList(const std::vector<Exception>& entries) {
  if (entries.empty()) return "(no exceptions)\n";
  std::string out;
  for (const Exception& e : entries) {
    // A hand-edited file may hold a newline or an escape sequence: one entry,
    // one line, and nothing reaches the terminal as a command.
    out += sformat("%-40s  %-30s  %d hits  added=%s\n", escapeControls(e.App),
                   escapeControls(e.Word), e.HitCount, formatDate(e.Added));
  }
  return out;
}

std::string runMaintenanceAction(ExceptionStore& store, const CommandLineOptions& options) {
  if (options.listExceptions) return formatExceptionList(store.List());
  if (!options.forget.empty()) {
    const size_t n = store.Forget(options.forget);
    return sformat("forgot %d entries for word %q\n", n, options.forget);
  }
  if (!options.forgetApp.empty()) {
    const size_t n = store.ForgetApp(options.forgetApp);
    return sformat("forgot %d entries for app %q\n", n, options.forgetApp);
  }
  store.Clear();
  return "exceptions cleared\n";
}

}  // namespace

int runMaintenanceMode(const CommandLineOptions& options) {
  // A listing only looks, so it runs beside the program. A change made
  // beside it would be undone by the program's next save, so it is refused
  // then; it holds the lock itself until its own save is done.
  const bool changes = !options.listExceptions;
  std::optional<InstanceLock> lock;
  if (changes) {
    Result<InstanceLock> locked = lockConfigDir();
    if (!locked.ok()) {
      if (heldElsewhere(locked.error())) {
        logFatalLine("Vyx is running: quit it first, then run this again");
      }
      logFatalf(kLockRefused, locked.error());
    }
    // Where no lock can be had at all, the change goes ahead unguarded.
    lock = std::move(locked).value();
  }
  ExceptionStoreOptions storeOptions;
  storeOptions.readOnly = !changes;
  // The last save is the one Close makes on this thread after the saver has
  // ended, so the value needs no lock.
  Status lastSave;
  storeOptions.onSaved = [&lastSave](const Status& saved) { lastSave = saved; };
  auto opened = NewExceptionStore(std::move(storeOptions));
  if (!opened.ok()) logFatalf("exceptions store: %v", opened.error());
  ExceptionStore& store = *opened.value();
  const std::string done = runMaintenanceAction(store, options);
  store.Close();
  // A change is done only once it is on disk; the file still holds what it
  // held before.
  if (!lastSave.ok()) {
    logFatalf("exceptions store: not saved, nothing changed: %v", lastSave.error());
  }
  writeStdout(done);
  return 0;
}

}  // namespace vyx
