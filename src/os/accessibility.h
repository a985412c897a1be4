// Whether this process may observe and post input events system-wide.
//
// Threads: any thread.
#pragma once

namespace vyx::os {

[[nodiscard]] bool axIsProcessTrusted();
// With prompt, the system shows its permission prompt when the process is
// not trusted; the answer is the same as axIsProcessTrusted's.
bool axIsProcessTrustedWithOptions(bool prompt);

}  // namespace vyx::os
