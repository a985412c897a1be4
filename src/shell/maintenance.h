// The one-shot maintenance modes on the learned exceptions: list, forget a
// word, forget an application, clear. No settings, word lists, interface
// or pipeline are involved.
#pragma once

#include <string>
#include <vector>

#include "shell/command_line.h"
#include "store/exception_store.h"

namespace vyx {

// The listing's lines: "(no exceptions)", or one line per entry with the two
// text columns padded to 40 and 30 code points, never cut.
[[nodiscard]] std::string formatExceptionList(const std::vector<Exception>& entries);

// Performs the first action asked for (list, forget, forget-app, clear) on
// the store and returns what to print.
[[nodiscard]] std::string runMaintenanceAction(ExceptionStore& store,
                                               const CommandLineOptions& options);

// Opens the store (a failure is the fatal line "exceptions store: %v"),
// prints the action's result on standard output and closes the store, which
// saves it. A listing opens it only to read and never saves; a change is
// refused (fatal) while Vyx runs on the same configuration directory.
// Returns the exit status.
[[nodiscard]] int runMaintenanceMode(const CommandLineOptions& options);

}  // namespace vyx
