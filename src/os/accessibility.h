// Whether this process may observe and post input events system-wide.
//
// Threads: any thread.
#pragma once

namespace vyx::os {

[[nodiscard]] bool axIsProcessTrusted();
// With prompt, the system shows its permission prompt when the process is
// not trusted; the answer is the same as axIsProcessTrusted's.
bool axIsProcessTrustedWithOptions(bool prompt);
// Whether the system delivers the events this process posts; never prompts.
// A trusted process may still be refused: its posts then go nowhere.
[[nodiscard]] bool preflightPostEventAccess();

}  // namespace vyx::os
