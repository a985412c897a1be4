// Starting the system "open" command.
#pragma once

#include <string>
#include <vector>

#include "log/error.h"

namespace vyx::os {

// Starts "open" with the arguments and does not wait for it; an error only
// when the command could not be started.
[[nodiscard]] Status launchOpen(const std::vector<std::string>& arguments);

}  // namespace vyx::os
