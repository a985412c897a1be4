// The one-shot maintenance modes on the learned exceptions: list, forget a
// word, forget an application, clear. No settings, word lists, interface
// or pipeline are involved.
#pragma once

#include "shell/command_line.h"

namespace vyx {

// The fatal line, for a start and a maintenance mode alike, when vyx.lock is
// something the person must mend first; the error says how.
inline constexpr const char* kLockRefused = "instance lock: %v";

// Opens the store (a failure is the fatal line "exceptions store: %v"),
// performs the first action asked for (list, forget, forget-app, clear),
// prints its result on standard output and closes the store, which saves
// it. The listing's lines are "(no exceptions)", or one line per entry with
// the two text columns padded to 40 and 30 code points, never cut. A
// listing opens the store only to read and never saves (a file that does
// not load is left as it is and fails the listing); a change is refused
// (fatal) while Vyx runs on the same configuration directory or while
// vyx.lock cannot be used, and a change that could not be saved is fatal
// with nothing printed as done. Returns the exit status.
[[nodiscard]] int runMaintenanceMode(const CommandLineOptions& options);

}  // namespace vyx
